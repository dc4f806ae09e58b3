#include "window/main_controller.h"

#include <algorithm>

#include "data/data_file.h"
#include "data/data_listing.h"
#include "settings/profile.h"
#include "text/cp932.h"
#include "text/texts.h"

namespace quiltor {
namespace {

// Every start writes "QuiltorData", so a settings file without the key has
// never been through a start of the tool.
bool IsFirstStart(ProfileFile& settings) {
  const Bytes absent = "\n";  // a value never holds a line end
  return settings.GetString(kSectionQuiltor, "QuiltorData", absent) == absent;
}

}  // namespace

MainController::MainController(const MainServices& services, AppSettings settings, const ToolFolders& folders)
    : services_(services),
      settings_(std::move(settings)),
      exeFolder_(folders.program),
      settingsFolder_(folders.settings),
      delivery_(services.clipboard, services.windows, services.keyboard, services.processes, services.integrity),
      linkedCommands_(services, settings_, exeFolder_, *this, status_) {
  ItemHost& host = *this;
  executor_ = std::make_unique<ItemExecutor>(ItemServicesOf(), host, settings_, state_.Pending());
  BindCommands();
}

MainController::~MainController() = default;

ItemServices MainController::ItemServicesOf() {
  return ItemServices{services_.files, services_.clipboard, services_.windows, services_.processes,
                      delivery_,       services_.exchange};
}

IniFile MainController::SettingsFile() {
  return IniFile(services_.files, JoinPath(settingsFolder_, kSettingsFileName));
}

Answer MainController::Message(MessageId id, const Bytes& subject, MessageKind kind, MessageButtons buttons,
                               std::optional<Point> offset) {
  return view_->ShowMessage(UserMessage{id, subject, kind, buttons, offset});
}

void MainController::ReportCannotWrite() {
  Message(MessageId::kCannotWrite, JoinPath(settingsFolder_, kSettingsFileName), MessageKind::kError,
          MessageButtons::kOk, std::nullopt);
}

void MainController::Refresh(ViewPart parts) {
  // Item buttons are on exactly when an item has a target to go to.
  const bool itemsOn = !linked_ || Session().HasCurrent();
  if (itemsOn != itemButtonsEnabled_) {
    itemButtonsEnabled_ = itemsOn;
    SetItemButtonsEnabled(pages_, itemsOn);
    view_->RefreshItemButtons();
  }
  view_->Render(parts);
}

// ---- Commands ---------------------------------------------------------------

void MainController::BindCommands() {
  auto bind = [this](CommandId id, void (MainController::*handler)()) {
    dispatcher_.Bind(id, [this, handler](std::size_t) { (this->*handler)(); });
  };
  auto bindIndexed = [this](CommandId id, void (MainController::*handler)(std::size_t)) {
    dispatcher_.Bind(id, [this, handler](std::size_t index) { (this->*handler)(index); });
  };
  bind(CommandId::kMode, &MainController::Popup_ModeClick);
  // The entry of the mode in force leaves the mode as it is.
  dispatcher_.Bind(CommandId::kModeEasy, [this](std::size_t) {
    if (linked_) Popup_ModeClick();
  });
  dispatcher_.Bind(CommandId::kModeSync, [this](std::size_t) {
    if (!linked_) Popup_ModeClick();
  });
  linkedCommands_.Bind(dispatcher_);
  dispatcher_.Bind(CommandId::kRepeat, [this](std::size_t) {
    if (CommandEnabled(CommandId::kRepeat)) Popup_RepeatClick();
  });
  bind(CommandId::kLoomwork, &MainController::Popup_LoomworkClick);
  dispatcher_.Bind(CommandId::kLoomworkDropDown, [this](std::size_t) { ShowDropDown(CommandId::kLoomwork); });
  bindIndexed(CommandId::kLoomworkHistory, &MainController::LoadRecentDataFile);
  bind(CommandId::kDispToolBar, &MainController::Popup_Disp_ToolBarClick);
  bind(CommandId::kDispAutoSmall, &MainController::Popup_Disp_AutoSmallClick);
  bind(CommandId::kDispStayOnTop, &MainController::Popup_Disp_StayOnTopClick);
  bind(CommandId::kDispHideIcon, &MainController::Popup_Disp_HideIconClick);
  bind(CommandId::kSetup, &MainController::Popup_SetupClick);
  bind(CommandId::kAbout, &MainController::Popup_AboutClick);
  bind(CommandId::kHelp, &MainController::Popup_HelpClick);
  dispatcher_.Bind(CommandId::kExit, [this](std::size_t) { view_->Close(); });
  dispatcher_.Bind(CommandId::kMinimize, [this](std::size_t) { view_->Minimize(); });
  bind(CommandId::kShrink, &MainController::SpeedButtonResize1Click);
  bind(CommandId::kStretch, &MainController::SpeedButtonResize2Click);
  bind(CommandId::kFix, &MainController::SpeedButtonFixClick);
  bind(CommandId::kSystemMenu, &MainController::ImageIconClick);
}

bool MainController::OnCommand(unsigned id, unsigned notification, bool fromControl) {
  // A command now would act on the files and windows being waited for.
  if (waitingOnOtherProgram_) return FindCommand(id).has_value();
  return dispatcher_.Dispatch(id, notification, fromControl);
}

void MainController::RunCommand(CommandId id, std::size_t index) {
  if (waitingOnOtherProgram_) return;
  dispatcher_.Run(id, index);
}

bool MainController::CommandEnabled(CommandId id) const {
  const bool hasCurrent = linked_ && Session().HasCurrent();
  const bool hasEntries = linked_ && !Session().Entries().empty();
  const bool canOpen = linked_ && linkedCommands_.EditorExists();
  switch (id) {
    case CommandId::kNew:
    case CommandId::kOpen:
      return canOpen;
    case CommandId::kOpenHistory:
      return canOpen && !History().Empty();
    case CommandId::kClose:
    case CommandId::kExec:
    case CommandId::kExecAssociated:
    case CommandId::kExecProgram:
    case CommandId::kKanren:
      return hasCurrent;
    case CommandId::kCloseFile:
    case CommandId::kCloseAll:
      return hasEntries;
    case CommandId::kFileChosen:
      return linked_;
    case CommandId::kRepeat:
      return repeatEnabled_;
    case CommandId::kDispAutoSmall:
      return Options().AutoSmallEnabled();
    case CommandId::kDispStayOnTop:
      return Options().StayOnTopEnabled();
    case CommandId::kDispHideIcon:
      return Options().HideIconEnabled();
    default:
      return true;
  }
}

bool MainController::CommandChecked(CommandId id) const {
  const DisplayOptions& o = Options();
  switch (id) {
    case CommandId::kMode:
    case CommandId::kModeSync:
      return linked_;
    case CommandId::kModeEasy:
      return !linked_;
    case CommandId::kDispToolBar:
      return o.toolBar;
    case CommandId::kDispAutoSmall:
      return o.autoSmall;
    case CommandId::kDispStayOnTop:
      return o.stayOnTop;
    case CommandId::kDispHideIcon:
      return o.hideIcon;
    case CommandId::kFix:
      return o.fixed;
    default:
      return false;
  }
}

// ---- Start ------------------------------------------------------------------

void MainController::Start(const std::vector<Bytes>& arguments) {
  const QuiltorSection& q = settings_.quiltor;
  state_.SetDpi(view_->Dpi());
  state_.Configure(settings_.minHeight, settings_.maxHeight);
  // The saved place, kept on the screen; "/L" and "/T" come after, unclamped.
  view_->MoveTo(Point{q.left, q.top});
  view_->SetHeight(state_.Px(StartHeight(q.height, settings_.minHeight, state_.HeightLimitSetting())));
  state_.BeginTracking();
  const Rect placed = view_->WindowRect();
  Point at = ClampStartPosition(Point{q.left, q.top}, placed.Width(), placed.Height(), services_.monitors);

  linked_ = q.mode;
  DisplayOptions& options = state_.Options();
  options.stayOnTop = q.stayOnTop;
  options.hideIcon = q.hideIcon;
  options.autoSmall = q.autoSmall;
  linkedCommands_.History().Load(q.openFile);
  CheckCompanionLibrary();

  const OwnArguments own = ParseOwnArguments(arguments);
  if (own.left) at.x = *own.left;
  if (own.top) at.y = *own.top;
  view_->MoveTo(at);
  if (own.error) {
    Message(MessageId::kNotInteger, *own.error, MessageKind::kError, MessageButtons::kOk, std::nullopt);
  }

  currentDataFile_ = own.dataFile ? *own.dataFile : q.quiltorData;
  {
    IniFile ini = SettingsFile();
    // A first start opens the first data file on offer, so that a new user
    // sees the samples that came with the program instead of an empty window.
    if (!own.dataFile && IsFirstStart(ini)) {
      const DataFileListing offered = ListDataFiles(services_.files, exeFolder_, "");
      if (!offered.rows.empty()) currentDataFile_ = offered.rows.front().path;
    }
    if (!WriteCurrentDataFile(ini, currentDataFile_)) ReportCannotWrite();
  }
  recent_.Load(
      q.quiltorDataHistory, currentDataFile_,
      [this](const Bytes& path) { return services_.files.Exists(JoinPath(exeFolder_, path)); },
      DataFileCaptions(services_.files, exeFolder_));
  if (!own.error && linkedCommands_.LinkOwnArguments(own)) EnterLinkedMode();

  view_->ShowToolBar(q.toolBar);
  state_.ApplyToolBarAtStart(q.toolBar);
  linkedCommands_.SelectKind();
  status_.text = texts::kLoadingText;
  status_.hint.clear();
  // A strip until the first idle moment has loaded the data.
  view_->SetHeight(state_.BeginStartup(q.activePage));
  Refresh(ViewPart::kAll);
}

void MainController::CheckCompanionLibrary() {
  FileSystem& files = services_.files;
  const Bytes system = files.SystemFolder();
  if (system.empty()) return;
  const Bytes installed = system + kCompanionLibraryName;
  const Bytes shipped = JoinPath(exeFolder_, kCompanionLibraryName);
  if (!files.Exists(installed) || !files.Exists(shipped)) return;
  const auto installedTime = files.WriteTime(installed);
  const auto shippedTime = files.WriteTime(shipped);
  if (!installedTime || !shippedTime || *installedTime >= *shippedTime) return;
  // A library whose replacement Windows refused once is not offered at every
  // start: only a newer one from the program's folder asks again.
  const Bytes stamp = std::to_string(*shippedTime);
  if (settings_.quiltor.libraryRefused == stamp) return;
  const bool replace =
      Message(MessageId::kOldLibrary, {}, MessageKind::kQuestion, MessageButtons::kYesNo) == Answer::kYes;
  if (replace ? files.Copy(shipped, installed) : files.Remove(installed)) return;
  Message(MessageId::kLibraryNeedsAdmin, installed);
  settings_.quiltor.libraryRefused = stamp;
  IniFile ini = SettingsFile();
  if (!WriteLibraryRefused(ini, stamp)) ReportCannotWrite();
}

void MainController::FormShow() {
  view_->ShowTaskbarButton(!Options().HideIconInEffect());
  if (firstShown_) return;
  firstShown_ = true;
  const DeliveryStatus primed = delivery_.PrimeClipboard(view_->Window(), view_->FocusHolder());
  // A refused focus only means the warm-up paste was skipped; the user is
  // told when part of the clipboard could not come back.
  if (primed == DeliveryStatus::kClipboardUnavailable || primed == DeliveryStatus::kFormatsNotKept ||
      primed == DeliveryStatus::kFormatsNotRestored) {
    ShowDeliveryError(primed);
  }
}

void MainController::ApplicationEventsIdle() {
  if (inIdleStep_ || closing_) return;
  if (state_.StartupWaiting()) {
    inIdleStep_ = true;
    FinishStartup();
    inIdleStep_ = false;
    return;
  }
  ApplyPendingBufferSizes();
  if (state_.DeliveryIdlePending()) executor_->IdleStep();
}

void MainController::ClearDataPages() {
  CloseSearch();
  search_.Reset({});
  pages_.clear();
  cursors_.clear();
  activePage_ = -1;
  const bool repeatWasOn = repeatEnabled_;
  ForgetLastItem();
  view_->ShowPages();
  if (repeatWasOn) Refresh(ViewPart::kCommands);
}

void MainController::ForgetLastItem() {
  executor_->ForgetLastItem();
  repeatEnabled_ = false;
}

bool MainController::LoadDataPages() {
  FileSystem& files = services_.files;
  const Bytes path = JoinPath(exeFolder_, currentDataFile_);
  // The pages of the former file go whenever the current one does not load:
  // their items would read their texts from the current file.
  if (currentDataFile_.empty() || !files.Exists(path)) {
    if (!pages_.empty()) ClearDataPages();
    return false;
  }
  LoadedDataFile loaded = LoadDataFileWithIndex(files, path);
  DataPagesResult& result = loaded.pages;
  if (!result.error.Ok()) {
    ClearDataPages();
    const Bytes text = DataErrorMessage(result.error);
    if (result.error.status == DataStatus::kOldFormat) {
      Message(MessageId::kText, text, MessageKind::kError, MessageButtons::kOk, kOldFormatMessageOffset);
    } else {
      Message(MessageId::kText, text, MessageKind::kError, MessageButtons::kOk, std::nullopt);
    }
    return false;
  }
  // An open search belongs to the file it searched.
  CloseSearch();
  search_.Reset(std::move(loaded.index));
  pages_ = std::move(result.pages);
  cursors_.assign(pages_.size(), PageCursor{});
  activePage_ = pages_.empty() ? -1 : 0;
  ForgetLastItem();
  itemButtonsEnabled_ = true;  // a new model starts with every button on
  view_->ShowPages();
  Refresh(ViewPart::kCommands);
  return true;
}

void MainController::FinishStartup() {
  const int savedPage = state_.StartupPending() % 100;
  if (LoadDataPages()) {
    OnPageActivated(ChooseActivePage(savedPage, static_cast<int>(pages_.size())));
  } else {
    view_->ShowProgress(false);
  }
  ApplyMode();
  status_.Clear();
  Refresh(ViewPart::kStatus);
  view_->AnimateHeight(state_.SavedFullHeight());
  state_.FinishStartup();
  view_->ApplyTopmost(Options().Topmost());
  StartWatchTimer();
}

void MainController::OnPageActivated(int page) {
  if (page < 0 || page >= static_cast<int>(pages_.size())) return;
  activePage_ = page;
  view_->ShowActivePage(page);
}

// ---- End --------------------------------------------------------------------

void MainController::FormClose(const Rect& normal) {
  closing_ = true;
  StopWatchTimer();
  WindowState w;
  w.top = normal.top;
  w.left = normal.left;
  w.height = state_.Units(state_.HeightToSave(normal.Height()));
  w.activePage = activePage_ < 0 ? 0 : activePage_;
  const DisplayOptions& o = Options();
  w.toolBar = o.toolBar;
  w.autoSmall = o.autoSmall;
  w.stayOnTop = o.stayOnTop;
  w.hideIcon = o.hideIcon;
  w.openFiles = History().Paths();
  w.openFileSlots = settings_.openFiles;
  w.quiltorData = currentDataFile_;
  w.dataFiles = recent_.Paths();
  IniFile ini = SettingsFile();
  // The window still closes: a settings file that cannot be written must
  // not keep the user from ending the tool.
  if (!SaveWindowState(ini, w)) ReportCannotWrite();
}

bool MainController::Idle() const {
  return state_.StartupPending() == 0 && !executor_->Running() && watchRunning_ && !waitingOnOtherProgram_;
}

bool MainController::WaitReadingMessages(const std::function<bool()>& done, std::uint32_t limitMs) {
  // Short slices: a message wakes the wait at once, the slice only bounds
  // how late a change that sends none (a window gone) is seen.
  constexpr std::uint32_t kSliceMs = 100;
  quiltor::Processes& processes = services_.processes;
  const std::uint64_t start = processes.NowMilliseconds();
  const bool outer = !waitingOnOtherProgram_;
  waitingOnOtherProgram_ = true;
  bool finished = done();
  while (!finished && processes.NowMilliseconds() - start < limitMs) {
    processes.WaitForMessages(kSliceMs);
    view_->ProcessPendingMessages();
    finished = done();
  }
  if (outer) {
    waitingOnOtherProgram_ = false;
    // Posted: the window closes once the command that waited has returned.
    if (closeAfterWait_) view_->Close();
    closeAfterWait_ = false;
  }
  return finished;
}

// ---- The watch timer --------------------------------------------------------

void MainController::StopWatchTimer() {
  watchRunning_ = false;
  if (view_) view_->SetWatchTimer(false, 0);
}

void MainController::StartWatchTimer() {
  if (closing_ || state_.StartupPending() != 0) return;
  watchRunning_ = true;
  const auto interval = static_cast<std::uint32_t>(
      watchKind_ == WatchKind::kSimple ? settings_.timer + settings_.timerEZ : settings_.timer);
  view_->SetWatchTimer(true, interval);
}

void MainController::OnWatchTimer() {
  if (!watchRunning_) return;
  switch (watchKind_) {
    case WatchKind::kSimple: TimerTimer1(); return;
    case WatchKind::kLinkedManual: linkedCommands_.TimerTimer2(); return;
    case WatchKind::kLinkedAutomatic: linkedCommands_.TimerTimer3(); return;
  }
}

// ---- ItemHost ---------------------------------------------------------------

WindowId MainController::MainWindow() { return view_->Window(); }
WindowId MainController::EditDummy() { return view_->FocusHolder(); }
Rect MainController::MainWindowRect() { return view_->WindowRect(); }

WindowId MainController::LinkedEditWindow() { return linkedCommands_.UsableEditWindow(linked_); }

void MainController::EnableRepeat() {
  if (repeatEnabled_) return;
  repeatEnabled_ = true;
  Refresh(ViewPart::kCommands);
}

void MainController::ShowWarningNear(const Bytes& text, Point offset) {
  Message(MessageId::kText, text, MessageKind::kWarning, MessageButtons::kOk, offset);
}

void MainController::ShowDeliveryError(DeliveryStatus status) { view_->ShowDeliveryError(status, delivery_.LostFormats()); }
void MainController::HideMainWindow() { view_->SetVisible(false); }

void MainController::ShowMainWindow() {
  view_->SetVisible(true);
  FormShow();
}

void MainController::ProcessPendingMessages() { view_->ProcessPendingMessages(); }
void MainController::WakeIdleAfter(std::uint32_t milliseconds) { view_->WakeIdleAfter(milliseconds); }

// ---- LinkedHost -------------------------------------------------------------

Answer MainController::Ask(MessageId id, const Bytes& subject, MessageKind kind, MessageButtons buttons) {
  return Message(id, subject, kind, buttons);
}

std::optional<FileDialogResult> MainController::ChooseFile(const FileDialogRequest& request) {
  return view_->ChooseFile(request);
}

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
    linkedCommands_.CheckEditor();
    watchKind_ = settings_.changeMode != 0 ? WatchKind::kLinkedAutomatic : WatchKind::kLinkedManual;
  } else {
    status_.Clear();
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

void MainController::TimerTimer1() { executor_->TimerTimer1(); }

void MainController::ChooseItem(const ItemName& item) {
  const std::optional<int> image = FindItemImage(pages_, item);
  if (!image) return;
  // The data file may change while an item program runs.
  const Bytes dataFile = currentDataFile_;
  if (executor_->ChooseItem(item, *image)) NoteItemUse(dataFile, item);
}

void MainController::Popup_RepeatClick() { executor_->Popup_RepeatClick(); }

}  // namespace quiltor
