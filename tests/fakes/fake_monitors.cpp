#include "fakes/fake_monitors.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace quiltor::fakes {
namespace {

std::int64_t Overlap(const Rect& a, const Rect& b) {
  const std::int64_t w = std::min(a.right, b.right) - std::max(a.left, b.left);
  const std::int64_t h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  return w > 0 && h > 0 ? w * h : 0;
}

// Squared distance between two rectangles (0 when they touch or overlap).
std::int64_t Distance(const Rect& a, const Rect& b) {
  const std::int64_t dx = std::max({0, b.left - a.right, a.left - b.right});
  const std::int64_t dy = std::max({0, b.top - a.bottom, a.top - b.bottom});
  return dx * dx + dy * dy;
}

}  // namespace

void FakeMonitors::Remove(const Rect& bounds) {
  std::erase_if(monitors_, [&](const MonitorArea& m) { return m.bounds == bounds; });
}

MonitorArea FakeMonitors::Nearest(const Rect& rect) const {
  MonitorArea best = monitors_.front();
  std::int64_t bestDistance = std::numeric_limits<std::int64_t>::max();
  for (const MonitorArea& m : monitors_) {
    const std::int64_t d = Distance(m.bounds, rect);
    if (d < bestDistance) {
      bestDistance = d;
      best = m;
    }
  }
  return best;
}

MonitorArea FakeMonitors::AtPoint(Point p) {
  // A point is a rectangle one pixel wide: the monitor's right and bottom
  // edges are outside it, as in Windows.
  return OfRect(Rect{p.x, p.y, p.x + 1, p.y + 1});
}

MonitorArea FakeMonitors::OfRect(const Rect& rect) {
  const MonitorArea* best = nullptr;
  std::int64_t bestOverlap = 0;
  for (const MonitorArea& m : monitors_) {
    const std::int64_t overlap = Overlap(m.bounds, rect);
    if (overlap > bestOverlap) {
      bestOverlap = overlap;
      best = &m;
    }
  }
  return best ? *best : Nearest(rect);
}

MonitorArea MonitorWithBar(const Rect& bounds, Edge edge, int size, bool primary) {
  Rect work = bounds;
  switch (edge) {
    case Edge::kLeft: work.left += size; break;
    case Edge::kTop: work.top += size; break;
    case Edge::kRight: work.right -= size; break;
    case Edge::kBottom: work.bottom -= size; break;
  }
  return MonitorArea{bounds, work, primary};
}

}  // namespace quiltor::fakes
