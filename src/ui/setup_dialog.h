#pragma once
// The settings dialog "環境設定", shown modally over the main window.
//
// Use from the main window (Popup_SetupClick):
//   stop the timer; hide the window;
//   SetupDialogOutcome outcome = ShowSetupDialog(hwnd, {left, top}, settings, facts, context);
//   if (outcome.ok) {
//     SetupCommit commit = CommitSetup(files, exeFolder, settings, outcome.edited, facts,
//                                      currentFile);   // settings/setup_confirm.h
//     report !commit.written; take commit.confirmation.settings; apply .reapply
//   }
//   move the window to outcome.mainTopLeft; show it; trim the file history;
//   start the timer.
#include <windows.h>

#include "platform/types.h"
#include "settings/settings.h"
#include "settings/setup_copy.h"

namespace quiltor {

struct Win32Platform;
class ExchangeArea;
class DeliveryRoutines;

// What the dialog's editor tests and help use.
struct SetupDialogContext {
  Win32Platform& platform;
  ExchangeArea& exchange;      // TransferBuffer1 for the detection dialog's copy test
  DeliveryRoutines& delivery;  // the tool's own, which keeps the user's clipboard
  Bytes exeFolder;             // with its trailing backslash
};

struct SetupDialogOutcome {
  bool ok = false;   // closed with OK: `edited` is what OK confirms
  SetupCopy edited;
  // Where the main window goes now: back where it was, or as far as the
  // user moved the dialog. Set after Cancel too.
  Point mainTopLeft;
};

// `mainTopLeft` is the main window's position, `settings` the settings in
// force (its line end is what the tests write). The dialog is told the
// companion library's presence by `facts` (CompanionLibraryInstalled). When the system cannot create the
// dialog, the user is told and the outcome is Cancel.
SetupDialogOutcome ShowSetupDialog(HWND owner, Point mainTopLeft, const AppSettings& settings,
                                   const MainWindowFacts& facts, SetupDialogContext& context);

}  // namespace quiltor
