#include "ui/message_box.h"

namespace quiltor {

namespace {
// The hook moves the box as soon as it is activated, before it is painted.
thread_local POINT boxPosition{};
thread_local HHOOK boxHook = nullptr;

LRESULT CALLBACK PlaceBoxHook(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_ACTIVATE) {
    HWND box = reinterpret_cast<HWND>(wparam);
    wchar_t className[16] = {};
    GetClassNameW(box, className, 16);
    if (lstrcmpW(className, L"#32770") == 0) {
      SetWindowPos(box, nullptr, boxPosition.x, boxPosition.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      HHOOK hook = boxHook;
      boxHook = nullptr;
      if (hook) UnhookWindowsHookEx(hook);
      return 0;
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}
}  // namespace

void ShowErrorBox(HWND owner, const std::wstring& text) {
  MessageBoxW(owner, text.c_str(), kAppTitle, MB_OK | MB_ICONERROR);
}

int ShowMessageAt(HWND owner, const std::wstring& text, UINT type, POINT at) {
  boxPosition = at;
  boxHook = SetWindowsHookExW(WH_CBT, PlaceBoxHook, nullptr, GetCurrentThreadId());
  const int answer = MessageBoxW(owner, text.c_str(), kAppTitle, type);
  if (boxHook) {
    UnhookWindowsHookEx(boxHook);
    boxHook = nullptr;
  }
  return answer;
}

int ShowMessageNearWindow(HWND window, HWND taskbarWindow, const std::wstring& text, UINT type, POINT at,
                          const NearWindowRestore& restore) {
  if (window) SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  if (taskbarWindow) ShowWindow(taskbarWindow, SW_SHOWNA);
  const int answer = ShowMessageAt(window, text, type, at);
  if (window && IsWindow(window)) {
    SetWindowPos(window, restore.topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  }
  if (taskbarWindow && restore.hideIcon) ShowWindow(taskbarWindow, SW_HIDE);
  return answer;
}

}  // namespace quiltor
