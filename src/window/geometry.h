#pragma once
// Geometry rules of the tool window that need no window to be tested: the
// height animation, snapping while the title is dragged, keeping the saved
// position on a monitor, and the size-grip test.
#include <optional>
#include <vector>

#include "platform/monitors.h"
#include "platform/types.h"

namespace quiltor {

// Sizes and distances of the window are laid out for 96 dots per inch; on a
// monitor of more (144 at 150 %, 192 at 200 %) they grow with it. The
// settings keep heights in these 96-dpi units, positions in screen pixels.
inline constexpr int kBaseDpi = 96;
// `value` at `dpi`, rounded to the nearest pixel (halves away from zero).
int ScaleToDpi(int value, int dpi);
// A size measured at `dpi`, back in 96-dpi units.
int UnscaleFromDpi(int value, int dpi);

inline constexpr int kWindowWidth = 275;
inline constexpr int kStripHeight = 38;       // the window shrunk to its title strip
inline constexpr int kToolBarHeight = 30;     // added to and taken from the height limit
inline constexpr int kTitleStripHeight = 15;
inline constexpr int kDefaultHeight = 282;    // "Height" when the settings have none

// The height the window opens with. A saved height no greater than the
// shrunk one would open the window shrunk with nothing to stretch back to:
// the default height (or the greatest allowed, should that be lower) instead.
int StartHeight(int savedHeight, int shrinkHeight, int heightLimit);

// Heights the window passes through when it animates from `current` to
// `target`. `resize` is the smoothness setting (0 = jump): each step moves by
// the whole distance / (resize + 1), at least 1 pixel, and the last step lands
// exactly on the target. Empty when there is nothing to do.
std::vector<int> AnimateHeightSteps(int current, int target, int resize);

// The saved position at start, kept in the work area of the monitor it lies
// on, or of the nearest monitor when that one is gone: a top within 50 pixels
// of the bottom (or below it) puts the bottom edge on the work area's bottom.
Point ClampStartPosition(Point saved, int width, int height, Monitors& monitors);

// Snapping of a title drag to the left, right and top edges of the work area
// of the monitor under the pointer. The window is held at an edge it snapped
// to; it goes to another monitor when the pointer does.
class TitleDrag {
 public:
  static constexpr int kSnapLeft = 12;
  static constexpr int kSnapRight = 12;
  static constexpr int kSnapTop = 9;

  // The snapping distances grow with the window's `dpi`.
  void Begin(Point cursor, int dpi = kBaseDpi);
  // New top left corner of the window for a cursor move while dragging;
  // nullopt when no drag is in progress.
  std::optional<Point> Move(Point cursor, Point windowTopLeft, int windowWidth, Monitors& monitors);
  // True when a drag was in progress (the caller releases the capture).
  bool End();
  bool Dragging() const { return dragging_; }

 private:
  bool dragging_ = false;
  Point last_{};
  int snapLeft_ = kSnapLeft;
  int snapRight_ = kSnapRight;
  int snapTop_ = kSnapTop;
  // Where the pointer was when the window snapped to an edge. Coordinates
  // left of or above the primary monitor are negative, so no value can mean
  // "not snapped".
  std::optional<int> anchorLeft_;
  std::optional<int> anchorRight_;
  std::optional<int> anchorTop_;
  // The work area the anchors belong to.
  std::optional<Rect> area_;
};

// The pointer, relative to the window's top left corner, lies on the size grip
// at the right end of the status bar (all in 96-dpi units).
bool OnSizeGrip(Point cursorInWindow, int windowWidth, int statusBarTop, int statusBarHeight);

// Width of the tool-bar buttons, following the width the system gives a
// button with a drop-down arrow.
int ToolButtonWidth(int dropDownButtonWidth);

// The page to show after loading: the saved one when it exists, otherwise the
// first (-1 when there are no pages at all).
int ChooseActivePage(int savedPage, int pageCount);

// How far to scroll the active page for a wheel event, in the page's units
// (20 a row of buttons), or nullopt when the pointer is outside the
// scrolling area (over the tool bar, near the bottom). The margins, in
// pixels, grow with the window's `dpi`.
std::optional<int> WheelScroll(Point cursor, const Rect& window, int toolBarPanelHeight, int wheelDelta,
                               int dpi = kBaseDpi);

}  // namespace quiltor
