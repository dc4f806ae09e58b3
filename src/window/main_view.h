#pragma once
// What the main controller needs of the tool window: the window's geometry,
// showing the models it keeps, message boxes and dialogs, the watch timer.
// The Win32 window (TFormMain) implements it; the unit tests use a fake that
// records what was asked.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"
#include "settings/setup_copy.h"
#include "window/commands.h"

namespace quiltor {

enum class DeliveryStatus;
struct ClipboardFormatName;
struct AppSettings;
class DeliveryRoutines;
class ExchangeArea;
class FileSystem;
class Processes;
class WindowSystem;

// The texts the tool shows; the window holds their Japanese wording.
enum class MessageId {
  kText,               // `subject` is the whole text (code page 932)
  kNotInteger,         // "'<subject>' は整数ではありません"
  kCannotWrite,        // the settings file <subject> cannot be written
  kOldLibrary,         // the system folder's Quiltor.dll is older: replace (Yes) or delete (No)
  kLibraryNeedsAdmin,  // the system folder's library <subject> cannot be changed without administrator rights
  kHotKeyRepeatFailed,
  kHotKeyActivateFailed,
  kHelpUnavailable,
  kNotAvailable,       // a command whose dialog is not there
  kFileExists,         // "<subject>\n指定のファイルは既に存在します。\n\nそのまま開きますか？"
  kFileMissingCreate,  // "<subject>\nこのファイルは存在しません。\n\n作成しますか？"
  kCannotCreateFile,   // the empty file <subject> could not be created
  kWindowClassNotFound,  // "ウィンドウクラスを検出できません\n続行しますか？"
  kEditorNotStarted,   // the editor <subject> could not be started
  kTargetGone,         // the linked editor window is gone: nothing was written
  kRunFailed,          // the current file could not be run with <subject>
  kTimerFailed,        // the system refused the watch timer
  kBuffersFailed,      // the transfer buffers could not be made anew
  kEditorNotAnswering,  // the editor of <subject> does not answer: it was not closed
};

enum class MessageKind { kError, kWarning, kQuestion, kInformation };
enum class MessageButtons { kOk, kYesNo, kOkCancel };
enum class Answer { kOk, kCancel, kYes, kNo };

struct UserMessage {
  MessageId id = MessageId::kText;
  Bytes subject;
  MessageKind kind = MessageKind::kError;
  MessageButtons buttons = MessageButtons::kOk;
  // Near the main window, this far from its top left corner; without it the
  // application's standard error box shows the text.
  std::optional<Point> offset;
};

struct FileDialogRequest {
  bool forNew = false;  // "新規作成" (a missing name is accepted) or "ﾌｧｲﾙを開く"
  Bytes initialFolder;
  Bytes filter;         // name|pattern|name|pattern...
  int filterIndex = 1;  // the filter shown first, counting from 1
};
struct FileDialogResult {
  Bytes path;
  int filterIndex = 1;  // counts from 1
};

// The services the settings dialog's editor tests and help use.
struct SetupDialogContext {
  FileSystem& files;
  Processes& processes;
  WindowSystem& windows;
  ExchangeArea& exchange;      // TransferBuffer1 for the detection dialog's copy test
  DeliveryRoutines& delivery;  // the tool's own, which keeps the user's clipboard
  Bytes exeFolder;             // with its trailing backslash
  // Where the editor tests' file is written: the settings' folder, which
  // Windows lets the tool write ("" = the program's folder).
  Bytes settingsFolder = {};
  const Bytes& TestFolder() const { return settingsFolder.empty() ? exeFolder : settingsFolder; }
};

// Everything the settings dialog is opened with.
struct SetupRequest {
  const AppSettings& settings;  // in force; its line end is what the tests write
  MainWindowFacts facts;
  SetupDialogContext context;
};

// Everything the data-file selection dialog is opened with.
struct DataFileRequest {
  Bytes exeFolder;        // data files and the companion editor lie there
  Bytes currentDataFile;  // relative to exeFolder
  FileSystem& files;
  Processes& processes;
  Bytes userFolder = {};  // listed too when the settings live there ("" when the tool is portable)
};

// The status bar: a text and the hint shown when the pointer rests on it.
struct StatusLine {
  Bytes text;
  Bytes hint;
  void Clear() {
    text.clear();
    hint.clear();
  }
};

// The parts of the window whose look follows a model.
enum class ViewPart : unsigned {
  kCommands = 1,   // enabled and checked states, the mode hint
  kLists = 2,      // history, program, close and data-file menus
  kFilePanel = 4,  // ComboBoxFile and the path labels
  kStatus = 8,     // the status bar text and hint
  kAll = 15,
};

class MainView {
 public:
  virtual ~MainView() = default;

  // ---- The window ----
  virtual WindowId Window() = 0;
  virtual WindowId FocusHolder() = 0;  // EditDummy
  virtual Rect WindowRect() = 0;
  // Dots per inch of the monitor the window is on (96 at 100 %).
  virtual int Dpi() = 0;
  virtual void MoveTo(Point topLeft) = 0;
  virtual void SetHeight(int height) = 0;
  // The animated height change; the controller's height state is told
  // while it runs so the resize tracking ignores its steps.
  virtual void AnimateHeight(int target) = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Visible() = 0;
  virtual void Minimize() = 0;
  virtual void Close() = 0;
  virtual void ApplyTopmost(bool topmost) = 0;
  virtual void ShowTaskbarButton(bool show) = 0;
  virtual void SetTitleActive(bool active) = 0;
  virtual void ShowShrinkButton(bool shrinkVisible) = 0;
  virtual void ReleaseMouseCapture() = 0;
  virtual void ShowToolBar(bool shown) = 0;
  virtual bool CursorOnSizeGrip() = 0;
  virtual void ShowProgress(bool shown) = 0;

  // ---- Models shown ----
  virtual void Render(ViewPart parts) = 0;
  // The pages model was replaced: build its tabs, buttons and menus.
  virtual void ShowPages() = 0;
  virtual void RefreshItemButtons() = 0;
  virtual void ShowActivePage(int page) = 0;
  // A page's scroll position, view height and scrolling count 20 units a
  // row of buttons, whatever the rows' height in pixels at the monitor's DPI.
  virtual int PageScrollPosition(int page) = 0;
  virtual int PageViewHeight(int page) = 0;
  virtual void ScrollPage(int page, int delta) = 0;
  virtual void MarkButton(int page, int column, int row, bool marked) = 0;
  // Drops a menu button's menu down, or clicks any other button.
  virtual void PressButton(int page, int column, int row) = 0;

  // ---- Menus, messages and dialogs ----
  virtual void ShowMainMenu() = 0;
  virtual void DropDown(CommandId toolButton) = 0;
  virtual Answer ShowMessage(const UserMessage& message) = 0;
  // A delivery went wrong: its message near the window, naming the
  // clipboard formats that could not be kept or put back.
  virtual void ShowDeliveryError(DeliveryStatus status, const std::vector<ClipboardFormatName>& lostFormats) = 0;
  virtual std::optional<FileDialogResult> ChooseFile(const FileDialogRequest& request) = 0;
  virtual void ShowAbout() = 0;
  // The settings dialog over the (hidden) main window; the outcome says
  // where the main window goes, after Cancel too.
  virtual SetupOutcome ShowSetupDialog(const SetupRequest& request) = 0;
  // The data-file selection dialog: the chosen data file (relative to the
  // program's folder), nullopt when the user cancelled.
  virtual std::optional<Bytes> ChooseDataFile(const DataFileRequest& request) = 0;
  // The help file's contents (or the bundled page) of the program in
  // `programFolder`; false when neither opens.
  virtual bool OpenHelp(const Bytes& programFolder) = 0;

  // ---- The message loop ----
  virtual void SetWatchTimer(bool running, std::uint32_t interval) = 0;
  virtual void WakeIdleAfter(std::uint32_t milliseconds) = 0;
  virtual void ProcessPendingMessages() = 0;
};

// A registered window message other programs (test tools among them) send
// the main window to learn its state: wParam kStatusIdle answers 1 when the
// tool is idle, kStatusSimpleTarget the simple-mode target, kStatusLinkedEdit
// the linked edit window. kStatusMenus sends the window named by lParam a
// WM_COPYDATA (dwData kStatusMenus) with the items of the tool's menus as
// UTF-8 lines, since another process cannot read a menu under Wine.
inline constexpr char kStatusMessageName[] = "QuiltorStatus";
inline constexpr unsigned kStatusIdle = 0;
inline constexpr unsigned kStatusSimpleTarget = 1;
inline constexpr unsigned kStatusLinkedEdit = 2;
inline constexpr unsigned kStatusMenus = 3;

inline ViewPart operator|(ViewPart a, ViewPart b) {
  return static_cast<ViewPart>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
inline bool HasPart(ViewPart parts, ViewPart part) {
  return (static_cast<unsigned>(parts) & static_cast<unsigned>(part)) != 0;
}

}  // namespace quiltor
