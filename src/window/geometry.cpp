#include "window/geometry.h"

#include <cstdlib>

namespace quiltor {

std::vector<int> AnimateHeightSteps(int current, int target, int resize) {
  std::vector<int> heights;
  int diff = std::abs(current - target);
  if (diff == 0) return heights;
  if (resize < 0) resize = 0;
  int step = diff / (resize + 1);
  if (step < 1) step = 1;
  int direction = target > current ? 1 : -1;
  int height = current;
  while (diff > 0) {
    diff -= step;
    if (diff > 0) {
      height += direction * step;
    } else {
      height = target;
    }
    heights.push_back(height);
  }
  return heights;
}

Point ClampStartPosition(Point saved, int width, int height, int screenWidth, int screenHeight) {
  Point p = saved;
  if (p.y >= screenHeight - 50) p.y = screenHeight - height;
  if (p.y < 0) p.y = 0;
  if (p.x + width >= screenWidth) p.x = screenWidth - width;
  if (p.x < 0) p.x = 0;
  return p;
}

void TitleDrag::Begin(Point cursor) {
  dragging_ = true;
  last_ = cursor;
  anchorLeft_ = anchorRight_ = anchorTop_ = -1;
}

std::optional<Point> TitleDrag::Move(Point p, Point window, int windowWidth, int screenWidth) {
  if (!dragging_) return std::nullopt;
  Point q = last_;
  last_ = p;
  int x;
  if (anchorLeft_ == -1) {
    x = window.x + (p.x - q.x);
    if (x <= kSnapLeft) {
      x = 0;
      anchorLeft_ = p.x;
    }
  } else {
    int o = p.x - anchorLeft_;
    if (o > kSnapLeft) {
      anchorLeft_ = -1;
      x = o;
    } else {
      x = 0;
    }
  }
  int m = screenWidth - windowWidth;
  if (anchorRight_ == -1) {
    if (x >= m - kSnapRight) {
      x = m;
      anchorRight_ = p.x;
    }
  } else {
    int o = p.x - anchorRight_;
    if (o < -kSnapRight) {
      anchorRight_ = -1;
      x = m + o;
    } else {
      x = m;
    }
  }
  int y;
  if (anchorTop_ == -1) {
    y = window.y + (p.y - q.y);
    if (y <= kSnapTop) {
      y = 0;
      anchorTop_ = p.y;
    }
  } else {
    int o = p.y - anchorTop_;
    if (o > kSnapTop) {
      anchorTop_ = -1;
      y = o;
    } else {
      y = 0;
    }
  }
  return Point{x, y};
}

bool TitleDrag::End() {
  bool was = dragging_;
  dragging_ = false;
  return was;
}

bool OnSizeGrip(Point c, int windowWidth, int statusBarTop, int statusBarHeight) {
  return c.x > windowWidth - 17 && c.x < windowWidth && c.y > statusBarTop + 2 &&
         c.y < statusBarTop + statusBarHeight;
}

int ToolButtonWidth(int dropDownButtonWidth) {
  if (dropDownButtonWidth >= 40) return 25;
  if (dropDownButtonWidth < 37) return 27;
  return 26;
}

int StartHeight(int savedHeight, int shrinkHeight, int heightLimit) {
  if (savedHeight > shrinkHeight) return savedHeight;
  return kDefaultHeight > shrinkHeight ? kDefaultHeight : heightLimit;
}

int ChooseActivePage(int savedPage, int pageCount) {
  if (pageCount <= 0) return -1;
  if (savedPage < 0 || savedPage >= pageCount) return 0;
  return savedPage;
}

std::optional<int> WheelScroll(Point c, const Rect& w, int toolBarPanelHeight, int wheelDelta) {
  if (c.x < w.left || c.x > w.right) return std::nullopt;
  if (c.y < w.top + toolBarPanelHeight + 16 || c.y > w.bottom - 16) return std::nullopt;
  return -(wheelDelta / 2);
}

}  // namespace quiltor
