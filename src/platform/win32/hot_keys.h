#pragma once
#include "platform/hot_keys.h"

namespace quiltor {

class Win32HotKeys final : public HotKeys {
 public:
  bool Register(WindowId window, int id, std::uint32_t modifiers, std::uint32_t vk) override;
  void Unregister(WindowId window, int id) override;
};

}  // namespace quiltor
