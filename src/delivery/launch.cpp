#include "delivery/launch.h"

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

Launcher::Launcher(Processes& processes, WindowSystem& windows, FileSystem& files)
    : processes_(processes), windows_(windows), files_(files) {}

bool Launcher::Poll(std::uint32_t processId) {
  windows_.EnumTop([&](WindowId window) {
    if (windows_.ProcessOf(window) != processId) return true;
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
  std::unique_ptr<Process> process = processes_.Start(commandLine);
  search_.started = process != nullptr;
  if (!process || !wait) return kNoWindow;
  const std::uint32_t processId = process->Id();
  while (true) {
    for (int poll = 0; poll < kPollsPerRound; ++poll) {
      processes_.Sleep(kPollIntervalMs);
      if (Poll(processId)) return search_.edit;
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
