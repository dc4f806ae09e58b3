#include "ui/main/data_pages_view.h"

#include "platform/win32/text_codec.h"
#include "ui/dialog_kit.h"
#include "ui/main/images.h"
#include "window/geometry.h"

namespace quiltor {

namespace {
constexpr wchar_t kBoxClass[] = L"QuiltorPageBox";
constexpr int kRowHeight = 20;
constexpr int kMainLeft = 1;
constexpr int kMainWidth = 215;
constexpr int kMainButtonWidth = 211;
constexpr int kSideLeft = 214;
constexpr int kSideWidth = 29;
constexpr int kSideButtonWidth = 25;
// Tool-bar button ids are row + 1: a command carries the bar's handle, so
// page and column come from the bar and the id stays small.
constexpr int kRowIdBase = 1;
constexpr wchar_t kItemFontName[] = L"ＭＳ ゴシック";

HFONT CreateGothic(int pointSize, int dpi) {
  const int height = -MulDiv(pointSize, dpi, 72);
  return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, kItemFontName);
}
}  // namespace

// ---- PageScrollBox ----------------------------------------------------------

bool PageScrollBox::Create(HWND parent, HWND notify, int page, int dpi) {
  notify_ = notify;
  page_ = page;
  rowHeight_ = ScaleToDpi(kRowHeight, dpi);
  mainLeft_ = ScaleToDpi(kMainLeft, dpi);
  sideLeft_ = ScaleToDpi(kSideLeft, dpi);
  top_ = ScaleToDpi(1, dpi);
  auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  if (!RegisterClassOnce(instance, kBoxClass, 0, GetSysColorBrush(COLOR_BTNFACE))) return false;
  // Named with its page, as boxes are made when their page is first shown.
  const std::wstring name = L"ScrollBox" + std::to_wstring(page);
  return CreateWindowExW(0, kBoxClass, name.c_str(), WS_CHILD | WS_VSCROLL | WS_CLIPCHILDREN, 0, 0, 404, 1030,
                         parent, nullptr, instance, this) != nullptr;
}

int PageScrollBox::ViewHeight() const {
  RECT r;
  GetClientRect(hwnd_, &r);
  return r.bottom;
}

void PageScrollBox::SetContentHeight(int height) {
  contentHeight_ = height;
  UpdateScrollBar();
}

void PageScrollBox::UpdateScrollBar() {
  int view = ViewHeight();
  int maxPosition = contentHeight_ > view ? contentHeight_ - view : 0;
  if (position_ > maxPosition) position_ = maxPosition;
  if (position_ < 0) position_ = 0;
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = 0;
  info.nMax = contentHeight_ > 0 ? contentHeight_ - 1 : 0;
  info.nPage = static_cast<UINT>(view > 0 ? view : 0);
  info.nPos = position_;
  SetScrollInfo(hwnd_, SB_VERT, &info, TRUE);
  PlaceBars();
}

void PageScrollBox::PlaceBars() {
  RECT main{}, side{};
  if (mainBar) GetWindowRect(mainBar, &main);
  if (sideBar) GetWindowRect(sideBar, &side);
  if (mainBar) SetWindowPos(mainBar, nullptr, mainLeft_, top_ - position_, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (sideBar) SetWindowPos(sideBar, nullptr, sideLeft_, top_ - position_, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The box clamps to its own range, so callers never check bounds.
void PageScrollBox::ScrollTo(int position) {
  position_ = position;
  UpdateScrollBar();
}

void PageScrollBox::ScrollBy(int dy) { ScrollTo(position_ + dy); }

LRESULT PageScrollBox::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_VSCROLL: {
      SCROLLINFO info = {};
      info.cbSize = sizeof info;
      info.fMask = SIF_ALL;
      GetScrollInfo(hwnd_, SB_VERT, &info);
      switch (LOWORD(wparam)) {
        case SB_LINEUP: ScrollBy(-rowHeight_); break;
        case SB_LINEDOWN: ScrollBy(rowHeight_); break;
        case SB_PAGEUP: ScrollBy(-static_cast<int>(info.nPage)); break;
        case SB_PAGEDOWN: ScrollBy(static_cast<int>(info.nPage)); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: ScrollTo(info.nTrackPos); break;
        case SB_TOP: ScrollTo(0); break;
        case SB_BOTTOM: ScrollTo(contentHeight_); break;
      }
      return 0;
    }
    case WM_SIZE:
      UpdateScrollBar();
      return 0;
    case WM_COMMAND:
    case WM_NOTIFY:
      // The tool bars talk to their parent; the main window decides.
      return SendMessageW(notify_, message, wparam, lparam);
  }
  return Default(message, wparam, lparam);
}

// ---- DataPagesView ----------------------------------------------------------

DataPagesView::DataPagesView(HWND owner, const WindowImages& images) : owner_(owner), images_(images) {}

DataPagesView::~DataPagesView() { Clear({}); }

bool DataPagesView::Create() {
  auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner_, GWLP_HINSTANCE));
  tabs_ = CreateWindowExW(0, WC_TABCONTROLW, L"PageControl",
                          WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | TCS_MULTILINE | TCS_FOCUSNEVER,
                          0, 0, 10, 10, owner_, nullptr, instance, nullptr);
  if (!tabs_) return false;
  SetDpi(images_.dpi, JapaneseUiFont());
  return true;
}

int DataPagesView::Px(int units) const { return ScaleToDpi(units, dpi_); }

void DataPagesView::SetDpi(int dpi, HFONT tabFont) {
  dpi_ = dpi;
  rowHeight_ = Px(kRowHeight);
  itemFont_.Reset(CreateGothic(9, dpi));
  menuFont_.Reset(CreateGothic(9, dpi));
  SendMessageW(tabs_, WM_SETFONT, reinterpret_cast<WPARAM>(tabFont), TRUE);
}

void DataPagesView::SetBounds(const RECT& bounds) {
  bounds_ = bounds;
  MoveWindow(tabs_, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, TRUE);
  RECT display{0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top};
  TabCtrl_AdjustRect(tabs_, FALSE, &display);
  for (auto& box : boxes_) {
    if (!box) continue;
    MoveWindow(box->Handle(), display.left, display.top, display.right - display.left,
               display.bottom - display.top, TRUE);
  }
}

int DataPagesView::ButtonCount() const {
  int count = 0;
  for (const BuiltPage& page : built_) count += page.buttons;
  return count;
}

void DataPagesView::Clear(const std::function<void()>& advance) {
  for (int page = PageCount() - 1; page >= 0; --page) {
    if (advance) {
      for (int i = 0; i < built_[page].buttons; ++i) advance();
    }
    built_[page] = BuiltPage{};  // its menus go with it
    boxes_[page].reset();        // destroys the box with both bars
    if (tabs_) TabCtrl_DeleteItem(tabs_, page);
  }
  boxes_.clear();
  built_.clear();
  pages_ = nullptr;
  menuRecords_.clear();
  tabCaptions_.clear();
  nextMenuId_ = 1;
}

HWND DataPagesView::CreateBar(HWND parent, int left, int width, bool main) {
  auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner_, GWLP_HINSTANCE));
  DWORD style = WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TOOLTIPS | CCS_NORESIZE |
                CCS_NOPARENTALIGN | CCS_NODIVIDER | TBSTYLE_WRAPABLE;
  HWND bar = CreateWindowExW(0, TOOLBARCLASSNAMEW, main ? L"ToolBarMain" : L"ToolBarSide", style, left, Px(1),
                             width, Px(kRowHeight), parent, nullptr, instance, nullptr);
  if (!bar) return nullptr;
  SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(bar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  SendMessageW(bar, WM_SETFONT, reinterpret_cast<WPARAM>(itemFont_.Get()), FALSE);
  SendMessageW(bar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_.items));
  SendMessageW(bar, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(images_.itemsDisabled));
  SendMessageW(bar, TB_SETBITMAPSIZE, 0, MAKELONG(images_.itemSize, images_.itemSize));
  SendMessageW(bar, TB_SETPADDING, 0, MAKELPARAM(Px(4), Px(2)));
  int buttonWidth = Px(main ? kMainButtonWidth : kSideButtonWidth);
  SendMessageW(bar, TB_SETBUTTONSIZE, 0, MAKELONG(buttonWidth, Px(kRowHeight)));
  return bar;
}

void DataPagesView::FillBar(HWND bar, const std::vector<ItemButton>& buttons, bool main,
                            const std::function<void()>& advance) {
  std::vector<std::wstring> captions;
  captions.reserve(buttons.size());
  std::vector<TBBUTTON> rows(buttons.size());
  for (size_t i = 0; i < buttons.size(); ++i) {
    const ItemButton& b = buttons[i];
    captions.push_back(main ? FromAnsi(b.caption) : std::wstring());
    TBBUTTON& t = rows[i];
    t.iBitmap = b.imageIndex >= 0 ? b.imageIndex : (main ? kBlankItemImage : I_IMAGENONE);
    if (b.separator || b.endMarker) t.iBitmap = main ? I_IMAGENONE : I_IMAGENONE;
    t.idCommand = static_cast<int>(i) + kRowIdBase;
    t.fsState = static_cast<BYTE>(TBSTATE_WRAP | (b.enabled ? TBSTATE_ENABLED : 0));
    t.fsStyle = static_cast<BYTE>(BTNS_BUTTON |
                                  (b.action == ItemAction::kDropDown ? BTNS_WHOLEDROPDOWN : 0) |
                                  (main ? BTNS_SHOWTEXT : 0));
    t.iString = main ? reinterpret_cast<INT_PTR>(captions.back().c_str()) : -1;
    if (advance) advance();
  }
  if (!rows.empty()) SendMessageW(bar, TB_ADDBUTTONSW, rows.size(), reinterpret_cast<LPARAM>(rows.data()));
  // The bar makes its rows as high as its images and font need; at 96 dpi
  // that is 20 pixels, elsewhere not quite 20 units. Both columns have the
  // same, and every other row measure follows it.
  if (main && !rows.empty()) {
    const int measured = HIWORD(SendMessageW(bar, TB_GETBUTTONSIZE, 0, 0));
    if (measured > 0) rowHeight_ = measured;
  }
  // Every button, drop-down arrow included, is exactly one column wide.
  TBBUTTONINFOW info = {};
  info.cbSize = sizeof info;
  info.dwMask = TBIF_SIZE | TBIF_BYINDEX;
  info.cx = static_cast<WORD>(Px(main ? kMainButtonWidth : kSideButtonWidth));
  for (size_t i = 0; i < rows.size(); ++i) SendMessageW(bar, TB_SETBUTTONINFOW, i, reinterpret_cast<LPARAM>(&info));
  int width = Px(main ? kMainWidth : kSideWidth);
  int height = static_cast<int>(buttons.size()) * rowHeight_ + Px(2);
  SetWindowPos(bar, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HMENU DataPagesView::BuildMenu(const std::vector<MenuEntry>& entries, int depth) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  for (const MenuEntry& e : entries) {
    MENUITEMINFOW item = {};
    item.cbSize = sizeof item;
    if (e.kind == MenuEntryKind::kSeparator) {
      item.fMask = MIIM_FTYPE;
      item.fType = MFT_SEPARATOR;
      InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &item);
      continue;
    }
    menuRecords_.push_back(MenuRecord{FromAnsi(e.caption), e.imageIndex, e.name});
    MenuRecord& record = menuRecords_.back();
    item.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_ID;
    item.fType = MFT_OWNERDRAW;
    item.dwItemData = reinterpret_cast<ULONG_PTR>(&record);
    item.wID = e.kind == MenuEntryKind::kRunnable ? nextMenuId_++ : 0;
    if (e.kind == MenuEntryKind::kSubmenu && depth < 3) {
      item.fMask |= MIIM_SUBMENU;
      item.hSubMenu = BuildMenu(e.children, depth + 1);
    }
    InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &item);
  }
  return menu;
}

void DataPagesView::BuildPage(int index, const std::function<void()>& advance) {
  const DataPage& page = (*pages_)[static_cast<std::size_t>(index)];
  auto box = std::make_unique<PageScrollBox>();
  BuiltPage built;
  built.built = true;
  if (box->Create(tabs_, owner_, index, dpi_)) {
    box->mainBar = CreateBar(box->Handle(), Px(kMainLeft), Px(kMainWidth), true);
    box->sideBar = CreateBar(box->Handle(), Px(kSideLeft), Px(kSideWidth), false);
    // Rows interleave as the file lists them: main button, then side button.
    if (box->mainBar) FillBar(box->mainBar, page.main, true, advance);
    if (box->sideBar) FillBar(box->sideBar, page.side, false, advance);
    built.buttons = static_cast<int>(page.main.size() + page.side.size());
    for (const ItemButton& b : page.main)
      built.mainMenus.emplace_back(b.action == ItemAction::kDropDown ? BuildMenu(b.menu, 1) : nullptr);
    for (const ItemButton& b : page.side)
      built.sideMenus.emplace_back(b.action == ItemAction::kDropDown ? BuildMenu(b.menu, 1) : nullptr);
    box->SetRowHeight(rowHeight_);
    box->SetContentHeight(static_cast<int>(page.main.size()) * rowHeight_ + Px(4));
  }
  boxes_[static_cast<std::size_t>(index)] = std::move(box);
  built_[static_cast<std::size_t>(index)] = std::move(built);
  SetBounds(bounds_);
}

void DataPagesView::Show(const std::vector<DataPage>& pages, const std::function<void()>& advance) {
  Clear(advance);
  pages_ = &pages;
  // Every tab at once; a page's buttons and menus only when it is first shown,
  // so a large data file starts as fast as a small one.
  boxes_.resize(pages.size());
  built_.resize(pages.size());
  SendMessageW(tabs_, WM_SETREDRAW, FALSE, 0);
  for (std::size_t i = 0; i < pages.size(); ++i) {
    tabCaptions_.push_back(FromAnsi(pages[i].caption));
    TCITEMW tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = tabCaptions_.back().data();
    TabCtrl_InsertItem(tabs_, static_cast<int>(i), &tab);
  }
  if (!pages.empty()) BuildPage(0, advance);
  SendMessageW(tabs_, WM_SETREDRAW, TRUE, 0);
  SetBounds(bounds_);
  SetActivePage(PageCount() > 0 ? 0 : -1);
  InvalidateRect(tabs_, nullptr, TRUE);
}

void DataPagesView::SetActivePage(int page) {
  if (page >= 0 && page < PageCount()) {
    if (!built_[static_cast<std::size_t>(page)].built) BuildPage(page, {});
    TabCtrl_SetCurSel(tabs_, page);
  }
  const int active = PageCount() > 0 ? TabCtrl_GetCurSel(tabs_) : -1;
  for (int i = 0; i < PageCount(); ++i) {
    if (boxes_[i] && boxes_[i]->Handle()) ShowWindow(boxes_[i]->Handle(), i == active ? SW_SHOWNA : SW_HIDE);
  }
}

void DataPagesView::RefreshEnabled() {
  for (int p = 0; p < PageCount(); ++p) {
    if (!boxes_[p]) continue;
    for (int column = 0; column < 2; ++column) {
      HWND bar = column == 0 ? boxes_[p]->mainBar : boxes_[p]->sideBar;
      const auto& buttons = column == 0 ? (*pages_)[p].main : (*pages_)[p].side;
      for (size_t i = 0; i < buttons.size(); ++i)
        SendMessageW(bar, TB_ENABLEBUTTON, static_cast<WPARAM>(i) + kRowIdBase, MAKELONG(buttons[i].enabled, 0));
    }
  }
}

void DataPagesView::SetMarked(int page, int column, int row, bool marked) {
  PageScrollBox* box = Box(page);
  if (!box || row < 0) return;
  SendMessageW(column == 0 ? box->mainBar : box->sideBar, TB_MARKBUTTON, static_cast<WPARAM>(row) + kRowIdBase,
               MAKELONG(marked, 0));
}

bool DataPagesView::ButtonEnabled(int page, int column, int row) const {
  if (page < 0 || page >= PageCount()) return false;
  const auto& buttons = column == 0 ? (*pages_)[page].main : (*pages_)[page].side;
  return row >= 0 && row < static_cast<int>(buttons.size()) && buttons[row].enabled;
}

void DataPagesView::PressButton(int page, int column, int row) {
  if (!ButtonEnabled(page, column, row)) return;
  const ItemButton& b = column == 0 ? (*pages_)[page].main[row] : (*pages_)[page].side[row];
  if (b.action == ItemAction::kDropDown) {
    DropDown(page, column, row);
  } else if (b.action != ItemAction::kNone) {
    Choose(b.name);
  }
}

std::optional<std::pair<int, int>> DataPagesView::PageAndColumnOf(HWND bar) const {
  for (int p = 0; p < PageCount(); ++p) {
    if (!boxes_[p]) continue;
    if (boxes_[p]->mainBar == bar) return std::make_pair(p, 0);
    if (boxes_[p]->sideBar == bar) return std::make_pair(p, 1);
  }
  return std::nullopt;
}

void DataPagesView::Choose(const std::optional<ItemName>& name) {
  if (onChosen && name) onChosen(*name);
}

void DataPagesView::DropDown(int page, int column, int row) {
  PageScrollBox* box = Box(page);
  HMENU menu = (column == 0 ? built_[page].mainMenus[row] : built_[page].sideMenus[row]).Get();
  if (!box || !menu) return;
  HWND bar = column == 0 ? box->mainBar : box->sideBar;
  RECT r{};
  SendMessageW(bar, TB_GETRECT, static_cast<WPARAM>(row) + kRowIdBase, reinterpret_cast<LPARAM>(&r));
  MapWindowPoints(bar, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
  SendMessageW(bar, TB_PRESSBUTTON, static_cast<WPARAM>(row) + kRowIdBase, MAKELONG(TRUE, 0));
  UINT chosen = TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY, r.left, r.bottom,
                               0, owner_, nullptr);
  SendMessageW(bar, TB_PRESSBUTTON, static_cast<WPARAM>(row) + kRowIdBase, MAKELONG(FALSE, 0));
  if (chosen == 0) return;
  MENUITEMINFOW item = {};
  item.cbSize = sizeof item;
  item.fMask = MIIM_DATA;
  if (GetMenuItemInfoW(menu, chosen, FALSE, &item) && item.dwItemData) {
    Choose(reinterpret_cast<MenuRecord*>(item.dwItemData)->name);
  }
}

bool DataPagesView::OnCommand(HWND control, UINT id) {
  auto where = PageAndColumnOf(control);
  if (!where) return false;
  int row = static_cast<int>(id) - kRowIdBase;
  PressButton(where->first, where->second, row);
  return true;
}

bool DataPagesView::OnNotify(NMHDR* header, LRESULT& result) {
  if (header->hwndFrom == tabs_ && header->code == TCN_SELCHANGE) {
    const int page = TabCtrl_GetCurSel(tabs_);
    SetActivePage(page);
    if (onPageSelected) onPageSelected(page);
    result = 0;
    return true;
  }
  if (header->code == TBN_DROPDOWN) {
    auto where = PageAndColumnOf(header->hwndFrom);
    if (!where) return false;
    auto* notify = reinterpret_cast<NMTOOLBARW*>(header);
    DropDown(where->first, where->second, notify->iItem - kRowIdBase);
    result = TBDDRET_DEFAULT;
    return true;
  }
  return false;
}

bool DataPagesView::OnMeasureItem(MEASUREITEMSTRUCT* measure) {
  if (measure->CtlType != ODT_MENU || !measure->itemData) return false;
  auto* record = reinterpret_cast<MenuRecord*>(measure->itemData);
  WindowDc dc(owner_);
  SIZE size{};
  {
    SelectScope font(dc.Get(), menuFont_.Get());
    GetTextExtentPoint32W(dc.Get(), record->caption.c_str(), static_cast<int>(record->caption.size()), &size);
  }
  measure->itemWidth = static_cast<UINT>(size.cx + Px(24));
  measure->itemHeight = static_cast<UINT>(Px(18));
  return true;
}

// Menu entries draw their image at (+2, +2) and their caption at (+20, +3),
// in 96-dpi units.
bool DataPagesView::OnDrawItem(DRAWITEMSTRUCT* draw) {
  if (draw->CtlType != ODT_MENU || !draw->itemData) return false;
  auto* record = reinterpret_cast<MenuRecord*>(draw->itemData);
  bool selected = (draw->itemState & ODS_SELECTED) != 0;
  bool disabled = (draw->itemState & (ODS_DISABLED | ODS_GRAYED)) != 0;
  FillRect(draw->hDC, &draw->rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
  if (record->image >= 0) {
    ImageList_Draw(disabled ? images_.itemsDisabled : images_.items, record->image, draw->hDC,
                   draw->rcItem.left + Px(2), draw->rcItem.top + Px(2), ILD_TRANSPARENT);
  }
  SelectScope font(draw->hDC, menuFont_.Get());
  SetBkMode(draw->hDC, TRANSPARENT);
  SetTextColor(draw->hDC, GetSysColor(disabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
  TextOutW(draw->hDC, draw->rcItem.left + Px(20), draw->rcItem.top + Px(3), record->caption.c_str(),
           static_cast<int>(record->caption.size()));
  return true;
}

}  // namespace quiltor
