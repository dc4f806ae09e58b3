#include "ui/main/main_window.h"

#include <windowsx.h>

#include "platform/win32/text_codec.h"
#include "ui/dialog_kit.h"
#include "ui/dpi.h"
#include "ui/main/commands_view.h"
#include "ui/main/data_pages_view.h"
#include "ui/main/file_panel.h"
#include "ui/main/images.h"
#include "ui/main/search_panel.h"
#include "ui/message_box.h"
#include "ui/main/title_strip.h"
#include "ui/message_box.h"
#include "window/geometry.h"
#include "window/main_controller.h"

namespace quiltor {

namespace {
constexpr wchar_t kMainClass[] = L"TFormMain";
constexpr int kComboRowHeight = 24;
}  // namespace

TFormMain::TFormMain(MainController& controller) : controller_(controller) {}

TFormMain::~TFormMain() {
  // The pages and menus go before the window that holds them.
  pages_.reset();
  commands_.reset();
}

bool TFormMain::Create(const std::vector<Bytes>& arguments) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS |
                                                      ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!app_.Create(instance)) return false;
  if (!RegisterClassOnce(instance, kMainClass, 0, GetSysColorBrush(COLOR_BTNFACE))) return false;
  // A pop-up with a sizing frame and neither caption nor system menu: the
  // title strip is drawn by the window itself. The application window owns
  // it and carries its task-bar button.
  HWND window = CreateWindowExW(0, kMainClass, kAppTitle, WS_POPUP | WS_THICKFRAME | WS_CLIPCHILDREN, 0, 0,
                                kWindowWidth, 282, app_.Handle(), nullptr, instance, this);
  if (!window) return false;
  // Sizes follow the monitor the window is on; the start moves it to its
  // saved place, where WM_DPICHANGED follows when that monitor differs.
  dpi_ = DpiOfWindow(window);
  images_ = std::make_unique<WindowImages>(instance, dpi_);
  app_.SetMainWindow(window);
  app_.onRestore = [this] { controller_.ApplicationEventsRestore(); };
  if (!CreateChildren()) return false;
  controller_.AttachView(*this);
  controller_.AttachSearchView(*this);
  controller_.Start(arguments);
  return true;
}

bool TFormMain::CreateChildren() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  uiFont_ = CreateUiFont(dpi_);
  HFONT font = uiFont_ ? uiFont_.Get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0,
                             0, 0, hwnd_, nullptr, instance, nullptr);
  title_ = std::make_unique<TitleStrip>(controller_, *images_);
  commands_ = std::make_unique<CommandsView>(controller_);
  filePanel_ = std::make_unique<FilePanel>();
  pages_ = std::make_unique<DataPagesView>(hwnd_, *images_);
  search_ = std::make_unique<SearchPanel>(controller_, *images_);
  if (!title_->Create(hwnd_, tooltip_) || !commands_->Create(hwnd_, *images_) ||
      !filePanel_->Create(hwnd_, tooltip_, font) || !pages_->Create() || !search_->Create(hwnd_, dpi_)) {
    return false;
  }
  pages_->SetDpi(dpi_, font);
  pages_->onChosen = [this](const ItemName& item) { controller_.ChooseItem(item); };
  pages_->onPageSelected = [this](int page) { controller_.OnPageActivated(page); };
  statusBar_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"StatusBar", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0,
                               0, hwnd_, nullptr, instance, nullptr);
  // Above the visible area: it holds the keyboard focus so that keys reach
  // the window's shortcut handling and never a button or the tabs.
  editDummy_ = CreateWindowExW(0, WC_EDITW, L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, -40, 20, 20, hwnd_,
                               nullptr, instance, nullptr);
  if (!statusBar_ || !editDummy_) return false;
  SendMessageW(statusBar_, SB_SIMPLE, TRUE, 0);
  SendMessageW(statusBar_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (tooltip_) {
    // The status bar's hint: the whole text when the bar cuts it off.
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(statusBar_);
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  SendMessageW(editDummy_, EM_LIMITTEXT, 1, 0);
  return true;
}

int TFormMain::Height() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return r.bottom - r.top;
}

void TFormMain::Layout() {
  if (!hwnd_ || !title_ || !statusBar_) return;
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int width = client.right;
  title_->Layout(width, dpi_);
  int y = Px(kTitleStripHeight);
  HWND toolBar = commands_->ToolBar();
  MoveWindow(toolBar, 0, y, width, Px(kToolBarHeight), TRUE);
  if (controller_.Options().toolBar) y += Px(kToolBarHeight);
  filePanel_->Place(y + Px(2), width, dpi_);
  y += Px(kComboRowHeight);
  SendMessageW(statusBar_, WM_SIZE, 0, 0);
  RECT s{};
  GetWindowRect(statusBar_, &s);
  const int statusTop = client.bottom - (s.bottom - s.top);
  pagesTop_ = y;
  const RECT pages{0, y, width, statusTop > y ? statusTop : y};
  pages_->SetBounds(pages);
  search_->SetBounds(pages);
}

void TFormMain::Show() {
  ShowWindow(hwnd_, SW_SHOW);
  controller_.FormShow();
}

void TFormMain::ApplicationEventsIdle(bool afterWatchTicksOnly) {
  if (closing_ || !hwnd_) return;
  if (!afterWatchTicksOnly) KeepFocusOnDummy();
  controller_.ApplicationEventsIdle();
}

bool TFormMain::IsWatchTick(const MSG& msg) const {
  return msg.message == WM_TIMER && msg.hwnd == hwnd_ && msg.wParam == kWatchTimerId;
}

void TFormMain::KeepFocusOnDummy() {
  HWND focus = GetFocus();
  if (!focus || focus == editDummy_) return;
  HWND tabs = pages_->PageControl();
  if (focus == tabs || IsChild(tabs, focus)) SetFocus(editDummy_);
}

bool TFormMain::PreTranslateKey(MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN && msg.message != WM_CHAR) return false;
  if (!hwnd_ || !IsWindowVisible(hwnd_)) return false;
  if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
  // The open-file list takes its own keys while it is dropped down.
  if (msg.hwnd == filePanel_->Combo() && SendMessageW(filePanel_->Combo(), CB_GETDROPPEDSTATE, 0, 0)) return false;
  return PreTranslateSearchKey(msg);
}

// Keys and characters as the item search sees them. While the search is
// open, the query box gets every key that is not the search's or a
// command's, also those typed before it took the focus. While it is closed,
// keys go to the shortcut handling; one that is no command is translated,
// and the character it makes opens the search with that character in it.
// A key the IME takes (VK_PROCESSKEY) opens the search first and goes on to
// the box, so the composition happens there.
bool TFormMain::PreTranslateSearchKey(MSG& msg) {
  const auto vk = static_cast<std::uint8_t>(msg.wParam);
  if (controller_.Search().IsOpen()) {
    if (msg.message == WM_SYSKEYDOWN) {
      controller_.SearchKey(vk);
      return true;
    }
    if (msg.message == WM_KEYDOWN && controller_.SearchKey(vk)) return true;
    // The search may have closed (F9 chose another data file).
    if (!controller_.Search().IsOpen()) return true;
    msg.hwnd = search_->Edit();
    return false;
  }
  if (msg.message == WM_CHAR) {
    const auto c = static_cast<wchar_t>(msg.wParam);
    if (c >= L' ' && c != 0x7F && controller_.OpenSearch()) {
      msg.hwnd = search_->Edit();
      return false;
    }
    return true;
  }
  if (msg.message == WM_KEYDOWN && vk == VK_PROCESSKEY && controller_.OpenSearch()) {
    msg.hwnd = search_->Edit();
    return false;
  }
  controller_.FormShortCut(vk);
  const bool modified = GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
  const bool handled = CommandForKey(vk, GetKeyState(VK_SHIFT) < 0).has_value() || vk == VK_RETURN ||
                       vk == VK_ESCAPE || (vk >= VK_LEFT && vk <= VK_DOWN);
  if (msg.message == WM_KEYDOWN && !modified && !handled && vk != VK_PROCESSKEY) TranslateMessage(&msg);
  return true;
}

// ---- Messages ---------------------------------------------------------------

void TFormMain::OnCommand(UINT id, UINT code, HWND control) {
  if (control && control == filePanel_->Combo()) {
    if (code == CBN_SELCHANGE && filePanel_->Selection() >= 0) {
      controller_.RunCommand(CommandId::kFileChosen, static_cast<std::size_t>(filePanel_->Selection()));
    }
    return;
  }
  if (control && search_->OnCommand(control, code)) return;
  if (control && control != commands_->ToolBar() && pages_->OnCommand(control, id)) return;
  controller_.OnCommand(id, code, control != nullptr);
}

LRESULT TFormMain::OnNotify(NMHDR* header) {
  if (header->hwndFrom == commands_->ToolBar() && header->code == TBN_DROPDOWN) {
    const auto* notify = reinterpret_cast<NMTOOLBARW*>(header);
    controller_.ShowDropDown(static_cast<CommandId>(notify->iItem));
    return TBDDRET_DEFAULT;
  }
  if (header->code == TTN_GETDISPINFOW &&
      header->hwndFrom == reinterpret_cast<HWND>(SendMessageW(commands_->ToolBar(), TB_GETTOOLTIPS, 0, 0))) {
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
    if (const wchar_t* hint = commands_->Hint(static_cast<unsigned>(info->hdr.idFrom))) {
      info->lpszText = const_cast<wchar_t*>(hint);
    }
    return 0;
  }
  LRESULT result = 0;
  if (pages_->OnNotify(header, result)) return result;
  return 0;
}

void TFormMain::OnWindowPosChanging(WINDOWPOS* pos) {
  if ((pos->flags & SWP_NOSIZE) || IsIconic(hwnd_)) return;
  const int current = Height();
  if (pos->cy != current) controller_.State().CanResize(current, pos->cy);
}

void TFormMain::OnSize(UINT kind) {
  if (kind == SIZE_MINIMIZED) return;
  Layout();
  const ResizeOutcome outcome = controller_.State().Resized(Height());
  if (outcome.ignored) return;
  if (outcome.atShrinkHeight) ReleaseCapture();
  title_->ShowResizeButton(!outcome.atShrinkHeight);
}

void TFormMain::OnDpiChanged(int dpi, const RECT& suggested) {
  if (dpi > 0 && dpi != dpi_) {
    dpi_ = dpi;
    controller_.OnDpiChanged(dpi);
    // The old images and font stay alive until every part has the new ones.
    WindowImages::Retired oldImages = images_->Reload(dpi);
    FontHandle oldFont = std::move(uiFont_);
    uiFont_ = CreateUiFont(dpi);
    HFONT font = uiFont_ ? uiFont_.Get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    title_->ApplyImages();
    commands_->ApplyImages(*images_);
    filePanel_->SetFont(font, dpi);
    SendMessageW(statusBar_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    pages_->SetDpi(dpi, font);
    search_->SetDpi(dpi);
    if (pages_->PageCount() > 0) {
      ShowPages();
      pages_->SetActivePage(controller_.ActivePage());
    }
  }
  // The system's place, at the width of the window at this DPI.
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, Px(kWindowWidth), suggested.bottom - suggested.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();
}

void TFormMain::OnTimer(UINT_PTR id) {
  if (id == kIdleWakeTimerId) {
    // Nothing else to do: the message itself makes the loop idle again.
    KillTimer(hwnd_, kIdleWakeTimerId);
    return;
  }
  if (id == kWatchTimerId) controller_.OnWatchTimer();
}

LRESULT TFormMain::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  static const UINT statusMessage = RegisterWindowMessageW(FromAnsi(kStatusMessageName).c_str());
  if (statusMessage != 0 && message == statusMessage) {
    switch (wparam) {
      case kStatusIdle: return controller_.Idle() ? 1 : 0;
      case kStatusSimpleTarget: return static_cast<LRESULT>(controller_.Items().Simple().Target());
      case kStatusLinkedEdit: return static_cast<LRESULT>(controller_.Session().LinkedEditWindow());
      case kStatusMenus: {
        std::string text = ToUtf8(commands_->DescribeMenus());
        COPYDATASTRUCT data{kStatusMenus, static_cast<DWORD>(text.size() + 1), text.data()};
        DWORD_PTR ignored = 0;
        // An asker that stopped answering must not hold the tool.
        return SendMessageTimeoutW(reinterpret_cast<HWND>(lparam), WM_COPYDATA, reinterpret_cast<WPARAM>(hwnd_),
                                   reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 2000, &ignored) != 0;
      }
      default: return 0;
    }
  }
  switch (message) {
    case WM_GETMINMAXINFO:
      if (auto limits = controller_.State().MinMaxInfo()) {
        auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
        info->ptMinTrackSize = POINT{limits->minWidth, limits->minHeight};
        info->ptMaxTrackSize = POINT{limits->maxWidth, limits->maxHeight};
      }
      return 0;
    case WM_NCHITTEST:
      return controller_.State().HitTest(static_cast<int>(Default(message, wparam, lparam)), Height());
    case WM_WINDOWPOSCHANGING: {
      // The standard handling applies the track limits first.
      const LRESULT result = Default(message, wparam, lparam);
      OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lparam));
      return result;
    }
    case WM_SIZE:
      OnSize(static_cast<UINT>(wparam));
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
      return 0;
    case WM_ACTIVATEAPP:
      if (!closing_) controller_.OnActivateApp(wparam != FALSE);
      return 0;
    case WM_SETFOCUS:
      if (controller_.Search().IsOpen()) {
        SetFocus(search_->Edit());
      } else if (editDummy_) {
        SetFocus(editDummy_);
      }
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lparam));
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
      if (HBRUSH brush = search_->ControlColors(reinterpret_cast<HWND>(lparam), reinterpret_cast<HDC>(wparam))) {
        return reinterpret_cast<LRESULT>(brush);
      }
      if (message == WM_CTLCOLORSTATIC) break;
      return reinterpret_cast<LRESULT>(filePanel_->ListColors(reinterpret_cast<HDC>(wparam)));
    case WM_MEASUREITEM:
      if (pages_->OnMeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lparam))) return TRUE;
      break;
    case WM_DRAWITEM:
      if (pages_->OnDrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lparam))) return TRUE;
      if (search_ && search_->OnDrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lparam))) return TRUE;
      break;
    case WM_MOUSEWHEEL: {
      RECT r{};
      GetWindowRect(hwnd_, &r);
      POINT origin{0, 0};
      ClientToScreen(hwnd_, &origin);
      const Point cursor{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      if (controller_.FormMouseWheel(cursor, GET_WHEEL_DELTA_WPARAM(wparam), origin.y - r.top + pagesTop_)) return 0;
      break;
    }
    case WM_COPYDATA: {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
      controller_.HandleForwardedCommandLine(data->dwData, data->lpData, data->cbData);
      return TRUE;
    }
    case WM_HOTKEY:
      controller_.OnHotKey(static_cast<int>(wparam));
      break;
    case WM_TIMER:
      OnTimer(static_cast<UINT_PTR>(wparam));
      return 0;
    case WM_CLOSE: {
      // The controller is still inside a command that waits for another
      // program; the window closes when that returns.
      if (controller_.WaitingOnOtherProgram()) {
        controller_.CloseWhenWaitEnds();
        return 0;
      }
      // The restored rectangle is saved, also when the window is minimised.
      WINDOWPLACEMENT placement{};
      placement.length = sizeof placement;
      RECT r{};
      GetWindowRect(hwnd_, &r);
      if (IsIconic(hwnd_) && GetWindowPlacement(hwnd_, &placement)) r = placement.rcNormalPosition;
      controller_.FormClose(Rect{r.left, r.top, r.right, r.bottom});
      closing_ = true;
      DestroyWindow(hwnd_);
      return 0;
    }
    case WM_DESTROY:
      KillTimer(hwnd_, kWatchTimerId);
      KillTimer(hwnd_, kIdleWakeTimerId);
      pages_->Clear({});
      PostQuitMessage(0);
      return 0;
  }
  return Default(message, wparam, lparam);
}

int RunMessageLoop(TFormMain& form) {
  form.Show();
  MSG msg{};
  bool onlyWatchTicks = false;
  for (;;) {
    // Idle processing runs once each time the queue has run empty, also
    // after a message sent from another thread woke the wait (a paste being
    // read, a status question).
    while (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      form.ApplicationEventsIdle(onlyWatchTicks);
      onlyWatchTicks = true;
      if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) WaitMessage();
    }
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    if (got == -1) return 1;
    if (!form.IsWatchTick(msg)) onlyWatchTicks = false;
    if (form.PreTranslateKey(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace quiltor
