#pragma once
// The platform services and process-wide objects the tool window's logic
// works with; the composition root owns them.
#include "exchange/exchange_area.h"
#include "exchange/hot_keys.h"
#include "platform/clipboard.h"
#include "platform/files.h"
#include "platform/integrity.h"
#include "platform/keyboard.h"
#include "platform/monitors.h"
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
  Monitors& monitors;
  // Null: keys are sent without asking the target's integrity level.
  IntegrityLevels* integrity = nullptr;
};

}  // namespace quiltor
