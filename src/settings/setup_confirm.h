#pragma once
// OK of the settings dialog: the new settings, the settings file's new bytes
// and what the running tool must apply again, from the settings in force and
// the edited copy. The file is built whole in memory, in the order the
// dialog's steps write their keys, and replaced in one step by the caller.
#include <cstdint>
#include <optional>

#include "platform/files.h"
#include "platform/types.h"
#include "settings/settings.h"
#include "settings/settings_place.h"
#include "settings/setup_copy.h"

namespace quiltor {

inline constexpr char kSettingsFileName[] = "Quiltor.ini";
inline constexpr char kCompanionLibraryName[] = "Quiltor.dll";

struct BufferSizes {
  std::uint32_t size1 = 1024;
  std::uint32_t size2 = 1024;
  friend bool operator==(const BufferSizes&, const BufferSizes&) = default;
};

// What the running tool applies after OK, in this order: the line end into
// the exchange block; the hot keys unregistered under the old settings; the
// program menus rebuilt and the run-menu position checked; the transfer
// buffers re-created when their sizes changed; the hot keys registered under
// the new settings; ShrinkHeight and the height limit; the main timer and the
// enabled commands for the mode (ApplyMode); the file history trimmed.
struct SetupReapply {
  Bytes lineEnd;
  bool hotKeysChanged = false;
  // Both buffers are re-created when either size differs from the block's.
  std::optional<BufferSizes> newBufferSizes;
  // SelectFileKind's answer for the current file: the run menu's checked program.
  DefaultProgram defaultProgram;
  int shrinkHeight = 38;
  int maxHeight = 480;  // without the tool bar: add 30 while it is shown
  int openFiles = 10;   // history entries past this are dropped
  bool libraryWanted = false;
};

struct SetupConfirmation {
  AppSettings settings;
  Bytes fileBytes;
  // False when a value could not be written as one line of the file; the
  // file must then be left alone and the failure reported.
  bool fileComplete = true;
  SetupReapply reapply;
};

// `fileBytes` is the settings file as it is now ("" when it is missing);
// `currentFile` the current file SelectFileKind chooses the kind for.
SetupConfirmation ConfirmSetup(const AppSettings& current, const SetupCopy& edited,
                               const MainWindowFacts& facts, const Bytes& currentFile,
                               const Bytes& fileBytes);

// The whole OK on the disk: reads the settings file of `folders.settings`,
// confirms, replaces the file in one step, and copies the program folder's
// "Quiltor.dll" into the system folder or removes it there as the copy asks.
// `written` is false when the file could not be read or replaced; the
// settings still take effect. `libraryRefused` names the system folder's
// library when Windows refused the copy or the removal (a user who is no
// administrator); the next opening of the dialog shows the file's real presence.
struct SetupCommit {
  SetupConfirmation confirmation;
  bool written = false;
  std::optional<Bytes> libraryRefused;
};
SetupCommit CommitSetup(FileSystem& files, const ToolFolders& folders, const AppSettings& current,
                        const SetupCopy& edited, const MainWindowFacts& facts, const Bytes& currentFile);

// Copies the shipped library into the system folder when wanted and missing
// there, removes it there when not wanted; false when that failed.
bool ApplyCompanionLibrary(FileSystem& files, bool wanted, const Bytes& exeFolder);
// Whether "Quiltor.dll" lies in the system folder: what CheckBoxDLL shows.
bool CompanionLibraryInstalled(FileSystem& files);

}  // namespace quiltor
