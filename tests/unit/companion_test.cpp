#include "companion.h"

#include <gtest/gtest.h>

#include "data/data_file.h"
#include "data/data_listing.h"
#include "data/pages.h"
#include "exchange/command_line.h"
#include "fakes/fake_files.h"

namespace quiltor {
namespace {

TEST(ParseCompanionArguments, ReadsWhatTheSelectionDialogPasses) {
  const struct {
    std::vector<Bytes> arguments;
    std::optional<Bytes> dataFile;
    std::optional<int> left;
    std::optional<int> top;
  } cases[] = {
      {{"sub\\memo.edt", "/L297", "/T181"}, "sub\\memo.edt", 297, 181},
      {{"/L297", "/T181"}, std::nullopt, 297, 181},
      {{"my data.edt", "/L0", "/T-20"}, "my data.edt", 0, -20},  // quoted by the dialog
      {{"my", "data.edt", "/L5", "/T6"}, "my data.edt", 5, 6},     // unquoted by an older caller
      {{"/Lx", "/T"}, std::nullopt, std::nullopt, std::nullopt},
      {{}, std::nullopt, std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.empty() ? "" : c.arguments[0]);
    const CompanionArguments parsed = ParseCompanionArguments(c.arguments);
    EXPECT_EQ(parsed.dataFile, c.dataFile);
    EXPECT_EQ(parsed.left, c.left);
    EXPECT_EQ(parsed.top, c.top);
  }
  // What the dialog sends comes back as it was meant.
  const std::vector<Bytes> sent =
      SplitCommandLine("Loomwork.exe " + CompanionParameters(CompanionButton::kEdit, "my data.edt", {3, 4}));
  EXPECT_EQ(ParseCompanionArguments({sent.begin() + 1, sent.end()}).dataFile, "my data.edt");
}

TEST(DataFileFullPath, TakesPathsRelativeToTheProgramFolder) {
  EXPECT_EQ(DataFileFullPath("C:\\Tool\\", "sub\\memo.edt"), "C:\\Tool\\sub\\memo.edt");
  EXPECT_EQ(DataFileFullPath("C:\\Tool", "memo.edt"), "C:\\Tool\\memo.edt");
  EXPECT_EQ(DataFileFullPath("C:\\Tool\\", "D:\\data\\memo.edt"), "D:\\data\\memo.edt");
  EXPECT_EQ(DataFileFullPath("C:\\Tool\\", "\\\\server\\share\\memo.edt"), "\\\\server\\share\\memo.edt");
}

TEST(CheckNewDataFilePath, AcceptsOnlyPlacesTheToolLists) {
  const struct {
    const char* path;
    NewFilePlace place;
  } cases[] = {
      {"C:\\Tool\\memo.edt", NewFilePlace::kOk},
      {"c:\\tool\\MEMO.EDT", NewFilePlace::kOk},
      {"C:\\Tool\\sub\\memo.edt", NewFilePlace::kOk},
      {"C:\\Tool\\\x95\x5c\\memo.edt", NewFilePlace::kOk},  // 表: a second byte 0x5C
      {"C:\\Tool\\sub\\deeper\\memo.edt", NewFilePlace::kOutside},
      {"C:\\memo.edt", NewFilePlace::kOutside},
      {"C:\\Toolbox\\memo.edt", NewFilePlace::kOutside},
      {"C:\\Tool\\memo.txt", NewFilePlace::kNotDataFile},
      {"C:\\Tool\\memo.edtx", NewFilePlace::kNotDataFile},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(CheckNewDataFilePath("C:\\Tool\\", c.path), c.place);
  }
  // The user's folder, where new files go when the program's folder takes no write.
  const Bytes user = "C:\\Users\\u\\AppData\\Roaming\\Quiltor\\";
  EXPECT_EQ(CheckNewDataFilePath("C:\\Tool\\", user + "memo.edt", user), NewFilePlace::kOk);
  EXPECT_EQ(CheckNewDataFilePath("C:\\Tool\\", user + "sub\\memo.edt", user), NewFilePlace::kOk);
  EXPECT_EQ(CheckNewDataFilePath("C:\\Tool\\", "C:\\Tool\\memo.edt", user), NewFilePlace::kOk);
  EXPECT_EQ(CheckNewDataFilePath("C:\\Tool\\", user + "memo.edt"), NewFilePlace::kOutside);
  EXPECT_EQ(CheckNewDataFilePath("C:\\Tool\\", "C:\\Users\\u\\memo.edt", user), NewFilePlace::kOutside);
}

TEST(NewDataFileText, IsAValidDataFileTheToolListsUnderItsName) {
  const Bytes text = NewDataFileText("C:\\Tool\\sub\\memo.edt");
  EXPECT_EQ(CheckDataFile(text), std::vector<DataFinding>{});
  const DataPagesResult built = BuildDataPages(text);
  ASSERT_TRUE(built.error.Ok());
  ASSERT_EQ(built.pages.size(), 1u);
  EXPECT_EQ(built.pages[0].rowCount, 1);
  EXPECT_EQ(built.pages[0].main[0].action, ItemAction::kText);
  const DataFileReader reader(text);
  EXPECT_EQ(reader.FormatNumber(), 170);
  EXPECT_EQ(reader.ItemTexts(0, "M00").a, "\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd");  // こんにちは

  FakeFileSystem files;
  files.Put("C:\\Tool\\sub\\memo.edt", text);
  const DataFileListing listing = ListDataFiles(files, "C:\\Tool\\", "sub\\memo.edt");
  ASSERT_EQ(listing.index, 0);
  EXPECT_EQ(listing.rows[0].title, "memo");
}

TEST(ChooseDataFileEditor, TakesTheEditorOfTheEdtKindElseNotepad) {
  auto kind = [](const char* ext, const char* path, const char* param) {
    FileKind k;
    k.ext = ext;
    k.editerPath = path;
    k.editerParam = param;
    return k;
  };
  FileKind common = CommonFileKind();
  common.editerPath = "C:\\Editors\\target.exe";  // the target editor is not for data files
  const struct {
    const char* name;
    FileKinds kinds;
    EditorChoice expected;
  } cases[] = {
      {"no kinds", {common}, {"notepad.exe", ""}},
      {"edt kind", {common, kind("txt", "t.exe", ""), kind("EDT", "C:\\e.exe", "-n %f")}, {"C:\\e.exe", "-n %f"}},
      {"later wins", {common, kind("edt", "a.exe", ""), kind("edt", "b.exe", "")}, {"b.exe", ""}},
      {"kind without editor", {common, kind("edt", "a.exe", ""), kind("edt", "", "")}, {"a.exe", ""}},
      {"other kinds only", {common, kind("txt", "t.exe", "")}, {"notepad.exe", ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ChooseDataFileEditor(c.kinds), c.expected);
  }
}

}  // namespace
}  // namespace quiltor
