#pragma once
// Starting a program and finding its windows by class name; opening a file
// with its associated program.
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/processes.h"
#include "platform/types.h"
#include "platform/window_system.h"

namespace quiltor {

// Asked when the windows did not appear within one round of polls. Shows the
// question with OK and Cancel; returns true for OK (poll another round).
using AskToContinue = std::function<bool(std::wstring_view question)>;

// The question shown through AskToContinue.
const wchar_t* WindowClassNotFoundQuestion();

// The search state: what was looked for and what was found by the last call.
struct WindowSearch {
  std::string topClass;
  std::string editClass;
  WindowId top = kNoWindow;
  WindowId edit = kNoWindow;
  bool started = false;  // the process could be started at all
};

struct EditorWindows {
  WindowId top = kNoWindow;
  WindowId edit = kNoWindow;
  bool started = false;
};

// A program's path as the first word of a command line: in double quotes,
// so that a path with spaces is never taken as a shorter program
// ("C:\\Program Files\\x.exe" as "C:\\Program.exe"). A path the user
// already quoted, or an empty one, stays as it is.
Bytes QuotedProgram(const Bytes& path);

// The editor's command line for a file: the quoted path + " \"file\"", or with a
// parameter template its first "%f" replaced by the quoted file, or the
// template followed by the quoted file.
Bytes EditorCommandLine(const Bytes& editorPath, const Bytes& editorParam, const Bytes& file);

// The top-level windows there are now: what an editor's window is told
// apart from after its start.
std::set<WindowId> TopWindowsNow(WindowSystem& windows);

// Waits until the user is done with the file an editor was started on. The
// started process ending is enough when it showed a window naming the file
// itself; one that ended without (a launcher that handed the file to another
// process) is followed by the new top-level windows naming the file, waited
// for up to kHandOverLimitMs and then until they are gone. `before` holds the
// top-level windows from before the start, `fileName` the file's name part.
inline constexpr std::uint64_t kHandOverLimitMs = 10000;
void WaitUntilEdited(Processes& processes, WindowSystem& windows, Process& started,
                     const std::set<WindowId>& before, const Bytes& fileName);

class Launcher {
 public:
  static constexpr int kPollsPerRound = 10;
  static constexpr std::uint32_t kPollIntervalMs = 300;

  Launcher(Processes& processes, WindowSystem& windows, FileSystem& files);

  // Starts `commandLine`; with `wait`, polls for a top window of class
  // `topClass` that was not there before the start (shown by the started
  // process or by one it handed over to) and inside it the first
  // descendant of class `editClass` (the top window itself when `editClass` is
  // empty). Returns the edit window or kNoWindow; Search() keeps the top window.
  WindowId StartProcessAndFindWindow(const Bytes& commandLine, bool wait,
                                     const std::string& topClass, const std::string& editClass,
                                     const AskToContinue& ask);
  const WindowSearch& Search() const { return search_; }

  EditorWindows StartEditorWithFile(const Bytes& editorPath, const Bytes& editorParam,
                                    const Bytes& file, const std::string& topClass,
                                    const std::string& editClass, const AskToContinue& ask);

  // Opens an existing file with its default verb; false without any call
  // when it is missing. `returnsAtOnce` for a process that ends right after.
  bool OpenWithAssociation(const Bytes& path, bool returnsAtOnce = false);

 private:
  // One pass over the top-level windows not in `before`; true when the edit
  // window was found.
  bool Poll(const std::set<WindowId>& before);

  Processes& processes_;
  WindowSystem& windows_;
  FileSystem& files_;
  WindowSearch search_;
};

}  // namespace quiltor
