#pragma once
#include <cstdint>
#include <functional>

#include <vector>

#include "platform/hot_keys.h"
#include "platform/keyboard.h"
#include "platform/types.h"

namespace quiltor {

inline constexpr int kHotKeyRepeat = 0;
inline constexpr int kHotKeyActivate = 1;

struct HotKeySetting {
  bool enabled = false;
  std::uint32_t modifiers = 1;  // 1 Alt, 2 Ctrl, 4 Shift, added
  char key = 'Q';               // its character code is the virtual-key code
  friend bool operator==(const HotKeySetting&, const HotKeySetting&) = default;
};

struct HotKeyConfig {
  HotKeySetting repeat;    // re-edit
  HotKeySetting activate;  // bring the tool to the front
  friend bool operator==(const HotKeyConfig&, const HotKeyConfig&) = default;
};

enum class HotKeyFailure { Repeat, Activate };

// The hot keys registered on the main window, owned for as long as they are
// registered: Unregister (and the destructor) takes back exactly what was
// registered, so a settings change or the end of the tool never leaves one
// behind and never unregisters one that another program holds.
class HotKeyRegistration {
 public:
  explicit HotKeyRegistration(HotKeys& hotKeys) : hotKeys_(hotKeys) {}
  ~HotKeyRegistration() { Unregister(); }
  HotKeyRegistration(const HotKeyRegistration&) = delete;
  HotKeyRegistration& operator=(const HotKeyRegistration&) = delete;

  // Unregisters what is held, then registers `config` on `window`;
  // `onFailure` is called for each enabled hot key that could not be taken.
  void Register(WindowId window, const HotKeyConfig& config,
                const std::function<void(HotKeyFailure)>& onFailure);
  void Unregister();
  const HotKeyConfig& Config() const { return config_; }
  bool Holds(int id) const { return id == kHotKeyRepeat ? repeat_ : id == kHotKeyActivate && activate_; }

 private:
  HotKeys& hotKeys_;
  WindowId window_ = kNoWindow;
  HotKeyConfig config_;
  bool repeat_ = false;
  bool activate_ = false;
};

// The key-ups that let go of what the user still holds for hot key `id`: its
// letter, then Alt, Ctrl and Shift as its own modifiers name them. Keys the
// tool writes next must not arrive with those modifiers held.
std::vector<KeyEvent> HotKeyReleaseEvents(const HotKeyConfig& config, int id, Keyboard& keyboard);

}  // namespace quiltor

namespace quiltor {
struct AppSettings;
// The hot keys as the settings store holds them.
HotKeyConfig HotKeyConfigFrom(const AppSettings& settings);
}  // namespace quiltor
