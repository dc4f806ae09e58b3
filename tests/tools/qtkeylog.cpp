// Test helper: an editor that records every key it receives with the
// modifiers held, and takes its copy, cut and paste keys from a packed key
// setting (copy code x 1 000 000 + cut code x 1 000 + paste code, a code
// being (modifiers + 1) x 100 + key number, modifiers Ctrl 1, Shift 2, Alt 4;
// key numbers A-Z 0-25, 1-9 26-34, 0 35, Insert 36, Delete 37, F1-F12 38-49),
// so a test sees which keys a writer sent and that they worked. Top window
// class "QtKeyLog", edit control class "Edit".
//   qtkeylog [setting [file]]          default setting 202223221 (Ctrl+C, X, V)
//   qtkeylog set <text> <start> <end>  the running editor's text and selection
//   qtkeylog get                       "text [..]" and "keys [..]", the keys
//                                      as "Ctrl+Shift+Alt+Name" joined by " ",
//                                      and "edit <handle>" of its edit control
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

HWND gEdit = nullptr;
HWND gLog = nullptr;
WNDPROC gEditProc = nullptr;
int gCopy = 0, gCut = 0, gPaste = 0;

UINT VirtualKeyOf(int number) {
  if (number >= 0 && number <= 25) return static_cast<UINT>('A' + number);
  if (number >= 26 && number <= 34) return static_cast<UINT>('1' + number - 26);
  if (number == 35) return '0';
  if (number == 36) return VK_INSERT;
  if (number == 37) return VK_DELETE;
  if (number >= 38 && number <= 49) return static_cast<UINT>(VK_F1 + number - 38);
  return 0;
}

std::string KeyName(WPARAM vk) {
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return std::string(1, static_cast<char>(vk));
  if (vk == VK_INSERT) return "[INS]";
  if (vk == VK_DELETE) return "[DEL]";
  if (vk >= VK_F1 && vk <= VK_F12) return "[F" + std::to_string(vk - VK_F1 + 1) + "]";
  char hex[8];
  std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>(vk));
  return hex;
}

int Modifiers() {
  return (GetKeyState(VK_CONTROL) < 0 ? 1 : 0) | (GetKeyState(VK_SHIFT) < 0 ? 2 : 0) |
         (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

bool Matches(int code, WPARAM vk, int modifiers) {
  return code > 0 && VirtualKeyOf(code % 100) == vk && code / 100 - 1 == modifiers;
}

void Record(WPARAM vk, int modifiers) {
  wchar_t old[4096] = {};
  GetWindowTextW(gLog, old, 4096);
  std::string entry = std::string(modifiers & 1 ? "Ctrl+" : "") + (modifiers & 2 ? "Shift+" : "") +
                      (modifiers & 4 ? "Alt+" : "") + KeyName(vk);
  std::wstring text = old;
  if (!text.empty()) text += L' ';
  text += std::wstring(entry.begin(), entry.end());
  SetWindowTextW(gLog, text.c_str());
}

bool gSwallowChar = false;

LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
    if (wparam == VK_CONTROL || wparam == VK_SHIFT || wparam == VK_MENU) {
      return CallWindowProcW(gEditProc, window, message, wparam, lparam);
    }
    const int modifiers = Modifiers();
    Record(wparam, modifiers);
    UINT action = 0;
    if (Matches(gCopy, wparam, modifiers)) action = WM_COPY;
    if (Matches(gCut, wparam, modifiers)) action = WM_CUT;
    if (Matches(gPaste, wparam, modifiers)) action = WM_PASTE;
    if (action) {
      gSwallowChar = true;
      return CallWindowProcW(gEditProc, window, action, 0, 0);
    }
    gSwallowChar = false;
  }
  // The characters of the keys taken as commands must not land in the text.
  if ((message == WM_CHAR || message == WM_SYSCHAR) && gSwallowChar) {
    gSwallowChar = false;
    return 0;
  }
  return CallWindowProcW(gEditProc, window, message, wparam, lparam);
}

LRESULT CALLBACK TopProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      gEdit = CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL,
                              0, 0, 300, 200, window, nullptr, GetModuleHandleW(nullptr), nullptr);
      gLog = CreateWindowExW(0, L"Static", L"", WS_CHILD, 0, 0, 0, 0, window, nullptr, GetModuleHandleW(nullptr),
                             nullptr);
      if (!gEdit || !gLog) return -1;
      gEditProc = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(gEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditProc)));
      return 0;
    case WM_SETFOCUS:
    case WM_ACTIVATE:
      if (message == WM_SETFOCUS || LOWORD(wparam) != WA_INACTIVE) SetFocus(gEdit);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

int RunVerb(int argc, char** argv) {
  HWND top = FindWindowW(L"QtKeyLog", nullptr);
  HWND edit = top ? FindWindowExW(top, nullptr, L"Edit", nullptr) : nullptr;
  HWND log = top ? FindWindowExW(top, nullptr, L"Static", nullptr) : nullptr;
  if (!edit || !log) {
    std::printf("noeditor\n");
    return 1;
  }
  if (std::strcmp(argv[1], "set") == 0 && argc > 4) {
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]));
    SendMessageA(edit, EM_SETSEL, std::atoi(argv[3]), std::atoi(argv[4]));
    SendMessageA(log, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    return 0;
  }
  // Bytes out as they are: the text's own CR LF must not become CR CR LF.
  _setmode(_fileno(stdout), _O_BINARY);
  char text[4096] = {};
  SendMessageA(edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  std::printf("text [%s]\n", text);
  SendMessageA(log, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  std::printf("keys [%s]\n", text);
  std::printf("edit %llu\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(edit)));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && (std::strcmp(argv[1], "set") == 0 || std::strcmp(argv[1], "get") == 0)) return RunVerb(argc, argv);
  const long setting = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 202223221;
  gCopy = static_cast<int>(setting / 1000000);
  gCut = static_cast<int>(setting / 1000 % 1000);
  gPaste = static_cast<int>(setting % 1000);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &TopProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.lpszClassName = L"QtKeyLog";
  if (!RegisterClassExW(&windowClass)) return 1;
  HWND top = CreateWindowExW(0, L"QtKeyLog", L"Key log", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 320, 320, 240,
                             nullptr, nullptr, instance, nullptr);
  if (!top) return 1;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
