#pragma once
// The item search as controls: a query box (an edit control, so the IME
// composes in it) at the top of the data pages' place and below it the list
// of hits, owner-drawn from the controller's ItemSearch (caption, then the
// page and menu path and the start of the text), or a note that nothing was
// found. The list holds no data of its own (LBS_NODATA): a keystroke sets
// its count and redraws the rows in view, whatever the number of hits.
#include <windows.h>

#include <string>

#include "platform/win32/handles.h"

namespace quiltor {

class MainController;
class WindowImages;

class SearchPanel {
 public:
  // Control ids, for the window's message routing and for tools outside.
  static constexpr int kEditId = 160;
  static constexpr int kListId = 161;
  static constexpr int kNoteId = 162;

  SearchPanel(MainController& controller, const WindowImages& images);
  bool Create(HWND parent, int dpi);
  // The font and the heights for the window's DPI (at creation and on WM_DPICHANGED).
  void SetDpi(int dpi);
  void SetBounds(const RECT& bounds);

  // Shows the empty box and the list (the focus goes to the box), or hides them.
  void Show(bool open);
  // Count, selection and note from the model; the rows in view are drawn
  // before this returns.
  void Render();
  int PageRows() const;
  HWND Edit() const { return edit_; }
  HWND List() const { return list_; }
  bool Owns(HWND window) const { return window && (window == edit_ || window == list_ || window == note_); }

  // WM_COMMAND from the box or the list; true when it was theirs.
  bool OnCommand(HWND control, UINT code);
  bool OnDrawItem(const DRAWITEMSTRUCT* draw);
  // WM_CTLCOLORLISTBOX / WM_CTLCOLORSTATIC of the list and the note: the
  // brush, or nullptr when the control is none of these.
  HBRUSH ControlColors(HWND control, HDC dc) const;

 private:
  int RowHeight() const;
  void SetRows();
  void DrawRow(const DRAWITEMSTRUCT* draw);

  MainController& controller_;
  const WindowImages& images_;
  HWND parent_ = nullptr;
  HWND edit_ = nullptr;
  HWND list_ = nullptr;
  HWND note_ = nullptr;
  GdiObject font_;
  int lineHeight_ = 12;
  int editHeight_ = 22;
  RECT bounds_{};
  bool settingText_ = false;  // our own change of the box's text is no query
  // Just opened: the full list is painted when the window next paints, so
  // a key that opened the search, whose character follows, draws the list once.
  bool paintLater_ = false;
};

}  // namespace quiltor
