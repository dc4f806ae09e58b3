#pragma once
#include <cstdint>
#include <functional>

#include "platform/hot_keys.h"
#include "platform/types.h"

namespace quiltor {

inline constexpr int kHotKeyRepeat = 0;
inline constexpr int kHotKeyActivate = 1;

struct HotKeySetting {
  bool enabled = false;
  std::uint32_t modifiers = 1;  // 1 Alt, 2 Ctrl, 4 Shift, added
  char key = 'Q';               // its character code is the virtual-key code
};

struct HotKeyConfig {
  HotKeySetting repeat;    // re-edit
  HotKeySetting activate;  // bring the tool to the front
};

enum class HotKeyFailure { Repeat, Activate };

// Registers each enabled hot key independently; `onFailure` is called once for
// each one that could not be registered (another program owns it).
void RegisterHotKeys(HotKeys& hotKeys, WindowId window, const HotKeyConfig& config,
                     const std::function<void(HotKeyFailure)>& onFailure);
// The switches in force at registration decide what is unregistered.
void UnregisterHotKeys(HotKeys& hotKeys, WindowId window, const HotKeyConfig& config);

}  // namespace quiltor

namespace quiltor {
struct AppSettings;
// The hot keys as the settings store holds them.
HotKeyConfig HotKeyConfigFrom(const AppSettings& settings);
}  // namespace quiltor
