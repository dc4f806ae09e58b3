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

Point ClampStartPosition(Point saved, int width, int height, Monitors& monitors) {
  const Rect work = monitors.OfRect(Rect{saved.x, saved.y, saved.x + width, saved.y + height}).work;
  Point p = saved;
  if (p.y >= work.bottom - 50) p.y = work.bottom - height;
  if (p.y < work.top) p.y = work.top;
  if (p.x + width >= work.right) p.x = work.right - width;
  if (p.x < work.left) p.x = work.left;
  return p;
}

void TitleDrag::Begin(Point cursor) {
  dragging_ = true;
  last_ = cursor;
  anchorLeft_.reset();
  anchorRight_.reset();
  anchorTop_.reset();
  area_.reset();
}

std::optional<Point> TitleDrag::Move(Point p, Point window, int windowWidth, Monitors& monitors) {
  if (!dragging_) return std::nullopt;
  const Rect area = monitors.AtPoint(p).work;
  if (area_ != area) {
    // Another monitor: its edges, not the old ones, hold the window now.
    anchorLeft_.reset();
    anchorRight_.reset();
    anchorTop_.reset();
    area_ = area;
  }
  const Point q = last_;
  last_ = p;
  int x;
  if (!anchorLeft_) {
    x = window.x + (p.x - q.x);
    if (x <= area.left + kSnapLeft) {
      x = area.left;
      anchorLeft_ = p.x;
    }
  } else {
    const int o = p.x - *anchorLeft_;
    if (o > kSnapLeft) {
      anchorLeft_.reset();
      x = area.left + o;
    } else {
      x = area.left;
    }
  }
  const int m = area.right - windowWidth;
  if (!anchorRight_) {
    if (x >= m - kSnapRight) {
      x = m;
      anchorRight_ = p.x;
    }
  } else {
    const int o = p.x - *anchorRight_;
    if (o < -kSnapRight) {
      anchorRight_.reset();
      x = m + o;
    } else {
      x = m;
    }
  }
  int y;
  if (!anchorTop_) {
    y = window.y + (p.y - q.y);
    if (y <= area.top + kSnapTop) {
      y = area.top;
      anchorTop_ = p.y;
    }
  } else {
    const int o = p.y - *anchorTop_;
    if (o > kSnapTop) {
      anchorTop_.reset();
      y = area.top + o;
    } else {
      y = area.top;
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
