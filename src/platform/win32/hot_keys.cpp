#include "platform/win32/hot_keys.h"

#include <windows.h>

namespace quiltor {

bool Win32HotKeys::Register(WindowId window, int id, std::uint32_t modifiers, std::uint32_t vk) {
  return RegisterHotKey(reinterpret_cast<HWND>(window), id, modifiers, vk) != FALSE;
}

void Win32HotKeys::Unregister(WindowId window, int id) {
  UnregisterHotKey(reinterpret_cast<HWND>(window), id);
}

}  // namespace quiltor
