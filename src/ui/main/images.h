#pragma once
// The image lists and bitmaps of the tool window, loaded from the resources
// and scaled to the DPI of the window's monitor.
#include <windows.h>
#include <commctrl.h>

#include "platform/win32/handles.h"

namespace quiltor {

// Sizes of the drawn images at 96 dpi.
inline constexpr int kItemImageSize = 14;
inline constexpr int kBlankItemImage = 13;  // spacer for items without an image
inline constexpr int kToolImageSize = 16;
inline constexpr int kSpeedGlyphSize = 9;
enum SpeedGlyph { kGlyphFix, kGlyphShrink, kGlyphStretch, kGlyphMinimize, kGlyphExit };
enum ToolGlyph { kToolMode, kToolNew, kToolOpen, kToolClose, kToolExec, kToolRepeat, kToolLoomwork };

// Owns every image the window shows; destroyed with the window. The images
// are drawn pixel by pixel, so they grow by repeating pixels: at 200 % each
// becomes a square of four, and no edge turns soft at 150 %.
class WindowImages {
 public:
  WindowImages(HINSTANCE instance, int dpi);
  WindowImages(const WindowImages&) = delete;
  WindowImages& operator=(const WindowImages&) = delete;

  // The images at another DPI. What the old ones were drawn with stays valid
  // until the returned owners go, so the caller hands the new ones to the
  // controls first.
  struct Retired {
    ImageListHandle lists[4];
    GdiObject bitmaps[3];
  };
  Retired Reload(int dpi);

  int dpi = 96;
  int itemSize = kItemImageSize;  // the sizes at this DPI
  int toolSize = kToolImageSize;
  int glyphSize = kSpeedGlyphSize;
  HIMAGELIST items = nullptr;          // ImageList1
  HIMAGELIST itemsDisabled = nullptr;  // the greyed look of disabled buttons
  HIMAGELIST tools = nullptr;
  HIMAGELIST speed = nullptr;
  HBITMAP title1 = nullptr;  // ImageTitle1 (active)
  HBITMAP title2 = nullptr;  // ImageTitle2 (inactive)
  HBITMAP icon = nullptr;    // ImageIcon

 private:
  HINSTANCE instance_;
  ImageListHandle ownedLists_[4];
  GdiObject ownedBitmaps_[3];
};

}  // namespace quiltor
