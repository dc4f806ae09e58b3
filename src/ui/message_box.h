#pragma once
// The tool's message boxes: the error box for failures that end one action,
// and message boxes placed near the main window.
#include <windows.h>

#include <string>

#include "platform/types.h"
#include "ui/text.h"

namespace quiltor {

inline constexpr wchar_t kAppTitle[] = L"Quiltor";

// The application's standard error box (OK button, error icon).
void ShowErrorBox(HWND owner, const std::wstring& text);

// How the main window is to be put back after a box near it has closed.
struct NearWindowRestore {
  bool stayOnTop = false;  // "常に手前に表示" checked
  bool hideIcon = false;   // "アイコン非表示" enabled and checked
};

// A message box with its top left corner at `at` (screen pixels). Returns the
// button pressed.
int ShowMessageAt(HWND owner, const std::wstring& text, UINT type, POINT at, const wchar_t* caption = kAppTitle);

// Shows a message box with its top left corner at `at` (screen pixels). While
// the box is open the window is not topmost and has a task-bar button, so the
// box can never hide behind it; both are restored afterwards. Returns the
// button pressed (IDOK, IDYES...).
int ShowMessageNearWindow(HWND window, const std::wstring& text, UINT type, POINT at,
                          const NearWindowRestore& restore);
inline int ShowMessageNearWindow(HWND window, const Bytes& text, UINT type, POINT at,
                                 const NearWindowRestore& restore) {
  return ShowMessageNearWindow(window, FromAnsi(text), type, at, restore);
}

// Shows or hides the task-bar button of a top-level window.
void ShowTaskbarButton(HWND window, bool show);

}  // namespace quiltor
