// TFormSetup, tabs 編集環境 and 簡易モード: line end, transfer-buffer sizes,
// hot keys, and how simple mode writes into the editor.
#include <string>
#include <vector>

#include "platform/win32/text_codec.h"
#include "ui/setup/setup_dialog_ids.h"
#include "ui/setup/setup_form.h"

namespace quiltor {
namespace {

constexpr int kSimpleSheet = 3;

// Position + 1 is the modifier value RegisterHotKey takes (Alt 1, Ctrl 2, Shift 4).
const std::vector<std::wstring> kModifierItems = {L"Alt",       L"Ctrl",       L"Ctrl+Alt",      L"Shift",
                                                  L"Shift+Alt", L"Ctrl+Shift", L"Ctrl+Shift+Alt"};

constexpr CutPasteControls kSimpleKeys = {
    {IDC_GroupBoxCopyKey, IDC_CheckBoxCopyCtrl, IDC_CheckBoxCopyShift, IDC_CheckBoxCopyAlt, IDC_ComboBoxCopy},
    {IDC_GroupBoxCutKey, IDC_CheckBoxCutCtrl, IDC_CheckBoxCutShift, IDC_CheckBoxCutAlt, IDC_ComboBoxCut},
    {IDC_GroupBoxPasteKey, IDC_CheckBoxPasteCtrl, IDC_CheckBoxPasteShift, IDC_CheckBoxPasteAlt, IDC_ComboBoxPaste},
};

bool IsSimpleKeyControl(int id) { return id >= IDC_GroupBoxCopyKey && id <= IDC_ComboBoxPaste; }

// The text of the item a combo box's list has just selected (its edit
// field still shows the old text when CBN_SELCHANGE arrives).
Bytes SelectedItemText(HWND combo) {
  const int item = ComboSelection(combo);
  if (item < 0) return {};
  const auto length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(item), 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  // The items are the letters A to Z.
  return ToAnsiExact(text).value_or(Bytes());
}

}  // namespace

void TFormSetup::CreateTabEdit() {
  std::vector<std::wstring> letters;
  for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) letters.emplace_back(1, letter);
  for (int id : {IDC_ComboBoxHotKeyR1, IDC_ComboBoxHotKeyA1}) FillComboBox(Item(id), kModifierItems);
  for (int id : {IDC_ComboBoxHotKeyR2, IDC_ComboBoxHotKeyA2}) {
    FillComboBox(Item(id), letters);
    SendMessageW(Item(id), CB_LIMITTEXT, 1, 0);
  }
  FillKeyLists(sheets_[kSimpleSheet], kSimpleKeys);
}

void TFormSetup::RenderTabEdit() {
  const SetupEnables enables = copy_.Enables();
  for (int i = 0; i < 3; ++i) SetChecked(Item(IDC_RadioGroupCRLF0 + i), copy_.crlf == i);
  ShowNumber(IDC_CSpinEditBufSize1);
  ShowNumber(IDC_CSpinEditBufSize2);
  struct HotKeyControls {
    const HotKeyBox& box;
    int check;
    int modifiers;
    int letter;
    bool enabled;
  };
  for (const HotKeyControls& hotKey :
       {HotKeyControls{copy_.hotKeyR, IDC_CheckBoxHotKeyR, IDC_ComboBoxHotKeyR1, IDC_ComboBoxHotKeyR2, enables.hotKeyRBoxes},
        HotKeyControls{copy_.hotKeyA, IDC_CheckBoxHotKeyA, IDC_ComboBoxHotKeyA1, IDC_ComboBoxHotKeyA2,
                       enables.hotKeyABoxes}}) {
    SetChecked(Item(hotKey.check), hotKey.box.on);
    SelectCombo(Item(hotKey.modifiers), static_cast<std::size_t>(hotKey.box.modifiers - 1));
    SetControlBytes(Item(hotKey.letter), hotKey.box.text);
    SetEnabled(Item(hotKey.modifiers), hotKey.enabled);
    SetEnabled(Item(hotKey.letter), hotKey.enabled);
  }

  SetChecked(Item(IDC_RadioGroupPasteKindEZ0), copy_.pasteKindEZ == 0);
  SetChecked(Item(IDC_RadioGroupPasteKindEZ1), copy_.pasteKindEZ == 1);
  ShowNumber(IDC_CSpinEditIntervalEZ);
  SetEnabled(Item(IDC_CSpinEditIntervalEZ), enables.intervalEZ);
  SetEnabled(Item(IDC_CSpinEditIntervalEZ + IDC_UpDownOffset), enables.intervalEZ);
  for (int i = 0; i < 3; ++i) {
    SetChecked(Item(IDC_RadioButtonCutPaste1 + i), copy_.cutPasteEZ.button == i);
    SetEnabled(Item(IDC_RadioButtonCutPaste1 + i), enables.cutPasteButtonsEZ);
  }
  ShowKeyGroups(sheets_[kSimpleSheet], kSimpleKeys, copy_.cutPasteEZ.keys, enables.keyGroupsEZ);
}

bool TFormSetup::CommandTabEdit(int id, int code) {
  switch (id) {
    case IDC_RadioGroupCRLF0:
    case IDC_RadioGroupCRLF1:
    case IDC_RadioGroupCRLF2:
      if (code == BN_CLICKED) copy_.crlf = id - IDC_RadioGroupCRLF0;
      return true;
    case IDC_CheckBoxHotKeyR:
    case IDC_CheckBoxHotKeyA:
      (id == IDC_CheckBoxHotKeyR ? copy_.hotKeyR : copy_.hotKeyA).on = Checked(Item(id));
      Render();
      return true;
    case IDC_ComboBoxHotKeyR1:
    case IDC_ComboBoxHotKeyA1:
      if (code == CBN_SELCHANGE && ComboSelection(Item(id)) >= 0) {
        (id == IDC_ComboBoxHotKeyR1 ? copy_.hotKeyR : copy_.hotKeyA).modifiers = ComboSelection(Item(id)) + 1;
      }
      return true;
    case IDC_ComboBoxHotKeyR2:
    case IDC_ComboBoxHotKeyA2: {
      HotKeyBox& box = id == IDC_ComboBoxHotKeyR2 ? copy_.hotKeyR : copy_.hotKeyA;
      if (code == CBN_EDITCHANGE) TakeControlBytes(Item(id), box.text);
      if (code == CBN_SELCHANGE) box.text = SelectedItemText(Item(id));
      if (code == CBN_KILLFOCUS) {
        // The box shows the letter that will be used.
        box.text = Bytes(1, box.Letter());
        Render();
      }
      return true;
    }
    case IDC_RadioGroupPasteKindEZ0:
    case IDC_RadioGroupPasteKindEZ1:
      if (code == BN_CLICKED) {
        copy_.pasteKindEZ = id - IDC_RadioGroupPasteKindEZ0;
        RadioGroupPasteKindEZClick();
      }
      return true;
    case IDC_RadioButtonCutPaste1:
      if (code == BN_CLICKED) RadioButtonCutPaste1Click();
      return true;
    case IDC_RadioButtonCutPaste2:
      if (code == BN_CLICKED) RadioButtonCutPaste2Click();
      return true;
    case IDC_RadioButtonCutPaste3:
      if (code == BN_CLICKED) RadioButtonCutPaste3Click();
      return true;
    default:
      break;
  }
  if (IsSimpleKeyControl(id)) {
    if (code == BN_CLICKED || code == CBN_SELCHANGE) copy_.cutPasteEZ.keys = ReadKeyGroups(sheets_[kSimpleSheet], kSimpleKeys);
    return true;
  }
  return false;
}

void TFormSetup::RadioGroupPasteKindEZClick() { Render(); }

void TFormSetup::RadioButtonCutPaste1Click() {
  copy_.cutPasteEZ.Choose(kStandard1);
  Render();
}

void TFormSetup::RadioButtonCutPaste2Click() {
  copy_.cutPasteEZ.Choose(kStandard2);
  Render();
}

void TFormSetup::RadioButtonCutPaste3Click() {
  copy_.cutPasteEZ.Choose(kDirectKeys);
  Render();
}

}  // namespace quiltor
