#include "linked/linked_session.h"

#include <algorithm>
#include <string_view>

#include "text/cp932.h"

namespace quiltor {
namespace {

// Position of the first `c` that is a character of its own (a second byte
// 0x7C of "ポ" is no "|"); npos when none.
std::size_t FindCharacter(std::string_view text, char c, std::size_t from = 0) {
  for (std::size_t i = from; i < text.size(); i += CharacterLength(text, i)) {
    if (text[i] == c) return i;
  }
  return std::string_view::npos;
}

// Drops the text up to and including the first `c` (all of it when none).
std::string_view AfterCharacter(std::string_view text, char c) {
  const std::size_t at = FindCharacter(text, c);
  return at == std::string_view::npos ? std::string_view() : text.substr(at + 1);
}

}  // namespace

WindowId TopWindowOf(WindowSystem& windows, WindowId editWindow) {
  if (editWindow == kNoWindow) return kNoWindow;
  const WindowId parent = windows.Parent(editWindow);
  return parent != kNoWindow ? parent : editWindow;
}

Bytes ShortenPathForLabel(const Bytes& entryText) {
  if (entryText.empty()) return {};
  if (entryText.size() <= kLabelBytes) return entryText.substr(1);
  const Bytes tail = "...\\" + FileNamePart(entryText);
  if (tail.size() >= kLabelBytes) return tail;
  return CutOnCharacterBoundary(std::string_view(entryText).substr(1), kLabelBytes - tail.size()) + tail;
}

bool ShouldCloseEditor(int closeMode, const Bytes& entryText) {
  if (closeMode == 0) return true;
  if (closeMode == 1) return !entryText.empty() && entryText.front() == kOpenedByTool;
  return false;
}

Bytes ExtensionFromFilter(const Bytes& filter, int filterIndex) {
  std::string_view rest = AfterCharacter(filter, '|');
  for (int k = 1; k < filterIndex; ++k) rest = AfterCharacter(AfterCharacter(rest, '|'), '|');
  if (FindCharacter(rest, '.') != std::string_view::npos) rest = AfterCharacter(rest, '.');
  rest = rest.substr(0, std::min(rest.size(), FindCharacter(rest, '|')));
  rest = rest.substr(0, std::min(rest.size(), FindCharacter(rest, ';')));
  if (rest.empty()) return {};
  for (char bad : {'*', '?', '\\', '/', ':', '"', '<', '>', '|'}) {
    if (FindCharacter(rest, bad) != std::string_view::npos) return {};
  }
  return Bytes(rest);
}

// ---------------------------------------------------------------------------

OpenFileEntry LinkedSession::MakeEntry(char mark, const Bytes& path, WindowId editWindow) {
  OpenFileEntry entry;
  entry.mark = mark;
  entry.path = path;
  entry.editWindow = editWindow;
  if (editWindow != kNoWindow && windows_.IsWindow(editWindow)) {
    entry.process = windows_.ProcessOf(editWindow);
    entry.editClass = windows_.ClassName(editWindow);
    entry.topClass = windows_.ClassName(TopWindowOf(windows_, editWindow));
  }
  return entry;
}

WindowId LinkedSession::EntryTopWindow(const OpenFileEntry& entry) const {
  return TopWindowOf(windows_, entry.editWindow);
}

bool LinkedSession::EntryAlive(const OpenFileEntry& entry) {
  const WindowId top = EntryTopWindow(entry);
  if (top == kNoWindow || !windows_.IsWindow(top)) return false;
  if (entry.process != 0 && windows_.ProcessOf(top) != entry.process) return false;
  return entry.topClass.empty() || windows_.ClassName(top) == entry.topClass;
}

void LinkedSession::LinkWindows(WindowId editWindow) {
  linkedEditWindow_ = editWindow;
  linkedTargetWindow_ = TopWindowOf(windows_, editWindow);
  const bool exists = editWindow != kNoWindow && windows_.IsWindow(editWindow);
  linkedProcess_ = exists ? windows_.ProcessOf(editWindow) : 0;
  linkedEditClass_ = exists ? windows_.ClassName(editWindow) : std::string();
  linkedTopClass_ = exists ? windows_.ClassName(linkedTargetWindow_) : std::string();
}

void LinkedSession::SetCurrent(const Bytes& path, WindowId editWindow) {
  currentFile_ = path;
  LinkWindows(editWindow);
}

void LinkedSession::AddOpenFile(char mark) {
  entries_.insert(entries_.begin(), MakeEntry(mark, currentFile_, linkedEditWindow_));
  selected_ = 0;
}

void LinkedSession::SelectOpenFile(std::size_t index) {
  selected_ = index < entries_.size() ? std::optional<std::size_t>(index) : std::nullopt;
}

void LinkedSession::RemoveOpenFile(std::size_t index) {
  if (index >= entries_.size()) return;
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
  if (!selected_) return;
  if (*selected_ == index) {
    selected_.reset();
  } else if (*selected_ > index) {
    --*selected_;
  }
}

void LinkedSession::ClearCurrentFile() {
  selected_.reset();
  currentFile_.clear();
  LinkWindows(kNoWindow);
}

void LinkedSession::ClearAll() {
  entries_.clear();
  ClearCurrentFile();
}

bool LinkedSession::ChooseEntry(std::size_t index) {
  if (index >= entries_.size()) return false;
  selected_ = index;
  const OpenFileEntry& entry = entries_[index];
  currentFile_ = entry.path;
  // The owner recorded when the entry was listed, not whoever holds the handle now.
  linkedEditWindow_ = entry.editWindow;
  linkedTargetWindow_ = TopWindowOf(windows_, entry.editWindow);
  linkedProcess_ = entry.process;
  linkedEditClass_ = entry.editClass;
  linkedTopClass_ = entry.topClass;
  return true;
}

bool LinkedSession::LinkFromOutside(WindowId editWindow, const Bytes& file) {
  SetCurrent(file, editWindow);
  auto found = std::find_if(entries_.begin(), entries_.end(),
                            [&](const OpenFileEntry& e) { return e.editWindow == editWindow; });
  if (found != entries_.end()) {
    selected_ = static_cast<std::size_t>(found - entries_.begin());
    return false;
  }
  AddOpenFile(kRegisteredFromOutside);
  return true;
}

bool LinkedSession::PruneOpenFiles() {
  bool removed = false;
  for (std::size_t i = 0; i < entries_.size();) {
    if (EntryAlive(entries_[i])) {
      ++i;
    } else {
      RemoveOpenFile(i);
      removed = true;
    }
  }
  return removed;
}

bool LinkedSession::CheckLinkedTarget() {
  if (TargetUsable()) return true;
  LinkWindows(kNoWindow);
  if (selected_) RemoveOpenFile(*selected_);
  return false;
}

bool LinkedSession::TargetUsable() {
  const auto sameOwner = [&](WindowId window, const std::string& className) {
    return window != kNoWindow && windows_.IsWindow(window) &&
           (linkedProcess_ == 0 || windows_.ProcessOf(window) == linkedProcess_) &&
           (className.empty() || windows_.ClassName(window) == className);
  };
  return sameOwner(linkedTargetWindow_, linkedTopClass_) && sameOwner(linkedEditWindow_, linkedEditClass_);
}

std::optional<std::size_t> LinkedSession::FollowForeground(WindowId foreground) {
  if (foreground == kNoWindow || foreground == linkedTargetWindow_) return std::nullopt;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (EntryTopWindow(entries_[i]) != foreground || !EntryAlive(entries_[i])) continue;
    ChooseEntry(i);
    return i;
  }
  return std::nullopt;
}

Bytes LinkedSession::LabelText() const {
  return selected_ ? ShortenPathForLabel(entries_[*selected_].Text()) : Bytes();
}

}  // namespace quiltor
