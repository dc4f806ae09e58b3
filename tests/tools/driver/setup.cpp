// The setup dialogs from outside, named by their caption: their controls,
// combo boxes, lists and tabs, the mouse capture, the texts' room; the
// exchange area's buffers, a file's version resource.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/driver/driver.h"

namespace quiltor::driver {
namespace {

HWND FindDialog(const std::wstring& caption) { return FindShown(nullptr, caption); }

// The dialog of the first argument, or nullptr once "nodialog" is printed.
HWND DialogOrFail(const Args& args) {
  HWND dialog = FindDialog(args.Text(0));
  if (!dialog) Fail("nodialog");
  return dialog;
}

void PrintWindowLine(const char* tag, HWND w) {
  std::printf("%s %s %d\n", tag, Dims(RectOf(w)).c_str(), Flag(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST));
}

int CheckState(HWND w) {
  if (ClassOf(w) != L"Button") return -1;
  const LONG type = GetWindowLongW(w, GWL_STYLE) & BS_TYPEMASK;
  if (type != BS_AUTOCHECKBOX && type != BS_CHECKBOX && type != BS_AUTORADIOBUTTON && type != BS_RADIOBUTTON) {
    return -1;
  }
  return static_cast<int>(SendMessageW(w, BM_GETCHECK, 0, 0));
}

// A control is listed when it and every parent up to the dialog are shown,
// so only the tab sheet in front counts.
bool ShownUpTo(HWND w, HWND dialog) {
  for (HWND p = w; p && p != dialog; p = GetParent(p)) {
    if (!(GetWindowLongW(p, GWL_STYLE) & WS_VISIBLE)) return false;
  }
  return true;
}

// Calls `each` for every control of `dialog` that ShownUpTo lists.
template <class Each>
void ForShownControls(HWND dialog, Each each) {
  struct Context {
    HWND dialog;
    Each& each;
  } context{dialog, each};
  EnumChildWindows(
      dialog,
      [](HWND w, LPARAM p) -> BOOL {
        auto* c = reinterpret_cast<Context*>(p);
        if (ShownUpTo(w, c->dialog)) c->each(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&context));
}

int Controls(const Args& args) {
  HWND dialog = DialogOrFail(args);
  if (!dialog) return 1;
  PrintWindowLine("dialog", dialog);
  ForShownControls(dialog, [](HWND w) {
    std::printf("ctl %d %s %s %d %d %d [%s]\n", GetDlgCtrlID(w), Utf8(ClassOf(w)).c_str(), Dims(RectOf(w)).c_str(),
                1, Flag(IsWindowEnabled(w)), CheckState(w), Utf8(Flat(ContentOf(w))).c_str());
  });
  return 0;
}

int WindowDpi(HWND w) {
  using Fn = UINT(WINAPI*)(HWND);
  static const auto getDpi =
      reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpi) {
    if (const UINT dpi = getDpi(w)) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

// Where a dialog's text would be cut, read from outside: the font the
// template names, at the dialog's DPI, measures each control's text.
int Texts(const Args& args) {
  HWND dialog = DialogOrFail(args);
  if (!dialog) return 1;
  RECT client{};
  GetClientRect(dialog, &client);
  MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&client), 2);
  const int dpi = WindowDpi(dialog);
  std::printf("client %s %d\n", Dims(client).c_str(), dpi);
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = CreateFontW(-MulDiv(static_cast<int>(args.Number(2)), dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                           FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH, args.Text(1).c_str());
  HGDIOBJ old = SelectObject(dc, font);
  ForShownControls(dialog, [dc](HWND w) {
    const std::wstring text = ContentOf(w);
    // What the control shows: "&&" is one ampersand, a lone one underlines.
    std::wstring shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == L'&' && i + 1 < text.size()) ++i;
      shown += text[i];
    }
    SIZE size{};
    GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    std::printf("text %d %s %lu %s %ld %ld [%s]\n", GetDlgCtrlID(w), Utf8(ClassOf(w)).c_str(),
                static_cast<unsigned long>(GetWindowLongW(w, GWL_STYLE)), Dims(RectOf(w)).c_str(),
                shown.empty() ? 0L : size.cx, metrics.tmHeight, Utf8(Flat(text)).c_str());
  });
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
  return 0;
}

// The control of `id` among the dialog's descendants that is shown, else any.
HWND FindControl(HWND dialog, int id) {
  struct Search {
    HWND dialog;
    int id;
    HWND shown;
    HWND any;
  } search{dialog, id, nullptr, nullptr};
  EnumChildWindows(
      dialog,
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        if (GetDlgCtrlID(w) != s->id) return TRUE;
        if (!s->any) s->any = w;
        if (!ShownUpTo(w, s->dialog)) return TRUE;
        s->shown = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.shown ? search.shown : search.any;
}

// The control named by the dialog and id arguments, or nullptr once the missing one is printed.
HWND ControlOrFail(const Args& args) {
  HWND dialog = DialogOrFail(args);
  if (!dialog) return nullptr;
  HWND control = FindControl(dialog, static_cast<int>(args.Number(1)));
  if (!control) Fail("nocontrol");
  return control;
}

int Combo(const Args& args) {
  HWND combo = ControlOrFail(args);
  if (!combo) return 1;
  const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  std::printf("combo %d %d\n", count, static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)));
  for (int i = 0; i < count; ++i) std::printf("item %d [%s]\n", i, Utf8(ComboItem(combo, i)).c_str());
  return 0;
}

int List(const Args& args) {
  HWND list = ControlOrFail(args);
  if (!list) return 1;
  const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  std::printf("list %d %d %d %d\n", count, static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)),
              static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0)),
              static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0)));
  const LONG style = GetWindowLongW(list, GWL_STYLE);
  const bool texts = !(style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) || (style & LBS_HASSTRINGS);
  for (int i = 0; texts && i < count; ++i) std::printf("item %d [%s]\n", i, Utf8(ListItem(list, i)).c_str());
  return 0;
}

int Tabs(const Args& args) {
  HWND dialog = DialogOrFail(args);
  if (!dialog) return 1;
  HWND tabs = FindWindowExW(dialog, nullptr, WC_TABCONTROLW, nullptr);
  if (!tabs) return 1;
  const int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
  std::printf("tabs %d %d\n", count, static_cast<int>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0)));
  RemoteBuffer remote(tabs, sizeof(RECT));
  for (int i = 0; i < count && remote.Ok(); ++i) {
    auto r = Fetch<RECT>(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(i), remote);
    MapWindowPoints(tabs, nullptr, reinterpret_cast<POINT*>(&r), 2);
    std::printf("tab %d %s\n", i, Dims(r).c_str());
  }
  return 0;
}

int Capture(const Args& args) {
  HWND dialog = DialogOrFail(args);
  if (!dialog) return 1;
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
  std::printf("capture %d %s\n", info.hwndCapture ? GetDlgCtrlID(info.hwndCapture) : 0,
              info.hwndCapture ? Utf8(ClassOf(info.hwndCapture)).c_str() : "-");
  return 0;
}

int Wait(const Args& args) {
  HWND dialog = nullptr;
  if (!WaitFor(args.Ms(1, 10000), [&] { return (dialog = FindDialog(args.Text(0))) != nullptr; })) {
    return Fail("nodialog");
  }
  PrintWindowLine("dialog", dialog);
  return 0;
}

int Gone(const Args& args) {
  if (!WaitFor(args.Ms(1, 10000), [&] { return FindDialog(args.Text(0)) == nullptr; })) return Fail("shown");
  std::printf("gone\n");
  return 0;
}

// Section sizes come from the system's own query, so a buffer of 2048 bytes
// is told from the page it occupies.
using NtQuerySectionFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
struct SectionBasicInformation {
  void* base;
  ULONG attributes;
  LARGE_INTEGER size;
};

long long SectionSize(HANDLE mapping) {
  static const auto query = reinterpret_cast<NtQuerySectionFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySection")));
  SectionBasicInformation info{};
  if (!query || query(mapping, 0, &info, sizeof info, nullptr) != 0) return -1;
  return info.size.QuadPart;
}

int Exchange(const Args& args) {
  const bool marking = args.Count() > 1 && args.Text(0) == L"mark";
  const std::string mark = marking ? Utf8(args.Text(1)) : std::string();
  {
    const MappedView block("QuiltorCommonMemory", FILE_MAP_READ, 288);
    if (!block.Data()) return Fail("noblock");
    std::uint32_t size1 = 0, size2 = 0;
    std::memcpy(&size1, block.Data() + 280, 4);
    std::memcpy(&size2, block.Data() + 284, 4);
    std::printf("block %u %u\n", size1, size2);
  }
  for (const char* name : {"QuiltorCommonMemory1", "QuiltorCommonMemory2"}) {
    const MappedView buffer(name, FILE_MAP_READ | FILE_MAP_WRITE);
    if (!buffer.Mapping()) {
      std::printf("nobuffer %s\n", name);
      continue;
    }
    char* data = buffer.Data();
    if (data && marking) std::memcpy(data, mark.c_str(), mark.size() + 1);
    const std::string first = data ? std::string(data, strnlen(data, 64)) : std::string();
    std::printf("buffer %s %lld [%s]\n", name, SectionSize(buffer.Mapping()), first.c_str());
  }
  return 0;
}

int Version(const Args& args) {
  const std::wstring& path = args.Text(0);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return Fail("noversion");
  std::vector<char> data(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return 1;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
    std::printf("fixed %d.%d.%d.%d\n", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
  }
  struct Translation {
    WORD language;
    WORD codePage;
  }* translations = nullptr;
  if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &length) ||
      length < sizeof(Translation)) {
    return 0;
  }
  for (const wchar_t* name : {L"FileVersion", L"ProductVersion", L"ProductName"}) {
    wchar_t key[128];
    swprintf(key, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translations[0].language, translations[0].codePage, name);
    wchar_t* value = nullptr;
    if (VerQueryValueW(data.data(), key, reinterpret_cast<void**>(&value), &length) && value) {
      std::printf("string %s [%s]\n", Utf8(name).c_str(), Utf8(value).c_str());
    }
  }
  return 0;
}

int Menu(const Args&) {
  const std::vector<HWND> menus = ShownMenus();
  for (HWND menu : menus) PrintWindowLine("menu", menu);
  return menus.empty() ? Fail("nomenu") : 0;
}

constexpr Subcommand kSubcommands[] = {
    {"wait", 1, kAlone, Wait, "<caption> [<ms>]  wait until the dialog is shown: \"dialog <x> <y> <w> <h> <topmost>\""},
    {"gone", 1, kAlone, Gone, "<caption> [<ms>]  wait until no window of that caption shows: \"gone\" or \"shown\""},
    {"controls", 1, kAlone, Controls,
     "<caption>  every control of the dialog and of its shown tab sheet: "
     "\"ctl <id> <class> <x> <y> <w> <h> <visible> <enabled> <checked> [<text>]\""},
    {"combo", 2, kAlone, Combo, "<caption> <id>  \"combo <count> <selected>\" and its items"},
    {"list", 2, kAlone, List, "<caption> <id>  \"list <count> <selected> <top> <item height>\" and its items when texts"},
    {"tabs", 1, kAlone, Tabs, "<caption>  \"tabs <count> <selected>\" and each tab's rectangle on the screen"},
    {"capture", 1, kAlone, Capture, "<caption>  which control of the dialog's thread holds the mouse: \"capture <id> <class>\""},
    {"texts", 3, kAlone, Texts,
     "<caption> <face> <points>  \"client <x> <y> <w> <h> <dpi>\", then every control shown with the size its "
     "text takes in <face> at <points> and that DPI: \"text <id> <class> <style> <x> <y> <w> <h> <tw> <th> [<text>]\""},
    {"exchange", 0, kAlone, Exchange,
     "[mark <text>]  the exchange block's buffer sizes (offsets 280, 284) and each transfer buffer's size and "
     "first text; with mark, <text> is written into both"},
    {"menu", 0, kAlone, Menu, "  the shown pop-up menus' rectangles: \"menu <x> <y> <w> <h> <topmost>\""},
    {"version", 1, kAlone, Version, "<file>  the file's version resource"},
};

}  // namespace

const Family kSetupFamily{"setup", "the setup dialogs, by caption", kSubcommands};

}  // namespace quiltor::driver
