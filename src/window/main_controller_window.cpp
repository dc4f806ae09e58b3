// The window's own commands: display options, shrinking and stretching,
// activation, the title drag, the mouse wheel, the keys and the hot keys.
#include "window/main_controller.h"

#include "platform/keyboard.h"
#include "text/cp932.h"

namespace quiltor {

// ---- Display options --------------------------------------------------------

void MainController::Popup_Disp_ToolBarClick() {
  const bool shown = !Options().toolBar;
  view_->ShowToolBar(shown);
  view_->SetHeight(state_.ToolBarToggled(shown, view_->WindowRect().Height()));
  Refresh(ViewPart::kCommands);
}

void MainController::Popup_Disp_AutoSmallClick() {
  state_.Options().autoSmall = !Options().autoSmall;
  Refresh(ViewPart::kCommands);
}

void MainController::Popup_Disp_StayOnTopClick() {
  DisplayOptions& o = state_.Options();
  o.stayOnTop = !o.stayOnTop;
  view_->ApplyTopmost(o.Topmost());
  view_->ShowTaskbarButton(!o.HideIconInEffect());
  Refresh(ViewPart::kCommands);
}

void MainController::Popup_Disp_HideIconClick() {
  DisplayOptions& o = state_.Options();
  o.hideIcon = !o.hideIcon;
  view_->ShowTaskbarButton(!o.HideIconInEffect());
  Refresh(ViewPart::kCommands);
}

void MainController::ApplicationEventsRestore() { view_->ShowTaskbarButton(!Options().HideIconInEffect()); }

void MainController::SpeedButtonFixClick() {
  DisplayOptions& o = state_.Options();
  o.fixed = !o.fixed;
  view_->ApplyTopmost(o.Topmost());
  Refresh(ViewPart::kCommands);
}

// ---- Shrinking and stretching -----------------------------------------------

void MainController::SpeedButtonResize1Click() { view_->AnimateHeight(state_.Shrink(view_->WindowRect().Height())); }

void MainController::SpeedButtonResize2Click() {
  if (auto target = state_.Stretch()) view_->AnimateHeight(*target);
}

void MainController::ImageTitle1DblClick() {
  if (state_.ShrinkButtonVisible()) {
    SpeedButtonResize1Click();
  } else {
    SpeedButtonResize2Click();
  }
}

void MainController::OnActivateApp(bool active) {
  if (closing_) return;
  if (active) {
    ApplicationEventsActivate();
  } else {
    ApplicationEventsDeactivate();
  }
}

void MainController::ApplicationEventsActivate() {
  const ActivateOutcome outcome = state_.Activate(view_->CursorOnSizeGrip());
  if (!outcome.handled) return;
  view_->SetTitleActive(true);
  if (outcome.stretchTo) view_->AnimateHeight(*outcome.stretchTo);
}

void MainController::ApplicationEventsDeactivate() {
  const std::optional<int> target = state_.Deactivate(view_->WindowRect().Height());
  view_->SetTitleActive(false);
  if (target) view_->AnimateHeight(*target);
}

// ---- The title strip --------------------------------------------------------

void MainController::ImageTitle1MouseDown(Point screen) { drag_.Begin(screen, state_.Dpi()); }

void MainController::ImageTitle1MouseMove(Point screen) {
  const Rect r = view_->WindowRect();
  if (auto to = drag_.Move(screen, Point{r.left, r.top}, r.Width(), services_.monitors)) view_->MoveTo(*to);
}

void MainController::OnDpiChanged(int dpi) { state_.SetDpi(dpi); }

void MainController::ImageTitle1MouseUp() {
  if (drag_.End()) view_->ReleaseMouseCapture();
}

void MainController::ImageIconClick() {
  // No tick may run while the menu is open.
  StopWatchTimer();
  view_->ShowMainMenu();
  StartWatchTimer();
}

void MainController::ShowDropDown(CommandId toolButton) {
  // As under the main menu: a tick that pruned an entry would rebuild the
  // close menu under the user's pointer, its positions no longer those shown.
  const bool watching = watchRunning_;
  StopWatchTimer();
  view_->DropDown(toolButton);
  if (watching) StartWatchTimer();
}

bool MainController::FormMouseWheel(Point cursor, int delta, int pagesTop) {
  if (pages_.empty() || activePage_ < 0) return false;
  const auto scroll = WheelScroll(cursor, view_->WindowRect(), pagesTop, delta, state_.Dpi());
  if (!scroll) return false;
  view_->ScrollPage(activePage_, *scroll);
  return true;
}

// ---- Small commands of the main menu ----------------------------------------

void MainController::Popup_HelpClick() {
  if (!view_->OpenHelp(exeFolder_)) Message(MessageId::kHelpUnavailable);
}

void MainController::Popup_AboutClick() {
  StopWatchTimer();
  view_->ShowAbout();
  StartWatchTimer();
}

// ---- Keys -------------------------------------------------------------------

bool MainController::FormShortCut(std::uint8_t vk) {
  Keyboard& keys = services_.keyboard;
  const bool shift = keys.IsDown(kVkShift);
  const bool ctrl = keys.IsDown(kVkControl);
  if (const std::optional<CommandId> command = CommandForKey(vk, shift)) {
    RunCommand(*command);
    return true;
  }
  if (pages_.empty() || activePage_ < 0) return true;
  if (vk == kVkF && ctrl && !shift) {
    OpenSearch();
    return true;
  }
  switch (vk) {
    case kVkEscape: ActivateTarget(); break;
    case kVkReturn: MovePageCursor(CursorKey::kEnter, shift, ctrl); break;
    case kVkUp: MovePageCursor(CursorKey::kUp, shift, ctrl); break;
    case kVkDown: MovePageCursor(CursorKey::kDown, shift, ctrl); break;
    case kVkLeft: MovePageCursor(CursorKey::kLeft, shift, ctrl); break;
    case kVkRight: MovePageCursor(CursorKey::kRight, shift, ctrl); break;
    default: break;
  }
  return true;
}

void MainController::ActivateTarget() {
  WindowSystem& windows = services_.windows;
  WindowId target = executor_->TargetWindow();
  if (target == kNoWindow) target = windows.Desktop();
  windows.SetForeground(target);
  windows.SetActive(target);
}

void MainController::MovePageCursor(CursorKey key, bool shift, bool ctrl) {
  const int page = activePage_;
  if (cursors_.size() != pages_.size()) cursors_.assign(pages_.size(), PageCursor{});
  const DataPage& model = pages_[static_cast<std::size_t>(page)];
  CursorView cursorView;
  for (const ItemButton& b : model.main) cursorView.left.push_back(CursorButtonState{b.enabled, true});
  for (const ItemButton& b : model.side) cursorView.right.push_back(CursorButtonState{b.enabled, true});
  cursorView.scrollPosition = view_->PageScrollPosition(page);
  cursorView.boxHeight = view_->PageViewHeight(page);
  cursorView.pageIndex = page;
  cursorView.pageCount = static_cast<int>(pages_.size());
  PageCursor& cursor = cursors_[static_cast<std::size_t>(page)];
  const CursorOutcome outcome = quiltor::MovePageCursor(cursor, cursorView, key, CursorModifiers{shift, ctrl});
  cursor = outcome.cursor;
  if (outcome.unmark) view_->MarkButton(page, outcome.unmark->column, outcome.unmark->row, false);
  if (outcome.mark) view_->MarkButton(page, outcome.mark->column, outcome.mark->row, true);
  if (outcome.scrollDelta != 0) view_->ScrollPage(page, outcome.scrollDelta);
  if (outcome.activatePage) OnPageActivated(*outcome.activatePage);
  if (outcome.fire) view_->PressButton(page, outcome.fire->column, outcome.fire->row);
}

void MainController::OnHotKey(int id) {
  if (id != kHotKeyRepeat && id != kHotKeyActivate) return;
  // The user still holds the hot key: let it go first, or the keys written
  // into the target would arrive with Alt or Ctrl held.
  for (const KeyEvent& event : HotKeyReleaseEvents(HotKeyConfigFrom(settings_), id, services_.keyboard)) {
    services_.keyboard.Send(event);
  }
  if (id == kHotKeyRepeat) {
    RunCommand(CommandId::kRepeat);
    return;
  }
  state_.SetActivatedByHotKey();
  services_.windows.SetActive(view_->Window());
  services_.windows.SetForeground(view_->Window());
}

}  // namespace quiltor
