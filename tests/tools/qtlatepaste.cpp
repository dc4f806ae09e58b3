// Test helper: an editor that handles its paste key late. Its edit control
// takes Ctrl+C at once, but Ctrl+V (and Shift+Insert) only start a timer;
// the paste itself happens when the timer fires, the way a busy editor gets
// to the keys some time after they were typed. WM_PASTE sent directly is
// handled at once. Top window class "QtLatePaste", edit control class "Edit".
//   qtlatepaste [pasteDelay [cutDelay]]   milliseconds; defaults 300 and 0
// With a cut delay, Ctrl+X (and Shift+Delete) is handled late the same way.
// A posted kStopAnswering message (WM_APP + 1, wparam = milliseconds) makes
// the editor stop handling messages for that long, as a hung program does.
// Verbs for scripts, acting on the running editor:
//   qtlatepaste stop <ms>   sends it kStopAnswering
//   qtlatepaste get         prints "text [<its text>]"
// The window title tells whether the paste key came and what the paste
// found; after each paste it ends with "at <QueryPerformanceCounter>", the
// moment the paste had read the clipboard.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <cstring>

namespace {

constexpr UINT_PTR kPasteTimer = 1;
constexpr UINT_PTR kCutTimer = 2;
constexpr UINT kStopAnswering = WM_APP + 1;
UINT gDelay = 300;
UINT gCutDelay = 0;
HWND gEdit = nullptr;
WNDPROC gEditProc = nullptr;

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
      gEdit = CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL,
                              0, 0, 300, 200, window, nullptr, GetModuleHandleW(nullptr), nullptr);
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

// The verbs: 0 done, 1 no editor running, -1 not a verb.
int RunVerb(const wchar_t* verb, const wchar_t* value) {
  const bool stop = std::wcscmp(verb, L"stop") == 0;
  if (!stop && std::wcscmp(verb, L"get") != 0) return -1;
  HWND top = FindWindowW(L"QtLatePaste", nullptr);
  HWND edit = top ? FindWindowExW(top, nullptr, L"Edit", nullptr) : nullptr;
  if (!edit) return 1;
  if (stop) {
    PostMessageW(top, kStopAnswering, value ? std::wcstoul(value, nullptr, 10) : 5000, 0);
    return 0;
  }
  char text[1024] = {};
  SendMessageA(edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  std::printf("text [%s]\n", text);
  return 0;
}

int main() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  int argc = 0;
  if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc)) {
    if (argc > 1) {
      const int verb = RunVerb(argv[1], argc > 2 ? argv[2] : nullptr);
      if (verb >= 0) {
        LocalFree(argv);
        return verb;
      }
      gDelay = static_cast<UINT>(std::wcstoul(argv[1], nullptr, 10));
    }
    if (argc > 2) gCutDelay = static_cast<UINT>(std::wcstoul(argv[2], nullptr, 10));
    LocalFree(argv);
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
