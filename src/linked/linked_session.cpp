#include "linked/linked_session.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

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
  const WindowId root = windows.Root(editWindow);
  return root != kNoWindow ? root : editWindow;
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
  entry.topWindow = TopWindowOf(windows_, editWindow);
  entry.serial = nextSerial_++;
  if (editWindow != kNoWindow && windows_.IsWindow(editWindow)) {
    entry.process = windows_.ProcessOf(editWindow);
    entry.thread = windows_.ThreadOf(entry.topWindow);
    entry.editClass = windows_.ClassName(editWindow);
    entry.topClass = windows_.ClassName(entry.topWindow);
  }
  return entry;
}

bool LinkedSession::StillOwned(WindowId window, std::uint32_t process, const std::string& className) {
  if (window == kNoWindow) return false;
  // The owner's process is 0 for a window that is gone.
  if (process != 0 ? windows_.ProcessOf(window) != process : !windows_.IsWindow(window)) return false;
  return className.empty() || windows_.ClassName(window) == className;
}

bool LinkedSession::EntryAlive(const OpenFileEntry& entry) {
  return StillOwned(entry.topWindow, entry.process, entry.topClass);
}

void LinkedSession::LinkWindows(WindowId editWindow) {
  linkedEditWindow_ = editWindow;
  linkedTargetWindow_ = TopWindowOf(windows_, editWindow);
  const bool exists = editWindow != kNoWindow && windows_.IsWindow(editWindow);
  linkedProcess_ = exists ? windows_.ProcessOf(editWindow) : 0;
  linkedThread_ = exists ? windows_.ThreadOf(linkedTargetWindow_) : 0;
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

void LinkedSession::RemoveOpenFile(const OpenFileEntry& entry) {
  if (const std::optional<std::size_t> index = IndexOf(entry)) RemoveOpenFile(*index);
}

std::optional<std::size_t> LinkedSession::IndexOf(const OpenFileEntry& entry) const {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].serial == entry.serial) return i;
  }
  return std::nullopt;
}

void LinkedSession::ClearCurrentFile() {
  selected_.reset();
  currentFile_.clear();
  LinkWindows(kNoWindow);
}

bool LinkedSession::ChooseEntry(std::size_t index) {
  if (index >= entries_.size()) return false;
  selected_ = index;
  const OpenFileEntry& entry = entries_[index];
  currentFile_ = entry.path;
  // The owner recorded when the entry was listed, not whoever holds the handle now.
  linkedEditWindow_ = entry.editWindow;
  linkedTargetWindow_ = entry.topWindow;
  linkedProcess_ = entry.process;
  linkedThread_ = entry.thread;
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
  DropTarget();
  return false;
}

void LinkedSession::DropTarget() {
  LinkWindows(kNoWindow);
  if (selected_) RemoveOpenFile(*selected_);
}

LinkedSession::WatchOutcome LinkedSession::Watch() {
  // Each editor thread's top-level windows, asked for once in this tick.
  std::vector<std::pair<std::uint32_t, std::vector<WindowId>>> listings;
  const auto listed = [&](std::uint32_t thread, WindowId window) {
    if (thread == 0 || window == kNoWindow) return false;
    auto found = std::find_if(listings.begin(), listings.end(), [&](const auto& l) { return l.first == thread; });
    if (found == listings.end()) {
      std::vector<WindowId> tops;
      windows_.EnumThreadTop(thread, [&](WindowId top) {
        tops.push_back(top);
        return true;
      });
      found = listings.emplace(listings.end(), thread, std::move(tops));
    }
    return std::find(found->second.begin(), found->second.end(), window) != found->second.end();
  };
  // Turns 0 .. n-1 are the entries', turn n the target's.
  const std::size_t slots = entries_.size();
  const std::size_t turn = fullCheckTurn_++ % (slots + 1);
  WatchOutcome outcome;
  // From the back, so that removing one leaves the indices before it alone.
  for (std::size_t i = slots; i-- > 0;) {
    const OpenFileEntry& entry = entries_[i];
    // A top window that is no top-level window (an editor's inner frame) is
    // checked in full each time.
    if (i != turn && listed(entry.thread, entry.topWindow)) continue;
    if (EntryAlive(entry)) continue;
    RemoveOpenFile(i);
    outcome.pruned = true;
  }
  if (linkedTargetWindow_ != kNoWindow) {
    const bool seen = turn != slots && listed(linkedThread_, linkedTargetWindow_);
    if (!seen && !TargetUsable()) {
      DropTarget();
      outcome.targetGone = true;
    }
  }
  return outcome;
}

bool LinkedSession::TargetUsable() {
  return StillOwned(linkedTargetWindow_, linkedProcess_, linkedTopClass_) &&
         StillOwned(linkedEditWindow_, linkedProcess_, linkedEditClass_);
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
