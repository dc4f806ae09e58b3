#include "ui/setup/setup_editor.h"

#include "ui/delivery_messages.h"

#include <algorithm>
#include <string>
#include <utility>

#include "platform/win32/text_codec.h"
#include "ui/dpi.h"
#include "ui/help.h"
#include "ui/message_box.h"
#include "ui/setup/setup_editor_ids.h"

namespace quiltor {
namespace {

constexpr int kIntervalStep = 5;
constexpr int kLinkedTabHelpContext = 205;

constexpr CutPasteControls kKeys = {
    {IDC_GroupBoxCopyKey, IDC_CheckBoxCopyCtrl, IDC_CheckBoxCopyShift, IDC_CheckBoxCopyAlt, IDC_ComboBoxCopy},
    {IDC_GroupBoxCutKey, IDC_CheckBoxCutCtrl, IDC_CheckBoxCutShift, IDC_CheckBoxCutAlt, IDC_ComboBoxCut},
    {IDC_GroupBoxPasteKey, IDC_CheckBoxPasteCtrl, IDC_CheckBoxPasteShift, IDC_CheckBoxPasteAlt, IDC_ComboBoxPaste},
};

bool IsKeyControl(int id) { return id >= IDC_GroupBoxCopyKey && id <= IDC_ComboBoxPaste; }

}  // namespace

TFormSetupEditor::TFormSetupEditor(DetectionScope scope, SetupCopy& copy, HWND settingsDialog,
                                   DetectionServices& services)
    : copy_(copy),
      settingsDialog_(settingsDialog),
      services_(services),
      detection_(std::move(scope), copy.linked.interval, copy.linked.pasteKind, copy.linked.cutPaste, copy.ShownKindKeys()) {}

TFormSetupEditor::Result TFormSetupEditor::Run() {
  const Rect settings = WindowRectOf(settingsDialog_);
  result_.settingsTopLeft = {settings.left, settings.top};
  if (RunModal(settingsDialog_, IDD_TFormSetupEditor) == -1) {
    MessageBoxW(settingsDialog_, L"エディタ テスト＆設定を開けませんでした", kAppTitle, MB_OK | MB_ICONERROR);
  }
  return result_;
}

INT_PTR TFormSetupEditor::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    FormCreate();
    FormShow();
    return TRUE;
  }
  if (message == WM_NOTIFY) {
    const auto& header = *reinterpret_cast<const NMHDR*>(lparam);
    if (header.code != UDN_DELTAPOS) return FALSE;
    TakeTypedInterval();
    const int delta = reinterpret_cast<const NMUPDOWN&>(header).iDelta;
    detection_.interval = std::clamp(detection_.interval + (delta > 0 ? kIntervalStep : -kIntervalStep), 0,
                                     kMaxPasteInterval);
    Render();
    SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, TRUE);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  const int id = LOWORD(wparam);
  const int code = HIWORD(wparam);
  switch (id) {
    case IDC_ButtonOK: ButtonOKClick(); return TRUE;
    case IDC_ButtonCancel:
      FormClose();
      EndDialog(hwnd_, IDCANCEL);
      return TRUE;
    case IDC_ButtonHelp: ButtonHelpClick(); return TRUE;
    case IDC_ButtonHandle: ButtonHandleClick(); return TRUE;
    case IDC_ButtonTest: ButtonTestClick(); return TRUE;
    case IDC_ListBoxHandle1:
      if (code == LBN_SELCHANGE) ListBoxHandle1Click();
      return TRUE;
    case IDC_ListBoxHandle2:
      if (code == LBN_SELCHANGE) ListBoxHandle2Click();
      return TRUE;
    case IDC_RadioGroupPasteKind0:
    case IDC_RadioGroupPasteKind1:
      if (code == BN_CLICKED) {
        detection_.pasteKind = id - IDC_RadioGroupPasteKind0;
        RadioGroupPasteKindClick();
      }
      return TRUE;
    case IDC_RadioButtonCutPaste1: RadioButtonCutPaste1Click(); return TRUE;
    case IDC_RadioButtonCutPaste2: RadioButtonCutPaste2Click(); return TRUE;
    case IDC_RadioButtonCutPaste3: RadioButtonCutPaste3Click(); return TRUE;
    case IDC_CheckBoxTestCopy:
      detection_.testCopy = Checked(Item(id));
      return TRUE;
    case IDC_CSpinEditInterval:
      if (code == EN_KILLFOCUS) TakeTypedInterval();
      return TRUE;
    default:
      break;
  }
  if (IsKeyControl(id) && (code == BN_CLICKED || code == CBN_SELCHANGE)) {
    detection_.cutPaste.keys = ReadKeyGroups(hwnd_, kKeys);
    return TRUE;
  }
  return FALSE;
}

void TFormSetupEditor::FormCreate() {
  // The template gives the wide size, in units of the dialog's font at its DPI.
  const int wide = DialogWidthFor(hwnd_, kDetectionWideWidth);
  const Rect settings = WindowRectOf(settingsDialog_);
  placement_ = ClampToScreen(settings.left, settings.top, wide, WorkAreaOf(settingsDialog_));
  MoveWindowTo(hwnd_, placement_.left, placement_.top);
  handleFont_ = CreateFontAtDpi(L"ＭＳ ゴシック", 12, DpiOfWindow(hwnd_));
  if (handleFont_) {
    for (int id : {IDC_ListBoxHandle1, IDC_ListBoxHandle2}) {
      SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(handleFont_.Get()), FALSE);
    }
  }
  FillKeyLists(hwnd_, kKeys);
  // The control's default range (100 down to 0) would count the up arrow down.
  SendMessageW(Item(IDC_CSpinEditInterval + IDC_UpDownOffset), UDM_SETRANGE32, 0, kMaxPasteInterval);
}

void TFormSetupEditor::FormShow() {
  RadioGroupPasteKindClick();
  ButtonHandleClick();
}

void TFormSetupEditor::Render() {
  SetChecked(Item(IDC_RadioGroupPasteKind0), detection_.pasteKind == 0);
  SetChecked(Item(IDC_RadioGroupPasteKind1), detection_.pasteKind == 1);
  SetControlText(Item(IDC_CSpinEditInterval), std::to_wstring(detection_.interval));
  for (int i = 0; i < 3; ++i) SetChecked(Item(IDC_RadioButtonCutPaste1 + i), detection_.cutPaste.button == i);
  ShowKeyGroups(hwnd_, kKeys, detection_.cutPaste.keys, detection_.cutPaste.KeysUsable());
  SetControlBytes(Item(IDC_EditClassNameWk1), detection_.ParentClass());
  SetControlBytes(Item(IDC_EditClassNameWk2), detection_.ChildClass());
  SetChecked(Item(IDC_CheckBoxTestCopy), detection_.testCopy);
}

void TFormSetupEditor::RenderHandles() {
  FillListBox(Item(IDC_ListBoxHandle1), detection_.TopTexts());
  SelectListRow(Item(IDC_ListBoxHandle1), detection_.SelectedTop());
  FillListBox(Item(IDC_ListBoxHandle2), detection_.ChildTexts());
  SelectListRow(Item(IDC_ListBoxHandle2), detection_.SelectedChild());
  Render();
}

void TFormSetupEditor::TakeTypedInterval() {
  if (std::optional<std::int64_t> typed = ParseNumber(ControlText(Item(IDC_CSpinEditInterval)))) {
    detection_.interval = static_cast<int>(std::clamp<std::int64_t>(*typed, 0, kMaxPasteInterval));
  }
  Render();
}

void TFormSetupEditor::ButtonHandleClick() {
  detection_.ListTopWindows(services_.windows);
  RenderHandles();
}

void TFormSetupEditor::ListBoxHandle1Click() {
  const int row = ListSelection(Item(IDC_ListBoxHandle1));
  if (row < 0) return;
  detection_.ChooseTop(services_.windows, static_cast<std::size_t>(row));
  RenderHandles();
}

void TFormSetupEditor::ListBoxHandle2Click() {
  const int row = ListSelection(Item(IDC_ListBoxHandle2));
  if (row < 0) return;
  detection_.ChooseChild(services_.windows, static_cast<std::size_t>(row));
  Render();
}

void TFormSetupEditor::ButtonTestClick() {
  TakeTypedInterval();
  const EditorDetection::TestResult test = detection_.Test(services_.delivery, services_.buffer1, services_.lineEnd);
  if (!test.ran) return;
  if (test.status != DeliveryStatus::kOk) {
    const std::wstring failure = DeliveryMessage(test.status, services_.delivery.LostFormats());
    MessageBoxW(hwnd_, failure.c_str(), kAppTitle, MB_OK | MB_ICONWARNING);
  } else if (test.copied) {
    MessageBoxW(hwnd_, FromAnsi(*test.copied).c_str(), kAppTitle, MB_OK);
  }
  SetForegroundWindow(hwnd_);
}

void TFormSetupEditor::ButtonOKClick() {
  TakeTypedInterval();
  detection_.HandOver(copy_.linked);
  result_.ok = true;
  result_.keys = ComposeKeys(detection_.cutPaste.keys);
  FormClose();
  EndDialog(hwnd_, IDOK);
}

void TFormSetupEditor::FormClose() {
  const Rect rect = WindowRectOf(hwnd_);
  ShowWindow(hwnd_, SW_HIDE);
  detection_.CloseEditor(services_.windows);
  result_.settingsTopLeft = PositionAfterDetection({rect.left, rect.top}, placement_.clampOffset);
}

void TFormSetupEditor::ButtonHelpClick() {
  OpenHelpTopic(hwnd_, services_.files, services_.exeFolder, kLinkedTabHelpContext);
}

void TFormSetupEditor::RadioGroupPasteKindClick() {
  const Rect rect = WindowRectOf(hwnd_);
  SetWindowPos(hwnd_, nullptr, 0, 0, DialogWidthFor(hwnd_, detection_.Width()), rect.Height(),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Render();
}

void TFormSetupEditor::RadioButtonCutPaste1Click() {
  detection_.cutPaste.Choose(kStandard1);
  Render();
}

void TFormSetupEditor::RadioButtonCutPaste2Click() {
  detection_.cutPaste.Choose(kStandard2);
  Render();
}

void TFormSetupEditor::RadioButtonCutPaste3Click() {
  detection_.cutPaste.Choose(kDirectKeys);
  Render();
}

}  // namespace quiltor
