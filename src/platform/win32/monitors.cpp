#include "platform/win32/monitors.h"

#include <windows.h>

namespace quiltor {
namespace {

Rect ToRect(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }

MonitorArea PrimaryScreen() {
  MonitorArea area;
  area.bounds = Rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  RECT work{};
  area.work = SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0) ? ToRect(work) : area.bounds;
  area.primary = true;
  return area;
}

MonitorArea Describe(HMONITOR monitor) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!monitor || !GetMonitorInfoW(monitor, &info)) return PrimaryScreen();
  return MonitorArea{ToRect(info.rcMonitor), ToRect(info.rcWork), (info.dwFlags & MONITORINFOF_PRIMARY) != 0};
}

}  // namespace

MonitorArea Win32Monitors::AtPoint(Point point) {
  return Describe(MonitorFromPoint(POINT{point.x, point.y}, MONITOR_DEFAULTTONEAREST));
}

MonitorArea Win32Monitors::OfRect(const Rect& rect) {
  const RECT r{rect.left, rect.top, rect.right, rect.bottom};
  return Describe(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST));
}

Rect WorkAreaOfWindow(WindowId window) {
  auto handle = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
  return Describe(MonitorFromWindow(handle, MONITOR_DEFAULTTONEAREST)).work;
}

}  // namespace quiltor
