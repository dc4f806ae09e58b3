// TFormSetup, tab プログラム: the program rows, their edit mode, and each file
// kind's default program.
#include <string>

#include "platform/win32/text_codec.h"
#include "text/cp932.h"
#include "ui/message_box.h"
#include "ui/setup/setup_dialog_ids.h"
#include "ui/setup/setup_form.h"

namespace quiltor {
namespace {

constexpr int kProgramSheet = 5;

struct HeaderSection {
  const wchar_t* caption;
  int width;     // 96-dpi units
  int minWidth;
};
constexpr HeaderSection kSections[] = {{L"表題", 150, 80}, {L"プログラム", 200, 100}, {L"パラメータ", 98, 50}};

// The right edge of header section `index` in list coordinates.
int SectionEdge(HWND header, int index) {
  RECT item{};
  SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return item.right;
}

void DrawColumn(HDC dc, const RECT& row, int left, int textLeft, int textTop, const Bytes& text, int background) {
  RECT column{left, row.top, row.right, row.bottom};
  FillRect(dc, &column, GetSysColorBrush(background));
  const std::wstring wide = FromAnsi(text);
  ExtTextOutW(dc, textLeft, row.top + textTop, ETO_CLIPPED, &column, wide.c_str(), static_cast<UINT>(wide.size()),
              nullptr);
}

}  // namespace

void TFormSetup::CreateTabPrograms() {
  HWND header = Item(IDC_HeaderControlProgram);
  HWND list = Item(IDC_ListBoxProgram);
  RECT sheet{};
  GetClientRect(sheets_[kProgramSheet], &sheet);
  RECT place{};
  GetWindowRect(header, &place);
  MapWindowPoints(nullptr, sheets_[kProgramSheet], reinterpret_cast<POINT*>(&place), 2);
  const int width = sheet.right - Px(4);
  SetWindowPos(header, nullptr, Px(2), place.top, width, place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
  RECT listPlace{};
  GetWindowRect(list, &listPlace);
  MapWindowPoints(nullptr, sheets_[kProgramSheet], reinterpret_cast<POINT*>(&listPlace), 2);
  SetWindowPos(list, nullptr, Px(2), place.bottom, width, listPlace.bottom - place.bottom,
               SWP_NOZORDER | SWP_NOACTIVATE);
  for (int i = 0; i < 3; ++i) {
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
    item.fmt = HDF_LEFT | HDF_STRING;
    item.cxy = Px(kSections[i].width);
    item.pszText = const_cast<wchar_t*>(kSections[i].caption);
    SendMessageW(header, HDM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }

  RowDrag drag;
  drag.move = [this](std::size_t from, std::size_t to) {
    copy_.programs.Move(from, to);
    InvalidateRect(Item(IDC_ListBoxProgram), nullptr, TRUE);
  };
  drag.dropped = [this] { RenderProgramRows(); };
  drag.edit = [this](std::size_t) {
    ListBoxProgramDblClick();
    // The list is off while a row is edited: the keys go on in its fields.
    if (copy_.programs.Editing()) {
      SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_EditProgramCaption)), TRUE);
    }
  };
  EnableRowDrag(list, std::move(drag));
  ResetProgramFields();
}

void TFormSetup::RenderProgramRows() {
  HWND list = Item(IDC_ListBoxProgram);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (std::size_t i = 0; i < copy_.programs.Count(); ++i) SendMessageW(list, LB_ADDSTRING, 0, 0);
  SelectListRow(list, copy_.programs.Selected());
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  // The default-program box follows the rows at once, so a program just
  // added can be chosen.
  FillComboBox(Item(IDC_ComboBoxDefaultProgram), copy_.programs.DefaultProgramItems());
  Render();
}

void TFormSetup::RenderTabPrograms() {
  const SetupEnables enables = copy_.Enables();
  const bool editing = copy_.programs.Editing();
  SelectCombo(Item(IDC_ComboBoxFileKind), copy_.fileKindItem);
  SelectCombo(Item(IDC_ComboBoxDefaultProgram), copy_.DefaultProgramItem());
  SetControlBytes(Item(IDC_EditProgramCaption), copy_.programFields.caption);
  SetControlBytes(Item(IDC_EditProgramPath), copy_.programFields.path);
  SetControlBytes(Item(IDC_EditProgramParam), copy_.programFields.param);
  SetControlText(Item(IDC_ButtonProgramSet), editing ? L"設定" : L"追加");
  SetControlText(Item(IDC_ButtonProgramCancel), editing ? L"中止" : L"削除");
  SetEnabled(Item(IDC_ButtonProgramSet), enables.programSet);
  SetEnabled(Item(IDC_ButtonProgramCancel), enables.programCancel);
  if ((IsWindowEnabled(Item(IDC_ListBoxProgram)) != FALSE) != enables.programList) {
    SetEnabled(Item(IDC_ListBoxProgram), enables.programList);
    InvalidateRect(Item(IDC_ListBoxProgram), nullptr, TRUE);
  }
}

bool TFormSetup::CommandTabPrograms(int id, int code) {
  switch (id) {
    case IDC_ComboBoxFileKind:
      if (code == CBN_SELCHANGE) ComboBoxFileKindChange();
      return true;
    case IDC_ComboBoxDefaultProgram:
      if (code == CBN_SELCHANGE) ComboBoxDefaultProgramChange();
      return true;
    case IDC_ListBoxProgram:
      if (code == LBN_SELCHANGE) ListBoxProgramClick();
      if (code == LBN_DBLCLK) ListBoxProgramDblClick();
      return true;
    case IDC_EditProgramCaption:
    case IDC_EditProgramPath:
    case IDC_EditProgramParam:
      if (code == EN_CHANGE) {
        // EditProgramChange
        Bytes& field = id == IDC_EditProgramCaption ? copy_.programFields.caption
                       : id == IDC_EditProgramPath  ? copy_.programFields.path
                                                    : copy_.programFields.param;
        TakeControlBytes(Item(id), field);
        Render();
      }
      return true;
    case IDC_ButtonProgramBrowse: ButtonProgramBrowseClick(); return true;
    case IDC_ButtonProgramSet: ButtonProgramSetClick(); return true;
    case IDC_ButtonProgramCancel: ButtonProgramCancelClick(); return true;
    default:
      return false;
  }
}

INT_PTR TFormSetup::NotifyTabPrograms(const NMHDR& header) {
  if (header.idFrom != IDC_HeaderControlProgram) return 0;
  switch (header.code) {
    case HDN_ITEMCHANGINGW:
    case HDN_ITEMCHANGINGA: {
      // HeaderControlProgramSectionTrack: no section narrower than its least width.
      const auto& change = reinterpret_cast<const NMHEADERW&>(header);
      if (change.pitem && (change.pitem->mask & HDI_WIDTH) && change.iItem >= 0 && change.iItem < 3) {
        return change.pitem->cxy < Px(kSections[change.iItem].minWidth) ? TRUE : FALSE;
      }
      return FALSE;
    }
    case HDN_ITEMCHANGEDW:
    case HDN_ITEMCHANGEDA:
    case HDN_TRACKW:
    case HDN_TRACKA:
      InvalidateRect(Item(IDC_ListBoxProgram), nullptr, TRUE);
      return FALSE;
    default:
      return 0;
  }
}

bool TFormSetup::ListBoxProgramDrawItem(const DRAWITEMSTRUCT& draw) {
  if (draw.CtlID != IDC_ListBoxProgram) return false;
  const RowColors colors = ColorsOfRow(draw, IsWindowEnabled(draw.hwndItem) != FALSE);
  FillRect(draw.hDC, &draw.rcItem, GetSysColorBrush(colors.background));
  const auto& rows = copy_.programs.Rows();
  if (draw.itemID < rows.size()) {
    const ProgramEntry& row = rows[draw.itemID];
    HWND header = Item(IDC_HeaderControlProgram);
    const int first = draw.rcItem.left + SectionEdge(header, 0);
    const int second = draw.rcItem.left + SectionEdge(header, 1);
    SetBkMode(draw.hDC, TRANSPARENT);
    SetTextColor(draw.hDC, colors.text);
    const int indent = Px(5);
    const int top = Px(4);
    DrawColumn(draw.hDC, draw.rcItem, draw.rcItem.left, draw.rcItem.left + indent, top, row.caption,
               colors.background);
    DrawColumn(draw.hDC, draw.rcItem, first - indent, first, top, row.program, colors.background);
    DrawColumn(draw.hDC, draw.rcItem, second - indent, second, top, row.param, colors.background);
  }
  if (draw.itemState & ODS_FOCUS) DrawFocusRect(draw.hDC, &draw.rcItem);
  return true;
}

void TFormSetup::ListBoxProgramClick() {
  const int row = ListSelection(Item(IDC_ListBoxProgram));
  copy_.programs.Select(row < 0 ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(row)));
  Render();
}

void TFormSetup::ListBoxProgramDblClick() {
  const int row = ListSelection(Item(IDC_ListBoxProgram));
  if (row < 0) return;
  if (std::optional<ProgramFields> fields = copy_.programs.EnterEdit(static_cast<std::size_t>(row))) {
    copy_.programFields = *fields;
  }
  Render();
}

void TFormSetup::ResetProgramFields() { copy_.programFields = ProgramFields{}; }

void TFormSetup::ButtonProgramSetClick() {
  const bool done = copy_.programs.Editing() ? copy_.programs.FinishEdit(copy_.programFields)
                                             : copy_.programs.Add(copy_.programFields);
  if (!done) return;
  ResetProgramFields();
  RenderProgramRows();
}

void TFormSetup::ButtonProgramCancelClick() {
  if (copy_.programs.Editing()) {
    copy_.programs.CancelEdit();
    ResetProgramFields();
    RenderProgramRows();
    return;
  }
  if (!copy_.programs.Selected()) return;
  if (MessageBoxW(hwnd_, L"削除します\nよろしいですか？", kAppTitle, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return;
  copy_.programs.Delete();
  RenderProgramRows();
}

void TFormSetup::ButtonProgramBrowseClick() {
  const Bytes& path = copy_.programFields.path;
  const std::optional<std::wstring> chosen =
      BrowseForFile(hwnd_, L"プログラムの選択", L"プログラム (*.exe, *.lnk, *.bat)|*exe;*.lnk;*.bat|すべてのファイル|*.*",
                 FromAnsi(FolderWithoutTrailingSeparator(FolderOf(path))), FromAnsi(FileNamePart(path)));
  const std::optional<Bytes> chosenPath = chosen ? TextBytes(hwnd_, *chosen) : std::nullopt;
  if (!chosenPath) return;
  copy_.programFields.path = *chosenPath;
  Render();
}

void TFormSetup::ComboBoxFileKindChange() {
  const int item = ComboSelection(Item(IDC_ComboBoxFileKind));
  if (item >= 0) copy_.fileKindItem = static_cast<std::size_t>(item);
  Render();
}

void TFormSetup::ComboBoxDefaultProgramChange() {
  const int item = ComboSelection(Item(IDC_ComboBoxDefaultProgram));
  if (item >= 0) copy_.SetDefaultProgram(static_cast<std::size_t>(item));
  Render();
}

}  // namespace quiltor
