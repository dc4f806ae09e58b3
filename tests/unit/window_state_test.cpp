#include <gtest/gtest.h>

#include "window/window_state.h"

namespace quiltor {
namespace {

// A window whose resizes go through the state as the window messages do:
// CanResize before each change and Resized after it.
struct FakeWindow {
  MainWindowState state;
  int height = 282;
  bool stretchButtonShown = false;

  void ResizeTo(int newHeight) {
    state.CanResize(height, newHeight);
    height = newHeight;
    ResizeOutcome outcome = state.Resized(height);
    if (!outcome.ignored) stretchButtonShown = outcome.atShrinkHeight;
  }
  void Animate(std::optional<int> target, int resize = 5) {
    if (!target) return;
    auto steps = AnimateHeightSteps(height, *target, resize);
    state.SetAnimating(true);
    for (size_t i = 0; i < steps.size(); ++i) {
      if (i + 1 == steps.size()) state.SetAnimating(false);
      ResizeTo(steps[i]);
    }
    state.SetAnimating(false);
  }
  // Creation and the first idle moment, as the window runs them.
  void Start(int savedHeight, int minHeight, int activePage) {
    state.Configure(minHeight, 480);
    height = savedHeight;
    state.BeginTracking();
    ResizeTo(state.BeginStartup(activePage));
  }
};

TEST(MainWindowState, StartupShowsAStripThenStretchesToTheSavedHeight) {
  FakeWindow w;
  w.Start(300, 60, 2);
  EXPECT_EQ(w.height, 38);
  EXPECT_TRUE(w.state.StartupWaiting());
  EXPECT_EQ(w.state.StartupPending(), 2 + 100 * 60);
  EXPECT_EQ(w.state.SavedFullHeight(), 300);  // recorded by the resize tracking
  StartupFinish finish = w.state.FinishStartup();
  EXPECT_EQ(finish.savedActivePage, 2);
  EXPECT_EQ(finish.stretchTo, 300);
  EXPECT_EQ(w.state.ShrinkHeight(), 60);  // the configured MinHeight again
  EXPECT_FALSE(w.state.StartupWaiting());
  w.Animate(finish.stretchTo);
  EXPECT_EQ(w.height, 300);
  EXPECT_FALSE(w.stretchButtonShown);
}

// At 150 % every configured height is half as large again in pixels, the
// settings keep their units, and a move to a 200 % monitor scales the
// heights the window had.
TEST(MainWindowState, HeightsFollowTheDpiOfTheMonitor) {
  FakeWindow w;
  w.state.SetDpi(144);
  w.Start(450, 60, 2);
  EXPECT_EQ(w.height, 57) << "the 38-unit strip";
  EXPECT_EQ(w.state.StartupPending(), 2 + 100 * 60) << "the pending start keeps units";
  StartupFinish finish = w.state.FinishStartup();
  EXPECT_EQ(finish.stretchTo, 450);
  EXPECT_EQ(w.state.ShrinkHeight(), 90);
  EXPECT_EQ(w.state.ShrinkSetting(), 60);
  w.Animate(finish.stretchTo);
  std::optional<TrackLimits> limits = w.state.MinMaxInfo();
  ASSERT_TRUE(limits);
  EXPECT_EQ((std::vector<int>{limits->minWidth, limits->maxWidth, limits->minHeight, limits->maxHeight}),
            (std::vector<int>{413, 413, 90, 765}));
  EXPECT_EQ(w.state.ToolBarToggled(false, 450), 405);
  EXPECT_EQ(w.state.HeightLimit(), 720);
  EXPECT_EQ(w.state.HeightLimitSetting(), 480);
  w.ResizeTo(405);
  w.Animate(w.state.Shrink(w.height));
  EXPECT_EQ(w.height, 90);
  EXPECT_TRUE(w.stretchButtonShown);

  w.state.SetDpi(192);
  w.height = 120;  // the system scaled the window with its monitor
  EXPECT_EQ(w.state.ShrinkHeight(), 120);
  EXPECT_EQ(w.state.HeightLimit(), 960);
  w.Animate(w.state.Stretch());
  EXPECT_EQ(w.height, 540) << "405 pixels at 150 % are 540 at 200 %";
}

TEST(MainWindowState, ActivationDoesNothingWhileStartupIsPending) {
  FakeWindow w;
  w.Start(300, 38, 0);
  w.state.SetAutoSmall(true);
  ActivateOutcome outcome = w.state.Activate(false);
  EXPECT_FALSE(outcome.handled);
  EXPECT_FALSE(outcome.stretchTo);
}

TEST(MainWindowState, ShrinkAndStretchByButtonAndDoubleClick) {
  FakeWindow w;
  w.Start(282, 38, 0);
  w.Animate(w.state.FinishStartup().stretchTo);
  w.Animate(w.state.DoubleClick(/*shrinkButtonVisible=*/true, w.height));
  EXPECT_EQ(w.height, 38);
  EXPECT_TRUE(w.stretchButtonShown);
  EXPECT_EQ(w.state.SavedFullHeight(), 282);
  w.Animate(w.state.DoubleClick(false, w.height));
  EXPECT_EQ(w.height, 282);
  EXPECT_FALSE(w.stretchButtonShown);
  EXPECT_EQ(w.state.SavedFullHeight(), 0);
  // Stretch with nothing saved does nothing.
  EXPECT_FALSE(w.state.Stretch());
}

TEST(MainWindowState, AutoShrinkOnDeactivationAndStretchOnActivation) {
  struct Case {
    const char* name;
    bool autoSmall;
    bool fixed;
    bool onGrip;
    bool byHotKey;
    int heightAfterDeactivate;
    int heightAfterActivate;
  };
  const Case cases[] = {
      {"auto small", true, false, false, false, 38, 250},
      {"pointer on the size grip stays shrunk", true, false, true, false, 38, 38},
      {"hot key skips the grip test", true, false, true, true, 38, 250},
      {"fixed window never moves", true, true, false, false, 250, 250},
      {"auto small off", false, false, false, false, 250, 250},
  };
  for (const Case& c : cases) {
    FakeWindow w;
    w.Start(250, 38, 0);
    w.Animate(w.state.FinishStartup().stretchTo);
    w.state.SetAutoSmall(c.autoSmall);
    w.state.SetFixed(c.fixed);
    w.Animate(w.state.Deactivate(w.height));
    EXPECT_EQ(w.height, c.heightAfterDeactivate) << c.name;
    EXPECT_FALSE(w.state.TitleActive()) << c.name;
    if (c.byHotKey) w.state.SetActivatedByHotKey();
    ActivateOutcome outcome = w.state.Activate(c.onGrip);
    EXPECT_TRUE(outcome.handled);
    w.Animate(outcome.stretchTo);
    EXPECT_EQ(w.height, c.heightAfterActivate) << c.name;
    EXPECT_TRUE(w.state.TitleActive()) << c.name;
  }
}

TEST(MainWindowState, GripActivationForgetsTheSavedHeightSoADragStartsAfresh) {
  FakeWindow w;
  w.Start(250, 38, 0);
  w.Animate(w.state.FinishStartup().stretchTo);
  w.state.SetAutoSmall(true);
  w.Animate(w.state.Deactivate(w.height));
  w.state.Activate(true);
  EXPECT_EQ(w.state.SavedFullHeight(), 0);
  // The user drags the grip down to 200 by hand, then the tool deactivates again.
  w.ResizeTo(120);
  w.ResizeTo(200);
  EXPECT_FALSE(w.stretchButtonShown);
  w.Animate(w.state.Deactivate(w.height));
  EXPECT_EQ(w.height, 38);
  EXPECT_EQ(w.state.SavedFullHeight(), 200);
}

TEST(MainWindowState, DraggingTheGripUpToShrinkHeightRemembersTheHeightBeforeTheDrag) {
  FakeWindow w;
  w.Start(300, 38, 0);
  w.Animate(w.state.FinishStartup().stretchTo);
  // The hit test on the corner clears any old record.
  EXPECT_EQ(w.state.HitTest(kHitBottomRight, w.height), kHitBottomRight);
  w.ResizeTo(200);
  w.ResizeTo(90);
  w.ResizeTo(38);
  EXPECT_TRUE(w.stretchButtonShown);
  EXPECT_EQ(w.state.SavedFullHeight(), 300);
  w.Animate(w.state.Stretch());
  EXPECT_EQ(w.height, 300);
}

TEST(MainWindowState, OnlyTheBottomRightCornerSurvivesTheHitTest) {
  MainWindowState state;
  state.Configure(38, 480);
  for (int standard : {1, 2, 10, 11, 12, 13, 14, 15, 16, 18, -1}) {
    EXPECT_EQ(state.HitTest(standard, 200), kHitNowhere) << standard;
  }
  EXPECT_EQ(state.HitTest(kHitBottomRight, 200), kHitBottomRight);
}

TEST(MainWindowState, TrackLimitsFollowShrinkHeightAndTheToolBar) {
  MainWindowState state;
  state.Configure(60, 480);
  auto limits = state.MinMaxInfo();
  ASSERT_TRUE(limits);
  EXPECT_EQ(limits->minWidth, 275);
  EXPECT_EQ(limits->maxWidth, 275);
  EXPECT_EQ(limits->minHeight, 60);
  EXPECT_EQ(limits->maxHeight, 510);
  EXPECT_EQ(state.ToolBarToggled(false, 300), 270);
  EXPECT_EQ(state.MinMaxInfo()->maxHeight, 480);
  EXPECT_EQ(state.ToolBarToggled(true, 270), 300);
  EXPECT_EQ(state.MinMaxInfo()->maxHeight, 510);

  MainWindowState hidden;
  hidden.Configure(38, 480);
  hidden.ApplyToolBarAtStart(false);
  EXPECT_EQ(hidden.HeightLimit(), 480);
  hidden.SetShrinkHeight(0);
  EXPECT_FALSE(hidden.MinMaxInfo());
}

TEST(MainWindowState, ResizesDuringTheAnimationAreNotTracked) {
  MainWindowState state;
  state.Configure(38, 480);
  state.BeginTracking();
  state.SetAnimating(true);
  state.CanResize(300, 200);
  EXPECT_EQ(state.UserShrink(), 0);
  EXPECT_TRUE(state.Resized(38).ignored);
  EXPECT_EQ(state.SavedFullHeight(), 0);
}

TEST(MainWindowState, NothingIsRecordedBeforeCreationStartsTheTracking) {
  MainWindowState state;
  state.Configure(38, 480);
  state.CanResize(300, 38);
  EXPECT_TRUE(state.Resized(38).atShrinkHeight);
  EXPECT_EQ(state.SavedFullHeight(), 0);  // never -1
}

}  // namespace
}  // namespace quiltor
