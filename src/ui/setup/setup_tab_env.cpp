// TFormSetup, tabs 動作環境Ⅰ and 動作環境Ⅱ: window sizes, timers, history
// length, the companion library, the linked-mode choices and the file filters.
#include <algorithm>
#include <string>

#include "platform/win32/handles.h"
#include "platform/win32/text_codec.h"
#include "ui/setup/setup_dialog_ids.h"
#include "ui/setup/setup_form.h"

namespace quiltor {
namespace {

// In 96-dpi units.
constexpr int kTickBox = 13;     // side of a drawn tick box
constexpr int kTickColumn = 18;  // where a filter row's text starts

}  // namespace

void TFormSetup::CreateTabEnv() {
  HWND list = Item(IDC_CheckListBoxFileFilter);
  RowDrag drag;
  drag.move = [this](std::size_t from, std::size_t to) {
    copy_.filters.Move(from, to);
    InvalidateRect(Item(IDC_CheckListBoxFileFilter), nullptr, TRUE);
  };
  drag.tickWidth = Px(kTickColumn);
  drag.toggle = [this](std::size_t row) {
    copy_.filters.SetTicked(row, !copy_.filters.Rows().at(row).ticked);
    InvalidateRect(Item(IDC_CheckListBoxFileFilter), nullptr, TRUE);
  };
  // A row is edited in the two fields below the list, which a click on it fills.
  drag.edit = [this](std::size_t) {
    CheckListBoxFileFilterClick();
    SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_EditFileFilterName)), TRUE);
  };
  EnableRowDrag(list, std::move(drag));

  filterHint_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (filterHint_) {
    static wchar_t hint[] = L"複数指定する場合はセミコロン（;）で区切ってください";
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(Item(IDC_EditFileFilter));
    tool.lpszText = hint;
    SendMessageW(filterHint_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void TFormSetup::RenderTabEnv() {
  for (int id : {IDC_CSpinEditMinHeight, IDC_CSpinEditMaxHeight, IDC_CSpinEditTimer, IDC_CSpinEditTimerEZ,
                 IDC_CSpinEditResize, IDC_CSpinEditOpenFiles}) {
    ShowNumber(id);
  }
  SetChecked(Item(IDC_CheckBoxMakeNew), copy_.makeNew);
  SetChecked(Item(IDC_CheckBoxCaretInside), copy_.caretInside);
  SetChecked(Item(IDC_CheckBoxDLL), copy_.library);
  SetChecked(Item(IDC_RadioGroupChangeMode0), copy_.changeMode == 0);
  SetChecked(Item(IDC_RadioGroupChangeMode1), copy_.changeMode == 1);
  for (int i = 0; i < 3; ++i) SetChecked(Item(IDC_RadioGroupCloseMode0 + i), copy_.closeMode == i);
  SetControlBytes(Item(IDC_EditFileFilterName), copy_.filterFields.name);
  SetControlBytes(Item(IDC_EditFileFilter), copy_.filterFields.pattern);
}

void TFormSetup::RenderFilterRows() {
  HWND list = Item(IDC_CheckListBoxFileFilter);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  int widest = 0;
  {
    WindowDc dc(list);
    SelectScope font(dc.Get(), reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
    for (const FilterRow& row : copy_.filters.Rows()) {
      SendMessageW(list, LB_ADDSTRING, 0, 0);
      const std::wstring text = FromAnsi(row.text);
      SIZE size{};
      GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
      widest = std::max(widest, static_cast<int>(size.cx));
    }
  }
  SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + Px(kTickColumn + 4)), 0);
  SelectListRow(list, copy_.filters.Selected());
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

bool TFormSetup::DrawFilterRow(const DRAWITEMSTRUCT& draw) {
  if (draw.CtlID != IDC_CheckListBoxFileFilter) return false;
  const RowColors colors = ColorsOfRow(draw, IsWindowEnabled(draw.hwndItem) != FALSE);
  FillRect(draw.hDC, &draw.rcItem, GetSysColorBrush(colors.background));
  const auto& rows = copy_.filters.Rows();
  if (draw.itemID < rows.size()) {
    const FilterRow& row = rows[draw.itemID];
    const int box = Px(kTickBox);
    const int top = draw.rcItem.top + (draw.rcItem.bottom - draw.rcItem.top - box) / 2;
    RECT tick{draw.rcItem.left + Px(2), top, draw.rcItem.left + Px(2) + box, top + box};
    DrawFrameControl(draw.hDC, &tick, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (row.ticked ? DFCS_CHECKED : 0u));
    RECT text = draw.rcItem;
    text.left += Px(kTickColumn);
    SetBkMode(draw.hDC, TRANSPARENT);
    SetTextColor(draw.hDC, colors.text);
    const std::wstring caption = FromAnsi(row.text);
    DrawTextW(draw.hDC, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
  if (draw.itemState & ODS_FOCUS) DrawFocusRect(draw.hDC, &draw.rcItem);
  return true;
}

bool TFormSetup::CommandTabEnv(int id, int code) {
  switch (id) {
    case IDC_CheckBoxMakeNew:
      copy_.makeNew = Checked(Item(id));
      return true;
    case IDC_CheckBoxCaretInside:
      copy_.caretInside = Checked(Item(id));
      return true;
    case IDC_CheckBoxDLL:
      copy_.library = Checked(Item(id));
      return true;
    case IDC_RadioGroupChangeMode0:
    case IDC_RadioGroupChangeMode1:
      if (code == BN_CLICKED) copy_.changeMode = id - IDC_RadioGroupChangeMode0;
      return true;
    case IDC_RadioGroupCloseMode0:
    case IDC_RadioGroupCloseMode1:
    case IDC_RadioGroupCloseMode2:
      if (code == BN_CLICKED) copy_.closeMode = id - IDC_RadioGroupCloseMode0;
      return true;
    case IDC_CheckListBoxFileFilter:
      if (code == LBN_SELCHANGE) CheckListBoxFileFilterClick();
      return true;
    case IDC_EditFileFilterName:
      if (code == EN_CHANGE) TakeControlBytes(Item(id), copy_.filterFields.name);
      return true;
    case IDC_EditFileFilter:
      if (code == EN_CHANGE) TakeControlBytes(Item(id), copy_.filterFields.pattern);
      return true;
    case IDC_ButtonFileFilterAdd:
      ButtonFileFilterAddClick();
      return true;
    case IDC_ButtonFileFilterUpdate:
      ButtonFileFilterUpdateClick();
      return true;
    case IDC_ButtonFileFilterDel:
      ButtonFileFilterDelClick();
      return true;
    default:
      return false;
  }
}

void TFormSetup::CheckListBoxFileFilterClick() {
  const int row = ListSelection(Item(IDC_CheckListBoxFileFilter));
  if (row < 0) return;
  copy_.filters.Select(static_cast<std::size_t>(row));
  copy_.filterFields = FilterRows::Fields(copy_.filters.Rows()[static_cast<std::size_t>(row)].text);
  Render();
}

void TFormSetup::ButtonFileFilterAddClick() {
  if (copy_.filters.Add(copy_.filterFields)) RenderFilterRows();
}

void TFormSetup::ButtonFileFilterUpdateClick() {
  if (copy_.filters.Update(copy_.filterFields)) RenderFilterRows();
}

void TFormSetup::ButtonFileFilterDelClick() {
  copy_.filters.Delete();
  RenderFilterRows();
}

}  // namespace quiltor
