#include "ui/main/app_window.h"

#include "ui/message_box.h"

namespace quiltor {
namespace {
constexpr wchar_t kApplicationClass[] = L"QuiltorApplication";
}  // namespace

bool ApplicationWindow::Create(HINSTANCE instance) {
  if (!RegisterClassOnce(instance, kApplicationClass, 0, nullptr)) return false;
  // No size and no frame: only its task-bar button is ever seen.
  return CreateWindowExW(WS_EX_APPWINDOW, kApplicationClass, kAppTitle,
                         WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0, nullptr, nullptr,
                         instance, this) != nullptr;
}

void ApplicationWindow::ShowButton(bool show) {
  if (!hwnd_) return;
  if (show) {
    ShowWindow(hwnd_, minimized_ ? SW_SHOWMINNOACTIVE : SW_SHOWNA);
  } else if (IsWindowVisible(hwnd_)) {
    ShowWindow(hwnd_, SW_HIDE);
  }
}

void ApplicationWindow::Minimize() {
  if (!hwnd_) return;
  minimized_ = true;
  // The owned main window goes out of sight with its owner.
  if (main_) ShowWindow(main_, SW_HIDE);
  ShowWindow(hwnd_, SW_MINIMIZE);
}

LRESULT ApplicationWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ACTIVATE:
      // The application is the main window: activation passes on to it.
      if (LOWORD(wparam) != WA_INACTIVE && main_ && IsWindowVisible(main_)) SetActiveWindow(main_);
      return 0;
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == SC_RESTORE && minimized_) {
        minimized_ = false;
        LRESULT result = Default(message, wparam, lparam);
        if (main_) {
          ShowWindow(main_, SW_SHOW);
          SetForegroundWindow(main_);
        }
        if (onRestore) onRestore();
        return result;
      }
      if ((wparam & 0xFFF0) == SC_CLOSE && main_) {
        PostMessageW(main_, WM_CLOSE, 0, 0);
        return 0;
      }
      break;
    case WM_CLOSE:
      if (main_) PostMessageW(main_, WM_CLOSE, 0, 0);
      return 0;
  }
  return Default(message, wparam, lparam);
}

}  // namespace quiltor
