// TFormSetup, tab 連動モード: the file kinds and the editor settings of the
// shown kind, the file-kind dialog, and the three editor tests.
#include <string>

#include "exchange/exchange_area.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "platform/win32/text_codec.h"
#include "platform/window_system.h"
#include "text/cp932.h"
#include "ui/delivery_messages.h"
#include "ui/message_box.h"
#include "ui/setup/setup_dialog_ids.h"
#include "ui/setup/setup_editor.h"
#include "ui/setup/setup_ext_rendo.h"
#include "ui/setup/setup_form.h"

namespace quiltor {
namespace {

constexpr DWORD kEditorStartWaitMs = 1000;

}  // namespace

void TFormSetup::CreateTabLinked() {}

void TFormSetup::RenderKindLists() {
  const std::vector<Bytes> texts = copy_.kinds.Texts();
  FillComboBox(Item(IDC_ComboBoxExtRendo), texts);
  SelectCombo(Item(IDC_ComboBoxExtRendo), copy_.kinds.Shown());
  FillComboBox(Item(IDC_ComboBoxFileKind), texts);
  SelectCombo(Item(IDC_ComboBoxFileKind), copy_.fileKindItem);
}

void TFormSetup::RenderTabLinked() {
  const SetupEnables enables = copy_.Enables();
  const LinkedTab& tab = copy_.linked;
  SetControlBytes(Item(IDC_EditEditerPath), tab.editerPath);
  SetControlBytes(Item(IDC_EditEditerParam), tab.editerParam);
  SetControlBytes(Item(IDC_EditClassName1), tab.className1);
  SetChecked(Item(IDC_CheckBoxClassName2), tab.className2Ticked);
  SetControlBytes(Item(IDC_EditClassName2), tab.className2);
  SetEnabled(Item(IDC_EditClassName2), enables.editClassName2);
  SetChecked(Item(IDC_RadioGroupPasteKind0), tab.pasteKind == 0);
  SetChecked(Item(IDC_RadioGroupPasteKind1), tab.pasteKind == 1);
  ShowNumber(IDC_CSpinEditInterval);
  for (int id : {IDC_LabelInterval, IDC_CSpinEditInterval, IDC_CSpinEditInterval + IDC_UpDownOffset}) {
    SetEnabled(Item(id), enables.interval);
  }
  SetEnabled(Item(IDC_RadioGroupCutPaste), enables.radioGroupCutPaste);
  for (int i = 0; i < 3; ++i) {
    SetChecked(Item(IDC_RadioGroupCutPaste0 + i), tab.cutPaste == i);
    SetEnabled(Item(IDC_RadioGroupCutPaste0 + i), enables.radioGroupCutPaste);
  }
  EditEditerPathChange();
}

bool TFormSetup::CommandTabLinked(int id, int code) {
  LinkedTab& tab = copy_.linked;
  switch (id) {
    case IDC_ComboBoxExtRendo:
      if (code == CBN_SELCHANGE) ComboBoxExtRendoChange();
      return true;
    case IDC_ButtonExtRendo: ButtonExtRendoClick(); return true;
    case IDC_ButtonEPath: ButtonEPathClick(); return true;
    case IDC_EditEditerPath:
      if (code == EN_CHANGE) {
        TakeControlBytes(Item(id), tab.editerPath);
        EditEditerPathChange();
      }
      return true;
    case IDC_EditEditerParam:
      if (code == EN_CHANGE) TakeControlBytes(Item(id), tab.editerParam);
      return true;
    case IDC_EditClassName1:
      if (code == EN_CHANGE) TakeControlBytes(Item(id), tab.className1);
      return true;
    case IDC_EditClassName2:
      if (code == EN_CHANGE) TakeControlBytes(Item(id), tab.className2);
      return true;
    case IDC_CheckBoxClassName2:
      tab.className2Ticked = Checked(Item(id));
      Render();
      return true;
    case IDC_RadioGroupPasteKind0:
    case IDC_RadioGroupPasteKind1:
      if (code == BN_CLICKED) {
        tab.pasteKind = id - IDC_RadioGroupPasteKind0;
        Render();
      }
      return true;
    case IDC_RadioGroupCutPaste0:
    case IDC_RadioGroupCutPaste1:
    case IDC_RadioGroupCutPaste2:
      if (code == BN_CLICKED) tab.cutPaste = id - IDC_RadioGroupCutPaste0;
      return true;
    case IDC_ButtonTest1: ButtonTest1Click(); return true;
    case IDC_ButtonTest2: ButtonTest2Click(); return true;
    case IDC_ButtonTest3: ButtonTest3Click(); return true;
    default:
      return false;
  }
}

void TFormSetup::ComboBoxExtRendoChange() {
  const int item = ComboSelection(Item(IDC_ComboBoxExtRendo));
  if (item < 0) return;
  copy_.ShowKind(static_cast<std::size_t>(item));
  Render();
}

void TFormSetup::ButtonExtRendoClick() {
  // Edits on this tab belong to the shown kind and go with it into the
  // file-kind dialog, so "設定" does not lose them.
  copy_.kinds.Commit(copy_.linked);
  TFormSetupExtRendo kinds(copy_, hwnd_);
  if (!kinds.Run()) return;
  RenderKindLists();
  Render();
}

void TFormSetup::ButtonEPathClick() {
  const Bytes& path = copy_.linked.editerPath;
  const Bytes folder = path.empty() ? context_.exeFolder : FolderOf(path);
  const std::optional<std::wstring> chosen =
      BrowseForFile(hwnd_, L"エディタの選択", L"エディタ (*.exe, *.lnk)|*exe;*.lnk|すべてのファイル|*.*",
                 FromAnsi(FolderWithoutTrailingSeparator(folder)), L"");
  const std::optional<Bytes> chosenPath = chosen ? TextBytes(hwnd_, *chosen) : std::nullopt;
  if (!chosenPath) return;
  copy_.linked.editerPath = *chosenPath;
  Render();
}

void TFormSetup::EditEditerPathChange() {
  const Bytes& path = copy_.linked.editerPath;
  if (path != checkedEditor_ || path.empty()) {
    checkedEditor_ = path;
    editorExists_ = !path.empty() && context_.files.Exists(path);
  }
  SetEnabled(Item(IDC_ButtonTest1), editorExists_);
  SetEnabled(Item(IDC_ButtonTest2), editorExists_);
}

void TFormSetup::ButtonTest1Click() {
  KillTimer(hwnd_, kTimerTest);
  watch_.Stop();
  SetEnabled(Item(IDC_ButtonTest3), false);
  const Bytes testFile = TestFilePath(context_.TestFolder());
  const Bytes commandLine = TestCommandLine(copy_.linked.editerPath, copy_.linked.editerParam, testFile);
  const DetectionStart start =
      StartDetectionEditor(context_.processes, context_.windows, context_.files, testFile, commandLine);
  const Rect own = WindowRectOf(hwnd_);
  const POINT messageAt{own.left + Px(100), own.top + Px(100)};
  if (!start.testFileReady) {
    ShowMessageAt(hwnd_, L"\"" + FromAnsi(testFile) + L"\" を作成できませんでした", MB_OK | MB_ICONWARNING, messageAt);
  }
  if (!start.processId) {
    ShowMessageAt(hwnd_, L"プログラムの起動に失敗しました", MB_OK | MB_ICONWARNING, messageAt);
    return;
  }
  ShowWindow(hwnd_, SW_HIDE);
  context_.processes.Sleep(kEditorStartWaitMs);

  TransferBuffer* buffer = context_.exchange.Buffer1();
  DetectionServices services{context_.windows,
                             context_.delivery,
                             buffer ? buffer->Span() : std::span<std::uint8_t>(),
                             settings_.lineEnd,
                             context_.files,
                             context_.exeFolder};
  TFormSetupEditor editor(DetectionScope{*start.processId, GetCurrentProcessId(), start.before}, copy_, hwnd_,
                          services);
  const TFormSetupEditor::Result result = editor.Run();
  if (result.ok) copy_.StoreDetectedKeys(result.keys);
  MoveWindowTo(hwnd_, result.settingsTopLeft.x, result.settingsTopLeft.y);
  Render();
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  SetFocus(hwnd_);
}

void TFormSetup::ButtonTest2Click() {
  const Bytes commandLine =
      TestCommandLine(copy_.linked.editerPath, copy_.linked.editerParam, TestFilePath(context_.TestFolder()));
  const AskToContinue ask = [this](std::wstring_view question) {
    return MessageBoxW(hwnd_, std::wstring(question).c_str(), kAppTitle, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
  };
  watch_.Start(FindTestEditor(launcher_, commandLine, copy_.linked, ask));
  if (!SetTimer(hwnd_, kTimerTest, TestEditorWatch::kIntervalMs, nullptr)) {
    watch_.Stop();
    MessageBoxW(hwnd_, L"タイマーを開始できませんでした", kAppTitle, MB_OK | MB_ICONERROR);
  }
  context_.processes.Sleep(kEditorStartWaitMs);
  SetForegroundWindow(hwnd_);
  SetFocus(hwnd_);
}

void TFormSetup::ButtonTest3Click() {
  const std::int32_t keys = TestKeySetting(copy_.linked, copy_.ShownKindKeys());
  const DeliveryStatus status = WriteTestTexts(context_.delivery, watch_.Target(), copy_.linked.pasteKind,
                                               copy_.linked.interval, keys, settings_.lineEnd);
  if (status != DeliveryStatus::kOk) {
    const std::wstring failure = DeliveryMessage(status, context_.delivery.LostFormats());
    MessageBoxW(hwnd_, failure.c_str(), kAppTitle, MB_OK | MB_ICONWARNING);
  }
  SetForegroundWindow(hwnd_);
}

void TFormSetup::TimerTestTimer() {
  SetEnabled(Item(IDC_ButtonTest3), watch_.Tick(context_.windows));
  if (!watch_.Running()) KillTimer(hwnd_, kTimerTest);
}

void TFormSetup::CloseTestEditor() {
  if (!watch_.Running()) return;
  KillTimer(hwnd_, kTimerTest);
  watch_.CloseEditor(context_.windows);
}

}  // namespace quiltor
