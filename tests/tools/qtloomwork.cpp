// Test helper for the data-file selection dialog and the companion program:
//   qtloomwork show <folder> <current> <left> <top> <width> <height> <out>
//       shows a plain owner window at the rectangle and the selection dialog
//       over it (program folder <folder>, current data file <current>, "-"
//       for none); writes "ok <path>" or "cancel" to the file <out> (UTF-8)
//   qtloomwork dump       the owner's state, then the dialog as another
//                         program sees it ("nodialog" while it is hidden):
//                         rectangle, header, list rows with their screen
//                         rectangles, buttons, status bar text
//   qtloomwork resize <w> <h>  sizes the dialog as a user dragging its frame would
//   qtloomwork findings   the companion's list of faults: rectangle, text, rows, buttons
//   qtloomwork window <class> <title>  rectangle and caption of a visible
//                         top-level window ("-" for a class or caption not asked for)
//   qtloomwork close <class>   WM_CLOSE to a visible top-level window of that class
// Output lines are UTF-8; texts stand in [brackets] at the end of a line.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "companion_ids.h"
#include "platform/win32/files.h"
#include "platform/win32/processes.h"
#include "platform/win32/text_codec.h"
#include "tools/outside.h"
#include "ui/datafile/loomwork_dialog.h"
#include "ui/datafile/loomwork_ids.h"

namespace {

using namespace quiltor::outside;

constexpr wchar_t kDialogCaption[] = L"くいるとるデータ";
constexpr wchar_t kCompanionCaption[] = L"るーむわーく";

HWND FindVisibleDialog(const wchar_t* caption) {
  HWND dialog = FindWindowW(L"#32770", caption);
  return dialog && IsWindowVisible(dialog) ? dialog : nullptr;
}

void PrintRect(const char* tag, HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  std::printf("%s %ld %ld %ld %ld %d %d\n", tag, r.left, r.top, r.right - r.left, r.bottom - r.top,
              IsWindowVisible(w) ? 1 : 0, IsWindowEnabled(w) ? 1 : 0);
}

void PrintButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  if (!button) return;
  RECT r{};
  GetWindowRect(button, &r);
  std::printf("button %d %d %ld %ld %ld %ld [%s]\n", id, IsWindowEnabled(button) ? 1 : 0, r.left, r.top,
              r.right - r.left, r.bottom - r.top, Utf8(TextOf(button)).c_str());
}

int Show(int argc, char** argv) {
  if (argc < 9) return 2;
  const std::string folder = argv[2];
  const std::string current = std::string(argv[3]) == "-" ? "" : argv[3];
  const RECT rect{std::atoi(argv[4]), std::atoi(argv[5]), std::atoi(argv[4]) + std::atoi(argv[6]),
                  std::atoi(argv[5]) + std::atoi(argv[7])};
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = L"QtLoomworkOwner";
  RegisterClassW(&wc);
  HWND owner = CreateWindowExW(0, wc.lpszClassName, L"Owner", WS_OVERLAPPEDWINDOW, rect.left, rect.top,
                               rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, wc.hInstance, nullptr);
  if (!owner) return 1;
  ShowWindow(owner, SW_SHOWNORMAL);
  quiltor::Win32FileSystem files;
  quiltor::Win32Processes processes;
  quiltor::LoomworkDialogInput input{folder, current, rect, files, processes};
  const std::optional<std::string> chosen = quiltor::ShowLoomworkDialog(owner, input);
  DestroyWindow(owner);
  const std::string line = chosen ? "ok " + Utf8(quiltor::FromAnsi(*chosen)) + "\n" : "cancel\n";
  FILE* out = std::fopen(argv[8], "wb");
  if (!out) return 1;
  std::fwrite(line.data(), 1, line.size(), out);
  std::fclose(out);
  return 0;
}

int Dump() {
  if (HWND owner = FindWindowW(L"QtLoomworkOwner", nullptr)) {
    std::printf("owner %d %d\n", IsIconic(owner) ? 1 : 0, IsWindowVisible(owner) ? 1 : 0);
  }
  HWND dialog = FindVisibleDialog(kDialogCaption);
  if (!dialog) {
    std::printf("nodialog\n");
    return 1;
  }
  PrintRect("dialog", dialog);
  HWND header = GetDlgItem(dialog, IDC_HeaderControl);
  RemoteBuffer remote(header, 4096);
  if (header && remote.Ok()) {
    RECT sections[2]{};
    for (int i = 0; i < 2; ++i) {
      SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(i), remote.Address());
      remote.Read(&sections[i], sizeof(RECT));
    }
    POINT origin{0, 0};
    ClientToScreen(header, &origin);
    std::printf("header %ld %ld %ld %ld %ld\n", sections[0].right - sections[0].left,
                sections[1].right - sections[1].left, origin.x, origin.y, sections[0].bottom - sections[0].top);
  }
  HWND list = GetDlgItem(dialog, IDC_ListBox);
  const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  RECT listRect{};
  GetWindowRect(list, &listRect);
  std::printf("list %d %d %ld %ld %ld %ld %d\n", count, static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)),
              listRect.left, listRect.top, listRect.right - listRect.left, listRect.bottom - listRect.top,
              GetFocus() == list ? 1 : 0);
  for (int i = 0; i < count; ++i) {
    wchar_t text[1024] = {};
    if (SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) < 1000) {
      SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    }
    RECT item{};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&item), 2);
    std::wstring flat;
    for (wchar_t c : std::wstring(text)) flat += c == L'\t' ? L'|' : c;
    std::printf("item %d %ld %ld %ld %ld [%s]\n", i, item.left, item.top, item.right - item.left,
                item.bottom - item.top, Utf8(flat).c_str());
  }
  for (int id : {IDC_BitBtnLoomworkNew, IDC_BitBtnLoomworkEdit, IDC_BitBtnSelect}) PrintButton(dialog, id);
  HWND status = GetDlgItem(dialog, IDC_StatusBar);
  RemoteBuffer statusText(status, 4096);
  if (status && statusText.Ok()) {
    wchar_t text[1024] = {};
    statusText.Write(text, sizeof text);
    // A simple status bar gives its one text as part 0.
    SendMessageW(status, SB_GETTEXTW, 0, statusText.Address());
    statusText.Read(text, sizeof text - sizeof(wchar_t));
    std::printf("status [%s]\n", Utf8(text).c_str());
  }
  return 0;
}

std::wstring ListViewText(HWND list, RemoteBuffer& remote, int row, int column) {
  constexpr std::size_t kTextAt = 512;  // the item first, its text after it
  constexpr int kChars = 1000;
  LVITEMW item{};
  item.iSubItem = column;
  item.cchTextMax = kChars;
  item.pszText = reinterpret_cast<wchar_t*>(remote.Address() + static_cast<LPARAM>(kTextAt));
  remote.Write(&item, sizeof item);
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), remote.Address());
  std::vector<char> raw(kTextAt + kChars * sizeof(wchar_t));
  remote.Read(raw.data(), raw.size());
  const auto* text = reinterpret_cast<const wchar_t*>(raw.data() + kTextAt);
  return std::wstring(text, wcsnlen(text, kChars - 1));
}

int Findings() {
  HWND dialog = FindVisibleDialog(kCompanionCaption);
  if (!dialog) {
    std::printf("nofindings\n");
    return 1;
  }
  PrintRect("findings", dialog);
  std::wstring text = TextOf(GetDlgItem(dialog, IDC_FINDINGS_TEXT));
  for (wchar_t& c : text) c = c == L'\n' ? L'|' : c;
  std::printf("text [%s]\n", Utf8(text).c_str());
  HWND list = GetDlgItem(dialog, IDC_FINDINGS_LIST);
  RemoteBuffer remote(list, 4096);
  const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < rows && remote.Ok(); ++row) {
    std::printf("row [%s] [%s] [%s]\n", Utf8(ListViewText(list, remote, row, 0)).c_str(),
                Utf8(ListViewText(list, remote, row, 1)).c_str(), Utf8(ListViewText(list, remote, row, 2)).c_str());
  }
  for (int id : {IDOK, IDCANCEL}) PrintButton(dialog, id);
  return 0;
}

// A visible top-level window by its class or its caption ("-" for either).
HWND FindTopWindow(const char* className, const char* title) {
  // Arguments arrive in the ANSI code page.
  const std::wstring wantedClass = std::string(className) == "-" ? L"" : quiltor::FromAnsi(className);
  const std::wstring wantedTitle = std::string(title) == "-" ? L"" : quiltor::FromAnsi(title);
  HWND window = FindWindowW(wantedClass.empty() ? nullptr : wantedClass.c_str(),
                            wantedTitle.empty() ? nullptr : wantedTitle.c_str());
  return window && IsWindowVisible(window) ? window : nullptr;
}

int Window(const char* className, const char* title) {
  HWND window = FindTopWindow(className, title);
  if (!window) {
    std::printf("nowindow\n");
    return 1;
  }
  RECT r{};
  GetWindowRect(window, &r);
  std::printf("window %ld %ld %ld %ld [%s]\n", r.left, r.top, r.right - r.left, r.bottom - r.top,
              Utf8(TextOf(window)).c_str());
  return 0;
}

int Close(const char* className) {
  HWND window = FindTopWindow(className, "-");
  if (!window) return 1;
  PostMessageW(window, WM_CLOSE, 0, 0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string verb = argv[1];
  int code = 2;
  if (verb == "show") code = Show(argc, argv);
  if (verb == "dump") code = Dump();
  if (verb == "findings") code = Findings();
  if (verb == "window" && argc > 3) code = Window(argv[2], argv[3]);
  if (verb == "close" && argc > 2) code = Close(argv[2]);
  if (verb == "resize" && argc > 3) {
    HWND dialog = FindVisibleDialog(kDialogCaption);
    code = dialog && SetWindowPos(dialog, nullptr, 0, 0, std::atoi(argv[2]), std::atoi(argv[3]),
                                  SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE)
               ? 0
               : 1;
  }

  std::fflush(stdout);
  return code;
}
