#include "ui/setup/setup_ext_rendo.h"

#include "ui/message_box.h"
#include "ui/setup/setup_ext_rendo_ids.h"

namespace quiltor {

TFormSetupExtRendo::TFormSetupExtRendo(SetupCopy& copy, HWND settingsDialog)
    : copy_(copy), settingsDialog_(settingsDialog), work_(copy.kinds) {}

bool TFormSetupExtRendo::Run() {
  const INT_PTR result = RunModal(settingsDialog_, IDD_TFormSetupExtRendo);
  if (result == -1) MessageBoxW(settingsDialog_, L"ﾌｧｲﾙ種別設定を開けませんでした", kAppTitle, MB_OK | MB_ICONERROR);
  return result == IDOK;
}

INT_PTR TFormSetupExtRendo::HandleMessage(UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_INITDIALOG) {
    FormCreate();
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  const int id = LOWORD(wparam);
  const int code = HIWORD(wparam);
  switch (id) {
    case IDC_ListBoxExtRendo:
      if (code == LBN_SELCHANGE) ListBoxExtRendoClick();
      return TRUE;
    case IDC_ButtonExtRendoAdd:
      ButtonExtRendoAddClick();
      return TRUE;
    case IDC_ButtonExtRendoUpdate:
      ButtonExtRendoUpdateClick();
      return TRUE;
    case IDC_ButtonExtRendoDelete:
      ButtonExtRendoDeleteClick();
      return TRUE;
    case IDC_ButtonExtRendoOK:
      ButtonExtRendoOKClick();
      return TRUE;
    case IDC_ButtonExtRendoCancel:
      // ButtonExtRendoCancelClick and the close box: the working copies go with the dialog.
      EndDialog(hwnd_, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

void TFormSetupExtRendo::FormCreate() {
  const Rect own = WindowRectOf(hwnd_);
  const Point at = CenterOn(WindowRectOf(settingsDialog_), own.Width(), own.Height());
  MoveWindowTo(hwnd_, at.x, at.y);
  RowDrag drag;
  drag.move = [this](std::size_t from, std::size_t to) {
    work_.Move(from, to);
    RenderRows();
  };
  EnableRowDrag(Item(IDC_ListBoxExtRendo), std::move(drag));
  RenderRows();
}

void TFormSetupExtRendo::RenderRows() {
  FillListBox(Item(IDC_ListBoxExtRendo), work_.Texts());
  SelectListRow(Item(IDC_ListBoxExtRendo), work_.Selected());
}

std::optional<Bytes> TFormSetupExtRendo::Name() const { return ControlBytes(Item(IDC_EditExtRendoName)); }
std::optional<Bytes> TFormSetupExtRendo::Ext() const { return ControlBytes(Item(IDC_EditExtRendoExt)); }

void TFormSetupExtRendo::ListBoxExtRendoClick() {
  const int row = ListSelection(Item(IDC_ListBoxExtRendo));
  if (row < 0) return;
  work_.Select(static_cast<std::size_t>(row));
  const FilterFields fields = work_.Fields(static_cast<std::size_t>(row));
  SetControlBytes(Item(IDC_EditExtRendoName), fields.name);
  SetControlBytes(Item(IDC_EditExtRendoExt), fields.pattern);
}

void TFormSetupExtRendo::ButtonExtRendoAddClick() {
  const std::optional<Bytes> name = Name();
  const std::optional<Bytes> ext = name ? Ext() : std::nullopt;
  if (ext && work_.Add(*name, *ext)) RenderRows();
}

void TFormSetupExtRendo::ButtonExtRendoUpdateClick() {
  const std::optional<Bytes> name = Name();
  const std::optional<Bytes> ext = name ? Ext() : std::nullopt;
  if (ext && work_.Update(*name, *ext)) RenderRows();
}

void TFormSetupExtRendo::ButtonExtRendoDeleteClick() {
  if (!work_.Selected()) return;
  work_.Delete();
  RenderRows();
}

void TFormSetupExtRendo::ButtonExtRendoOKClick() {
  work_.ApplyTo(copy_.kinds, copy_.linked);
  copy_.fileKindItem = 0;
  EndDialog(hwnd_, IDOK);
}

}  // namespace quiltor
