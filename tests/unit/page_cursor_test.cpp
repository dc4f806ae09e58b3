#include "data/page_cursor.h"

#include <gtest/gtest.h>

#include <string>

namespace quiltor {
namespace {

// A page drawn as text: one letter per button, 'e' enabled, 'd' disabled,
// 'h' hidden (and enabled). The last left letter is usually the end marker.
CursorView Page(const std::string& left, const std::string& right, int scroll = 0, int height = 200) {
  CursorView view;
  auto column = [](const std::string& text) {
    std::vector<CursorButtonState> buttons;
    for (char c : text) buttons.push_back({c != 'd', c != 'h'});
    return buttons;
  };
  view.left = column(left);
  view.right = column(right);
  view.scrollPosition = scroll;
  view.boxHeight = height;
  return view;
}

std::optional<ButtonPlace> At(int row, int column) { return ButtonPlace{row, column}; }
constexpr std::optional<ButtonPlace> kNothing = std::nullopt;

struct Case {
  const char* what;
  PageCursor cursor;
  CursorView view;
  CursorKey key;
  CursorModifiers modifiers;
  PageCursor after;
  std::optional<ButtonPlace> unmark;
  std::optional<ButtonPlace> mark;
  int scroll;
};

void Check(const Case& c) {
  SCOPED_TRACE(c.what);
  const CursorOutcome out = MovePageCursor(c.cursor, c.view, c.key, c.modifiers);
  EXPECT_EQ(out.cursor, c.after);
  EXPECT_EQ(out.unmark, c.unmark);
  EXPECT_EQ(out.mark, c.mark);
  EXPECT_EQ(out.scrollDelta, c.scroll);
  EXPECT_FALSE(out.fire);
  EXPECT_FALSE(out.activatePage);
}

constexpr CursorModifiers kPlain{};
constexpr CursorModifiers kCtrl{false, true};
constexpr CursorModifiers kShift{true, false};

TEST(PageCursor, DownPlacesAndMovesTheCursorInTheLeftColumn) {
  const Case cases[] = {
      {"first Down marks the first enabled left button and does not scroll", {-1, 0},
       Page("ddeeed", "eeeeed", 0, 20), CursorKey::kDown, kPlain, {2, 0}, kNothing, At(2, 0), 0},
      {"Down skips disabled rows", {0, 0}, Page("eddeed", "eeeeed"), CursorKey::kDown, kPlain, {3, 0},
       At(0, 0), At(3, 0), 0},
      {"Down from the right column lands left", {1, 1}, Page("eeeed", "eeeed"), CursorKey::kDown, kPlain,
       {2, 0}, At(1, 1), At(2, 0), 0},
      {"Down on the last enabled row does nothing", {2, 0}, Page("eeed", "eeed"), CursorKey::kDown, kPlain,
       {2, 0}, kNothing, kNothing, 0},
      {"Down on the last button does nothing", {3, 0}, Page("eeee", "eeee"), CursorKey::kDown, kPlain, {3, 0},
       kNothing, kNothing, 0},
      {"Down when the next button of the column is hidden does nothing", {0, 1}, Page("eeed", "ehed"),
       CursorKey::kDown, kPlain, {0, 1}, kNothing, kNothing, 0},
      {"Down with no enabled button does nothing", {-1, 0}, Page("dddd", "dddd"), CursorKey::kDown, kPlain,
       {-1, 0}, kNothing, kNothing, 0},
      // 20 * 4 + 35 = 115 reaches the bottom of a 100-pixel view at position 15.
      {"Down scrolls when the new row is near the bottom", {3, 0}, Page("eeeeeeed", "eeeeeeed", 15, 100),
       CursorKey::kDown, kPlain, {4, 0}, At(3, 0), At(4, 0), 20},
      {"Down keeps the view when the new row is well inside", {3, 0}, Page("eeeeeeed", "eeeeeeed", 16, 100),
       CursorKey::kDown, kPlain, {4, 0}, At(3, 0), At(4, 0), 0},
      {"Down scrolls by the rows it skips", {0, 0}, Page("edddeed", "eeeeeed", 0, 40), CursorKey::kDown, kPlain,
       {4, 0}, At(0, 0), At(4, 0), 80},
      {"Ctrl+Down always scrolls", {0, 0}, Page("eeed", "eeed", 0, 400), CursorKey::kDown, kCtrl, {1, 0},
       At(0, 0), At(1, 0), 20},
      {"Shift+Down only scrolls", {1, 0}, Page("eeed", "eeed"), CursorKey::kDown, kShift, {1, 0}, kNothing,
       kNothing, 20},
  };
  for (const Case& c : cases) Check(c);
}

TEST(PageCursor, UpMovesToTheNearestEnabledRowAbove) {
  const Case cases[] = {
      {"Up when all buttons above are disabled leaves the cursor", {3, 1}, Page("dddeed", "eeeeed", 0),
       CursorKey::kUp, kPlain, {3, 1}, kNothing, kNothing, 0},
      {"Up on row 0 does nothing", {0, 0}, Page("eed", "eed"), CursorKey::kUp, kPlain, {0, 0}, kNothing,
       kNothing, 0},
      {"Up without a cursor does nothing", {-1, 0}, Page("eed", "eed"), CursorKey::kUp, kPlain, {-1, 0},
       kNothing, kNothing, 0},
      {"Up skips disabled rows and lands left", {4, 1}, Page("eedded", "eeeeed", 0), CursorKey::kUp, kPlain,
       {1, 0}, At(4, 1), At(1, 0), 0},
      // The new row 5 starts at 100; a position of 95 or more means it is at the top edge or above.
      {"Up scrolls when the new row is at the top of the view", {6, 0}, Page("eeeeeeeed", "eeeeeeeed", 95),
       CursorKey::kUp, kPlain, {5, 0}, At(6, 0), At(5, 0), -20},
      {"Up keeps the view when the new row is visible", {6, 0}, Page("eeeeeeeed", "eeeeeeeed", 94),
       CursorKey::kUp, kPlain, {5, 0}, At(6, 0), At(5, 0), 0},
      {"Up scrolls by the rows it skips", {6, 0}, Page("eeeedded", "eeeeeeed", 200), CursorKey::kUp, kPlain,
       {3, 0}, At(6, 0), At(3, 0), -60},
      {"Ctrl+Up always scrolls", {2, 0}, Page("eeed", "eeed", 0), CursorKey::kUp, kCtrl, {1, 0}, At(2, 0),
       At(1, 0), -20},
      {"Shift+Up only scrolls", {2, 0}, Page("eeed", "eeed", 40), CursorKey::kUp, kShift, {2, 0}, kNothing,
       kNothing, -20},
  };
  for (const Case& c : cases) Check(c);
}

TEST(PageCursor, LeftAndRightSwitchColumnsOnTheSameRow) {
  const Case cases[] = {
      {"Right onto an enabled right button", {1, 0}, Page("eeed", "eeed"), CursorKey::kRight, kPlain, {1, 1},
       At(1, 0), At(1, 1), 0},
      {"Right onto a disabled right button does nothing", {1, 0}, Page("eeed", "eded"), CursorKey::kRight,
       kPlain, {1, 0}, kNothing, kNothing, 0},
      {"Right when already right does nothing", {1, 1}, Page("eeed", "eeed"), CursorKey::kRight, kPlain,
       {1, 1}, kNothing, kNothing, 0},
      {"Right without a cursor does nothing", {-1, 0}, Page("eeed", "eeed"), CursorKey::kRight, kPlain,
       {-1, 0}, kNothing, kNothing, 0},
      {"Left back to the left column", {2, 1}, Page("eeed", "eeed"), CursorKey::kLeft, kPlain, {2, 0},
       At(2, 1), At(2, 0), 0},
      {"Left when already left does nothing", {2, 0}, Page("eeed", "eeed"), CursorKey::kLeft, kPlain, {2, 0},
       kNothing, kNothing, 0},
  };
  for (const Case& c : cases) Check(c);
}

TEST(PageCursor, ShiftLeftAndRightTurnPagesWithinTheFile) {
  CursorView view = Page("ed", "ed");
  view.pageCount = 3;
  struct PageCase {
    int page;
    CursorKey key;
    std::optional<int> activated;
  };
  const PageCase cases[] = {
      {0, CursorKey::kLeft, std::nullopt},
      {1, CursorKey::kLeft, 0},
      {1, CursorKey::kRight, 2},
      {2, CursorKey::kRight, std::nullopt},
  };
  for (const PageCase& c : cases) {
    view.pageIndex = c.page;
    const CursorOutcome out = MovePageCursor({0, 0}, view, c.key, kShift);
    EXPECT_EQ(out.activatePage, c.activated) << c.page;
    EXPECT_EQ(out.cursor, (PageCursor{0, 0}));
    EXPECT_FALSE(out.mark);
  }
}

TEST(PageCursor, EnterFiresTheButtonUnderTheCursor) {
  const CursorView view = Page("eeed", "eeed");
  EXPECT_EQ(MovePageCursor({2, 1}, view, CursorKey::kEnter, kPlain).fire, At(2, 1));
  EXPECT_FALSE(MovePageCursor({-1, 0}, view, CursorKey::kEnter, kPlain).fire);
}

}  // namespace
}  // namespace quiltor
