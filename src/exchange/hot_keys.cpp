#include "exchange/hot_keys.h"

namespace quiltor {

void HotKeyRegistration::Register(WindowId window, const HotKeyConfig& config,
                                  const std::function<void(HotKeyFailure)>& onFailure) {
  Unregister();
  window_ = window;
  config_ = config;
  const auto keyCode = [](char key) { return static_cast<std::uint32_t>(static_cast<unsigned char>(key)); };
  if (config.repeat.enabled) {
    repeat_ = hotKeys_.Register(window, kHotKeyRepeat, config.repeat.modifiers, keyCode(config.repeat.key));
    if (!repeat_ && onFailure) onFailure(HotKeyFailure::Repeat);
  }
  if (config.activate.enabled) {
    activate_ = hotKeys_.Register(window, kHotKeyActivate, config.activate.modifiers, keyCode(config.activate.key));
    if (!activate_ && onFailure) onFailure(HotKeyFailure::Activate);
  }
}

void HotKeyRegistration::Unregister() {
  if (repeat_) hotKeys_.Unregister(window_, kHotKeyRepeat);
  if (activate_) hotKeys_.Unregister(window_, kHotKeyActivate);
  repeat_ = activate_ = false;
}

std::vector<KeyEvent> HotKeyReleaseEvents(const HotKeyConfig& config, int id, Keyboard& keyboard) {
  std::vector<KeyEvent> events;
  if (id != kHotKeyRepeat && id != kHotKeyActivate) return events;
  const HotKeySetting& setting = id == kHotKeyRepeat ? config.repeat : config.activate;
  events.push_back({static_cast<std::uint8_t>(setting.key), 0, true});
  const struct {
    std::uint32_t flag;
    std::uint8_t vk;
  } modifiers[] = {{1, kVkMenu}, {2, kVkControl}, {4, kVkShift}};
  for (const auto& modifier : modifiers) {
    if (setting.modifiers & modifier.flag) events.push_back({modifier.vk, keyboard.ScanCode(modifier.vk), true});
  }
  return events;
}

}  // namespace quiltor

#include "settings/settings.h"

namespace quiltor {

HotKeyConfig HotKeyConfigFrom(const AppSettings& settings) {
  return {{settings.hotKeyR, static_cast<std::uint32_t>(settings.hotKeyR1), settings.hotKeyR2},
          {settings.hotKeyA, static_cast<std::uint32_t>(settings.hotKeyA1), settings.hotKeyA2}};
}

}  // namespace quiltor
