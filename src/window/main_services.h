#pragma once
// The platform services and process-wide objects the tool window's logic
// works with; the composition root owns them.
#include "exchange/exchange_area.h"
#include "exchange/hot_keys.h"
#include "platform/clipboard.h"
#include "platform/files.h"
#include "platform/keyboard.h"
#include "platform/processes.h"
#include "platform/window_system.h"

namespace quiltor {

struct MainServices {
  FileSystem& files;
  Clipboard& clipboard;
  WindowSystem& windows;
  Keyboard& keyboard;
  Processes& processes;
  ExchangeArea& exchange;
  HotKeyRegistration& hotKeys;
};

}  // namespace quiltor
