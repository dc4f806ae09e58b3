#include "window/window_state.h"

namespace quiltor {

void MainWindowState::SetDpi(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  auto rescale = [&](int pixels) { return static_cast<int>((static_cast<long long>(pixels) * dpi + dpi_ / 2) / dpi_); };
  if (savedFullHeight_ > 0) savedFullHeight_ = rescale(savedFullHeight_);
  if (userShrink_ > 0) userShrink_ = rescale(userShrink_);
  dpi_ = dpi;
}

void MainWindowState::Configure(int minHeight, int maxHeight) {
  shrinkHeight_ = minHeight;
  heightLimit_ = maxHeight + kToolBarHeight;
}

void MainWindowState::SetLimits(int minHeight, int maxHeight) {
  shrinkHeight_ = minHeight;
  heightLimit_ = maxHeight + (options_.toolBar ? kToolBarHeight : 0);
}

void MainWindowState::ApplyToolBarAtStart(bool shown) {
  options_.toolBar = shown;
  if (!shown) heightLimit_ -= kToolBarHeight;
}

int MainWindowState::BeginStartup(int savedActivePage) {
  pending_.SetStartupPending(savedActivePage + 100 * shrinkHeight_);
  shrinkHeight_ = kStripHeight;
  return Px(kStripHeight);
}

StartupFinish MainWindowState::FinishStartup() {
  StartupFinish finish;
  finish.savedActivePage = pending_.StartupPending() % 100;
  finish.stretchTo = savedFullHeight_;
  shrinkHeight_ = pending_.StartupPending() / 100;
  pending_.SetStartupPending(0);
  return finish;
}

std::optional<TrackLimits> MainWindowState::MinMaxInfo() const {
  if (shrinkHeight_ == 0) return std::nullopt;
  TrackLimits limits;
  limits.minWidth = limits.maxWidth = Px(kWindowWidth);
  limits.minHeight = ShrinkHeight();
  limits.maxHeight = HeightLimit();
  return limits;
}

int MainWindowState::HitTest(int standardResult, int currentHeight) {
  if (standardResult != kHitBottomRight) return kHitNowhere;
  if (currentHeight != ShrinkHeight()) userShrink_ = 0;
  return kHitBottomRight;
}

void MainWindowState::CanResize(int currentHeight, int newHeight) {
  if (animating_ || userShrink_ != 0) return;
  const int shrunk = ShrinkHeight();
  if (currentHeight == shrunk && newHeight > currentHeight) {
    userShrink_ = newHeight;
  } else if (currentHeight != shrunk && newHeight < currentHeight) {
    userShrink_ = currentHeight;
  }
}

ResizeOutcome MainWindowState::Resized(int height) {
  ResizeOutcome outcome;
  if (animating_) {
    outcome.ignored = true;
    return outcome;
  }
  shrinkButtonVisible_ = height != ShrinkHeight();
  if (height == ShrinkHeight()) {
    outcome.atShrinkHeight = true;
    // A record of -1 (creation not finished) is no height to go back to.
    if (savedFullHeight_ == 0 && userShrink_ > 0) {
      savedFullHeight_ = userShrink_;
      userShrink_ = 0;
    }
  }
  return outcome;
}

int MainWindowState::Shrink(int currentHeight) {
  savedFullHeight_ = currentHeight;
  return ShrinkHeight();
}

std::optional<int> MainWindowState::Stretch() {
  if (savedFullHeight_ == 0) return std::nullopt;
  int target = savedFullHeight_;
  savedFullHeight_ = 0;
  return target;
}

std::optional<int> MainWindowState::DoubleClick(bool shrinkButtonVisible, int currentHeight) {
  if (shrinkButtonVisible) return Shrink(currentHeight);
  return Stretch();
}

ActivateOutcome MainWindowState::Activate(bool cursorOnSizeGrip) {
  ActivateOutcome outcome;
  if (pending_.StartupPending() != 0) return outcome;
  outcome.handled = true;
  titleActive_ = true;
  if (!options_.ShrinksAutomatically() || savedFullHeight_ == 0) return outcome;
  if (activatedByHotKey_) {
    activatedByHotKey_ = false;
  } else if (cursorOnSizeGrip) {
    // The user is about to resize by hand: stay shrunk and forget the old height.
    savedFullHeight_ = 0;
    userShrink_ = 0;
    return outcome;
  }
  outcome.stretchTo = Stretch();
  return outcome;
}

std::optional<int> MainWindowState::Deactivate(int currentHeight) {
  titleActive_ = false;
  if (!options_.ShrinksAutomatically()) return std::nullopt;
  if (savedFullHeight_ == 0) savedFullHeight_ = currentHeight;
  return ShrinkHeight();
}

KeptHeights MainWindowState::BeginLoadingStrip(int currentHeight) {
  const KeptHeights kept{savedFullHeight_, shrinkHeight_};
  savedFullHeight_ = currentHeight;
  shrinkHeight_ = kStripHeight;
  return kept;
}

void MainWindowState::EndLoadingStrip(const KeptHeights& kept) {
  savedFullHeight_ = kept.savedFullHeight;
  shrinkHeight_ = kept.shrinkHeight;
}

int MainWindowState::HeightToSave(int currentHeight) const {
  return currentHeight <= ShrinkHeight() && savedFullHeight_ > currentHeight ? savedFullHeight_ : currentHeight;
}

int MainWindowState::ToolBarToggled(bool shown, int currentHeight) {
  options_.toolBar = shown;
  if (shown) {
    heightLimit_ += kToolBarHeight;
    return currentHeight + Px(kToolBarHeight);
  }
  heightLimit_ -= kToolBarHeight;
  return currentHeight - Px(kToolBarHeight);
}

}  // namespace quiltor
