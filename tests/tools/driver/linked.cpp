// Linked mode from outside: the exchange block's current file, the tool's
// menus and tool buttons, the open-file list, dialogs, other programs' edit
// windows; hands the tool edit windows as another program does.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/win32/text_codec.h"
#include "tools/driver/driver.h"
#include "window/commands.h"

namespace quiltor::driver {
namespace {

constexpr size_t kCurrentFileOffset = 8;
constexpr size_t kCurrentFileBytes = 256;
constexpr UINT kAskMs = 5000;

// Bytes out as they are, in brackets.
void PrintBytes(const char* tag, const std::string& bytes) {
  std::printf("%s [", tag);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::printf("]\n");
}

int Shared(const Args&) {
  const MappedView block("QuiltorCommonMemory", FILE_MAP_READ);
  if (!block.Data()) return Fail("nomemory");
  const char* field = block.Data() + kCurrentFileOffset;
  PrintBytes("current", std::string(field, strnlen(field, kCurrentFileBytes)));
  return 0;
}

std::string gMenus;

LRESULT CALLBACK ReceiverProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
    if (data->dwData == quiltor::kStatusMenus && data->cbData > 0) {
      gMenus.assign(static_cast<const char*>(data->lpData), data->cbData - 1);
    }
    return TRUE;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

// The tool describes its menus to a window named in its status message (a
// menu of another process cannot be read under Wine).
int Menus(const Args& args) {
  HWND main = args.Main();
  WNDCLASSW receiver{};
  receiver.lpfnWndProc = &ReceiverProc;
  receiver.hInstance = GetModuleHandleW(nullptr);
  receiver.lpszClassName = L"QtDriverReceiver";
  RegisterClassW(&receiver);
  HWND window = CreateWindowExW(0, receiver.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                receiver.hInstance, nullptr);
  if (!window || !AskStatus(main, quiltor::kStatusMenus, reinterpret_cast<LPARAM>(window), kAskMs) ||
      gMenus.empty()) {
    return Fail("nomenus");
  }
  std::fwrite(gMenus.data(), 1, gMenus.size(), stdout);
  DestroyWindow(window);
  return 0;
}

int Toolbar(const Args& args) {
  HWND bar = FindChildNamed(args.Main(), L"ToolBar");
  if (!bar) return 1;
  HWND tips = reinterpret_cast<HWND>(SendMessageW(bar, TB_GETTOOLTIPS, 0, 0));
  RemoteBuffer remote(bar, sizeof(RECT));
  if (!remote.Ok()) return 1;
  const RECT barRect = RectOf(bar);
  for (const quiltor::CommandInfo& info : quiltor::kCommandTable) {
    if (info.count != 1) continue;
    const WPARAM id = quiltor::ToUint(info.id);
    if (static_cast<int>(SendMessageW(bar, TB_COMMANDTOINDEX, id, 0)) < 0) continue;
    const LRESULT state = SendMessageW(bar, TB_GETSTATE, id, 0);
    RECT r = Fetch<RECT>(bar, TB_GETRECT, id, remote);
    OffsetRect(&r, barRect.left, barRect.top);
    // The hint as the tool tip would show it: the tip asks the tool for it.
    const std::wstring hint = tips ? TipText(tips, bar, id).value_or(L"") : L"";
    std::printf("tool %s %d %d %s [%s]\n", std::string(info.name).c_str(), Flag(state & TBSTATE_ENABLED),
                Flag(state & TBSTATE_CHECKED), Dims(r).c_str(), Utf8(hint).c_str());
  }
  return 0;
}

int Combo(const Args& args) {
  HWND combo = GetDlgItem(args.Main(), 138);
  if (!combo) return 1;
  // The dropped list is a top-level "ComboLBox" window of the tool's thread;
  // its own rectangle is where the user's click lands.
  struct ListSearch {
    DWORD thread;
    RECT rect;
  } search{GetWindowThreadProcessId(combo, nullptr), RECT{}};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<ListSearch*>(p);
        if (GetWindowThreadProcessId(w, nullptr) != s->thread || ClassOf(w) != L"ComboLBox" || !IsWindowVisible(w)) {
          return TRUE;
        }
        s->rect = RectOf(w);
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  std::printf("combo %s %d %d %d %d %ld %ld\n", Dims(RectOf(combo)).c_str(),
              static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0)),
              static_cast<int>(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)),
              static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0)),
              static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)), search.rect.left, search.rect.top);
  return 0;
}

int Linked(const Args& args) {
  HWND main = args.Main();
  std::printf("linked %llu\n", static_cast<unsigned long long>(AskStatus(main, quiltor::kStatusLinkedEdit, 0, kAskMs)));
  return 0;
}

int Windows(const Args& args) {
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        if (ClassOf(w) != *reinterpret_cast<const std::wstring*>(p)) return TRUE;
        HWND edit = FindWindowExW(w, nullptr, L"Edit", nullptr);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        std::printf("window %llu edit %llu pid %lu [%s]\n", Number(w), Number(edit), pid, Utf8(TextOf(w)).c_str());
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&args.Text(0)));
  return 0;
}

int Dialog(const Args& args) {
  HWND main = args.Main();
  DWORD process = 0;
  GetWindowThreadProcessId(main, &process);
  HWND dialog = nullptr;
  if (!WaitFor(args.Ms(0), [&] { return (dialog = FindShown(L"#32770", args.Text(1), process)) != nullptr; }, 50)) {
    return Fail("nodialog");
  }
  // A moment for the dialog to lay out and fill its controls.
  Sleep(300);
  std::printf("dialog %llu %s\n", Number(dialog), Dims(RectOf(dialog)).c_str());
  EnumChildWindows(
      dialog,
      [](HWND w, LPARAM) -> BOOL {
        const bool combo = ClassOf(w) == L"ComboBox";
        std::printf("control %d %s %s %d %d %d [%s]\n", GetDlgCtrlID(w), Utf8(ClassOf(w)).c_str(),
                    Dims(RectOf(w)).c_str(), Flag(IsWindowVisible(w)),
                    combo ? static_cast<int>(SendMessageW(w, CB_GETCURSEL, 0, 0)) : -1,
                    combo ? static_cast<int>(SendMessageW(w, CB_GETDROPPEDSTATE, 0, 0)) : 0,
                    Utf8(ContentOf(w)).c_str());
        return TRUE;
      },
      0);
  return 0;
}

int Follow(const Args& args) {
  HWND main = args.Main();
  const HWND edit = args.Handle(0);
  const DWORD limit = args.Ms(1);
  HWND top = GetAncestor(edit, GA_ROOT);
  std::printf("ready\n");
  std::fflush(stdout);
  if (!WaitFor(limit, [&] { return GetForegroundWindow() == top; }, 1)) return Fail("follow 0 noforeground");
  const double from = NowMs();
  const bool followed =
      WaitFor(limit, [&] { return reinterpret_cast<HWND>(AskStatus(main, quiltor::kStatusLinkedEdit, 0, kAskMs)) == edit; }, 1);
  std::printf("follow %d %.1f\n", Flag(followed), NowMs() - from);
  return followed ? 0 : 1;
}

int Text(const Args& args) {
  std::string text(65536, '\0');
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(args.Handle(0), WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, 5000, &length)) {
    return Fail("notext");
  }
  text.resize(std::min<size_t>(length, text.size()));
  PrintBytes("text", text);
  return 0;
}

int Times(const Args& args) {
  HWND main = args.Main();
  DWORD pid = 0;
  GetWindowThreadProcessId(main, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  FILETIME created, ended, kernel, user;
  const bool read = process && GetProcessTimes(process, &created, &ended, &kernel, &user);
  if (process) CloseHandle(process);
  if (!read) return Fail("notimes");
  auto value = [](FILETIME t) { return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  std::printf("times %llu %llu\npid %lu\n", value(kernel), value(user), pid);
  return 0;
}

// The text a second start of the tool would forward, built here by hand so
// that the tool's own reading of it is what gets tested.
int Link(const Args& args) {
  HWND main = args.Main();
  const size_t pairs = args.Count() / 2;
  size_t handed = 0;
  for (size_t i = 0; i < pairs; ++i) {
    std::string text = "/h" + quiltor::ToAnsiForDisplay(args.Text(2 * i)) + "\n/f" +
                       quiltor::ToAnsiForDisplay(args.Text(2 * i + 1)) + "\n";
    COPYDATASTRUCT data{0xFFFFFFFF, static_cast<DWORD>(text.size() + 1), text.data()};
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 30000, &result)) {
      ++handed;
    }
  }
  std::printf("link %zu\n", handed);
  return handed == pairs ? 0 : 1;
}

constexpr Subcommand kSubcommands[] = {
    {"shared", 0, kAlone, Shared, "  \"current [<bytes>]\": the exchange block's current-file field, code page 932 as it is"},
    {"menus", 0, kMain, Menus,
     "  the tool's menus as it describes them: \"menu <name>\", "
     "\"item <pos> <kind> <enabled> <checked> <x> <y> <w> <h> [<text>]\""},
    {"toolbar", 0, kMain, Toolbar, "  \"tool <name> <enabled> <checked> <x> <y> <w> <h> [<hint>]\" for each tool button"},
    {"combo", 0, kMain, Combo,
     "  \"combo <x> <y> <w> <h> <item height> <dropped> <count> <selection> <list x> <list y>\""},
    {"linked", 0, kMain, Linked, "  \"linked <hwnd>\": the linked edit window"},
    {"windows", 1, kAlone, Windows,
     "<class>  \"window <top> edit <hwnd> pid <pid> [<title>]\" for each top-level window of that class"},
    {"dialog", 2, kMain, Dialog,
     "<ms> <title>  wait for the tool's dialog of that title: \"dialog <hwnd> <x> <y> <w> <h>\", then \"control "
     "<id> <class> <x> <y> <w> <h> <visible> <selection> <dropped> [<text>]\" (-1 and 0 but for combo boxes)"},
    {"follow", 2, kMain, Follow,
     "<edit> <ms>  \"ready\", then wait until the editor of <edit> is in the foreground and the tool has made "
     "<edit> its linked edit window: \"follow <1|0> <ms after foreground>\""},
    {"text", 1, kAlone, Text, "<hwnd>  \"text [<bytes>]\": another program's edit text, code page 932 as it is"},
    {"times", 0, kMain, Times, "  \"times <kernel> <user>\" of the tool's process in 100 ns units, \"pid <pid>\""},
    {"link", 0, kMain, Link,
     "<hwnd> <file> [<hwnd> <file>...]  hand the tool each edit window with its file, one forwarded command "
     "line per pair: \"link <n handed>\""},
};

}  // namespace

const Family kLinkedFamily{"linked", "linked mode", kSubcommands};

}  // namespace quiltor::driver
