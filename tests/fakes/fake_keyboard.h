#pragma once
// Records synthesised key strokes in order and hands them on (to a fake
// editor) like the system's input queue would; can refuse input as Windows
// does for a protected target or a blocked desktop.
#include <functional>
#include <vector>

#include "fakes/call_log.h"
#include "platform/keyboard.h"

namespace quiltor::fakes {

class FakeKeyboard : public Keyboard {
 public:
  explicit FakeKeyboard(CallLog* log = nullptr) : log_(log) {}
  using Keyboard::Send;
  bool Send(std::span<const KeyEvent> events) override;
  // Scan codes of a US/Japanese PC keyboard for the keys the tests use.
  std::uint8_t ScanCode(std::uint8_t vk) override;
  bool IsDown(std::uint8_t vk) override;

  const std::vector<KeyEvent>& Events() const { return events_; }
  void ClearEvents() { events_.clear(); }
  std::function<void(const KeyEvent&)> onEvent;
  // How many more events the system inserts; -1: all.
  int insertLimit = -1;

 private:
  CallLog* log_;
  std::vector<KeyEvent> events_;
  bool down_[256] = {};
};

}  // namespace quiltor::fakes
