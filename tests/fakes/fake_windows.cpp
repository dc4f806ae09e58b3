#include "fakes/fake_windows.h"

#include <algorithm>
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

constexpr std::uint32_t kWmGetTextLength = 0x000E;
constexpr std::uint32_t kEmGetSel = 0x00B0;
constexpr std::uint32_t kEmSetSel = 0x00B1;
constexpr std::uint32_t kSciGetSelectionEmpty = 2650;
constexpr std::uint8_t kVkLeft = 0x25;

enum class Counting { kNone, kEdit, kRichEdit, kScintilla };

Counting CountingOf(const std::string& className) {
  if (className == "Edit") return Counting::kEdit;
  if (className.rfind("RichEdit", 0) == 0) return Counting::kRichEdit;
  if (className == "Scintilla") return Counting::kScintilla;
  return Counting::kNone;
}

// Offsets (UTF-16 units) where positions start, and the end: every unit is
// one position, except that a rich edit control counts "\r\n" once; the Left
// arrow (`wholeCharacters`) also crosses a surrogate pair at once.
std::vector<std::size_t> CharacterStarts(const std::u16string& text, bool lineEndOnce,
                                         bool wholeCharacters = false) {
  std::vector<std::size_t> starts;
  for (std::size_t pos = 0; pos < text.size();) {
    starts.push_back(pos);
    const bool lineEnd = text.compare(pos, 2, u"\r\n") == 0;
    const bool pair = wholeCharacters && text[pos] >= 0xD800 && text[pos] < 0xDC00 && pos + 1 < text.size();
    pos += (lineEnd && lineEndOnce) || pair ? 2 : 1;
  }
  starts.push_back(text.size());
  return starts;
}

std::size_t PositionOfUnit(const std::u16string& text, bool lineEndOnce, std::size_t unit) {
  const std::vector<std::size_t> starts = CharacterStarts(text, lineEndOnce);
  std::size_t position = 0;
  while (position + 1 < starts.size() && starts[position] < unit) ++position;
  return position;
}

std::size_t UnitOfPosition(const std::u16string& text, bool lineEndOnce, std::size_t position) {
  const std::vector<std::size_t> starts = CharacterStarts(text, lineEndOnce);
  return starts[std::min(position, starts.size() - 1)];
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

std::pair<std::size_t, std::size_t> FakeWindows::Positions(WindowId id) const {
  const Window& window = windows_.at(id);
  const bool once = CountingOf(window.className) == Counting::kRichEdit;
  return {PositionOfUnit(window.text, once, window.selStart), PositionOfUnit(window.text, once, window.selEnd)};
}

std::intptr_t FakeWindows::AnswerSelection(Window& window, std::uint32_t message, std::uintptr_t wparam,
                                           std::intptr_t lparam) {
  const Counting counting = CountingOf(window.className);
  if (counting == Counting::kNone) return 0;  // DefWindowProc
  if (message == kWmGetTextLength) return static_cast<std::intptr_t>(window.text.size());
  if (counting == Counting::kScintilla) {
    return message == kSciGetSelectionEmpty && window.selStart == window.selEnd ? 1 : 0;
  }
  const bool once = counting == Counting::kRichEdit;
  if (message == kEmGetSel) {
    const std::size_t start = PositionOfUnit(window.text, once, window.selStart);
    const std::size_t end = PositionOfUnit(window.text, once, window.selEnd);
    if (start > 0xFFFF || end > 0xFFFF) return -1;
    return static_cast<std::intptr_t>(start | (end << 16));
  }
  if (message == kEmSetSel) {
    ++caretSets;
    window.selStart = UnitOfPosition(window.text, once, wparam);
    window.selEnd = UnitOfPosition(window.text, once, static_cast<std::size_t>(lparam));
  }
  return 0;
}

void FakeWindows::MoveLeft(Window& window) {
  if (window.selStart != window.selEnd) {
    window.selEnd = window.selStart;
    return;
  }
  const std::vector<std::size_t> starts = CharacterStarts(window.text, /*lineEndOnce=*/true,
                                                         /*wholeCharacters=*/true);
  std::size_t previous = 0;
  for (std::size_t start : starts) {
    if (start >= window.selStart) break;
    previous = start;
  }
  window.selStart = window.selEnd = previous;
}

void FakeWindows::Cut(Window& window, bool remove) {
  // An edit control leaves the clipboard alone when nothing is selected.
  if (window.selEnd <= window.selStart) return;
  clipboard_.PutUnicodeText(window.text.substr(window.selStart, window.selEnd - window.selStart), window.process);
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

std::intptr_t FakeWindows::Handle(WindowId id, std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) {
  std::intptr_t result = 0;
  auto found = windows_.find(id);
  if (found != windows_.end() && found->second.editor && found->second.answersMessages) {
    Window& window = found->second;
    if (message == kWmCut) Cut(window, true);
    if (message == kWmCopy) Cut(window, false);
    if (message == kWmPaste) Paste(window);
    result = AnswerSelection(window, message, wparam, lparam);
  }
  if (message == kWmClose && found != windows_.end() && found->second.closesOnWmClose) Remove(id);
  if (afterMessage) afterMessage(id, message);
  return result;
}

bool FakeWindows::Post(WindowId id, std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) {
  Log("Post " + std::to_string(id) + " " + Hex(message));
  auto found = windows_.find(id);
  if (found == windows_.end() || found->second.protectedProcess) return false;
  if (!found->second.hung) Handle(id, message, wparam, lparam);
  return true;
}

namespace {

class FakeAnswer : public PendingAnswer {
 public:
  explicit FakeAnswer(std::shared_ptr<bool> answered) : answered_(std::move(answered)) {}
  bool Answered() const override { return *answered_; }

 private:
  std::shared_ptr<bool> answered_;
};

}  // namespace

std::unique_ptr<PendingAnswer> FakeWindows::SendAndGoOn(WindowId id, std::uint32_t message, std::uintptr_t wparam,
                                                        std::intptr_t lparam) {
  Log("SendAndGoOn " + std::to_string(id) + " " + Hex(message));
  auto found = windows_.find(id);
  if (found == windows_.end() || found->second.protectedProcess) return nullptr;
  if (found->second.hung) return std::make_unique<FakeAnswer>(std::make_shared<bool>(false));
  if (message == kWmClose && found->second.asksOnClose) {
    auto& question = questions_[id];
    question = std::make_shared<bool>(false);
    return std::make_unique<FakeAnswer>(question);
  }
  Handle(id, message, wparam, lparam);
  return std::make_unique<FakeAnswer>(std::make_shared<bool>(true));
}

void FakeWindows::AnswerQuestion(WindowId id, bool closes) {
  auto found = questions_.find(id);
  if (found == questions_.end()) return;
  *found->second = true;
  questions_.erase(found);
  if (closes) Remove(id);
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

SendResult FakeWindows::SendWithin(WindowId id, std::uint32_t message, std::uint32_t, std::uintptr_t wparam,
                                   std::intptr_t lparam) {
  Log("Send " + std::to_string(id) + " " + Hex(message));
  auto found = windows_.find(id);
  if (found == windows_.end()) return SendResult{SendStatus::kWindowGone, 0};
  if (found->second.protectedProcess) return SendResult{SendStatus::kRefused, 0};
  if (found->second.hung) return SendResult{SendStatus::kNoAnswer, 0};
  return SendResult{SendStatus::kDone, Handle(id, message, wparam, lparam)};
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
  if (event.vk == kVkLeft && !ctrl_ && !shift_) MoveLeft(editor);
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
