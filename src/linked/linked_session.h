#pragma once
// Linked mode's session: the files open in the target editor (newest first),
// which of them is current, and the editor windows the tool writes into. The
// window shows the list in ComboBoxFile and the two close menus, index for
// index; this model is what they are drawn from.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"
#include "platform/window_system.h"

namespace quiltor {

inline constexpr char kOpenedByTool = ' ';
inline constexpr char kRegisteredFromOutside = '*';

struct OpenFileEntry {
  char mark = kOpenedByTool;  // never shown; close mode 1 reads it
  Bytes path;
  WindowId editWindow = kNoWindow;  // null when the editor's window was not found
  // The edit window's parent, or the edit window itself when it has none,
  // as it was when the entry was linked.
  WindowId topWindow = kNoWindow;
  // Who owned the windows when the entry was linked. A window handle can be
  // used again by another program once the editor's window is gone; a handle
  // that no longer belongs to this process and class is not the editor.
  std::uint32_t process = 0;
  std::uint32_t thread = 0;
  std::string editClass;
  std::string topClass;
  // Which listing this is: an entry is found again by it after its position
  // may have moved (no two entries of a session share one).
  std::uint64_t serial = 0;
  // What the combo box holds: the mark followed by the path.
  Bytes Text() const { return Bytes(1, mark) + path; }
};

// The top-level window the edit window belongs to, however deep it sits
// (today's editors nest it in panes); the edit window itself when it is one.
WindowId TopWindowOf(WindowSystem& windows, WindowId editWindow);

// The label text for an entry text (mark + path): the path when the text has
// at most 42 bytes, else as much of the path's head as fits before
// "...\" + the file name in 42 bytes. The head is cut on a character boundary.
Bytes ShortenPathForLabel(const Bytes& entryText);
inline constexpr std::size_t kLabelBytes = 42;

// The close-mode rule: 0 always closes the editor's window, 1 only for files
// the tool opened itself (mark ' '), 2 and others never.
bool ShouldCloseEditor(int closeMode, const Bytes& entryText);

// The extension a new file without one gets from the selected filter
// (`filterIndex` counts from 1); "" when the filter's pattern gives none that
// is valid (such as "*").
Bytes ExtensionFromFilter(const Bytes& filter, int filterIndex);

class LinkedSession {
 public:
  explicit LinkedSession(WindowSystem& windows) : windows_(windows) {}

  const std::vector<OpenFileEntry>& Entries() const { return entries_; }
  std::optional<std::size_t> Selected() const { return selected_; }
  const Bytes& CurrentFile() const { return currentFile_; }
  WindowId LinkedEditWindow() const { return linkedEditWindow_; }
  WindowId LinkedTargetWindow() const { return linkedTargetWindow_; }
  bool HasCurrent() const { return selected_.has_value(); }

  // A file is now current in `editWindow` (found by a launch, or named by
  // another program): the current file and both linked windows are set.
  void SetCurrent(const Bytes& path, WindowId editWindow);
  // The current file as a new entry at the top, selected.
  void AddOpenFile(char mark);
  // Only the selection moves; the current file and windows stay.
  void SelectOpenFile(std::size_t index);
  void RemoveOpenFile(std::size_t index);
  // The entry itself, wherever it is now; nothing when it is gone.
  void RemoveOpenFile(const OpenFileEntry& entry);
  std::optional<std::size_t> IndexOf(const OpenFileEntry& entry) const;
  bool IsSelected(const OpenFileEntry& entry) const { return selected_ && selected_ == IndexOf(entry); }
  // The current file goes away with its windows (close commands); entries stay.
  void ClearCurrentFile();
  // The user picked entry `index` in ComboBoxFile: it becomes current.
  bool ChooseEntry(std::size_t index);

  // Another program named an editor window and a file: the window becomes
  // the linked edit window with the file current, listed once (a window
  // already listed is selected instead of being added again).
  // True when a new entry was listed (it then goes into the file history).
  bool LinkFromOutside(WindowId editWindow, const Bytes& file);

  // True while the entry's top window exists and still belongs to the
  // editor that was linked.
  bool EntryAlive(const OpenFileEntry& entry);
  WindowId EntryTopWindow(const OpenFileEntry& entry) const { return entry.topWindow; }
  // Removes the entries whose editor windows are gone, silently; the current
  // file is not touched. True when something was removed.
  bool PruneOpenFiles();
  // True while the linked target window still exists (and is the editor's).
  // When it is gone: both windows are dropped and the selected entry removed;
  // the current file's path stays (it still names the last file).
  bool CheckLinkedTarget();
  // Whether a write may go to the linked edit window now: it exists and is
  // still the editor's. The caller prunes and writes nothing otherwise.
  bool TargetUsable();

  // What the watch timer does on each tick: PruneOpenFiles, then
  // CheckLinkedTarget when there is a target, at a cost that hardly grows
  // with the number of entries: every question about another program's
  // window is a round trip to the window system, ten times a second. One
  // listing of the top-level windows of each editor thread stands for the
  // existence of all its entries' windows (a handle still listed under the
  // thread that made it is the window that was linked, as handles are given
  // out again only with a new use count). The owner check in full (process
  // and class) goes round one entry, or the target, per tick; every write
  // checks its target in full anyway.
  struct WatchOutcome {
    bool pruned = false;      // an entry went
    bool targetGone = false;  // the target went (as CheckLinkedTarget)
  };
  WatchOutcome Watch();
  // The entry whose top window is `foreground`, made current (automatic
  // switching). nullopt when no entry shows that window.
  std::optional<std::size_t> FollowForeground(WindowId foreground);

  // The label texts of the selected entry ("" without a selection).
  Bytes LabelText() const;

 private:
  OpenFileEntry MakeEntry(char mark, const Bytes& path, WindowId editWindow);
  void LinkWindows(WindowId editWindow);
  void DropTarget();
  // `window` exists and still belongs to `process` (0: not recorded) with
  // class `className` (empty: not recorded).
  bool StillOwned(WindowId window, std::uint32_t process, const std::string& className);

  WindowSystem& windows_;
  std::vector<OpenFileEntry> entries_;
  std::optional<std::size_t> selected_;
  Bytes currentFile_;
  WindowId linkedEditWindow_ = kNoWindow;
  WindowId linkedTargetWindow_ = kNoWindow;
  // Who owned the linked windows when they were linked.
  std::uint32_t linkedProcess_ = 0;
  std::uint32_t linkedThread_ = 0;
  std::string linkedEditClass_;
  std::string linkedTopClass_;
  // Whose turn it is for the full owner check on the next watch tick.
  std::size_t fullCheckTurn_ = 0;
  std::uint64_t nextSerial_ = 1;
};

}  // namespace quiltor
