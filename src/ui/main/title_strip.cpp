#include "ui/main/title_strip.h"

#include <windowsx.h>

#include "ui/main/images.h"
#include "window/main_controller.h"
#include "window/geometry.h"

namespace quiltor {

namespace {
constexpr wchar_t kPartClass[] = L"QuiltorStripPart";
constexpr int kButtonWidth = 14;
constexpr int kIconWidth = 15;
}  // namespace

bool StripPart::Create(HWND parent, const wchar_t* name, RECT r) {
  auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  if (!RegisterClassOnce(instance, kPartClass, CS_DBLCLKS, nullptr)) return false;
  return CreateWindowExW(0, kPartClass, name, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, r.left, r.top,
                         r.right - r.left, r.bottom - r.top, parent, nullptr, instance, this) != nullptr;
}

void StripPart::SetDown(bool down) {
  down_ = down;
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void StripPart::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  RECT r;
  GetClientRect(hwnd_, &r);
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  if (bitmap_) {
    MemoryDc memory(dc);
    SelectScope selected(memory.Get(), bitmap_);
    BitBlt(dc, 0, 0, r.right, r.bottom, memory.Get(), 0, 0, SRCCOPY);
  }
  if (glyph_ >= 0) {
    bool sunken = pressed_ || down_;
    if (sunken) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    int x = (r.right - images_.glyphSize) / 2 + (sunken ? 1 : 0);
    int y = (r.bottom - images_.glyphSize) / 2 + (sunken ? 1 : 0);
    ImageList_Draw(images_.speed, glyph_, dc, x, y, ILD_TRANSPARENT);
  }
  EndPaint(hwnd_, &ps);
}

LRESULT StripPart::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      POINT p{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      ClientToScreen(hwnd_, &p);
      if (kind_ == Kind::kButton || kind_ == Kind::kToggle) {
        pressed_ = true;
        armed_ = true;
        SetCapture(hwnd_);
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
      }
      if (message == WM_LBUTTONDBLCLK) {
        if (onDoubleClick) onDoubleClick();
        return 0;
      }
      if (onMouseDown) {
        // The part itself holds the capture, so the drag's moves, its end
        // and a second click of a double click all come back here.
        SetCapture(hwnd_);
        onMouseDown(p);
      }
      if (onClick) onClick();
      return 0;
    }
    case WM_MOUSEMOVE: {
      POINT p{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      ClientToScreen(hwnd_, &p);
      if (onMouseMove) onMouseMove(p);
      return 0;
    }
    case WM_LBUTTONUP: {
      if (armed_) {
        // Armed at the press: a capture lost meanwhile (a tool tip, an
        // activation) must not swallow the click.
        armed_ = false;
        pressed_ = false;
        if (GetCapture() == hwnd_) ReleaseCapture();
        POINT p{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
        RECT r;
        GetClientRect(hwnd_, &r);
        InvalidateRect(hwnd_, nullptr, FALSE);
        if (PtInRect(&r, p)) {
          if (onClick) onClick();
        }
        return 0;
      }
      if (onMouseUp) onMouseUp();
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (pressed_) {
        pressed_ = false;
        InvalidateRect(hwnd_, nullptr, FALSE);
      }
      return 0;
  }
  return Default(message, wparam, lparam);
}

StripPart* TitleStrip::Add(StripPart::Kind kind, const wchar_t* name, const wchar_t* hint, HWND parent,
                           HWND tooltip) {
  auto part = std::make_unique<StripPart>(kind, images_);
  if (!part->Create(parent, name, RECT{0, 0, 1, 1})) return nullptr;
  if (tooltip && hint) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = parent;
    tool.uId = reinterpret_cast<UINT_PTR>(part->Handle());
    tool.lpszText = const_cast<wchar_t*>(hint);
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  parts_.push_back(std::move(part));
  return parts_.back().get();
}

bool TitleStrip::Create(HWND parent, HWND tooltip) {
  panel_ = Add(StripPart::Kind::kPanel, L"PanelTop", nullptr, parent, nullptr);
  if (!panel_) return false;
  HWND p = panel_->Handle();
  icon_ = Add(StripPart::Kind::kImage, L"ImageIcon", L"システムメニュー(F1)", p, tooltip);
  title1_ = Add(StripPart::Kind::kImage, L"ImageTitle1", nullptr, p, tooltip);
  title2_ = Add(StripPart::Kind::kImage, L"ImageTitle2", nullptr, p, tooltip);
  fix_ = Add(StripPart::Kind::kToggle, L"SpeedButtonFix", L"ウィンドウ固定(F3)", p, tooltip);
  resize1_ = Add(StripPart::Kind::kButton, L"SpeedButtonResize1", L"ウィンドウ縮小", p, tooltip);
  resize2_ = Add(StripPart::Kind::kButton, L"SpeedButtonResize2", L"ウィンドウ伸長", p, tooltip);
  minimize_ = Add(StripPart::Kind::kButton, L"SpeedButtonMinimize", L"アイコン化", p, tooltip);
  exit_ = Add(StripPart::Kind::kButton, L"SpeedButtonExit", L"終了", p, tooltip);
  if (!icon_ || !title1_ || !title2_ || !fix_ || !resize1_ || !resize2_ || !minimize_ || !exit_) return false;

  ApplyImages();
  fix_->SetGlyph(kGlyphFix);
  resize1_->SetGlyph(kGlyphShrink);
  resize2_->SetGlyph(kGlyphStretch);
  minimize_->SetGlyph(kGlyphMinimize);
  exit_->SetGlyph(kGlyphExit);
  ShowWindow(title2_->Handle(), SW_HIDE);
  ShowWindow(resize2_->Handle(), SW_HIDE);

  MainController& controller = controller_;
  icon_->onClick = [&controller] { controller.RunCommand(CommandId::kSystemMenu); };
  for (StripPart* title : {title1_, title2_}) {
    title->onMouseDown = [&controller](POINT at) { controller.ImageTitle1MouseDown(Point{at.x, at.y}); };
    title->onMouseMove = [&controller](POINT at) { controller.ImageTitle1MouseMove(Point{at.x, at.y}); };
    title->onMouseUp = [&controller] { controller.ImageTitle1MouseUp(); };
    title->onDoubleClick = [&controller] { controller.ImageTitle1DblClick(); };
  }
  fix_->onClick = [&controller] { controller.RunCommand(CommandId::kFix); };
  resize1_->onClick = [&controller] { controller.RunCommand(CommandId::kShrink); };
  resize2_->onClick = [&controller] { controller.RunCommand(CommandId::kStretch); };
  minimize_->onClick = [&controller] { controller.RunCommand(CommandId::kMinimize); };
  exit_->onClick = [&controller] { controller.RunCommand(CommandId::kExit); };

  progressBar_ = CreateWindowExW(0, PROGRESS_CLASSW, L"ProgressBarLoading", WS_CHILD | WS_VISIBLE | PBS_SMOOTH,
                                 0, 0, 1, 1, p, nullptr,
                                 reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
  if (progressBar_) SendMessageW(progressBar_, PBM_SETRANGE32, 0, 100);
  return true;
}

void TitleStrip::ApplyImages() {
  icon_->SetBitmap(images_.icon);
  title1_->SetBitmap(images_.title1);
  title2_->SetBitmap(images_.title2);
  for (const auto& part : parts_) InvalidateRect(part->Handle(), nullptr, FALSE);
}

void TitleStrip::Layout(int width, int dpi) {
  auto px = [dpi](int units) { return ScaleToDpi(units, dpi); };
  const int h = px(kTitleStripHeight);
  const int button = px(kButtonWidth);
  const int iconWidth = px(kIconWidth);
  MoveWindow(panel_->Handle(), 0, 0, width, h, TRUE);
  int x = width - button;
  MoveWindow(exit_->Handle(), x, 0, button, h, TRUE);
  x -= button;
  MoveWindow(minimize_->Handle(), x, 0, button, h, TRUE);
  x -= button + px(2);
  MoveWindow(resize1_->Handle(), x, 0, button, h, TRUE);
  MoveWindow(resize2_->Handle(), x, 0, button, h, TRUE);
  x -= button;
  MoveWindow(fix_->Handle(), x, 0, button, h, TRUE);
  int titleWidth = x - px(1) - iconWidth;
  MoveWindow(icon_->Handle(), 0, 0, iconWidth, h, TRUE);
  MoveWindow(title1_->Handle(), iconWidth, 0, titleWidth, h, TRUE);
  MoveWindow(title2_->Handle(), iconWidth, 0, titleWidth, h, TRUE);
  // The loading bar sits over the right part of the title, clear of its name.
  if (progressBar_) MoveWindow(progressBar_, iconWidth + px(52), px(3), titleWidth - px(56), h - px(6), TRUE);
  SetWindowPos(progressBar_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TitleStrip::SetActive(bool active) {
  ShowWindow(title1_->Handle(), active ? SW_SHOWNA : SW_HIDE);
  ShowWindow(title2_->Handle(), active ? SW_HIDE : SW_SHOWNA);
}

void TitleStrip::ShowResizeButton(bool shrinkVisible) {
  ShowWindow(resize1_->Handle(), shrinkVisible ? SW_SHOWNA : SW_HIDE);
  ShowWindow(resize2_->Handle(), shrinkVisible ? SW_HIDE : SW_SHOWNA);
}

void TitleStrip::SetFixDown(bool down) { fix_->SetDown(down); }
HWND TitleStrip::Panel() const { return panel_->Handle(); }

}  // namespace quiltor
