// Linked mode: switching modes, the watch ticks that follow the editor's
// windows, the file commands and running the current file with a program.
#include "delivery/escapes.h"
#include "text/cp932.h"
#include "window/main_controller.h"

namespace quiltor {
namespace {

// How long an editor may take to answer before it counts as hung, and the
// longest the tool waits for it to close (its question to the user included).
constexpr std::uint32_t kAnswerLimitMs = 2000;
constexpr std::uint32_t kCloseLimitMs = 10 * 60 * 1000;

}  // namespace

// ---- Modes ------------------------------------------------------------------

void MainController::Popup_ModeClick() {
  StopWatchTimer();
  linked_ = !linked_;
  ApplyMode();
  IniFile ini = SettingsFile();
  if (!WriteMode(ini, linked_)) ReportCannotWrite();
  StartWatchTimer();
}

void MainController::ApplyMode() {
  if (linked_) {
    editorExists_ = services_.files.Exists(settings_.Common().editerPath);
    watchKind_ = settings_.changeMode != 0 ? WatchKind::kLinkedAutomatic : WatchKind::kLinkedManual;
  } else {
    statusText_.clear();
    statusHint_.clear();
    watchKind_ = WatchKind::kSimple;
  }
  // The new interval and handler take effect at once.
  if (watchRunning_) StartWatchTimer();
  Refresh(ViewPart::kAll);
}

void MainController::EnterLinkedMode() {
  linked_ = true;
  Refresh(ViewPart::kAll);
}

void MainController::SelectKind() { execDefault_ = SelectFileKind(settings_, session_.CurrentFile()); }

void MainController::MakeCurrent() {
  SelectKind();
  services_.exchange.StoreCurrentFile(session_.CurrentFile());
}

// ---- The watch ticks --------------------------------------------------------

void MainController::TimerTimer1() { executor_->TimerTimer1(); }

bool MainController::ShowTargetTitle() {
  const WindowId target = session_.LinkedTargetWindow();
  if (target == kNoWindow) return false;
  const Bytes title = services_.windows.Text(target);
  if (title.empty() || (title == statusText_ && title == statusHint_)) return false;
  statusText_ = title;
  statusHint_ = title;
  return true;
}

void MainController::AfterCurrentGone() {
  // The file's path and kind stay (the exchange field still names it); only
  // what shows and acts on a current file goes away.
  statusText_.clear();
  statusHint_.clear();
  Refresh(ViewPart::kAll);
}

void MainController::TimerTimer2() {
  const LinkedSession::WatchOutcome watch = session_.Watch();
  if (watch.targetGone) {
    AfterCurrentGone();
    return;
  }
  const bool titled = ShowTargetTitle();
  if (watch.pruned) {
    Refresh(ViewPart::kAll);
  } else if (titled) {
    Refresh(ViewPart::kStatus);
  }
}

void MainController::TimerTimer3() {
  const LinkedSession::WatchOutcome watch = session_.Watch();
  bool changed = watch.pruned;
  if (watch.targetGone) {
    statusText_.clear();
    statusHint_.clear();
    changed = true;
  }
  if (session_.FollowForeground(services_.windows.Foreground())) {
    MakeCurrent();
    changed = true;
  }
  const bool titled = ShowTargetTitle();
  if (changed) {
    Refresh(ViewPart::kAll);
  } else if (titled) {
    Refresh(ViewPart::kStatus);
  }
}

void MainController::ComboBoxFileChange(std::size_t index) {
  if (index >= session_.Entries().size()) return;
  StopWatchTimer();
  session_.ChooseEntry(index);
  MakeCurrent();
  // The editor comes to the front once; the tool keeps the focus.
  services_.windows.SetForeground(session_.LinkedTargetWindow());
  services_.processes.Sleep(10);
  services_.windows.SetForeground(view_->Window());
  Refresh(ViewPart::kAll);
  StartWatchTimer();
}

// ---- Opening files ----------------------------------------------------------

Bytes MainController::DialogFolder() const {
  const Bytes& current = session_.CurrentFile();
  return FolderWithoutTrailingSeparator(current.empty() ? JoinPath(exeFolder_, "x") : current);
}

bool MainController::CreateEmptyFile(const Bytes& path) {
  if (services_.files.ReplaceAll(path, Bytes())) return true;
  Message(MessageId::kCannotCreateFile, path, MessageKind::kError);
  return false;
}

std::optional<FileDialogResult> MainController::ChooseFile(bool forNew) {
  std::optional<FileDialogResult> chosen =
      view_->ChooseFile(FileDialogRequest{forNew, DialogFolder(), settings_.openFilter, fileFilterIndex_});
  if (chosen) fileFilterIndex_ = chosen->filterIndex;
  return chosen;
}

void MainController::Popup_NewClick() {
  StopWatchTimer();
  for (;;) {
    const std::optional<FileDialogResult> chosen = ChooseFile(true);
    if (!chosen) break;
    Bytes path = chosen->path;
    if (FileExtension(path).empty()) {
      const Bytes extension = ExtensionFromFilter(settings_.openFilter, chosen->filterIndex);
      if (!extension.empty()) path += "." + extension;
    }
    if (!services_.files.Exists(path)) {
      if (settings_.makeNew && !CreateEmptyFile(path)) break;
      OpenTail(path);
      return;
    }
    if (Message(MessageId::kFileExists, FileNamePart(path), MessageKind::kQuestion, MessageButtons::kYesNo) ==
        Answer::kYes) {
      OpenTail(path);
      return;
    }
  }
  StartWatchTimer();
}

void MainController::Popup_OpenClick() {
  StopWatchTimer();
  const std::optional<FileDialogResult> chosen = ChooseFile(false);
  if (!chosen || (!services_.files.Exists(chosen->path) && settings_.makeNew && !CreateEmptyFile(chosen->path))) {
    StartWatchTimer();
    return;
  }
  OpenTail(chosen->path);
}

void MainController::OpenFromHistory(std::size_t index) {
  if (index >= history_.Paths().size()) return;
  StopWatchTimer();
  const Bytes path = history_.Paths()[index];
  if (!services_.files.Exists(path)) {
    const Answer answer =
        Message(MessageId::kFileMissingCreate, FileNamePart(path), MessageKind::kQuestion, MessageButtons::kYesNo);
    if (answer != Answer::kYes || !CreateEmptyFile(path)) {
      StartWatchTimer();
      return;
    }
  }
  OpenTail(path);
}

void MainController::OpenTail(const Bytes& path) {
  session_.SetCurrent(path, kNoWindow);
  MakeCurrent();
  const FileKind& kind = settings_.CurrentKind();
  const EditorWindows found = launcher_.StartEditorWithFile(
      kind.editerPath, kind.editerParam, path, kind.className1, kind.className2, [this](std::wstring_view) {
        return Message(MessageId::kWindowClassNotFound, {}, MessageKind::kQuestion, MessageButtons::kOkCancel) ==
               Answer::kOk;
      });
  if (!found.started) Message(MessageId::kEditorNotStarted, kind.editerPath, MessageKind::kError);
  session_.SetCurrent(path, found.edit);
  session_.AddOpenFile(kOpenedByTool);
  history_.Add(path, settings_.openFiles);
  Refresh(ViewPart::kAll);
  ApplicationEventsActivate();
  StartWatchTimer();
}

// ---- Closing files ----------------------------------------------------------

void MainController::CloseEditorWindow(const OpenFileEntry& entry) {
  const WindowId top = session_.EntryTopWindow(entry);
  if (!ShouldCloseEditor(settings_.closeMode, entry.Text())) return;
  // A handle that now belongs to another program is not closed.
  if (top == kNoWindow || !session_.EntryAlive(entry)) return;
  WindowSystem& windows = services_.windows;
  // An editor that has stopped answering would hold the tool for ever; one
  // that answers may ask its own "save?" question for as long as the user takes.
  if (windows.SendWithin(top, kWmNull, kAnswerLimitMs).status == SendStatus::kNoAnswer) {
    Message(MessageId::kEditorNotAnswering, entry.path, MessageKind::kWarning);
    return;
  }
  windows.SetForeground(top);
  windows.SendWithin(top, kWmClose, kCloseLimitMs);
}

// The editor's own question ("save?") is waited for while messages are
// handled, so a link forwarded meanwhile may have added an entry and made it
// current: the closed entries are removed as themselves, not by the
// positions they had, and a file made current meanwhile stays current.

void MainController::ClearClosedCurrent() {
  session_.ClearCurrentFile();
  MakeCurrent();
  statusText_.clear();
  statusHint_.clear();
}

void MainController::Popup_CloseClick() {
  if (session_.LinkedTargetWindow() == kNoWindow) return;
  StopWatchTimer();
  bool stillCurrent = true;
  if (const std::optional<std::size_t> selected = session_.Selected()) {
    const OpenFileEntry entry = session_.Entries()[*selected];
    CloseEditorWindow(entry);
    stillCurrent = session_.IsSelected(entry);
    session_.RemoveOpenFile(entry);
  }
  if (stillCurrent) ClearClosedCurrent();
  Refresh(ViewPart::kAll);
  StartWatchTimer();
}

void MainController::CloseSelectedFile(std::size_t index) {
  if (index >= session_.Entries().size()) return;
  const OpenFileEntry entry = session_.Entries()[index];
  if (session_.EntryTopWindow(entry) == kNoWindow) return;
  StopWatchTimer();
  CloseEditorWindow(entry);
  const bool wasCurrent = session_.IsSelected(entry);
  session_.RemoveOpenFile(entry);
  if (wasCurrent) ClearClosedCurrent();
  Refresh(ViewPart::kAll);
  StartWatchTimer();
}

void MainController::Popup_CloseAllClick() {
  StopWatchTimer();
  // Newest first, each judged by its own mark.
  const std::vector<OpenFileEntry> entries = session_.Entries();
  for (const OpenFileEntry& entry : entries) CloseEditorWindow(entry);
  for (const OpenFileEntry& entry : entries) session_.RemoveOpenFile(entry);
  if (!session_.Selected()) ClearClosedCurrent();
  Refresh(ViewPart::kAll);
  StartWatchTimer();
}

// ---- Running the current file -----------------------------------------------

void MainController::ToolButton_ExecClick() {
  if (execDefault_.kind == DefaultProgram::Kind::kListed) {
    RunWithProgram(execDefault_.listed);
  } else {
    Popup_KanrenClick();
  }
}

void MainController::Popup_KanrenClick() {
  StopWatchTimer();
  const Bytes& file = session_.CurrentFile();
  if (!services_.files.Exists(file) || !services_.processes.ShellOpen(file, Bytes()).started) {
    Message(MessageId::kRunFailed, file, MessageKind::kWarning);
  }
  StartWatchTimer();
}

void MainController::RunWithProgram(std::size_t program) {
  if (program >= settings_.programs.size()) return;
  StopWatchTimer();
  const ProgramEntry& entry = settings_.programs[program];
  const Bytes quoted = "\"" + session_.CurrentFile() + "\"";
  const Bytes commandLine = entry.program + " " + ExpandPlaceholder(entry.param, "%f", quoted);
  if (!services_.processes.Start(commandLine)) Message(MessageId::kRunFailed, entry.program, MessageKind::kWarning);
  StartWatchTimer();
}

}  // namespace quiltor
