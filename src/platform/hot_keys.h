#pragma once
#include <cstdint>

#include "platform/types.h"

namespace quiltor {

// System-wide hot keys bound to one of the tool's windows.
class HotKeys {
 public:
  virtual ~HotKeys() = default;
  // RegisterHotKey(window, id, modifiers, vk); false when the combination is taken.
  virtual bool Register(WindowId window, int id, std::uint32_t modifiers, std::uint32_t vk) = 0;
  virtual void Unregister(WindowId window, int id) = 0;
};

}  // namespace quiltor
