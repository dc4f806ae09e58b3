#include "fakes/fake_keyboard.h"

#include <cstdio>

namespace quiltor::fakes {

bool FakeKeyboard::Send(std::span<const KeyEvent> events) {
  std::size_t inserted = 0;
  for (const KeyEvent& event : events) {
    if (insertLimit == 0) break;
    if (insertLimit > 0) --insertLimit;
    ++inserted;
    events_.push_back(event);
    down_[event.vk] = !event.up;
    if (log_) {
      char entry[48];
      std::snprintf(entry, sizeof entry, "Key 0x%02X 0x%02X %s", event.vk, event.scan, event.up ? "up" : "down");
      log_->Add(entry);
    }
    if (onEvent) onEvent(event);
  }
  return inserted == events.size();
}

std::uint8_t FakeKeyboard::ScanCode(std::uint8_t vk) {
  if (log_) log_->Add("Scan " + std::to_string(vk));
  switch (vk) {
    case 0x10: return 0x2A;  // Shift
    case 0x11: return 0x1D;  // Ctrl
    case 0x12: return 0x38;  // Alt
    case 0x2D: return 0x52;  // Insert
    case 0x2E: return 0x53;  // Delete
    case 'C': return 0x2E;
    case 'V': return 0x2F;
    case 'W': return 0x11;
    case 'X': return 0x2D;
    default: return static_cast<std::uint8_t>(vk ^ 0x80);
  }
}

bool FakeKeyboard::IsDown(std::uint8_t vk) { return down_[vk]; }

}  // namespace quiltor::fakes
