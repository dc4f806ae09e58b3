// Looks at a running Quiltor window from outside, as another program would,
// and prints what it finds as UTF-8 lines for the end-to-end tests:
//   qtdriver wait <ms>    wait until the window exists and has loaded its data
//   qtdriver dump         window rectangle, named parts, tabs, buttons
//   qtdriver command <name> post the command of the window's command table
//                         named <name> (ToolButton_Repeat, Popup_Exit...)
//   qtdriver close        post WM_CLOSE
//   qtdriver idle <ms>    wait until the tool reports itself idle (nothing
//                         pending, the watch timer running)
//   qtdriver target <ms> <class> [linked]
//                         wait until the tool's simple-mode target (or linked
//                         edit window) is a window of class <class>
//   qtdriver status       one line: idle, the simple-mode target's class, the
//                         linked edit window's class
//   qtdriver menus        how many pop-up menus are open
//   qtdriver tree         every child window: class, text, rectangle, visible
//   qtdriver files        the open-file list: ComboBoxFile's entries and
//                         selection, the labels of PanelFilePath; the status
//                         bar's text and its tool tip ("statushint <1 when
//                         the bar has a tip> [<its text>]")
//   qtdriver answers <ms> whether the window answers a message within <ms>
//   qtdriver watch <ms>   for <ms>, print each change of the window's
//                         visibility with the time it was seen
//   qtdriver garbage      send WM_COPYDATA messages a careless program might:
//                         random bytes with no terminator, an empty one,
//                         a forwarded-looking one cut off mid-line, one with
//                         another marker
//   qtdriver box <ms> [id] wait for a message box of the tool, print its
//                         text and position, and press button `id` (IDOK...)
//   qtdriver search       the item search: whether its box shows, the number
//                         of hits and the selected row, whether the note of
//                         no hits shows, the query and the note's text
//   qtdriver ime <hex>... what an IME hands over when the user confirms a
//                         composition: the key it took (VK_PROCESSKEY) to the
//                         window with the keyboard focus, then the composed
//                         UTF-16 units as WM_IME_CHAR to the window that has
//                         the focus once the tool has handled that key
// Exit code 0 on success, 1 when the window was not found in time.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/outside.h"
#include "ui/message_box.h"
#include "ui/main/search_panel.h"
#include "window/commands.h"
#include "window/main_view.h"

namespace {

using namespace quiltor::outside;

void PrintRect(const char* tag, const std::wstring& name, HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  std::printf("%s %s %ld %ld %ld %ld %d %d\n", tag, Utf8(name).c_str(), r.left, r.top, r.right - r.left,
              r.bottom - r.top, IsWindowVisible(w) ? 1 : 0, IsWindowEnabled(w) ? 1 : 0);
}

void DumpBar(HWND bar, int page, int column) {
  int count = static_cast<int>(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0));
  RemoteBuffer remote(bar, 4096);
  if (!remote.Ok()) return;
  for (int i = 0; i < count; ++i) {
    TBBUTTON button{};
    SendMessageW(bar, TB_GETBUTTON, i, remote.Address());
    remote.Read(&button, sizeof(button));
    wchar_t text[512] = {};
    LRESULT length = SendMessageW(bar, TB_GETBUTTONTEXTW, button.idCommand, remote.Address());
    if (length > 0 && length < 500) remote.Read(text, static_cast<size_t>(length + 1) * sizeof(wchar_t));
    RECT r{};
    SendMessageW(bar, TB_GETITEMRECT, i, remote.Address());
    remote.Read(&r, sizeof(r));
    LRESULT state = SendMessageW(bar, TB_GETSTATE, button.idCommand, 0);
    std::printf("button %d %d %d %d %d %d %d %ld %ld [%s]\n", page, column, i, (state & TBSTATE_ENABLED) ? 1 : 0,
                button.iBitmap, (button.fsStyle & BTNS_WHOLEDROPDOWN) ? 1 : 0, (state & TBSTATE_MARKED) ? 1 : 0,
                r.right - r.left, r.bottom - r.top, Utf8(text).c_str());
  }
}

void Dump(HWND main) {
  RECT r{};
  GetWindowRect(main, &r);
  std::printf("window %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  std::printf("visible %d\n", IsWindowVisible(main) ? 1 : 0);
  std::printf("foreground %d\n", GetForegroundWindow() == main ? 1 : 0);
  std::printf("topmost %d\n", (GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0);
  LONG style = GetWindowLongW(main, GWL_STYLE);
  std::printf("style popup %d thickframe %d caption %d sysmenu %d\n", (style & WS_POPUP) ? 1 : 0,
              (style & WS_THICKFRAME) ? 1 : 0, (style & WS_CAPTION) == WS_CAPTION ? 1 : 0,
              (style & WS_SYSMENU) ? 1 : 0);
  for (const wchar_t* name : {L"PanelTop", L"ImageIcon", L"ImageTitle1", L"ImageTitle2", L"SpeedButtonFix",
                              L"SpeedButtonResize1", L"SpeedButtonResize2", L"SpeedButtonMinimize",
                              L"SpeedButtonExit", L"ProgressBarLoading", L"ToolBar", L"ComboBoxFile",
                              L"PageControl", L"StatusBar"}) {
    if (HWND w = FindChildNamed(main, name)) PrintRect("part", name, w);
  }
  HWND tabs = FindChildNamed(main, L"PageControl");
  if (!tabs) return;
  int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
  std::printf("tabs %d\n", count);
  std::printf("active %d\n", static_cast<int>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0)));
  RemoteBuffer remote(tabs, 4096);
  for (int i = 0; i < count && remote.Ok(); ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = reinterpret_cast<wchar_t*>(remote.Address() + 256);
    item.cchTextMax = 200;
    remote.Write(&item, sizeof(item));
    SendMessageW(tabs, TCM_GETITEMW, i, remote.Address());
    std::vector<char> raw(256 + 400 * sizeof(wchar_t));
    remote.Read(raw.data(), raw.size());
    std::wstring caption(reinterpret_cast<wchar_t*>(raw.data() + 256));
    std::printf("tab %d [%s]\n", i, Utf8(caption).c_str());
  }
  // The page boxes are the tab control's children, named "ScrollBox<page>";
  // a page's box exists once the page has been shown.
  for (HWND box = GetWindow(tabs, GW_CHILD); box; box = GetWindow(box, GW_HWNDNEXT)) {
    if (ClassOf(box) != L"QuiltorPageBox") continue;
    const int page = _wtoi(TextOf(box).c_str() + 9);
    std::printf("page %d visible %d\n", page, IsWindowVisible(box) ? 1 : 0);
    int column = 0;
    for (HWND bar = GetWindow(box, GW_CHILD); bar; bar = GetWindow(bar, GW_HWNDNEXT)) {
      if (ClassOf(bar) != TOOLBARCLASSNAMEW) continue;
      DumpBar(bar, page, TextOf(bar) == L"ToolBarSide" ? 1 : 0);
      ++column;
    }
  }
}

// The status bar's text and the tool tip the tool gives it, read through
// memory lent to the tool's process.
void DumpStatusBar(HWND main) {
  HWND bar = FindChildNamed(main, L"StatusBar");
  RemoteBuffer remote(main, 8192);
  if (!bar || !remote.Ok()) return;
  constexpr size_t kTextOffset = 1024;
  constexpr size_t kChars = 1024;
  std::vector<char> raw(kTextOffset + kChars * sizeof(wchar_t), '\0');
  auto text = [&raw] {
    raw[raw.size() - 1] = raw[raw.size() - 2] = '\0';
    return std::wstring(reinterpret_cast<const wchar_t*>(raw.data() + kTextOffset));
  };
  // A simple status bar's text is part 0 to SB_GETTEXT.
  std::wstring shown;
  if (LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, 0, 0)) < kChars) {
    remote.Write(raw.data(), raw.size());
    SendMessageW(bar, SB_GETTEXTW, 0, remote.Address() + kTextOffset);
    remote.Read(raw.data(), raw.size());
    shown = text();
  }
  std::printf("status [%s]\n", Utf8(shown).c_str());
  // The tool's tool tips are owned by its main window; one of them knows the bar.
  struct Search {
    HWND main;
    std::vector<HWND> tips;
  } search{main, {}};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        if (GetWindow(w, GW_OWNER) == s->main && ClassOf(w) == TOOLTIPS_CLASSW) s->tips.push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  for (HWND tips : search.tips) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = main;
    tool.uId = reinterpret_cast<UINT_PTR>(bar);
    tool.lpszText = reinterpret_cast<wchar_t*>(remote.Address() + kTextOffset);
    std::fill(raw.begin(), raw.end(), '\0');
    std::memcpy(raw.data(), &tool, sizeof tool);
    remote.Write(raw.data(), raw.size());
    if (!SendMessageW(tips, TTM_GETTOOLINFOW, 0, remote.Address())) continue;
    remote.Write(raw.data(), raw.size());
    SendMessageW(tips, TTM_GETTEXTW, kChars, remote.Address());
    remote.Read(raw.data(), raw.size());
    std::printf("statushint 1 [%s]\n", Utf8(text()).c_str());
    return;
  }
  std::printf("statushint 0 []\n");
}

// ComboBoxFile (control id 138) and the two labels inside PanelFilePath.
void DumpFiles(HWND main) {
  HWND combo = GetDlgItem(main, 138);
  const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  std::printf("combo %d %d %d\n", count, static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)),
              IsWindowEnabled(combo) ? 1 : 0);
  for (int i = 0; i < count; ++i) {
    wchar_t text[1024] = {};
    if (SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) < 1023) SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    std::printf("entry %d [%s]\n", i, Utf8(text).c_str());
  }
  HWND panel = FindChildNamed(main, L"PanelFilePath");
  std::printf("label1 [%s]\n", Utf8(TextOf(GetDlgItem(panel, 1))).c_str());
  std::printf("label2 [%s]\n", Utf8(TextOf(GetDlgItem(panel, 2))).c_str());
  DumpStatusBar(main);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: qtdriver wait <ms> | dump | command <id> | close\n");
    return 2;
  }
  std::string verb = argv[1];
  if (verb == "wait") {
    DWORD limit = argc > 2 ? static_cast<DWORD>(std::atoi(argv[2])) : 20000;
    DWORD settled = 0;
    if (WaitUntilSettled(FindMain, limit, &settled)) {
      std::printf("ready %lu\n", settled);
      return 0;
    }
    std::printf("timeout\n");
    return 1;
  }
  if (verb == "box") {
    DWORD limit = argc > 2 ? static_cast<DWORD>(std::atoi(argv[2])) : 10000;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < limit) {
      HWND box = FindWindowW(L"#32770", quiltor::kAppTitle);
      if (box && IsWindowVisible(box)) {
        Sleep(200);
        std::wstring text;
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
          if (ClassOf(c) == L"Static" && !TextOf(c).empty()) text = TextOf(c);
        }
        RECT r{};
        GetWindowRect(box, &r);
        std::wstring flat;
        for (wchar_t ch : text) flat += ch == L'\n' ? L'|' : ch;
        std::printf("box %ld %ld [%s]\n", r.left, r.top, Utf8(flat).c_str());
        std::fflush(stdout);
        if (argc > 3) PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(std::atoi(argv[3])), 0);
        return 0;
      }
      Sleep(20);
    }
    std::printf("nobox\n");
    return 1;
  }
  HWND main = FindMain();
  if (!main) {
    std::printf("nowindow\n");
    return 1;
  }
  if (verb == "dump") {
    Dump(main);
  } else if (verb == "idle" && argc > 2) {
    const UINT status = RegisterWindowMessageA(quiltor::kStatusMessageName);
    const DWORD limit = static_cast<DWORD>(std::atoi(argv[2]));
    const DWORD start = GetTickCount();
    DWORD_PTR idle = 0;
    while (GetTickCount() - start < limit) {
      if (SendMessageTimeoutW(main, status, quiltor::kStatusIdle, 0, SMTO_ABORTIFHUNG, 1000, &idle) && idle) break;
      Sleep(20);
    }
    std::printf("idle %d %lu\n", idle ? 1 : 0, GetTickCount() - start);
    return idle ? 0 : 1;
  } else if (verb == "target" && argc > 3) {
    const UINT status = RegisterWindowMessageA(quiltor::kStatusMessageName);
    const DWORD limit = static_cast<DWORD>(std::atoi(argv[2]));
    const std::wstring wanted = Wide(argv[3]);
    const WPARAM which = argc > 4 ? quiltor::kStatusLinkedEdit : quiltor::kStatusSimpleTarget;
    const DWORD start = GetTickCount();
    DWORD_PTR target = 0;
    bool found = false;
    while (!found && GetTickCount() - start < limit) {
      found = SendMessageTimeoutW(main, status, which, 0, SMTO_ABORTIFHUNG, 1000, &target) && target &&
              ClassOf(reinterpret_cast<HWND>(target)) == wanted;
      if (!found) Sleep(20);
    }
    std::printf("target %d %lu\n", found ? 1 : 0, GetTickCount() - start);
    return found ? 0 : 1;
  } else if (verb == "status") {
    const UINT status = RegisterWindowMessageA(quiltor::kStatusMessageName);
    DWORD_PTR idle = 0, simple = 0, linked = 0;
    SendMessageTimeoutW(main, status, quiltor::kStatusIdle, 0, SMTO_ABORTIFHUNG, 1000, &idle);
    SendMessageTimeoutW(main, status, quiltor::kStatusSimpleTarget, 0, SMTO_ABORTIFHUNG, 1000, &simple);
    SendMessageTimeoutW(main, status, quiltor::kStatusLinkedEdit, 0, SMTO_ABORTIFHUNG, 1000, &linked);
    std::printf("status %d [%s] [%s]\n", idle ? 1 : 0, Utf8(ClassOf(reinterpret_cast<HWND>(simple))).c_str(),
                Utf8(linked ? ClassOf(reinterpret_cast<HWND>(linked)) : std::wstring()).c_str());
  } else if (verb == "menus") {
    int count = 0;
    for (HWND w = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); w;
         w = FindWindowExW(nullptr, w, L"#32768", nullptr)) {
      if (IsWindowVisible(w)) ++count;
    }
    std::printf("menus %d\n", count);
  } else if (verb == "tree") {
    EnumChildWindows(
        main,
        [](HWND w, LPARAM) -> BOOL {
          RECT r{};
          GetWindowRect(w, &r);
          std::printf("child %s [%s] %ld %ld %ld %ld %d\n", Utf8(ClassOf(w)).c_str(), Utf8(TextOf(w)).c_str(), r.left,
                      r.top, r.right - r.left, r.bottom - r.top, IsWindowVisible(w) ? 1 : 0);
          return TRUE;
        },
        0);
  } else if (verb == "files") {
    DumpFiles(main);
  } else if (verb == "search") {
    using quiltor::SearchPanel;
    HWND edit = GetDlgItem(main, SearchPanel::kEditId);
    HWND list = GetDlgItem(main, SearchPanel::kListId);
    HWND note = GetDlgItem(main, SearchPanel::kNoteId);
    // An edit control's text lives in the control: only its message gives it across processes.
    wchar_t query[512] = {};
    SendMessageW(edit, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(query));
    std::printf("search %d %d %d %d [%s] [%s]\n", IsWindowVisible(edit) ? 1 : 0,
                static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)),
                static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)), IsWindowVisible(note) ? 1 : 0,
                Utf8(query).c_str(), Utf8(TextOf(note)).c_str());
  } else if (verb == "ime" && argc > 2) {
    const DWORD thread = GetWindowThreadProcessId(main, nullptr);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(thread, &info) || !info.hwndFocus) {
      std::printf("nofocus\n");
      return 1;
    }
    const HWND taken = info.hwndFocus;
    PostMessageW(taken, WM_KEYDOWN, VK_PROCESSKEY, 1);
    // A key the IME takes moves the focus to the search box; the result goes
    // where the focus is then (the same window when it was already there).
    const HWND box = GetDlgItem(main, quiltor::SearchPanel::kEditId);
    HWND focus = taken;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(20)) {
      if (GetGUIThreadInfo(thread, &info) && info.hwndFocus) focus = info.hwndFocus;
      if (focus == box) break;
    }
    for (int i = 2; i < argc; ++i) {
      PostMessageW(focus, WM_IME_CHAR, static_cast<WPARAM>(std::strtoul(argv[i], nullptr, 16)), 1);
    }
    std::printf("ime %s\n", focus == box ? "box" : Utf8(ClassOf(focus)).c_str());
  } else if (verb == "command" && argc > 2) {
    const auto id = quiltor::FindCommandByName(argv[2]);
    if (!id) {
      std::printf("nocommand\n");
      return 2;
    }
    PostMessageW(main, WM_COMMAND, quiltor::ToUint(*id), 0);
  } else if (verb == "close") {
    PostMessageW(main, WM_CLOSE, 0, 0);
  } else if (verb == "answers" && argc > 2) {
    const DWORD start = GetTickCount();
    DWORD_PTR result = 0;
    const bool answered = SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                                              static_cast<UINT>(std::atoi(argv[2])), &result) != 0;
    std::printf("answers %d %lu\n", answered ? 1 : 0, GetTickCount() - start);
  } else if (verb == "garbage") {
    std::vector<char> random(65536);
    unsigned seed = 12345;
    for (char& c : random) {
      seed = seed * 1103515245u + 12345u;
      c = static_cast<char>((seed >> 16) | 1);  // never a zero byte
    }
    const char cut[] = {'/', 'd', 'o', 't', 'h', 'e', 'r', '.', 'e', 'd'};
    struct Message {
      ULONG_PTR marker;
      const void* data;
      DWORD size;
    } messages[] = {{0xFFFFFFFF, random.data(), static_cast<DWORD>(random.size())},
                    {0xFFFFFFFF, nullptr, 0},
                    {0xFFFFFFFF, cut, sizeof cut},
                    {0x1234, "/dother.edt\n", 13}};
    for (const Message& m : messages) {
      COPYDATASTRUCT data{m.marker, m.size, const_cast<void*>(m.data)};
      DWORD_PTR result = 0;
      const bool answered = SendMessageTimeoutW(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                                SMTO_ABORTIFHUNG, 10000, &result) != 0;
      std::printf("copydata %lu answered %d\n", m.size, answered ? 1 : 0);
    }
  } else if (verb == "watch" && argc > 2) {
    const DWORD limit = static_cast<DWORD>(std::atoi(argv[2]));
    const DWORD start = GetTickCount();
    int last = -1;
    while (GetTickCount() - start < limit) {
      const int visible = IsWindowVisible(main) ? 1 : 0;
      if (visible != last) {
        std::printf("visible %d %lu\n", visible, GetTickCount() - start);
        std::fflush(stdout);
        last = visible;
      }
      Sleep(10);
    }
  } else {
    return 2;
  }
  std::fflush(stdout);
  return 0;
}
