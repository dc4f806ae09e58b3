#include "ui/main_window.h"

namespace quiltor {

int RunMessageLoop(TFormMain& form) {
  form.Show();
  MSG msg{};
  for (;;) {
    // Idle processing runs once each time the queue has run empty.
    while (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      form.ApplicationEventsIdle();
      if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) WaitMessage();
    }
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    if (got == -1) return 1;
    if (form.PreTranslateKey(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace quiltor
