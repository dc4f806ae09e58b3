#include "ui/main/file_panel.h"

#include <commctrl.h>

#include <algorithm>

#include "linked/linked_session.h"
#include "platform/win32/text_codec.h"
#include "window/geometry.h"

namespace quiltor {
namespace {

constexpr wchar_t kPanelClass[] = L"QuiltorPathPanel";
constexpr COLORREF kLightYellow = RGB(255, 255, 160);
constexpr COLORREF kSilver = RGB(192, 192, 192);
// The drop-down button of the combo box stays uncovered.
constexpr int kDropButtonWidth = 18;

std::wstring TextOf(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

}  // namespace

bool PathPanel::Create(HWND parent, HFONT font) {
  font_ = font;
  auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  if (!RegisterClassOnce(instance, kPanelClass, 0, nullptr)) return false;
  if (!CreateWindowExW(0, kPanelClass, L"PanelFilePath", WS_CHILD | WS_VISIBLE, 0, 0, 1, 1, parent, nullptr,
                       instance, this)) {
    return false;
  }
  // The labels only hold their texts; the panel draws them, one over the other.
  label1_ = CreateWindowExW(0, WC_STATICW, L"", WS_CHILD | SS_NOPREFIX, 0, 0, 0, 0, hwnd_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(FilePanel::kLabel1Id)), instance, nullptr);
  label2_ = CreateWindowExW(0, WC_STATICW, L"", WS_CHILD | SS_NOPREFIX, 0, 0, 0, 0, hwnd_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(FilePanel::kLabel2Id)), instance, nullptr);
  return label1_ && label2_;
}

void PathPanel::SetFont(HFONT font, int dpi) {
  font_ = font;
  dpi_ = dpi;
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void PathPanel::SetTexts(const std::wstring& label, bool blackShown) {
  if (TextOf(label1_) == label && TextOf(label2_) == label && blackShown_ == blackShown) return;
  SetWindowTextW(label1_, label.c_str());
  SetWindowTextW(label2_, label.c_str());
  blackShown_ = blackShown;
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void PathPanel::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  RECT r;
  GetClientRect(hwnd_, &r);
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  SelectScope font(dc, font_);
  SetBkMode(dc, TRANSPARENT);
  const std::wstring label2 = TextOf(label2_);
  const int x = ScaleToDpi(4, dpi_);
  const int y = ScaleToDpi(3, dpi_);
  SetTextColor(dc, kSilver);
  TextOutW(dc, x + ScaleToDpi(2, dpi_), y + ScaleToDpi(1, dpi_), label2.c_str(), static_cast<int>(label2.size()));
  if (blackShown_) {
    const std::wstring label1 = TextOf(label1_);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutW(dc, x, y, label1.c_str(), static_cast<int>(label1.size()));
  }
  EndPaint(hwnd_, &ps);
}

LRESULT PathPanel::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
      // A click on the face opens the list, as on the combo box itself.
      if (IsWindowEnabled(GetDlgItem(GetParent(hwnd_), FilePanel::kComboId))) {
        SendDlgItemMessageW(GetParent(hwnd_), FilePanel::kComboId, CB_SHOWDROPDOWN, TRUE, 0);
      }
      return 0;
  }
  return Default(message, wparam, lparam);
}

bool FilePanel::Create(HWND parent, HWND tooltip, HFONT font) {
  parent_ = parent;
  tooltip_ = tooltip;
  font_ = font;
  auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  combo_ = CreateWindowExW(0, WC_COMBOBOXW, L"ComboBoxFile",
                           WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_CLIPSIBLINGS | CBS_DROPDOWNLIST | WS_DISABLED, 0, 0, 10, 200, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(kComboId)), instance, nullptr);
  if (!combo_) return false;
  SendMessageW(combo_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  yellow_.Reset(CreateSolidBrush(kLightYellow));
  if (!panel_.Create(parent, font)) return false;
  // The panel lies over the combo box's face.
  SetWindowPos(panel_.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (tooltip_) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = parent;
    tool.uId = reinterpret_cast<UINT_PTR>(panel_.Handle());
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  return true;
}

void FilePanel::SetFont(HFONT font, int dpi) {
  font_ = font;
  SendMessageW(combo_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  panel_.SetFont(font, dpi);
}

void FilePanel::Place(int top, int width, int dpi) {
  const int margin = ScaleToDpi(2, dpi);
  MoveWindow(combo_, margin, top, width - 2 * margin, ScaleToDpi(200, dpi), TRUE);
  RECT face{};
  GetWindowRect(combo_, &face);
  const int height = face.bottom - face.top;
  MoveWindow(panel_.Handle(), margin, top, std::max(width - 2 * margin - ScaleToDpi(kDropButtonWidth, dpi), 0),
             height, TRUE);
}

int FilePanel::Selection() const { return static_cast<int>(SendMessageW(combo_, CB_GETCURSEL, 0, 0)); }

HBRUSH FilePanel::ListColors(HDC dc) const {
  SetTextColor(dc, RGB(255, 0, 0));
  SetBkColor(dc, kLightYellow);
  return static_cast<HBRUSH>(yellow_.Get());
}

void FilePanel::Render(const LinkedSession& session, bool linked) {
  const auto& entries = session.Entries();
  const int count = static_cast<int>(SendMessageW(combo_, CB_GETCOUNT, 0, 0));
  bool same = count == static_cast<int>(entries.size());
  for (int i = 0; same && i < count; ++i) {
    wchar_t text[1024] = {};
    if (SendMessageW(combo_, CB_GETLBTEXTLEN, i, 0) < 1023) SendMessageW(combo_, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    same = text == FromAnsi(entries[static_cast<std::size_t>(i)].Text());
  }
  if (!same) {
    SendMessageW(combo_, CB_RESETCONTENT, 0, 0);
    for (const OpenFileEntry& entry : entries) {
      const std::wstring text = FromAnsi(entry.Text());
      SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
  }
  const auto selected = session.Selected();
  SendMessageW(combo_, CB_SETCURSEL, selected ? static_cast<WPARAM>(*selected) : static_cast<WPARAM>(-1), 0);
  EnableWindow(combo_, linked ? TRUE : FALSE);
  panel_.SetTexts(FromAnsi(session.LabelText()), linked);
  hint_ = selected ? FromAnsi(session.CurrentFile()) : std::wstring();
  if (tooltip_) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = parent_;
    tool.uId = reinterpret_cast<UINT_PTR>(panel_.Handle());
    tool.lpszText = hint_.data();
    SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  FitFileDropDown(session);
}

void FilePanel::FitFileDropDown(const LinkedSession& session) {
  WindowDc dc(combo_);
  SelectScope font(dc.Get(), font_);
  auto width = [&](const Bytes& text) {
    const std::wstring wide = FromAnsi(text);
    SIZE size{};
    GetTextExtentPoint32W(dc.Get(), wide.c_str(), static_cast<int>(wide.size()), &size);
    return static_cast<int>(size.cx);
  };
  RECT own{};
  GetWindowRect(combo_, &own);
  int widest = session.Entries().empty() ? own.right - own.left - 8 : width(session.CurrentFile());
  for (const OpenFileEntry& entry : session.Entries()) widest = std::max(widest, width(entry.Text()));
  SendMessageW(combo_, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(widest + 8), 0);
}

}  // namespace quiltor
