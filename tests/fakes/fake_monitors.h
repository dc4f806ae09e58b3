#pragma once
// A desktop of monitors laid out as a test says, which chooses a monitor for
// a point or a rectangle as Windows does: the one that holds it (the largest
// part of it), else the nearest. Monitors can come and go between two starts.
#include <vector>

#include "platform/monitors.h"

namespace quiltor::fakes {

class FakeMonitors : public Monitors {
 public:
  // One screen of 1280 x 1024 without bars.
  FakeMonitors() : monitors_{MonitorArea{{0, 0, 1280, 1024}, {0, 0, 1280, 1024}, true}} {}
  explicit FakeMonitors(std::vector<MonitorArea> monitors) : monitors_(std::move(monitors)) {}

  void Add(const MonitorArea& monitor) { monitors_.push_back(monitor); }
  // The monitor whose bounds are these is unplugged.
  void Remove(const Rect& bounds);
  const std::vector<MonitorArea>& All() const { return monitors_; }

  MonitorArea AtPoint(Point point) override;
  MonitorArea OfRect(const Rect& rect) override;

 private:
  MonitorArea Nearest(const Rect& rect) const;
  std::vector<MonitorArea> monitors_;
};

// Bars on a monitor: a task bar of `size` pixels on one edge.
enum class Edge { kLeft, kTop, kRight, kBottom };
MonitorArea MonitorWithBar(const Rect& bounds, Edge edge, int size, bool primary = false);

}  // namespace quiltor::fakes
