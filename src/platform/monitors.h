#pragma once
// The monitors of the desktop, as the tool window's geometry needs them.
// Coordinates are those of the virtual screen: a monitor left of or above
// the primary one has negative ones.
#include "platform/types.h"

namespace quiltor {

struct MonitorArea {
  Rect bounds;  // the whole monitor
  Rect work;    // without the task bar and other bars docked at its edges
  bool primary = false;
  friend bool operator==(const MonitorArea&, const MonitorArea&) = default;
};

class Monitors {
 public:
  virtual ~Monitors() = default;
  // The monitor that holds the point, or the one nearest to it.
  virtual MonitorArea AtPoint(Point point) = 0;
  // The monitor that holds the largest part of the rectangle, or the one
  // nearest to it when it lies on none.
  virtual MonitorArea OfRect(const Rect& rect) = 0;
};

}  // namespace quiltor
