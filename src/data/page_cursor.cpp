#include "data/page_cursor.h"

namespace quiltor {

namespace {

const std::vector<CursorButtonState>& Column(const CursorView& view, int column) {
  return column == kRightColumn ? view.right : view.left;
}

bool IsEnabled(const std::vector<CursorButtonState>& column, int row) {
  return row >= 0 && row < static_cast<int>(column.size()) && column[row].enabled;
}

bool IsVisible(const std::vector<CursorButtonState>& column, int row) {
  return row >= 0 && row < static_cast<int>(column.size()) && column[row].visible;
}

void MoveUp(const PageCursor& cursor, const CursorView& view, bool ctrl, CursorOutcome& out) {
  const int r = cursor.row;
  if (r <= 0) return;
  int step = 0;
  for (int i = 1; i <= r; ++i) {
    if (IsEnabled(view.left, r - i)) {
      step = i;
      break;
    }
  }
  if (step == 0) return;
  // Scroll only when the new row would sit at or above the top of the view.
  if (ctrl || view.scrollPosition >= kCursorRowHeight * (r - step) - kCursorUpMargin) {
    out.scrollDelta = -kCursorRowHeight * step;
  }
  out.unmark = ButtonPlace{r, cursor.column};
  out.mark = ButtonPlace{r - step, kLeftColumn};
  out.cursor = PageCursor{r - step, kLeftColumn};
}

void MoveDown(const PageCursor& cursor, const CursorView& view, bool ctrl, CursorOutcome& out) {
  const int r = cursor.row;
  const int leftCount = static_cast<int>(view.left.size());
  if (r >= leftCount - 1 || !IsVisible(Column(view, cursor.column), r + 1)) return;
  int step = 0;
  for (int i = 1; r + i < leftCount; ++i) {
    if (IsEnabled(view.left, r + i)) {
      step = i;
      break;
    }
  }
  if (step == 0) return;
  // A cursor placed for the first time neither scrolls nor unmarks anything.
  if (r >= 0) {
    if (ctrl || kCursorRowHeight * (r + step) + kCursorDownMargin >= view.scrollPosition + view.boxHeight) {
      out.scrollDelta = kCursorRowHeight * step;
    }
    out.unmark = ButtonPlace{r, cursor.column};
  }
  out.mark = ButtonPlace{r + step, kLeftColumn};
  out.cursor = PageCursor{r + step, kLeftColumn};
}

}  // namespace

CursorOutcome MovePageCursor(const PageCursor& cursor, const CursorView& view, CursorKey key,
                             CursorModifiers modifiers) {
  CursorOutcome out;
  out.cursor = cursor;
  switch (key) {
    case CursorKey::kEnter:
      if (cursor.row != -1) out.fire = ButtonPlace{cursor.row, cursor.column};
      break;
    case CursorKey::kLeft:
      if (modifiers.shift) {
        if (view.pageIndex > 0) out.activatePage = view.pageIndex - 1;
      } else if (cursor.column == kRightColumn && cursor.row != -1) {
        out.unmark = ButtonPlace{cursor.row, kRightColumn};
        out.mark = ButtonPlace{cursor.row, kLeftColumn};
        out.cursor.column = kLeftColumn;
      }
      break;
    case CursorKey::kRight:
      if (modifiers.shift) {
        if (view.pageIndex + 1 < view.pageCount) out.activatePage = view.pageIndex + 1;
      } else if (cursor.column == kLeftColumn && cursor.row != -1 && IsEnabled(view.right, cursor.row)) {
        out.unmark = ButtonPlace{cursor.row, kLeftColumn};
        out.mark = ButtonPlace{cursor.row, kRightColumn};
        out.cursor.column = kRightColumn;
      }
      break;
    case CursorKey::kUp:
      if (modifiers.shift) {
        out.scrollDelta = -kCursorRowHeight;
      } else {
        MoveUp(cursor, view, modifiers.ctrl, out);
      }
      break;
    case CursorKey::kDown:
      if (modifiers.shift) {
        out.scrollDelta = kCursorRowHeight;
      } else {
        MoveDown(cursor, view, modifiers.ctrl, out);
      }
      break;
  }
  return out;
}

}  // namespace quiltor
