// The code-page rules every text of the core goes through: cutting on a
// character boundary, case folding of names, and path splitting, checked on
// the bytes where Shift-JIS differs from ASCII.
#include "text/cp932.h"

#include <gtest/gtest.h>

#include <string>

namespace quiltor {
namespace {

// "表" ends in 0x5C (the backslash code), "ポ" in 0x7C ("|"), "ア" of the
// half-width katakana is a single byte 0xB1 above the lead-byte ranges.
const std::string kHyo = "\x95\x5c";
const std::string kPo = "\x83\x7c";
const std::string kHalfA = "\xb1";

TEST(Cp932Test, CutNeverEndsInsideACharacter) {
  struct Case {
    std::string text;
    std::size_t limit;
    std::size_t expected;
  };
  const Case cases[] = {
      {"abc", 3, 3},
      {"abc", 2, 2},
      {"ab\x82", 3, 2},  // a lone lead byte at the end is no character
      {"ab\x82", 10, 2},
      {"a" + kHyo, 2, 1},  // the limit falls inside 表
      {"a" + kHyo, 3, 3},
      {kHyo + kPo, 3, 2},
      {kHalfA + kHalfA + "x", 2, 2},  // half-width katakana are one byte each
      {"", 5, 0},
      {"abc", 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FitOnCharacterBoundary(c.text, c.limit), c.expected) << c.text << " / " << c.limit;
    EXPECT_EQ(CutOnCharacterBoundary(c.text, c.limit), c.text.substr(0, c.expected));
  }
  EXPECT_EQ(TailOnCharacterBoundary("x" + kHyo + "yz", 3), "yz");  // 3 bytes would start inside 表
  EXPECT_EQ(TailOnCharacterBoundary("x" + kHyo + "yz", 4), kHyo + "yz");
  EXPECT_EQ(TailOnCharacterBoundary("ab", 9), "ab");
}

TEST(Cp932Test, CaseFoldingLeavesSecondBytesAlone) {
  EXPECT_EQ(FoldAsciiCase("ReadMe.TXT"), "readme.txt");
  // 0x82 0x60 is "Ａ": its second byte is "`" and must not be touched; 0x83 0x41
  // ("ア") has the second byte "A", which folding would turn into another kanji.
  EXPECT_EQ(FoldAsciiCase("\x83\x41X"), "\x83\x41x");
  EXPECT_TRUE(EqualsIgnoringAsciiCase("TXT", "txt"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("\x83\x41", "\x83\x61"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("txt", "txt2"));
}

TEST(Cp932Test, PathsSplitOnRealSeparatorsOnly) {
  struct Case {
    std::string path;
    std::string folder;
    std::string name;
    std::string extension;
  };
  const Case cases[] = {
      {"C:\\doc\\memo.txt", "C:\\doc\\", "memo.txt", "txt"},
      {"sub/b.edt", "sub/", "b.edt", "edt"},
      {"C:memo", "C:", "memo", ""},
      // 表 ends in 0x5C: the folder is not split inside it.
      {"C:\\" + kHyo + "\\a." + kPo, "C:\\" + kHyo + "\\", "a." + kPo, kPo},
      {kHyo + ".txt", "", kHyo + ".txt", "txt"},
      {"C:\\dir.x\\Makefile", "C:\\dir.x\\", "Makefile", ""},
      {"README.TXT", "", "README.TXT", "TXT"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FolderOf(c.path), c.folder) << c.path;
    EXPECT_EQ(FileNamePart(c.path), c.name) << c.path;
    EXPECT_EQ(FileExtension(c.path), c.extension) << c.path;
  }
  EXPECT_EQ(ReplaceExtension("sub\\x.edt", ".exe"), "sub\\x.exe");
  EXPECT_EQ(ReplaceExtension("dir.x\\noext", ".exe"), "dir.x\\noext.exe");
  EXPECT_EQ(JoinPath("C:\\tool\\", "a.edt"), "C:\\tool\\a.edt");
  EXPECT_EQ(JoinPath("C:\\tool", "a.edt"), "C:\\tool\\a.edt");
  EXPECT_EQ(JoinPath("C:\\" + kHyo, "a"), "C:\\" + kHyo + "\\a");  // 表 does not end the folder
  EXPECT_EQ(JoinPath("", "a.edt"), "a.edt");
  EXPECT_EQ(JoinPath("C:\\tool\\", "D:\\data\\a.edt"), "D:\\data\\a.edt");
  EXPECT_EQ(JoinPath("C:\\tool\\", "\\\\server\\a.edt"), "\\\\server\\a.edt");
  EXPECT_EQ(FolderWithoutTrailingSeparator("C:\\doc\\memo.txt"), "C:\\doc");
  EXPECT_EQ(FolderWithoutTrailingSeparator("C:\\memo.txt"), "C:\\");
}

}  // namespace
}  // namespace quiltor
