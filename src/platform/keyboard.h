#pragma once
#include <cstdint>
#include <span>

#include "platform/types.h"

namespace quiltor {

// The virtual keys the core presses or reads, as Windows numbers them.
inline constexpr std::uint8_t kVkReturn = 0x0D;
inline constexpr std::uint8_t kVkShift = 0x10;
inline constexpr std::uint8_t kVkControl = 0x11;
inline constexpr std::uint8_t kVkMenu = 0x12;
inline constexpr std::uint8_t kVkEscape = 0x1B;
inline constexpr std::uint8_t kVkPrior = 0x21;
inline constexpr std::uint8_t kVkNext = 0x22;
inline constexpr std::uint8_t kVkLeft = 0x25;
inline constexpr std::uint8_t kVkUp = 0x26;
inline constexpr std::uint8_t kVkRight = 0x27;
inline constexpr std::uint8_t kVkDown = 0x28;
inline constexpr std::uint8_t kVkF = 0x46;

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
