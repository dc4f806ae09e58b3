#pragma once
// TFormSetupExtRendo "ﾌｧｲﾙ種別設定": adds, renames, removes and reorders the
// file kinds other than the common entry, on a working list of its own. Only
// "設定" hands the working list to the settings dialog's kind list.
#include <windows.h>

#include <optional>

#include "settings/setup_copy.h"
#include "settings/setup_lists.h"
#include "ui/dialog_kit.h"

namespace quiltor {

class TFormSetupExtRendo : public ModalDialog {
 public:
  // `copy` is the settings dialog's; `settingsDialog` the window it centres on.
  TFormSetupExtRendo(SetupCopy& copy, HWND settingsDialog);
  // True after "設定": the kind list was replaced and item 0 is shown.
  bool Run();

 private:
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void FormCreate();
  void RenderRows();
  void ListBoxExtRendoClick();
  void ButtonExtRendoAddClick();
  void ButtonExtRendoUpdateClick();
  void ButtonExtRendoDeleteClick();
  void ButtonExtRendoOKClick();
  // nullopt when the text was refused (the user has been told).
  std::optional<Bytes> Name() const;
  std::optional<Bytes> Ext() const;

  SetupCopy& copy_;
  HWND settingsDialog_;
  KindWorkingList work_;
};

}  // namespace quiltor
