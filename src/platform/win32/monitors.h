#pragma once
#include "platform/monitors.h"

namespace quiltor {

// The system's own choice of monitor; when it cannot describe the monitor,
// the primary screen and its work area.
class Win32Monitors : public Monitors {
 public:
  MonitorArea AtPoint(Point point) override;
  MonitorArea OfRect(const Rect& rect) override;
};

// The work area of the monitor a window lies on (mostly), for dialogs that
// open over it.
Rect WorkAreaOfWindow(WindowId window);

}  // namespace quiltor
