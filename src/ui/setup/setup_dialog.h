#pragma once
// The settings dialog "環境設定", shown modally over the main window.
//
// Use from the main window (Popup_SetupClick):
//   stop the timer; hide the window;
//   SetupOutcome outcome = ShowSetupDialog(hwnd, {left, top}, settings, facts, context);
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
#include "window/main_view.h"

namespace quiltor {

// `mainTopLeft` is the main window's position, `settings` the settings in
// force (its line end is what the tests write). The dialog is told the
// companion library's presence by `facts` (CompanionLibraryInstalled). When the system cannot create the
// dialog, the user is told and the outcome is Cancel.
SetupOutcome ShowSetupDialog(HWND owner, Point mainTopLeft, const AppSettings& settings,
                                   const MainWindowFacts& facts, SetupDialogContext& context);

}  // namespace quiltor
