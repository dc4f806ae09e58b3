#pragma once
// The simple-mode target: the window that last had the keyboard focus outside
// the tool, sampled by the watch timer.
#include "platform/types.h"
#include "platform/window_system.h"

namespace quiltor {

class SimpleTarget {
 public:
  explicit SimpleTarget(WindowSystem& windows) : windows_(windows), target_(windows.Desktop()) {}

  // TimerTimer1: records the focus window of the foreground window's thread.
  // The tool's own window and its focus holder never become the target.
  void TimerTimer1(WindowId mainWindow, WindowId editDummy);

  WindowId Target() const { return target_; }
  void SetTarget(WindowId target) { target_ = target; }

 private:
  WindowSystem& windows_;
  WindowId target_;
};

}  // namespace quiltor
