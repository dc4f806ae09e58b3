#pragma once
#include <array>
#include <cstdint>

#include "platform/keyboard.h"

namespace quiltor {

class Win32Keyboard : public Keyboard {
 public:
  using Keyboard::Send;
  bool Send(std::span<const KeyEvent> events) override;
  // MapVirtualKey asks the system each time; the answers are kept per
  // keyboard layout, since every key write needs the same few of them.
  std::uint8_t ScanCode(std::uint8_t vk) override;
  bool IsDown(std::uint8_t vk) override;

 private:
  bool filled_ = false;
  void* layout_ = nullptr;
  std::array<std::int16_t, 256> scans_{};  // -1: not asked yet
};

}  // namespace quiltor
