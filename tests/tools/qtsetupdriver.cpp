// Looks at the tool's setup dialogs from outside, as another program would,
// for the end-to-end tests that drive them with the pointer and the keys.
// Dialogs are named by their caption; output is UTF-8 lines.
//   qtsetupdriver wait <caption> <ms>   wait until the dialog is shown:
//                                       "dialog x y w h topmost"
//   qtsetupdriver gone <caption> <ms>   wait until no window of that caption shows
//   qtsetupdriver controls <caption>    every control of the dialog and of its
//                                       shown tab sheet: "ctl id class x y w h
//                                       visible enabled checked [text]"
//   qtsetupdriver combo <caption> <id>  "combo count selected" and its items
//   qtsetupdriver list <caption> <id>   "list count selected top itemheight"
//                                       and its items when they hold texts
//   qtsetupdriver tabs <caption>        "tabs count selected" and each tab's
//                                       rectangle on the screen
//   qtsetupdriver exchange [mark <text>] the exchange block's buffer sizes
//                                       (offsets 280, 284) and each transfer
//                                       buffer's size and first text; with
//                                       mark, <text> is written into both
//   qtsetupdriver menu                  the shown pop-up menu's rectangle
//   qtsetupdriver version <file>        the file's version resource
//   qtsetupdriver foreground            the foreground window's class and caption
//   qtsetupdriver capture <caption>     which control of the dialog's thread
//                                       holds the mouse capture: "capture id class"
//   qtsetupdriver texts <caption> <face> <points>
//                                       the dialog's client area on the screen
//                                       and its DPI ("client x y w h dpi"),
//                                       then every control shown with the size
//                                       its text takes in the dialog's font
//                                       (`face` at `points` and that DPI):
//                                       "text id class style x y w h tw th [text]"
// Exit code 0 on success, 1 when the window was not found in time.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/outside.h"

namespace {

using namespace quiltor::outside;

HWND FindDialog(const std::wstring& caption) {
  for (HWND w = FindWindowExW(nullptr, nullptr, nullptr, caption.c_str()); w;
       w = FindWindowExW(nullptr, w, nullptr, caption.c_str())) {
    if (IsWindowVisible(w)) return w;
  }
  return nullptr;
}

HWND WaitDialog(const std::wstring& caption, DWORD limit) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (HWND w = FindDialog(caption)) return w;
    if (GetTickCount() - start >= limit) return nullptr;
    Sleep(20);
  }
}

void PrintWindowLine(const char* tag, HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  std::printf("%s %ld %ld %ld %ld %d\n", tag, r.left, r.top, r.right - r.left, r.bottom - r.top,
              (GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0);
}

int CheckState(HWND w) {
  const std::wstring cls = ClassOf(w);
  if (cls != L"Button") return -1;
  const LONG type = GetWindowLongW(w, GWL_STYLE) & BS_TYPEMASK;
  if (type != BS_AUTOCHECKBOX && type != BS_CHECKBOX && type != BS_AUTORADIOBUTTON && type != BS_RADIOBUTTON) {
    return -1;
  }
  return static_cast<int>(SendMessageW(w, BM_GETCHECK, 0, 0));
}

// The text a control holds, asked of its own process (GetWindowText gives
// only the captions of another process's windows).
std::wstring ContentOf(HWND w) {
  wchar_t text[1024] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &copied);
  return text;
}

// A control is listed when it and every parent up to the dialog are shown,
// so only the tab sheet in front counts.
bool ShownUpTo(HWND w, HWND dialog) {
  for (HWND p = w; p && p != dialog; p = GetParent(p)) {
    if (!(GetWindowLongW(p, GWL_STYLE) & WS_VISIBLE)) return false;
  }
  return true;
}

void PrintControls(HWND dialog) {
  struct Context {
    HWND dialog;
  } context{dialog};
  EnumChildWindows(
      dialog,
      [](HWND w, LPARAM p) -> BOOL {
        auto* c = reinterpret_cast<Context*>(p);
        if (!ShownUpTo(w, c->dialog)) return TRUE;
        RECT r{};
        GetWindowRect(w, &r);
        std::wstring text = ContentOf(w);
        for (wchar_t& ch : text) {
          if (ch == L'\n' || ch == L'\r') ch = L'|';
        }
        std::printf("ctl %d %s %ld %ld %ld %ld %d %d %d [%s]\n", GetDlgCtrlID(w), Utf8(ClassOf(w)).c_str(), r.left,
                    r.top, r.right - r.left, r.bottom - r.top, 1, IsWindowEnabled(w) ? 1 : 0, CheckState(w),
                    Utf8(text).c_str());
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&context));
}

// Where a dialog's text would be cut, read from outside: the font the
// template names, at the dialog's DPI, measures each control's text.
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

void PrintTexts(HWND dialog, const std::wstring& face, int points) {
  RECT client{};
  GetClientRect(dialog, &client);
  MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&client), 2);
  const int dpi = WindowDpi(dialog);
  std::printf("client %ld %ld %ld %ld %d\n", client.left, client.top, client.right - client.left,
              client.bottom - client.top, dpi);
  struct Context {
    HWND dialog;
    HDC dc;
  } context{dialog, CreateCompatibleDC(nullptr)};
  HFONT font = CreateFontW(-MulDiv(points, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face.c_str());
  HGDIOBJ old = SelectObject(context.dc, font);
  EnumChildWindows(
      dialog,
      [](HWND w, LPARAM p) -> BOOL {
        auto* c = reinterpret_cast<Context*>(p);
        if (!ShownUpTo(w, c->dialog)) return TRUE;
        std::wstring text = ContentOf(w);
        // What the control shows: "&&" is one ampersand, a lone one underlines.
        std::wstring shown;
        for (std::size_t i = 0; i < text.size(); ++i) {
          if (text[i] == L'&' && i + 1 < text.size()) ++i;
          shown += text[i];
        }
        SIZE size{};
        GetTextExtentPoint32W(c->dc, shown.c_str(), static_cast<int>(shown.size()), &size);
        TEXTMETRICW metrics{};
        GetTextMetricsW(c->dc, &metrics);
        RECT r{};
        GetWindowRect(w, &r);
        for (wchar_t& ch : text) {
          if (ch == L'\n' || ch == L'\r') ch = L'|';
        }
        std::printf("text %d %s %lu %ld %ld %ld %ld %ld %ld [%s]\n", GetDlgCtrlID(w), Utf8(ClassOf(w)).c_str(),
                    static_cast<unsigned long>(GetWindowLongW(w, GWL_STYLE)), r.left, r.top, r.right - r.left,
                    r.bottom - r.top, shown.empty() ? 0L : size.cx, metrics.tmHeight, Utf8(text).c_str());
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&context));
  SelectObject(context.dc, old);
  DeleteObject(font);
  DeleteDC(context.dc);
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
        if (ShownUpTo(w, s->dialog)) {
          s->shown = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.shown ? search.shown : search.any;
}

void PrintCombo(HWND combo) {
  const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  std::printf("combo %d %d\n", count, static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)));
  for (int i = 0; i < count; ++i) {
    wchar_t text[1024] = {};
    if (SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) < 1023) {
      SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    }
    std::printf("item %d [%s]\n", i, Utf8(text).c_str());
  }
}

void PrintList(HWND list) {
  const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  std::printf("list %d %d %d %d\n", count, static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)),
              static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0)),
              static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0)));
  const LONG style = GetWindowLongW(list, GWL_STYLE);
  const bool texts = !(style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) || (style & LBS_HASSTRINGS);
  for (int i = 0; texts && i < count; ++i) {
    wchar_t text[1024] = {};
    if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 1023) {
      SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
    }
    std::printf("item %d [%s]\n", i, Utf8(text).c_str());
  }
}

void PrintTabs(HWND tabs) {
  const int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
  std::printf("tabs %d %d\n", count, static_cast<int>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0)));
  RemoteBuffer remote(tabs, sizeof(RECT));
  for (int i = 0; i < count && remote.Ok(); ++i) {
    RECT r{};
    SendMessageW(tabs, TCM_GETITEMRECT, i, remote.Address());
    remote.Read(&r, sizeof r);
    MapWindowPoints(tabs, nullptr, reinterpret_cast<POINT*>(&r), 2);
    std::printf("tab %d %ld %ld %ld %ld\n", i, r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
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

int Exchange(const char* mark) {
  HANDLE block = OpenFileMappingA(FILE_MAP_READ, FALSE, "QuiltorCommonMemory");
  if (!block) {
    std::printf("noblock\n");
    return 1;
  }
  const auto* bytes = static_cast<const unsigned char*>(MapViewOfFile(block, FILE_MAP_READ, 0, 0, 288));
  if (!bytes) {
    CloseHandle(block);
    return 1;
  }
  std::uint32_t size1 = 0, size2 = 0;
  std::memcpy(&size1, bytes + 280, 4);
  std::memcpy(&size2, bytes + 284, 4);
  std::printf("block %u %u\n", size1, size2);
  UnmapViewOfFile(bytes);
  CloseHandle(block);
  for (const char* name : {"QuiltorCommonMemory1", "QuiltorCommonMemory2"}) {
    HANDLE buffer = OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name);
    if (!buffer) {
      std::printf("nobuffer %s\n", name);
      continue;
    }
    auto* data = static_cast<char*>(MapViewOfFile(buffer, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0));
    if (data && mark) std::memcpy(data, mark, std::strlen(mark) + 1);
    std::string first = data ? std::string(data, strnlen(data, 64)) : std::string();
    std::printf("buffer %s %lld [%s]\n", name, SectionSize(buffer), first.c_str());
    if (data) UnmapViewOfFile(data);
    CloseHandle(buffer);
  }
  return 0;
}

int Version(const std::wstring& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) {
    std::printf("noversion\n");
    return 1;
  }
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

}  // namespace

int main() {
  // Captions are Japanese: the arguments are taken as the system hands them
  // over in UTF-16, not through the ANSI code page.
  int argc = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!wide) return 2;
  std::vector<std::wstring> args(wide, wide + argc);
  LocalFree(wide);
  if (argc < 2) {
    std::fprintf(stderr, "usage: qtsetupdriver wait|gone|controls|combo|list|tabs|exchange|menu|version ...\n");
    return 2;
  }
  const std::string verb = Utf8(args[1]);
  if (verb == "exchange") {
    const std::string mark = argc > 3 && args[2] == L"mark" ? Utf8(args[3]) : std::string();
    return Exchange(argc > 3 ? mark.c_str() : nullptr);
  }
  if (verb == "version" && argc > 2) return Version(args[2]);
  if (verb == "foreground") {
    HWND w = GetForegroundWindow();
    std::printf("foreground %s [%s]\n", Utf8(ClassOf(w)).c_str(), Utf8(TextOf(w)).c_str());
    return 0;
  }
  if (verb == "menu") {
    int shown = 0;
    for (HWND w = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); w;
         w = FindWindowExW(nullptr, w, L"#32768", nullptr)) {
      if (IsWindowVisible(w)) {
        PrintWindowLine("menu", w);
        ++shown;
      }
    }
    if (shown == 0) std::printf("nomenu\n");
    return shown ? 0 : 1;
  }
  if (argc < 3) return 2;
  const std::wstring& caption = args[2];
  const DWORD limit = argc > 3 ? static_cast<DWORD>(std::wcstoul(args[3].c_str(), nullptr, 10)) : 10000;
  if (verb == "wait") {
    HWND dialog = WaitDialog(caption, limit);
    if (!dialog) {
      std::printf("nodialog\n");
      return 1;
    }
    PrintWindowLine("dialog", dialog);
    return 0;
  }
  if (verb == "gone") {
    const DWORD start = GetTickCount();
    while (FindDialog(caption)) {
      if (GetTickCount() - start >= limit) {
        std::printf("shown\n");
        return 1;
      }
      Sleep(20);
    }
    std::printf("gone\n");
    return 0;
  }
  HWND dialog = FindDialog(caption);
  if (!dialog) {
    std::printf("nodialog\n");
    return 1;
  }
  if (verb == "capture") {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    std::printf("capture %d %s\n", info.hwndCapture ? GetDlgCtrlID(info.hwndCapture) : 0,
                info.hwndCapture ? Utf8(ClassOf(info.hwndCapture)).c_str() : "-");
  } else if (verb == "controls") {
    PrintWindowLine("dialog", dialog);
    PrintControls(dialog);
  } else if ((verb == "combo" || verb == "list") && argc > 3) {
    HWND control = FindControl(dialog, static_cast<int>(std::wcstol(args[3].c_str(), nullptr, 10)));
    if (!control) {
      std::printf("nocontrol\n");
      return 1;
    }
    if (verb == "combo") {
      PrintCombo(control);
    } else {
      PrintList(control);
    }
  } else if (verb == "texts" && argc > 4) {
    PrintTexts(dialog, args[3], static_cast<int>(std::wcstol(args[4].c_str(), nullptr, 10)));
  } else if (verb == "tabs") {
    HWND tabs = FindWindowExW(dialog, nullptr, WC_TABCONTROLW, nullptr);
    if (!tabs) return 1;
    PrintTabs(tabs);
  } else {
    return 2;
  }
  std::fflush(stdout);
  return 0;
}
