#pragma once
#include <cstdint>

#include "platform/window_system.h"

namespace quiltor {

class Win32WindowSystem : public WindowSystem {
 public:
  bool Post(WindowId window, std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) override;
  std::unique_ptr<PendingAnswer> SendAndGoOn(WindowId window, std::uint32_t message, std::uintptr_t wparam,
                                             std::intptr_t lparam) override;
  SendResult SendWithin(WindowId window, std::uint32_t message, std::uint32_t timeoutMs, std::uintptr_t wparam,
                        std::intptr_t lparam) override;
  bool IsWindow(WindowId window) override;
  WindowId Parent(WindowId window) override;
  WindowId Root(WindowId window) override;
  bool SetForeground(WindowId window) override;
  WindowId SetActive(WindowId window) override;
  WindowId SetFocus(WindowId window) override;
  WindowId Foreground() override;
  WindowId FocusOfThread(WindowId window) override;
  WindowId Desktop() override;
  std::string ClassName(WindowId window) override;
  Bytes Text(WindowId window) override;
  std::uint32_t ProcessOf(WindowId window) override;
  std::uint32_t ThreadOf(WindowId window) override;
  void EnumTop(const std::function<bool(WindowId)>& visit) override;
  void EnumThreadTop(std::uint32_t thread, const std::function<bool(WindowId)>& visit) override;
  void EnumChildren(WindowId parent, const std::function<bool(WindowId)>& visit) override;
  Rect WindowRect(WindowId window) override;

  // Focus work joins the input of the window's thread, after which Windows
  // sends that thread activation messages and waits for them: a thread that
  // does not answer within this time is left alone.
  static constexpr std::uint32_t kAnswerProbeMs = 300;
  // A thread found not answering is not asked again for this long, so the
  // steps after a failed write do not each wait for it.
  static constexpr std::uint64_t kQuietMemoryMs = 3000;

 private:
  // Whether the thread of `window` answers a message now.
  bool Answers(WindowId window);
  void NoteQuiet(std::uint32_t thread);

  std::uint32_t quietThread_ = 0;
  std::uint64_t quietSince_ = 0;
};

}  // namespace quiltor
