#pragma once
// Other programs' windows and the focus, as the core needs them.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/types.h"

namespace quiltor {

inline constexpr std::uint32_t kWmClose = 0x0010;
inline constexpr std::uint32_t kWmCut = 0x0300;
inline constexpr std::uint32_t kWmCopy = 0x0301;
inline constexpr std::uint32_t kWmPaste = 0x0302;
inline constexpr std::uint32_t kWmDestroyClipboard = 0x0307;
inline constexpr std::uint32_t kWmUndo = 0x0304;

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  // SendMessage; returns the result. Returns after the target has handled it.
  virtual std::intptr_t Send(WindowId window, std::uint32_t message, std::uintptr_t wparam = 0,
                             std::intptr_t lparam = 0) = 0;
  virtual bool IsWindow(WindowId window) = 0;
  virtual WindowId Parent(WindowId window) = 0;
  // For a child window these act on its top-level window; SetActive also
  // gives the child the keyboard focus. SetActive returns the previous active window.
  virtual bool SetForeground(WindowId window) = 0;
  virtual WindowId SetActive(WindowId window) = 0;
  virtual WindowId SetFocus(WindowId window) = 0;
  virtual WindowId Foreground() = 0;
  // The focus window of `foreground`'s thread (AttachThreadInput + GetFocus);
  // nullopt-like kNoWindow plus false when the attach failed.
  virtual bool FocusOfThreadOf(WindowId foreground, WindowId& focus) = 0;
  virtual WindowId Desktop() = 0;
  virtual std::string ClassName(WindowId window) = 0;  // at most 127 bytes
  virtual Bytes Text(WindowId window) = 0;
  virtual std::uint32_t ProcessOf(WindowId window) = 0;
  // Visit top-level windows / all descendants; the visitor returns false to stop.
  virtual void EnumTop(const std::function<bool(WindowId)>& visit) = 0;
  virtual void EnumChildren(WindowId parent, const std::function<bool(WindowId)>& visit) = 0;
  virtual Rect WindowRect(WindowId window) = 0;
};

}  // namespace quiltor
