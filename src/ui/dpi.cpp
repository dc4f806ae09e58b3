#include "ui/dpi.h"

namespace quiltor {
namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForSystemFn = UINT(WINAPI*)();
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

// user32 is always loaded; a function it lacks is simply not there.
template <typename Fn>
Fn User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

int ScreenDpi() {
  WindowDc screen(nullptr);
  const int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : kBaseDpi;
}

}  // namespace

int DpiOfWindow(HWND window) {
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow && window) {
    if (const UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
  }
  return ScreenDpi();
}

int SystemDpi() {
  static const auto getDpiForSystem = User32Function<GetDpiForSystemFn>("GetDpiForSystem");
  if (getDpiForSystem) {
    if (const UINT dpi = getDpiForSystem()) return static_cast<int>(dpi);
  }
  return ScreenDpi();
}

FontHandle CreateUiFont(int dpi) {
  LOGFONTW font{};
  if (!GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font)) {
    // No stock font to copy: the look of the Japanese system's GUI font.
    return CreateFontAtDpi(L"MS UI Gothic", 12, dpi, FW_NORMAL, SHIFTJIS_CHARSET, DEFAULT_PITCH | FF_SWISS);
  }
  font.lfHeight = MulDiv(font.lfHeight, dpi, SystemDpi());
  font.lfWidth = 0;
  // In the Japanese character set, as a Japanese Windows has it: another
  // language's stock font may lack the glyphs of the captions.
  font.lfCharSet = SHIFTJIS_CHARSET;
  wcscpy_s(font.lfFaceName, L"MS UI Gothic");
  return FontHandle(CreateFontIndirectW(&font));
}

FontHandle CreateFontAtDpi(const wchar_t* face, int pixels, int dpi, int weight, BYTE charset,
                           BYTE pitchAndFamily) {
  return FontHandle(CreateFontW(-ScaleToDpi(pixels, dpi), 0, 0, 0, weight, FALSE, FALSE, FALSE, charset,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, pitchAndFamily, face));
}

int SystemMetricAtDpi(int index, int dpi) {
  static const auto forDpi = User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
  if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
  return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

SIZE FrameSizeAtDpi(SIZE client, DWORD style, DWORD exStyle, int dpi) {
  static const auto forDpi = User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
  RECT frame{0, 0, client.cx, client.cy};
  const BOOL adjusted = forDpi ? forDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi))
                               : AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  if (!adjusted) return client;
  return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

}  // namespace quiltor
