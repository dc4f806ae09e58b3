#pragma once
// TFormAbout "バージョン情報": the program's version in a small dialog that
// stays on top; Enter or Esc closes it.
#include <windows.h>

namespace quiltor {

void ShowAboutDialog(HWND owner);

}  // namespace quiltor
