#include "linked/open_files.h"

#include <algorithm>

namespace quiltor {

WindowId TopWindowOf(WindowSystem& windows, WindowId editWindow) {
  if (editWindow == kNoWindow) return kNoWindow;
  const WindowId parent = windows.Parent(editWindow);
  return parent != kNoWindow ? parent : editWindow;
}

void OpenFileList::Add(OpenFileEntry entry) {
  entries_.insert(entries_.begin(), std::move(entry));
  selected_ = 0;
}

std::optional<std::size_t> OpenFileList::FindByEditWindow(WindowId editWindow) const {
  auto it = std::find_if(entries_.begin(), entries_.end(),
                         [&](const OpenFileEntry& e) { return e.editWindow == editWindow; });
  if (it == entries_.end()) return std::nullopt;
  return static_cast<std::size_t>(it - entries_.begin());
}

void OpenFileList::Select(std::optional<std::size_t> index) {
  selected_ = index && *index < entries_.size() ? index : std::nullopt;
}

void OpenFileList::Remove(std::size_t index) {
  if (index >= entries_.size()) return;
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
  if (!selected_) return;
  if (*selected_ == index) {
    selected_.reset();
  } else if (*selected_ > index) {
    --*selected_;
  }
}

void LinkFromOutside(LinkedState& state, WindowSystem& windows, WindowId editWindow, const Bytes& file) {
  state.linkedEditWindow = editWindow;
  state.currentFile = file;
  state.linkedTargetWindow = TopWindowOf(windows, editWindow);
  if (auto index = state.files.FindByEditWindow(editWindow)) {
    state.files.Select(index);
  } else {
    state.files.Add({kRegisteredFromOutside, file, editWindow});
  }
}

}  // namespace quiltor
