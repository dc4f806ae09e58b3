// Data files (the swap from a second start, the recent list), forwarded
// command lines and the dialogs of the main menu.
#include "window/main_controller.h"

#include "text/cp932.h"
#include "text/texts.h"

namespace quiltor {

// ---- Forwarded command lines ------------------------------------------------

void MainController::HandleForwardedCommandLine(std::uint64_t dwData, const void* data, std::size_t size) {
  const ForwardedCommand command = ParseForwardedCommandLine(dwData, data, size);
  if (command.marked) {
    if (command.error) {
      Message(MessageId::kNotInteger, *command.error, MessageKind::kError, MessageButtons::kOk, std::nullopt);
      return;
    }
    const WindowId window = command.window ? static_cast<WindowId>(*command.window) : kNoWindow;
    if (window != kNoWindow && services_.windows.IsWindow(window) && !command.file.empty()) {
      linkedCommands_.LinkFromOutside(window, command.file);
      EnterLinkedMode();
    }
    // Data files are named relative to the program's folder, here as everywhere.
    if (!command.dataFile.empty() && services_.files.Exists(JoinPath(exeFolder_, command.dataFile))) {
      SwapDataFile(command.dataFile);
    }
  }
  ApplyMode();
  ApplicationEventsActivate();
}

// ---- Data files -------------------------------------------------------------

void MainController::SwapDataFile(const Bytes& dataFile) {
  currentDataFile_ = dataFile;
  const KeptHeights kept = state_.BeginLoadingStrip(view_->WindowRect().Height());
  view_->AnimateHeight(state_.Px(kLoadingHeight));
  status_.text = texts::kLoadingText;
  Refresh(ViewPart::kStatus);
  RememberDataFile();
  LoadDataPages();
  status_.text.clear();
  Refresh(ViewPart::kStatus | ViewPart::kLists);
  view_->AnimateHeight(state_.SavedFullHeight());
  state_.EndLoadingStrip(kept);
}

void MainController::RememberDataFile() {
  recent_.Remember(currentDataFile_, DataFileCaptions(services_.files, exeFolder_));
}

void MainController::LoadRecentDataFile(std::size_t index) {
  if (index >= recent_.Items().size() || !recent_.Enabled(index)) return;
  StopWatchTimer();
  const KeptHeights kept = state_.BeginLoadingStrip(view_->WindowRect().Height());
  view_->AnimateHeight(state_.Px(kLoadingHeight));
  status_.text = texts::kLoadingText;
  currentDataFile_ = recent_.Choose(index);
  Refresh(ViewPart::kStatus | ViewPart::kLists);
  const bool loaded = LoadDataPages();
  status_.text.clear();
  Refresh(ViewPart::kStatus);
  if (loaded) {
    view_->AnimateHeight(state_.SavedFullHeight());
    state_.EndLoadingStrip(kept);
    StartWatchTimer();
    return;
  }
  // The file no longer loads: the user chooses another one.
  view_->SetVisible(false);
  view_->SetHeight(state_.SavedFullHeight());
  state_.EndLoadingStrip(kept);
  Popup_LoomworkClick();
}

void MainController::Popup_LoomworkClick() {
  StopWatchTimer();
  const KeptHeights kept = state_.BeginLoadingStrip(view_->WindowRect().Height());
  view_->AnimateHeight(state_.Px(kLoadingHeight));
  view_->SetVisible(false);
  for (;;) {
    const std::optional<Bytes> chosen =
        view_->ChooseDataFile(DataFileRequest{exeFolder_, currentDataFile_, services_.files, services_.processes,
                                              Folders().UserData()});
    // The activation may have stretched the window meanwhile.
    if (state_.SavedFullHeight() == 0) {
      state_.SetSavedFullHeight(view_->WindowRect().Height());
      view_->AnimateHeight(state_.Px(kLoadingHeight));
    }
    view_->SetVisible(true);
    if (!chosen) break;
    status_.text = texts::kLoadingText;
    Refresh(ViewPart::kStatus);
    currentDataFile_ = *chosen;
    RememberDataFile();
    const bool loaded = LoadDataPages();
    status_.text.clear();
    Refresh(ViewPart::kStatus | ViewPart::kLists);
    if (loaded) break;
    // The file does not load (the reader said why): another choice.
    view_->SetVisible(false);
  }
  view_->AnimateHeight(state_.SavedFullHeight());
  state_.EndLoadingStrip(kept);
  StartWatchTimer();
}

// ---- Dialogs of the main menu -----------------------------------------------

void MainController::Popup_SetupClick() {
  StopWatchTimer();
  const DisplayOptions& options = Options();
  MainWindowFacts facts;
  facts.shrinkHeight = state_.ShrinkSetting();
  facts.maxHeight = state_.HeightLimitSetting() - (options.toolBar ? kToolBarHeight : 0);
  facts.toolBarVisible = options.toolBar;
  // Sizes chosen while a program ran are what the buffers will have.
  const BufferSizes sizes =
      pendingBufferSizes_.value_or(BufferSizes{services_.exchange.BufSize1(), services_.exchange.BufSize2()});
  facts.bufSize1 = sizes.size1;
  facts.bufSize2 = sizes.size2;
  facts.libraryInSystem = CompanionLibraryInstalled(services_.files);
  view_->SetVisible(false);
  const SetupOutcome outcome = view_->ShowSetupDialog(SetupRequest{
      settings_, facts,
      SetupDialogContext{services_.files, services_.processes, services_.windows, services_.exchange, delivery_,
                         exeFolder_, settingsFolder_}});
  if (outcome.ok) {
    SetupCommit commit =
        CommitSetup(services_.files, Folders(), settings_, outcome.edited, facts, Session().CurrentFile());
    // The settings take effect even when the file could not be written.
    if (!commit.written) ReportCannotWrite();
    if (commit.libraryRefused) Message(MessageId::kLibraryNeedsAdmin, *commit.libraryRefused);
    settings_ = std::move(commit.confirmation.settings);
    ApplySetup(commit.confirmation.reapply);
  }
  view_->MoveTo(outcome.mainTopLeft);
  view_->SetVisible(true);
  // The history is trimmed after the dialog whatever its outcome.
  if (linkedCommands_.History().Trim(settings_.openFiles)) {
    IniFile ini = SettingsFile();
    if (!DropOpenFileKeys(ini, settings_.openFiles)) ReportCannotWrite();
  }
  Refresh(ViewPart::kAll);
  StartWatchTimer();
}

void MainController::ApplySetup(const SetupReapply& reapply) {
  ExchangeArea& exchange = services_.exchange;
  exchange.StoreLineEnd(reapply.lineEnd);
  // The hot keys are taken anew on every OK, changed or not: one that
  // another program held at start may have been freed since.
  services_.hotKeys.Unregister();
  linkedCommands_.SelectKind();
  if (reapply.newBufferSizes) {
    pendingBufferSizes_ = reapply.newBufferSizes;
    ApplyPendingBufferSizes();
  }
  RegisterHotKeys();
  state_.SetLimits(reapply.shrinkHeight, reapply.maxHeight);
  ApplyMode();
}

void MainController::ApplyPendingBufferSizes() {
  // A program that runs (the dialog can be opened while the tool waits for
  // it) works on the buffers it was given, and the tool reads its result
  // from them: they are made anew once it has ended.
  if (!pendingBufferSizes_ || executor_->Running()) return;
  const BufferSizes sizes = *pendingBufferSizes_;
  pendingBufferSizes_.reset();
  ExchangeArea& exchange = services_.exchange;
  exchange.StoreBufferSizes(sizes.size1, sizes.size2);
  if (!exchange.CreateTransferBuffers()) Message(MessageId::kBuffersFailed);
}

void MainController::RegisterHotKeys() {
  services_.hotKeys.Register(view_->Window(), HotKeyConfigFrom(settings_), [this](HotKeyFailure failure) {
    Message(failure == HotKeyFailure::Repeat ? MessageId::kHotKeyRepeatFailed : MessageId::kHotKeyActivateFailed);
  });
}

}  // namespace quiltor
