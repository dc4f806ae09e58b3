#include "platform/win32/keyboard.h"

#include <windows.h>

namespace quiltor {

bool Win32Keyboard::Send(const KeyEvent& event) {
  keybd_event(event.vk, event.scan, event.up ? KEYEVENTF_KEYUP : 0, 0);
  return true;
}

std::uint8_t Win32Keyboard::ScanCode(std::uint8_t vk) {
  void* layout = GetKeyboardLayout(0);
  if (!filled_ || layout != layout_) {
    filled_ = true;
    layout_ = layout;
    scans_.fill(-1);
  }
  std::int16_t& scan = scans_[vk];
  if (scan < 0) scan = static_cast<std::int16_t>(MapVirtualKeyA(vk, 0) & 0xFF);
  return static_cast<std::uint8_t>(scan);
}

bool Win32Keyboard::IsDown(std::uint8_t vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

}  // namespace quiltor
