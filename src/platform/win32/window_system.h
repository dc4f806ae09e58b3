#pragma once
#include "platform/window_system.h"

namespace quiltor {

class Win32WindowSystem : public WindowSystem {
 public:
  std::intptr_t Send(WindowId window, std::uint32_t message, std::uintptr_t wparam,
                     std::intptr_t lparam) override;
  bool IsWindow(WindowId window) override;
  WindowId Parent(WindowId window) override;
  bool SetForeground(WindowId window) override;
  WindowId SetActive(WindowId window) override;
  WindowId SetFocus(WindowId window) override;
  WindowId Foreground() override;
  bool FocusOfThreadOf(WindowId foreground, WindowId& focus) override;
  WindowId Desktop() override;
  std::string ClassName(WindowId window) override;
  Bytes Text(WindowId window) override;
  std::uint32_t ProcessOf(WindowId window) override;
  void EnumTop(const std::function<bool(WindowId)>& visit) override;
  void EnumChildren(WindowId parent, const std::function<bool(WindowId)>& visit) override;
  Rect WindowRect(WindowId window) override;
};

}  // namespace quiltor
