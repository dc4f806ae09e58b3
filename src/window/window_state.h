#pragma once
// The main window's height state machine: shrinking and stretching, the
// automatic shrink on deactivation, the height tracking while the user drags
// the size grip, the start-up strip, the height limits and the hit test. The
// window class reports events here and applies the heights it gets back.
#include <optional>

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

struct StartupFinish {
  int savedActivePage = 0;  // the "ActivePage" setting
  int stretchTo = 0;        // height to animate to
};

class MainWindowState {
 public:
  // "MinHeight" and "MaxHeight" from the settings.
  void Configure(int minHeight, int maxHeight);
  // From here on the resize tracking records heights.
  void BeginTracking() { userShrink_ = 0; }
  // A hidden tool bar lowers the height limit by its height.
  void ApplyToolBarAtStart(bool shown);

  // Start-up: the window becomes a strip until the first idle moment.
  // Returns the strip height to set.
  int BeginStartup(int savedActivePage);
  bool StartupWaiting() const { return startupPending_ >= 100; }
  // A delivery's idle step (1..99) is pending.
  bool DeliveryIdlePending() const { return startupPending_ > 0 && startupPending_ < 100; }
  int StartupPending() const { return startupPending_; }
  void SetStartupPending(int value) { startupPending_ = value; }
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

  void SetFixed(bool fixed) { fixed_ = fixed; }
  bool Fixed() const { return fixed_; }
  void SetAutoSmall(bool on) { autoSmall_ = on; }
  bool AutoSmall() const { return autoSmall_; }
  void SetActivatedByHotKey() { activatedByHotKey_ = true; }
  bool TitleActive() const { return titleActive_; }

  int ShrinkHeight() const { return shrinkHeight_; }
  void SetShrinkHeight(int height) { shrinkHeight_ = height; }
  int SavedFullHeight() const { return savedFullHeight_; }
  int UserShrink() const { return userShrink_; }
  int HeightLimit() const { return heightLimit_; }
  int MaxHeight() const { return maxHeight_; }

 private:
  int savedFullHeight_ = 0;
  int userShrink_ = -1;
  int shrinkHeight_ = kStripHeight;
  int maxHeight_ = 480;
  int heightLimit_ = 480 + kToolBarHeight;
  int startupPending_ = 0;
  bool animating_ = false;
  bool fixed_ = false;
  bool autoSmall_ = false;
  bool activatedByHotKey_ = false;
  bool titleActive_ = true;
};

}  // namespace quiltor
