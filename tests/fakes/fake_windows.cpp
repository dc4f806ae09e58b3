#include "fakes/fake_windows.h"

#include <cstdio>
#include <vector>

#include "fakes/fake_text_codec.h"

namespace quiltor::fakes {
namespace {

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

}  // namespace

WindowId FakeWindows::Add(const std::string& className, std::uint32_t process, WindowId parent) {
  const WindowId id = next_++;
  Window window;
  window.className = className;
  window.process = process;
  window.parent = parent;
  windows_[id] = window;
  return id;
}

WindowId FakeWindows::AddEditor(const std::string& className, std::uint32_t process, WindowId parent) {
  const WindowId id = Add(className, process, parent);
  windows_[id].editor = true;
  return id;
}

void FakeWindows::SetEditText(WindowId id, const Bytes& text, std::size_t selStart, std::size_t selEnd) {
  const std::u16string before = Utf16Of(text.substr(0, selStart));
  const std::u16string selected = Utf16Of(text.substr(selStart, selEnd - selStart));
  SetUnicodeEditText(id, before + selected + Utf16Of(text.substr(selEnd)), before.size(),
                     before.size() + selected.size());
}

void FakeWindows::SetUnicodeEditText(WindowId id, const std::u16string& text, std::size_t selStart,
                                     std::size_t selEnd) {
  Window& window = windows_.at(id);
  window.text = text;
  window.selStart = selStart;
  window.selEnd = selEnd;
}

Bytes FakeWindows::EditText(WindowId id) const { return Cp932Of(windows_.at(id).text).text; }

Bytes FakeWindows::Selection(WindowId id) const {
  const Window& window = windows_.at(id);
  return Cp932Of(window.text.substr(window.selStart, window.selEnd - window.selStart)).text;
}

void FakeWindows::Cut(Window& window, bool remove) {
  // An edit control leaves the clipboard alone when nothing is selected.
  if (window.selEnd <= window.selStart) return;
  clipboard_.PutUnicodeText(window.text.substr(window.selStart, window.selEnd - window.selStart));
  if (remove) {
    window.text.erase(window.selStart, window.selEnd - window.selStart);
    window.selEnd = window.selStart;
  }
}

void FakeWindows::Paste(Window& window) {
  const std::optional<std::u16string> text = clipboard_.ReadUnicodeText(window.process);
  if (!text) return;
  window.text.replace(window.selStart, window.selEnd - window.selStart, *text);
  window.selStart = window.selEnd = window.selStart + text->size();
}

void FakeWindows::Handle(WindowId id, std::uint32_t message) {
  auto found = windows_.find(id);
  if (found != windows_.end() && found->second.editor && found->second.answersMessages) {
    Window& window = found->second;
    if (message == kWmCut) Cut(window, true);
    if (message == kWmCopy) Cut(window, false);
    if (message == kWmPaste) Paste(window);
  }
  if (message == kWmClose && found != windows_.end() && found->second.closesOnWmClose) Remove(id);
  if (afterMessage) afterMessage(id, message);
}

std::intptr_t FakeWindows::Send(WindowId id, std::uint32_t message, std::uintptr_t, std::intptr_t) {
  Log("Send " + std::to_string(id) + " " + Hex(message));
  Handle(id, message);
  return 0;
}

void FakeWindows::Remove(WindowId id) {
  std::vector<WindowId> children;
  for (const auto& [child, window] : windows_) {
    if (window.parent == id) children.push_back(child);
  }
  for (WindowId child : children) Remove(child);
  windows_.erase(id);
  if (foreground_ == id) foreground_ = kNoWindow;
  if (focus_ == id) focus_ = kNoWindow;
}

SendResult FakeWindows::SendWithin(WindowId id, std::uint32_t message, std::uint32_t, std::uintptr_t, std::intptr_t) {
  Log("Send " + std::to_string(id) + " " + Hex(message));
  auto found = windows_.find(id);
  if (found == windows_.end()) return SendResult{SendStatus::kWindowGone, 0};
  if (found->second.protectedProcess) return SendResult{SendStatus::kRefused, 0};
  if (found->second.hung) return SendResult{SendStatus::kNoAnswer, 0};
  Handle(id, message);
  return SendResult{SendStatus::kDone, 0};
}

WindowId FakeWindows::FocusedEditor() {
  if (focus_ == kNoWindow || !windows_.count(focus_) || !windows_[focus_].editor) return kNoWindow;
  if (windows_[focus_].hung || Root(focus_) != foreground_) return kNoWindow;
  return focus_;
}

void FakeWindows::OnKey(const KeyEvent& event) {
  const bool down = !event.up;
  if (event.vk == 0x11) ctrl_ = down;
  if (event.vk == 0x10) shift_ = down;
  if (event.vk == 0x12) alt_ = down;
  if (!down || alt_) return;
  const WindowId editorId = FocusedEditor();
  if (editorId == kNoWindow) return;
  Window& editor = windows_[editorId];
  const bool cut = (ctrl_ && !shift_ && event.vk == 'X') || (shift_ && !ctrl_ && event.vk == 0x2E);
  const bool copy = (ctrl_ && !shift_ && event.vk == 'C') || (ctrl_ && !shift_ && event.vk == 0x2D);
  const bool paste = (ctrl_ && !shift_ && event.vk == 'V') || (shift_ && !ctrl_ && event.vk == 0x2D);
  if (cut || copy) {
    Cut(editor, cut);
    clipboard_.HoldOpen(holdClipboardAfterKeyCopy);
  }
  if (paste) Paste(editor);
}

WindowId FakeWindows::Parent(WindowId window) {
  ++windowQueries;
  auto found = windows_.find(window);
  return found == windows_.end() ? kNoWindow : found->second.parent;
}

WindowId FakeWindows::Root(WindowId window) {
  if (!windows_.count(window)) return kNoWindow;
  while (Parent(window) != kNoWindow) window = Parent(window);
  return window;
}

WindowId FakeWindows::DefaultFocus(WindowId root) {
  WindowId focus = root;
  EnumDescendants(root, [&](WindowId child) {
    if (!windows_[child].editor) return true;
    focus = child;
    return false;
  });
  return focus;
}

void FakeWindows::MoveFocus(WindowId window) {
  focus_ = focusThief != kNoWindow ? focusThief : window;
}

bool FakeWindows::SetForeground(WindowId window) {
  Log("SetForeground " + std::to_string(window));
  if (!windows_.count(window) || refuseForeground) return false;
  foreground_ = Root(window);
  MoveFocus(DefaultFocus(foreground_));
  return true;
}

WindowId FakeWindows::SetActive(WindowId window) {
  Log("SetActive " + std::to_string(window));
  if (!windows_.count(window)) return kNoWindow;
  // A child: its top-level window is activated and the child focused, which
  // takes an attach unless it has the focus already.
  if (Parent(window) != kNoWindow && focus_ != window) {
    if (windows_[window].process != ownProcess) ++attaches_;
    if (Root(window) == foreground_) MoveFocus(window);
  }
  return window;
}

WindowId FakeWindows::SetFocus(WindowId window) {
  Log("SetFocus " + std::to_string(window));
  const WindowId previous = focus_;
  if (!windows_.count(window) || focus_ == window) return previous;
  if (windows_[window].process != ownProcess) ++attaches_;
  MoveFocus(window);
  return previous;
}

WindowId FakeWindows::FocusOfThread(WindowId window) {
  if (focus_ == kNoWindow || !windows_.count(focus_) || !windows_.count(window)) return kNoWindow;
  return windows_[focus_].process == windows_[window].process ? focus_ : kNoWindow;
}

std::string FakeWindows::ClassName(WindowId window) {
  ++windowQueries;
  auto found = windows_.find(window);
  return found == windows_.end() ? std::string() : found->second.className;
}

Bytes FakeWindows::Text(WindowId window) {
  ++windowQueries;
  auto found = windows_.find(window);
  // A window title as the tool reads it: code page 932, "?" for what it lacks.
  return found == windows_.end() ? Bytes() : Cp932Of(found->second.text).text;
}

std::uint32_t FakeWindows::ProcessOf(WindowId window) {
  ++windowQueries;
  auto found = windows_.find(window);
  return found == windows_.end() ? 0 : found->second.process;
}

void FakeWindows::EnumThreadTop(std::uint32_t thread, const std::function<bool(WindowId)>& visit) {
  ++windowQueries;
  std::vector<WindowId> tops;
  for (const auto& [id, window] : windows_)
    if (window.parent == kNoWindow && window.process == thread) tops.push_back(id);
  for (WindowId id : tops)
    if (!visit(id)) return;
}

void FakeWindows::EnumTop(const std::function<bool(WindowId)>& visit) {
  std::vector<WindowId> tops;
  for (const auto& [id, window] : windows_)
    if (window.parent == kNoWindow) tops.push_back(id);
  for (WindowId id : tops)
    if (!visit(id)) return;
}

bool FakeWindows::EnumDescendants(WindowId parent, const std::function<bool(WindowId)>& visit) {
  std::vector<WindowId> children;
  for (const auto& [id, window] : windows_)
    if (window.parent == parent) children.push_back(id);
  for (WindowId child : children) {
    if (!visit(child)) return false;
    if (!EnumDescendants(child, visit)) return false;
  }
  return true;
}

void FakeWindows::EnumChildren(WindowId parent, const std::function<bool(WindowId)>& visit) {
  EnumDescendants(parent, visit);
}

}  // namespace quiltor::fakes
