#include "findings_window.h"

#include <commctrl.h>

#include <string>

#include "companion_ids.h"
#include "platform/win32/text_codec.h"
#include "ui/message_box.h"

namespace quiltor {

namespace {

struct FindingsInput {
  const std::optional<POINT>& at;
  const Bytes& path;
  const std::vector<DataFinding>& findings;
};

void AddColumn(HWND list, int index, const wchar_t* caption, int width) {
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = const_cast<wchar_t*>(caption);
  column.cx = width;
  SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

void SetCell(HWND list, int row, int column, const std::wstring& text) {
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void FillFindings(HWND dialog, const FindingsInput& input) {
  const std::wstring summary = FromAnsi(input.path) + L"\nに誤りがあります (" +
                               std::to_wstring(input.findings.size()) + L" 件)";
  SetDlgItemTextW(dialog, IDC_FINDINGS_TEXT, summary.c_str());
  HWND list = GetDlgItem(dialog, IDC_FINDINGS_LIST);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  AddColumn(list, 0, L"行", 45);
  AddColumn(list, 1, L"キー", 75);
  AddColumn(list, 2, L"内容", 340);
  int row = 0;
  for (const DataFinding& finding : input.findings) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    // A fault with no line of its own (no "Version" section at all) shows "-".
    const std::wstring line = finding.line > 0 ? std::to_wstring(finding.line) : L"-";
    item.pszText = const_cast<wchar_t*>(line.c_str());
    if (SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)) < 0) break;
    SetCell(list, row, 1, FromAnsi(finding.key));
    SetCell(list, row, 2, FromAnsi(finding.message));
    ++row;
  }
}

INT_PTR CALLBACK FindingsProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* input = reinterpret_cast<const FindingsInput*>(lparam);
      try {
        FillFindings(dialog, *input);
      } catch (...) {
        // A list that could not be filled still lets the user choose.
      }
      if (input->at) SetWindowPos(dialog, nullptr, input->at->x, input->at->y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      SetForegroundWindow(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wparam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

FindingsAnswer ShowFindings(const std::optional<POINT>& at, const Bytes& path,
                            const std::vector<DataFinding>& findings) {
  FindingsInput input{at, path, findings};
  const INT_PTR answer = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_FINDINGS), nullptr,
                                         &FindingsProc, reinterpret_cast<LPARAM>(&input));
  if (answer == IDOK) return FindingsAnswer::kEditAgain;
  if (answer != IDCANCEL) ShowErrorBox(nullptr, L"誤りの一覧を表示できません");
  return FindingsAnswer::kGiveUp;
}

}  // namespace quiltor
