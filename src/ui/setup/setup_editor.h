#pragma once
// TFormSetupEditor "エディタ テスト＆設定": lists the test editor's windows
// and their class names, tries writing into (or copying from) a chosen one,
// and on OK hands the class names, the writing method, the interval and the
// keys back to the settings dialog. Closing it closes the test editor.
#include <windows.h>

#include <cstdint>
#include <span>

#include "delivery/delivery.h"
#include "delivery/editor_detection.h"
#include "platform/files.h"
#include "platform/win32/handles.h"
#include "platform/window_system.h"
#include "settings/setup_copy.h"
#include "ui/dialog_kit.h"

namespace quiltor {

struct DetectionServices {
  WindowSystem& windows;
  DeliveryRoutines& delivery;
  std::span<std::uint8_t> buffer1;  // TransferBuffer1; empty when there is none
  Bytes lineEnd;                    // the line end in force, not the one on tab 編集環境
  FileSystem& files;
  Bytes exeFolder;
};

class TFormSetupEditor : public ModalDialog {
 public:
  // The writing method, interval and cut & paste choice start as the
  // settings dialog's 連動モード tab shows them.
  TFormSetupEditor(DetectionScope scope, SetupCopy& copy, HWND settingsDialog, DetectionServices& services);

  struct Result {
    bool ok = false;
    std::int32_t keys = 0;    // composed from the key controls, for the shown kind
    Point settingsTopLeft;    // where the settings dialog goes now
  };
  Result Run();

 private:
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void FormCreate();
  void FormShow();
  void FormClose();
  void Render();
  void RenderHandles();
  void ButtonHandleClick();
  void ListBoxHandle1Click();
  void ListBoxHandle2Click();
  void ButtonTestClick();
  void ButtonOKClick();
  void ButtonHelpClick();
  void RadioGroupPasteKindClick();
  void RadioButtonCutPaste1Click();
  void RadioButtonCutPaste2Click();
  void RadioButtonCutPaste3Click();
  void TakeTypedInterval();

  SetupCopy& copy_;
  HWND settingsDialog_;
  DetectionServices& services_;
  EditorDetection detection_;
  DialogPlacement placement_;
  FontHandle handleFont_;
  Result result_;
};

}  // namespace quiltor
