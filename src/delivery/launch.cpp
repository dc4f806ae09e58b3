#include "delivery/launch.h"

#include <algorithm>
#include <vector>

namespace quiltor {
namespace {

Bytes Quoted(const Bytes& text) { return "\"" + text + "\""; }

}  // namespace

const wchar_t* WindowClassNotFoundQuestion() {
  return L"ウィンドウクラスを検出できません\n続行しますか？";
}

Bytes QuotedProgram(const Bytes& path) {
  if (path.empty() || path.front() == '"') return path;
  return Quoted(path);
}

Bytes EditorCommandLine(const Bytes& editorPath, const Bytes& editorParam, const Bytes& file) {
  const Bytes program = QuotedProgram(editorPath);
  if (editorParam.empty()) return program + " " + Quoted(file);
  const std::size_t placeholder = editorParam.find("%f");
  if (placeholder != Bytes::npos) {
    return program + " " + editorParam.substr(0, placeholder) + Quoted(file) +
           editorParam.substr(placeholder + 2);
  }
  return program + " " + editorParam + " " + Quoted(file);
}

namespace {

constexpr std::uint32_t kEditPollMs = 250;

// New top-level windows whose title names the file; of one process, or of
// any when `process` is 0.
std::vector<WindowId> WindowsNaming(WindowSystem& windows, const std::set<WindowId>& before, const Bytes& fileName,
                                    std::uint32_t process) {
  std::vector<WindowId> found;
  windows.EnumTop([&](WindowId window) {
    if (before.count(window) || (process != 0 && windows.ProcessOf(window) != process)) return true;
    if (windows.Text(window).find(fileName) != Bytes::npos) found.push_back(window);
    return true;
  });
  return found;
}

}  // namespace

std::set<WindowId> TopWindowsNow(WindowSystem& windows) {
  std::set<WindowId> tops;
  windows.EnumTop([&](WindowId window) {
    tops.insert(window);
    return true;
  });
  return tops;
}

void WaitUntilEdited(Processes& processes, WindowSystem& windows, Process& started,
                     const std::set<WindowId>& before, const Bytes& fileName) {
  bool ownWindow = false;
  while (!started.Wait(kEditPollMs)) {
    if (!ownWindow) ownWindow = !WindowsNaming(windows, before, fileName, started.Id()).empty();
  }
  if (ownWindow || fileName.empty()) return;
  const std::uint64_t ended = processes.NowMilliseconds();
  std::vector<WindowId> editors = WindowsNaming(windows, before, fileName, 0);
  while (editors.empty() && processes.NowMilliseconds() - ended < kHandOverLimitMs) {
    processes.Sleep(kEditPollMs);
    editors = WindowsNaming(windows, before, fileName, 0);
  }
  auto open = [&] {
    return std::any_of(editors.begin(), editors.end(), [&](WindowId window) { return windows.IsWindow(window); });
  };
  while (open()) processes.Sleep(kEditPollMs);
}

Launcher::Launcher(Processes& processes, WindowSystem& windows, FileSystem& files)
    : processes_(processes), windows_(windows), files_(files) {}

bool Launcher::Poll(const std::set<WindowId>& before) {
  windows_.EnumTop([&](WindowId window) {
    if (before.count(window)) return true;
    if (windows_.ClassName(window) != search_.topClass) return true;
    search_.top = window;
    if (search_.editClass.empty()) {
      search_.edit = window;
    } else {
      windows_.EnumChildren(window, [&](WindowId child) {
        if (windows_.ClassName(child) != search_.editClass) return true;
        search_.edit = child;
        return false;
      });
    }
    return false;
  });
  return search_.edit != kNoWindow;
}

WindowId Launcher::StartProcessAndFindWindow(const Bytes& commandLine, bool wait,
                                             const std::string& topClass,
                                             const std::string& editClass,
                                             const AskToContinue& ask) {
  search_ = WindowSearch{topClass, editClass, kNoWindow, kNoWindow, false};
  // Many editors start through a launcher that hands the file to another
  // process and ends at once: the editor's window is any top-level window
  // that was not there before the start, whichever process shows it.
  std::set<WindowId> before;
  if (wait) {
    windows_.EnumTop([&](WindowId window) {
      before.insert(window);
      return true;
    });
  }
  std::unique_ptr<Process> process = processes_.Start(commandLine);
  search_.started = process != nullptr;
  if (!process || !wait) return kNoWindow;
  while (true) {
    for (int poll = 0; poll < kPollsPerRound; ++poll) {
      processes_.Sleep(kPollIntervalMs);
      if (Poll(before)) return search_.edit;
    }
    if (!ask || !ask(WindowClassNotFoundQuestion())) return kNoWindow;
  }
}

EditorWindows Launcher::StartEditorWithFile(const Bytes& editorPath, const Bytes& editorParam,
                                            const Bytes& file, const std::string& topClass,
                                            const std::string& editClass, const AskToContinue& ask) {
  StartProcessAndFindWindow(EditorCommandLine(editorPath, editorParam, file), true, topClass,
                            editClass, ask);
  return EditorWindows{search_.top, search_.edit, search_.started};
}

bool Launcher::OpenWithAssociation(const Bytes& path, bool returnsAtOnce) {
  if (!files_.Exists(path)) return false;
  return processes_.ShellOpen(path, Bytes(), returnsAtOnce ? ShellStart::kReturnsAtOnce : ShellStart::kStays).started;
}

}  // namespace quiltor
