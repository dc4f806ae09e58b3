#include <gtest/gtest.h>

#include "window/geometry.h"

#include "fakes/fake_monitors.h"

namespace quiltor {
namespace {

TEST(AnimateHeight, StepsCoverTheDistanceAndEndExactlyOnTheTarget) {
  struct Case {
    int from, to, resize;
    std::vector<int> heights;
  };
  const Case cases[] = {
      {282, 38, 0, {38}},                                   // no animation: one jump
      {38, 282, 0, {282}},
      {38, 44, 5, {39, 40, 41, 42, 43, 44}},                // diff 6 / 6 = 1 per step
      {100, 97, 5, {99, 98, 97}},                           // smaller than Resize + 1: 1-pixel steps
      {38, 282, 5, {78, 118, 158, 198, 238, 278, 282}},     // 244 / 6 = 40: six steps, then exact
      {282, 38, 5, {242, 202, 162, 122, 82, 42, 38}},
      {38, 100, 20, std::vector<int>{}},                    // filled below
      {50, 50, 5, {}},                                      // nothing to do
  };
  for (const Case& c : cases) {
    std::vector<int> got = AnimateHeightSteps(c.from, c.to, c.resize);
    if (c.resize == 20) {
      // 62 / 21 = 2: 31 steps of 2 pixels would reach 100; the last lands exactly.
      ASSERT_FALSE(got.empty());
      EXPECT_EQ(got.back(), 100);
      EXPECT_EQ(got.size(), 31u);
      continue;
    }
    EXPECT_EQ(got, c.heights) << c.from << "->" << c.to << " resize " << c.resize;
  }
}

TEST(AnimateHeight, FiveGivesSixStepsOfASixthPlusTheExactStep) {
  // 600 / 6 = 100: diff goes 500, 400, 300, 200, 100, 0 -> six changes, the
  // last of which is the exact target.
  auto got = AnimateHeightSteps(100, 700, 5);
  EXPECT_EQ(got, (std::vector<int>{200, 300, 400, 500, 600, 700}));
  // 605 / 6 = 100 (integer): diff 505..5 takes six steps of 100, then 5 -> exact.
  got = AnimateHeightSteps(100, 705, 5);
  EXPECT_EQ(got.size(), 7u);
  EXPECT_EQ(got.back(), 705);
}

TEST(ScaleToDpi, RoundsToTheNearestPixelAndComesBackToTheSameUnits) {
  struct Case {
    int units, dpi, pixels;
  };
  const Case cases[] = {
      {275, 96, 275}, {275, 144, 413}, {275, 192, 550}, {38, 144, 57}, {15, 144, 23},
      {30, 120, 38},  {20, 168, 35},   {-60, 144, -90}, {-13, 144, -20}, {0, 144, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ScaleToDpi(c.units, c.dpi), c.pixels) << c.units << " at " << c.dpi;
  for (int dpi : {96, 120, 144, 168, 192, 240}) {
    for (int units = -50; units <= 1300; ++units) {
      ASSERT_EQ(UnscaleFromDpi(ScaleToDpi(units, dpi), dpi), units) << units << " at " << dpi;
    }
  }
}

TEST(ClampStartPosition, KeepsTheWindowOnTheScreen) {
  struct Case {
    Point saved;
    Point expected;
  };
  // One screen 1280 x 1024, window 275 x 282.
  const Case cases[] = {
      {{100, 100}, {100, 100}},
      {{100, 974}, {100, 742}},     // top within 50 px of the bottom: bottom edge on the bottom
      {{100, 973}, {100, 973}},     // 51 px above the bottom: stays
      {{100, 5000}, {100, 742}},    // far below
      {{-40, -7}, {0, 0}},          // negative values become 0
      {{1005, 10}, {1005, 10}},     // right edge at 1280 - 0 would be 1280: 1005 + 275 = 1280 >= 1280
      {{1004, 10}, {1004, 10}},
      {{9000, 10}, {1005, 10}},     // far right
      {{-9000, -9000}, {0, 0}},
  };
  fakes::FakeMonitors screen;
  for (const Case& c : cases) {
    Point got = ClampStartPosition(c.saved, 275, 282, screen);
    EXPECT_EQ(got, c.expected) << c.saved.x << "," << c.saved.y;
  }
}

// Two monitors: a 1920 x 1080 primary with its task bar at the bottom, and a
// shorter one to its left, whose coordinates are negative.
fakes::FakeMonitors LeftAndPrimary() {
  return fakes::FakeMonitors({fakes::MonitorWithBar({0, 0, 1920, 1080}, fakes::Edge::kBottom, 40, true),
                              MonitorArea{{-1280, 56, 0, 1080}, {-1280, 56, 0, 1080}, false}});
}

TEST(ClampStartPosition, KeepsAPlaceOnAnyMonitorAndMovesItOffAMonitorThatIsGone) {
  struct Case {
    const char* what;
    Point saved;
    Point expected;
  };
  const Case cases[] = {
      {"on the left monitor", {-1000, 300}, {-1000, 300}},
      {"at its top left corner", {-1280, 56}, {-1280, 56}},
      {"above the shorter monitor", {-1000, 0}, {-1000, 56}},
      {"near its bottom", {-1000, 1040}, {-1000, 1080 - 282}},
      {"left of it", {-1500, 300}, {-1280, 300}},
      {"mostly on the left one", {-200, 300}, {-275, 300}},
      {"mostly on the primary", {-100, 300}, {0, 300}},
      {"over the primary's task bar", {500, 1000}, {500, 1040 - 282}},
  };
  fakes::FakeMonitors two = LeftAndPrimary();
  for (const Case& c : cases) EXPECT_EQ(ClampStartPosition(c.saved, 275, 282, two), c.expected) << c.what;

  // The left monitor is unplugged before the next start: its places come
  // to the nearest edge of the primary.
  two.Remove({-1280, 56, 0, 1080});
  EXPECT_EQ(ClampStartPosition({-1000, 300}, 275, 282, two), (Point{0, 300}));
  EXPECT_EQ(ClampStartPosition({-1000, 1040}, 275, 282, two), (Point{0, 1040 - 282}));
}

TEST(ClampStartPosition, StaysOutOfATaskBarOnAnyEdge) {
  const Rect screen{0, 0, 1280, 1024};
  struct Case {
    fakes::Edge edge;
    Point topLeft;      // for a place far up and left
    Point bottomRight;  // for a place far down and right
  };
  const Case cases[] = {
      {fakes::Edge::kLeft, {60, 0}, {1280 - 275, 1024 - 282}},
      {fakes::Edge::kTop, {0, 60}, {1280 - 275, 1024 - 282}},
      {fakes::Edge::kRight, {0, 0}, {1220 - 275, 1024 - 282}},
      {fakes::Edge::kBottom, {0, 0}, {1280 - 275, 964 - 282}},
  };
  for (const Case& c : cases) {
    fakes::FakeMonitors monitors({fakes::MonitorWithBar(screen, c.edge, 60, true)});
    EXPECT_EQ(ClampStartPosition({-500, -500}, 275, 282, monitors), c.topLeft) << static_cast<int>(c.edge);
    EXPECT_EQ(ClampStartPosition({5000, 5000}, 275, 282, monitors), c.bottomRight) << static_cast<int>(c.edge);
  }
}

TEST(ClampStartPosition, ShorterMonitorBesideThePrimaryKeepsItsOwnBottom) {
  fakes::FakeMonitors monitors({MonitorArea{{0, 0, 1920, 1080}, {0, 0, 1920, 1080}, true},
                                MonitorArea{{1920, 0, 3200, 720}, {1920, 0, 3200, 720}, false}});
  EXPECT_EQ(ClampStartPosition({2500, 300}, 275, 282, monitors), (Point{2500, 300}));
  // Within 50 px of the shorter monitor's bottom, though the primary goes on.
  EXPECT_EQ(ClampStartPosition({2500, 680}, 275, 282, monitors), (Point{2500, 720 - 282}));
  // Below it, nearer to it than to the primary.
  EXPECT_EQ(ClampStartPosition({2500, 760}, 275, 282, monitors), (Point{2500, 720 - 282}));
  EXPECT_EQ(ClampStartPosition({3100, 300}, 275, 282, monitors), (Point{3200 - 275, 300}));
}

TEST(TitleDrag, SnapsToTheLeftEdgeAndComesFreeAfterThirteenPixels) {
  fakes::FakeMonitors screen;
  TitleDrag drag;
  const int width = 275;
  drag.Begin({100, 5});
  // Window at x 40: move the cursor 28 px left -> x 12, within the snap zone.
  auto p = drag.Move({72, 5}, {40, 100}, width, screen);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->x, 0);
  // 12 px further right of where it snapped: still held.
  p = drag.Move({84, 5}, {0, 100}, width, screen);
  EXPECT_EQ(p->x, 0);
  // 13 px: free, at the offset from the snap point.
  p = drag.Move({85, 5}, {0, 100}, width, screen);
  EXPECT_EQ(p->x, 13);
}

TEST(TitleDrag, SnapsToTheRightAndTopEdges) {
  fakes::FakeMonitors screen;
  TitleDrag drag;
  const int width = 275, m = 1280 - width;
  drag.Begin({500, 300});
  auto p = drag.Move({500 + (m - 12 - 600), 300}, {600, 200}, width, screen);
  EXPECT_EQ(p->x, m);  // within 12 px of the right edge
  int anchor = 500 + (m - 12 - 600);
  p = drag.Move({anchor - 12, 300}, {m, 200}, width, screen);
  EXPECT_EQ(p->x, m);
  p = drag.Move({anchor - 13, 300}, {m, 200}, width, screen);
  EXPECT_EQ(p->x, m - 13);

  TitleDrag vertical;
  vertical.Begin({500, 300});
  p = vertical.Move({500, 300 - 191}, {400, 200}, width, screen);  // y = 9
  EXPECT_EQ(p->y, 0);
  p = vertical.Move({500, 109 + 9}, {400, 0}, width, screen);
  EXPECT_EQ(p->y, 0);
  p = vertical.Move({500, 109 + 10}, {400, 0}, width, screen);
  EXPECT_EQ(p->y, 10);
  // The bottom edge never snaps.
  TitleDrag bottom;
  bottom.Begin({500, 300});
  p = bottom.Move({500, 305}, {400, 1024 - 282 - 3}, width, screen);
  EXPECT_EQ(p->y, 1024 - 282 + 2);
}

TEST(TitleDrag, SnapsToTheWorkAreaOfTheMonitorUnderThePointer) {
  // A drag on the left monitor, whose top is 56 px lower, then on the
  // primary with its task bar at the bottom.
  fakes::FakeMonitors two = LeftAndPrimary();
  const int width = 275;
  struct Step {
    Point cursor;
    Point window;    // the window before the move
    Point expected;  // after it
  };
  const Step steps[] = {
      {{-990, 310}, {-1000, 300}, {-1000, 300}},  // the grab
      {{-1260, 310}, {-1000, 300}, {-1280, 300}},  // to the left monitor's left edge
      {{-1250, 70}, {-1280, 300}, {-1280, 56}},  // and its top, 56 px down
      {{-1200, 70}, {-1280, 56}, {-1220, 56}},  // free on the left, held at the top
      {{-10, 70}, {-1220, 56}, {-275, 56}},  // to its right edge: held there
      {{-1, 70}, {-275, 56}, {-275, 56}},
      {{10, 70}, {-275, 56}, {0, 56}},  // onto the primary: at its left edge
      {{10, 20}, {0, 56}, {0, 0}},  // its top is 0: the window snaps up there
      {{30, 1000}, {0, 0}, {20, 980}},  // down over its task bar: the bottom never snaps
  };
  TitleDrag drag;
  drag.Begin(steps[0].cursor);
  for (const Step& s : steps) {
    const auto got = drag.Move(s.cursor, s.window, width, two);
    ASSERT_TRUE(got);
    EXPECT_EQ(*got, s.expected) << s.cursor.x << "," << s.cursor.y;
  }
}

TEST(TitleDrag, CrossesToAMonitorOnTheRightAndSnapsToItsEdges) {
  fakes::FakeMonitors two({MonitorArea{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, true},
                           fakes::MonitorWithBar({1920, 0, 3200, 1024}, fakes::Edge::kRight, 48)});
  const int width = 275;
  TitleDrag drag;
  drag.Begin({1700, 10});
  auto p = drag.Move({1910, 10}, {1600, 0}, width, two);
  EXPECT_EQ(*p, (Point{1920 - 275, 0}));  // held at the primary's right edge
  p = drag.Move({1925, 10}, *p, width, two);
  EXPECT_EQ(*p, (Point{1920, 0}));  // the pointer is on the second monitor: its left edge
  p = drag.Move({1937, 10}, *p, width, two);
  EXPECT_EQ(*p, (Point{1920, 0}));
  p = drag.Move({1938, 10}, *p, width, two);
  EXPECT_EQ(*p, (Point{1933, 0}));  // 13 px from the snap: free
  p = drag.Move({3000, 10}, *p, width, two);
  EXPECT_EQ(*p, (Point{3152 - 275, 0}));  // its right edge is the task bar's
}

TEST(TitleDrag, SnapsFartherAtAHigherDpi) {
  fakes::FakeMonitors screen;
  TitleDrag drag;
  drag.Begin({100, 50}, 144);
  auto p = drag.Move({78, 50}, {40, 100}, 413, screen);  // x 18: 12 units at 150 %
  EXPECT_EQ(p->x, 0);
  p = drag.Move({96, 50}, {0, 100}, 413, screen);
  EXPECT_EQ(p->x, 0);
  p = drag.Move({97, 50}, {0, 100}, 413, screen);
  EXPECT_EQ(p->x, 19);
}

TEST(TitleDrag, MovesOnlyWhileDragging) {
  fakes::FakeMonitors screen;
  TitleDrag drag;
  EXPECT_FALSE(drag.Move({10, 10}, {100, 100}, 275, screen));
  EXPECT_FALSE(drag.End());
  drag.Begin({10, 10});
  EXPECT_TRUE(drag.Move({20, 30}, {100, 100}, 275, screen));
  EXPECT_TRUE(drag.End());
  EXPECT_FALSE(drag.Move({30, 30}, {100, 100}, 275, screen));
}

TEST(OnSizeGrip, OnlyTheCornerOfTheStatusBarCounts) {
  // Window 275 wide, status bar at 250..270 from the window's top.
  struct Case {
    Point c;
    bool expected;
  };
  const Case cases[] = {
      {{270, 260}, true}, {{259, 253}, true}, {{258, 260}, false}, {{275, 260}, false},
      {{270, 252}, false}, {{270, 270}, false}, {{100, 260}, false},
  };
  for (const Case& c : cases) EXPECT_EQ(OnSizeGrip(c.c, 275, 250, 20), c.expected) << c.c.x << "," << c.c.y;
}

TEST(ChooseActivePage, FallsBackToTheFirstPage) {
  EXPECT_EQ(ChooseActivePage(2, 3), 2);
  EXPECT_EQ(ChooseActivePage(10, 3), 0);  // the default 10 with a small file
  EXPECT_EQ(ChooseActivePage(3, 3), 0);
  EXPECT_EQ(ChooseActivePage(-1, 3), 0);
  EXPECT_EQ(ChooseActivePage(0, 0), -1);
}

TEST(ToolButtonWidth, FollowsTheDropDownButton) {
  EXPECT_EQ(ToolButtonWidth(40), 25);
  EXPECT_EQ(ToolButtonWidth(39), 26);
  EXPECT_EQ(ToolButtonWidth(37), 26);
  EXPECT_EQ(ToolButtonWidth(36), 27);
}

TEST(WheelScroll, OnlyBetweenTheToolBarAndTheBottomMargin) {
  Rect w{100, 100, 375, 400};
  EXPECT_EQ(WheelScroll({200, 200}, w, 50, 120), -60);
  EXPECT_EQ(WheelScroll({200, 200}, w, 50, -120), 60);
  EXPECT_EQ(WheelScroll({200, 200}, w, 50, 1), 0);  // rounds toward zero
  EXPECT_FALSE(WheelScroll({200, 165}, w, 50, 120));  // over the tool-bar panel
  EXPECT_TRUE(WheelScroll({200, 166}, w, 50, 120));
  EXPECT_TRUE(WheelScroll({200, 384}, w, 50, 120));
  EXPECT_FALSE(WheelScroll({200, 385}, w, 50, 120));  // within 16 px of the bottom
  EXPECT_TRUE(WheelScroll({375, 200}, w, 50, 120));   // both edges included
  EXPECT_FALSE(WheelScroll({376, 200}, w, 50, 120));
  // At 150 % the margins are 24 pixels; a notch is still three rows.
  EXPECT_EQ(WheelScroll({200, 200}, w, 50, 120, 144), -60);
  EXPECT_FALSE(WheelScroll({200, 173}, w, 50, 120, 144));
  EXPECT_TRUE(WheelScroll({200, 174}, w, 50, 120, 144));
  EXPECT_TRUE(WheelScroll({200, 376}, w, 50, 120, 144));
  EXPECT_FALSE(WheelScroll({200, 377}, w, 50, 120, 144));
}

}  // namespace
}  // namespace quiltor
