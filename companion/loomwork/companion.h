#pragma once
// The rules of the companion program Loomwork.exe that need no window: its
// command line, where a new data file may go and what it holds, and which
// editor opens data files. Texts are CP932 bytes, as everywhere in the core.
#include <optional>
#include <vector>

#include "platform/types.h"
#include "settings/settings.h"

namespace quiltor {

// "Loomwork.exe [data file] /L<left> /T<top>", as the selection dialog starts it.
struct CompanionArguments {
  std::optional<Bytes> dataFile;  // relative to the program's folder, or a full path
  std::optional<int> left;
  std::optional<int> top;
};
// Words that are no switch make up the data file, joined by a blank, so an
// unquoted path with a blank still arrives whole. A switch value that is not
// a number is left out (the window then opens where the system puts it).
CompanionArguments ParseCompanionArguments(const std::vector<Bytes>& arguments);

// The file a data-file argument names: a full path as it is, anything else
// relative to the program's folder.
Bytes DataFileFullPath(const Bytes& programFolder, const Bytes& argument);

// Whether a name chosen for a new data file will be listed by the tool: in
// the program's folder or the user's (`userFolder`, "" when the tool is
// portable), or in a direct subfolder of either.
enum class NewFilePlace {
  kOk,
  kNotDataFile,  // the extension is not ".edt"
  kOutside,      // in none of those folders
};
NewFilePlace CheckNewDataFilePath(const Bytes& programFolder, const Bytes& path, const Bytes& userFolder = {});

// A new data file that the tool reads as it is: format 170, one page with one
// text item and its texts, a few comment lines on the format. The title is
// the file's name without its extension.
Bytes NewDataFileText(const Bytes& path);

struct EditorChoice {
  Bytes path;
  Bytes param;  // "%f" stands for the file, as in the settings
  friend bool operator==(const EditorChoice&, const EditorChoice&) = default;
};
// The editor the settings name for the "edt" extension (the highest-numbered
// file kind with that Ext and an editor), else notepad.
EditorChoice ChooseDataFileEditor(const FileKinds& kinds);
inline constexpr char kDefaultEditor[] = "notepad.exe";

}  // namespace quiltor
