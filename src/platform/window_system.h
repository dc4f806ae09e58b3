#pragma once
// Other programs' windows and the focus, as the core needs them.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/types.h"

namespace quiltor {

inline constexpr std::uint32_t kWmNull = 0x0000;
inline constexpr std::uint32_t kWmClose = 0x0010;
inline constexpr std::uint32_t kWmCut = 0x0300;
inline constexpr std::uint32_t kWmCopy = 0x0301;
inline constexpr std::uint32_t kWmPaste = 0x0302;
inline constexpr std::uint32_t kWmDestroyClipboard = 0x0307;
inline constexpr std::uint32_t kWmUndo = 0x0304;

// How a message sent with a time limit fared.
enum class SendStatus {
  kDone,
  kNoAnswer,  // the window's thread did not answer in time (hung or busy)
  kRefused,   // Windows refused it: a process it protects from the tool
  kWindowGone,
};

struct SendResult {
  SendStatus status = SendStatus::kDone;
  std::intptr_t value = 0;
};

// A message handed to another program's window without waiting for its
// answer. The answer reaches the sending thread only while that thread reads
// its messages, so a caller waits for it in a loop that does.
class PendingAnswer {
 public:
  virtual ~PendingAnswer() = default;
  // True once the window's procedure has returned from the message.
  virtual bool Answered() const = 0;
};

// Nothing here waits for another program without a time limit: a window
// thread that stops reading its messages for 5 s is "not responding" to
// Windows, and the user's hot keys and log-off wait on it.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  // PostMessage; false when Windows refused it or the window is gone.
  virtual bool Post(WindowId window, std::uint32_t message, std::uintptr_t wparam = 0, std::intptr_t lparam = 0) = 0;
  // SendMessageCallback: returns at once; null when Windows refused the
  // message or the window is gone.
  virtual std::unique_ptr<PendingAnswer> SendAndGoOn(WindowId window, std::uint32_t message,
                                                     std::uintptr_t wparam = 0, std::intptr_t lparam = 0) = 0;
  // SendMessageTimeout with SMTO_ABORTIFHUNG: gives up after `timeoutMs`, or
  // at once when Windows already counts the window's thread as hung.
  virtual SendResult SendWithin(WindowId window, std::uint32_t message, std::uint32_t timeoutMs,
                                std::uintptr_t wparam = 0, std::intptr_t lparam = 0) = 0;
  virtual bool IsWindow(WindowId window) = 0;
  virtual WindowId Parent(WindowId window) = 0;
  // The top-level window a window belongs to (GetAncestor GA_ROOT); itself
  // for a top-level window.
  virtual WindowId Root(WindowId window) = 0;
  // For a child window these act on its top-level window; SetActive also
  // gives the child the keyboard focus. SetActive returns the previous active
  // window. SetActive on a child and SetFocus join the window thread's input
  // for the call, unless the window has the focus already; none of them
  // waits for a thread that does not answer.
  virtual bool SetForeground(WindowId window) = 0;
  virtual WindowId SetActive(WindowId window) = 0;
  virtual WindowId SetFocus(WindowId window) = 0;
  virtual WindowId Foreground() = 0;
  // The keyboard focus window of the thread that owns `window`, read without
  // joining its input (GetGUIThreadInfo); kNoWindow when it has none or it
  // cannot be read.
  virtual WindowId FocusOfThread(WindowId window) = 0;
  virtual WindowId Desktop() = 0;
  virtual std::string ClassName(WindowId window) = 0;  // at most 127 bytes
  virtual Bytes Text(WindowId window) = 0;
  virtual std::uint32_t ProcessOf(WindowId window) = 0;
  // The thread that created the window; 0 for a window that is gone.
  virtual std::uint32_t ThreadOf(WindowId window) = 0;
  // Visit top-level windows / all descendants; the visitor returns false to stop.
  virtual void EnumTop(const std::function<bool(WindowId)>& visit) = 0;
  // The top-level windows of one thread, in a single question to the system.
  virtual void EnumThreadTop(std::uint32_t thread, const std::function<bool(WindowId)>& visit) = 0;
  virtual void EnumChildren(WindowId parent, const std::function<bool(WindowId)>& visit) = 0;
  virtual Rect WindowRect(WindowId window) = 0;
};

}  // namespace quiltor
