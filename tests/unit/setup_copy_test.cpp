// The settings dialog's private copy: what it shows when it opens, how its
// number boxes, key groups and enabled states follow the control values, and
// where the dialog and the main window are placed.
#include "settings/setup_copy.h"

#include <gtest/gtest.h>

#include "fakes/settings_builder.h"

namespace quiltor {
namespace {

constexpr int kF1 = 38, kA = 0, kZero = 35, kC = 2, kX = 23, kV = 21, kIns = 36, kDel = 37;

TEST(SetupKeysTest, DirectKeysComposeAndDecode) {
  struct Case {
    KeyGroups keys;
    std::int32_t packed;
  };
  const Case cases[] = {
      {{{false, false, true, kF1}, {false, false, false, kA}, {true, true, false, kZero}}, 538100435},
      {{{true, false, false, kC}, {true, false, false, kX}, {true, false, false, kV}}, 202223221},
      {{{true, false, false, kIns}, {false, true, false, kDel}, {false, true, false, kIns}}, 236337336},
      {{{true, true, true, 49}, {true, true, true, 25}, {false, false, false, 26}}, 849825126},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ComposeKeys(c.keys), c.packed);
    EXPECT_EQ(DecodeKeys(c.packed), c.keys) << c.packed;
  }
  // A damaged value shows as plain "A" keys instead of indexing past the list.
  EXPECT_EQ(DecodeKeys(999999999).copy, KeyChoice{});
}

TEST(SetupKeysTest, StandardButtonsFillTheKeyControlsAndDirectKeepsThem) {
  CutPasteGroup group;
  group.Load(538100435);
  EXPECT_EQ(group.button, kDirectKeys);
  EXPECT_TRUE(group.KeysUsable());
  EXPECT_EQ(ComposeKeys(group.keys), 538100435);
  group.Choose(kStandard2);
  EXPECT_FALSE(group.KeysUsable());
  EXPECT_EQ(ComposeKeys(group.keys), 236337336);
  group.Choose(kDirectKeys);
  EXPECT_EQ(ComposeKeys(group.keys), 236337336);
  group.Choose(kStandard1);
  EXPECT_EQ(ComposeKeys(group.keys), 202223221);
  group.Load(236337336);
  EXPECT_EQ(group.button, kStandard2);
}

TEST(SetupSpinTest, BufferSizesSnapToPowersOfTwo) {
  struct Case {
    std::int64_t typed;
    int size;
  };
  const Case cases[] = {{3000, 4096}, {100, 256}, {256, 256}, {257, 512}, {16385, 32768},
                        {99999, 32768}, {-5, 256}, {1024, 1024}};
  for (const Case& c : cases) {
    SetupCopy copy;
    copy.Type(SetupSpin::kBufSize1, c.typed);
    EXPECT_EQ(copy.bufSize1, c.size) << c.typed;
  }
  SetupCopy copy;
  copy.Type(SetupSpin::kBufSize2, 1024);
  copy.Spin(SetupSpin::kBufSize2, +1);
  EXPECT_EQ(copy.bufSize2, 2048);
  EXPECT_EQ(copy.Range(SetupSpin::kBufSize2).step, 1024);
  copy.Spin(SetupSpin::kBufSize2, -1);
  copy.Spin(SetupSpin::kBufSize2, -1);
  EXPECT_EQ(copy.bufSize2, 512);
  copy.Type(SetupSpin::kBufSize2, 32768);
  copy.Spin(SetupSpin::kBufSize2, +1);
  EXPECT_EQ(copy.bufSize2, 32768);
}

TEST(SetupSpinTest, NumberBoxesKeepToTheirRanges) {
  struct Case {
    SetupSpin spin;
    std::int64_t typed;
    int value;
  };
  const Case cases[] = {
      {SetupSpin::kTimer, 5, 10},        {SetupSpin::kTimer, 4000, 3000},
      {SetupSpin::kTimerEZ, 20000, 10000}, {SetupSpin::kResize, -1, 0},
      {SetupSpin::kOpenFiles, 2, 4},      {SetupSpin::kOpenFiles, 21, 20},
      {SetupSpin::kIntervalEZ, 3001, 3000}, {SetupSpin::kInterval, -10, 0},
      {SetupSpin::kInterval, 7, 7},
  };
  for (const Case& c : cases) {
    SetupCopy copy;
    copy.Type(c.spin, c.typed);
    EXPECT_EQ(copy.Value(c.spin), c.value) << static_cast<int>(c.spin) << " " << c.typed;
  }
  SetupCopy copy;
  copy.Type(SetupSpin::kTimer, 100);
  copy.Spin(SetupSpin::kTimer, +1);
  copy.Spin(SetupSpin::kTimerEZ, -1);
  copy.Spin(SetupSpin::kIntervalEZ, +1);
  EXPECT_EQ(copy.timer, 110);
  EXPECT_EQ(copy.timerEZ, 1900);
  EXPECT_EQ(copy.intervalEZ, 5);
}

TEST(SetupSpinTest, MinimumHeightNeverPassesTheMaximum) {
  SetupCopy copy;
  copy.Type(SetupSpin::kMaxHeight, 200);
  copy.Type(SetupSpin::kMinHeight, 300);
  EXPECT_EQ(copy.minHeight, 200);
  copy.Type(SetupSpin::kMaxHeight, 100);
  EXPECT_EQ(copy.maxHeight, 200);
  copy.Type(SetupSpin::kMaxHeight, 5000);
  EXPECT_EQ(copy.maxHeight, 1200);
  copy.Spin(SetupSpin::kMinHeight, -1);
  EXPECT_EQ(copy.minHeight, 199);
}

TEST(SetupCopyTest, OpensWithTheSettingsAndTheMainWindowFacts) {
  AppSettings s = fakes::SettingsBuilder()
                      .Kind("txt",
                            [](FileKind& k) {
                              k.extName = "T";
                              k.editerPath = "ed.exe";
                              k.programNo = 2;
                            })
                      .Program("A", "a.exe", "%f")
                      .Program("B", "b.exe", "%f");
  s.timer = 200;
  s.timerEZ = 500;
  s.resize = 3;
  s.openFiles = 6;
  s.makeNew = true;
  s.changeMode = 0;
  s.closeMode = 2;
  s.fileFilter = "A|*.a||B|*.b||";
  s.fileFilterC = "01";
  s.lineEnd = "\n";
  s.hotKeyR = true;
  s.hotKeyR1 = 6;
  s.hotKeyR2 = 'W';
  s.modeDelivery[kSimpleMode] = {1, 40, 538100435};
  s.Common().editerPath = "common.exe";
  const MainWindowFacts facts{50, 400, true, 2048, 512, true};

  const SetupCopy copy(s, facts);
  EXPECT_EQ(copy.minHeight, 50);
  EXPECT_EQ(copy.maxHeight, 400);
  EXPECT_EQ(copy.timer, 200);
  EXPECT_EQ(copy.timerEZ, 500);
  EXPECT_EQ(copy.resize, 3);
  EXPECT_EQ(copy.openFiles, 6);
  EXPECT_TRUE(copy.makeNew);
  EXPECT_TRUE(copy.library);
  EXPECT_EQ(copy.changeMode, 0);
  EXPECT_EQ(copy.closeMode, 2);
  EXPECT_EQ(copy.filters.FileFilterC(), "01");
  EXPECT_EQ(copy.crlf, 1);
  EXPECT_EQ(copy.bufSize1, 2048);
  EXPECT_EQ(copy.bufSize2, 512);
  EXPECT_TRUE(copy.hotKeyR.on);
  EXPECT_EQ(copy.hotKeyR.modifiers, 6);
  EXPECT_EQ(copy.hotKeyR.text, "W");
  EXPECT_FALSE(copy.hotKeyA.on);
  EXPECT_EQ(copy.hotKeyA.text, "A");
  EXPECT_EQ(copy.pasteKindEZ, 1);
  EXPECT_EQ(copy.intervalEZ, 40);
  EXPECT_EQ(copy.cutPasteEZ.button, kDirectKeys);
  EXPECT_EQ(ComposeKeys(copy.cutPasteEZ.keys), 538100435);
  EXPECT_EQ(copy.kinds.Shown(), 0u);
  EXPECT_EQ(copy.linked.editerPath, "common.exe");
  EXPECT_EQ(copy.programs.Count(), 2u);
  EXPECT_EQ(copy.DefaultProgramItem(), 0u);
}

TEST(SetupCopyTest, DefaultProgramBelongsToTheKindChosenOnTheProgramTab) {
  const AppSettings s = fakes::SettingsBuilder()
                            .Kind("", [](FileKind& k) { k.programNo = 2; })
                            .Program("A", "a.exe")
                            .Program("B", "b.exe");
  SetupCopy copy(s, {});
  copy.fileKindItem = 1;
  EXPECT_EQ(copy.DefaultProgramItem(), 2u);
  // Rows are positions: deleting one leaves the number as it is, and the
  // box shows nothing for a number past the rows.
  copy.programs.Select(0);
  copy.programs.Delete();
  EXPECT_EQ(copy.DefaultProgramItem(), std::nullopt);
  EXPECT_EQ(copy.kinds.Kinds()[1].programNo, 2);
  copy.SetDefaultProgram(1);
  EXPECT_EQ(copy.kinds.Kinds()[1].programNo, 1);
  EXPECT_EQ(copy.kinds.Kinds()[0].programNo, 0);
}

TEST(SetupCopyTest, EnabledStatesFollowTheControlValues) {
  SetupCopy copy;
  copy.pasteKindEZ = 0;
  copy.cutPasteEZ.Choose(kDirectKeys);
  SetupEnables e = copy.Enables();
  EXPECT_FALSE(e.intervalEZ);
  EXPECT_FALSE(e.cutPasteButtonsEZ);
  EXPECT_FALSE(e.keyGroupsEZ);
  copy.pasteKindEZ = 1;
  e = copy.Enables();
  EXPECT_TRUE(e.intervalEZ);
  EXPECT_TRUE(e.cutPasteButtonsEZ);
  EXPECT_TRUE(e.keyGroupsEZ);
  copy.cutPasteEZ.Choose(kStandard1);
  EXPECT_FALSE(copy.Enables().keyGroupsEZ);

  EXPECT_FALSE(copy.Enables().interval);
  copy.linked.pasteKind = 1;
  EXPECT_TRUE(copy.Enables().interval);
  EXPECT_TRUE(copy.Enables().radioGroupCutPaste);
  EXPECT_FALSE(copy.Enables().editClassName2);
  copy.linked.className2Ticked = true;
  EXPECT_TRUE(copy.Enables().editClassName2);

  copy.hotKeyA.on = true;
  EXPECT_TRUE(copy.Enables().hotKeyABoxes);
  EXPECT_FALSE(copy.Enables().hotKeyRBoxes);

  copy.programFields.path = "  ";
  EXPECT_FALSE(copy.Enables().programSet);
  copy.programFields.path = "x.exe";
  EXPECT_TRUE(copy.Enables().programSet);
  EXPECT_FALSE(copy.Enables().programCancel);
  copy.programs.Add(copy.programFields);
  copy.programs.EnterEdit(0);
  EXPECT_TRUE(copy.Enables().programCancel);
  EXPECT_FALSE(copy.Enables().programList);
}

TEST(SetupCopyTest, HotKeyLetterIsAnUpperCaseLetterOrThePreviousOne) {
  struct Case {
    Bytes text;
    char letter;
  };
  const Case cases[] = {{"W", 'W'}, {"w", 'W'}, {"Wx", 'W'}, {"", 'Q'}, {"1", 'Q'}, {"\x82\x60", 'Q'}};
  for (const Case& c : cases) {
    HotKeyBox box;
    box.letter = 'Q';
    box.text = c.text;
    EXPECT_EQ(box.Letter(), c.letter) << c.text;
  }
}

TEST(SetupCopyTest, DetectedKeysAreStoredInTheShownKind) {
  SetupCopy copy(fakes::SettingsBuilder().Kind(""), {});
  copy.ShowKind(1);
  copy.StoreDetectedKeys(236337336);
  EXPECT_EQ(copy.linked.cutPaste, 1);
  EXPECT_EQ(copy.kinds.Kinds()[1].cutPasteKey, 236337336);
  copy.StoreDetectedKeys(538100435);
  EXPECT_EQ(copy.linked.cutPaste, 2);
  EXPECT_EQ(copy.ShownKindKeys(), 538100435);
  copy.ShowKind(0);
  EXPECT_EQ(copy.kinds.Kinds()[1].cutPasteKey, 538100435);
}

TEST(SetupPlacementTest, DialogStaysOnTheScreenAndTheMainWindowFollowsIt) {
  constexpr int kScreen = 1280, kWidth = 462;
  struct Case {
    Point main;
    DialogPlacement placed;
  };
  const Case cases[] = {
      {{0, 10}, {0, 10, -100}},
      {{300, 20}, {200, 20, 0}},
      {{1200, 0}, {kScreen - kWidth, 0, 1100 + kWidth - kScreen}},
  };
  for (const Case& c : cases) {
    const DialogPlacement placed = PlaceSetupDialog(c.main, kWidth, Rect{0, 0, kScreen, 1024});
    EXPECT_EQ(placed, c.placed) << c.main.x;
    // Not moved: the main window goes back where it was.
    EXPECT_EQ(MainPositionAfterSetup({placed.left, placed.top}, placed.clampOffset), c.main);
    // Moved 50 pixels right: the main window moves as far.
    EXPECT_EQ(MainPositionAfterSetup({placed.left + 50, placed.top + 7}, placed.clampOffset),
              (Point{c.main.x + 50, c.main.y + 7}));
  }
  const DialogPlacement detection = ClampToScreen(-30, 5, 528, Rect{0, 0, kScreen, 1024});
  EXPECT_EQ(PositionAfterDetection({detection.left, detection.top}, detection.clampOffset), (Point{-30, 5}));
  // On a monitor left of the primary, with a task bar on its left edge: the
  // dialog stays on that monitor, clear of the bar.
  const Rect left{-1220, 0, 0, 1024};
  const DialogPlacement onLeft = PlaceSetupDialog({-1200, 40}, kWidth, left);
  EXPECT_EQ(onLeft, (DialogPlacement{-1220, 40, -80}));
  EXPECT_EQ(MainPositionAfterSetup({onLeft.left, onLeft.top}, onLeft.clampOffset), (Point{-1200, 40}));
  EXPECT_EQ(PlaceSetupDialog({-300, 40}, kWidth, left), (DialogPlacement{-kWidth, 40, -400 + kWidth}));
  EXPECT_EQ(CenterOn({100, 100, 563, 480}, 359, 231), (Point{152, 175}));
}

}  // namespace
}  // namespace quiltor
