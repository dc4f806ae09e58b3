#include "data/data_listing.h"

#include <gtest/gtest.h>

#include "fakes/fake_files.h"

namespace quiltor {
namespace {

const Bytes kTool = "C:\\Tool\\";

Bytes DataFile(const Bytes& title) { return "[Version]\r\nNo=170\r\n[Group]\r\nCount=0\r\nTitle=" + title + "\r\n"; }

// About 50 KB of pages after the header, as a real data file has.
Bytes LargeDataFile(const Bytes& header) {
  Bytes text = header + "[Menu00]\r\nTitle=Page\r\nCount=100\r\n";
  for (int row = 0; row < 100; ++row) text += "M" + std::to_string(100 + row).substr(1) + "=00,Item\r\n";
  text += "[Edit00]\r\n";
  while (text.size() < 50000) text += "M00a=" + Bytes(200, 'x') + "\r\n";
  return text;
}

std::vector<Bytes> Paths(const DataFileListing& listing) {
  std::vector<Bytes> paths;
  for (const DataFileRow& row : listing.rows) paths.push_back(row.path);
  return paths;
}

TEST(ListDataFiles, ListsTheProgramFolderFirstThenEachSubfolderByName) {
  FakeFileSystem files;
  files.ReverseListings(true);  // the disk's own order must not matter
  files.Put(kTool + "a.edt", DataFile("A"));
  files.Put(kTool + "sub\\b.edt", DataFile("B"));
  files.Put(kTool + "B.edt", DataFile("Big B"));
  files.Put(kTool + "Alpha\\z.edt", DataFile("Z"));
  files.Put(kTool + "sub\\deeper\\c.edt", DataFile("too deep"));
  files.Put(kTool + "notes.txt", "");
  files.Put(kTool + "x.edtx", DataFile("not a data file"));
  files.Put(kTool + "Quiltor.ini", "");
  files.AddFolder(kTool + "empty");

  const DataFileListing listing = ListDataFiles(files, kTool, "");
  EXPECT_EQ(Paths(listing), (std::vector<Bytes>{"a.edt", "B.edt", "Alpha\\z.edt", "sub\\b.edt"}));
  EXPECT_EQ(listing.rows[0].title, "A");
  EXPECT_EQ(listing.rows[3].title, "B");
  // The same without a trailing separator on the folder.
  EXPECT_EQ(Paths(ListDataFiles(files, "C:\\Tool", "")), Paths(listing));
}

// Under a program folder that takes no write, new data files go to the
// user's folder: both places are listed, the user's files by their full path,
// which the tool stores and opens as it is.
TEST(ListDataFiles, ListsTheUsersFolderAfterTheProgramsByFullPath) {
  const Bytes user = "C:\\Users\\u\\AppData\\Roaming\\Quiltor\\";
  FakeFileSystem files;
  files.Put(kTool + "a.edt", DataFile("A"));
  files.Put(user + "\x93\xfa\x96{\x8c\xea.edt", DataFile("J"));  // 日本語.edt
  files.Put(user + "sub\\b.edt", DataFile("B"));
  files.Put(user + "Quiltor.ini", "");
  const DataFileListing listing = ListDataFiles(files, kTool, user + "sub\\b.edt", user);
  EXPECT_EQ(Paths(listing), (std::vector<Bytes>{"a.edt", user + "\x93\xfa\x96{\x8c\xea.edt", user + "sub\\b.edt"}));
  EXPECT_EQ(listing.index, 2);
  EXPECT_EQ(listing.rows[1].title, "J");
  // Without a second place, or with the program's folder named twice, each file once.
  EXPECT_EQ(Paths(ListDataFiles(files, kTool, "", "")), std::vector<Bytes>{"a.edt"});
  EXPECT_EQ(Paths(ListDataFiles(files, kTool, "", "c:\\tool\\")), std::vector<Bytes>{"a.edt"});

  DataFileChooser chooser(files, kTool, user);
  chooser.Fill(user + "sub\\b.edt");
  EXPECT_EQ(chooser.StatusText(), user + "sub\\b.edt");
  EXPECT_EQ(chooser.Choose(), user + "sub\\b.edt");
}

TEST(ListDataFiles, FindsTheCurrentFileByItsExactPath) {
  FakeFileSystem files;
  files.Put(kTool + "a.edt", DataFile("A"));
  files.Put(kTool + "sub\\b.edt", DataFile("B"));
  const struct {
    const char* path;
    int index;
  } cases[] = {
      {"a.edt", 0},  {"sub\\b.edt", 1}, {"SUB\\b.edt", -1}, {"A.edt", -1},
      {"sub/b.edt", -1}, {"", -1},       {"c.edt", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(ListDataFiles(files, kTool, c.path).index, c.index);
  }
}

TEST(ListDataFiles, ShowsTitlesAsTheToolReadsThem) {
  FakeFileSystem files;
  const struct {
    const char* name;
    Bytes contents;
    const char* title;
  } cases[] = {
      {"plain.edt", DataFile("HTML"), "HTML"},
      {"quoted.edt", DataFile("  \" Quoted \"  "), " Quoted "},
      {"japanese.edt", DataFile("\x93\xfa\x96\x7b\x8c\xea"), "\x93\xfa\x96\x7b\x8c\xea"},  // 日本語
      {"untitled.edt", "[Version]\r\nNo=170\r\n[Group]\r\nCount=0\r\n", ""},
      {"nogroup.edt", "[Version]\r\nNo=170\r\n", ""},
      {"second.edt", "[Group]\r\nCount=1\r\n[group]\r\nTitle=later\r\n", ""},  // only the first section counts
      {"unreadable.edt", DataFile("locked"), ""},
  };
  for (const auto& c : cases) files.Put(kTool + c.name, c.contents);
  files.SetUnreadable(kTool + "unreadable.edt", true);
  const DataFileListing listing = ListDataFiles(files, kTool, "");
  ASSERT_EQ(listing.rows.size(), std::size(cases));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto row = std::find_if(listing.rows.begin(), listing.rows.end(),
                            [&](const DataFileRow& r) { return r.path == c.name; });
    ASSERT_NE(row, listing.rows.end());
    EXPECT_EQ(row->title, c.title);
  }
}

TEST(ListDataFiles, ReadsOnlyTheBeginningOfLargeFilesWithTheirTitleOnTop) {
  FakeFileSystem files;
  const Bytes file = LargeDataFile(DataFile("Large"));
  for (int i = 0; i < 1000; ++i) files.Put(kTool + "sub" + std::to_string(i % 20) + "\\f" + std::to_string(i) + ".edt", file);
  const std::size_t before = files.BytesRead();
  const DataFileListing listing = ListDataFiles(files, kTool, "");
  ASSERT_EQ(listing.rows.size(), 1000u);
  EXPECT_EQ(listing.rows[999].title, "Large");
  EXPECT_LE(files.BytesRead() - before, 1000 * kTitleHeadBytes);
}

TEST(ListDataFiles, FindsTitlesBeyondTheBeginningOfTheFile) {
  const Bytes title = "Found";
  // The Group section after 50 KB of pages.
  const Bytes groupLast = LargeDataFile("[Version]\r\nNo=170\r\n") + "[Group]\r\nCount=1\r\nTitle=" + title + "\r\n";
  // The title line cut by the end of the first read, at every offset around it.
  std::vector<Bytes> straddling;
  for (std::size_t shift = 0; shift < 24; ++shift) {
    Bytes text = "[Version]\r\nNo=170\r\n; " + Bytes(kTitleHeadBytes - 40 + shift, '-') + "\r\n" +
                 "[Group]\r\nTitle=" + title + "\r\n";
    straddling.push_back(LargeDataFile(text));
  }
  // A Group section without a title in the first read, one later: only the first counts.
  const Bytes untitled = "[Group]\r\nCount=1\r\n[Menu00]\r\n" + Bytes(kTitleHeadBytes, ';') + "\r\n[Group]\r\nTitle=x\r\n";

  FakeFileSystem files;
  files.Put(kTool + "last.edt", groupLast);
  EXPECT_EQ(ReadListedTitle(files, kTool + "last.edt"), title);
  for (std::size_t i = 0; i < straddling.size(); ++i) {
    SCOPED_TRACE(i);
    files.Put(kTool + "cut.edt", straddling[i]);
    EXPECT_EQ(ReadListedTitle(files, kTool + "cut.edt"), title);
  }
  files.Put(kTool + "untitled.edt", untitled);
  EXPECT_EQ(ReadListedTitle(files, kTool + "untitled.edt"), "");
  EXPECT_EQ(ReadListedTitle(files, kTool + "missing.edt"), "");
}

TEST(PlaceSelectionDialog, CentresOverTheMainWindowAndStaysOnTheScreen) {
  const struct {
    Rect main;
    int screenWidth;
    Point expected;
  } cases[] = {
      {{500, 100, 775, 382}, 1280, {448, 100}},   // 275 wide: 52 pixels further left
      {{10, 20, 285, 302}, 1280, {0, 20}},        // would start left of the screen
      {{1000, 5, 1275, 287}, 1280, {900, 5}},     // would end right of the screen
      {{902, 5, 1177, 287}, 1280, {850, 5}},      // ends exactly at the right edge
      {{100, 50, 483, 300}, 1280, {101, 50}},     // 383 wide: -3 / 2 rounds toward zero
      {{-300, -40, -25, 242}, 1280, {0, -40}},    // the top follows the window
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.main.left);
    EXPECT_EQ(PlaceSelectionDialog(c.main, 380, Rect{0, 0, c.screenWidth, 1024}), c.expected);
  }
  // A second monitor right of the primary, with a task bar on its right edge.
  const Rect second{1280, 0, 2500, 1024};
  EXPECT_EQ(PlaceSelectionDialog({1290, 30, 1565, 312}, 380, second), (Point{1280, 30}));
  EXPECT_EQ(PlaceSelectionDialog({2200, 30, 2475, 312}, 380, second), (Point{2500 - 380, 30}));
}

TEST(CompanionParameters, NameTheFileToEditAndWhereTheDialogIs) {
  const struct {
    CompanionButton button;
    const char* selected;
    Point at;
    const char* expected;
  } cases[] = {
      {CompanionButton::kEdit, "sub\\memo.edt", {297, 181}, "sub\\memo.edt /L297 /T181"},
      {CompanionButton::kNew, "sub\\memo.edt", {297, 181}, "/L297 /T181"},
      {CompanionButton::kNew, "", {0, 0}, "/L0 /T0"},
      {CompanionButton::kEdit, "my data.edt", {10, -20}, "\"my data.edt\" /L10 /T-20"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(CompanionParameters(c.button, c.selected, c.at), c.expected);
  }
}

class DataFileChooserTest : public ::testing::Test {
 protected:
  DataFileChooserTest() {
    files.Put(kTool + "a.edt", DataFile("A"));
    files.Put(kTool + "sub\\memo.edt", DataFile("Memo"));
  }
  FakeFileSystem files;
  DataFileChooser chooser{files, kTool};
};

TEST_F(DataFileChooserTest, SelectsTheCurrentFileAndShowsItsFullPath) {
  chooser.Fill("sub\\memo.edt");
  EXPECT_EQ(chooser.Selected(), 1);
  EXPECT_EQ(chooser.StatusText(), "C:\\Tool\\sub\\memo.edt");
  EXPECT_EQ(chooser.Choose(), "sub\\memo.edt");
  EXPECT_EQ(chooser.CompanionPath(), "C:\\Tool\\Loomwork.exe");

  chooser.Fill("gone.edt");
  EXPECT_FALSE(chooser.HasSelection());
  EXPECT_EQ(chooser.StatusText(), std::nullopt);
  EXPECT_EQ(chooser.Choose(), std::nullopt);  // Enter without a selection does nothing
  EXPECT_EQ(chooser.SelectedPath(), "");

  chooser.Select(0);
  EXPECT_EQ(chooser.Choose(), "a.edt");
  chooser.Select(2);
  EXPECT_FALSE(chooser.HasSelection());
}

TEST_F(DataFileChooserTest, KeepsTheEditedFileSelectedOnlyWhileNoFileCameOrWent) {
  chooser.Fill("sub\\memo.edt");
  files.Put(kTool + "sub\\memo.edt", DataFile("Memo, edited"));
  chooser.Refill("sub\\memo.edt");
  EXPECT_EQ(chooser.SelectedPath(), "sub\\memo.edt");
  EXPECT_EQ(chooser.Rows()[1].title, "Memo, edited");

  files.Put(kTool + "new.edt", DataFile("New"));  // the companion made a new file
  chooser.Refill("sub\\memo.edt");
  EXPECT_FALSE(chooser.HasSelection());
  EXPECT_EQ(chooser.Rows().size(), 3u);

  chooser.Select(0);
  files.Remove(kTool + "new.edt");
  chooser.Refill(chooser.SelectedPath());
  EXPECT_FALSE(chooser.HasSelection());
}

TEST_F(DataFileChooserTest, ColumnBoundaryFollowsTheHeaderButNotBelowItsMinimum) {
  EXPECT_EQ(chooser.ColumnBoundary(), 150);
  EXPECT_EQ(chooser.TitleLeft(), 145);
  chooser.SetColumnBoundary(220);
  EXPECT_EQ(chooser.TitleLeft(), 215);
  chooser.SetColumnBoundary(12);
  EXPECT_EQ(chooser.ColumnBoundary(), 50);
  EXPECT_EQ(ClampSectionWidth(1, 40), 100);
  EXPECT_EQ(ClampSectionWidth(1, 640), 640);
}

}  // namespace
}  // namespace quiltor
