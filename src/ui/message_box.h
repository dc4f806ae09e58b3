#pragma once
// The tool's message boxes: the error box for failures that end one action,
// and message boxes placed near the main window.
#include <windows.h>

#include <string>

#include "platform/types.h"
#include "platform/win32/text_codec.h"

namespace quiltor {

// The application's title: message boxes and the task-bar button carry it.
inline constexpr wchar_t kAppTitle[] = L"くいるとる - Quilt'r";

// The application's standard error box (OK button, error icon).
void ShowErrorBox(HWND owner, const std::wstring& text);

// How the main window is to be put back after a box near it has closed.
struct NearWindowRestore {
  bool topmost = false;  // the window stays on top (the option or the window fix)
  bool hideIcon = false;  // "アイコン非表示" in force
};

// A message box with its top left corner at `at` (screen pixels). Returns the
// button pressed.
int ShowMessageAt(HWND owner, const std::wstring& text, UINT type, POINT at, const wchar_t* caption = kAppTitle);

// Shows a message box with its top left corner at `at` (screen pixels). While
// the box is open the window is not topmost and the application's task-bar
// button shows (`taskbarWindow` is the window that carries it), so the box can
// never hide behind the window; both are restored afterwards. The window
// itself is never hidden: that would hand the activation to another program.
// Returns the button pressed (IDOK, IDYES...).
int ShowMessageNearWindow(HWND window, HWND taskbarWindow, const std::wstring& text, UINT type, POINT at,
                          const NearWindowRestore& restore);

}  // namespace quiltor
