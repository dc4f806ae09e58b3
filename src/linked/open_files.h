#pragma once
// The files open in the target editor and which of them is current. The
// window shows the list in its file combo box and close menus; this model is
// what they are built from.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"
#include "platform/window_system.h"

namespace quiltor {

inline constexpr char kOpenedByTool = ' ';
inline constexpr char kRegisteredFromOutside = '*';

struct OpenFileEntry {
  char mark = kOpenedByTool;
  Bytes path;
  WindowId editWindow = kNoWindow;
  // What the combo box shows: the mark followed by the path.
  Bytes Text() const { return Bytes(1, mark) + path; }
};

// The entry's top window is never stored: the edit window's parent, or the
// edit window itself when it has none.
WindowId TopWindowOf(WindowSystem& windows, WindowId editWindow);

class OpenFileList {
 public:
  // Newest first: a new entry becomes index 0 and is selected.
  void Add(OpenFileEntry entry);
  std::optional<std::size_t> FindByEditWindow(WindowId editWindow) const;
  void Select(std::optional<std::size_t> index);
  void Remove(std::size_t index);
  std::optional<std::size_t> Selected() const { return selected_; }
  const std::vector<OpenFileEntry>& Entries() const { return entries_; }

 private:
  std::vector<OpenFileEntry> entries_;
  std::optional<std::size_t> selected_;
};

// The state of linked mode that the delivery and the timer read.
struct LinkedState {
  OpenFileList files;
  Bytes currentFile;
  WindowId linkedEditWindow = kNoWindow;
  WindowId linkedTargetWindow = kNoWindow;
};

// Links an editor window that another program named (forwarded "/h" + "/f",
// or the tool's own start): it becomes the linked edit window with `file` as
// the current file; the file is listed with the outside mark unless the window
// is listed already, in which case that entry is selected.
void LinkFromOutside(LinkedState& state, WindowSystem& windows, WindowId editWindow, const Bytes& file);

}  // namespace quiltor
