#pragma once
#include "platform/keyboard.h"

namespace quiltor {

class Win32Keyboard : public Keyboard {
 public:
  bool Send(const KeyEvent& event) override;
  std::uint8_t ScanCode(std::uint8_t vk) override;
  bool IsDown(std::uint8_t vk) override;
};

}  // namespace quiltor
