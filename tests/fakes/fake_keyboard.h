#pragma once
// Records synthesised key strokes in order and hands them on (to a fake
// editor) like the system's input queue would.
#include <functional>
#include <vector>

#include "fakes/call_log.h"
#include "platform/keyboard.h"

namespace quiltor::fakes {

class FakeKeyboard : public Keyboard {
 public:
  explicit FakeKeyboard(CallLog* log = nullptr) : log_(log) {}
  bool Send(const KeyEvent& event) override;
  // Scan codes of a US/Japanese PC keyboard for the keys the tests use.
  std::uint8_t ScanCode(std::uint8_t vk) override;
  bool IsDown(std::uint8_t vk) override;

  const std::vector<KeyEvent>& Events() const { return events_; }
  void ClearEvents() { events_.clear(); }
  std::function<void(const KeyEvent&)> onEvent;

 private:
  CallLog* log_;
  std::vector<KeyEvent> events_;
  bool down_[256] = {};
};

}  // namespace quiltor::fakes
