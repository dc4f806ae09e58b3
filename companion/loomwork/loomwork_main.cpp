// Loomwork.exe, the companion program that makes and edits data files:
//   Loomwork.exe /L<left> /T<top>            asks for a name, writes a new data file, edits it
//   Loomwork.exe <data file> /L<left> /T<top> edits the data file
// Editing runs the user's editor for ".edt" files and waits for it; then the
// file is checked with the tool's own reader, and its faults are listed until
// the file is sound or the user gives up. Exit code 0 when the file is sound.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <iterator>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "companion.h"
#include "data/data_file.h"
#include "delivery/launch.h"
#include "exchange/command_line.h"
#include "findings_window.h"
#include "platform/win32/files.h"
#include "platform/win32/own_start.h"
#include "platform/win32/processes.h"
#include "platform/win32/window_system.h"
#include "platform/win32/text_codec.h"
#include "settings/profile.h"
#include "settings/settings.h"
#include "settings/settings_place.h"
#include "settings/setup_confirm.h"
#include "settings/unicode_files.h"
#include "text/cp932.h"
#include "ui/message_box.h"
#include "ui/messages.h"

using namespace quiltor;

namespace {

constexpr wchar_t kCaption[] = L"るーむわーく";
constexpr int kExitSound = 0;
constexpr int kExitGivenUp = 1;
constexpr int kExitFailed = 2;
// The file whose write tells whether the program's folder takes one.
constexpr char kProbeName[] = "Loomwork.probe";

// The settings file read without ever writing it: the tool may be running
// and owns that file.
class ReadOnlyIniFile : public IniFile {
 public:
  using IniFile::IniFile;
  bool WriteString(const Bytes&, const Bytes&, const Bytes&) override { return false; }
  bool DeleteKey(const Bytes&, const Bytes&) override { return false; }
  bool DeleteSection(const Bytes&) override { return false; }
};

class Companion {
 public:
  Companion(Bytes programFolder, const CompanionArguments& arguments)
      : programFolder_(std::move(programFolder)) {
    if (arguments.left && arguments.top) at_ = POINT{*arguments.left, *arguments.top};
  }

  int Run(const std::optional<Bytes>& dataFile) {
    // The settings where the tool keeps them; new data files go where the
    // user may write: the program's folder, else the user's own.
    folders_ = ChooseToolFolders(files_, programFolder_, UserDataFolder(kUserFolderName), kProbeName);
    ReadOnlyIniFile settingsFile(files_, JoinPath(folders_.settings, kSettingsFileName));
    editor_ = ChooseDataFileEditor(LoadSettings(settingsFile).settings.fileKinds);
    Bytes path;
    if (dataFile) {
      path = DataFileFullPath(programFolder_, *dataFile);
      if (!files_.Exists(path)) {
        Tell(L"データファイルがありません\n" + FromAnsi(path), MB_ICONERROR);
        return kExitFailed;
      }
    } else {
      std::optional<Bytes> created = CreateDataFile();
      if (!created) return kExitGivenUp;
      path = *created;
    }
    return EditUntilSound(path);
  }

 private:
  int EditUntilSound(const Bytes& path) {
    for (;;) {
      const Bytes commandLine = EditorCommandLine(editor_.path, editor_.param, path);
      const std::set<WindowId> before = TopWindowsNow(windows_);
      std::unique_ptr<Process> editor = processes_.Start(commandLine);
      if (!editor) {
        Tell(L"エディタを起動できません\n" + FromAnsi(commandLine), MB_ICONERROR);
        return kExitFailed;
      }
      // Not the started process alone: it may be a launcher that ended at once.
      WaitUntilEdited(processes_, windows_, *editor, before, FileNamePart(path));
      const std::optional<Bytes> contents = files_.ReadAll(path);
      if (!contents) {
        Tell(FromAnsi(DataErrorMessage({DataStatus::kUnreadable, path, 0})), MB_ICONERROR);
        return kExitFailed;
      }
      const std::vector<DataFinding> findings = CheckDataFile(*contents);
      if (findings.empty()) return kExitSound;
      if (ShowFindings(at_, path, findings) == FindingsAnswer::kGiveUp) return kExitGivenUp;
    }
  }

  // Asks for a name until it is one the tool will list, then writes the new
  // file; nullopt when the user cancels or the file cannot be written.
  std::optional<Bytes> CreateDataFile() {
    for (;;) {
      const std::optional<std::wstring> chosen = AskForName();
      if (!chosen) return std::nullopt;
      // Data files are named in code page 932; a name outside it is refused,
      // never made under a look-alike name.
      const std::optional<Bytes> named = ToAnsiExact(*chosen);
      if (!named) {
        Tell(UnrepresentableText(*chosen), MB_ICONWARNING);
        continue;
      }
      const Bytes& path = *named;
      switch (CheckNewDataFilePath(programFolder_, path, folders_.UserData())) {
        case NewFilePlace::kNotDataFile:
          Tell(L"拡張子を .edt にしてください", MB_ICONWARNING);
          continue;
        case NewFilePlace::kOutside:
          Tell(folders_.Portable() ? L"くいるとるのフォルダか、そのすぐ下のフォルダに保存してください"
                                   : L"くいるとるのフォルダかユーザーのくいるとるフォルダ、またはそのすぐ下のフォルダに保存してください",
               MB_ICONWARNING);
          continue;
        case NewFilePlace::kOk:
          break;
      }
      if (!files_.ReplaceAll(path, NewDataFileText(path))) {
        Tell(L"データファイルを書き込めません\n" + *chosen, MB_ICONERROR);
        return std::nullopt;
      }
      return path;
    }
  }

  static UINT_PTR CALLBACK PlaceSaveDialog(HWND child, UINT message, WPARAM, LPARAM lparam) {
    if (message == WM_NOTIFY) {
      const auto* notify = reinterpret_cast<const OFNOTIFYW*>(lparam);
      if (notify->hdr.code == CDN_INITDONE && notify->lpOFN->lCustData) {
        const auto* at = reinterpret_cast<const POINT*>(notify->lpOFN->lCustData);
        SetWindowPos(GetParent(child), nullptr, at->x, at->y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      }
    }
    return 0;
  }

  std::optional<std::wstring> AskForName() {
    wchar_t name[MAX_PATH * 2] = {};
    const std::wstring folder =
        FromAnsi(FolderWithoutTrailingSeparator(folders_.Portable() ? programFolder_ : folders_.settings));
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.lpstrFilter = L"くいるとるデータ (*.edt)\0*.edt\0";
    dialog.lpstrFile = name;
    dialog.nMaxFile = static_cast<DWORD>(std::size(name));
    dialog.lpstrInitialDir = folder.c_str();
    dialog.lpstrTitle = L"新しいくいるとるデータ";
    dialog.lpstrDefExt = L"edt";
    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (at_) {
      dialog.Flags |= OFN_ENABLEHOOK;
      dialog.lpfnHook = &Companion::PlaceSaveDialog;
      dialog.lCustData = reinterpret_cast<LPARAM>(&*at_);
    }
    if (GetSaveFileNameW(&dialog)) return std::wstring(name);
    if (CommDlgExtendedError() != 0) Tell(L"保存ダイアログを開けません", MB_ICONERROR);
    return std::nullopt;
  }

  void Tell(const std::wstring& text, UINT icon) {
    if (at_) {
      ShowMessageAt(nullptr, text, MB_OK | icon, *at_, kCaption);
    } else {
      MessageBoxW(nullptr, text.c_str(), kCaption, MB_OK | icon);
    }
  }

  Bytes programFolder_;
  ToolFolders folders_;
  std::optional<POINT> at_;
  Win32FileSystem disk_;
  Win32TextCodec codec_;
  // The data file and the settings may have been saved as "Unicode".
  UnicodeAwareFiles files_{disk_, codec_};
  Win32Processes processes_;
  Win32WindowSystem windows_;
  EditorChoice editor_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  std::wstring refused;
  const std::optional<Bytes> folder = OwnProgramFolder(refused);
  if (!folder) {
    const std::wstring text = refused.empty() ? L"プログラムのフォルダが分かりません" : UnrepresentableText(refused);
    MessageBoxW(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONERROR);
    return kExitFailed;
  }
  const std::optional<Bytes> argumentsText = OwnArgumentsText(refused);
  if (!argumentsText) {
    MessageBoxW(nullptr, UnrepresentableText(refused).c_str(), kCaption, MB_OK | MB_ICONERROR);
    return kExitFailed;
  }
  const CompanionArguments arguments = ParseCompanionArguments(SplitCommandLine(*argumentsText));
  return Companion(*folder, arguments).Run(arguments.dataFile);
}
