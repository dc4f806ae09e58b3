#include "data/simple_target.h"

namespace quiltor {

void SimpleTarget::TimerTimer1(WindowId mainWindow, WindowId editDummy) {
  const WindowId foreground = windows_.Foreground();
  if (foreground == kNoWindow || foreground == mainWindow || foreground == editDummy) return;
  WindowId focus = kNoWindow;
  // A thread without a focus window gets its keys in the foreground window
  // itself, so that window is the one to write into.
  if (!windows_.FocusOfThreadOf(foreground, focus) || focus == kNoWindow) focus = foreground;
  if (focus == mainWindow || focus == editDummy) return;
  target_ = focus;
}

}  // namespace quiltor
