// The tool window from outside: its parts, buttons, message boxes, whether
// it answers and is idle, the open-file list, the item search.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/driver/driver.h"
#include "ui/main/search_panel.h"
#include "ui/message_box.h"
#include "window/commands.h"

namespace quiltor::driver {
namespace {

// The main window's combo box of open files.
constexpr int kComboBoxFileId = 138;

void PrintPart(const std::wstring& name, HWND w) {
  std::printf("part %s %s %d %d\n", Utf8(name).c_str(), Dims(RectOf(w)).c_str(), Flag(IsWindowVisible(w)),
              Flag(IsWindowEnabled(w)));
}

void DumpBar(HWND bar, int page, int column) {
  RemoteBuffer remote(bar, kRemoteTextSize);
  if (!remote.Ok()) return;
  const int count = static_cast<int>(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const auto button = Fetch<TBBUTTON>(bar, TB_GETBUTTON, static_cast<WPARAM>(i), remote);
    remote.Zero();
    std::wstring text;
    const LRESULT length = SendMessageW(bar, TB_GETBUTTONTEXTW, static_cast<WPARAM>(button.idCommand), remote.Address());
    if (length > 0 && length < 500) text = remote.ReadText(0, static_cast<size_t>(length) + 1);
    const auto r = Fetch<RECT>(bar, TB_GETITEMRECT, static_cast<WPARAM>(i), remote);
    const LRESULT state = SendMessageW(bar, TB_GETSTATE, static_cast<WPARAM>(button.idCommand), 0);
    std::printf("button %d %d %d %d %d %d %d %ld %ld [%s]\n", page, column, i, Flag(state & TBSTATE_ENABLED),
                button.iBitmap, Flag(button.fsStyle & BTNS_WHOLEDROPDOWN), Flag(state & TBSTATE_MARKED),
                r.right - r.left, r.bottom - r.top, Utf8(text).c_str());
  }
}

int Dump(const Args& args) {
  HWND main = args.Main();
  std::printf("window %s\n", Dims(RectOf(main)).c_str());
  std::printf("visible %d\n", Flag(IsWindowVisible(main)));
  std::printf("foreground %d\n", Flag(GetForegroundWindow() == main));
  std::printf("topmost %d\n", Flag(GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_TOPMOST));
  const LONG style = GetWindowLongW(main, GWL_STYLE);
  std::printf("style popup %d thickframe %d caption %d sysmenu %d\n", Flag(style & WS_POPUP),
              Flag(style & WS_THICKFRAME), Flag((style & WS_CAPTION) == WS_CAPTION), Flag(style & WS_SYSMENU));
  for (const wchar_t* name : {L"PanelTop", L"ImageIcon", L"ImageTitle1", L"ImageTitle2", L"SpeedButtonFix",
                              L"SpeedButtonResize1", L"SpeedButtonResize2", L"SpeedButtonMinimize",
                              L"SpeedButtonExit", L"ProgressBarLoading", L"ToolBar", L"ComboBoxFile",
                              L"PageControl", L"StatusBar"}) {
    if (HWND w = FindChildNamed(main, name)) PrintPart(name, w);
  }
  HWND tabs = FindChildNamed(main, L"PageControl");
  if (!tabs) return 0;
  const int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
  std::printf("tabs %d\n", count);
  std::printf("active %d\n", static_cast<int>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0)));
  RemoteBuffer remote(tabs, kRemoteTextSize);
  for (int i = 0; i < count && remote.Ok(); ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.cchTextMax = kRemoteChars;
    const std::wstring caption =
        FetchText(tabs, TCM_GETITEMW, static_cast<WPARAM>(i), remote, item, &TCITEMW::pszText);
    std::printf("tab %d [%s]\n", i, Utf8(caption).c_str());
  }
  // The page boxes are the tab control's children, named "ScrollBox<page>";
  // a page's box exists once the page has been shown.
  for (HWND box = GetWindow(tabs, GW_CHILD); box; box = GetWindow(box, GW_HWNDNEXT)) {
    if (ClassOf(box) != L"QuiltorPageBox") continue;
    const int page = _wtoi(TextOf(box).c_str() + 9);
    std::printf("page %d visible %d\n", page, Flag(IsWindowVisible(box)));
    for (HWND bar = GetWindow(box, GW_CHILD); bar; bar = GetWindow(bar, GW_HWNDNEXT)) {
      if (ClassOf(bar) == TOOLBARCLASSNAMEW) DumpBar(bar, page, Flag(TextOf(bar) == L"ToolBarSide"));
    }
  }
  return 0;
}

// The status bar's text and the tool tip the tool gives it.
void DumpStatusBar(HWND main) {
  HWND bar = FindChildNamed(main, L"StatusBar");
  if (!bar) return;
  std::printf("status [%s]\n", Utf8(StatusBarText(bar)).c_str());
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
    if (const auto hint = TipText(tips, main, reinterpret_cast<UINT_PTR>(bar))) {
      std::printf("statushint 1 [%s]\n", Utf8(*hint).c_str());
      return;
    }
  }
  std::printf("statushint 0 []\n");
}

int Files(const Args& args) {
  HWND main = args.Main();
  HWND combo = GetDlgItem(main, kComboBoxFileId);
  const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  std::printf("combo %d %d %d\n", count, static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)),
              Flag(IsWindowEnabled(combo)));
  for (int i = 0; i < count; ++i) std::printf("entry %d [%s]\n", i, Utf8(ComboItem(combo, i)).c_str());
  HWND panel = FindChildNamed(main, L"PanelFilePath");
  std::printf("label1 [%s]\n", Utf8(TextOf(GetDlgItem(panel, 1))).c_str());
  std::printf("label2 [%s]\n", Utf8(TextOf(GetDlgItem(panel, 2))).c_str());
  DumpStatusBar(main);
  return 0;
}

int Wait(const Args& args) {
  DWORD settled = 0;
  if (!WaitUntilSettled(FindMain, args.Ms(0, 20000), &settled)) return Fail("timeout");
  std::printf("ready %lu\n", settled);
  return 0;
}

int Box(const Args& args) {
  HWND box = nullptr;
  if (!WaitFor(args.Ms(0, 10000), [&] { return (box = FindShown(L"#32770", quiltor::kAppTitle)) != nullptr; })) {
    return Fail("nobox");
  }
  Sleep(200);
  std::wstring text;
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (ClassOf(c) == L"Static" && !TextOf(c).empty()) text = TextOf(c);
  }
  const RECT r = RectOf(box);
  std::printf("box %ld %ld [%s]\n", r.left, r.top, Utf8(Flat(text)).c_str());
  std::fflush(stdout);
  if (args.Count() > 1) PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(args.Number(1)), 0);
  return 0;
}

int Idle(const Args& args) {
  HWND main = args.Main();
  const DWORD start = GetTickCount();
  const bool idle = WaitFor(args.Ms(0), [&] { return AskStatus(main, quiltor::kStatusIdle) != 0; });
  std::printf("idle %d %lu\n", Flag(idle), GetTickCount() - start);
  return idle ? 0 : 1;
}

int Target(const Args& args) {
  HWND main = args.Main();
  const WPARAM which = args.Count() > 2 ? quiltor::kStatusLinkedEdit : quiltor::kStatusSimpleTarget;
  const DWORD start = GetTickCount();
  const bool found = WaitFor(args.Ms(0), [&] {
    const auto target = reinterpret_cast<HWND>(AskStatus(main, which));
    return target && ClassOf(target) == args.Text(1);
  });
  std::printf("target %d %lu\n", Flag(found), GetTickCount() - start);
  return found ? 0 : 1;
}

int Status(const Args& args) {
  HWND main = args.Main();
  const DWORD_PTR idle = AskStatus(main, quiltor::kStatusIdle);
  const auto simple = reinterpret_cast<HWND>(AskStatus(main, quiltor::kStatusSimpleTarget));
  const auto linked = reinterpret_cast<HWND>(AskStatus(main, quiltor::kStatusLinkedEdit));
  std::printf("status %d [%s] [%s]\n", Flag(idle), Utf8(ClassOf(simple)).c_str(),
              Utf8(linked ? ClassOf(linked) : std::wstring()).c_str());
  return 0;
}

int Menus(const Args&) {
  std::printf("menus %zu\n", ShownMenus().size());
  return 0;
}

int Tree(const Args& args) {
  HWND main = args.Main();
  EnumChildWindows(
      main,
      [](HWND w, LPARAM) -> BOOL {
        std::printf("child %s [%s] %s %d\n", Utf8(ClassOf(w)).c_str(), Utf8(TextOf(w)).c_str(),
                    Dims(RectOf(w)).c_str(), Flag(IsWindowVisible(w)));
        return TRUE;
      },
      0);
  return 0;
}

int Search(const Args& args) {
  HWND main = args.Main();
  using quiltor::SearchPanel;
  HWND edit = GetDlgItem(main, SearchPanel::kEditId);
  HWND list = GetDlgItem(main, SearchPanel::kListId);
  HWND note = GetDlgItem(main, SearchPanel::kNoteId);
  std::printf("search %d %d %d %d [%s] [%s]\n", Flag(IsWindowVisible(edit)),
              static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)),
              static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)), Flag(IsWindowVisible(note)),
              Utf8(ContentOf(edit)).c_str(), Utf8(TextOf(note)).c_str());
  return 0;
}

int Ime(const Args& args) {
  HWND main = args.Main();
  const DWORD thread = GetWindowThreadProcessId(main, nullptr);
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(thread, &info) || !info.hwndFocus) return Fail("nofocus");
  const HWND taken = info.hwndFocus;
  PostMessageW(taken, WM_KEYDOWN, VK_PROCESSKEY, 1);
  // A key the IME takes moves the focus to the search box; the result goes
  // where the focus is then (the same window when it was already there).
  const HWND box = GetDlgItem(main, quiltor::SearchPanel::kEditId);
  HWND focus = taken;
  WaitFor(5000, [&] {
    if (GetGUIThreadInfo(thread, &info) && info.hwndFocus) focus = info.hwndFocus;
    return focus == box;
  });
  for (size_t i = 0; i < args.Count(); ++i) {
    PostMessageW(focus, WM_IME_CHAR, static_cast<WPARAM>(args.Number(i, 0, 16)), 1);
  }
  std::printf("ime %s\n", focus == box ? "box" : Utf8(ClassOf(focus)).c_str());
  return 0;
}

int Command(const Args& args) {
  HWND main = args.Main();
  const auto id = quiltor::FindCommandByName(Utf8(args.Text(0)));
  if (!id) {
    std::printf("nocommand\n");
    return 2;
  }
  PostMessageW(main, WM_COMMAND, quiltor::ToUint(*id), 0);
  return 0;
}

int Close(const Args& args) {
  HWND main = args.Main();
  PostMessageW(main, WM_CLOSE, 0, 0);
  return 0;
}

int Answers(const Args& args) {
  HWND main = args.Main();
  const DWORD start = GetTickCount();
  DWORD_PTR result = 0;
  const bool answered =
      SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, args.Ms(0), &result) != 0;
  std::printf("answers %d %lu\n", Flag(answered), GetTickCount() - start);
  return 0;
}

int Garbage(const Args& args) {
  HWND main = args.Main();
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
    std::printf("copydata %lu answered %d\n", m.size, Flag(answered));
  }
  return 0;
}

int Watch(const Args& args) {
  HWND main = args.Main();
  const DWORD start = GetTickCount();
  int last = -1;
  WaitFor(args.Ms(0), [&] {
    const int visible = Flag(IsWindowVisible(main));
    if (visible != last) {
      std::printf("visible %d %lu\n", visible, GetTickCount() - start);
      std::fflush(stdout);
      last = visible;
    }
    return false;
  }, 10);
  return 0;
}

// The next three send the tool no message, so they answer while the tool
// waits for another program.
int Place(const Args& args) {
  HWND main = args.Main();
  std::printf("window %s %d\n", Dims(RectOf(main)).c_str(), Flag(IsWindowVisible(main)));
  return 0;
}

int Buttons(const Args&) {
  HWND bar = FindChildNamed(FindMain(), L"ToolBar");
  if (!bar) return Fail("nobar");
  RemoteBuffer remote(bar, 256);
  if (!remote.Ok()) return 1;
  const int count = static_cast<int>(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const auto button = Fetch<TBBUTTON>(bar, TB_GETBUTTON, static_cast<WPARAM>(i), remote);
    auto r = Fetch<RECT>(bar, TB_GETITEMRECT, static_cast<WPARAM>(i), remote);
    MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&r), 2);
    const bool separator = (button.fsStyle & BTNS_SEP) != 0;
    std::printf("tool %d %s %d %d\n", separator ? 0 : button.idCommand, Dims(r).c_str(),
                Flag(button.fsState & TBSTATE_ENABLED), Flag(button.fsStyle & BTNS_DROPDOWN));
  }
  return 0;
}

int Popups(const Args&) {
  for (HWND menu : ShownMenus()) std::printf("popup %s\n", Dims(RectOf(menu)).c_str());
  return 0;
}

constexpr Subcommand kSubcommands[] = {
    {"wait", 0, kAlone, Wait, "[<ms>]  wait until the window exists and has loaded its data: \"ready <ms>\""},
    {"dump", 0, kMain, Dump, "  window rectangle, style, named parts, tabs, pages and their buttons"},
    {"command", 1, kMain, Command, "<name>  post the command of the command table named <name> (ToolButton_Repeat...)"},
    {"close", 0, kMain, Close, "  post WM_CLOSE"},
    {"idle", 1, kMain, Idle, "<ms>  wait until the tool reports itself idle (nothing pending, the watch timer running)"},
    {"target", 2, kMain, Target,
     "<ms> <class> [linked]  wait until the simple-mode target (or the linked edit window) is of class <class>"},
    {"status", 0, kMain, Status, "  \"status <idle> [<target's class>] [<linked edit window's class>]\""},
    {"menus", 0, kMain, Menus, "  how many pop-up menus are open"},
    {"tree", 0, kMain, Tree, "  every child window: class, text, rectangle, visible"},
    {"files", 0, kMain, Files,
     "  the open-file list (entries, selection), the labels of PanelFilePath, the status bar's text and tip"},
    {"answers", 1, kMain, Answers, "<ms>  whether the window answers a message within <ms>"},
    {"watch", 1, kMain, Watch, "<ms>  for <ms>, each change of the window's visibility with the time it was seen"},
    {"garbage", 0, kMain, Garbage,
     "  WM_COPYDATA a careless program might send: random bytes with no terminator, an empty one, "
     "a forwarded-looking one cut off mid-line, one with another marker"},
    {"box", 0, kAlone, Box, "[<ms> [<id>]]  wait for a message box of the tool, print its text and place, press button <id>"},
    {"search", 0, kMain, Search, "  the item search: box shown, hits, selected row, note shown, query, note"},
    {"ime", 1, kMain, Ime,
     "<hex>...  a confirmed IME composition: VK_PROCESSKEY to the focus, then the UTF-16 units as WM_IME_CHAR "
     "to the window that has the focus once the tool has handled that key"},
    {"window", 0, kMain, Place, "  \"window <x> <y> <w> <h> <visible>\" without asking the tool"},
    {"buttons", 0, kAlone, Buttons,
     "  each button of the main tool bar on the screen: \"tool <id> <x> <y> <w> <h> <enabled> <dropdown>\" "
     "(id 0 for separators)"},
    {"popups", 0, kAlone, Popups, "  each shown pop-up menu: \"popup <x> <y> <w> <h>\""},
};

}  // namespace

const Family kToolFamily{"tool", "the tool window", kSubcommands};

}  // namespace quiltor::driver
