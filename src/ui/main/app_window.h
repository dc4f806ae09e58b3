#pragma once
// The application window: an empty top-level window that owns the main
// window and carries the task-bar button, so the button can be shown and
// hidden ("アイコン非表示", a message box) without hiding the tool window
// itself, and so minimising the application hides its windows together.
#include <windows.h>

#include <functional>

#include "ui/base_window.h"

namespace quiltor {

class ApplicationWindow : public BaseWindow<ApplicationWindow> {
 public:
  bool Create(HINSTANCE instance);
  // The window the application's activation goes to (the main window).
  void SetMainWindow(HWND main) { main_ = main; }
  void ShowButton(bool show);
  void Minimize();
  // Restored from the task bar.
  std::function<void()> onRestore;
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  HWND main_ = nullptr;
  bool minimized_ = false;
};

}  // namespace quiltor
