#include "ui/main/images.h"

#include <utility>

#include "window/geometry.h"

namespace quiltor {

namespace {
constexpr COLORREF kMask = RGB(255, 0, 255);
// Images in each strip of the resources.
constexpr int kItemImageCount = 14;
constexpr int kToolImageCount = 7;
constexpr int kSpeedGlyphCount = 5;

// A 24-bit bitmap resource at `dpi`, grown by repeating pixels (nearest
// neighbour), so the mask colour stays exact. An image strip (`cells` > 1)
// is a row of square cells as high as the strip; each grows on its own, so
// every image of the list gets the same size.
GdiObject LoadScaled(HINSTANCE instance, const wchar_t* name, int dpi, int cells = 1) {
  GdiObject source(LoadImageW(instance, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  DIBSECTION in{};
  if (!source || GetObjectW(source.Get(), sizeof(in), &in) != sizeof(in) || in.dsBm.bmBitsPixel != 24 ||
      !in.dsBm.bmBits) {
    return source;
  }
  if (dpi == kBaseDpi) return source;
  const int width = in.dsBm.bmWidth;
  const int height = in.dsBm.bmHeight;
  const int cell = height;
  if (cells < 1 || width < cells) cells = 1;
  const int cellWidth = width / cells;
  const int scaledCell = ScaleToDpi(cell, dpi);
  const int scaledCellWidth = ScaleToDpi(cellWidth, dpi);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = scaledCellWidth * cells;
  info.bmiHeader.biHeight = -scaledCell;  // rows from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  GdiObject scaled(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!scaled || !bits) return source;
  const auto* from = static_cast<const BYTE*>(in.dsBm.bmBits);
  auto* to = static_cast<BYTE*>(bits);
  const int toStride = ((scaledCellWidth * cells * 3) + 3) & ~3;
  const bool bottomUp = in.dsBmih.biHeight > 0;
  for (int y = 0; y < scaledCell; ++y) {
    const int sy = y * cell / scaledCell;
    const BYTE* fromRow = from + static_cast<std::ptrdiff_t>(bottomUp ? height - 1 - sy : sy) * in.dsBm.bmWidthBytes;
    BYTE* toRow = to + static_cast<std::ptrdiff_t>(y) * toStride;
    for (int c = 0; c < cells; ++c) {
      for (int x = 0; x < scaledCellWidth; ++x) {
        const int sx = c * cellWidth + x * cellWidth / scaledCellWidth;
        const BYTE* p = fromRow + sx * 3;
        BYTE* q = toRow + (c * scaledCellWidth + x) * 3;
        q[0] = p[0];
        q[1] = p[1];
        q[2] = p[2];
      }
    }
  }
  return scaled;
}

HIMAGELIST ListOf(HBITMAP bitmap, int size) {
  if (!bitmap) return nullptr;
  HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 16, 4);
  if (list) ImageList_AddMasked(list, bitmap, kMask);
  return list;
}

// The disabled look: every pixel washed out to a light grey, the mask kept.
void WashOut(HBITMAP bitmap) {
  DIBSECTION dib{};
  if (!bitmap || GetObjectW(bitmap, sizeof(dib), &dib) != sizeof(dib) || dib.dsBm.bmBitsPixel != 24 ||
      !dib.dsBm.bmBits) {
    return;
  }
  auto* bits = static_cast<BYTE*>(dib.dsBm.bmBits);
  for (int y = 0; y < dib.dsBm.bmHeight; ++y) {
    BYTE* row = bits + static_cast<std::ptrdiff_t>(y) * dib.dsBm.bmWidthBytes;
    for (int x = 0; x < dib.dsBm.bmWidth; ++x) {
      BYTE* p = row + x * 3;
      if (p[0] == 255 && p[1] == 0 && p[2] == 255) continue;
      int grey = (p[0] * 11 + p[1] * 59 + p[2] * 30) / 100;
      BYTE v = static_cast<BYTE>(128 + grey / 2);
      p[0] = p[1] = p[2] = v;
    }
  }
}
}  // namespace

WindowImages::WindowImages(HINSTANCE instance, int dpiOfWindow) : instance_(instance) { Reload(dpiOfWindow); }

WindowImages::Retired WindowImages::Reload(int dpiOfWindow) {
  Retired retired{{std::move(ownedLists_[0]), std::move(ownedLists_[1]), std::move(ownedLists_[2]),
                   std::move(ownedLists_[3])},
                  {std::move(ownedBitmaps_[0]), std::move(ownedBitmaps_[1]), std::move(ownedBitmaps_[2])}};
  dpi = dpiOfWindow;
  itemSize = ScaleToDpi(kItemImageSize, dpi);
  toolSize = ScaleToDpi(kToolImageSize, dpi);
  glyphSize = ScaleToDpi(kSpeedGlyphSize, dpi);
  {
    GdiObject strip = LoadScaled(instance_, L"ITEMS", dpi, kItemImageCount);
    items = ListOf(static_cast<HBITMAP>(strip.Get()), itemSize);
    WashOut(static_cast<HBITMAP>(strip.Get()));
    itemsDisabled = ListOf(static_cast<HBITMAP>(strip.Get()), itemSize);
  }
  {
    GdiObject strip = LoadScaled(instance_, L"TOOLS", dpi, kToolImageCount);
    tools = ListOf(static_cast<HBITMAP>(strip.Get()), toolSize);
  }
  {
    GdiObject strip = LoadScaled(instance_, L"SPEED", dpi, kSpeedGlyphCount);
    speed = ListOf(static_cast<HBITMAP>(strip.Get()), glyphSize);
  }
  ownedBitmaps_[0] = LoadScaled(instance_, L"TITLE1", dpi);
  ownedBitmaps_[1] = LoadScaled(instance_, L"TITLE2", dpi);
  ownedBitmaps_[2] = LoadScaled(instance_, L"ICON15", dpi);
  title1 = static_cast<HBITMAP>(ownedBitmaps_[0].Get());
  title2 = static_cast<HBITMAP>(ownedBitmaps_[1].Get());
  icon = static_cast<HBITMAP>(ownedBitmaps_[2].Get());
  ownedLists_[0].Reset(items);
  ownedLists_[1].Reset(itemsDisabled);
  ownedLists_[2].Reset(tools);
  ownedLists_[3].Reset(speed);
  return retired;
}

}  // namespace quiltor
