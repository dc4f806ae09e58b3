#include "platform/win32/window_system.h"

#include <windows.h>

#include <memory>
#include <utility>

#include "platform/win32/text_codec.h"
#include "text/cp932.h"

namespace quiltor {
namespace {

HWND ToHandle(WindowId window) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window)); }
WindowId ToId(HWND handle) { return static_cast<WindowId>(reinterpret_cast<std::uintptr_t>(handle)); }

BOOL CALLBACK VisitWindow(HWND handle, LPARAM context) {
  const auto& visit = *reinterpret_cast<const std::function<bool(WindowId)>*>(context);
  return visit(ToId(handle)) ? TRUE : FALSE;
}

// Joins the input state of the calling thread to another thread's while it
// lives, so that focus queries and changes see that thread's state.
class AttachedInput {
 public:
  AttachedInput(DWORD own, DWORD other)
      : own_(own), other_(other), attached_(own != other && AttachThreadInput(own, other, TRUE)) {}
  ~AttachedInput() {
    if (attached_) AttachThreadInput(own_, other_, FALSE);
  }
  AttachedInput(const AttachedInput&) = delete;
  AttachedInput& operator=(const AttachedInput&) = delete;
  bool Usable() const { return attached_ || own_ == other_; }

 private:
  DWORD own_;
  DWORD other_;
  bool attached_;
};

GUITHREADINFO GuiInfoOf(DWORD thread) {
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof gui;
  if (!thread || !GetGUIThreadInfo(thread, &gui)) {
    gui = {};
    gui.cbSize = sizeof gui;
  }
  return gui;
}

}  // namespace

bool Win32WindowSystem::Post(WindowId window, std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) {
  return PostMessageW(ToHandle(window), message, wparam, lparam) != FALSE;
}

namespace {

// The answer's flag is shared with the callback, which may come after the
// asker has stopped waiting (or never, when the target's thread ends).
class Win32PendingAnswer : public PendingAnswer {
 public:
  explicit Win32PendingAnswer(std::shared_ptr<bool> answered) : answered_(std::move(answered)) {}
  bool Answered() const override { return *answered_; }

 private:
  std::shared_ptr<bool> answered_;
};

void CALLBACK NoteAnswer(HWND, UINT, ULONG_PTR context, LRESULT) {
  auto* answered = reinterpret_cast<std::shared_ptr<bool>*>(context);
  **answered = true;
  delete answered;
}

}  // namespace

std::unique_ptr<PendingAnswer> Win32WindowSystem::SendAndGoOn(WindowId window, std::uint32_t message,
                                                              std::uintptr_t wparam, std::intptr_t lparam) {
  auto answered = std::make_shared<bool>(false);
  auto* context = new std::shared_ptr<bool>(answered);
  if (!SendMessageCallbackW(ToHandle(window), message, wparam, lparam, &NoteAnswer,
                            reinterpret_cast<ULONG_PTR>(context))) {
    delete context;
    return nullptr;
  }
  return std::make_unique<Win32PendingAnswer>(std::move(answered));
}

SendResult Win32WindowSystem::SendWithin(WindowId window, std::uint32_t message, std::uint32_t timeoutMs,
                                         std::uintptr_t wparam, std::intptr_t lparam) {
  HWND handle = ToHandle(window);
  DWORD_PTR value = 0;
  SetLastError(ERROR_SUCCESS);
  if (SendMessageTimeoutW(handle, message, wparam, lparam, SMTO_NORMAL | SMTO_ABORTIFHUNG, timeoutMs, &value))
    return SendResult{SendStatus::kDone, static_cast<std::intptr_t>(value)};
  const DWORD error = GetLastError();
  if (error == ERROR_ACCESS_DENIED) return SendResult{SendStatus::kRefused, 0};
  if (error == ERROR_INVALID_WINDOW_HANDLE || !::IsWindow(handle)) return SendResult{SendStatus::kWindowGone, 0};
  // ERROR_TIMEOUT, or no error at all when Windows gave up on a hung thread at once.
  NoteQuiet(GetWindowThreadProcessId(handle, nullptr));
  return SendResult{SendStatus::kNoAnswer, 0};
}

void Win32WindowSystem::NoteQuiet(std::uint32_t thread) {
  quietThread_ = thread;
  quietSince_ = GetTickCount64();
}

bool Win32WindowSystem::Answers(WindowId window) {
  HWND handle = ToHandle(window);
  const DWORD thread = GetWindowThreadProcessId(handle, nullptr);
  if (!thread || thread == GetCurrentThreadId()) return true;
  if (thread == quietThread_ && GetTickCount64() - quietSince_ < kQuietMemoryMs) return false;
  DWORD_PTR ignored = 0;
  SetLastError(ERROR_SUCCESS);
  if (SendMessageTimeoutW(handle, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kAnswerProbeMs, &ignored))
    return true;
  // Refused or gone: nothing waits on such a thread, the focus work itself fails.
  const DWORD error = GetLastError();
  if (error == ERROR_ACCESS_DENIED || error == ERROR_INVALID_WINDOW_HANDLE) return true;
  NoteQuiet(thread);
  return false;
}

bool Win32WindowSystem::IsWindow(WindowId window) { return ::IsWindow(ToHandle(window)) != FALSE; }

WindowId Win32WindowSystem::Parent(WindowId window) { return ToId(GetParent(ToHandle(window))); }

WindowId Win32WindowSystem::Root(WindowId window) {
  HWND handle = ToHandle(window);
  HWND root = GetAncestor(handle, GA_ROOT);
  return ToId(root ? root : handle);
}

bool Win32WindowSystem::SetForeground(WindowId window) {
  // Only a top-level window can be the foreground one: a child (the target
  // edit window) brings its top-level window there.
  HWND handle = ToHandle(Root(window));
  if (SetForegroundWindow(handle)) return true;
  // A background process may be refused the foreground; joining the current
  // foreground thread's input lifts that restriction, unless that thread does
  // not answer (joining it would wait for it).
  HWND current = GetForegroundWindow();
  if (current && !Answers(ToId(current))) return false;
  const DWORD own = GetCurrentThreadId();
  const DWORD other = current ? GetWindowThreadProcessId(current, nullptr) : own;
  AttachedInput attached(own, other);
  return SetForegroundWindow(handle) != FALSE;
}

WindowId Win32WindowSystem::SetActive(WindowId window) {
  HWND handle = ToHandle(window);
  HWND root = GetAncestor(handle, GA_ROOT);
  if (!root || root == handle) return ToId(SetActiveWindow(handle));
  // A child cannot be the active window: its top-level window becomes active
  // and the child gets the keyboard focus, so the keys that follow reach it.
  // Both act on the calling thread's input state only, hence the attach.
  const DWORD own = GetCurrentThreadId();
  const DWORD other = GetWindowThreadProcessId(handle, nullptr);
  // Usually it is so already (a key write focuses its target twice): then
  // the attach, which costs the target's thread a round of its own, is spared.
  const GUITHREADINFO gui = GuiInfoOf(other);
  if (gui.hwndActive == root && gui.hwndFocus == handle) return ToId(root);
  if (!Answers(window)) return kNoWindow;
  AttachedInput attached(own, other ? other : own);
  const HWND previous = SetActiveWindow(root);
  if (GetFocus() != handle) ::SetFocus(handle);
  return ToId(previous);
}

WindowId Win32WindowSystem::SetFocus(WindowId window) {
  HWND handle = ToHandle(window);
  const DWORD own = GetCurrentThreadId();
  const DWORD other = GetWindowThreadProcessId(handle, nullptr);
  if (other && other != own) {
    const GUITHREADINFO gui = GuiInfoOf(other);
    if (gui.hwndFocus == handle) return window;
    if (!Answers(window)) return kNoWindow;
  }
  // SetFocus only works on windows of the calling thread's input state.
  AttachedInput attached(own, other ? other : own);
  return ToId(::SetFocus(handle));
}

WindowId Win32WindowSystem::Foreground() { return ToId(GetForegroundWindow()); }

WindowId Win32WindowSystem::FocusOfThread(WindowId window) {
  const DWORD thread = GetWindowThreadProcessId(ToHandle(window), nullptr);
  if (thread == GetCurrentThreadId()) return ToId(GetFocus());
  return ToId(GuiInfoOf(thread).hwndFocus);
}

WindowId Win32WindowSystem::Desktop() { return ToId(GetDesktopWindow()); }

std::string Win32WindowSystem::ClassName(WindowId window) {
  wchar_t name[128] = {};
  const int length = GetClassNameW(ToHandle(window), name, 128);
  if (length <= 0) return std::string();
  // A character code page 932 lacks cannot be in a class name of the
  // settings either, so its "?" never matches one.
  return CutOnCharacterBoundary(ToAnsiForDisplay(std::wstring_view(name, static_cast<std::size_t>(length))), 127);
}

Bytes Win32WindowSystem::Text(WindowId window) {
  HWND handle = ToHandle(window);
  // Most titles fit a small buffer: one call instead of two (the watch tick
  // reads the target's title ten times a second).
  // The title is only shown, so a character code page 932 lacks may become "?".
  wchar_t shortText[512];
  const int got = GetWindowTextW(handle, shortText, 512);
  if (got <= 0) return Bytes();
  if (got < 512 - 2) return ToAnsiForDisplay(std::wstring_view(shortText, static_cast<std::size_t>(got)));
  const int length = GetWindowTextLengthW(handle);
  if (length <= 0) return Bytes();
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(handle, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return ToAnsiForDisplay(text);
}

std::uint32_t Win32WindowSystem::ProcessOf(WindowId window) {
  DWORD process = 0;
  if (!GetWindowThreadProcessId(ToHandle(window), &process)) return 0;
  return process;
}

std::uint32_t Win32WindowSystem::ThreadOf(WindowId window) {
  return GetWindowThreadProcessId(ToHandle(window), nullptr);
}

void Win32WindowSystem::EnumTop(const std::function<bool(WindowId)>& visit) {
  EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&visit));
}

void Win32WindowSystem::EnumThreadTop(std::uint32_t thread, const std::function<bool(WindowId)>& visit) {
  // FALSE also stands for a thread without windows; either way the caller
  // sees no window listed and checks each one it wanted on its own.
  EnumThreadWindows(thread, VisitWindow, reinterpret_cast<LPARAM>(&visit));
}

void Win32WindowSystem::EnumChildren(WindowId parent, const std::function<bool(WindowId)>& visit) {
  EnumChildWindows(ToHandle(parent), VisitWindow, reinterpret_cast<LPARAM>(&visit));
}

Rect Win32WindowSystem::WindowRect(WindowId window) {
  RECT rect = {};
  if (!GetWindowRect(ToHandle(window), &rect)) return Rect{};
  return Rect{rect.left, rect.top, rect.right, rect.bottom};
}

}  // namespace quiltor
