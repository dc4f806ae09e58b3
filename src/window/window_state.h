#pragma once
// The main window's height state machine: shrinking and stretching, the
// automatic shrink on deactivation, the height tracking while the user drags
// the size grip, the start-up strip, the height limits and the hit test. The
// window class reports events here and applies the heights it gets back.
//
// Heights going in and out are the window's own pixels; the configured ones
// (the shrunk height, the limit, the strip) are kept in 96-dpi units and
// follow the DPI of the window's monitor.
#include <optional>

#include "data/pending_marker.h"
#include "window/display_options.h"
#include "window/geometry.h"

namespace quiltor {

inline constexpr int kHitBottomRight = 17;  // HTBOTTOMRIGHT
inline constexpr int kHitNowhere = 0;       // HTNOWHERE

struct TrackLimits {
  int minWidth = kWindowWidth;
  int minHeight = 0;
  int maxWidth = kWindowWidth;
  int maxHeight = 0;
};

// What the window shows after a resize: the shrink button or the stretch one.
struct ResizeOutcome {
  bool ignored = false;         // the animation is running
  bool atShrinkHeight = false;  // show SpeedButtonResize2 and release the mouse capture
};

struct ActivateOutcome {
  bool handled = false;             // false while start-up is pending: nothing changes
  std::optional<int> stretchTo;     // animate to this height
};

// The heights kept while a data file loads in a strip and given back after.
struct KeptHeights {
  int savedFullHeight = 0;
  int shrinkHeight = 0;  // 96-dpi units
};

struct StartupFinish {
  int savedActivePage = 0;  // the "ActivePage" setting
  int stretchTo = 0;        // height to animate to
};

class MainWindowState {
 public:
  // The DPI of the window's monitor; heights kept so far are scaled along.
  void SetDpi(int dpi);
  int Dpi() const { return dpi_; }
  // A size of 96-dpi units in the window's pixels, and back.
  int Px(int units) const { return ScaleToDpi(units, dpi_); }
  int Units(int pixels) const { return UnscaleFromDpi(pixels, dpi_); }

  // "MinHeight" and "MaxHeight" from the settings.
  void Configure(int minHeight, int maxHeight);
  // New limits from the settings dialog: the shrunk height and the greatest
  // height without the tool bar.
  void SetLimits(int minHeight, int maxHeight);
  // From here on the resize tracking records heights.
  void BeginTracking() { userShrink_ = 0; }
  // A hidden tool bar lowers the height limit by its height.
  void ApplyToolBarAtStart(bool shown);

  // Start-up: the window becomes a strip until the first idle moment.
  // Returns the strip height to set.
  int BeginStartup(int savedActivePage);
  bool StartupWaiting() const { return pending_.StartupWaiting(); }
  // A delivery's idle step (1..99) is pending.
  bool DeliveryIdlePending() const { return pending_.DeliveryIdlePending(); }
  int StartupPending() const { return pending_.StartupPending(); }
  void SetStartupPending(int value) { pending_.SetStartupPending(value); }
  // What item execution marks and clears.
  PendingMarker& Pending() { return pending_; }
  StartupFinish FinishStartup();

  // Window messages.
  std::optional<TrackLimits> MinMaxInfo() const;
  int HitTest(int standardResult, int currentHeight);
  // Before the height changes from `currentHeight` to `newHeight`.
  void CanResize(int currentHeight, int newHeight);
  ResizeOutcome Resized(int height);

  // The animation's flag: resizes while it is set are not tracked.
  void SetAnimating(bool animating) { animating_ = animating; }
  bool Animating() const { return animating_; }

  // Commands. Each returns the height to animate to, if any.
  int Shrink(int currentHeight);
  std::optional<int> Stretch();
  std::optional<int> DoubleClick(bool shrinkButtonVisible, int currentHeight);
  ActivateOutcome Activate(bool cursorOnSizeGrip);
  std::optional<int> Deactivate(int currentHeight);
  // Returns the window's new height.
  int ToolBarToggled(bool shown, int currentHeight);

  // The display options the height rules depend on live here, once.
  DisplayOptions& Options() { return options_; }
  const DisplayOptions& Options() const { return options_; }
  void SetFixed(bool fixed) { options_.fixed = fixed; }
  bool Fixed() const { return options_.fixed; }
  void SetAutoSmall(bool on) { options_.autoSmall = on; }
  bool AutoSmall() const { return options_.autoSmall; }
  void SetActivatedByHotKey() { activatedByHotKey_ = true; }
  bool TitleActive() const { return titleActive_; }
  // SpeedButtonResize1 (shrink) shows, rather than SpeedButtonResize2.
  bool ShrinkButtonVisible() const { return shrinkButtonVisible_; }

  // Loading another data file: the window becomes a strip of kStripHeight
  // and comes back to `currentHeight`; whatever the height state was before
  // (shrunk by the automatic shrink, a custom MinHeight) is kept for after.
  KeptHeights BeginLoadingStrip(int currentHeight);
  void EndLoadingStrip(const KeptHeights& kept);
  void SetSavedFullHeight(int height) { savedFullHeight_ = height; }

  // In the window's pixels.
  int ShrinkHeight() const { return Px(shrinkHeight_); }
  int HeightLimit() const { return Px(heightLimit_); }

  // The height a close saves, in pixels: while the window is shrunk, the
  // height it had before, so that the next start opens at full height and
  // can shrink and stretch again.
  int HeightToSave(int currentHeight) const;
  int SavedFullHeight() const { return savedFullHeight_; }
  int UserShrink() const { return userShrink_; }
  // In 96-dpi units, as the settings keep them; 0 turns the track limits off.
  void SetShrinkHeight(int units) { shrinkHeight_ = units; }
  int ShrinkSetting() const { return shrinkHeight_; }
  int HeightLimitSetting() const { return heightLimit_; }

 private:
  int dpi_ = kBaseDpi;
  int savedFullHeight_ = 0;  // pixels
  int userShrink_ = -1;      // pixels
  int shrinkHeight_ = kStripHeight;            // 96-dpi units
  int heightLimit_ = 480 + kToolBarHeight;     // 96-dpi units
  PendingMarker pending_;
  bool animating_ = false;
  DisplayOptions options_;
  bool activatedByHotKey_ = false;
  bool titleActive_ = true;
  bool shrinkButtonVisible_ = true;
};

}  // namespace quiltor
