#pragma once
// The data pages as controls: one tab of PageControl per page, each holding a
// vertically scrolling box with the main column and the side column (flat
// list-style tool bars, one button per row) and the drop-down menus behind
// menu items. The model (data/pages.h) belongs to the main controller; this
// class only shows it and reports which item was chosen.
#include <windows.h>
#include <commctrl.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/pages.h"
#include "platform/win32/handles.h"
#include "ui/base_window.h"

namespace quiltor {

class WindowImages;

// The scrolling box of one page; it forwards its tool bars' commands and
// notifications to the main window.
class PageScrollBox : public BaseWindow<PageScrollBox> {
 public:
  // `dpi`: the scale of the rows and columns it holds.
  bool Create(HWND parent, HWND notify, int page, int dpi);
  void SetContentHeight(int height);
  // One row of buttons in pixels, what a scroll arrow moves.
  void SetRowHeight(int height) { rowHeight_ = height; }
  void ScrollBy(int dy);
  void ScrollTo(int position);
  int Position() const { return position_; }
  int ViewHeight() const;
  HWND mainBar = nullptr;  // main column
  HWND sideBar = nullptr;  // side column
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  void UpdateScrollBar();
  void PlaceBars();
  HWND notify_ = nullptr;
  int page_ = 0;
  int rowHeight_ = 20;
  int mainLeft_ = 1;
  int sideLeft_ = 214;
  int top_ = 1;
  int contentHeight_ = 0;
  int position_ = 0;
};

class DataPagesView {
 public:
  DataPagesView(HWND owner, const WindowImages& images);
  ~DataPagesView();
  DataPagesView(const DataPagesView&) = delete;
  DataPagesView& operator=(const DataPagesView&) = delete;

  bool Create();
  // Fonts and sizes for the DPI of the window's monitor; the pages shown
  // are then shown anew. `tabFont` is the window's font, kept by the caller.
  void SetDpi(int dpi, HFONT tabFont);
  HWND PageControl() const { return tabs_; }
  void SetBounds(const RECT& bounds);

  // Shows `pages` (kept by the caller for as long as they are shown) in
  // place of the pages shown so far: every tab, and the buttons of the first
  // page; a page's buttons are made when it is first shown. `advance` is
  // called once per destroyed and once per created button, for the loading bar.
  void Show(const std::vector<DataPage>& pages, const std::function<void()>& advance);
  void Clear(const std::function<void()>& advance);
  // Buttons the pages shown now have (both columns), for the loading bar.
  int ButtonCount() const;

  int PageCount() const { return static_cast<int>(built_.size()); }
  // The height of a row of buttons in pixels: what the tool bars make of
  // 20 units at this DPI with their font and images.
  int RowHeight() const { return rowHeight_; }
  void SetActivePage(int page);
  PageScrollBox* Box(int page) { return page >= 0 && page < PageCount() ? boxes_[page].get() : nullptr; }

  // Gives every item button the enabled state its model has now.
  void RefreshEnabled();
  // The cursor mark of the keyboard: exactly one marked button per page.
  void SetMarked(int page, int column, int row, bool marked);
  bool ButtonEnabled(int page, int column, int row) const;
  // Drops down the menu of a menu-item button, or clicks any other button.
  void PressButton(int page, int column, int row);

  // Main-window message routing. Returns true when the message was ours.
  bool OnCommand(HWND control, UINT id);
  bool OnNotify(NMHDR* header, LRESULT& result);
  bool OnMeasureItem(MEASUREITEMSTRUCT* measure);
  bool OnDrawItem(DRAWITEMSTRUCT* draw);

  // Called with the chosen button or menu entry.
  std::function<void(const ItemName& item)> onChosen;
  // The user clicked another tab.
  std::function<void(int page)> onPageSelected;

 private:
  struct MenuRecord {
    std::wstring caption;
    int image = -1;
    std::optional<ItemName> name;  // runnable entries only
  };
  struct BuiltPage {
    std::vector<MenuHandle> mainMenus;  // per row, empty when the row has no menu
    std::vector<MenuHandle> sideMenus;
    int buttons = 0;
    bool built = false;  // its box, buttons and menus exist (made when first shown)
  };
  HMENU BuildMenu(const std::vector<MenuEntry>& entries, int depth);
  void BuildPage(int index, const std::function<void()>& advance);
  void FillBar(HWND bar, const std::vector<ItemButton>& buttons, bool main, const std::function<void()>& advance);
  HWND CreateBar(HWND parent, int left, int width, bool main);
  void DropDown(int page, int column, int row);
  void Choose(const std::optional<ItemName>& name);
  std::optional<std::pair<int, int>> PageAndColumnOf(HWND bar) const;

  int Px(int units) const;

  HWND owner_;
  const WindowImages& images_;
  int dpi_ = 96;
  int rowHeight_ = 20;
  HWND tabs_ = nullptr;
  GdiObject itemFont_;
  GdiObject menuFont_;
  RECT bounds_{};
  const std::vector<DataPage>* pages_ = nullptr;
  std::vector<std::unique_ptr<PageScrollBox>> boxes_;
  std::vector<BuiltPage> built_;
  std::deque<MenuRecord> menuRecords_;  // stable addresses for the menus' item data
  std::vector<std::wstring> tabCaptions_;
  UINT nextMenuId_ = 1;
};

}  // namespace quiltor
