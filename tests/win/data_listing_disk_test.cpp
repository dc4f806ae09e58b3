// The data-file listing on a real disk through the Win32 file system: folders
// and files as FindFirstFile gives them, the short-name match of "*.edt", and
// reading only the beginning of a file; a folder never counts as a file.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "data/data_listing.h"
#include "platform/win32/files.h"
#include "text/cp932.h"

namespace quiltor {
namespace {

class DiskFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    root_ = JoinPath(temp, "quiltor-listing-" + std::to_string(GetCurrentProcessId()));
    ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr));
  }
  void TearDown() override {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
      if (!DeleteFileA(it->c_str())) RemoveDirectoryA(it->c_str());
    }
    RemoveDirectoryA(root_.c_str());
  }
  void Folder(const Bytes& name) {
    const Bytes path = JoinPath(root_, name);
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
    made_.push_back(path);
  }
  void File(const Bytes& name, const Bytes& contents) {
    const Bytes path = JoinPath(root_, name);
    ASSERT_TRUE(files_.ReplaceAll(path, contents)) << path;
    made_.push_back(path);
  }
  static Bytes DataFile(const Bytes& title) { return "[Version]\r\nNo=170\r\n[Group]\r\nTitle=" + title + "\r\n"; }

  Win32FileSystem files_;
  Bytes root_;
  std::vector<Bytes> made_;
};

TEST_F(DiskFolder, ListsFilesOfTheFolderAndItsDirectSubfoldersOnly) {
  Folder("sub");
  Folder("sub\\deeper");
  Folder("Alpha");
  Folder("folder.edt");  // a folder with a data file's name is no data file
  File("b.edt", DataFile("B"));
  File("A.EDT", DataFile("A"));
  File("x.edtx", DataFile("not listed"));  // found by "*.edt" through its short name on some disks
  File("readme.txt", "");
  File("sub\\c.edt", DataFile("\x93\xfa\x96\x7b\x8c\xea"));  // 日本語
  File("sub\\deeper\\d.edt", DataFile("too deep"));
  File("Alpha\\e.edt", DataFile(""));

  EXPECT_EQ(files_.ListFolders(root_), files_.ListFolders(root_ + "\\"));
  std::vector<Bytes> folders = files_.ListFolders(root_);
  std::sort(folders.begin(), folders.end());
  EXPECT_EQ(folders, (std::vector<Bytes>{"Alpha", "folder.edt", "sub"}));

  const DataFileListing listing = ListDataFiles(files_, root_, "sub\\c.edt");
  std::vector<DataFileRow> expected = {
      {"A.EDT", "A"}, {"b.edt", "B"}, {"Alpha\\e.edt", ""}, {"sub\\c.edt", "\x93\xfa\x96\x7b\x8c\xea"}};
  EXPECT_EQ(listing.rows, expected);
  EXPECT_EQ(listing.index, 3);
}

TEST_F(DiskFolder, ReadsTheBeginningOfAFileOrAllOfAShortOne) {
  const Bytes text = DataFile("T") + Bytes(10000, ';');
  File("long.edt", text);
  File("short.edt", "abc");
  File("empty.edt", "");
  const struct {
    const char* name;
    std::size_t maxBytes;
    Bytes expected;
  } cases[] = {
      {"long.edt", 100, text.substr(0, 100)},
      {"long.edt", text.size(), text},
      {"long.edt", 1u << 30, text},
      {"short.edt", kTitleHeadBytes, "abc"},
      {"empty.edt", kTitleHeadBytes, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(files_.ReadHead(JoinPath(root_, c.name), c.maxBytes), c.expected);
  }
  EXPECT_EQ(files_.ReadHead(JoinPath(root_, "missing.edt"), 10), std::nullopt);
  EXPECT_EQ(ReadListedTitle(files_, JoinPath(root_, "long.edt")), "T");
}

// Wherever the tool asks whether a file exists, a folder of that name is no
// file: an empty program name would otherwise name the data folder itself.
TEST_F(DiskFolder, AFolderDoesNotExistAsAFile) {
  Folder("tools");
  File("tools\\run.exe", "MZ");
  EXPECT_TRUE(files_.Exists(JoinPath(root_, "tools\\run.exe")));
  EXPECT_FALSE(files_.Exists(JoinPath(root_, "tools")));
  EXPECT_FALSE(files_.Exists(JoinPath(root_, "tools\\")));
  EXPECT_FALSE(files_.Exists(root_));
  EXPECT_FALSE(files_.Exists(JoinPath(root_, "missing.exe")));
}

}  // namespace
}  // namespace quiltor
