#include <gtest/gtest.h>

#include "window/geometry.h"

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

TEST(ClampStartPosition, KeepsTheWindowOnTheScreen) {
  struct Case {
    Point saved;
    Point expected;
  };
  // Screen 1280 x 1024, window 275 x 282.
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
  for (const Case& c : cases) {
    Point got = ClampStartPosition(c.saved, 275, 282, 1280, 1024);
    EXPECT_EQ(got, c.expected) << c.saved.x << "," << c.saved.y;
  }
}

TEST(TitleDrag, SnapsToTheLeftEdgeAndComesFreeAfterThirteenPixels) {
  TitleDrag drag;
  const int screen = 1280, width = 275;
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
  TitleDrag drag;
  const int screen = 1280, width = 275, m = screen - width;
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

TEST(TitleDrag, MovesOnlyWhileDragging) {
  TitleDrag drag;
  EXPECT_FALSE(drag.Move({10, 10}, {100, 100}, 275, 1280));
  EXPECT_FALSE(drag.End());
  drag.Begin({10, 10});
  EXPECT_TRUE(drag.Move({20, 30}, {100, 100}, 275, 1280));
  EXPECT_TRUE(drag.End());
  EXPECT_FALSE(drag.Move({30, 30}, {100, 100}, 275, 1280));
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
}

}  // namespace
}  // namespace quiltor
