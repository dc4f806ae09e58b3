// TFormMain as the main controller sees it: geometry, rendering of the
// models, message boxes, the file dialog and the timers.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <vector>

#include "data/pages.h"
#include "platform/win32/text_codec.h"
#include "ui/datafile/loomwork_dialog.h"
#include "ui/delivery_messages.h"
#include "ui/dialog_kit.h"
#include "ui/main/about_dialog.h"
#include "ui/main/commands_view.h"
#include "ui/main/data_pages_view.h"
#include "ui/main/file_panel.h"
#include "ui/main/main_window.h"
#include "ui/main/title_strip.h"
#include "ui/message_box.h"
#include "ui/messages.h"
#include "ui/main/search_panel.h"
#include "ui/main/title_strip.h"
#include "ui/setup/setup_dialog.h"
#include "window/geometry.h"
#include "window/main_controller.h"

namespace quiltor {

namespace {

WindowId ToId(HWND handle) { return static_cast<WindowId>(reinterpret_cast<std::uintptr_t>(handle)); }
constexpr int kPageRowUnits = 20;
}  // namespace

WindowId TFormMain::Window() { return ToId(hwnd_); }
WindowId TFormMain::FocusHolder() { return ToId(editDummy_); }

Rect TFormMain::WindowRect() {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return Rect{r.left, r.top, r.right, r.bottom};
}

void TFormMain::MoveTo(Point topLeft) {
  SetWindowPos(hwnd_, nullptr, topLeft.x, topLeft.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFormMain::SetHeight(int height) {
  SetWindowPos(hwnd_, nullptr, 0, 0, Px(kWindowWidth), height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFormMain::AnimateHeight(int target) {
  const std::vector<int> steps = AnimateHeightSteps(Height(), target, controller_.Settings().resize);
  if (steps.empty()) return;
  MainWindowState& state = controller_.State();
  state.SetAnimating(true);
  for (std::size_t i = 0; i < steps.size(); ++i) {
    // The last step is tracked like any resize, so the buttons swap.
    if (i + 1 == steps.size()) state.SetAnimating(false);
    SetHeight(steps[i]);
    UpdateWindow(hwnd_);
    Sleep(1);
  }
  state.SetAnimating(false);
}

void TFormMain::SetVisible(bool visible) {
  ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
  if (visible) UpdateWindow(hwnd_);
}

bool TFormMain::Visible() { return IsWindowVisible(hwnd_) != FALSE; }
void TFormMain::Minimize() { app_.Minimize(); }
void TFormMain::Close() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

void TFormMain::ApplyTopmost(bool topmost) {
  SetWindowPos(hwnd_, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void TFormMain::ShowTaskbarButton(bool show) { app_.ShowButton(show); }
void TFormMain::SetTitleActive(bool active) { title_->SetActive(active); }
void TFormMain::ShowShrinkButton(bool shrinkVisible) { title_->ShowResizeButton(shrinkVisible); }
void TFormMain::ReleaseMouseCapture() { ReleaseCapture(); }

void TFormMain::ShowToolBar(bool shown) {
  ShowWindow(commands_->ToolBar(), shown ? SW_SHOWNA : SW_HIDE);
}

bool TFormMain::CursorOnSizeGrip() {
  POINT cursor{};
  GetCursorPos(&cursor);
  RECT r{}, status{};
  GetWindowRect(hwnd_, &r);
  GetWindowRect(statusBar_, &status);
  // The grip's rule counts 96-dpi units.
  return OnSizeGrip(Point{Units(cursor.x - r.left), Units(cursor.y - r.top)}, Units(r.right - r.left),
                    Units(status.top - r.top), Units(status.bottom - status.top));
}

void TFormMain::ShowProgress(bool shown) { ShowWindow(title_->ProgressBar(), shown ? SW_SHOWNA : SW_HIDE); }

// ---- Models -----------------------------------------------------------------

void TFormMain::Render(ViewPart parts) {
  if (HasPart(parts, ViewPart::kCommands)) {
    commands_->RenderCommands();
    title_->SetFixDown(controller_.Options().fixed);
    Layout();
  }
  if (HasPart(parts, ViewPart::kLists)) commands_->RenderLists();
  if (HasPart(parts, ViewPart::kFilePanel)) filePanel_->Render(controller_.Session(), controller_.Linked());
  if (HasPart(parts, ViewPart::kStatus)) {
    const std::wstring text = FromAnsi(controller_.StatusText());
    SendMessageW(statusBar_, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(text.c_str()));
    RenderStatusHint(text);
  }
}

void TFormMain::RenderStatusHint(const std::wstring& text) {
  if (!tooltip_) return;
  // A text the bar shows whole needs no tip.
  RECT bar{};
  GetClientRect(statusBar_, &bar);
  int borders[3] = {};
  SendMessageW(statusBar_, SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
  const int room = bar.right - GetSystemMetrics(SM_CXVSCROLL) - 2 * borders[0] - 4;
  SIZE size{};
  {
    WindowDc dc(statusBar_);
    SelectScope font(dc.Get(), reinterpret_cast<HFONT>(SendMessageW(statusBar_, WM_GETFONT, 0, 0)));
    GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
  }
  statusTip_ = size.cx > room ? FromAnsi(controller_.StatusHint()) : std::wstring();
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(statusBar_);
  tool.lpszText = statusTip_.data();
  SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TFormMain::ShowPages() {
  const std::vector<DataPage>& pages = controller_.Pages();
  HWND bar = title_->ProgressBar();
  // The old pages' buttons go, the first new page's are made (the others when shown).
  const int firstPage = pages.empty() ? 0 : static_cast<int>(pages[0].main.size() + pages[0].side.size());
  const int maximum = pages_->ButtonCount() + firstPage;
  int position = 0;
  SendMessageW(bar, PBM_SETRANGE32, 0, maximum > 0 ? maximum : 1);
  SendMessageW(bar, PBM_SETPOS, 0, 0);
  ShowWindow(bar, SW_SHOWNA);
  // The bar is repainted every 64 steps only: a large file has tens of
  // thousands of buttons.
  auto advance = [bar, &position] {
    if ((++position & 63) == 0) {
      SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
      UpdateWindow(bar);
    }
  };
  pages_->Show(pages, advance);
  ShowWindow(bar, SW_HIDE);
  Layout();
}

void TFormMain::RefreshItemButtons() { pages_->RefreshEnabled(); }
void TFormMain::ShowActivePage(int page) { pages_->SetActivePage(page); }

// Pages count 20 units a row; the rows are RowHeight() pixels high.
int TFormMain::PageScrollPosition(int page) {
  PageScrollBox* box = pages_->Box(page);
  return box ? MulDiv(box->Position(), kPageRowUnits, pages_->RowHeight()) : 0;
}

int TFormMain::PageViewHeight(int page) {
  PageScrollBox* box = pages_->Box(page);
  return box ? MulDiv(box->ViewHeight(), kPageRowUnits, pages_->RowHeight()) : 0;
}

void TFormMain::ScrollPage(int page, int delta) {
  if (PageScrollBox* box = pages_->Box(page)) box->ScrollBy(MulDiv(delta, pages_->RowHeight(), kPageRowUnits));
}

void TFormMain::MarkButton(int page, int column, int row, bool marked) { pages_->SetMarked(page, column, row, marked); }
void TFormMain::PressButton(int page, int column, int row) { pages_->PressButton(page, column, row); }

// ---- The item search ----------------------------------------------------------

void TFormMain::ShowSearch(bool open) {
  // The focus leaves the box before it hides; while the window is inactive
  // it is not moved, as that would activate the window.
  if (!open && search_->Owns(GetFocus())) SetFocus(editDummy_);
  // The panel covers the pages, which stay shown beneath it.
  search_->Show(open);
  if (open) SetFocus(search_->Edit());
}

void TFormMain::RenderSearch() { search_->Render(); }
int TFormMain::SearchPageRows() { return search_->PageRows(); }

// ---- Menus, messages, dialogs -----------------------------------------------

void TFormMain::ShowMainMenu() {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  commands_->ShowMainMenu(POINT{r.left + Px(3), r.top + Px(21)});
}

void TFormMain::DropDown(CommandId toolButton) {
  if (controller_.CommandEnabled(toolButton)) commands_->DropDown(toolButton);
}

Answer TFormMain::ShowMessage(const UserMessage& message) {
  const std::wstring text = MessageText(message.id, message.subject);
  const UINT flags = MessageFlags(message.kind, message.buttons);
  if (!message.offset) {
    return AnswerOf(MessageBoxW(hwnd_, text.c_str(), kAppTitle, flags));
  }
  RECT r{};
  GetWindowRect(hwnd_, &r);
  const DisplayOptions& options = controller_.Options();
  const NearWindowRestore restore{options.Topmost(), options.HideIconInEffect()};
  const POINT at{r.left + Px(message.offset->x), r.top + Px(message.offset->y)};
  return AnswerOf(ShowMessageNearWindow(hwnd_, app_.Handle(), text, flags, at, restore));
}

void TFormMain::ShowDeliveryError(DeliveryStatus status, const std::vector<ClipboardFormatName>& lostFormats) {
  const std::wstring text = DeliveryMessage(status, lostFormats);
  if (text.empty()) return;
  RECT r{};
  GetWindowRect(hwnd_, &r);
  const DisplayOptions& options = controller_.Options();
  ShowMessageNearWindow(hwnd_, app_.Handle(), text, MB_OK | MB_ICONWARNING,
                        POINT{r.left + Px(MainController::kMessageOffset.x), r.top + Px(MainController::kMessageOffset.y)},
                        NearWindowRestore{options.Topmost(), options.HideIconInEffect()});
}

std::optional<FileDialogResult> TFormMain::ChooseFile(const FileDialogRequest& request) {
  // The filter text "name|pattern|..." becomes the dialog's pairs of
  // zero-terminated strings.
  std::wstring filter = FromAnsi(request.filter);
  for (wchar_t& c : filter) {
    if (c == L'|') c = L'\0';
  }
  filter += L'\0';
  filter += L'\0';
  std::vector<wchar_t> file(32768, L'\0');
  const std::wstring folder = FromAnsi(request.initialFolder);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = hwnd_;
  ofn.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = request.filterIndex > 0 ? static_cast<DWORD>(request.filterIndex) : 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrTitle = request.forNew ? L"新規作成" : L"ﾌｧｲﾙを開く";
  ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | (request.forNew ? 0 : OFN_CREATEPROMPT);
  if (!GetOpenFileNameW(&ofn)) return std::nullopt;
  // A name the settings and the file list cannot hold is refused, never
  // opened or made under a look-alike name.
  const std::optional<Bytes> path = TextBytes(hwnd_, file.data());
  if (!path) return std::nullopt;
  return FileDialogResult{*path, static_cast<int>(ofn.nFilterIndex)};
}

void TFormMain::ShowAbout() { ShowAboutDialog(hwnd_); }

SetupOutcome TFormMain::ShowSetupDialog(const SetupRequest& request) {
  const Rect r = WindowRect();
  SetupDialogContext context = request.context;
  return quiltor::ShowSetupDialog(hwnd_, Point{r.left, r.top}, request.settings, request.facts, context);
}

std::optional<Bytes> TFormMain::ChooseDataFile(const DataFileRequest& request) {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  const LoomworkDialogInput input{request.exeFolder, request.currentDataFile, r, request.files, request.processes,
                                  request.userFolder};
  return ShowLoomworkDialog(hwnd_, input);
}

bool TFormMain::OpenHelp(const Bytes& folder) {
  const std::wstring hlp = FromAnsi(folder + "Quiltor.hlp");
  if (GetFileAttributesW(hlp.c_str()) != INVALID_FILE_ATTRIBUTES && WinHelpW(hwnd_, hlp.c_str(), HELP_FINDER, 0)) {
    return true;
  }
  // No help file: the bundled help page, beside the program or from the resources.
  std::wstring page = FromAnsi(folder + "Quiltor.html");
  if (GetFileAttributesW(page.c_str()) == INVALID_FILE_ATTRIBUTES) {
    HRSRC found = FindResourceW(nullptr, L"HELPPAGE", MAKEINTRESOURCEW(10));
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    wchar_t temp[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    if (!data || length == 0 || length >= MAX_PATH) return false;
    page = std::wstring(temp, length) + L"Quiltor.html";
    FileHandle out(CreateFileW(page.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    const DWORD size = SizeofResource(nullptr, found);
    if (!out || !WriteFile(out.Get(), data, size, &written, nullptr) || written != size) return false;
  }
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(hwnd_, L"open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

// ---- The message loop -------------------------------------------------------

void TFormMain::SetWatchTimer(bool running, std::uint32_t interval) {
  if (!running) {
    KillTimer(hwnd_, kWatchTimerId);
    return;
  }
  if (!SetTimer(hwnd_, kWatchTimerId, interval > 0 ? interval : USER_TIMER_MINIMUM, nullptr)) {
    ShowMessage(UserMessage{MessageId::kTimerFailed, {}, MessageKind::kError, MessageButtons::kOk, std::nullopt});
  }
}

void TFormMain::WakeIdleAfter(std::uint32_t milliseconds) {
  SetTimer(hwnd_, kIdleWakeTimerId, milliseconds > 0 ? milliseconds : 1, nullptr);
}

void TFormMain::ProcessPendingMessages() {
  MSG msg{};
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // The outer loop must still see it.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (PreTranslateKey(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace quiltor
