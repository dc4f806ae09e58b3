#pragma once
// The data-file selection dialog TFormLoomwork: lists the data files of the
// program's folder and its subfolders (and of the user's folder when the
// settings live there) with their titles, starts the companion
// program Loomwork.exe to make or edit one, and hands back the chosen file.
//
// Use from the main window's data-file command:
//   LoomworkDialogInput input{exeFolder, currentDataFile, mainRect, files, processes};
//   if (std::optional<Bytes> chosen = ShowLoomworkDialog(mainWindow, input)) { load *chosen }
#include <windows.h>

#include <optional>

#include "platform/files.h"
#include "platform/processes.h"
#include "platform/types.h"

namespace quiltor {

struct LoomworkDialogInput {
  Bytes exeFolder;        // the program's folder; data files and Loomwork.exe lie there
  Bytes currentDataFile;  // relative to exeFolder; selected when listed
  RECT mainWindow{};      // screen rectangle the dialog is centred over
  FileSystem& files;
  Processes& processes;
  Bytes userFolder = {};  // listed too when the settings live there ("" when the tool is portable)
};

// Shows the dialog modally over `owner`; the chosen path (relative to the
// program's folder) on OK, nullopt on Cancel. While the companion runs, a
// visible owner is minimised and restored afterwards.
std::optional<Bytes> ShowLoomworkDialog(HWND owner, const LoomworkDialogInput& input);

// The dialog's size in 96-dpi units, also its smallest; it grows with the DPI.
inline constexpr int kLoomworkDialogWidth = 380;
inline constexpr int kLoomworkDialogHeight = 285;

}  // namespace quiltor
