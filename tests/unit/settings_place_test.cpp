// Where the settings live: beside the program when its folder takes a write,
// in the user's own folder when Windows keeps the program's folder from its
// users; and the settings saved there are the ones read at the next start.
#include "settings/settings_place.h"

#include <gtest/gtest.h>

#include "fakes/fake_files.h"
#include "settings/profile.h"
#include "settings/settings.h"
#include "text/cp932.h"

namespace quiltor {
namespace {

const Bytes kProgram = "C:\\Program Files\\\x82\xad\x82\xa2\x82\xe9\x82\xc6\x82\xe9 \x8e\x8e\x97p\\";  // くいるとる 試用
const Bytes kUser = "C:\\Users\\u\\AppData\\Roaming\\Quiltor\\";
const Bytes kProbe = "Quiltor.probe";
const Bytes kShipped = "[Quiltor]\r\nStayOnTop=1\r\n";

TEST(SettingsPlace, TheProgramFolderIsUsedWhenItTakesAWriteElseTheUsersFolder) {
  const struct {
    const char* what;
    bool programProtected;
    bool userProtected;
    Bytes userFolder;
    std::optional<Bytes> shipped;  // the program folder's Quiltor.ini
    std::optional<Bytes> own;      // the user folder's Quiltor.ini before the start
    Bytes settings;                // where the settings are then
    std::optional<Bytes> ownAfter;
  } cases[] = {
      {"writable: portable, as always", false, false, kUser, kShipped, std::nullopt, kProgram, std::nullopt},
      {"protected: the user's folder, from the shipped file", true, false, kUser, kShipped, std::nullopt, kUser,
       kShipped},
      {"protected, the user's own file wins", true, false, kUser, kShipped, "[Quiltor]\r\nMode=1\r\n", kUser,
       "[Quiltor]\r\nMode=1\r\n"},
      {"protected, nothing shipped: defaults", true, false, kUser, std::nullopt, std::nullopt, kUser, std::nullopt},
      {"no user folder known", true, false, "", kShipped, std::nullopt, kProgram, std::nullopt},
      {"the user folder refuses too", true, true, kUser, kShipped, std::nullopt, kProgram, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeFileSystem files;
    if (c.shipped) files.Put(kProgram + "Quiltor.ini", *c.shipped);
    if (c.own) files.Put(kUser + "Quiltor.ini", *c.own);
    if (c.programProtected) files.ProtectFolder(kProgram);
    if (c.userProtected) files.ProtectFolder("C:\\Users\\");
    const ToolFolders folders = ChooseToolFolders(files, kProgram, c.userFolder, kProbe);
    EXPECT_EQ(folders.program, kProgram);
    EXPECT_EQ(folders.settings, c.settings);
    EXPECT_EQ(folders.Portable(), c.settings == kProgram);
    EXPECT_EQ(folders.UserData(), c.settings == kProgram ? Bytes() : kUser);
    EXPECT_EQ(files.Contents(kUser + "Quiltor.ini"), c.ownAfter);
    EXPECT_EQ(files.FolderExists(kUser), c.settings == kUser);
    // The test write leaves nothing behind, and the shipped file is never touched.
    EXPECT_FALSE(files.Exists(kProgram + kProbe));
    EXPECT_FALSE(files.Exists(kProgram + kProbe + ".tmp"));
    EXPECT_EQ(files.Contents(kProgram + "Quiltor.ini"), c.shipped);
  }
}

TEST(SettingsPlace, SettingsSavedInTheUsersFolderAreReadAtTheNextStart) {
  FakeFileSystem files;
  files.Put(kProgram + "Quiltor.ini", kShipped);
  files.ProtectFolder(kProgram);
  for (int start = 0; start < 2; ++start) {
    const ToolFolders folders = ChooseToolFolders(files, kProgram, kUser, kProbe);
    IniFile ini(files, JoinPath(folders.settings, "Quiltor.ini"));
    LoadedSettings loaded = LoadSettings(ini);
    EXPECT_TRUE(loaded.written) << start;  // the first start's migration writes
    if (start == 0) {
      EXPECT_TRUE(loaded.settings.quiltor.stayOnTop);  // from the shipped file
      ASSERT_TRUE(WriteMode(ini, true));
    } else {
      EXPECT_TRUE(loaded.settings.quiltor.mode);
      EXPECT_TRUE(loaded.settings.quiltor.stayOnTop);
    }
  }
  EXPECT_EQ(files.Contents(kProgram + "Quiltor.ini"), kShipped);
}

}  // namespace
}  // namespace quiltor
