// Shows one of the tool's setup dialogs over a plain owner window, with the
// settings file "Quiltor.ini" from this program's folder, so the dialogs can
// be driven and photographed under Wine without the main window:
//   qtsetupdlg setup [x y]   the settings dialog, the owner window at x, y
//                            (default 300, 200); OK writes the settings file
//   qtsetupdlg kinds         the file-kind dialog on the settings copy
//   qtsetupdlg editor [pid]  the detection dialog for process `pid` (default:
//                            this program, whose owner window holds an edit
//                            control with a word selected)
//   qtsetupdlg about         the version dialog
// Prints what the dialog handed back as UTF-8 lines.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "delivery/delivery.h"
#include "delivery/launch.h"
#include "exchange/exchange_area.h"
#include "platform/win32/platform.h"
#include "platform/win32/text_codec.h"
#include "settings/profile.h"
#include "settings/settings.h"
#include "settings/setup_confirm.h"
#include "text/cp932.h"
#include "tools/test_window.h"
#include "ui/main/about_dialog.h"
#include "ui/setup/setup_dialog.h"
#include "ui/setup/setup_editor.h"
#include "ui/setup/setup_ext_rendo.h"

using namespace quiltor;

namespace {

// A window like the tool's main window, with an edit control holding a word.
HWND CreateOwner(int x, int y) {
  if (!testwin::RegisterWindowClass(L"QtSetupOwner", &DefWindowProcW, GetSysColorBrush(COLOR_BTNFACE))) return nullptr;
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  HWND owner = CreateWindowExW(0, L"QtSetupOwner", L"qtsetupdlg", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, x, y, 275,
                               282, nullptr, nullptr, instance, nullptr);
  if (!owner) return nullptr;
  HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"one word", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 8, 8,
                              250, 200, owner, nullptr, instance, nullptr);
  SendMessageW(edit, EM_SETSEL, 4, 8);
  return owner;
}

Bytes ExeFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return FolderOf(path);
}

void PrintKinds(const FileKinds& kinds) {
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    std::printf("kind %zu [%s] [%s] [%s] %d %d %d %d\n", i, ToUtf8(FromAnsi(kinds[i].extName)).c_str(),
                kinds[i].ext.c_str(), ToUtf8(FromAnsi(kinds[i].editerPath)).c_str(), kinds[i].pasteKind,
                kinds[i].pasteInterval, kinds[i].cutPasteKey, kinds[i].programNo);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "setup";
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  Win32Platform platform;
  const Bytes exeFolder = ExeFolder();
  IniFile ini(*platform.files, exeFolder + kSettingsFileName);
  const AppSettings settings = LoadSettings(ini).settings;
  ExchangeArea exchange(*platform.sharedMemory);
  if (!exchange.CreateExchangeBlock()) return 2;
  exchange.StoreBufferSizes(ClampBufferSize(settings.bufSize1), ClampBufferSize(settings.bufSize2));
  if (!exchange.CreateTransferBuffers()) return 2;
  DeliveryRoutines delivery(*platform.clipboard, *platform.windows, *platform.keyboard, *platform.processes);

  const int x = mode == "setup" && argc > 3 ? std::atoi(argv[2]) : 300;
  const int y = mode == "setup" && argc > 3 ? std::atoi(argv[3]) : 200;
  HWND owner = CreateOwner(x, y);
  if (!owner) return 2;

  MainWindowFacts facts;
  facts.shrinkHeight = settings.minHeight;
  facts.maxHeight = settings.maxHeight;
  facts.bufSize1 = exchange.BufSize1();
  facts.bufSize2 = exchange.BufSize2();
  facts.libraryInSystem = CompanionLibraryInstalled(*platform.files);

  if (mode == "setup") {
    SetupDialogContext context{*platform.files, *platform.processes, *platform.windows, exchange, delivery, exeFolder};
    const SetupOutcome outcome = ShowSetupDialog(owner, {x, y}, settings, facts, context);
    std::printf("result %s\nmain %d %d\n", outcome.ok ? "ok" : "cancel", outcome.mainTopLeft.x, outcome.mainTopLeft.y);
    if (outcome.ok) {
      const SetupCommit commit =
          CommitSetup(*platform.files, ToolFolders{exeFolder, exeFolder}, settings, outcome.edited, facts, "");
      const SetupReapply& r = commit.confirmation.reapply;
      std::printf("written %d\nhotkeys %d\nbuffers %d\nshrink %d max %d openfiles %d\n", commit.written ? 1 : 0,
                  r.hotKeysChanged ? 1 : 0, r.newBufferSizes ? 1 : 0, r.shrinkHeight, r.maxHeight, r.openFiles);
      PrintKinds(commit.confirmation.settings.fileKinds);
    } else {
      DropOpenFileKeys(ini, settings.openFiles);
    }
  } else if (mode == "kinds") {
    SetupCopy copy(settings, facts);
    const bool set = TFormSetupExtRendo(copy, owner).Run();
    std::printf("result %s\n", set ? "ok" : "cancel");
    PrintKinds(copy.kinds.Kinds());
  } else if (mode == "editor") {
    const auto pid = static_cast<std::uint32_t>(argc > 2 ? std::strtoul(argv[2], nullptr, 10) : GetCurrentProcessId());
    SetupCopy copy(settings, facts);
    copy.ShowKind(0);
    TransferBuffer* buffer = exchange.Buffer1();
    DetectionServices services{*platform.windows, delivery, buffer ? buffer->Span() : std::span<std::uint8_t>(),
                               settings.lineEnd, *platform.files, exeFolder};
    // The windows of that process count as the editor's, as if it had just started.
    DetectionScope scope{pid, 0, TopWindowsNow(*platform.windows)};
    std::erase_if(scope.before, [&](WindowId window) { return platform.windows->ProcessOf(window) == pid; });
    const TFormSetupEditor::Result result = TFormSetupEditor(std::move(scope), copy, owner, services).Run();
    std::printf("result %s\nkeys %d\nclasses [%s] [%s] %d\npastekind %d interval %d\n", result.ok ? "ok" : "cancel",
                result.keys, copy.linked.className1.c_str(), copy.linked.className2.c_str(),
                copy.linked.className2Ticked ? 1 : 0, copy.linked.pasteKind, copy.linked.interval);
  } else if (mode == "about") {
    ShowAboutDialog(owner);
    std::printf("result closed\n");
  } else {
    std::fprintf(stderr, "unknown dialog %s\n", mode.c_str());
    return 1;
  }
  std::fflush(stdout);
  DestroyWindow(owner);
  exchange.Release();
  return 0;
}
