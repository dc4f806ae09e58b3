#include "platform/win32/platform.h"

#include "platform/win32/clipboard.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/monitors.h"
#include "platform/win32/processes.h"
#include "platform/win32/text_codec.h"
#include "platform/win32/window_system.h"

namespace quiltor {

Win32Platform::Win32Platform()
    : clipboard(std::make_unique<Win32Clipboard>()),
      windows(std::make_unique<Win32WindowSystem>()),
      keyboard(std::make_unique<Win32Keyboard>()),
      processes(std::make_unique<Win32Processes>()),
      codec(std::make_unique<Win32TextCodec>()),
      monitors(std::make_unique<Win32Monitors>()) {}

}  // namespace quiltor
