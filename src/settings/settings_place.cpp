#include "settings/settings_place.h"

#include "settings/setup_confirm.h"
#include "text/cp932.h"

namespace quiltor {

ToolFolders ChooseToolFolders(FileSystem& files, const Bytes& programFolder, const Bytes& userFolder,
                              const Bytes& probeName) {
  const ToolFolders portable{programFolder, programFolder};
  const Bytes probe = JoinPath(programFolder, probeName);
  if (files.ReplaceAll(probe, Bytes())) {
    files.Remove(probe);
    return portable;
  }
  if (userFolder.empty() || !files.CreateFolder(userFolder)) return portable;
  const Bytes own = JoinPath(userFolder, kSettingsFileName);
  const Bytes shipped = JoinPath(programFolder, kSettingsFileName);
  if (!files.Exists(own) && files.Exists(shipped)) {
    // What the program came with is the user's start; a copy that fails
    // leaves the defaults, and the first write makes the file.
    if (const std::optional<Bytes> contents = files.ReadAll(shipped)) files.ReplaceAll(own, *contents);
  }
  return ToolFolders{programFolder, userFolder};
}

}  // namespace quiltor
