#include "ui/main/about_dialog.h"

#include <string>

#include "quiltor_version.h"
#include "ui/main/about_dialog_ids.h"
#include "ui/dialog_kit.h"
#include "ui/message_box.h"

namespace quiltor {
namespace {

class TFormAbout : public ModalDialog {
 public:
  void Run(HWND owner) {
    if (RunModal(owner, IDD_TFormAbout) == -1) {
      MessageBoxW(owner, L"バージョン情報を開けませんでした", kAppTitle, MB_OK | MB_ICONERROR);
    }
  }

 private:
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM) override {
    if (message == WM_INITDIALOG) {
      SetControlText(Item(IDC_AboutVersion), std::wstring(L"バージョン ") + QUILTOR_VERSION_WTEXT);
      return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) {
      EndDialog(hwnd_, IDOK);
      return TRUE;
    }
    return FALSE;
  }
};

}  // namespace

void ShowAboutDialog(HWND owner) { TFormAbout().Run(owner); }

}  // namespace quiltor
