// Settings and data files saved as "Unicode" (UTF-16LE with its mark) by an
// editor: the tool reads them like any other and writes them back in their
// own encoding, never a mix of two.
#include "settings/unicode_files.h"

#include <gtest/gtest.h>

#include "data/pages.h"
#include "fakes/fake_files.h"
#include "fakes/fake_text_codec.h"
#include "settings/profile.h"
#include "settings/settings.h"

namespace quiltor {
namespace {

class UnicodeFilesTest : public ::testing::Test {
 protected:
  Bytes Unicode(const Bytes& ansi) { return Bytes(kUtf16LeMark, 2) + codec.AnsiToUtf16(ansi).text; }
  Bytes Ansi(const Bytes& unicode) { return codec.Utf16ToAnsi(std::string_view(unicode).substr(2)).text; }

  FakeFileSystem disk;
  fakes::IconvTextCodec codec;
  UnicodeAwareFiles files{disk, codec};
};

// "データ.edt" and "共通" in code page 932.
const Bytes kDataName = "\x83\x66\x81\x5b\x83\x5e.edt";

TEST_F(UnicodeFilesTest, SettingsSavedAsUnicodeAreReadAndWrittenBackAsUnicode) {
  const Bytes ansi = "; comment\r\n[Setup]\r\nTimer=250\r\n[Quiltor]\r\nQuiltorData=" + kDataName + "\r\n";
  disk.Put("C:\\t\\Quiltor.ini", Unicode(ansi));
  IniFile ini(files, "C:\\t\\Quiltor.ini");
  const AppSettings settings = LoadSettings(ini).settings;
  EXPECT_EQ(settings.timer, 250);
  EXPECT_EQ(settings.quiltor.quiltorData, kDataName);

  ASSERT_TRUE(WriteMode(ini, true));
  const Bytes after = *disk.Contents("C:\\t\\Quiltor.ini");
  ASSERT_EQ(after.substr(0, 2), Bytes(kUtf16LeMark, 2)) << "still Unicode";
  const Bytes text = Ansi(after);
  EXPECT_NE(text.find("; comment\r\n"), Bytes::npos);
  EXPECT_NE(text.find("QuiltorData=" + kDataName), Bytes::npos);
  EXPECT_NE(text.find("Mode=1"), Bytes::npos);
  EXPECT_EQ(text.find('\0'), Bytes::npos) << "no ANSI line appended to UTF-16";
  // A plain file stays plain.
  disk.Put("C:\\t\\plain.ini", "[Quiltor]\r\n");
  IniFile plain(files, "C:\\t\\plain.ini");
  ASSERT_TRUE(WriteMode(plain, false));
  EXPECT_EQ(*disk.Contents("C:\\t\\plain.ini"), "[Quiltor]\r\nMode=0\r\n");
}

TEST_F(UnicodeFilesTest, DataFilesSavedAsUnicodeLoadTheirPagesAndTexts) {
  const Bytes data = "[Version]\r\nNo=170\r\n[Group]\r\nCount=1\r\nTitle=\x8b\xa4\x92\xca\r\n[Menu00]\r\nTitle=A\r\n"
                     "Count=1\r\nM00=00,x\r\n[Edit00]\r\nM00a=<\x95\x5c>\r\n";
  disk.Put("C:\\t\\" + kDataName, Unicode(data));
  const DataPagesResult pages = LoadDataPagesFromFile(files, "C:\\t\\" + kDataName);
  ASSERT_TRUE(pages.error.Ok());
  EXPECT_EQ(pages.pages.size(), 1u);
  EXPECT_EQ(ReadDataTitle(files, "C:\\t\\" + kDataName), "\x8b\xa4\x92\xca");
  const auto texts = ReadItemTexts(files, "C:\\t\\" + kDataName, 0, "M00");
  ASSERT_TRUE(texts);
  EXPECT_EQ(texts->a, "<\x95\x5c>");
  // The head of a long Unicode file converts whole characters only.
  const auto head = files.ReadHead("C:\\t\\" + kDataName, 9);
  ASSERT_TRUE(head);
  EXPECT_EQ(*head, "[Version]");
}

TEST_F(UnicodeFilesTest, AFileWithCharactersTheCodePageLacksIsNotRewritten) {
  // "é" (U+00E9) has no code page 932 form: rewriting would turn it into "?".
  const Bytes file = Bytes(kUtf16LeMark, 2) + codec.AnsiToUtf16("[Quiltor]\r\nX=").text + Bytes("\xe9\x00", 2) +
                     codec.AnsiToUtf16("\r\n").text;
  disk.Put("C:\\t\\Quiltor.ini", file);
  IniFile ini(files, "C:\\t\\Quiltor.ini");
  EXPECT_FALSE(WriteMode(ini, true));
  EXPECT_EQ(*disk.Contents("C:\\t\\Quiltor.ini"), file);
}

}  // namespace
}  // namespace quiltor
