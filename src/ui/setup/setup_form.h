#pragma once
// TFormSetup: the settings dialog's window. Its six tab sheets are child
// dialogs whose messages come here; each sheet's handlers live in a file of
// their own (setup_tab_*.cpp). Every value lives in the SetupCopy; the
// handlers move values between the controls and the copy and show the copy
// again.
#include <windows.h>

#include <array>
#include <memory>
#include <unordered_map>

#include "delivery/editor_tests.h"
#include "delivery/launch.h"
#include "settings/setup_copy.h"
#include "ui/dialog_kit.h"
#include "ui/setup/setup_dialog.h"

namespace quiltor {

class TFormSetup : public ModalDialog {
 public:
  TFormSetup(const AppSettings& settings, const MainWindowFacts& facts, Point mainTopLeft,
             SetupDialogContext& context);
  ~TFormSetup() override;

  SetupOutcome Run(HWND owner);

 private:
  static constexpr int kSheetCount = 6;
  static constexpr int kFirstSheet = 3;  // 簡易モード
  static constexpr UINT_PTR kTimerTest = 1;

  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  static INT_PTR CALLBACK SheetProcedure(HWND sheet, UINT message, WPARAM wparam, LPARAM lparam) noexcept;
  // Messages of the frame and of the sheets alike; TRUE when handled.
  INT_PTR OnMessage(HWND from, UINT message, WPARAM wparam, LPARAM lparam);
  void OnCommand(int id, int code);
  INT_PTR OnNotify(const NMHDR& header);
  HBRUSH OnColorStatic(HDC dc, HWND control);
  HWND Item(int id) const;
  // A size of 96-dpi units in the dialog's pixels.
  int Px(int units) const;

  // setup_form.cpp: the frame.
  void FormCreate();
  void CreateSheets();
  void ShowSheet(int index);
  void FormClose();
  void ButtonOKClick();
  void ButtonHelpClick();
  void Render();
  // Number boxes: typed values are taken when the box loses the focus.
  void ShowNumber(int editId);
  void TakeTypedNumber(int editId);
  void TakeAllTypedNumbers();
  bool OnSpin(int upDownId, int delta);

  // setup_tab_env.cpp: 動作環境Ⅰ and Ⅱ.
  void CreateTabEnv();
  void RenderTabEnv();
  void RenderFilterRows();
  bool CommandTabEnv(int id, int code);
  void CheckListBoxFileFilterClick();
  void ButtonFileFilterAddClick();
  void ButtonFileFilterUpdateClick();
  void ButtonFileFilterDelClick();
  bool DrawFilterRow(const DRAWITEMSTRUCT& draw);

  // setup_tab_edit.cpp: 編集環境 and 簡易モード.
  void CreateTabEdit();
  void RenderTabEdit();
  bool CommandTabEdit(int id, int code);
  void RadioGroupPasteKindEZClick();
  void RadioButtonCutPaste1Click();
  void RadioButtonCutPaste2Click();
  void RadioButtonCutPaste3Click();

  // setup_tab_linked.cpp: 連動モード and its editor tests.
  void CreateTabLinked();
  void RenderTabLinked();
  void RenderKindLists();
  bool CommandTabLinked(int id, int code);
  void ComboBoxExtRendoChange();
  void ButtonExtRendoClick();
  void ButtonEPathClick();
  void EditEditerPathChange();
  void ButtonTest1Click();
  void ButtonTest2Click();
  void ButtonTest3Click();
  void TimerTestTimer();
  void CloseTestEditor();

  // setup_tab_programs.cpp: プログラム.
  void CreateTabPrograms();
  void RenderTabPrograms();
  void RenderProgramRows();
  bool CommandTabPrograms(int id, int code);
  INT_PTR NotifyTabPrograms(const NMHDR& header);
  void ListBoxProgramClick();
  void ListBoxProgramDblClick();
  void ButtonProgramSetClick();
  void ButtonProgramCancelClick();
  void ButtonProgramBrowseClick();
  void ComboBoxFileKindChange();
  void ComboBoxDefaultProgramChange();
  bool ListBoxProgramDrawItem(const DRAWITEMSTRUCT& draw);
  void ResetProgramFields();

  const AppSettings& settings_;
  MainWindowFacts facts_;
  Point mainTopLeft_;
  SetupDialogContext& context_;
  SetupCopy copy_;
  DialogPlacement placement_;
  int dpi_ = 96;
  std::array<HWND, kSheetCount> sheets_{};
  std::unordered_map<int, HWND> items_;
  int currentSheet_ = kFirstSheet;
  bool rendering_ = false;
  Launcher launcher_;
  TestEditorWatch watch_;
  Bytes checkedEditor_;  // the editor path last looked for, and whether it was there
  bool editorExists_ = false;
  HWND filterHint_ = nullptr;
  SetupOutcome outcome_;
};

}  // namespace quiltor
