#include "platform/win32/keyboard.h"

#include <windows.h>

#include <vector>

namespace quiltor {

// One call for all events, so no other input lands between a modifier and
// its key.
bool Win32Keyboard::Send(std::span<const KeyEvent> events) {
  if (events.empty()) return true;
  std::vector<INPUT> inputs(events.size());
  for (std::size_t i = 0; i < events.size(); ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = events[i].vk;
    inputs[i].ki.wScan = events[i].scan;
    inputs[i].ki.dwFlags = (events[i].up ? KEYEVENTF_KEYUP : 0) | (events[i].extended ? KEYEVENTF_EXTENDEDKEY : 0);
  }
  const UINT count = static_cast<UINT>(inputs.size());
  return SendInput(count, inputs.data(), sizeof(INPUT)) == count;
}

std::uint8_t Win32Keyboard::ScanCode(std::uint8_t vk) {
  void* layout = GetKeyboardLayout(0);
  if (!filled_ || layout != layout_) {
    filled_ = true;
    layout_ = layout;
    scans_.fill(-1);
  }
  std::int16_t& scan = scans_[vk];
  if (scan < 0) scan = static_cast<std::int16_t>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC) & 0xFF);
  return static_cast<std::uint8_t>(scan);
}

bool Win32Keyboard::IsDown(std::uint8_t vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

}  // namespace quiltor
