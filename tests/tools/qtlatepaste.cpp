// Test helper: an editor that handles its paste key late. Its edit control
// takes Ctrl+C at once, but Ctrl+V (and Shift+Insert) only start a timer;
// the paste itself happens when the timer fires, the way a busy editor gets
// to the keys some time after they were typed. WM_PASTE sent directly is
// handled at once. Top window class "QtLatePaste".
//   qtlatepaste [pasteDelay [cutDelay [control]]]   milliseconds; defaults 300 and 0
// With a cut delay, Ctrl+X (and Shift+Delete) is handled late the same way.
// The control is "edit" (the standard edit control, class "Edit"), "rich" (a
// rich edit control, "RichEdit20W") or "own" (an edit control under a class
// of its own, "QtLateEdit", which the tool does not ask about its selection).
// A posted kStopAnswering message (WM_APP + 1, wparam = milliseconds) makes
// the editor stop handling messages for that long, as a hung program does.
// Verbs for scripts, acting on the running editor:
//   qtlatepaste stop <ms>   sends it kStopAnswering
//   qtlatepaste get         prints "text [<its text>]" and "sel <start> <end>"
//   qtlatepaste set <text> <start> <end>   its text ("\n" = CR LF) and selection
// The window title tells whether the paste key came and what the paste
// found; after each paste it ends with "at <QueryPerformanceCounter>", the
// moment the paste had read the clipboard.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

constexpr UINT_PTR kPasteTimer = 1;
constexpr UINT_PTR kCutTimer = 2;
constexpr UINT kStopAnswering = WM_APP + 1;
UINT gDelay = 300;
UINT gCutDelay = 0;
const wchar_t* gControlClass = L"Edit";
HWND gEdit = nullptr;
WNDPROC gEditProc = nullptr;

// "own": the edit control's class under another name.
bool RegisterOwnEditClass(HINSTANCE instance) {
  WNDCLASSEXW own = {};
  own.cbSize = sizeof own;
  if (!GetClassInfoExW(nullptr, L"Edit", &own)) return false;
  own.hInstance = instance;
  own.lpszClassName = L"QtLateEdit";
  return RegisterClassExW(&own) != 0;
}

std::string Unescape(const char* text) {
  std::string out;
  for (const char* p = text; *p; ++p) {
    if (p[0] == '\\' && p[1] == 'n') {
      out += "\r\n";
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

LRESULT PasteNow(HWND window) {
  // The title tells a test what the paste found, when the text is not what it expected.
  wchar_t state[128];
  const HWND opener = GetOpenClipboardWindow();
  const BOOL text = IsClipboardFormatAvailable(CF_TEXT);
  const LRESULT result = CallWindowProcW(gEditProc, window, WM_PASTE, 0, 0);
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  swprintf(state, 128, L"pasted; clipboard open by %p, text %d at %lld", static_cast<void*>(opener), text,
           static_cast<long long>(now.QuadPart));
  SetWindowTextW(GetParent(window), state);
  return result;
}

LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_KEYDOWN) {
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    if ((ctrl && wparam == 'V') || (shift && wparam == VK_INSERT)) {
      SetWindowTextW(GetParent(window), L"paste key");
      SetTimer(window, kPasteTimer, gDelay, nullptr);
      return 0;
    }
    if (gCutDelay > 0 && ((ctrl && wparam == 'X') || (shift && wparam == VK_DELETE))) {
      SetWindowTextW(GetParent(window), L"cut key");
      SetTimer(window, kCutTimer, gCutDelay, nullptr);
      return 0;
    }
  }
  // The Ctrl+V and Ctrl+X characters: handled by the timers.
  if (message == WM_CHAR && (wparam == 0x16 || (gCutDelay > 0 && wparam == 0x18))) return 0;
  if (message == WM_PASTE) return PasteNow(window);
  if (message == WM_TIMER && wparam == kPasteTimer) {
    KillTimer(window, kPasteTimer);
    return PasteNow(window);
  }
  if (message == WM_TIMER && wparam == kCutTimer) {
    KillTimer(window, kCutTimer);
    return CallWindowProcW(gEditProc, window, WM_CUT, 0, 0);
  }
  return CallWindowProcW(gEditProc, window, message, wparam, lparam);
}

LRESULT CALLBACK TopProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      gEdit = CreateWindowExW(WS_EX_CLIENTEDGE, gControlClass, L"",
                              WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0, 300, 200, window, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
      if (!gEdit) return -1;
      gEditProc = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(gEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditProc)));
      return 0;
    case WM_SETFOCUS:
    case WM_ACTIVATE:
      if (message == WM_SETFOCUS || LOWORD(wparam) != WA_INACTIVE) SetFocus(gEdit);
      return 0;
    case kStopAnswering:
      SetWindowTextW(window, L"not answering");
      Sleep(static_cast<DWORD>(wparam));
      SetWindowTextW(window, L"answering again");
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

// The verbs: 0 done, 1 no editor running, -1 not a verb. Arguments come in
// the ANSI code page.
int RunVerb(int argc, char** argv) {
  const std::string verb = argv[1];
  if (verb != "stop" && verb != "get" && verb != "set") return -1;
  HWND top = FindWindowW(L"QtLatePaste", nullptr);
  HWND edit = top ? GetWindow(top, GW_CHILD) : nullptr;
  if (!edit) return 1;
  if (verb == "stop") {
    PostMessageW(top, kStopAnswering, argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 5000, 0);
    return 0;
  }
  if (verb == "set") {
    if (argc < 5) return 2;
    const std::string text = Unescape(argv[2]);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(edit, EM_SETSEL, std::strtoul(argv[3], nullptr, 10), std::strtol(argv[4], nullptr, 10));
    return 0;
  }
  // Bytes out as they are: the text's own CR LF must not become CR CR LF.
  _setmode(_fileno(stdout), _O_BINARY);
  char text[1024] = {};
  SendMessageA(edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  const DWORD selection = static_cast<DWORD>(SendMessageA(edit, EM_GETSEL, 0, 0));
  std::printf("text [%s]\nsel %u %u\n", text, LOWORD(selection), HIWORD(selection));
  return 0;
}

int main(int argc, char** argv) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (argc > 1) {
    const int verb = RunVerb(argc, argv);
    if (verb >= 0) return verb;
    gDelay = static_cast<UINT>(std::strtoul(argv[1], nullptr, 10));
  }
  if (argc > 2) gCutDelay = static_cast<UINT>(std::strtoul(argv[2], nullptr, 10));
  const std::string control = argc > 3 ? argv[3] : "edit";
  if (control == "rich") {
    if (!LoadLibraryW(L"riched20.dll")) return 1;
    gControlClass = L"RichEdit20W";
  } else if (control == "own") {
    if (!RegisterOwnEditClass(instance)) return 1;
    gControlClass = L"QtLateEdit";
  }
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &TopProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.lpszClassName = L"QtLatePaste";
  if (!RegisterClassExW(&windowClass)) return 1;
  HWND top = CreateWindowExW(0, L"QtLatePaste", L"Late paste", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 200, 320,
                             240, nullptr, nullptr, instance, nullptr);
  if (!top) return 1;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
