#pragma once
// The image lists and bitmaps of the tool window, loaded from the resources.
#include <windows.h>
#include <commctrl.h>

#include "platform/win32/handles.h"

namespace quiltor {

inline constexpr int kItemImageSize = 14;
inline constexpr int kBlankItemImage = 13;  // spacer for items without an image
inline constexpr int kToolImageSize = 16;
inline constexpr int kSpeedGlyphSize = 9;
enum SpeedGlyph { kGlyphFix, kGlyphShrink, kGlyphStretch, kGlyphMinimize, kGlyphExit };
enum ToolGlyph { kToolMode, kToolNew, kToolOpen, kToolClose, kToolExec, kToolRepeat, kToolLoomwork };

// Owns every image the window shows; destroyed with the window.
class WindowImages {
 public:
  explicit WindowImages(HINSTANCE instance);
  WindowImages(const WindowImages&) = delete;
  WindowImages& operator=(const WindowImages&) = delete;

  HIMAGELIST items = nullptr;          // ImageList1
  HIMAGELIST itemsDisabled = nullptr;  // the greyed look of disabled buttons
  HIMAGELIST tools = nullptr;
  HIMAGELIST speed = nullptr;
  HBITMAP title1 = nullptr;  // ImageTitle1 (active)
  HBITMAP title2 = nullptr;  // ImageTitle2 (inactive)
  HBITMAP icon = nullptr;    // ImageIcon

 private:
  ImageListHandle ownedLists_[4];
  GdiObject ownedBitmaps_[3];
};

}  // namespace quiltor
