// The main window's side of item execution, the modes and the watch timer,
// forwarded command lines, hot keys and the keyboard. The logic lives in the
// core (data/item_execution.h, data/page_cursor.h, exchange/command_line.h,
// linked/open_files.h); this file only applies it to the window.
#include <windows.h>

#include <algorithm>

#include "data/data_file.h"
#include "data/item_execution.h"
#include "data/page_cursor.h"
#include "data/pages.h"
#include "delivery/delivery.h"
#include "exchange/command_line.h"
#include "exchange/exchange_area.h"
#include "exchange/hot_keys.h"
#include "linked/open_files.h"
#include "platform/win32/platform.h"
#include "settings/profile.h"
#include "settings/settings.h"
#include "ui/data_pages_view.h"
#include "ui/delivery_messages.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/text.h"
#include "ui/title_strip.h"

namespace quiltor {

namespace {
constexpr UINT_PTR kWatchTimerId = 1;
// One-shot: makes the message loop run its idle step again while a paste
// is still being read by the target.
constexpr UINT_PTR kIdleWakeTimerId = 2;
constexpr int kLoadingHeight = 38;
constexpr wchar_t kLoadingText[] = L" >>> Loading...";

WindowId Id(HWND window) { return static_cast<WindowId>(reinterpret_cast<std::uintptr_t>(window)); }
std::wstring CannotWrite(const Bytes& path) { return L"\"" + FromAnsi(path) + L"\" に書き込めません"; }
}  // namespace

class TFormMain::ItemsHost : public ItemHost {
 public:
  explicit ItemsHost(TFormMain& form) : form_(form) {}
  WindowId MainWindow() override { return Id(form_.hwnd_); }
  WindowId EditDummy() override { return Id(form_.editDummy_); }
  Rect MainWindowRect() override {
    RECT r{};
    GetWindowRect(form_.hwnd_, &r);
    return Rect{r.left, r.top, r.right, r.bottom};
  }
  int ModeIndex() override {
    return SendMessageW(form_.toolBar_, TB_ISBUTTONCHECKED, kCmdMode, 0) ? kLinkedMode : kSimpleMode;
  }
  WindowId LinkedEditWindow() override { return form_.linked_->linkedEditWindow; }
  Bytes ExeFolder() override { return form_.exeFolder_; }
  Bytes CurrentDataFile() override { return form_.currentDataFile_; }
  void StopWatchTimer() override { form_.StopWatchTimer(); }
  void StartWatchTimer() override { form_.StartWatchTimer(); }
  void EnableRepeat() override {
    SendMessageW(form_.toolBar_, TB_ENABLEBUTTON, kCmdRepeat, MAKELONG(TRUE, 0));
    form_.SetMenuEnabled(kCmdRepeat, true);
  }
  void ShowWarningNear(const Bytes& text, Point offset) override {
    form_.ShowMessageNear(text, MB_OK | MB_ICONWARNING, offset.x, offset.y);
  }
  void ShowDeliveryError(DeliveryStatus status) override {
    form_.ShowMessageNear(DeliveryMessage(status, form_.delivery_->LostFormats()), MB_OK | MB_ICONWARNING,
                          kItemMessageOffset.x, kItemMessageOffset.y);
  }
  void HideMainWindow() override { ShowWindow(form_.hwnd_, SW_HIDE); }
  void ShowMainWindow() override { ShowWindow(form_.hwnd_, SW_SHOW); }
  void ProcessPendingMessages() override {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // The outer loop must still see it.
        PostQuitMessage(static_cast<int>(msg.wParam));
        return;
      }
      if (form_.PreTranslateKey(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  void WakeIdleAfter(std::uint32_t milliseconds) override {
    SetTimer(form_.hwnd_, kIdleWakeTimerId, milliseconds > 0 ? milliseconds : 1, nullptr);
  }

 private:
  TFormMain& form_;
};

void TFormMain::CreateItemExecutor() {
  Win32Platform& p = *platform_;
  linked_ = std::make_unique<LinkedState>();
  itemsHost_ = std::make_unique<ItemsHost>(*this);
  delivery_ = std::make_unique<DeliveryRoutines>(*p.clipboard, *p.windows, *p.keyboard, *p.processes);
  ItemServices services{*p.files, *p.clipboard, *p.windows, *p.processes, *delivery_, *exchange_};
  executor_ = std::make_unique<ItemExecutor>(services, *itemsHost_, *settings_, state_);
}

void TFormMain::WireItems() {
  onItemChosen = [this](const Bytes& name) { ChooseItem(name); };
  onDeliveryIdle = [this] {
    if (executor_) {
      executor_->IdleStep();
    } else {
      state_.SetStartupPending(0);
    }
  };
  onOwnArguments = [this](const OwnArguments& arguments) { LinkOwnArguments(arguments); };
  onApplyMode = [this] { ApplyMode(); };
  onCopyData = [this](HWND, const COPYDATASTRUCT& data) { return HandleForwardedCommandLine(data); };
  onHotKey = [this](int id) { OnHotKey(id); };
  onShortCut = [this](UINT vk) { return FormShortCut(vk); };
}

void TFormMain::ChooseItem(const Bytes& componentName) {
  if (!executor_ || !pages_) return;
  std::optional<int> image = FindItemImage(pages_->Model(), componentName);
  if (!image) return;
  executor_->ChooseItem(componentName, *image);
}

// ---- The watch timer and the modes ------------------------------------------

void TFormMain::StopWatchTimer() {
  if (watchRunning_) KillTimer(hwnd_, kWatchTimerId);
  watchRunning_ = false;
}

void TFormMain::StartWatchTimer() {
  if (!hwnd_) return;
  watchRunning_ = SetTimer(hwnd_, kWatchTimerId, watchInterval_, nullptr) != 0;
}

void TFormMain::OnTimer(UINT_PTR id) {
  if (id == kIdleWakeTimerId) {
    // Nothing else to do: the message itself makes the loop idle again.
    KillTimer(hwnd_, kIdleWakeTimerId);
    return;
  }
  if (id != kWatchTimerId || !executor_) return;
  if (!watchLinked_) {
    executor_->TimerTimer1();
    return;
  }
  // Linked mode: a target whose editor window went away is dropped.
  LinkedState& linked = *linked_;
  WindowSystem& windows = *platform_->windows;
  if (linked.linkedTargetWindow != kNoWindow && !windows.IsWindow(linked.linkedTargetWindow)) {
    linked.linkedTargetWindow = kNoWindow;
    linked.linkedEditWindow = kNoWindow;
    if (auto selected = linked.files.Selected()) linked.files.Remove(*selected);
    if (pages_) pages_->SetItemButtonsEnabled(false);
    SetStatusText(L"");
  }
}

void TFormMain::ApplyMode() {
  const bool linked = LinkedMode();
  const UINT fileCommands[] = {kCmdNew, kCmdOpen, kCmdClose, kCmdExec};
  if (!linked) {
    for (UINT id : fileCommands) {
      SendMessageW(toolBar_, TB_ENABLEBUTTON, id, FALSE);
      SetMenuEnabled(id, false);
    }
    if (comboBoxFile_) EnableWindow(comboBoxFile_, FALSE);
    SetStatusText(L"");
    if (pages_) pages_->SetItemButtonsEnabled(true);
    watchInterval_ = static_cast<UINT>(settings_->timer + settings_->timerEZ);
  } else {
    const bool hasFile = linked_->files.Selected().has_value() && linked_->linkedEditWindow != kNoWindow;
    for (UINT id : {kCmdClose, kCmdExec}) {
      SendMessageW(toolBar_, TB_ENABLEBUTTON, id, MAKELONG(hasFile, 0));
      SetMenuEnabled(id, hasFile);
    }
    if (comboBoxFile_) EnableWindow(comboBoxFile_, TRUE);
    if (pages_) pages_->SetItemButtonsEnabled(hasFile);
    watchInterval_ = static_cast<UINT>(settings_->timer);
  }
  watchLinked_ = linked;
  if (watchRunning_) StartWatchTimer();  // the new interval takes effect now
}

void TFormMain::Popup_ModeClick() {
  StopWatchTimer();
  const bool toLinked = !LinkedMode();
  CheckMenuRadioItem(popupMode_, kCmdModeEasy, kCmdModeSync, toLinked ? kCmdModeSync : kCmdModeEasy, MF_BYCOMMAND);
  SendMessageW(toolBar_, TB_CHECKBUTTON, kCmdMode, MAKELONG(toLinked, 0));
  ApplyMode();
  IniFile ini(*platform_->files, exeFolder_ + "Quiltor.ini");
  if (!WriteMode(ini, toLinked)) ShowErrorBox(hwnd_, CannotWrite(ini.Path()));
  StartWatchTimer();
}

void TFormMain::EnterLinkedMode() {
  CheckMenuRadioItem(popupMode_, kCmdModeEasy, kCmdModeSync, kCmdModeSync, MF_BYCOMMAND);
  SendMessageW(toolBar_, TB_CHECKBUTTON, kCmdMode, MAKELONG(TRUE, 0));
  // The file combo box shows the open-file list.
  if (!comboBoxFile_) return;
  SendMessageW(comboBoxFile_, CB_RESETCONTENT, 0, 0);
  for (const OpenFileEntry& entry : linked_->files.Entries()) {
    std::wstring text = FromAnsi(entry.Text());
    SendMessageW(comboBoxFile_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  auto selected = linked_->files.Selected();
  SendMessageW(comboBoxFile_, CB_SETCURSEL, selected ? static_cast<WPARAM>(*selected) : static_cast<WPARAM>(-1), 0);
}

void TFormMain::LinkOwnArguments(const OwnArguments& arguments) {
  if (arguments.currentFile) {
    linked_->currentFile = *arguments.currentFile;
    SelectFileKind(*settings_, linked_->currentFile);
    exchange_->StoreCurrentFile(linked_->currentFile);
  }
  if (!arguments.linkedEditWindow) return;
  const WindowId window = static_cast<WindowId>(*arguments.linkedEditWindow);
  if (!platform_->windows->IsWindow(window)) return;
  LinkFromOutside(*linked_, *platform_->windows, window, linked_->currentFile);
  EnterLinkedMode();
}

void TFormMain::Popup_RepeatClick() {
  if (executor_) executor_->Popup_RepeatClick();
}

bool TFormMain::RepeatEnabled() const {
  return toolBar_ && (SendMessageW(toolBar_, TB_GETSTATE, kCmdRepeat, 0) & TBSTATE_ENABLED) != 0;
}

// ---- Forwarded command lines ------------------------------------------------

LRESULT TFormMain::HandleForwardedCommandLine(const COPYDATASTRUCT& data) {
  const ForwardedCommand command = ParseForwardedCommandLine(data.dwData, data.lpData, data.cbData);
  if (command.marked) {
    if (command.error) {
      ShowErrorBox(hwnd_, L"'" + FromAnsi(*command.error) + L"' は整数ではありません");
      return TRUE;
    }
    WindowSystem& windows = *platform_->windows;
    const WindowId window = command.window ? static_cast<WindowId>(*command.window) : kNoWindow;
    if (window != kNoWindow && windows.IsWindow(window) && !command.file.empty()) {
      LinkFromOutside(*linked_, windows, window, command.file);
      SelectFileKind(*settings_, linked_->currentFile);
      exchange_->StoreCurrentFile(linked_->currentFile);
      EnterLinkedMode();
    }
    if (!command.dataFile.empty() && platform_->files->Exists(command.dataFile)) SwapDataFile(command.dataFile);
  }
  ApplyMode();
  ApplicationEventsActivate();
  return TRUE;
}

void TFormMain::SwapDataFile(const Bytes& dataFile) {
  currentDataFile_ = dataFile;
  const int fullHeight = Height();
  const int savedShrink = state_.ShrinkHeight();
  state_.SetShrinkHeight(kLoadingHeight);
  AnimateHeight(kLoadingHeight);
  SetStatusText(kLoadingText);
  RememberDataFile(dataFile);
  LoadDataPages();
  ResetPageCursors();
  SetStatusText(L"");
  AnimateHeight(fullHeight);
  state_.SetShrinkHeight(savedShrink);
}

void TFormMain::RememberDataFile(const Bytes& dataFile) {
  auto found = std::find(loomworkPaths_.begin(), loomworkPaths_.end(), dataFile);
  if (found != loomworkPaths_.end()) loomworkPaths_.erase(found);
  loomworkPaths_.insert(loomworkPaths_.begin(), dataFile);
  while (popupMenuLoomwork_ && GetMenuItemCount(popupMenuLoomwork_) > 0)
    DeleteMenu(popupMenuLoomwork_, 0, MF_BYPOSITION);
  FileSystem& files = *platform_->files;
  for (size_t i = 0; i < loomworkPaths_.size(); ++i) {
    const Bytes& path = loomworkPaths_[i];
    std::wstring caption = FromAnsi(RecentDataCaption(files, exeFolder_ + path, path));
    // The current data file heads the list and cannot be chosen.
    UINT flags = MF_STRING | (i == 0 ? MF_GRAYED : 0);
    AppendMenuW(popupMenuLoomwork_, flags, kCmdLoomworkHistory + static_cast<UINT>(i), caption.c_str());
  }
}

// ---- Hot keys ---------------------------------------------------------------

void TFormMain::OnHotKey(int id) {
  if (id != kHotKeyRepeat && id != kHotKeyActivate) return;
  // The user still holds the hot key: let it go first, or the keys written
  // into the target would arrive with Alt or Ctrl held.
  Keyboard& keys = *platform_->keyboard;
  const AppSettings& s = *settings_;
  keys.Send(KeyEvent{static_cast<std::uint8_t>(s.hotKeyR2), 0, true});
  const std::int32_t flags = s.hotKeyR1 | s.hotKeyA1;
  if (flags & 1) keys.Send(KeyEvent{VK_MENU, keys.ScanCode(VK_MENU), true});
  if (flags & 2) keys.Send(KeyEvent{VK_CONTROL, keys.ScanCode(VK_CONTROL), true});
  if (flags & 4) keys.Send(KeyEvent{VK_SHIFT, keys.ScanCode(VK_SHIFT), true});
  if (id == kHotKeyRepeat) {
    if (RepeatEnabled()) Popup_RepeatClick();
  } else {
    state_.SetActivatedByHotKey();
    SetActiveWindow(hwnd_);
    SetForegroundWindow(hwnd_);
  }
}

// ---- Keyboard -----------------------------------------------------------------

void TFormMain::ResetPageCursors() {
  cursors_.assign(pages_ ? static_cast<size_t>(pages_->PageCount()) : 0, PageCursor{});
}

void TFormMain::KeepFocusOnDummy() {
  HWND focus = GetFocus();
  if (!focus || focus == editDummy_ || !pages_) return;
  HWND tabs = pages_->PageControl();
  if (focus == tabs || IsChild(tabs, focus)) SetFocus(editDummy_);
}

bool TFormMain::FormShortCut(UINT vk) {
  Keyboard& keys = *platform_->keyboard;
  const bool shift = keys.IsDown(VK_SHIFT);
  const bool ctrl = keys.IsDown(VK_CONTROL);
  switch (vk) {
    case VK_F1:
      StopWatchTimer();
      ImageIconClick();
      StartWatchTimer();
      return true;
    case VK_F2:
      Popup_ModeClick();
      return true;
    case VK_F3:
      SpeedButtonFixClick(!title_->FixDown());
      return true;
    case VK_F9:
      if (shift) {
        if (onCommand) onCommand(kCmdLoomwork);
      } else {
        DropDown(kCmdLoomwork, popupMenuLoomwork_);
      }
      return true;
    default:
      break;
  }
  if (!pages_ || pages_->PageCount() == 0) return true;
  if (vk == VK_ESCAPE) {
    WindowSystem& windows = *platform_->windows;
    WindowId target = executor_ ? executor_->TargetWindow() : kNoWindow;
    if (target == kNoWindow) target = windows.Desktop();
    windows.SetForeground(target);
    windows.SetActive(target);
    return true;
  }
  CursorKey key;
  switch (vk) {
    case VK_RETURN: key = CursorKey::kEnter; break;
    case VK_UP: key = CursorKey::kUp; break;
    case VK_DOWN: key = CursorKey::kDown; break;
    case VK_LEFT: key = CursorKey::kLeft; break;
    case VK_RIGHT: key = CursorKey::kRight; break;
    default: return true;
  }
  const int page = pages_->ActivePage();
  if (page < 0) return true;
  if (cursors_.size() != static_cast<size_t>(pages_->PageCount())) ResetPageCursors();
  const DataPage& model = pages_->Model()[page];
  CursorView view;
  for (const ItemButton& b : model.main) view.left.push_back(CursorButtonState{b.enabled, true});
  for (const ItemButton& b : model.side) view.right.push_back(CursorButtonState{b.enabled, true});
  PageScrollBox* box = pages_->Box(page);
  view.scrollPosition = box ? box->Position() : 0;
  view.boxHeight = box ? box->ViewHeight() : 0;
  view.pageIndex = page;
  view.pageCount = pages_->PageCount();
  const CursorOutcome outcome = MovePageCursor(cursors_[page], view, key, CursorModifiers{shift, ctrl});
  cursors_[page] = outcome.cursor;
  if (outcome.unmark) pages_->SetMarked(page, outcome.unmark->column, outcome.unmark->row, false);
  if (outcome.mark) pages_->SetMarked(page, outcome.mark->column, outcome.mark->row, true);
  if (outcome.scrollDelta != 0 && box) box->ScrollBy(outcome.scrollDelta);
  if (outcome.activatePage) pages_->SetActivePage(*outcome.activatePage);
  if (outcome.fire) pages_->PressButton(page, outcome.fire->column, outcome.fire->row);
  return true;
}

}  // namespace quiltor
