#include "ui/main_window.h"

#include <windowsx.h>

#include <initializer_list>

#include "data/data_file.h"
#include "data/item_execution.h"
#include "data/page_cursor.h"
#include "delivery/delivery.h"
#include "linked/open_files.h"
#include "data/pages.h"
#include "exchange/command_line.h"
#include "exchange/exchange_area.h"
#include "exchange/hot_keys.h"
#include "platform/win32/platform.h"
#include "settings/profile.h"
#include "settings/settings.h"
#include "ui/data_pages_view.h"
#include "ui/images.h"
#include "ui/text.h"
#include "text/cp932.h"
#include "ui/title_strip.h"

namespace quiltor {

namespace {
constexpr wchar_t kMainClass[] = L"TFormMain";
constexpr int kComboRowHeight = 24;
constexpr wchar_t kLoadingText[] = L" >>> Loading...";

Bytes ModuleFolder() {
  char path[MAX_PATH * 2] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, static_cast<DWORD>(sizeof(path)));
  return FolderOf(Bytes(path, length));
}
}  // namespace

TFormMain::TFormMain() = default;

TFormMain::~TFormMain() {
  executor_.reset();
  pages_.reset();
  for (HMENU menu : {popupMenuMain_, popupMenuOpen_, popupMenuExec_, popupMenuLoomwork_}) {
    if (menu) DestroyMenu(menu);
  }
  if (uiFont_) DeleteObject(uiFont_);
}

bool TFormMain::Create(MainWindowContext& context) {
  platform_ = &context.platform;
  exchange_ = &context.exchange;
  arguments_ = context.arguments;
  exeFolder_ = ModuleFolder();

  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS |
                                                      ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  images_ = std::make_unique<WindowImages>(instance);
  if (!RegisterClassOnce(instance, kMainClass, 0, GetSysColorBrush(COLOR_BTNFACE))) return false;
  // A pop-up with a sizing frame and neither caption nor system menu: the
  // title strip is drawn by the window itself.
  HWND window = CreateWindowExW(WS_EX_APPWINDOW, kMainClass, kAppTitle, WS_POPUP | WS_THICKFRAME | WS_CLIPCHILDREN,
                                0, 0, kWindowWidth, 282, nullptr, nullptr, instance, this);
  if (!window) return false;
  CreateChildren();
  CreateMenus();
  WireItems();
  return FormCreate();
}

void TFormMain::CreateChildren() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  uiFont_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0,
                             0, 0, hwnd_, nullptr, instance, nullptr);
  title_ = std::make_unique<TitleStrip>(*this, *images_);
  title_->Create(hwnd_, tooltip_);

  toolBar_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"ToolBar",
                             WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE |
                                 CCS_NOPARENTALIGN | CCS_NODIVIDER,
                             0, kTitleStripHeight, kWindowWidth, kToolBarHeight, hwnd_, nullptr, instance, nullptr);
  if (toolBar_) {
    SendMessageW(toolBar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(toolBar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    SendMessageW(toolBar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_->tools));
    struct Tool {
      int image;
      UINT id;
      BYTE style;
    };
    const Tool tools[] = {
        {kToolMode, kCmdMode, BTNS_CHECK},          {-1, 0, BTNS_SEP},
        {kToolNew, kCmdNew, BTNS_BUTTON},           {kToolOpen, kCmdOpen, BTNS_DROPDOWN},
        {kToolClose, kCmdClose, BTNS_BUTTON},       {kToolExec, kCmdExec, BTNS_DROPDOWN},
        {-1, 0, BTNS_SEP},                          {kToolRepeat, kCmdRepeat, BTNS_BUTTON},
        {kToolLoomwork, kCmdLoomwork, BTNS_DROPDOWN},
    };
    std::vector<TBBUTTON> buttons;
    for (const Tool& t : tools) {
      TBBUTTON b{};
      b.iBitmap = t.style == BTNS_SEP ? 4 : t.image;
      b.idCommand = static_cast<int>(t.id);
      b.fsStyle = t.style;
      b.fsState = TBSTATE_ENABLED;
      b.iString = -1;
      buttons.push_back(b);
    }
    SendMessageW(toolBar_, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    // The plain buttons follow the width the system gives a drop-down button.
    RECT open{};
    SendMessageW(toolBar_, TB_GETRECT, kCmdOpen, reinterpret_cast<LPARAM>(&open));
    int width = ToolButtonWidth(open.right - open.left);
    SendMessageW(toolBar_, TB_SETBUTTONSIZE, 0, MAKELONG(width, 24));
    // Nothing to repeat until a delivery has happened.
    SendMessageW(toolBar_, TB_ENABLEBUTTON, kCmdRepeat, FALSE);
    for (UINT id : {kCmdNew, kCmdOpen, kCmdClose, kCmdExec})
      SendMessageW(toolBar_, TB_ENABLEBUTTON, id, FALSE);
  }

  comboBoxFile_ = CreateWindowExW(0, WC_COMBOBOXW, L"ComboBoxFile",
                                  WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST | WS_DISABLED, 0, 0, 10, 200,
                                  hwnd_, nullptr, instance, nullptr);
  if (comboBoxFile_) SendMessageW(comboBoxFile_, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont_), FALSE);

  pages_ = std::make_unique<DataPagesView>(hwnd_, *images_);
  pages_->Create();
  pages_->onChosen = [this](const Bytes& name) {
    if (onItemChosen) onItemChosen(name);
  };

  statusBar_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"StatusBar", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0,
                               0, hwnd_, nullptr, instance, nullptr);
  if (statusBar_) {
    SendMessageW(statusBar_, SB_SIMPLE, TRUE, 0);
    SendMessageW(statusBar_, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont_), FALSE);
  }
  // Above the visible area: it holds the keyboard focus so that keys reach
  // the window's shortcut handling and never a button or the tabs.
  editDummy_ = CreateWindowExW(0, WC_EDITW, L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, -40, 20, 20, hwnd_,
                               nullptr, instance, nullptr);
  if (editDummy_) SendMessageW(editDummy_, EM_LIMITTEXT, 1, 0);
}

int TFormMain::Height() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return r.bottom - r.top;
}

void TFormMain::SetHeight(int height) {
  SetWindowPos(hwnd_, nullptr, 0, 0, kWindowWidth, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFormMain::Layout() {
  if (!hwnd_ || !title_) return;
  RECT client{};
  GetClientRect(hwnd_, &client);
  int width = client.right;
  title_->Layout(width);
  int y = kTitleStripHeight;
  bool toolBarShown = toolBar_ && IsWindowVisible(toolBar_);
  if (toolBar_) MoveWindow(toolBar_, 0, y, width, kToolBarHeight, TRUE);
  if (toolBarShown || (toolBar_ && MenuChecked(kCmdDispToolBar))) y += kToolBarHeight;
  if (comboBoxFile_) MoveWindow(comboBoxFile_, 2, y + 2, width - 4, 200, TRUE);
  y += kComboRowHeight;
  int statusTop = client.bottom;
  if (statusBar_) {
    SendMessageW(statusBar_, WM_SIZE, 0, 0);
    RECT s{};
    GetWindowRect(statusBar_, &s);
    statusTop = client.bottom - (s.bottom - s.top);
  }
  pagesTop_ = y;
  if (pages_) pages_->SetBounds(RECT{0, y, width, statusTop > y ? statusTop : y});
}

void TFormMain::SetStatusText(const std::wstring& text) {
  if (statusBar_) SendMessageW(statusBar_, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(text.c_str()));
}

void TFormMain::UpdateResizeButtons(bool atShrinkHeight) { title_->ShowResizeButton(!atShrinkHeight); }

void TFormMain::ApplyTopmost(bool topmost) {
  SetWindowPos(hwnd_, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void TFormMain::ApplyTaskbarButton() { ShowTaskbarButton(hwnd_, !HideIconInEffect()); }

bool TFormMain::LinkedMode() const { return MenuChecked(kCmdModeSync); }
bool TFormMain::StayOnTop() const { return MenuChecked(kCmdDispStayOnTop); }
bool TFormMain::HideIconInEffect() const { return MenuEnabled(kCmdDispHideIcon) && MenuChecked(kCmdDispHideIcon); }

int TFormMain::ShowMessageNear(const std::wstring& text, UINT type, int dx, int dy) {
  RECT r{};
  if (hwnd_) GetWindowRect(hwnd_, &r);
  NearWindowRestore restore{StayOnTop() || (title_ && title_->FixDown()), HideIconInEffect()};
  return ShowMessageNearWindow(hwnd_, text, type, POINT{r.left + dx, r.top + dy}, restore);
}

int TFormMain::ShowMessageNear(const Bytes& text, UINT type, int dx, int dy) {
  return ShowMessageNear(FromAnsi(text), type, dx, dy);
}

// ---- Height animation and the commands of the title strip -------------------

void TFormMain::AnimateHeight(int target) {
  std::vector<int> steps = AnimateHeightSteps(Height(), target, settings_ ? settings_->resize : 5);
  if (steps.empty()) return;
  state_.SetAnimating(true);
  for (size_t i = 0; i < steps.size(); ++i) {
    // The last step is tracked like any resize, so the buttons swap.
    if (i + 1 == steps.size()) state_.SetAnimating(false);
    SetHeight(steps[i]);
    UpdateWindow(hwnd_);
    Sleep(1);
  }
  state_.SetAnimating(false);
}

void TFormMain::SpeedButtonResize1Click() { AnimateHeight(state_.Shrink(Height())); }

void TFormMain::SpeedButtonResize2Click() {
  if (auto target = state_.Stretch()) AnimateHeight(*target);
}

void TFormMain::ImageTitle1DblClick() {
  if (title_->ShrinkButtonVisible()) {
    SpeedButtonResize1Click();
  } else {
    SpeedButtonResize2Click();
  }
}

void TFormMain::ImageTitle1MouseDown(POINT screen) {
  drag_.Begin(Point{screen.x, screen.y});
}

void TFormMain::ImageTitle1MouseMove(POINT screen) {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  auto to = drag_.Move(Point{screen.x, screen.y}, Point{r.left, r.top}, r.right - r.left,
                       GetSystemMetrics(SM_CXSCREEN));
  if (to) SetWindowPos(hwnd_, nullptr, to->x, to->y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFormMain::ImageTitle1MouseUp() {
  if (drag_.End()) ReleaseCapture();
}

void TFormMain::SpeedButtonFixClick(bool down) {
  if (title_->FixDown() != down) title_->SetFixDown(down);
  state_.SetFixed(down);
  if (!StayOnTop()) ApplyTopmost(down);
  SetMenuEnabled(kCmdDispAutoSmall, !down);
  SetMenuEnabled(kCmdDispStayOnTop, !down);
}

void TFormMain::SpeedButtonMinimizeClick() { ShowWindow(hwnd_, SW_MINIMIZE); }

void TFormMain::Popup_ExitClick() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

void TFormMain::ImageIconClick() {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  TrackPopupMenu(popupMenuMain_, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, r.left + 3, r.top + 21, 0, hwnd_,
                 nullptr);
}

void TFormMain::Popup_Disp_ToolBarClick() {
  bool shown = !MenuChecked(kCmdDispToolBar);
  SetMenuCheck(kCmdDispToolBar, shown);
  ShowWindow(toolBar_, shown ? SW_SHOWNA : SW_HIDE);
  int height = state_.ToolBarToggled(shown, Height());
  SetHeight(height);
  Layout();
}

void TFormMain::Popup_Disp_AutoSmallClick() {
  bool on = !MenuChecked(kCmdDispAutoSmall);
  SetMenuCheck(kCmdDispAutoSmall, on);
  state_.SetAutoSmall(on);
}

void TFormMain::Popup_Disp_StayOnTopClick() {
  bool on = !StayOnTop();
  SetMenuCheck(kCmdDispStayOnTop, on);
  ApplyTopmost(on);
  SetMenuEnabled(kCmdDispHideIcon, on);
  ApplyTaskbarButton();
}

void TFormMain::Popup_Disp_HideIconClick() {
  bool on = !MenuChecked(kCmdDispHideIcon);
  SetMenuCheck(kCmdDispHideIcon, on);
  ShowTaskbarButton(hwnd_, !on);
}

void TFormMain::ApplicationEventsRestore() { ShowTaskbarButton(hwnd_, !MenuChecked(kCmdDispHideIcon)); }

void TFormMain::ApplicationEventsActivate() {
  POINT cursor{};
  GetCursorPos(&cursor);
  RECT r{}, status{};
  GetWindowRect(hwnd_, &r);
  GetWindowRect(statusBar_, &status);
  bool onGrip = OnSizeGrip(Point{cursor.x - r.left, cursor.y - r.top}, r.right - r.left, status.top - r.top,
                           status.bottom - status.top);
  ActivateOutcome outcome = state_.Activate(onGrip);
  if (!outcome.handled) return;
  title_->SetActive(true);
  if (outcome.stretchTo) AnimateHeight(*outcome.stretchTo);
}

void TFormMain::ApplicationEventsDeactivate() {
  auto target = state_.Deactivate(Height());
  title_->SetActive(false);
  if (target) AnimateHeight(*target);
}

// ---- Messages ---------------------------------------------------------------

void TFormMain::OnGetMinMaxInfo(MINMAXINFO* info) {
  if (auto limits = state_.MinMaxInfo()) {
    info->ptMinTrackSize = POINT{limits->minWidth, limits->minHeight};
    info->ptMaxTrackSize = POINT{limits->maxWidth, limits->maxHeight};
  }
}

LRESULT TFormMain::OnNcHitTest(LPARAM lparam) {
  LRESULT standard = Default(WM_NCHITTEST, 0, lparam);
  return state_.HitTest(static_cast<int>(standard), Height());
}

void TFormMain::OnWindowPosChanging(WINDOWPOS* pos) {
  if ((pos->flags & SWP_NOSIZE) || IsIconic(hwnd_)) return;
  int current = Height();
  if (pos->cy != current) state_.CanResize(current, pos->cy);
}

void TFormMain::OnSize(UINT kind) {
  if (kind == SIZE_MINIMIZED) {
    minimized_ = true;
    return;
  }
  if (minimized_) {
    minimized_ = false;
    ApplicationEventsRestore();
  }
  Layout();
  ResizeOutcome outcome = state_.Resized(Height());
  if (outcome.ignored) return;
  if (outcome.atShrinkHeight) ReleaseCapture();
  UpdateResizeButtons(outcome.atShrinkHeight);
}

void TFormMain::OnActivateApp(bool active) {
  if (closing_) return;
  if (active) {
    ApplicationEventsActivate();
  } else {
    ApplicationEventsDeactivate();
  }
}

bool TFormMain::OnMouseWheel(int delta, POINT cursor) {
  if (!pages_ || pages_->PageCount() == 0) return false;
  RECT r{};
  GetWindowRect(hwnd_, &r);
  POINT origin{0, 0};
  ClientToScreen(hwnd_, &origin);
  auto scroll = WheelScroll(Point{cursor.x, cursor.y}, Rect{r.left, r.top, r.right, r.bottom},
                            origin.y - r.top + pagesTop_, delta);
  if (!scroll) return false;
  if (PageScrollBox* box = pages_->Box(pages_->ActivePage())) box->ScrollBy(*scroll);
  return true;
}

LRESULT TFormMain::OnNotify(NMHDR* header) {
  if (header->hwndFrom == toolBar_ && header->code == TBN_DROPDOWN) {
    auto* notify = reinterpret_cast<NMTOOLBARW*>(header);
    HMENU menu = notify->iItem == static_cast<int>(kCmdOpen)       ? popupMenuOpen_
                 : notify->iItem == static_cast<int>(kCmdExec)     ? popupMenuExec_
                 : notify->iItem == static_cast<int>(kCmdLoomwork) ? popupMenuLoomwork_
                                                                    : nullptr;
    if (menu) DropDown(static_cast<UINT>(notify->iItem), menu);
    return TBDDRET_DEFAULT;
  }
  if (header->code == TTN_GETDISPINFOW && toolBar_ &&
      header->hwndFrom == reinterpret_cast<HWND>(SendMessageW(toolBar_, TB_GETTOOLTIPS, 0, 0))) {
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
    switch (info->hdr.idFrom) {
      case kCmdMode:
        info->lpszText = const_cast<wchar_t*>(LinkedMode() ? L"連動モードで実行中(F2)" : L"簡易モードで実行中(F2)");
        break;
      case kCmdNew: info->lpszText = const_cast<wchar_t*>(L"新規作成"); break;
      case kCmdOpen: info->lpszText = const_cast<wchar_t*>(L"ファイルを開く"); break;
      case kCmdClose: info->lpszText = const_cast<wchar_t*>(L"ファイル終了"); break;
      case kCmdExec: info->lpszText = const_cast<wchar_t*>(L"ファイル実行"); break;
      case kCmdRepeat: info->lpszText = const_cast<wchar_t*>(L"再編集"); break;
      case kCmdLoomwork: info->lpszText = const_cast<wchar_t*>(L"くいるとるデータ選択(F9)"); break;
    }
    return 0;
  }
  LRESULT result = 0;
  if (pages_ && pages_->OnNotify(header, result)) return result;
  return 0;
}

void TFormMain::DropDown(UINT toolButton, HMENU menu) {
  RECT r{};
  SendMessageW(toolBar_, TB_GETRECT, toolButton, reinterpret_cast<LPARAM>(&r));
  MapWindowPoints(toolBar_, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, r.left, r.bottom, 0, hwnd_, nullptr);
}

void TFormMain::OnCommand(UINT id, UINT code, HWND control) {
  (void)code;
  if (control && pages_ && control != toolBar_ && pages_->OnCommand(control, id)) return;
  switch (id) {
    case kCmdDispToolBar: Popup_Disp_ToolBarClick(); return;
    case kCmdDispAutoSmall: Popup_Disp_AutoSmallClick(); return;
    case kCmdDispStayOnTop: Popup_Disp_StayOnTopClick(); return;
    case kCmdDispHideIcon: Popup_Disp_HideIconClick(); return;
    case kCmdHelp: Popup_HelpClick(); return;
    case kCmdExit: Popup_ExitClick(); return;
    case kCmdMode: Popup_ModeClick(); return;
    // The entry of the mode in force leaves it as it is.
    case kCmdModeEasy:
      if (LinkedMode()) Popup_ModeClick();
      return;
    case kCmdModeSync:
      if (!LinkedMode()) Popup_ModeClick();
      return;
    case kCmdRepeat:
      if (RepeatEnabled()) Popup_RepeatClick();
      return;
    default: break;
  }
  if (onCommand) onCommand(id);
}

LRESULT TFormMain::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_GETMINMAXINFO:
      OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lparam));
      return 0;
    case WM_NCHITTEST:
      return OnNcHitTest(lparam);
    case WM_WINDOWPOSCHANGING: {
      // The standard handling applies the track limits first.
      LRESULT result = Default(message, wparam, lparam);
      OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lparam));
      return result;
    }
    case WM_SIZE:
      OnSize(static_cast<UINT>(wparam));
      return 0;
    case WM_ACTIVATEAPP:
      OnActivateApp(wparam != FALSE);
      return 0;
    case WM_SETFOCUS:
      if (editDummy_) SetFocus(editDummy_);
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lparam));
    case WM_MEASUREITEM:
      if (pages_ && pages_->OnMeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lparam))) return TRUE;
      break;
    case WM_DRAWITEM:
      if (pages_ && pages_->OnDrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lparam))) return TRUE;
      break;
    case WM_MOUSEWHEEL:
      if (OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wparam), POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)})) return 0;
      break;
    case WM_COPYDATA:
      if (onCopyData) return onCopyData(reinterpret_cast<HWND>(wparam), *reinterpret_cast<COPYDATASTRUCT*>(lparam));
      return FALSE;
    case WM_HOTKEY:
      if (onHotKey) onHotKey(static_cast<int>(wparam));
      break;
    case WM_TIMER:
      OnTimer(static_cast<UINT_PTR>(wparam));
      return 0;
    case WM_CLOSE:
      FormClose();
      closing_ = true;
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      FormDestroy();
      PostQuitMessage(0);
      return 0;
  }
  return Default(message, wparam, lparam);
}

}  // namespace quiltor
