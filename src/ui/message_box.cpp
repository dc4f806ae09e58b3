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
      SetWindowPos(box, nullptr, boxPosition.x, boxPosition.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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

void ShowTaskbarButton(HWND window, bool show) {
  if (!window) return;
  LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
  LONG_PTR wanted = show ? ((exStyle | WS_EX_APPWINDOW) & ~static_cast<LONG_PTR>(WS_EX_TOOLWINDOW))
                         : ((exStyle | WS_EX_TOOLWINDOW) & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW));
  if (wanted == exStyle) return;
  // The shell reads the style only when a window is shown, so a visible
  // window is hidden and shown again around the change.
  bool visible = IsWindowVisible(window) != FALSE;
  if (visible) ShowWindow(window, SW_HIDE);
  SetWindowLongPtrW(window, GWL_EXSTYLE, wanted);
  if (visible) ShowWindow(window, SW_SHOWNA);
}

int ShowMessageAt(HWND owner, const std::wstring& text, UINT type, POINT at, const wchar_t* caption) {
  boxPosition = at;
  // Without the hook the box still shows, only centred.
  boxHook = SetWindowsHookExW(WH_CBT, PlaceBoxHook, nullptr, GetCurrentThreadId());
  int answer = MessageBoxW(owner, text.c_str(), caption, type);
  if (boxHook) {
    UnhookWindowsHookEx(boxHook);
    boxHook = nullptr;
  }
  return answer;
}

int ShowMessageNearWindow(HWND window, const std::wstring& text, UINT type, POINT at,
                          const NearWindowRestore& restore) {
  if (window) {
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    ShowTaskbarButton(window, true);
  }
  int answer = ShowMessageAt(window, text, type, at);
  if (window && IsWindow(window)) {
    SetWindowPos(window, restore.stayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    ShowTaskbarButton(window, !restore.hideIcon);
  }
  return answer;
}

}  // namespace quiltor
