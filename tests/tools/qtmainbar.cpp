// Test helper: where the parts of the tool window that a user clicks to
// choose data files are on the screen, for the end-to-end tests:
//   qtmainbar window    the tool window: "window <x> <y> <w> <h> <visible>";
//                       sends the tool no message, so it answers while the
//                       tool waits for another program
//   qtmainbar buttons   each button of the main window's tool bar:
//                       "tool <id> <x> <y> <w> <h> <enabled> <dropdown>"
//                       (screen pixels; id 0 for separators)
//   qtmainbar popups    each visible pop-up menu: "popup <x> <y> <w> <h>"
// A menu's items cannot be read from another process under Wine; the tests
// read a shown menu from a screenshot instead.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "tools/outside.h"

namespace {

using namespace quiltor::outside;

int Buttons() {
  HWND bar = FindChildNamed(FindMain(), L"ToolBar");
  if (!bar) {
    std::printf("nobar\n");
    return 1;
  }
  RemoteBuffer remote(bar, 256);
  if (!remote.Ok()) return 1;
  const int count = static_cast<int>(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    TBBUTTON button{};
    SendMessageW(bar, TB_GETBUTTON, static_cast<WPARAM>(i), remote.Address());
    remote.Read(&button, sizeof button);
    RECT r{};
    SendMessageW(bar, TB_GETITEMRECT, static_cast<WPARAM>(i), remote.Address());
    remote.Read(&r, sizeof r);
    MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&r), 2);
    const bool separator = (button.fsStyle & BTNS_SEP) != 0;
    std::printf("tool %d %ld %ld %ld %ld %d %d\n", separator ? 0 : button.idCommand, r.left, r.top,
                r.right - r.left, r.bottom - r.top, (button.fsState & TBSTATE_ENABLED) ? 1 : 0,
                (button.fsStyle & BTNS_DROPDOWN) ? 1 : 0);
  }
  return 0;
}

int Window() {
  HWND main = FindMain();
  if (!main) {
    std::printf("nowindow\n");
    return 1;
  }
  RECT r{};
  GetWindowRect(main, &r);
  std::printf("window %ld %ld %ld %ld %d\n", r.left, r.top, r.right - r.left, r.bottom - r.top,
              IsWindowVisible(main) ? 1 : 0);
  return 0;
}

int Popups() {
  for (HWND w = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); w;
       w = FindWindowExW(nullptr, w, L"#32768", nullptr)) {
    if (!IsWindowVisible(w)) continue;
    RECT r{};
    GetWindowRect(w, &r);
    std::printf("popup %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string verb = argv[1];
  int code = 2;
  if (verb == "window") code = Window();
  if (verb == "buttons") code = Buttons();
  if (verb == "popups") code = Popups();
  std::fflush(stdout);
  return code;
}
