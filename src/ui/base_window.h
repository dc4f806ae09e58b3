#pragma once
// A small base for our own windows: the static window procedure finds the C++
// object (stored at WM_NCCREATE) and hands every message to its HandleMessage.
// Nothing may leave the procedure as an exception: Windows cannot unwind
// through its own frames, so failures end only the message that raised them
// and are shown in the application's error box.
#include <windows.h>

#include <exception>
#include <string>

#include "ui/message_box.h"

namespace quiltor {

template <class Derived>
class BaseWindow {
 public:
  BaseWindow() = default;
  BaseWindow(const BaseWindow&) = delete;
  BaseWindow& operator=(const BaseWindow&) = delete;
  virtual ~BaseWindow() {
    if (hwnd_) {
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      DestroyWindow(hwnd_);
    }
  }

  HWND Handle() const { return hwnd_; }

 protected:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
    Derived* self = nullptr;
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
      self = static_cast<Derived*>(create->lpCreateParams);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      if (self) self->hwnd_ = hwnd;
    } else {
      self = reinterpret_cast<Derived*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, message, wparam, lparam);
    try {
      LRESULT result = self->HandleMessage(message, wparam, lparam);
      if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
      }
      return result;
    } catch (const std::exception& error) {
      ShowErrorBox(hwnd, FromAnsi(error.what()));
    } catch (...) {
      ShowErrorBox(hwnd, L"予期しないエラーが発生しました");
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }

  // Registers the class once per process; false when the system refused it.
  static bool RegisterClassOnce(HINSTANCE instance, const wchar_t* className, UINT style,
                                HBRUSH background) {
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, className, &existing)) return true;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = &BaseWindow::WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    wc.hIcon = LoadIconW(instance, L"MAINICON");
    return RegisterClassExW(&wc) != 0;
  }

  LRESULT Default(UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcW(hwnd_, message, wparam, lparam);
  }

  HWND hwnd_ = nullptr;
};

}  // namespace quiltor
