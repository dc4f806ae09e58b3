#include "window/linked_commands.h"

#include <memory>

#include "delivery/escapes.h"
#include "text/cp932.h"

namespace quiltor {
namespace {

// How long an editor may take to answer before it counts as hung, and the
// longest the tool waits for it to close (its question to the user included).
constexpr std::uint32_t kAnswerLimitMs = 2000;
constexpr std::uint32_t kCloseLimitMs = 10 * 60 * 1000;

}  // namespace

LinkedCommands::LinkedCommands(const MainServices& services, AppSettings& settings, const Bytes& exeFolder,
                               LinkedHost& host, StatusLine& status)
    : files_(services.files),
      windows_(services.windows),
      processes_(services.processes),
      exchange_(services.exchange),
      settings_(settings),
      exeFolder_(exeFolder),
      host_(host),
      status_(status),
      launcher_(services.processes, services.windows, services.files),
      session_(services.windows) {}

void LinkedCommands::Bind(CommandDispatcher& dispatcher) {
  auto bind = [this, &dispatcher](CommandId id, void (LinkedCommands::*handler)()) {
    dispatcher.Bind(id, [this, handler](std::size_t) { (this->*handler)(); });
  };
  auto bindIndexed = [this, &dispatcher](CommandId id, void (LinkedCommands::*handler)(std::size_t)) {
    dispatcher.Bind(id, [this, handler](std::size_t index) { (this->*handler)(index); });
  };
  bind(CommandId::kNew, &LinkedCommands::Popup_NewClick);
  bind(CommandId::kOpen, &LinkedCommands::Popup_OpenClick);
  bindIndexed(CommandId::kOpenHistory, &LinkedCommands::OpenFromHistory);
  bind(CommandId::kClose, &LinkedCommands::Popup_CloseClick);
  bindIndexed(CommandId::kCloseFile, &LinkedCommands::CloseSelectedFile);
  bind(CommandId::kCloseAll, &LinkedCommands::Popup_CloseAllClick);
  bind(CommandId::kExec, &LinkedCommands::ToolButton_ExecClick);
  bind(CommandId::kExecAssociated, &LinkedCommands::Popup_KanrenClick);
  bind(CommandId::kKanren, &LinkedCommands::Popup_KanrenClick);
  bindIndexed(CommandId::kExecProgram, &LinkedCommands::RunWithProgram);
  bindIndexed(CommandId::kFileChosen, &LinkedCommands::ComboBoxFileChange);
}

Answer LinkedCommands::Message(MessageId id, const Bytes& subject, MessageKind kind, MessageButtons buttons) {
  return host_.Ask(id, subject, kind, buttons);
}

void LinkedCommands::CheckEditor() { editorExists_ = files_.Exists(settings_.Common().editerPath); }

void LinkedCommands::SelectKind() { execDefault_ = SelectFileKind(settings_, session_.CurrentFile()); }

void LinkedCommands::MakeCurrent() {
  SelectKind();
  exchange_.StoreCurrentFile(session_.CurrentFile());
}

// ---- Links from outside -----------------------------------------------------

bool LinkedCommands::LinkOwnArguments(const OwnArguments& own) {
  if (own.currentFile) {
    session_.SetCurrent(*own.currentFile, kNoWindow);
    SelectKind();
    exchange_.StoreCurrentFile(*own.currentFile);
  }
  if (!own.linkedEditWindow) return false;
  const WindowId window = static_cast<WindowId>(*own.linkedEditWindow);
  if (!windows_.IsWindow(window)) return false;
  // Without "/f" there is no file to remember: the window is linked only.
  if (session_.LinkFromOutside(window, session_.CurrentFile()) && !session_.CurrentFile().empty()) {
    history_.Add(session_.CurrentFile(), settings_.openFiles);
  }
  return true;
}

void LinkedCommands::LinkFromOutside(WindowId window, const Bytes& file) {
  if (session_.LinkFromOutside(window, file)) history_.Add(file, settings_.openFiles);
  MakeCurrent();
}

WindowId LinkedCommands::UsableEditWindow(bool linkedMode) {
  // Nothing is written into a window that no longer is the editor's.
  if (linkedMode && session_.LinkedEditWindow() != kNoWindow && !session_.TargetUsable()) {
    session_.PruneOpenFiles();
    session_.CheckLinkedTarget();
    AfterCurrentGone();
    return kNoWindow;
  }
  return session_.LinkedEditWindow();
}

// ---- The watch ticks --------------------------------------------------------

bool LinkedCommands::ShowTargetTitle() {
  const WindowId target = session_.LinkedTargetWindow();
  if (target == kNoWindow) return false;
  const Bytes title = windows_.Text(target);
  if (title.empty() || (title == status_.text && title == status_.hint)) return false;
  status_.text = title;
  status_.hint = title;
  return true;
}

void LinkedCommands::AfterCurrentGone() {
  // The file's path and kind stay (the exchange field still names it); only
  // what shows and acts on a current file goes away.
  status_.Clear();
  host_.Refresh(ViewPart::kAll);
}

void LinkedCommands::TimerTimer2() {
  const LinkedSession::WatchOutcome watch = session_.Watch();
  if (watch.targetGone) {
    AfterCurrentGone();
    return;
  }
  const bool titled = ShowTargetTitle();
  if (watch.pruned) {
    host_.Refresh(ViewPart::kAll);
  } else if (titled) {
    host_.Refresh(ViewPart::kStatus);
  }
}

void LinkedCommands::TimerTimer3() {
  const LinkedSession::WatchOutcome watch = session_.Watch();
  bool changed = watch.pruned;
  if (watch.targetGone) {
    status_.Clear();
    changed = true;
  }
  if (session_.FollowForeground(windows_.Foreground())) {
    MakeCurrent();
    changed = true;
  }
  const bool titled = ShowTargetTitle();
  if (changed) {
    host_.Refresh(ViewPart::kAll);
  } else if (titled) {
    host_.Refresh(ViewPart::kStatus);
  }
}

void LinkedCommands::ComboBoxFileChange(std::size_t index) {
  if (index >= session_.Entries().size()) return;
  host_.StopWatchTimer();
  session_.ChooseEntry(index);
  MakeCurrent();
  // The editor comes to the front once; the tool keeps the focus.
  windows_.SetForeground(session_.LinkedTargetWindow());
  processes_.Sleep(10);
  windows_.SetForeground(host_.MainWindow());
  host_.Refresh(ViewPart::kAll);
  host_.StartWatchTimer();
}

// ---- Opening files ----------------------------------------------------------

Bytes LinkedCommands::DialogFolder() const {
  const Bytes& current = session_.CurrentFile();
  return FolderWithoutTrailingSeparator(current.empty() ? JoinPath(exeFolder_, "x") : current);
}

bool LinkedCommands::CreateEmptyFile(const Bytes& path) {
  if (files_.ReplaceAll(path, Bytes())) return true;
  Message(MessageId::kCannotCreateFile, path, MessageKind::kError);
  return false;
}

std::optional<FileDialogResult> LinkedCommands::ChooseFile(bool forNew) {
  std::optional<FileDialogResult> chosen =
      host_.ChooseFile(FileDialogRequest{forNew, DialogFolder(), settings_.openFilter, fileFilterIndex_});
  if (chosen) fileFilterIndex_ = chosen->filterIndex;
  return chosen;
}

void LinkedCommands::Popup_NewClick() {
  host_.StopWatchTimer();
  for (;;) {
    const std::optional<FileDialogResult> chosen = ChooseFile(true);
    if (!chosen) break;
    Bytes path = chosen->path;
    if (FileExtension(path).empty()) {
      const Bytes extension = ExtensionFromFilter(settings_.openFilter, chosen->filterIndex);
      if (!extension.empty()) path += "." + extension;
    }
    if (!files_.Exists(path)) {
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
  host_.StartWatchTimer();
}

void LinkedCommands::Popup_OpenClick() {
  host_.StopWatchTimer();
  const std::optional<FileDialogResult> chosen = ChooseFile(false);
  if (!chosen || (!files_.Exists(chosen->path) && settings_.makeNew && !CreateEmptyFile(chosen->path))) {
    host_.StartWatchTimer();
    return;
  }
  OpenTail(chosen->path);
}

void LinkedCommands::OpenFromHistory(std::size_t index) {
  if (index >= history_.Paths().size()) return;
  host_.StopWatchTimer();
  const Bytes path = history_.Paths()[index];
  if (!files_.Exists(path)) {
    const Answer answer =
        Message(MessageId::kFileMissingCreate, FileNamePart(path), MessageKind::kQuestion, MessageButtons::kYesNo);
    if (answer != Answer::kYes || !CreateEmptyFile(path)) {
      host_.StartWatchTimer();
      return;
    }
  }
  OpenTail(path);
}

void LinkedCommands::OpenTail(const Bytes& path) {
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
  host_.Refresh(ViewPart::kAll);
  host_.ApplicationEventsActivate();
  host_.StartWatchTimer();
}

// ---- Closing files ----------------------------------------------------------

void LinkedCommands::CloseEditorWindow(const OpenFileEntry& entry) {
  const WindowId top = session_.EntryTopWindow(entry);
  if (!ShouldCloseEditor(settings_.closeMode, entry.Text())) return;
  // A handle that now belongs to another program is not closed.
  if (top == kNoWindow || !session_.EntryAlive(entry)) return;
  auto goneOr = [&](const std::unique_ptr<PendingAnswer>& pending) {
    return [&] { return pending->Answered() || !windows_.IsWindow(top); };
  };
  // An editor that has stopped answering would hold the tool for ever; one
  // that answers may ask its own "save?" question for as long as the user
  // takes. Either way the tool goes on reading its own messages meanwhile.
  const std::unique_ptr<PendingAnswer> probe = windows_.SendAndGoOn(top, kWmNull);
  if (!probe) return;
  if (!host_.WaitReadingMessages(goneOr(probe), kAnswerLimitMs)) {
    Message(MessageId::kEditorNotAnswering, entry.path, MessageKind::kWarning);
    return;
  }
  windows_.SetForeground(top);
  const std::unique_ptr<PendingAnswer> close = windows_.SendAndGoOn(top, kWmClose);
  if (close) host_.WaitReadingMessages(goneOr(close), kCloseLimitMs);
}

// The editor's own question ("save?") is waited for while messages are
// handled, so a link forwarded meanwhile may have added an entry and made it
// current: the closed entries are removed as themselves, not by the
// positions they had, and a file made current meanwhile stays current.

void LinkedCommands::ClearClosedCurrent() {
  session_.ClearCurrentFile();
  MakeCurrent();
  status_.Clear();
}

void LinkedCommands::Popup_CloseClick() {
  if (session_.LinkedTargetWindow() == kNoWindow) return;
  host_.StopWatchTimer();
  bool stillCurrent = true;
  if (const std::optional<std::size_t> selected = session_.Selected()) {
    const OpenFileEntry entry = session_.Entries()[*selected];
    CloseEditorWindow(entry);
    stillCurrent = session_.IsSelected(entry);
    session_.RemoveOpenFile(entry);
  }
  if (stillCurrent) ClearClosedCurrent();
  host_.Refresh(ViewPart::kAll);
  host_.StartWatchTimer();
}

void LinkedCommands::CloseSelectedFile(std::size_t index) {
  if (index >= session_.Entries().size()) return;
  const OpenFileEntry entry = session_.Entries()[index];
  if (session_.EntryTopWindow(entry) == kNoWindow) return;
  host_.StopWatchTimer();
  CloseEditorWindow(entry);
  const bool wasCurrent = session_.IsSelected(entry);
  session_.RemoveOpenFile(entry);
  if (wasCurrent) ClearClosedCurrent();
  host_.Refresh(ViewPart::kAll);
  host_.StartWatchTimer();
}

void LinkedCommands::Popup_CloseAllClick() {
  host_.StopWatchTimer();
  // Newest first, each judged by its own mark.
  const std::vector<OpenFileEntry> entries = session_.Entries();
  for (const OpenFileEntry& entry : entries) CloseEditorWindow(entry);
  for (const OpenFileEntry& entry : entries) session_.RemoveOpenFile(entry);
  if (!session_.Selected()) ClearClosedCurrent();
  host_.Refresh(ViewPart::kAll);
  host_.StartWatchTimer();
}

// ---- Running the current file -----------------------------------------------

void LinkedCommands::ToolButton_ExecClick() {
  if (execDefault_.kind == DefaultProgram::Kind::kListed) {
    RunWithProgram(execDefault_.listed);
  } else {
    Popup_KanrenClick();
  }
}

void LinkedCommands::Popup_KanrenClick() {
  host_.StopWatchTimer();
  const Bytes& file = session_.CurrentFile();
  if (!files_.Exists(file) || !processes_.ShellOpen(file, Bytes(), ShellStart::kStays).started) {
    Message(MessageId::kRunFailed, file, MessageKind::kWarning);
  }
  host_.StartWatchTimer();
}

void LinkedCommands::RunWithProgram(std::size_t program) {
  if (program >= settings_.programs.size()) return;
  host_.StopWatchTimer();
  const ProgramEntry& entry = settings_.programs[program];
  const Bytes quoted = "\"" + session_.CurrentFile() + "\"";
  const Bytes commandLine = QuotedProgram(entry.program) + " " + ExpandPlaceholder(entry.param, "%f", quoted);
  if (!processes_.Start(commandLine)) Message(MessageId::kRunFailed, entry.program, MessageKind::kWarning);
  host_.StartWatchTimer();
}

}  // namespace quiltor
