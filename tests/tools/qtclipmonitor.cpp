// Test helper: a clipboard monitor of the careless kind. It listens for
// clipboard updates and reads the text of every one at once, with its own
// window as the clipboard's opener, ignoring the markers that ask monitors to
// leave a content alone. Top window class "QtClipMonitor"; its title is
// "reads <n>", the number of texts it has read so far.
#include <cwchar>

#include "tools/test_window.h"

namespace {

int gReads = 0;

void ReadClipboard(HWND window) {
  {
    const quiltor::ClipboardSession clipboard(window, 100);
    if (!clipboard.IsOpen()) return;
    // Both forms, as a monitor that keeps every format would.
    const bool unicode = GetClipboardData(CF_UNICODETEXT) != nullptr;
    const bool ansi = GetClipboardData(CF_TEXT) != nullptr;
    if (unicode || ansi) ++gReads;
  }
  wchar_t title[32];
  swprintf(title, 32, L"reads %d", gReads);
  SetWindowTextW(window, title);
}

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      return AddClipboardFormatListener(window) ? 0 : -1;
    case WM_CLIPBOARDUPDATE:
      ReadClipboard(window);
      return 0;
    case WM_DESTROY:
      RemoveClipboardFormatListener(window);
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

int main() {
  using namespace quiltor::testwin;
  if (!RegisterWindowClass(L"QtClipMonitor", &Proc)) return 1;
  // An ordinary hidden top window, so tests find it by its class.
  return CreateWindowExW(0, L"QtClipMonitor", L"reads 0", WS_OVERLAPPED, 0, 0, 100, 50, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr)
             ? RunMessageLoop()
             : 1;
}
