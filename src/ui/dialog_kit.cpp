#include "ui/dialog_kit.h"

#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>
#include <cwchar>
#include <exception>
#include <memory>

#include "platform/win32/handles.h"
#include "platform/win32/monitors.h"
#include "platform/win32/text_codec.h"
#include "settings/key_codes.h"
#include "ui/message_box.h"
#include "ui/messages.h"

namespace quiltor {

// ---- ModalDialog ---------------------------------------------------------------

INT_PTR ModalDialog::RunModal(HWND owner, int templateId) {
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner, &Procedure,
                         reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK ModalDialog::Procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  ModalDialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<ModalDialog*>(lparam);
    SetWindowLongPtrW(dialog, DWLP_USER, lparam);
    if (self) self->hwnd_ = dialog;
  } else {
    self = reinterpret_cast<ModalDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  }
  if (!self) return FALSE;
  try {
    const INT_PTR result = self->HandleMessage(message, wparam, lparam);
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(dialog, DWLP_USER, 0);
      self->hwnd_ = nullptr;
    }
    return result;
  } catch (const std::exception& error) {
    ShowErrorBox(dialog, FromAnsi(error.what()));
  } catch (...) {
    ShowErrorBox(dialog, L"予期しないエラーが発生しました");
  }
  return FALSE;
}

// ---- Controls ------------------------------------------------------------------

std::wstring ControlText(HWND control) {
  const int length = GetWindowTextLengthW(control);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(control, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

void SetControlText(HWND control, const std::wstring& text) {
  if (control && ControlText(control) != text) SetWindowTextW(control, text.c_str());
}

std::optional<Bytes> TextBytes(HWND owner, const std::wstring& text) {
  std::optional<Bytes> bytes = ToAnsiExact(text);
  if (!bytes) MessageBoxW(owner, UnrepresentableText(text).c_str(), kAppTitle, MB_OK | MB_ICONWARNING);
  return bytes;
}

std::optional<Bytes> ControlBytes(HWND control) { return TextBytes(GetAncestor(control, GA_ROOT), ControlText(control)); }

void TakeControlBytes(HWND control, Bytes& field) {
  if (std::optional<Bytes> bytes = ControlBytes(control)) {
    field = std::move(*bytes);
  } else {
    SetControlBytes(control, field);
  }
}

void SetControlBytes(HWND control, const Bytes& text) { SetControlText(control, FromAnsi(text)); }

bool Checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void SetChecked(HWND button, bool checked) {
  SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void SetEnabled(HWND control, bool enabled) {
  if (control && (IsWindowEnabled(control) != FALSE) != enabled) EnableWindow(control, enabled ? TRUE : FALSE);
}

void FillComboBox(HWND combo, const std::vector<std::wstring>& items) {
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const std::wstring& item : items) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
}

void FillComboBox(HWND combo, const std::vector<Bytes>& items) {
  std::vector<std::wstring> wide;
  for (const Bytes& item : items) wide.push_back(FromAnsi(item));
  FillComboBox(combo, wide);
}

int ComboSelection(HWND combo) { return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)); }

void SelectCombo(HWND combo, std::optional<std::size_t> item) {
  SendMessageW(combo, CB_SETCURSEL, item ? static_cast<WPARAM>(*item) : static_cast<WPARAM>(-1), 0);
}

void FillListBox(HWND list, const std::vector<Bytes>& items) {
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const Bytes& item : items) {
    const std::wstring text = FromAnsi(item);
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

int ListSelection(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)); }

void SelectListRow(HWND list, std::optional<std::size_t> row) {
  SendMessageW(list, LB_SETCURSEL, row ? static_cast<WPARAM>(*row) : static_cast<WPARAM>(-1), 0);
}

std::optional<std::int64_t> ParseNumber(const std::wstring& text) {
  std::size_t begin = text.find_first_not_of(L" \t");
  if (begin == std::wstring::npos) return std::nullopt;
  const std::size_t end = text.find_last_not_of(L" \t") + 1;
  const std::wstring digits = text.substr(begin, end - begin);
  if (digits.size() > 12) return std::nullopt;
  wchar_t* stop = nullptr;
  const long long value = std::wcstoll(digits.c_str(), &stop, 10);
  if (!stop || *stop != L'\0') return std::nullopt;
  return value;
}

HFONT JapaneseUiFont() {
  static const FontHandle font = [] {
    LOGFONTW logFont{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof logFont, &logFont);
    logFont.lfCharSet = SHIFTJIS_CHARSET;
    wcscpy_s(logFont.lfFaceName, L"MS UI Gothic");
    return FontHandle(CreateFontIndirectW(&logFont));
  }();
  return font ? font.Get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

int DialogWidthFor(HWND dialog, int units) {
  RECT client{0, 0, units, 0};
  MapDialogRect(dialog, &client);
  RECT window{}, own{};
  GetWindowRect(dialog, &window);
  GetClientRect(dialog, &own);
  return client.right + (window.right - window.left) - own.right;
}

void MoveWindowTo(HWND window, int left, int top) {
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Rect WindowRectOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {r.left, r.top, r.right, r.bottom};
}

Rect WorkAreaOf(HWND window) {
  return WorkAreaOfWindow(static_cast<WindowId>(reinterpret_cast<std::uintptr_t>(window)));
}

RowColors ColorsOfRow(const DRAWITEMSTRUCT& draw, bool listEnabled) {
  if (!listEnabled) return {GetSysColor(COLOR_GRAYTEXT), COLOR_BTNFACE};
  if (draw.itemState & ODS_SELECTED) return {GetSysColor(COLOR_HIGHLIGHTTEXT), COLOR_HIGHLIGHT};
  return {GetSysColor(COLOR_WINDOWTEXT), COLOR_WINDOW};
}

std::optional<std::wstring> BrowseForFile(HWND owner, const std::wstring& title, const std::wstring& filter,
                                       const std::wstring& folder, const std::wstring& name) {
  std::wstring filterList = filter;
  for (wchar_t& c : filterList) {
    if (c == L'|') c = L'\0';
  }
  filterList.push_back(L'\0');
  std::wstring file = name;
  file.resize(std::max<std::size_t>(file.size() + 1, 32768), L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filterList.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.lpstrTitle = title.c_str();
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (GetOpenFileNameW(&dialog)) return std::wstring(file.c_str());
  if (CommDlgExtendedError() != 0) {
    MessageBoxW(owner, L"ファイル選択ダイアログを開けませんでした", kAppTitle, MB_OK | MB_ICONERROR);
  }
  return std::nullopt;
}

// ---- Dragging rows -------------------------------------------------------------

namespace {

struct DragState {
  RowDrag handlers;
  bool dragging = false;
  std::size_t row = 0;
};

constexpr UINT_PTR kRowDragId = 0x5154;  // subclass id of EnableRowDrag

// The row under a client point; the row count for the empty area below the
// last row; nullopt outside the list.
std::optional<std::size_t> RowAt(HWND list, POINT point) {
  RECT client{};
  GetClientRect(list, &client);
  if (!PtInRect(&client, point)) return std::nullopt;
  const auto count = static_cast<std::size_t>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  const LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
  if (HIWORD(hit) == 0 && LOWORD(hit) < count) return LOWORD(hit);
  return count;
}

// Alt+Up / Alt+Down: the selected row moves by one place and stays selected.
bool MoveSelectedRow(HWND list, DragState& state, bool up) {
  const int row = ListSelection(list);
  const auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  const int to = up ? row - 1 : row + 1;
  if (row < 0 || to < 0 || to >= count || !state.handlers.move) return false;
  state.handlers.move(static_cast<std::size_t>(row), static_cast<std::size_t>(to));
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(to), 0);
  if (state.handlers.dropped) state.handlers.dropped();
  return true;
}

LRESULT CALLBACK RowDragProc(HWND list, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
  auto* state = reinterpret_cast<DragState*>(data);
  const POINT point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  switch (message) {
    case WM_LBUTTONDOWN: {
      const LRESULT result = DefSubclassProc(list, message, wparam, lparam);
      const std::optional<std::size_t> row = RowAt(list, point);
      const auto count = static_cast<std::size_t>(SendMessageW(list, LB_GETCOUNT, 0, 0));
      if (row && *row < count) {
        if (state->handlers.toggle && point.x < state->handlers.tickWidth) state->handlers.toggle(*row);
        state->dragging = true;
        state->row = *row;
      }
      return result;
    }
    case WM_MOUSEMOVE:
      if (state->dragging && (wparam & MK_LBUTTON)) {
        const std::optional<std::size_t> over = RowAt(list, point);
        const auto count = static_cast<std::size_t>(SendMessageW(list, LB_GETCOUNT, 0, 0));
        if (over && count > 0) {
          const std::size_t to = std::min(*over, count - 1);
          if (to != state->row && state->handlers.move) {
            state->handlers.move(state->row, to);
            state->row = to;
            SendMessageW(list, LB_SETCURSEL, to, 0);
          }
        }
        return 0;
      }
      break;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (state->dragging) {
        state->dragging = false;
        const LRESULT result = DefSubclassProc(list, message, wparam, lparam);
        if (state->handlers.dropped) state->handlers.dropped();
        return result;
      }
      break;
    case WM_GETDLGCODE: {
      // Enter is the list's own while it edits rows, not the default button's.
      const auto* msg = reinterpret_cast<const MSG*>(lparam);
      const LRESULT code = DefSubclassProc(list, message, wparam, lparam);
      if (state->handlers.edit && msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) {
        return code | DLGC_WANTMESSAGE;
      }
      return code;
    }
    case WM_KEYDOWN:
      if (wparam == VK_SPACE && state->handlers.toggle) {
        const int row = ListSelection(list);
        if (row >= 0) state->handlers.toggle(static_cast<std::size_t>(row));
        return 0;
      }
      if ((wparam == VK_RETURN || wparam == VK_F2) && state->handlers.edit) {
        const int row = ListSelection(list);
        if (row >= 0) state->handlers.edit(static_cast<std::size_t>(row));
        return 0;
      }
      break;
    case WM_SYSKEYDOWN:
      if ((wparam == VK_UP || wparam == VK_DOWN) && state->handlers.edit) {
        MoveSelectedRow(list, *state, wparam == VK_UP);
        return 0;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(list, &RowDragProc, kRowDragId);
      delete state;
      break;
    default:
      break;
  }
  return DefSubclassProc(list, message, wparam, lparam);
}

}  // namespace

void EnableRowDrag(HWND list, RowDrag drag) {
  auto state = std::make_unique<DragState>();
  state->handlers = std::move(drag);
  if (SetWindowSubclass(list, &RowDragProc, kRowDragId, reinterpret_cast<DWORD_PTR>(state.get()))) {
    state.release();
  }
}

// ---- Key groups ----------------------------------------------------------------

namespace {

template <typename Visit>
void ForEachGroup(const CutPasteControls& ids, KeyGroups& keys, Visit&& visit) {
  visit(ids.copy, keys.copy);
  visit(ids.cut, keys.cut);
  visit(ids.paste, keys.paste);
}

}  // namespace

void FillKeyLists(HWND dialog, const CutPasteControls& ids) {
  std::vector<Bytes> names;
  for (int key = 0; key < kKeyNumberCount; ++key) names.emplace_back(KeyNumberName(key));
  for (const KeyGroupControls* group : {&ids.copy, &ids.cut, &ids.paste}) {
    FillComboBox(GetDlgItem(dialog, group->key), names);
  }
}

void ShowKeyGroups(HWND dialog, const CutPasteControls& ids, const KeyGroups& shown, bool enabled) {
  KeyGroups keys = shown;
  ForEachGroup(ids, keys, [&](const KeyGroupControls& group, KeyChoice& key) {
    SetChecked(GetDlgItem(dialog, group.ctrl), key.ctrl);
    SetChecked(GetDlgItem(dialog, group.shift), key.shift);
    SetChecked(GetDlgItem(dialog, group.alt), key.alt);
    SelectCombo(GetDlgItem(dialog, group.key), static_cast<std::size_t>(key.key));
    for (int id : {group.group, group.ctrl, group.shift, group.alt, group.key}) {
      SetEnabled(GetDlgItem(dialog, id), enabled);
    }
  });
}

KeyGroups ReadKeyGroups(HWND dialog, const CutPasteControls& ids) {
  KeyGroups keys;
  ForEachGroup(ids, keys, [&](const KeyGroupControls& group, KeyChoice& key) {
    key.ctrl = Checked(GetDlgItem(dialog, group.ctrl));
    key.shift = Checked(GetDlgItem(dialog, group.shift));
    key.alt = Checked(GetDlgItem(dialog, group.alt));
    key.key = std::max(ComboSelection(GetDlgItem(dialog, group.key)), 0);
  });
  return keys;
}

}  // namespace quiltor
