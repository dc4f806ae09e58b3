#pragma once
// The real implementations of the platform interfaces, created in one place.
// The composition root and the Win32 tests take what they need from here.
#include <memory>

#include "platform/clipboard.h"
#include "platform/keyboard.h"
#include "platform/processes.h"
#include "platform/window_system.h"

namespace quiltor {

struct Win32Platform {
  Win32Platform();
  std::unique_ptr<Clipboard> clipboard;
  std::unique_ptr<WindowSystem> windows;
  std::unique_ptr<Keyboard> keyboard;
  std::unique_ptr<Processes> processes;
};

}  // namespace quiltor
