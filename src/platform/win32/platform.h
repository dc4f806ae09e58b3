#pragma once
// The real implementations of the platform interfaces, created in one place.
// The composition root and the Win32 tests take what they need from here.
#include <memory>

#include "platform/clipboard.h"
#include "platform/integrity.h"
#include "platform/keyboard.h"
#include "platform/monitors.h"
#include "platform/processes.h"
#include "platform/text_codec.h"
#include "platform/window_system.h"
#include "platform/win32/files.h"
#include "platform/win32/hot_keys.h"
#include "platform/win32/integrity.h"
#include "platform/win32/shared_memory.h"

namespace quiltor {

struct Win32Platform {
  Win32Platform();
  std::unique_ptr<Clipboard> clipboard;
  std::unique_ptr<WindowSystem> windows;
  std::unique_ptr<Keyboard> keyboard;
  std::unique_ptr<Processes> processes;
  std::unique_ptr<SharedMemory> sharedMemory = std::make_unique<Win32SharedMemory>();
  std::unique_ptr<HotKeys> hotKeys = std::make_unique<Win32HotKeys>();
  std::unique_ptr<FileSystem> files = std::make_unique<Win32FileSystem>();
  std::unique_ptr<TextCodec> codec;
  std::unique_ptr<Monitors> monitors;
  std::unique_ptr<IntegrityLevels> integrity = std::make_unique<Win32IntegrityLevels>();
};

}  // namespace quiltor
