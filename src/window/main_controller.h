#pragma once
// The tool window's brain: it owns every model the window shows (settings,
// mode and display options, the height state, the data pages, both
// histories, the linked session) and runs every command, tick and message of
// the window against them. The window (MainView) only renders what it is
// told and reports what the user did; nothing here knows Win32. Linked
// mode's file commands live in LinkedCommands, which it owns.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "data/item_execution.h"
#include "data/item_search.h"
#include "data/page_cursor.h"
#include "data/pages.h"
#include "data/recent_data_files.h"
#include "data/recent_items.h"
#include "delivery/delivery.h"
#include "exchange/command_line.h"
#include "linked/file_history.h"
#include "linked/linked_session.h"
#include "settings/profile.h"
#include "settings/settings.h"
#include "settings/settings_place.h"
#include "settings/setup_confirm.h"
#include "window/commands.h"
#include "window/geometry.h"
#include "window/linked_commands.h"
#include "window/main_services.h"
#include "window/main_view.h"
#include "window/search_view.h"
#include "window/window_state.h"

namespace quiltor {

// Which handler the watch timer runs.
enum class WatchKind { kSimple, kLinkedManual, kLinkedAutomatic };

class MainController : private ItemHost, private LinkedHost {
 public:
  // Message offsets near the window's top left corner.
  static constexpr Point kMessageOffset{10, 38};
  static constexpr int kLoadingHeight = 38;

  MainController(const MainServices& services, AppSettings settings, const ToolFolders& folders);
  ~MainController() override;
  MainController(const MainController&) = delete;
  MainController& operator=(const MainController&) = delete;

  void AttachView(MainView& view) { view_ = &view; }
  void AttachSearchView(SearchView& view) { searchView_ = &view; }

  // ---- The window's life ----
  // Builds the window's state from the settings and the tool's own
  // arguments (FormCreate). The window exists, hidden.
  void Start(const std::vector<Bytes>& arguments);
  // Each show of the window; the first one also primes the clipboard.
  void FormShow();
  // The message loop ran empty.
  void ApplicationEventsIdle();
  // The window closes: the window state and histories are saved. `normal`
  // is the window's restored rectangle (not its minimised one).
  void FormClose(const Rect& normal);
  // Registers the hot keys of the settings on the main window; a key another
  // program holds is reported.
  void RegisterHotKeys();

  // ---- What the user did ----
  // WM_COMMAND; false when it was none of ours.
  bool OnCommand(unsigned id, unsigned notification, bool fromControl);
  // Title-strip buttons and other commands without a WM_COMMAND.
  void RunCommand(CommandId id, std::size_t index = 0);
  // A key of the window's shortcut processing; true = consumed.
  bool FormShortCut(std::uint8_t vk);
  void OnHotKey(int id);
  // WM_COPYDATA from a second start or another program.
  void HandleForwardedCommandLine(std::uint64_t dwData, const void* data, std::size_t size);
  void OnWatchTimer();
  void OnActivateApp(bool active);
  void ApplicationEventsRestore();
  void OnPageActivated(int page);
  // The drop-down menu of a tool button (open, close, run, data files).
  void ShowDropDown(CommandId toolButton);
  // A data-page button or menu entry was chosen.
  void ChooseItem(const ItemName& item);
  // The title strip.
  void ImageTitle1MouseDown(Point screen);
  void ImageTitle1MouseMove(Point screen);
  void ImageTitle1MouseUp();
  void ImageTitle1DblClick();
  // The window came onto a monitor of another DPI (the view has scaled its
  // own parts and size).
  void OnDpiChanged(int dpi);
  // True when the wheel scrolled a page.
  bool FormMouseWheel(Point cursor, int delta, int pagesTop);

  // ---- Finding items by typing ----
  // Opens the search with an empty query; false when there is nothing to
  // search (no data pages).
  bool OpenSearch();
  void SearchQueryChanged(const Bytes& query);
  // A key while the search is open: true when it was the search's (moves,
  // Enter, Escape) or a command's; other keys belong to the query box.
  bool SearchKey(std::uint8_t vk);
  void SearchSelect(int row);
  // Runs the selected hit as a click on its button or menu entry would.
  void RunSearchSelection();
  void CloseSearch();
  const ItemSearch& Search() const { return search_; }
  // Items can run (their buttons are on).
  bool ItemsEnabled() const { return itemButtonsEnabled_; }

  // ---- What the window shows ----
  const AppSettings& Settings() const { return settings_; }
  MainWindowState& State() { return state_; }
  const DisplayOptions& Options() const { return state_.Options(); }
  bool Linked() const { return linked_; }
  bool CommandEnabled(CommandId id) const;
  bool CommandChecked(CommandId id) const;
  const FileHistory& History() const { return linkedCommands_.History(); }
  const RecentDataFiles& RecentData() const { return recent_; }
  const LinkedSession& Session() const { return linkedCommands_.Session(); }
  // What ToolButton_Exec runs the current file with; PopupMenu_Exec checks it.
  const DefaultProgram& ExecDefault() const { return linkedCommands_.ExecDefault(); }
  const std::vector<DataPage>& Pages() const { return pages_; }
  int ActivePage() const { return activePage_; }
  const Bytes& StatusText() const { return status_.text; }
  const Bytes& StatusHint() const { return status_.hint; }
  const Bytes& DataFilePath() const { return currentDataFile_; }
  ToolFolders Folders() const { return ToolFolders{exeFolder_, settingsFolder_}; }
  const CommandDispatcher& Dispatcher() const { return dispatcher_; }
  ItemExecutor& Items() { return *executor_; }
  // Nothing pending: start-up done, no item running or waiting for its idle
  // step, the watch timer running. What tools outside wait for.
  bool Idle() const;
  // While the tool waits for another program (an editor closing a file), its
  // messages are read but commands are not run, and closing the window waits
  // until the wait is over.
  bool WaitingOnOtherProgram() const { return waitingOnOtherProgram_; }
  void CloseWhenWaitEnds() { closeAfterWait_ = true; }

 private:
  // ItemHost and LinkedHost.
  WindowId MainWindow() override;
  WindowId EditDummy() override;
  Rect MainWindowRect() override;
  int ModeIndex() override { return linked_ ? kLinkedMode : kSimpleMode; }
  WindowId LinkedEditWindow() override;
  Bytes ExeFolder() override { return exeFolder_; }
  Bytes CurrentDataFile() override { return currentDataFile_; }
  void StopWatchTimer() override;
  void StartWatchTimer() override;
  void EnableRepeat() override;
  void ShowWarningNear(const Bytes& text, Point offset) override;
  void ShowDeliveryError(DeliveryStatus status) override;
  void HideMainWindow() override;
  void ShowMainWindow() override;
  void ProcessPendingMessages() override;
  void WakeIdleAfter(std::uint32_t milliseconds) override;
  // LinkedHost.
  Answer Ask(MessageId id, const Bytes& subject, MessageKind kind, MessageButtons buttons) override;
  std::optional<FileDialogResult> ChooseFile(const FileDialogRequest& request) override;
  bool WaitReadingMessages(const std::function<bool()>& done, std::uint32_t limitMs) override;

  void BindCommands();
  Answer Message(MessageId id, const Bytes& subject = {}, MessageKind kind = MessageKind::kError,
                 MessageButtons buttons = MessageButtons::kOk, std::optional<Point> offset = kMessageOffset);
  void ReportCannotWrite();
  void Refresh(ViewPart parts) override;
  IniFile SettingsFile();

  // Start and end.
  void CheckCompanionLibrary();
  void FinishStartup();
  bool LoadDataPages();
  void ClearDataPages();
  // Re-edit has nothing to repeat once the pages are built anew.
  void ForgetLastItem();

  // Modes, display options, window commands.
  void Popup_ModeClick();
  void ApplyMode();
  void Popup_Disp_ToolBarClick();
  void Popup_Disp_AutoSmallClick();
  void Popup_Disp_StayOnTopClick();
  void Popup_Disp_HideIconClick();
  void SpeedButtonFixClick();
  void SpeedButtonResize1Click();
  void SpeedButtonResize2Click();
  void ImageIconClick();
  void Popup_HelpClick();
  void Popup_SetupClick();
  void ApplySetup(const SetupReapply& reapply);
  // New transfer-buffer sizes take effect when no item program runs.
  void ApplyPendingBufferSizes();
  void Popup_AboutClick();
  void Popup_RepeatClick();
  void ApplicationEventsActivate() override;
  void ApplicationEventsDeactivate();

  // Data files.
  void SwapDataFile(const Bytes& dataFile);
  void Popup_LoomworkClick();
  void LoadRecentDataFile(std::size_t index);
  void RememberDataFile();

  // The watch tick, one handler per kind of watch; the linked ones are
  // LinkedCommands::TimerTimer2 and TimerTimer3.
  // Simple mode: note the window in front as the target of the next write.
  void TimerTimer1();
  void EnterLinkedMode();

  // Keys.
  void MovePageCursor(CursorKey key, bool shift, bool ctrl);

  // The search.
  void LoadRecentItemsOnce();
  std::vector<std::uint64_t> LastUsesOfItems();
  void NoteItemUse(const Bytes& dataFile, const ItemName& item);
  void ActivateTarget();

  ItemServices ItemServicesOf();

  MainServices services_;
  AppSettings settings_;
  Bytes exeFolder_;
  Bytes settingsFolder_;  // where the settings file lies: the program's folder or the user's
  MainView* view_ = nullptr;

  MainWindowState state_;
  TitleDrag drag_;
  CommandDispatcher dispatcher_;
  DeliveryRoutines delivery_;
  std::unique_ptr<ItemExecutor> executor_;
  RecentDataFiles recent_;
  StatusLine status_;
  LinkedCommands linkedCommands_;

  bool linked_ = false;
  bool repeatEnabled_ = false;
  Bytes currentDataFile_;
  std::vector<DataPage> pages_;
  std::vector<PageCursor> cursors_;
  int activePage_ = -1;
  bool itemButtonsEnabled_ = true;
  WatchKind watchKind_ = WatchKind::kSimple;
  bool watchRunning_ = false;
  bool firstShown_ = false;
  bool inIdleStep_ = false;
  bool closing_ = false;
  bool waitingOnOtherProgram_ = false;
  bool closeAfterWait_ = false;
  // Sizes chosen in the settings dialog while an item program ran.
  std::optional<BufferSizes> pendingBufferSizes_;

  SearchView* searchView_ = nullptr;
  ItemSearch search_;
  RecentItems recentItems_;
  bool recentWriteReported_ = false;
};

}  // namespace quiltor
