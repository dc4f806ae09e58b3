#pragma once
// What the tool's dialogs share: a modal dialog base that finds its C++
// object and keeps exceptions inside the dialog procedure, small control
// helpers, dragging list rows to a new position, and
// the key groups (Ctrl, Shift, Alt and a key) of the cut & paste settings.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"
#include "settings/setup_copy.h"

namespace quiltor {

// A modal dialog made from a DIALOGEX template. The procedure stores the
// object at WM_INITDIALOG, is noexcept, and shows an exception that escapes
// a handler in the application's error box, ending only that message.
class ModalDialog {
 public:
  ModalDialog() = default;
  ModalDialog(const ModalDialog&) = delete;
  ModalDialog& operator=(const ModalDialog&) = delete;
  virtual ~ModalDialog() = default;
  HWND Handle() const { return hwnd_; }

 protected:
  // The dialog's result, or -1 when the system could not create it (the
  // caller reports that).
  INT_PTR RunModal(HWND owner, int templateId);
  // TRUE when the message was handled.
  virtual INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) = 0;
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

  HWND hwnd_ = nullptr;

 private:
  static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) noexcept;
};

// ---- Controls ---------------------------------------------------------------

std::wstring ControlText(HWND control);
// Sets the text only when it differs, so a caret is not moved and no change
// notification is sent for nothing.
void SetControlText(HWND control, const std::wstring& text);
// The control's text as bytes. A text holding a character code page 932
// lacks is refused: the user is told which text, and nullopt comes back.
std::optional<Bytes> ControlBytes(HWND control);
// For EN_CHANGE: takes the control's text into `field`; a refused text is
// replaced in the control by the text `field` keeps.
void TakeControlBytes(HWND control, Bytes& field);
void SetControlBytes(HWND control, const Bytes& text);
// A text the user gave (a path picked in a file dialog) as bytes; refused
// with the same message as ControlBytes.
std::optional<Bytes> TextBytes(HWND owner, const std::wstring& text);
bool Checked(HWND button);
void SetChecked(HWND button, bool checked);
void SetEnabled(HWND control, bool enabled);
// Replaces the items; keeps nothing selected.
void FillComboBox(HWND combo, const std::vector<Bytes>& items);
void FillComboBox(HWND combo, const std::vector<std::wstring>& items);
int ComboSelection(HWND combo);
void SelectCombo(HWND combo, std::optional<std::size_t> item);
void FillListBox(HWND list, const std::vector<Bytes>& items);
int ListSelection(HWND list);
void SelectListRow(HWND list, std::optional<std::size_t> row);
// A whole number typed into a box; nullopt for anything else.
std::optional<std::int64_t> ParseNumber(const std::wstring& text);

// The font of the tool's own windows: the system's window font (its size
// follows the screen) in the Japanese character set, as a Japanese Windows
// has it. Another language's stock font may lack the Japanese glyphs of the
// captions. Lives as long as the process.
HFONT JapaneseUiFont();


// The width of a dialog whose client area is `units` dialog units wide, in
// the pixels of the dialog's font at its DPI, frame included.
int DialogWidthFor(HWND dialog, int units);
void MoveWindowTo(HWND window, int left, int top);
Rect WindowRectOf(HWND window);
// The work area of the monitor a window lies on: dialogs open on the tool's
// monitor, clear of the task bar.
Rect WorkAreaOf(HWND window);

// Owner-drawn rows: the row is cleared with the colour of an enabled or
// disabled list and its selection.
struct RowColors {
  COLORREF text;
  int background;  // a COLOR_* index
};
RowColors ColorsOfRow(const DRAWITEMSTRUCT& draw, bool listEnabled);

// The common open-file dialog. `filter` is "name|pattern|name|pattern";
// nullopt when the user cancelled. A dialog the system refused is reported
// to the user and counts as cancelled.
std::optional<std::wstring> BrowseForFile(HWND owner, const std::wstring& title, const std::wstring& filter,
                                       const std::wstring& folder, const std::wstring& name);

// ---- Dragging rows ----------------------------------------------------------

struct RowDrag {
  // The row `from` is over row `to` (past the last row: the empty area
  // below it); the owner moves it and shows the list again.
  std::function<void(std::size_t from, std::size_t to)> move;
  // The button was released after a drag.
  std::function<void()> dropped;
  // A click within `tickWidth` pixels of the left edge flips the row's tick
  // (a check list); 0 for a plain list.
  int tickWidth = 0;
  std::function<void(std::size_t row)> toggle;
  // With `edit`, the keyboard does what the mouse does: Enter or F2 edits
  // the selected row (Enter then no longer presses the dialog's default
  // button), Alt+Up and Alt+Down move it by one place.
  std::function<void(std::size_t row)> edit;
};
// Rows of `list` follow the pointer while the left button drags them. The
// handlers live as long as the list.
void EnableRowDrag(HWND list, RowDrag drag);

// ---- Key groups -------------------------------------------------------------

struct KeyGroupControls {
  int group;
  int ctrl;
  int shift;
  int alt;
  int key;  // combo box with the 50-item key list
};
struct CutPasteControls {
  KeyGroupControls copy;
  KeyGroupControls cut;
  KeyGroupControls paste;
};
// `dialog` holds the controls (a dialog or a tab sheet).
void FillKeyLists(HWND dialog, const CutPasteControls& ids);
void ShowKeyGroups(HWND dialog, const CutPasteControls& ids, const KeyGroups& keys, bool enabled);
KeyGroups ReadKeyGroups(HWND dialog, const CutPasteControls& ids);

}  // namespace quiltor
