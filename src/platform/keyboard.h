#pragma once
#include <cstdint>
#include <span>

#include "platform/types.h"

namespace quiltor {

class Keyboard {
 public:
  virtual ~Keyboard() = default;
  // SendInput of all `events` in one call (vk, scan, KEYEVENTF_KEYUP for a
  // release, KEYEVENTF_EXTENDEDKEY for an extended key, no other flag). False when the system inserted fewer events than
  // given: input blocked, another desktop, or a target Windows protects.
  virtual bool Send(std::span<const KeyEvent> events) = 0;
  bool Send(const KeyEvent& event) { return Send(std::span<const KeyEvent>(&event, 1)); }
  // MapVirtualKey(vk, 0).
  virtual std::uint8_t ScanCode(std::uint8_t vk) = 0;
  // GetAsyncKeyState(vk) reports the key held down.
  virtual bool IsDown(std::uint8_t vk) = 0;
};

}  // namespace quiltor
