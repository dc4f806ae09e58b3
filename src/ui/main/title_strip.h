#pragma once
// The title strip PanelTop: the system-menu icon, the title images that drag
// the window, and the small buttons at its right end. Each part is a child
// window named after its component, so tools can find it from outside.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/base_window.h"

namespace quiltor {

class WindowImages;

// One part of the strip: an image, a push button or a toggle button.
class StripPart : public BaseWindow<StripPart> {
 public:
  enum class Kind { kImage, kButton, kToggle, kPanel };
  StripPart(Kind kind, const WindowImages& images) : kind_(kind), images_(images) {}
  bool Create(HWND parent, const wchar_t* name, RECT bounds);

  void SetBitmap(HBITMAP bitmap) { bitmap_ = bitmap; }
  void SetGlyph(int glyph) { glyph_ = glyph; }
  void SetDown(bool down);

  std::function<void()> onClick;
  std::function<void()> onDoubleClick;
  std::function<void(POINT screen)> onMouseDown;
  std::function<void(POINT screen)> onMouseMove;
  std::function<void()> onMouseUp;

  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  void OnPaint();
  Kind kind_;
  const WindowImages& images_;
  HBITMAP bitmap_ = nullptr;
  int glyph_ = -1;
  bool down_ = false;      // toggle state, as the model says
  bool pressed_ = false;   // mouse held on a button (drawn sunken)
  bool armed_ = false;     // a press began on this button
};

class MainController;

// Clicks and drags go to the main controller; the strip shows what the
// controller's state says (active title, fix button down, which resize
// button).
class TitleStrip {
 public:
  TitleStrip(MainController& controller, const WindowImages& images) : controller_(controller), images_(images) {}
  bool Create(HWND parent, HWND tooltip);
  // Places the parts for a window `width` pixels wide at `dpi`.
  void Layout(int width, int dpi);
  // The images were made anew (another DPI).
  void ApplyImages();
  void SetActive(bool active);
  void ShowResizeButton(bool shrinkVisible);
  void SetFixDown(bool down);
  HWND Panel() const;
  HWND ProgressBar() const { return progressBar_; }

 private:
  StripPart* Add(StripPart::Kind kind, const wchar_t* name, const wchar_t* hint, HWND parent, HWND tooltip);
  MainController& controller_;
  const WindowImages& images_;
  std::vector<std::unique_ptr<StripPart>> parts_;
  StripPart* panel_ = nullptr;
  StripPart* icon_ = nullptr;
  StripPart* title1_ = nullptr;
  StripPart* title2_ = nullptr;
  StripPart* fix_ = nullptr;
  StripPart* resize1_ = nullptr;
  StripPart* resize2_ = nullptr;
  StripPart* minimize_ = nullptr;
  StripPart* exit_ = nullptr;
  HWND progressBar_ = nullptr;
};

}  // namespace quiltor
