#include "data/data_file.h"

#include "data/pages.h"
#include "fakes/fake_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "fakes/fixtures.h"

namespace quiltor {
namespace {

Bytes Fixture(const std::string& name) { return fakes::FixtureBytes("data", name); }

TEST(ParseItemDefinition, SplitsTypeCountAndCaption) {
  struct Case {
    const char* value;
    const char* key;
    bool separator;
    int typeCode;
    int imageIndex;
    int menuCount;
    const char* caption;
    ItemKind kind;
    int runVariant;
  };
  const Case cases[] = {
      {"00,Greeting", "M03", false, 0, -1, 0, "Greeting", ItemKind::kText, -1},
      {"00 Greeting", "M03", false, 0, -1, 0, "Greeting", ItemKind::kText, -1},
      {"13,03,Headers", "M07", false, 13, 12, 3, "Headers", ItemKind::kMenu, -1},
      {"08,Sort lines", "M01", false, 8, 7, 0, "Sort lines", ItemKind::kModule, 1},
      {"01;Script", "M01", false, 1, 0, 0, "Script", ItemKind::kScript, 0},
      {"06,Last script", "M01", false, 6, 5, 0, "Last script", ItemKind::kScript, 5},
      {"12,Last module", "M01", false, 12, 11, 0, "Last module", ItemKind::kModule, 5},
      {"-", "M03", true, 0, -1, 0, "", ItemKind::kSeparator, -1},
      {"----", "M0301", true, 0, -1, 0, "", ItemKind::kSeparator, -1},
      {"0", "S02", false, 0, -1, 0, "", ItemKind::kText, -1},
      {"07", "S02", false, 7, 6, 0, "", ItemKind::kModule, 0},
      {"13,00,", "M00", false, 13, 12, 0, "", ItemKind::kMenu, -1},
      {"00,\x88\xa5\x8e\x41", "M00", false, 0, -1, 0, "\x88\xa5\x8e\x41", ItemKind::kText, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    const ItemParse parsed = ParseItemDefinition(c.value, c.key);
    ASSERT_TRUE(parsed.error.Ok());
    EXPECT_EQ(parsed.item.separator, c.separator);
    EXPECT_EQ(parsed.item.typeCode, c.typeCode);
    EXPECT_EQ(parsed.item.imageIndex, c.imageIndex);
    EXPECT_EQ(parsed.item.menuCount, c.menuCount);
    EXPECT_EQ(parsed.item.caption, c.caption);
    EXPECT_EQ(parsed.item.Kind(), c.kind);
    EXPECT_EQ(parsed.item.RunVariant(), c.runVariant);
  }
}

TEST(ParseItemDefinition, ImageIndexFollowsTheTypeTable) {
  for (int code = 0; code <= 13; ++code) {
    const ItemParse parsed = ParseItemDefinition(TwoDigits(code) + (code == 13 ? ",01,x" : ",x"), "M00");
    ASSERT_TRUE(parsed.error.Ok()) << code;
    EXPECT_EQ(parsed.item.imageIndex, code - 1) << code;
  }
}

TEST(ParseItemDefinition, RefusesWhatIsNotAnItem) {
  struct Case {
    const char* value;
    const char* key;
    DataStatus status;
    const char* text;
    int number;
  };
  const Case cases[] = {
      {"", "M03", DataStatus::kNotInteger, "", 0},           // empty main key
      {"x0,Bad", "M03", DataStatus::kNotInteger, "x0", 0},
      {" 1,Bad", "M03", DataStatus::kNotInteger, " 1", 0},
      {"-", "S03", DataStatus::kNotInteger, "-", 0},         // no separators in the icon column
      {"13,x1,Menu", "M03", DataStatus::kNotInteger, "x1", 0},
      {"13", "M03", DataStatus::kNotInteger, "", 0},         // menu without a count
      {"14,Too big", "M03", DataStatus::kBadTypeCode, "M03", 14},
      {"99,Too big", "M0301", DataStatus::kBadTypeCode, "M0301", 99},
      {"-1", "S05", DataStatus::kBadTypeCode, "S05", -1},
      {"13,-1,Menu", "M03", DataStatus::kBadMenuCount, "M03", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    const ItemParse parsed = ParseItemDefinition(c.value, c.key);
    EXPECT_EQ(parsed.error.status, c.status);
    EXPECT_EQ(parsed.error.text, c.text);
    EXPECT_EQ(parsed.error.value, c.number);
  }
}

TEST(DataErrorMessage, GivesTheUserTheirTextInCp932) {
  // くいるとるデータが古い形式です\nるーむわーくで変換してください
  EXPECT_EQ(DataErrorMessage({DataStatus::kOldFormat, "", 0}),
            "\x82\xad\x82\xa2\x82\xe9\x82\xc6\x82\xe9\x83\x66\x81[\x83^\x82\xaa\x8c\xc3\x82\xa2\x8c`\x8e\xae"
            "\x82\xc5\x82\xb7\n\x82\xe9\x81[\x82\xde\x82\xed\x81[\x82\xad\x82\xc5\x95\xcf\x8a\xb7\x82\xb5\x82"
            "\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2");
  // 'x0' は整数ではありません
  EXPECT_EQ(DataErrorMessage(ParseItemDefinition("x0,Bad", "M03").error),
            "'x0' \x82\xcd\x90\xae\x90\x94\x82\xc5\x82\xcd\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1");
  // 'M03' の種別コード 14 は不正です
  EXPECT_EQ(DataErrorMessage(ParseItemDefinition("14,Bad", "M03").error),
            "'M03' \x82\xcc\x8e\xed\x95\xca\x83R\x81[\x83h 14 \x82\xcd\x95s\x90\xb3\x82\xc5\x82\xb7");
  EXPECT_EQ(DataErrorMessage({}), "");
}

TEST(ItemNames, KeysAreBuiltAndReadBothWays) {
  EXPECT_EQ(ItemName::Main(3, 7).Key(), "M07");
  EXPECT_EQ(ItemName::Side(12, 0).Key(), "S00");
  EXPECT_EQ(ItemName::Main(2, 5).Entry(3).Entry(1).Key(), "M050301");
  EXPECT_EQ(PageSection(9), "Menu09");
  EXPECT_EQ(EditSection(42), "Edit42");
  EXPECT_EQ(EntryKey("S02", 5), "S0205");

  using Column = ItemName::Column;
  struct Case {
    const char* key;
    bool valid;
    Column column;
    int row;
    std::vector<int> menuPath;
  };
  const Case cases[] = {
      {"M07", true, Column::kMain, 7, {}},
      {"S00", true, Column::kSide, 0, {}},
      {"M0503", true, Column::kMain, 5, {3}},
      {"S050301", true, Column::kSide, 5, {3, 1}},
      {"M99030102", true, Column::kMain, 99, {3, 1, 2}},
      {"M7", false, Column::kMain, 0, {}},
      {"X07", false, Column::kMain, 0, {}},
      {"m07", false, Column::kMain, 0, {}},
      {"M0", false, Column::kMain, 0, {}},
      {"M050", false, Column::kMain, 0, {}},
      {"M0a03", false, Column::kMain, 0, {}},
      {"M-103", false, Column::kMain, 0, {}},
      {"M0503010203", false, Column::kMain, 0, {}},  // deeper than the menus go
      {"", false, Column::kMain, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    const std::optional<ItemName> name = ItemName::FromKey(4, c.key);
    ASSERT_EQ(name.has_value(), c.valid);
    if (!name) continue;
    EXPECT_EQ(*name, (ItemName{4, c.column, c.row, c.menuPath}));
    EXPECT_EQ(name->IsMenuEntry(), !c.menuPath.empty());
    EXPECT_EQ(name->Key(), c.key) << "what is read is built back to the same key";
  }
}

TEST(DataFileReader, AcceptsFormat170AndUp) {
  struct Case {
    const char* fixture;
    int format;
    bool current;
  };
  const Case cases[] = {
      {"old169.edt", 169, false},
      {"no_version.edt", 0, false},
      {"version170.edt", 170, true},
      {"layout.edt", 170, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fixture);
    const DataFileReader file(Fixture(c.fixture));
    EXPECT_EQ(file.FormatNumber(), c.format);
    EXPECT_EQ(file.IsCurrentFormat(), c.current);
  }
}

TEST(DataFileReader, ReadsTitlesCountsAndValuesWithTheProfileRules) {
  const DataFileReader file(Fixture("layout.edt"));
  EXPECT_EQ(file.Title(), " Layout test ");  // blanks around the quotes go, those inside stay
  EXPECT_EQ(file.PageCount(), 3);
  EXPECT_EQ(file.PageTitle(0), "Tags & Text");
  EXPECT_EQ(file.PageTitle(2), "\x93\xfa\x96\x7b\x8c\xea");  // 日本語
  EXPECT_EQ(file.RowCount(0), 7);
  EXPECT_EQ(file.RowCount(1), 0);
  EXPECT_EQ(file.ItemValue(0, "M03"), "00,Padded");
  EXPECT_EQ(file.ItemValue(0, "M04"), "08,Quoted");
  EXPECT_EQ(file.ItemValue(0, "m00"), "00,Greeting");  // key names ignore case
  EXPECT_EQ(file.ItemValue(0, "S02"), "0");             // missing side place
  EXPECT_EQ(file.ItemValue(0, "S0200"), "");            // missing entry of a side menu: no item at all
  // So a side menu whose entry is missing fails like one of the main column.
  const DataPagesResult side = BuildDataPages(Bytes(
      "[Version]\r\nNo=170\r\n[Group]\r\nCount=1\r\n[Menu00]\r\nCount=1\r\nM00=00,a\r\nS00=13,02,\r\n"
      "S0000=00,x\r\n"));
  EXPECT_EQ(side.error.status, DataStatus::kNotInteger);
  EXPECT_TRUE(side.pages.empty());
  EXPECT_EQ(file.ItemValue(0, "M99"), "");
  const auto texts = file.ItemTexts(0, "M04");
  EXPECT_EQ(texts.a, "upper.exe");
  EXPECT_EQ(texts.b, "-x");
  EXPECT_EQ(file.ItemTexts(0, "M00").a, "Hello,\\sworld");  // escapes stay for later expansion
  EXPECT_EQ(file.ItemTexts(0, "M01").a, "");
}

TEST(DataFileReader, IgnoresPagesAndRowsBeyondOneHundred) {
  EXPECT_EQ(DataFileReader(Fixture("pages100.edt")).PageCount(), 100);
  EXPECT_EQ(DataFileReader(Fixture("pages101.edt")).PageCount(), 100);
  EXPECT_EQ(DataFileReader(Fixture("rows101.edt")).RowCount(0), 100);
  EXPECT_EQ(DataFileReader("[Version]\nNo=170\n[Group]\nCount=-4\n").PageCount(), 0);
  EXPECT_EQ(DataFileReader("[Version]\nNo=170\n[Group]\nCount=0x2\n").PageCount(), 2);
  EXPECT_EQ(DataFileReader("[Version]\nNo=170\n[Group]\nCount=two\n").PageCount(), 0);
}

TEST(ReadItemTexts, SeesTheFileAsItIsAtTheClick) {
  FakeFileSystem files;
  const Bytes path = "C:\\Tool\\data\\a.edt";
  files.Put(path, Fixture("layout.edt"));
  auto texts = ReadItemTexts(files, path, 0, "M0200");
  ASSERT_TRUE(texts);
  EXPECT_EQ(texts->a, "<h1>");
  EXPECT_EQ(texts->b, "</h1>");

  // The user edits the data file while the tool runs: the next click gets the new text.
  files.Put(path, "[Edit00]\r\nM0200a=<h1 class=\"x\">\r\nM0200b=\r\n");
  texts = ReadItemTexts(files, path, 0, "M0200");
  ASSERT_TRUE(texts);
  EXPECT_EQ(texts->a, "<h1 class=\"x\">");
  EXPECT_EQ(texts->b, "");

  texts = ReadItemTexts(files, path, 2, "M00");
  ASSERT_TRUE(texts);
  EXPECT_EQ(texts->a, "");  // the section of page 2 is gone now

  // Both texts come from one look at the file, whatever order they stand in;
  // the first line of a key and the first section of a page count.
  files.Put(path, "[Edit00]\r\nM00b=after\r\nM00a=before\r\nm00A=again\r\n[Edit00]\r\nM01a=x\r\n");
  texts = ReadItemTexts(files, path, 0, "M00");
  ASSERT_TRUE(texts);
  EXPECT_EQ(texts->a, "before");
  EXPECT_EQ(texts->b, "after");
  texts = ReadItemTexts(files, path, 0, "M01");
  ASSERT_TRUE(texts);
  EXPECT_EQ(texts->a, "");

  files.SetUnreadable(path, true);  // locked by another program
  EXPECT_FALSE(ReadItemTexts(files, path, 0, "M0200"));
  EXPECT_FALSE(ReadItemTexts(files, "C:\\Tool\\data\\gone.edt", 0, "M0200"));
}

TEST(ReadDataTitle, GivesTheTitleOrThePathForTheRecentList) {
  FakeFileSystem files;
  files.Put("C:\\Tool\\a.edt", Fixture("layout.edt"));
  files.Put("C:\\Tool\\b.edt", Fixture("version170.edt"));
  EXPECT_EQ(ReadDataTitle(files, "C:\\Tool\\a.edt"), " Layout test ");
  EXPECT_EQ(RecentDataCaption(files, "C:\\Tool\\a.edt", "a.edt"), " Layout test ");
  EXPECT_EQ(RecentDataCaption(files, "C:\\Tool\\b.edt", "b.edt"), "b.edt");
  EXPECT_EQ(RecentDataCaption(files, "C:\\Tool\\missing.edt", "missing.edt"), "missing.edt");
}


// Lines joined with CRLF; line n of the file is lines[n - 1].
Bytes FileOfLines(const std::vector<Bytes>& lines) {
  Bytes text;
  for (const Bytes& line : lines) text += line + "\r\n";
  return text;
}

TEST(CheckDataFile, ReportsEveryFaultWithItsLineAndTheToolsOwnMessage) {
  const Bytes file = FileOfLines({
      "[Version]",            // 1
      "No=170",               // 2
      "[Group]",              // 3
      "Count=3",              // 4
      "Title=Faults",         // 5
      "[Menu00]",             // 6
      "Count=4",              // 7
      "M00=00,Fine",          // 8
      "M01=14,Unknown type",  // 9
      "S01=07,Module",        // 10  read although the main item of its row failed
      "M02=13,x1,Menu",       // 11
      "M03=13,02,Tools",      // 12
      "M0300=00,Fine",        // 13
      "M0301=99,Deep",        // 14
      "S03=zz",               // 15
      "[Edit00]",             // 16
      "M00a=text",            // 17
      "[Menu01]",             // 18
      "Title=No texts",       // 19
      "Count=1",              // 20
      "M00=00,Needs texts",   // 21
      "[Menu02]",             // 22
      "Count=2",              // 23
      "M00=-",                // 24
      "S00=not read",         // 25  the side place of a separator row
      "M01=13,01,Menu only",  // 26
      "M0100=-",              // 27  a menu of separators has no texts: Edit02 may be missing
  });
  const std::vector<DataFinding> findings = CheckDataFile(file);
  const std::vector<DataFinding> expected = {
      {9, "M01", DataErrorMessage(ParseItemDefinition("14,Unknown type", "M01").error)},
      {11, "M02", DataErrorMessage(ParseItemDefinition("13,x1,Menu", "M02").error)},
      {14, "M0301", DataErrorMessage(ParseItemDefinition("99,Deep", "M0301").error)},
      {15, "S03", DataErrorMessage(ParseItemDefinition("zz", "S03").error)},
      {18, "Edit01", MissingEditSectionMessage("Edit01")},
  };
  EXPECT_EQ(findings, expected);
  // 'x1' は整数ではありません, as the tool says it.
  EXPECT_EQ(findings[1].message, "'x1' \x82\xcd\x90\xae\x90\x94\x82\xc5\x82\xcd\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1");
  // 'Edit01' のセクションがありません
  EXPECT_EQ(findings[4].message,
            "'Edit01' \x82\xcc\x83Z\x83N\x83V\x83\x87\x83\x93\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1");
  // The tool itself stops at the first of them.
  EXPECT_EQ(BuildDataPages(file).error.status, DataStatus::kBadTypeCode);
}

TEST(CheckDataFile, PointsAtTheSectionWhenTheKeyIsMissing) {
  const struct {
    const char* name;
    Bytes contents;
    std::vector<DataFinding> expected;
  } cases[] = {
      {"valid", FileOfLines({"[Version]", "No=170", "[Group]", "Count=1", "[Menu00]", "Count=1", "M00=00,a",
                             "[Edit00]"}),
       {}},
      {"texts nowhere", Fixture("version170.edt"), {{8, "Edit00", MissingEditSectionMessage("Edit00")}}},
      {"missing row", FileOfLines({"[Version]", "No=170", "[Group]", "Count=1", "[Menu00]", "Count=2", "M00=00,a",
                                   "[Edit00]"}),
       {{5, "M01", DataErrorMessage(ParseItemDefinition("", "M01").error)}}},
      {"old format", FileOfLines({"[Version]", "No=169", "[Group]", "Count=0"}),
       {{2, "No", DataErrorMessage({DataStatus::kOldFormat, "", 0})}}},
      {"no version key", FileOfLines({"[Group]", "Count=0", "[Version]"}),
       {{3, "No", DataErrorMessage({DataStatus::kOldFormat, "", 0})}}},
      {"no version section", FileOfLines({"[Group]", "Count=0"}),
       {{0, "No", DataErrorMessage({DataStatus::kOldFormat, "", 0})}}},
      // Line ends of every kind count one line each.
      {"mixed line ends", "[Version]\rNo=170\n[Group]\r\nCount=1\r[Menu00]\nCount=1\r\nM00=x0,Bad\r\n[Edit00]",
       {{7, "M00", DataErrorMessage(ParseItemDefinition("x0,Bad", "M00").error)}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CheckDataFile(c.contents), c.expected);
  }
}

TEST(CheckDataFile, FindsNothingInTheSampleFiles) {
  for (const char* name : {"html.edt", "code.edt"}) {
    SCOPED_TRACE(name);
    const auto path = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "samples" / "data" / name;
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in.good()) << path;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    EXPECT_EQ(CheckDataFile(bytes.str()), std::vector<DataFinding>{});
  }
}

}  // namespace
}  // namespace quiltor
