#pragma once
// Where the tool writes for itself. Portable, as it always was, when its own
// folder takes a write: the settings lie beside the program. Under a folder
// Windows keeps from its users (Program Files), in the user's own folder
// instead, started from the settings that came with the program.
#include "platform/files.h"
#include "platform/types.h"

namespace quiltor {

// The name of the user's own folder for the tool, inside the application-data folder.
inline constexpr char kUserFolderName[] = "Quiltor";

struct ToolFolders {
  Bytes program;   // the program's folder: data files, Loomwork.exe, the shipped Quiltor.dll, help
  Bytes settings;  // where Quiltor.ini and the editor tests' file are written
  bool Portable() const { return settings == program; }
  // The second place data files are listed from and made in: the user's
  // folder when the settings live there; "" when the tool is portable.
  Bytes UserData() const { return Portable() ? Bytes() : settings; }
};

// Decided once at start by a real write: a file named `probeName` is written
// into the program's folder and removed again. When the folder takes it,
// the tool is portable. Otherwise the settings go to `userFolder` (made when
// missing), which starts as a copy of the program folder's Quiltor.ini when
// it has none of its own yet. Without a user folder that can be made, the
// settings stay in the program's folder, whose failing writes are reported
// as before. Folders end with a backslash.
ToolFolders ChooseToolFolders(FileSystem& files, const Bytes& programFolder, const Bytes& userFolder,
                              const Bytes& probeName);

}  // namespace quiltor
