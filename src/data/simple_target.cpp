#include "data/simple_target.h"

namespace quiltor {

void SimpleTarget::TimerTimer1(WindowId mainWindow, WindowId editDummy) {
  const WindowId foreground = windows_.Foreground();
  if (foreground == kNoWindow || foreground == mainWindow || foreground == editDummy) return;
  // Read from outside: joining the foreground thread's input every tick would
  // disturb the user's typing there (its key state and focus are shared
  // meanwhile). A thread without a focus window gets its keys in the
  // foreground window itself, so that window is the one to write into.
  WindowId focus = windows_.FocusOfThread(foreground);
  if (focus == kNoWindow) focus = foreground;
  if (focus == mainWindow || focus == editDummy) return;
  target_ = focus;
}

}  // namespace quiltor
