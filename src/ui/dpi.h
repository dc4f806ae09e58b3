#pragma once
// The dots per inch of the monitor a window is on, and what follows from
// them: fonts, system metrics and frames at that DPI. The tool declares
// itself aware of each monitor's DPI, so it scales its own windows; the
// functions Windows 10 has for this are looked up at run time, and without
// them the screen's DPI serves.
#include <windows.h>

#include "platform/win32/handles.h"
#include "window/geometry.h"

namespace quiltor {

// GetDpiForWindow; the screen's DPI where the system cannot tell.
int DpiOfWindow(HWND window);
// The DPI the system's fonts and metrics are made for.
int SystemDpi();

// The face and size of the system's GUI font (DEFAULT_GUI_FONT), at `dpi`.
FontHandle CreateUiFont(int dpi);
// A font of `pixels` height at 96 dpi, grown to `dpi`.
FontHandle CreateFontAtDpi(const wchar_t* face, int pixels, int dpi, int weight = FW_NORMAL,
                           BYTE charset = SHIFTJIS_CHARSET, BYTE pitchAndFamily = FIXED_PITCH | FF_MODERN);

// GetSystemMetricsForDpi; else the metric scaled from the system's DPI.
int SystemMetricAtDpi(int index, int dpi);
// The window size that gives `client` with this style, at `dpi`.
SIZE FrameSizeAtDpi(SIZE client, DWORD style, DWORD exStyle, int dpi);

}  // namespace quiltor
