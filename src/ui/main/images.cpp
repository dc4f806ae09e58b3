#include "ui/main/images.h"

namespace quiltor {

namespace {
constexpr COLORREF kMask = RGB(255, 0, 255);

HIMAGELIST LoadList(HINSTANCE instance, const wchar_t* name, int size) {
  return ImageList_LoadImageW(instance, name, size, 0, kMask, IMAGE_BITMAP, LR_CREATEDIBSECTION);
}

// The disabled look: every pixel washed out to a light grey, the mask kept.
HIMAGELIST LoadGreyList(HINSTANCE instance, const wchar_t* name, int size) {
  GdiObject owned(LoadImageW(instance, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  auto bitmap = static_cast<HBITMAP>(owned.Get());
  if (!bitmap) return nullptr;
  DIBSECTION dib{};
  if (GetObjectW(bitmap, sizeof(dib), &dib) == sizeof(dib) && dib.dsBm.bmBitsPixel == 24 && dib.dsBm.bmBits) {
    auto* bits = static_cast<BYTE*>(dib.dsBm.bmBits);
    for (int y = 0; y < dib.dsBm.bmHeight; ++y) {
      BYTE* row = bits + y * dib.dsBm.bmWidthBytes;
      for (int x = 0; x < dib.dsBm.bmWidth; ++x) {
        BYTE* p = row + x * 3;
        if (p[0] == 255 && p[1] == 0 && p[2] == 255) continue;
        int grey = (p[0] * 11 + p[1] * 59 + p[2] * 30) / 100;
        BYTE v = static_cast<BYTE>(128 + grey / 2);
        p[0] = p[1] = p[2] = v;
      }
    }
  }
  HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 16, 4);
  if (list) ImageList_AddMasked(list, bitmap, kMask);
  return list;
}

HBITMAP LoadBitmapResource(HINSTANCE instance, const wchar_t* name) {
  return static_cast<HBITMAP>(LoadImageW(instance, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}
}  // namespace

WindowImages::WindowImages(HINSTANCE instance) {
  items = LoadList(instance, L"ITEMS", kItemImageSize);
  itemsDisabled = LoadGreyList(instance, L"ITEMS", kItemImageSize);
  tools = LoadList(instance, L"TOOLS", kToolImageSize);
  speed = LoadList(instance, L"SPEED", kSpeedGlyphSize);
  title1 = LoadBitmapResource(instance, L"TITLE1");
  title2 = LoadBitmapResource(instance, L"TITLE2");
  icon = LoadBitmapResource(instance, L"ICON15");
  ownedLists_[0].Reset(items);
  ownedLists_[1].Reset(itemsDisabled);
  ownedLists_[2].Reset(tools);
  ownedLists_[3].Reset(speed);
  ownedBitmaps_[0].Reset(title1);
  ownedBitmaps_[1].Reset(title2);
  ownedBitmaps_[2].Reset(icon);
}

}  // namespace quiltor
