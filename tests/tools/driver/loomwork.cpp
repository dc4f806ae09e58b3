// The data-file selection dialog (shown by qtloomworkdlg or by the tool) and
// the companion program's windows, from outside.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "companion_ids.h"
#include "tools/driver/driver.h"
#include "ui/datafile/loomwork_ids.h"

namespace quiltor::driver {
namespace {

constexpr wchar_t kDialogCaption[] = L"くいるとるデータ";
constexpr wchar_t kCompanionCaption[] = L"るーむわーく";

HWND FindVisibleDialog(const wchar_t* caption) { return FindShown(L"#32770", caption); }

void PrintRect(const char* tag, HWND w) {
  std::printf("%s %s %d %d\n", tag, Dims(RectOf(w)).c_str(), Flag(IsWindowVisible(w)), Flag(IsWindowEnabled(w)));
}

void PrintButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  if (!button) return;
  std::printf("button %d %d %s [%s]\n", id, Flag(IsWindowEnabled(button)), Dims(RectOf(button)).c_str(),
              Utf8(TextOf(button)).c_str());
}

int Dump(const Args&) {
  if (HWND owner = FindWindowW(L"QtLoomworkOwner", nullptr)) {
    std::printf("owner %d %d\n", Flag(IsIconic(owner)), Flag(IsWindowVisible(owner)));
  }
  HWND dialog = FindVisibleDialog(kDialogCaption);
  if (!dialog) return Fail("nodialog");
  PrintRect("dialog", dialog);
  HWND header = GetDlgItem(dialog, IDC_HeaderControl);
  RemoteBuffer remote(header, sizeof(RECT));
  if (header && remote.Ok()) {
    const auto first = Fetch<RECT>(header, HDM_GETITEMRECT, 0, remote);
    const auto second = Fetch<RECT>(header, HDM_GETITEMRECT, 1, remote);
    POINT origin{0, 0};
    ClientToScreen(header, &origin);
    std::printf("header %ld %ld %ld %ld %ld\n", first.right - first.left, second.right - second.left, origin.x,
                origin.y, first.bottom - first.top);
  }
  HWND list = GetDlgItem(dialog, IDC_ListBox);
  const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  std::printf("list %d %d %s %d\n", count, static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)),
              Dims(RectOf(list)).c_str(), Flag(GetFocus() == list));
  for (int i = 0; i < count; ++i) {
    RECT item{};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&item), 2);
    std::printf("item %d %s [%s]\n", i, Dims(item).c_str(), Utf8(Flat(ListItem(list, i), L"\t")).c_str());
  }
  for (int id : {IDC_BitBtnLoomworkNew, IDC_BitBtnLoomworkEdit, IDC_BitBtnSelect}) PrintButton(dialog, id);
  if (HWND status = GetDlgItem(dialog, IDC_StatusBar)) {
    std::printf("status [%s]\n", Utf8(StatusBarText(status)).c_str());
  }
  return 0;
}

// Sizes the dialog as a user dragging its frame would.
int Resize(const Args& args) {
  HWND dialog = FindVisibleDialog(kDialogCaption);
  return dialog && SetWindowPos(dialog, nullptr, 0, 0, static_cast<int>(args.Number(0)),
                                static_cast<int>(args.Number(1)), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE)
             ? 0
             : 1;
}

int Findings(const Args&) {
  HWND dialog = FindVisibleDialog(kCompanionCaption);
  if (!dialog) return Fail("nofindings");
  PrintRect("findings", dialog);
  std::printf("text [%s]\n", Utf8(Flat(TextOf(GetDlgItem(dialog, IDC_FINDINGS_TEXT)), L"\n")).c_str());
  HWND list = GetDlgItem(dialog, IDC_FINDINGS_LIST);
  RemoteBuffer remote(list, kRemoteTextSize);
  const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < rows && remote.Ok(); ++row) {
    std::printf("row");
    for (int column = 0; column < 3; ++column) {
      LVITEMW item{};
      item.iSubItem = column;
      item.cchTextMax = kRemoteChars;
      const std::wstring text =
          FetchText(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), remote, item, &LVITEMW::pszText);
      std::printf(" [%s]", Utf8(text).c_str());
    }
    std::printf("\n");
  }
  for (int id : {IDOK, IDCANCEL}) PrintButton(dialog, id);
  return 0;
}

// A shown top-level window by its class or its caption ("-" for either).
HWND FindTopWindow(const std::wstring& className, const std::wstring& caption) {
  return FindShown(className == L"-" ? nullptr : className.c_str(), caption == L"-" ? std::wstring() : caption);
}

int Window(const Args& args) {
  HWND window = FindTopWindow(args.Text(0), args.Text(1));
  if (!window) return Fail("nowindow");
  std::printf("window %s [%s]\n", Dims(RectOf(window)).c_str(), Utf8(TextOf(window)).c_str());
  return 0;
}

int Close(const Args& args) {
  HWND window = FindTopWindow(args.Text(0), L"-");
  if (!window) return 1;
  PostMessageW(window, WM_CLOSE, 0, 0);
  return 0;
}

constexpr Subcommand kSubcommands[] = {
    {"dump", 0, kAlone, Dump,
     "  the owner's state, then the dialog (\"nodialog\" while hidden): rectangle, header, list rows with "
     "their screen rectangles, buttons, status bar text"},
    {"resize", 2, kAlone, Resize, "<w> <h>  size the dialog as a user dragging its frame would"},
    {"findings", 0, kAlone, Findings, "  the companion's list of faults: rectangle, text, rows, buttons"},
    {"window", 2, kAlone, Window,
     "<class> <title>  rectangle and caption of a shown top-level window (\"-\" for either not asked for)"},
    {"close", 1, kAlone, Close, "<class>  WM_CLOSE to a shown top-level window of that class"},
};

}  // namespace

const Family kLoomworkFamily{"loomwork", "the data-file dialog and the companion", kSubcommands};

}  // namespace quiltor::driver
