#include "ui/main/search_panel.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/main/images.h"
#include "window/main_controller.h"

namespace quiltor {
namespace {

constexpr UINT kCodePage = 932;
constexpr UINT kQuietly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW;
constexpr int kEditHeight = 22;  // at 96 dpi
constexpr int kTextLeft = 20;
constexpr wchar_t kFontName[] = L"ＭＳ ゴシック";
// A character of code page 932, so that every Japanese font has it.
constexpr wchar_t kPathSeparator[] = L"\uFF1E";
// "一致する項目がありません"
constexpr wchar_t kNothingFound[] = L"一致する項目がありません";

std::wstring Wide(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int count = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(kCodePage, 0, bytes.data(), count, nullptr, 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(kCodePage, 0, bytes.data(), count, text.data(), length);
  return text;
}

Bytes Narrow(std::wstring_view text) {
  if (text.empty()) return {};
  const int count = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(kCodePage, 0, text.data(), count, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  Bytes bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(kCodePage, 0, text.data(), count, bytes.data(), length, nullptr, nullptr);
  return bytes;
}

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(got, 0)));
  return text;
}

}  // namespace

SearchPanel::SearchPanel(MainController& controller, const WindowImages& images)
    : controller_(controller), images_(images) {}

bool SearchPanel::Create(HWND parent, int dpi) {
  parent_ = parent;
  auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  auto id = [](int value) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(value)); };
  edit_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_EDITW, L"", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 10, kEditHeight, parent,
                          id(kEditId), instance, nullptr);
  list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTBOXW, L"SearchList",
                          WS_CHILD | WS_VSCROLL | WS_CLIPSIBLINGS | LBS_NODATA | LBS_OWNERDRAWFIXED |
                              LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
                          0, kEditHeight, 10, 10, parent, id(kListId), instance, nullptr);
  note_ = CreateWindowExW(0, WC_STATICW, kNothingFound, WS_CHILD | SS_CENTER | SS_NOPREFIX, 0, kEditHeight, 10, 20,
                          parent, id(kNoteId), instance, nullptr);
  if (!edit_ || !list_ || !note_) return false;
  // Above the data pages, which stay shown beneath while the search is open:
  // hiding them and showing them again is slow under Wine.
  for (HWND control : {list_, edit_}) {
    SetWindowPos(control, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  SetDpi(dpi);
  return true;
}

void SearchPanel::SetDpi(int dpi) {
  // The old font stays selected in the controls until they have the new one.
  GdiObject old = std::move(font_);
  font_.Reset(CreateFontW(-MulDiv(9, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, kFontName));
  editHeight_ = MulDiv(kEditHeight, dpi, 96);
  if (font_) {
    WindowDc screen(nullptr);
    SelectScope font(screen.Get(), font_.Get());
    TEXTMETRICW metrics{};
    if (GetTextMetricsW(screen.Get(), &metrics)) lineHeight_ = metrics.tmHeight;
  }
  const auto font = reinterpret_cast<WPARAM>(font_.Get());
  SendMessageW(edit_, WM_SETFONT, font, TRUE);
  SendMessageW(note_, WM_SETFONT, font, TRUE);
  SendMessageW(list_, LB_SETITEMHEIGHT, 0, RowHeight());
  if (bounds_.right > bounds_.left) SetBounds(bounds_);
}

int SearchPanel::RowHeight() const { return 2 * lineHeight_ + 6; }

void SearchPanel::SetBounds(const RECT& bounds) {
  bounds_ = bounds;
  const int width = bounds.right - bounds.left;
  const int listTop = bounds.top + editHeight_;
  const int listHeight = std::max(0, static_cast<int>(bounds.bottom) - listTop);
  MoveWindow(edit_, bounds.left, bounds.top, width, editHeight_, TRUE);
  MoveWindow(list_, bounds.left, listTop, width, listHeight, TRUE);
  MoveWindow(note_, bounds.left, listTop + 8, width, lineHeight_ + 4, TRUE);
}

int SearchPanel::PageRows() const {
  RECT r{};
  GetClientRect(list_, &r);
  return std::max(1, static_cast<int>(r.bottom) / RowHeight());
}

void SearchPanel::Show(bool open) {
  settingText_ = true;
  SetWindowTextW(edit_, L"");
  settingText_ = false;
  if (open) {
    // The rows are counted while the list is hidden, and the box and list
    // show without drawing: they paint once, with the window's next paint,
    // instead of the list's scroll bar being drawn at each step under Wine.
    SetRows();
    for (HWND control : {edit_, list_}) {
      SetWindowPos(control, nullptr, 0, 0, 0, 0, kQuietly | SWP_SHOWWINDOW);
      RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    }
  } else {
    ShowWindow(edit_, SW_HIDE);
    ShowWindow(list_, SW_HIDE);
    ShowWindow(note_, SW_HIDE);
    SendMessageW(list_, LB_SETCOUNT, 0, 0);
  }
  paintLater_ = open;
}

void SearchPanel::SetRows() {
  const ItemSearch& search = controller_.Search();
  const auto count = static_cast<WPARAM>(search.Hits().size());
  if (static_cast<WPARAM>(SendMessageW(list_, LB_GETCOUNT, 0, 0)) != count) SendMessageW(list_, LB_SETCOUNT, count, 0);
  SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(search.Selection()), 0);
}

void SearchPanel::Render() {
  const ItemSearch& search = controller_.Search();
  if (!search.IsOpen()) return;
  // No WM_SETREDRAW around this: under Wine turning drawing back on costs
  // more than the one selected row the list draws at once; the whole list
  // is drawn just after.
  SetRows();
  if (search.NoHits()) {
    // Over the empty list, which leaves it out of its painting.
    SetWindowPos(note_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  } else {
    ShowWindow(note_, SW_HIDE);
  }
  InvalidateRect(list_, nullptr, TRUE);
  if (paintLater_) {
    paintLater_ = false;
    return;
  }
  UpdateWindow(list_);
  if (search.NoHits()) UpdateWindow(note_);
}

bool SearchPanel::OnCommand(HWND control, UINT code) {
  if (control == edit_) {
    if (code == EN_CHANGE && !settingText_) controller_.SearchQueryChanged(Narrow(WindowText(edit_)));
    return true;
  }
  if (control == list_) {
    if (code == LBN_SELCHANGE) {
      const auto row = static_cast<int>(SendMessageW(list_, LB_GETCURSEL, 0, 0));
      controller_.SearchSelect(row);
      // The query box keeps the keys, the list only shows.
      SetFocus(edit_);
    } else if (code == LBN_DBLCLK) {
      controller_.RunSearchSelection();
    }
    return true;
  }
  return control == note_;
}

HBRUSH SearchPanel::ControlColors(HWND control, HDC dc) const {
  if (control != list_ && control != note_) return nullptr;
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  SetTextColor(dc, GetSysColor(control == note_ ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
  return GetSysColorBrush(COLOR_WINDOW);
}

bool SearchPanel::OnDrawItem(const DRAWITEMSTRUCT* draw) {
  if (draw->CtlType != ODT_LISTBOX || draw->hwndItem != list_) return false;
  DrawRow(draw);
  return true;
}

void SearchPanel::DrawRow(const DRAWITEMSTRUCT* draw) {
  const ItemSearch& search = controller_.Search();
  HDC dc = draw->hDC;
  RECT row = draw->rcItem;
  const bool selected = (draw->itemState & ODS_SELECTED) != 0;
  FillRect(dc, &row, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (draw->itemID == static_cast<UINT>(-1) || draw->itemID >= search.Hits().size()) return;
  const SearchItem& item = search.Hit(draw->itemID);
  const bool enabled = controller_.ItemsEnabled();
  ImageList_Draw(enabled ? images_.items : images_.itemsDisabled,
                 item.imageIndex >= 0 ? item.imageIndex : kBlankItemImage, dc, row.left + 3, row.top + 3,
                 ILD_TRANSPARENT);
  SelectScope font(dc, font_.Get());
  SetBkMode(dc, TRANSPARENT);
  const COLORREF text = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
  const COLORREF quiet = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_GRAYTEXT);
  constexpr UINT kFlags = DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_TOP | DT_LEFT;

  RECT line{row.left + kTextLeft, row.top + 3, row.right - 2, row.top + 3 + lineHeight_};
  const std::wstring caption = Wide(item.caption);
  SetTextColor(dc, text);
  // The caption's accelerator mark underlines its letter, as on the button.
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &line, kFlags & ~DT_NOPREFIX);

  std::wstring where;
  for (const Bytes& segment : controller_.Search().Index().PathOf(item).segments) {
    if (!where.empty()) where += kPathSeparator;
    where += Wide(StripAccelerators(segment));
  }
  if (!item.preview.empty()) where += L"   " + Wide(item.preview);
  OffsetRect(&line, 0, lineHeight_ + 1);
  SetTextColor(dc, quiet);
  DrawTextW(dc, where.c_str(), static_cast<int>(where.size()), &line, kFlags);
}

}  // namespace quiltor
