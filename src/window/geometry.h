#pragma once
// Geometry rules of the tool window that need no window to be tested: the
// height animation, snapping while the title is dragged, keeping the saved
// position on the screen, and the size-grip test.
#include <optional>
#include <vector>

#include "platform/types.h"

namespace quiltor {

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

// The saved position at start, kept on the screen: a top within 50 pixels of
// the bottom (or below it) puts the bottom edge on the screen's bottom.
Point ClampStartPosition(Point saved, int width, int height, int screenWidth, int screenHeight);

// Snapping of a title drag to the left, right and top screen edges.
class TitleDrag {
 public:
  static constexpr int kSnapLeft = 12;
  static constexpr int kSnapRight = 12;
  static constexpr int kSnapTop = 9;

  void Begin(Point cursor);
  // New top left corner of the window for a cursor move while dragging;
  // nullopt when no drag is in progress.
  std::optional<Point> Move(Point cursor, Point windowTopLeft, int windowWidth, int screenWidth);
  // True when a drag was in progress (the caller releases the capture).
  bool End();
  bool Dragging() const { return dragging_; }

 private:
  bool dragging_ = false;
  Point last_{};
  int anchorLeft_ = -1;
  int anchorRight_ = -1;
  int anchorTop_ = -1;
};

// The pointer, relative to the window's top left corner, lies on the size grip
// at the right end of the status bar.
bool OnSizeGrip(Point cursorInWindow, int windowWidth, int statusBarTop, int statusBarHeight);

// Width of the tool-bar buttons, following the width the system gives a
// button with a drop-down arrow.
int ToolButtonWidth(int dropDownButtonWidth);

// The page to show after loading: the saved one when it exists, otherwise the
// first (-1 when there are no pages at all).
int ChooseActivePage(int savedPage, int pageCount);

// Pixels to scroll the active page for a wheel event, or nullopt when the
// pointer is outside the scrolling area (over the tool bar, near the bottom).
std::optional<int> WheelScroll(Point cursor, const Rect& window, int toolBarPanelHeight, int wheelDelta);

}  // namespace quiltor
