#pragma once
// The keyboard cursor over the buttons of one data page: arrow keys move it,
// Enter fires the button under it. Pure logic; the window applies the result.
#include <optional>
#include <vector>

namespace quiltor {

inline constexpr int kLeftColumn = 0;
inline constexpr int kRightColumn = 1;
inline constexpr int kCursorRowHeight = 20;
// Down keeps this margin below the new row; Up scrolls when the new row is
// within this distance of the top of the view, or above it.
inline constexpr int kCursorDownMargin = 35;
inline constexpr int kCursorUpMargin = 5;

struct PageCursor {
  int row = -1;  // −1: no cursor yet
  int column = kLeftColumn;
  friend bool operator==(const PageCursor&, const PageCursor&) = default;
};

struct CursorButtonState {
  bool enabled = true;
  bool visible = true;
};

// What the handler needs to know about the active page, at the moment of the key.
struct CursorView {
  std::vector<CursorButtonState> left;   // every button of the left column, end marker included
  std::vector<CursorButtonState> right;  // the same for the right column
  int scrollPosition = 0;
  int boxHeight = 0;   // height of the visible part of the scroll box
  int pageIndex = 0;   // the active page
  int pageCount = 1;
};

enum class CursorKey { kUp, kDown, kLeft, kRight, kEnter };

struct CursorModifiers {
  bool shift = false;
  bool ctrl = false;
};

struct ButtonPlace {
  int row = 0;
  int column = kLeftColumn;
  friend bool operator==(const ButtonPlace&, const ButtonPlace&) = default;
};

struct CursorOutcome {
  PageCursor cursor;                 // the cursor after the key
  std::optional<ButtonPlace> unmark;
  std::optional<ButtonPlace> mark;
  int scrollDelta = 0;               // added to the scroll position (the box clamps it)
  std::optional<int> activatePage;   // Shift+Left / Shift+Right
  std::optional<ButtonPlace> fire;   // Enter: drop the menu down or click the button
};

CursorOutcome MovePageCursor(const PageCursor& cursor, const CursorView& view, CursorKey key,
                             CursorModifiers modifiers);

}  // namespace quiltor
