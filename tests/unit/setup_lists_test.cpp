// The lists the settings dialog edits: file filters, programs, file kinds
// and the file-kind dialog's working list.
#include "settings/setup_lists.h"
#include "text/texts.h"

#include <gtest/gtest.h>

namespace quiltor {
namespace {

// "テキスト" and "表|" in CP932: the second byte of "表" is 0x5C, of "ポ" 0x7C.
const Bytes kText = "\x83\x65\x83\x4c\x83\x58\x83\x67";
const Bytes kPo = "\x83\x7c";

FileKind Kind(const Bytes& name, const Bytes& ext, const Bytes& editor = "") {
  FileKind kind;
  kind.extName = name;
  kind.ext = ext;
  kind.editerPath = editor;
  return kind;
}

std::vector<Bytes> RowTexts(const FilterRows& rows) {
  std::vector<Bytes> texts;
  for (const FilterRow& row : rows.Rows()) texts.push_back(row.text + (row.ticked ? "+" : "-"));
  return texts;
}

TEST(FilterRowsTest, RowsAreSavedAsFileFilterAndFileFilterC) {
  FilterRows rows;
  ASSERT_TRUE(rows.Add({"Text", "*.txt"}));
  ASSERT_TRUE(rows.Add({"All", "*.*"}));
  rows.SetTicked(0, true);
  EXPECT_EQ(rows.FileFilter(), "Text|*.txt||All|*.*||");
  EXPECT_EQ(rows.FileFilterC(), "10");
  EXPECT_EQ(FilterRows().FileFilter(), "");
  EXPECT_EQ(FilterRows().FileFilterC(), "");
}

TEST(FilterRowsTest, LoadingKeepsEveryEntryOfTheFilter) {
  struct Case {
    Bytes filter;
    Bytes flags;
    std::vector<Bytes> rows;
  };
  const Case cases[] = {
      {"A|*.a||B|*.b||", "10", {"A|*.a+", "B|*.b-"}},
      // Entries the flags do not cover stay, unticked, and are saved again.
      {"A|*.a||B|*.b||C|*.c||", "1", {"A|*.a+", "B|*.b-", "C|*.c-"}},
      // Flags past the last entry add no empty rows.
      {"A|*.a||", "111", {"A|*.a+"}},
      {"", "11", {}},
      // A last entry without its "||" and a pattern holding a double-byte
      // character whose second byte is "|".
      {"X|*." + kPo + "||Y|*.y", "01", {"X|*." + kPo + "-", "Y|*.y+"}},
  };
  for (const Case& c : cases) {
    FilterRows rows = FilterRows::FromSettings(c.filter, c.flags);
    EXPECT_EQ(RowTexts(rows), c.rows) << c.filter;
  }
  FilterRows defaults = FilterRows::FromSettings(texts::kDefaultFileFilter, kDefaultFileFilterC);
  EXPECT_EQ(defaults.Count(), 8u);
  EXPECT_EQ(defaults.FileFilter(), texts::kDefaultFileFilter);
  EXPECT_EQ(defaults.FileFilterC(), kDefaultFileFilterC);
}

TEST(FilterRowsTest, ClickedRowSplitsAtItsLastBar) {
  EXPECT_EQ(FilterRows::Fields("Text|*.txt"), (FilterFields{"Text", "*.txt"}));
  EXPECT_EQ(FilterRows::Fields("a|b|c"), (FilterFields{"a|b", "c"}));
  EXPECT_EQ(FilterRows::Fields("name" + kPo + "|*.x"), (FilterFields{"name" + kPo, "*.x"}));
  EXPECT_EQ(FilterRows::Fields("no bar"), (FilterFields{"no bar", ""}));
}

TEST(FilterRowsTest, AddAndUpdateNeedBothFieldsWithoutBars) {
  FilterRows rows;
  const FilterFields refused[] = {{"", "*.a"}, {"A", ""}, {"A|B", "*.a"}, {"A", "*.a||*.b"}};
  for (const FilterFields& fields : refused) EXPECT_FALSE(rows.Add(fields)) << fields.name;
  EXPECT_EQ(rows.Count(), 0u);
  // A double-byte character whose second byte is "|" is no bar.
  EXPECT_TRUE(rows.Add({kPo, "*.p"}));

  EXPECT_FALSE(rows.Update({"B", "*.b"}));  // no row selected
  rows.Select(0);
  EXPECT_FALSE(rows.Update({"B", ""}));
  EXPECT_TRUE(rows.Update({"B", "*.b"}));
  EXPECT_EQ(rows.Rows()[0].text, "B|*.b");
  rows.Delete();
  EXPECT_EQ(rows.Count(), 0u);
}

TEST(ReorderableRowsTest, DraggedRowTakesThePositionItIsOverAndStaysSelected) {
  struct Case {
    std::size_t from;
    std::size_t over;  // past the rows: the empty area below the last row
    Bytes order;
  };
  const Case cases[] = {{2, 0, "CAB"}, {0, 1, "BAC"}, {0, 9, "BCA"}, {1, 1, "ABC"}};
  for (const Case& c : cases) {
    FilterRows rows;
    for (const char* name : {"A", "B", "C"}) rows.Add({name, "*"});
    rows.Move(c.from, c.over);
    Bytes order;
    for (const FilterRow& row : rows.Rows()) order += row.text[0];
    EXPECT_EQ(order, c.order) << c.from << "->" << c.over;
    EXPECT_EQ(rows.Selected(), std::min<std::size_t>(c.over, 2));
  }
}

TEST(ProgramRowsTest, AddNeedsAProgramPathAndRoomInTheFile) {
  ProgramRows rows;
  EXPECT_FALSE(rows.Add({"cap", "", "%f"}));
  EXPECT_FALSE(rows.Add({"cap", "   ", "%f"}));
  EXPECT_TRUE(rows.Add({"", "C:\\t\\view.exe", "-x %f"}));
  EXPECT_EQ(ProgramRows::RowText(rows.Rows()[0]), "\tC:\\t\\view.exe\t-x %f");
  for (int i = 1; i < kMaxPrograms; ++i) EXPECT_TRUE(rows.Add({"p", "p.exe", ""}));
  // The settings file keeps 20 positions; a 21st row would be lost on OK.
  EXPECT_FALSE(rows.Add({"p", "p.exe", ""}));
  EXPECT_EQ(rows.Count(), 20u);
}

TEST(ProgramRowsTest, EditModeReplacesTheRowOnlyOnSet) {
  ProgramRows rows({{"A", "a.exe", "%f"}, {"B", "b.exe", "%f"}});
  std::optional<ProgramFields> fields = rows.EnterEdit(1);
  ASSERT_TRUE(fields);
  EXPECT_EQ(*fields, (ProgramFields{"B", "b.exe", "%f"}));
  EXPECT_TRUE(rows.Editing());
  EXPECT_FALSE(rows.Add({"C", "c.exe", ""}));  // the list is unusable while editing
  rows.Delete();
  EXPECT_EQ(rows.Count(), 2u);
  EXPECT_FALSE(rows.FinishEdit({"B2", " ", ""}));
  EXPECT_TRUE(rows.Editing());
  EXPECT_TRUE(rows.FinishEdit({"B2", "b2.exe", "-r %f"}));
  EXPECT_FALSE(rows.Editing());
  EXPECT_EQ(rows.Programs()[1], (ProgramEntry{"B2", "b2.exe", "-r %f"}));

  rows.EnterEdit(0);
  rows.CancelEdit();
  EXPECT_EQ(rows.Programs()[0], (ProgramEntry{"A", "a.exe", "%f"}));
}

TEST(ProgramRowsTest, DefaultProgramItemsFollowTheRows) {
  ProgramRows rows({{"A", "a.exe", ""}, {"", "b.exe", ""}});
  rows.Move(1, 0);
  const std::vector<Bytes> items = rows.DefaultProgramItems();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0], "\x8a\xd6\x98\x41\x95\x74\x82\xaf\xcc\xa7\xb2\xd9\x8e\xc0\x8d\x73");  // 関連付けﾌｧｲﾙ実行
  EXPECT_EQ(items[1], "");  // a caption-less row is an empty line
  EXPECT_EQ(items[2], "A");
}

TEST(KindListTest, ItemsShowNameAndExtension) {
  KindList list({CommonFileKind(), Kind(kText, "txt"), Kind("", "md")});
  EXPECT_EQ(list.Texts(), (std::vector<Bytes>{"\x8b\xa4\x92\xca", kText + " (txt)", " (md)"}));
}

TEST(KindListTest, CommitStoresTheControlsAndShowLoadsTheNextKind) {
  FileKind direct = Kind("D", "d", "d.exe");
  direct.cutPasteKey = 538100435;
  direct.className2 = "Edit";
  direct.pasteKind = 1;
  direct.pasteInterval = 60;
  KindList list({CommonFileKind(), Kind("T", "txt", "t.exe"), direct});
  LinkedTab tab;
  list.CommitAndShow(2, tab);  // nothing shown yet: nothing committed
  EXPECT_EQ(list.Kinds()[0], CommonFileKind());
  EXPECT_EQ(tab, (LinkedTab{"d.exe", "", "", true, "Edit", 1, 60, 2}));

  struct Case {
    int radio;
    std::int32_t stored;
  };
  // 直接指定 chosen by hand keeps the stored keys; the standard items store their set.
  const Case cases[] = {{2, 538100435}, {1, 236337336}, {0, 202223221}};
  for (const Case& c : cases) {
    tab.cutPaste = c.radio;
    tab.className2Ticked = false;  // the text counts whether or not it is ticked
    tab.editerParam = "%f";
    list.CommitAndShow(1, tab);
    EXPECT_EQ(list.Kinds()[2].cutPasteKey, c.stored) << c.radio;
    EXPECT_EQ(list.Kinds()[2].className2, "Edit");
    EXPECT_EQ(list.Kinds()[2].editerParam, "%f");
    EXPECT_EQ(tab.editerPath, "t.exe");
    EXPECT_FALSE(tab.className2Ticked);
    list.CommitAndShow(2, tab);
  }
}

class KindDialogTest : public ::testing::Test {
 protected:
  KindDialogTest() { list.CommitAndShow(0, tab); }
  std::vector<Bytes> Exts() const {
    std::vector<Bytes> exts;
    for (const FileKind& kind : list.Kinds()) exts.push_back(kind.ext);
    return exts;
  }
  KindList list{{CommonFileKind(), Kind("A", "a", "a.exe"), Kind("B", "b"), Kind("C", "c", "c.exe")}};
  LinkedTab tab;
};

TEST_F(KindDialogTest, AddedKindArrivesWithDefaultsAndTheCommonEntryShown) {
  KindWorkingList work(list);
  EXPECT_EQ(work.Texts(), (std::vector<Bytes>{"A (a)", "B (b)", "C (c)"}));
  EXPECT_FALSE(work.Add("Markdown", ""));
  ASSERT_TRUE(work.Add("Markdown", "md"));
  work.ApplyTo(list, tab);
  EXPECT_EQ(list.Texts().back(), "Markdown (md)");
  FileKind expected = Kind("Markdown", "md");
  EXPECT_EQ(list.Kinds().back(), expected);
  EXPECT_EQ(list.Shown(), 0u);
  EXPECT_EQ(tab, LinkedTab{});
}

TEST_F(KindDialogTest, DraggingRenumbersTheKinds) {
  KindWorkingList work(list);
  work.Move(2, 0);
  work.ApplyTo(list, tab);
  EXPECT_EQ(Exts(), (std::vector<Bytes>{"", "c", "a", "b"}));
  EXPECT_EQ(list.Kinds()[1].editerPath, "c.exe");
}

TEST_F(KindDialogTest, UpdateRenamesAndKeepsTheOtherFields) {
  KindWorkingList work(list);
  EXPECT_FALSE(work.Update("X", "x"));  // no row selected
  work.Select(0);
  EXPECT_FALSE(work.Update("X", ""));
  EXPECT_TRUE(work.Update("X", "x"));
  work.Select(1);
  work.Delete();
  work.ApplyTo(list, tab);
  EXPECT_EQ(Exts(), (std::vector<Bytes>{"", "x", "c"}));
  EXPECT_EQ(list.Kinds()[1].extName, "X");
  EXPECT_EQ(list.Kinds()[1].editerPath, "a.exe");
}

TEST_F(KindDialogTest, CancelledWorkLeavesTheListAsItWas) {
  const FileKinds before = list.Kinds();
  KindWorkingList work(list);
  work.Add("N", "n");
  work.Select(0);
  work.Update("Z", "z");
  work.Select(1);
  work.Delete();
  EXPECT_EQ(list.Kinds(), before);
}

TEST_F(KindDialogTest, EditsOnTheTabCommittedBeforeTheDialogSurviveItsSet) {
  list.CommitAndShow(1, tab);
  tab.editerPath = "edited.exe";
  list.Commit(tab);  // the settings dialog commits before it opens the file-kind dialog
  KindWorkingList work(list);
  work.Add("N", "n");
  work.ApplyTo(list, tab);
  EXPECT_EQ(list.Kinds()[1].editerPath, "edited.exe");
}

TEST_F(KindDialogTest, RowFieldsComeFromTheKindNotFromItsText) {
  KindWorkingList work(list);
  work.Add(kText + " (x", "a b");
  EXPECT_EQ(work.Texts().back(), kText + " (x (a b)");
  EXPECT_EQ(work.Fields(3), (FilterFields{kText + " (x", "a b"}));
}

}  // namespace
}  // namespace quiltor
