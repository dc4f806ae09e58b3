// Looks at the running tool's linked mode from outside, for the end-to-end
// tests and the benchmarks, and prints what it finds as UTF-8 lines:
//   qtlinked shared         "current [<bytes>]": the exchange block's
//                           current-file field (offset 8), raw code page 932
//   qtlinked menus          the tool's menus, as it describes them:
//                           "menu <name>", "item <pos> <kind> <enabled>
//                           <checked> <x> <y> <w> <h> [<text>]"
//   qtlinked toolbar        "tool <name> <enabled> <checked> <x> <y> <w> <h>
//                           [<hint>]" for each tool button
//   qtlinked combo          "combo <x> <y> <w> <h> <item height> <dropped>
//                           <count> <selection> <list x> <list y>"
//   qtlinked linked         "linked <hwnd>": the linked edit window
//   qtlinked windows <class> "window <top> edit <hwnd> pid <pid> [<title>]"
//                           for each top-level window of that class
//   qtlinked dialog <ms> <title>
//                           waits for the tool's dialog of that title and
//                           prints "dialog <hwnd> <x> <y> <w> <h>", then
//                           "control <id> <class> <x> <y> <w> <h> <visible>
//                           <selection> <dropped> [<text>]" for each of its
//                           controls (selection -1 and dropped 0 but for
//                           combo boxes)
//   qtlinked follow <edit> <ms>
//                           prints "ready", waits until the editor of <edit>
//                           is the foreground window, then until the tool
//                           has made <edit> its linked edit window:
//                           "follow <1|0> <ms after foreground>"
//   qtlinked text <hwnd>    "text [<bytes>]": the text of an edit window of
//                           another program, raw code page 932
//   qtlinked times          "times <kernel> <user>" of the tool's process in
//                           100 ns units (GetProcessTimes), "pid <pid>"
//   qtlinked link <hwnd> <file> [<hwnd> <file>...]
//                           hands the running tool each edit window with its
//                           file, one forwarded command line per pair, as
//                           another program does; prints "link <n handed>"
// Exit code 0 on success, 1 when the window was not found in time.
#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <shellapi.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/outside.h"
#include "window/commands.h"
#include "window/main_view.h"

namespace {

using namespace quiltor::outside;

constexpr size_t kCurrentFileOffset = 8;
constexpr size_t kCurrentFileBytes = 256;
// Where the tool-tip text goes in the memory lent to the tool's process.
constexpr size_t kTextOffset = 1024;
constexpr size_t kTextChars = 256;

UINT StatusMessage() { return RegisterWindowMessageA(quiltor::kStatusMessageName); }

DWORD_PTR Ask(HWND main, WPARAM which, LPARAM lparam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(main, StatusMessage(), which, lparam, SMTO_ABORTIFHUNG, 5000, &result);
  return result;
}

int Shared() {
  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, "QuiltorCommonMemory");
  if (!mapping) {
    std::printf("nomemory\n");
    return 1;
  }
  const char* view = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
  if (!view) {
    CloseHandle(mapping);
    std::printf("nomemory\n");
    return 1;
  }
  std::string field(view + kCurrentFileOffset, kCurrentFileBytes);
  field.resize(field.find('\0') == std::string::npos ? field.size() : field.find('\0'));
  std::printf("current [");
  std::fwrite(field.data(), 1, field.size(), stdout);
  std::printf("]\n");
  UnmapViewOfFile(view);
  CloseHandle(mapping);
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

int Menus(HWND main) {
  WNDCLASSW receiver{};
  receiver.lpfnWndProc = &ReceiverProc;
  receiver.hInstance = GetModuleHandleW(nullptr);
  receiver.lpszClassName = L"QtLinkedReceiver";
  RegisterClassW(&receiver);
  HWND window = CreateWindowExW(0, receiver.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                receiver.hInstance, nullptr);
  if (!window || !Ask(main, quiltor::kStatusMenus, reinterpret_cast<LPARAM>(window)) || gMenus.empty()) {
    std::printf("nomenus\n");
    return 1;
  }
  std::fwrite(gMenus.data(), 1, gMenus.size(), stdout);
  DestroyWindow(window);
  return 0;
}

int Toolbar(HWND main) {
  HWND bar = FindChildNamed(main, L"ToolBar");
  if (!bar) return 1;
  HWND tips = reinterpret_cast<HWND>(SendMessageW(bar, TB_GETTOOLTIPS, 0, 0));
  RemoteBuffer remote(bar, 4096);
  if (!remote.Ok()) return 1;
  RECT barRect{};
  GetWindowRect(bar, &barRect);
  for (const quiltor::CommandInfo& info : quiltor::kCommandTable) {
    if (info.count != 1) continue;
    const WPARAM id = quiltor::ToUint(info.id);
    if (static_cast<int>(SendMessageW(bar, TB_COMMANDTOINDEX, id, 0)) < 0) continue;
    const LRESULT state = SendMessageW(bar, TB_GETSTATE, id, 0);
    RECT r{};
    SendMessageW(bar, TB_GETRECT, id, remote.Address());
    remote.Read(&r, sizeof r);
    // The hint as the tool tip would show it: the tip asks the tool for it.
    std::wstring hint;
    if (tips) {
      TTTOOLINFOW tool{};
      tool.cbSize = sizeof tool;
      tool.hwnd = bar;
      tool.uId = id;
      tool.lpszText = reinterpret_cast<wchar_t*>(remote.Address() + kTextOffset);
      std::vector<char> raw(kTextOffset + kTextChars * sizeof(wchar_t), '\0');
      std::memcpy(raw.data(), &tool, sizeof tool);
      remote.Write(raw.data(), raw.size());
      SendMessageW(tips, TTM_GETTEXTW, kTextChars, remote.Address());
      remote.Read(raw.data(), raw.size());
      raw[raw.size() - 1] = raw[raw.size() - 2] = '\0';
      hint = reinterpret_cast<const wchar_t*>(raw.data() + kTextOffset);
    }
    std::printf("tool %s %d %d %ld %ld %ld %ld [%s]\n", std::string(info.name).c_str(),
                (state & TBSTATE_ENABLED) ? 1 : 0, (state & TBSTATE_CHECKED) ? 1 : 0, barRect.left + r.left,
                barRect.top + r.top, r.right - r.left, r.bottom - r.top, Utf8(hint).c_str());
  }
  return 0;
}

int Combo(HWND main) {
  HWND combo = GetDlgItem(main, 138);
  if (!combo) return 1;
  RECT r{};
  GetWindowRect(combo, &r);
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
        GetWindowRect(w, &s->rect);
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  const RECT list = search.rect;
  std::printf("combo %ld %ld %ld %ld %d %d %d %d %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top,
              static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0)),
              static_cast<int>(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)),
              static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0)),
              static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)), list.left, list.top);
  return 0;
}

int Windows(const std::wstring& className) {
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        if (ClassOf(w) != *reinterpret_cast<const std::wstring*>(p)) return TRUE;
        HWND edit = FindWindowExW(w, nullptr, L"Edit", nullptr);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        std::printf("window %llu edit %llu pid %lu [%s]\n",
                    static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(w)),
                    static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(edit)), pid, Utf8(TextOf(w)).c_str());
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&className));
  return 0;
}

struct DialogSearch {
  DWORD process;
  std::wstring title;
  HWND found;
};

int Dialog(HWND main, DWORD limit, const std::wstring& title) {
  DialogSearch search{0, title, nullptr};
  GetWindowThreadProcessId(main, &search.process);
  const DWORD start = GetTickCount();
  while (!search.found && GetTickCount() - start < limit) {
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
          auto* s = reinterpret_cast<DialogSearch*>(p);
          DWORD pid = 0;
          GetWindowThreadProcessId(w, &pid);
          if (pid != s->process || ClassOf(w) != L"#32770" || !IsWindowVisible(w) || TextOf(w) != s->title) {
            return TRUE;
          }
          s->found = w;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (!search.found) Sleep(50);
  }
  if (!search.found) {
    std::printf("nodialog\n");
    return 1;
  }
  // A moment for the dialog to lay out and fill its controls.
  Sleep(300);
  RECT r{};
  GetWindowRect(search.found, &r);
  std::printf("dialog %llu %ld %ld %ld %ld\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(search.found)),
              r.left, r.top, r.right - r.left, r.bottom - r.top);
  EnumChildWindows(
      search.found,
      [](HWND w, LPARAM) -> BOOL {
        RECT c{};
        GetWindowRect(w, &c);
        // The text as the control holds it now (an edit's typed text too).
        wchar_t text[512] = {};
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(w, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &ignored);
        text[511] = L'\0';
        const bool combo = ClassOf(w) == L"ComboBox";
        std::printf("control %d %s %ld %ld %ld %ld %d %d %d [%s]\n", GetDlgCtrlID(w), Utf8(ClassOf(w)).c_str(), c.left,
                    c.top, c.right - c.left, c.bottom - c.top, IsWindowVisible(w) ? 1 : 0,
                    combo ? static_cast<int>(SendMessageW(w, CB_GETCURSEL, 0, 0)) : -1,
                    combo ? static_cast<int>(SendMessageW(w, CB_GETDROPPEDSTATE, 0, 0)) : 0, Utf8(text).c_str());
        return TRUE;
      },
      0);
  return 0;
}

int Follow(HWND main, HWND edit, DWORD limit) {
  HWND top = GetAncestor(edit, GA_ROOT);
  std::printf("ready\n");
  std::fflush(stdout);
  const DWORD start = GetTickCount();
  while (GetForegroundWindow() != top) {
    if (GetTickCount() - start > limit) {
      std::printf("follow 0 noforeground\n");
      return 1;
    }
    Sleep(1);
  }
  LARGE_INTEGER frequency, from, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&from);
  for (;;) {
    QueryPerformanceCounter(&now);
    const double ms = static_cast<double>(now.QuadPart - from.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
    if (reinterpret_cast<HWND>(Ask(main, quiltor::kStatusLinkedEdit)) == edit) {
      std::printf("follow 1 %.1f\n", ms);
      return 0;
    }
    if (ms > limit) {
      std::printf("follow 0 %.1f\n", ms);
      return 1;
    }
    Sleep(1);
  }
}

int Times(HWND main) {
  DWORD pid = 0;
  GetWindowThreadProcessId(main, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  FILETIME created, ended, kernel, user;
  if (!process || !GetProcessTimes(process, &created, &ended, &kernel, &user)) {
    std::printf("notimes\n");
    if (process) CloseHandle(process);
    return 1;
  }
  CloseHandle(process);
  auto value = [](FILETIME t) { return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  std::printf("times %llu %llu\npid %lu\n", value(kernel), value(user), pid);
  return 0;
}

std::string Ansi(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

// The text a second start of the tool would forward, built here by hand so
// that the tool's own reading of it is what gets tested.
int Link(HWND main, int count, LPWSTR* pairs) {
  int handed = 0;
  for (int i = 0; i + 1 < count; i += 2) {
    std::string text = "/h" + Ansi(pairs[i]) + "\n/f" + Ansi(pairs[i + 1]) + "\n";
    COPYDATASTRUCT data{};
    data.dwData = 0xFFFFFFFF;
    data.cbData = static_cast<DWORD>(text.size() + 1);
    data.lpData = text.data();
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 30000, &result)) {
      ++handed;
    }
  }
  std::printf("link %d\n", handed);
  return handed == count / 2 ? 0 : 1;
}

}  // namespace

int main() {
  // Arguments arrive in the ANSI code page; the wide command line keeps Japanese titles whole.
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 2) return 2;
  // Bytes out as they are.
  _setmode(_fileno(stdout), _O_BINARY);
  const std::wstring verb = argv[1];
  if (verb == L"shared") return Shared();
  if (verb == L"windows" && argc > 2) return Windows(argv[2]);
  if (verb == L"text" && argc > 2) {
    HWND edit = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::wcstoull(argv[2], nullptr, 10)));
    std::string text(65536, '\0');
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                             5000, &length)) {
      std::printf("notext\n");
      return 1;
    }
    text.resize(std::min<size_t>(length, text.size()));
    std::printf("text [");
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::printf("]\n");
    return 0;
  }
  HWND main = FindMain();
  if (!main) {
    std::printf("nowindow\n");
    return 1;
  }
  int rc = 2;
  if (verb == L"menus") {
    rc = Menus(main);
  } else if (verb == L"toolbar") {
    rc = Toolbar(main);
  } else if (verb == L"combo") {
    rc = Combo(main);
  } else if (verb == L"linked") {
    std::printf("linked %llu\n", static_cast<unsigned long long>(Ask(main, quiltor::kStatusLinkedEdit)));
    rc = 0;
  } else if (verb == L"dialog" && argc > 3) {
    rc = Dialog(main, static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)), argv[3]);
  } else if (verb == L"follow" && argc > 3) {
    rc = Follow(main, reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::wcstoull(argv[2], nullptr, 10))),
                static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)));
  } else if (verb == L"times") {
    rc = Times(main);
  } else if (verb == L"link") {
    rc = Link(main, argc - 2, argv + 2);
  }
  std::fflush(stdout);
  LocalFree(argv);
  return rc;
}
