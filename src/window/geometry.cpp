#include "window/geometry.h"

#include <cstdlib>

namespace quiltor {

int ScaleToDpi(int value, int dpi) {
  const long long product = static_cast<long long>(value) * dpi;
  return static_cast<int>((product + (product < 0 ? -kBaseDpi / 2 : kBaseDpi / 2)) / kBaseDpi);
}

int UnscaleFromDpi(int value, int dpi) {
  if (dpi <= 0) return value;
  const long long product = static_cast<long long>(value) * kBaseDpi;
  return static_cast<int>((product + (product < 0 ? -dpi / 2 : dpi / 2)) / dpi);
}

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

void TitleDrag::Begin(Point cursor, int dpi) {
  dragging_ = true;
  snapLeft_ = ScaleToDpi(kSnapLeft, dpi);
  snapRight_ = ScaleToDpi(kSnapRight, dpi);
  snapTop_ = ScaleToDpi(kSnapTop, dpi);
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
    if (x <= area.left + snapLeft_) {
      x = area.left;
      anchorLeft_ = p.x;
    }
  } else {
    const int o = p.x - *anchorLeft_;
    if (o > snapLeft_) {
      anchorLeft_.reset();
      x = area.left + o;
    } else {
      x = area.left;
    }
  }
  const int m = area.right - windowWidth;
  if (!anchorRight_) {
    if (x >= m - snapRight_) {
      x = m;
      anchorRight_ = p.x;
    }
  } else {
    const int o = p.x - *anchorRight_;
    if (o < -snapRight_) {
      anchorRight_.reset();
      x = m + o;
    } else {
      x = m;
    }
  }
  int y;
  if (!anchorTop_) {
    y = window.y + (p.y - q.y);
    if (y <= area.top + snapTop_) {
      y = area.top;
      anchorTop_ = p.y;
    }
  } else {
    const int o = p.y - *anchorTop_;
    if (o > snapTop_) {
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

int StartHeight(int savedHeight, int shrinkHeight, int heightLimit) {
  if (savedHeight > shrinkHeight) return savedHeight;
  return kDefaultHeight > shrinkHeight ? kDefaultHeight : heightLimit;
}

int ChooseActivePage(int savedPage, int pageCount) {
  if (pageCount <= 0) return -1;
  if (savedPage < 0 || savedPage >= pageCount) return 0;
  return savedPage;
}

std::optional<int> WheelScroll(Point c, const Rect& w, int toolBarPanelHeight, int wheelDelta, int dpi) {
  const int margin = ScaleToDpi(16, dpi);
  if (c.x < w.left || c.x > w.right) return std::nullopt;
  if (c.y < w.top + toolBarPanelHeight + margin || c.y > w.bottom - margin) return std::nullopt;
  return -(wheelDelta / 2);
}

}  // namespace quiltor
