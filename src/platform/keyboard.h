#pragma once
#include <cstdint>

#include "platform/types.h"

namespace quiltor {

class Keyboard {
 public:
  virtual ~Keyboard() = default;
  // keybd_event(vk, scan, up ? KEYEVENTF_KEYUP : 0, 0). False when the system refused it.
  virtual bool Send(const KeyEvent& event) = 0;
  // MapVirtualKey(vk, 0).
  virtual std::uint8_t ScanCode(std::uint8_t vk) = 0;
  // GetAsyncKeyState(vk) reports the key held down.
  virtual bool IsDown(std::uint8_t vk) = 0;
};

}  // namespace quiltor
