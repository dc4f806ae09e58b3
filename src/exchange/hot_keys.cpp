#include "exchange/hot_keys.h"

namespace quiltor {

void RegisterHotKeys(HotKeys& hotKeys, WindowId window, const HotKeyConfig& config,
                     const std::function<void(HotKeyFailure)>& onFailure) {
  const auto keyCode = [](char key) { return static_cast<std::uint32_t>(static_cast<unsigned char>(key)); };
  if (config.repeat.enabled &&
      !hotKeys.Register(window, kHotKeyRepeat, config.repeat.modifiers, keyCode(config.repeat.key))) {
    onFailure(HotKeyFailure::Repeat);
  }
  if (config.activate.enabled &&
      !hotKeys.Register(window, kHotKeyActivate, config.activate.modifiers, keyCode(config.activate.key))) {
    onFailure(HotKeyFailure::Activate);
  }
}

void UnregisterHotKeys(HotKeys& hotKeys, WindowId window, const HotKeyConfig& config) {
  if (config.repeat.enabled) hotKeys.Unregister(window, kHotKeyRepeat);
  if (config.activate.enabled) hotKeys.Unregister(window, kHotKeyActivate);
}

}  // namespace quiltor

#include "settings/settings.h"

namespace quiltor {

HotKeyConfig HotKeyConfigFrom(const AppSettings& settings) {
  return {{settings.hotKeyR, static_cast<std::uint32_t>(settings.hotKeyR1), settings.hotKeyR2},
          {settings.hotKeyA, static_cast<std::uint32_t>(settings.hotKeyA1), settings.hotKeyA2}};
}

}  // namespace quiltor
