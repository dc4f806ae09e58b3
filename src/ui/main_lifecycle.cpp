// TFormMain: creation from the settings, the first show, the idle steps,
// closing and destruction; the menus of the window.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
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
#include "ui/delivery_messages.h"
#include "ui/main_window.h"
#include "ui/text.h"
#include "ui/title_strip.h"

namespace quiltor {

namespace {
constexpr wchar_t kLoadingText[] = L" >>> Loading...";
constexpr wchar_t kOldLibraryQuestion[] =
    L"システムディレクトリの\"Quiltor.dll\"が古いバージョンです\n最新のファイルと置き換えますか？\n\n"
    L"\u3000\u3000\u3000はい ･･･ 置換\u3000\u3000いいえ ･･･ 削除";

void AppendItem(HMENU menu, UINT id, const wchar_t* caption, UINT flags = 0) {
  AppendMenuW(menu, MF_STRING | flags, id, caption);
}

std::wstring CannotWrite(const Bytes& path) { return L"\"" + FromAnsi(path) + L"\" に書き込めません"; }
}  // namespace

void TFormMain::SetMenuCheck(UINT id, bool checked) {
  CheckMenuItem(popupMenuMain_, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}
bool TFormMain::MenuChecked(UINT id) const {
  return popupMenuMain_ && (GetMenuState(popupMenuMain_, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}
void TFormMain::SetMenuEnabled(UINT id, bool enabled) {
  EnableMenuItem(popupMenuMain_, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}
bool TFormMain::MenuEnabled(UINT id) const {
  if (!popupMenuMain_) return false;
  UINT state = GetMenuState(popupMenuMain_, id, MF_BYCOMMAND);
  return state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED)) == 0;
}

void TFormMain::CreateMenus() {
  popupMenuOpen_ = CreatePopupMenu();
  popupMenuExec_ = CreatePopupMenu();
  popupMenuLoomwork_ = CreatePopupMenu();
  popupMode_ = CreatePopupMenu();
  popupDisp_ = CreatePopupMenu();
  popupOpenSel_ = CreatePopupMenu();
  popupExecSel_ = CreatePopupMenu();

  AppendItem(popupMode_, kCmdModeEasy, L"簡易モード");
  AppendItem(popupMode_, kCmdModeSync, L"連動モード");
  AppendItem(popupDisp_, kCmdDispToolBar, L"ツールバー表示");
  AppendItem(popupDisp_, kCmdDispAutoSmall, L"自動縮小");
  AppendItem(popupDisp_, kCmdDispStayOnTop, L"常に手前に表示");
  AppendItem(popupDisp_, kCmdDispHideIcon, L"アイコン非表示");

  popupMenuMain_ = CreatePopupMenu();
  AppendMenuW(popupMenuMain_, MF_POPUP, reinterpret_cast<UINT_PTR>(popupMode_), L"動作モード");
  AppendMenuW(popupMenuMain_, MF_SEPARATOR, 0, nullptr);
  // The linked-mode file commands; the mode switching enables them.
  AppendItem(popupMenuMain_, kCmdNew, L"新規作成", MF_GRAYED);
  AppendItem(popupMenuMain_, kCmdOpen, L"ファイルを開く", MF_GRAYED);
  AppendMenuW(popupMenuMain_, MF_POPUP | MF_GRAYED, reinterpret_cast<UINT_PTR>(popupOpenSel_), L"ファイル履歴");
  AppendItem(popupMenuMain_, kCmdClose, L"ファイル終了", MF_GRAYED);
  AppendItem(popupMenuMain_, kCmdExec, L"関連付けファイル実行", MF_GRAYED);
  AppendMenuW(popupMenuMain_, MF_POPUP | MF_GRAYED, reinterpret_cast<UINT_PTR>(popupExecSel_), L"プログラムで実行");
  AppendMenuW(popupMenuMain_, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(popupMenuMain_, MF_POPUP, reinterpret_cast<UINT_PTR>(popupDisp_), L"表示状態設定");
  AppendItem(popupMenuMain_, kCmdRepeat, L"再編集", MF_GRAYED);
  AppendItem(popupMenuMain_, kCmdLoomwork, L"くいるとるデータ選択");
  AppendMenuW(popupMenuMain_, MF_SEPARATOR, 0, nullptr);
  AppendItem(popupMenuMain_, kCmdSetup, L"環境設定");
  AppendItem(popupMenuMain_, kCmdAbout, L"バージョン情報");
  AppendItem(popupMenuMain_, kCmdHelp, L"ヘルプ");
  AppendMenuW(popupMenuMain_, MF_SEPARATOR, 0, nullptr);
  AppendItem(popupMenuMain_, kCmdExit, L"終了");

  AppendItem(popupMenuExec_, kCmdKanren, L"関連付けﾌｧｲﾙ実行");
  AppendMenuW(popupMenuExec_, MF_SEPARATOR, 0, nullptr);
}

bool TFormMain::FormCreate() {
  Win32Platform& platform = *platform_;
  FileSystem& files = *platform.files;
  IniFile ini(files, exeFolder_ + "Quiltor.ini");
  // 1. Settings, with the migration of old files.
  LoadedSettings loaded = LoadSettings(ini);
  settings_ = std::make_unique<AppSettings>(std::move(loaded.settings));
  if (!loaded.written) ShowErrorBox(hwnd_, CannotWrite(ini.Path()));
  AppSettings& s = *settings_;
  CreateItemExecutor();
  // 2.
  if (!exchange_->CreateExchangeBlock()) return false;
  // 4. The program list.
  for (size_t i = 0; i < s.programs.size(); ++i) {
    const ProgramEntry& program = s.programs[i];
    std::wstring caption = FromAnsi(program.caption.empty() ? program.program : program.caption);
    UINT id = kCmdExecProgram + static_cast<UINT>(i);
    AppendMenuW(popupMenuExec_, MF_STRING, id, caption.c_str());
    AppendMenuW(popupExecSel_, MF_STRING, id, caption.c_str());
  }
  CheckMenuRadioItem(popupMenuExec_, 0, GetMenuItemCount(popupMenuExec_) - 1, 0, MF_BYPOSITION);
  // 5.-8.
  exchange_->StoreLineEnd(s.lineEnd);
  exchange_->StoreBufferSizes(ClampBufferSize(s.bufSize1), ClampBufferSize(s.bufSize2));
  state_.Configure(s.minHeight, s.maxHeight);
  if (!exchange_->CreateTransferBuffers()) return false;
  // 11.-12. Position and height, kept on the screen.
  const QuiltorSection& q = s.quiltor;
  SetWindowPos(hwnd_, nullptr, q.left, q.top, kWindowWidth, q.height, SWP_NOZORDER | SWP_NOACTIVATE);
  state_.BeginTracking();
  Point at = ClampStartPosition(Point{q.left, q.top}, kWindowWidth, Height(), GetSystemMetrics(SM_CXSCREEN),
                                GetSystemMetrics(SM_CYSCREEN));
  // 13.-14. Mode and display options.
  CheckMenuRadioItem(popupMode_, kCmdModeEasy, kCmdModeSync, q.mode ? kCmdModeSync : kCmdModeEasy, MF_BYCOMMAND);
  SendMessageW(toolBar_, TB_CHECKBUTTON, kCmdMode, MAKELONG(q.mode, 0));
  SetMenuCheck(kCmdDispToolBar, q.toolBar);
  SetMenuCheck(kCmdDispStayOnTop, q.stayOnTop);
  SetMenuCheck(kCmdDispHideIcon, q.hideIcon);
  SetMenuCheck(kCmdDispAutoSmall, q.autoSmall);
  state_.SetAutoSmall(q.autoSmall);
  // 15. File history.
  fileHistory_.clear();
  for (const Bytes& path : q.openFile) {
    if (path.empty()) continue;
    UINT id = kCmdOpenHistory + static_cast<UINT>(fileHistory_.size());
    std::wstring caption = FromAnsi(path);
    AppendMenuW(popupMenuOpen_, MF_STRING, id, caption.c_str());
    AppendMenuW(popupOpenSel_, MF_STRING, id, caption.c_str());
    fileHistory_.push_back(path);
  }
  // 16.
  CheckCompanionLibrary();
  // 17. Own arguments: "/L" and "/T" are applied after the clamping, unclamped.
  ownArguments_ = std::make_unique<OwnArguments>(ParseOwnArguments(arguments_));
  if (ownArguments_->left) at.x = *ownArguments_->left;
  if (ownArguments_->top) at.y = *ownArguments_->top;
  SetWindowPos(hwnd_, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (ownArguments_->error) {
    ShowErrorBox(hwnd_, L"'" + FromAnsi(*ownArguments_->error) + L"' は整数ではありません");
  }
  // 18. Current data file.
  currentDataFile_ = ownArguments_->dataFile ? *ownArguments_->dataFile : q.quiltorData;
  if (!WriteCurrentDataFile(ini, currentDataFile_)) ShowErrorBox(hwnd_, CannotWrite(ini.Path()));
  // 19.-20.
  BuildLoomworkHistory();
  // 21. Linking named on the command line.
  if (onOwnArguments) onOwnArguments(*ownArguments_);
  // 22.-23.
  ShowWindow(toolBar_, q.toolBar ? SW_SHOWNA : SW_HIDE);
  state_.ApplyToolBarAtStart(q.toolBar);
  SetMenuEnabled(kCmdDispHideIcon, StayOnTop());
  // 25.-26. A strip until the first idle moment loads the data.
  SetStatusText(kLoadingText);
  Layout();
  SetHeight(state_.BeginStartup(q.activePage));
  return true;
}

void TFormMain::BuildLoomworkHistory() {
  FileSystem& files = *platform_->files;
  struct Item {
    std::wstring caption;
    Bytes path;
  };
  std::vector<Item> items;
  for (const Bytes& v : settings_->quiltor.quiltorDataHistory) {
    if (v.empty() || !files.Exists(exeFolder_ + v)) continue;
    items.push_back(Item{FromAnsi(RecentDataCaption(files, exeFolder_ + v, v)), v});
  }
  if (!items.empty()) {
    auto found = std::find_if(items.begin(), items.end(), [&](const Item& i) { return i.path == currentDataFile_; });
    if (found != items.end()) {
      Item current = *found;
      items.erase(found);
      items.insert(items.begin(), current);
    } else if (files.Exists(exeFolder_ + currentDataFile_)) {
      items.insert(items.begin(),
                   Item{FromAnsi(RecentDataCaption(files, exeFolder_ + currentDataFile_, currentDataFile_)),
                        currentDataFile_});
    }
  }
  loomworkPaths_.clear();
  for (size_t i = 0; i < items.size(); ++i) {
    // The first item marks the current data file and cannot be chosen.
    UINT flags = MF_STRING | (i == 0 && items[0].path == currentDataFile_ ? MF_GRAYED : 0);
    AppendMenuW(popupMenuLoomwork_, flags, kCmdLoomworkHistory + static_cast<UINT>(i), items[i].caption.c_str());
    loomworkPaths_.push_back(items[i].path);
  }
}

void TFormMain::CheckCompanionLibrary() {
  FileSystem& files = *platform_->files;
  char system[MAX_PATH] = {};
  UINT length = GetSystemDirectoryA(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  Bytes installed = Bytes(system, length) + "\\Quiltor.dll";
  Bytes shipped = exeFolder_ + "Quiltor.dll";
  if (!files.Exists(installed) || !files.Exists(shipped)) return;
  auto installedTime = files.WriteTime(installed);
  auto shippedTime = files.WriteTime(shipped);
  if (!installedTime || !shippedTime || *installedTime >= *shippedTime) return;
  // Failures to copy or delete are not reported.
  if (ShowMessageNear(std::wstring(kOldLibraryQuestion), MB_YESNO | MB_ICONQUESTION, 10, 38) == IDYES) {
    files.Copy(shipped, installed);
  } else {
    files.Remove(installed);
  }
}

void TFormMain::Show() {
  ShowWindow(hwnd_, SW_SHOW);
  shown_ = true;
  FormShow();
}

void TFormMain::FormShow() {
  ApplyTaskbarButton();
  Clipboard& clipboard = *platform_->clipboard;
  if (clipboard.HasText()) {
    if (auto text = clipboard.GetText()) savedClipboardText_ = *text;
  }
  if (firstShown_) return;
  firstShown_ = true;
  const DeliveryStatus primed = delivery_->PrimeClipboard(reinterpret_cast<WindowId>(hwnd_), reinterpret_cast<WindowId>(editDummy_));
  // A refused focus only means the warm-up paste was skipped; the user is
  // told when part of the clipboard could not come back.
  if (primed == DeliveryStatus::kClipboardUnavailable || primed == DeliveryStatus::kFormatsNotKept ||
      primed == DeliveryStatus::kFormatsNotRestored)
    ShowMessageNear(DeliveryMessage(primed, delivery_->LostFormats()), MB_OK | MB_ICONWARNING, kItemMessageOffset.x,
                    kItemMessageOffset.y);
}

void TFormMain::ApplicationEventsIdle() {
  if (inIdleStep_ || !hwnd_) return;
  if (state_.StartupWaiting()) {
    inIdleStep_ = true;
    FinishStartup();
    inIdleStep_ = false;
    return;
  }
  KeepFocusOnDummy();
  if (state_.DeliveryIdlePending()) {
    if (onDeliveryIdle) {
      onDeliveryIdle();
    } else {
      state_.SetStartupPending(0);
    }
  }
}

bool TFormMain::LoadDataPages() {
  FileSystem& files = *platform_->files;
  Bytes path = exeFolder_ + currentDataFile_;
  if (currentDataFile_.empty() || !files.Exists(path)) return false;
  DataPagesResult result = LoadDataPagesFromFile(files, path);
  HWND bar = title_->ProgressBar();
  if (!result.error.Ok()) {
    pages_->Clear({});
    Bytes message = DataErrorMessage(result.error);
    if (result.error.status == DataStatus::kOldFormat) {
      ShowMessageNear(message, MB_OK | MB_ICONERROR, kOldFormatMessageOffset.x, kOldFormatMessageOffset.y);
    } else {
      ShowErrorBox(hwnd_, FromAnsi(message));
    }
    Layout();
    return false;
  }
  LoadProgressPlan plan = PlanLoadProgress(pages_->Model(), result.pages);
  int position = 0;
  SendMessageW(bar, PBM_SETRANGE32, 0, plan.maximum > 0 ? plan.maximum : 1);
  SendMessageW(bar, PBM_SETPOS, 0, 0);
  ShowWindow(bar, SW_SHOWNA);
  // The bar is repainted every 64 steps only: a large file has tens of
  // thousands of buttons.
  auto advance = [bar, &position] {
    if ((++position & 63) == 0) {
      SendMessageW(bar, PBM_SETPOS, position, 0);
      UpdateWindow(bar);
    }
  };
  pages_->Show(std::move(result.pages), advance);
  ShowWindow(bar, SW_HIDE);
  Layout();
  return true;
}

void TFormMain::FinishStartup() {
  int savedPage = state_.StartupPending() % 100;
  if (LoadDataPages()) {
    pages_->SetActivePage(ChooseActivePage(savedPage, pages_->PageCount()));
  } else {
    ShowWindow(title_->ProgressBar(), SW_HIDE);
  }
  ResetPageCursors();
  if (onApplyMode) onApplyMode();
  SetStatusText(L"");
  AnimateHeight(state_.SavedFullHeight());
  state_.FinishStartup();
  ApplyTopmost(StayOnTop());
  StartWatchTimer();
}

bool TFormMain::PreTranslateKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  if (!hwnd_ || !IsWindowVisible(hwnd_)) return false;
  if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
  UINT vk = static_cast<UINT>(msg.wParam);
  if (onShortCut) onShortCut(vk);
  return true;
}

void TFormMain::Popup_HelpClick() {
  FileSystem& files = *platform_->files;
  Bytes hlp = exeFolder_ + "Quiltor.hlp";
  if (files.Exists(hlp)) {
    std::wstring path = FromAnsi(hlp);
    if (WinHelpW(hwnd_, path.c_str(), HELP_FINDER, 0)) return;
  }
  // No help file: the bundled help page, beside the program or from the resources.
  Bytes page = exeFolder_ + "Quiltor.html";
  if (!files.Exists(page)) {
    HRSRC found = FindResourceW(nullptr, L"HELPPAGE", MAKEINTRESOURCEW(10));
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    char temp[MAX_PATH] = {};
    DWORD length = GetTempPathA(MAX_PATH, temp);
    if (!data || length == 0 || length >= MAX_PATH) return;
    page = Bytes(temp, length) + "Quiltor.html";
    if (!files.ReplaceAll(page, Bytes(data, SizeofResource(nullptr, found)))) return;
  }
  std::wstring target = FromAnsi(page);
  auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(hwnd_, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (result <= 32) ShowMessageNear(L"ヘルプを開けませんでした", MB_OK | MB_ICONERROR, 10, 38);
}

void TFormMain::FormClose() {
  if (!settings_) return;
  IniFile ini(*platform_->files, exeFolder_ + "Quiltor.ini");
  RECT r{};
  GetWindowRect(hwnd_, &r);
  WindowState w;
  w.top = r.top;
  w.left = r.left;
  w.height = r.bottom - r.top;
  int active = pages_ ? pages_->ActivePage() : -1;
  w.activePage = active < 0 ? 0 : active;
  w.toolBar = MenuChecked(kCmdDispToolBar);
  w.autoSmall = MenuChecked(kCmdDispAutoSmall);
  w.stayOnTop = MenuChecked(kCmdDispStayOnTop);
  w.hideIcon = MenuChecked(kCmdDispHideIcon);
  w.openFiles = fileHistory_;
  w.openFileSlots = settings_->openFiles;
  w.quiltorData = currentDataFile_;
  w.dataFiles = loomworkPaths_;
  // The window still closes: a settings file that cannot be written must
  // not keep the user from ending the tool.
  if (!SaveWindowState(ini, w)) ShowErrorBox(hwnd_, CannotWrite(ini.Path()));
}

void TFormMain::FormDestroy() {
  StopWatchTimer();
  KillTimer(hwnd_, 2);
  if (pages_) pages_->Clear({});
  for (HMENU menu : {popupMenuOpen_, popupOpenSel_}) {
    while (menu && GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
  }
  while (popupMenuExec_ && GetMenuItemCount(popupMenuExec_) > 2) DeleteMenu(popupMenuExec_, 2, MF_BYPOSITION);
  while (popupExecSel_ && GetMenuItemCount(popupExecSel_) > 0) DeleteMenu(popupExecSel_, 0, MF_BYPOSITION);
  while (popupMenuLoomwork_ && GetMenuItemCount(popupMenuLoomwork_) > 0)
    DeleteMenu(popupMenuLoomwork_, 0, MF_BYPOSITION);
  fileHistory_.clear();
  loomworkPaths_.clear();
  if (settings_) UnregisterHotKeys(*platform_->hotKeys, reinterpret_cast<WindowId>(hwnd_), HotKeyConfigFrom(*settings_));
}

}  // namespace quiltor
