#pragma once
// Linked mode's commands: opening, closing and running the files of the
// target editor, the watch ticks that follow its windows, and links that
// arrive from outside. The main controller owns one, forwards the commands
// to it and asks it about the session; the mode switch stays with the
// controller.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "delivery/launch.h"
#include "exchange/command_line.h"
#include "linked/file_history.h"
#include "linked/linked_session.h"
#include "settings/settings.h"
#include "window/commands.h"
#include "window/main_services.h"
#include "window/main_view.h"

namespace quiltor {

// What the linked commands need of the window around them.
class LinkedHost {
 public:
  virtual WindowId MainWindow() = 0;
  virtual void StopWatchTimer() = 0;
  virtual void StartWatchTimer() = 0;
  virtual void Refresh(ViewPart parts) = 0;
  // The window's activation step (it may stretch a shrunk window).
  virtual void ApplicationEventsActivate() = 0;
  // A message near the main window.
  virtual Answer Ask(MessageId id, const Bytes& subject, MessageKind kind, MessageButtons buttons) = 0;
  virtual std::optional<FileDialogResult> ChooseFile(const FileDialogRequest& request) = 0;
  // Reads the window's messages until `done` says so or `limitMs` passed
  // (commands are not run meanwhile); false on the limit.
  virtual bool WaitReadingMessages(const std::function<bool()>& done, std::uint32_t limitMs) = 0;

 protected:
  ~LinkedHost() = default;
};

class LinkedCommands {
 public:
  // `settings` is the controller's: choosing a file kind sets the linked
  // mode's delivery in it. `status` is the status bar the target's title goes to.
  LinkedCommands(const MainServices& services, AppSettings& settings, const Bytes& exeFolder, LinkedHost& host,
                 StatusLine& status);

  // The commands of the file and run menus, bound to their ids.
  void Bind(CommandDispatcher& dispatcher);

  const LinkedSession& Session() const { return session_; }
  const FileHistory& History() const { return history_; }
  FileHistory& History() { return history_; }
  const DefaultProgram& ExecDefault() const { return execDefault_; }
  // The common entry's editor, as of the last CheckEditor.
  bool EditorExists() const { return editorExists_; }
  void CheckEditor();

  // Chooses the file kind of the current file (and so the default program
  // and the linked delivery); MakeCurrent also tells the exchange area.
  void SelectKind();
  void MakeCurrent();

  // The tool's own "/f" and "/h" arguments; true when a window was linked.
  bool LinkOwnArguments(const OwnArguments& arguments);
  // A window and file named by a forwarded command line.
  void LinkFromOutside(WindowId window, const Bytes& file);
  // The linked edit window when it is still the editor's; a window that has
  // gone or changed hands is dropped and kNoWindow returned.
  WindowId UsableEditWindow(bool linkedMode);

  // The watch ticks.
  // Linked mode, changing files by hand: prune closed editors, show the current file's title.
  void TimerTimer2();
  // Linked mode, following the editor in front: the same, and make its file the current one.
  void TimerTimer3();

 private:
  Answer Message(MessageId id, const Bytes& subject, MessageKind kind,
                 MessageButtons buttons = MessageButtons::kOk);
  bool ShowTargetTitle();
  void AfterCurrentGone();
  void ComboBoxFileChange(std::size_t index);
  void Popup_NewClick();
  void Popup_OpenClick();
  void OpenFromHistory(std::size_t index);
  void OpenTail(const Bytes& path);
  bool CreateEmptyFile(const Bytes& path);
  void Popup_CloseClick();
  void CloseSelectedFile(std::size_t index);
  void Popup_CloseAllClick();
  void CloseEditorWindow(const OpenFileEntry& entry);
  void ClearClosedCurrent();
  void ToolButton_ExecClick();
  void Popup_KanrenClick();
  void RunWithProgram(std::size_t program);
  Bytes DialogFolder() const;
  // New and open share one file dialog: it comes back with the filter the
  // user chose in it last.
  std::optional<FileDialogResult> ChooseFile(bool forNew);

  FileSystem& files_;
  WindowSystem& windows_;
  Processes& processes_;
  ExchangeArea& exchange_;
  AppSettings& settings_;
  const Bytes& exeFolder_;
  LinkedHost& host_;
  StatusLine& status_;
  Launcher launcher_;
  FileHistory history_;
  LinkedSession session_;
  bool editorExists_ = false;
  DefaultProgram execDefault_;
  int fileFilterIndex_ = 1;
};

}  // namespace quiltor
