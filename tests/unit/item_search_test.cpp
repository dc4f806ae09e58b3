// Finding items by typing: what a Japanese user types and what it finds, in
// which order; the index over a data file's pages, menus, separators and
// accelerators; the search's state; the recently used items in the
// settings file.
#include "data/item_search.h"

#include <gtest/gtest.h>

#include <functional>

#include "data/recent_items.h"
#include "fakes/fake_files.h"
#include "fakes/fake_text_codec.h"
#include "fakes/fixtures.h"
#include "settings/profile.h"
#include "text/search_fold.h"

namespace quiltor {
namespace {

Bytes J(std::string_view utf8) { return fakes::IconvTextCodec::Cp932(utf8); }

// True when every word of the query is found in the text, as the search finds it.
bool Finds(std::string_view text, std::string_view query) {
  const FoldedText folded = FoldForSearch(J(text));
  for (const std::u16string& word : FoldedWords(J(query))) {
    if (std::u16string_view(folded.units).find(word) == std::u16string_view::npos) return false;
  }
  return true;
}

TEST(SearchFold, TheFormsAJapaneseUserTypesForTheSameTextAreEqual) {
  struct Case {
    const char* text;
    const char* query;
    bool found;
  };
  const Case cases[] = {
      {"Bold", "bOLD", true},
      {"ＢＯＬＤ", "bold", true},          // full-width letters
      {"bold", "ＢＯ", true},
      {"Ｃ＋＋（１７）", "c++(17)", true},  // full-width signs and digits
      {"ガイド", "ｶﾞｲﾄﾞ", true},           // half-width kana, voiced marks joined
      {"ｶﾞｲﾄﾞ", "がいど", true},
      {"パスワード", "ﾊﾟｽﾜｰﾄﾞ", true},
      {"ヴァイオリン", "ｳﾞｧｲｵﾘﾝ", true},
      {"カッコ", "かっこ", true},          // hiragana = katakana
      {"かっこ", "カッコ", true},
      {"カッコ", "かつこ", true},          // small kana tolerated
      {"キャッシュ", "きやつしゆ", true},
      {"サーバー", "サーバ", true},        // long vowel mark tolerated
      {"サーバ", "さーばー", true},
      {"ΑΒΓ", "αβγ", true},               // full-width Greek capitals
      {"全角　空白", "空白 全角", true},     // words in any order, either blank
      {"ガイド", "カイト", false},          // a voiced kana is another kana
      {"見出し", "みだし", false},          // no readings of kanji
      {"表示", "\\", false},                // 表's second byte is no backslash
      {"ソース", "\\", false},
      {"Bold", "bold italic", false},       // every word must be there
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Finds(c.text, c.query), c.found) << c.text << " / " << c.query;
  }
}

TEST(SearchFold, WordsStartAfterBlanksAndSignsAndWhereTheScriptChanges) {
  struct Case {
    const char* text;
    const char* starts;  // one digit per folded character
  };
  const Case cases[] = {
      {"Item M05 & more", "100001000101000"},
      {"ToolButton", "1000100000"},   // a capital after a small letter
      {"太字タグ", "1010"},           // katakana after kanji
      {"見出しの例", "10001"},        // hiragana go on the word, kanji after them start one
      {"<h2>見出し", "1100100"},      // a sign inside a word starts none, the letter after it does
      {"サーバー設定", "1010"},       // the long vowel marks are not there at all
  };
  for (const Case& c : cases) {
    const FoldedText folded = FoldForSearch(J(c.text));
    std::string starts;
    for (std::uint8_t s : folded.wordStarts) starts += s ? '1' : '0';
    EXPECT_EQ(starts, c.starts) << c.text;
  }
}

// A page of tags with accelerators, a separator, an empty side place, a
// menu two levels deep; a second page of Japanese captions.
Bytes TagsFile() {
  return J("[Version]\r\nNo=170\r\n[Group]\r\nCount=2\r\nTitle=t\r\n"
           "[Menu00]\r\nTitle=タグ\r\nCount=7\r\n"
           "M00=00,&Bold\r\n"
           "M01=00,太字タグ\r\nS01=00,empty side place\r\n"
           "M02=-\r\nS02=08,behind a separator\r\n"
           "M03=13,03,見出し\r\nM0300=00,h1\r\nM0301=-\r\nM0302=13,01,More\r\nM030200=00,h2\r\n"
           "M04=00,Symbol&&Sign\r\n"
           "M05=00,ボールド\r\nS05=07,upper\r\n"
           "M06=13,01,Deep\r\nM0600=13,01,L2\r\nM060000=13,01,L3\r\nM06000000=13,01,Dead\r\n"
           "[Edit00]\r\nM00a=<b>\r\nM01a=<strong>\r\nM0300a=<h1>\r\nM030200a=<h2>\\n\r\nM04a=&amp;\r\n"
           "M05a=bold text\r\nS05a=upper.exe\r\n"
           "[Menu01]\r\nTitle=文章\r\nCount=3\r\nM00=00,Embolden text\r\nM01=00,カッコ\r\nM02=00,括弧「」\r\n"
           "[Edit01]\r\nM00a=**\r\nM01a=（）\r\nM02a=「」\r\n");
}

ItemIndex IndexOf(const Bytes& contents) { return ItemIndex::Build(DataFileReader(contents)); }

std::vector<Bytes> Names(const ItemIndex& index) {
  std::vector<Bytes> names;
  for (const SearchItem& item : index.Items()) names.push_back(StoredItemName(item.name));
  return names;
}

TEST(ItemIndex, ListsEveryItemThatRunsOnEveryPageAndMenuLevelAndNothingElse) {
  const ItemIndex index = IndexOf(TagsFile());
  EXPECT_EQ(Names(index), (std::vector<Bytes>{"TB00M00", "TB00M01", "MB00M0300", "MB00M030200", "TB00M04",
                                              "TB00M05", "TB00S05", "TB01M00", "TB01M01", "TB01M02"}));
  const SearchItem& h2 = index.Items()[3];
  EXPECT_EQ(h2.caption, "h2");
  EXPECT_EQ(index.PathOf(h2).segments, (std::vector<Bytes>{J("タグ"), J("見出し"), "More"}));
  EXPECT_EQ(h2.preview, "<h2> ") << "escapes expanded, the line end a blank";
  EXPECT_EQ(index.Items()[0].caption, "&Bold") << "shown as the pages show it";
  EXPECT_EQ(index.Items()[6].imageIndex, 6);
}

// Every runnable button and menu entry of the pages model, in page order.
std::vector<Bytes> RunnableComponents(const std::vector<DataPage>& pages) {
  std::vector<Bytes> names;
  std::function<void(const std::vector<MenuEntry>&)> entries = [&](const std::vector<MenuEntry>& menu) {
    for (const MenuEntry& entry : menu) {
      if (entry.kind == MenuEntryKind::kRunnable) names.push_back(StoredItemName(*entry.name));
      entries(entry.children);
    }
  };
  for (const DataPage& page : pages) {
    for (std::size_t row = 0; row < static_cast<std::size_t>(page.rowCount); ++row) {
      for (const ItemButton* button : {&page.main[row], &page.side[row]}) {
        if (button->action == ItemAction::kDropDown) entries(button->menu);
        else if (button->action != ItemAction::kNone) names.push_back(StoredItemName(*button->name));
      }
    }
  }
  return names;
}

TEST(ItemIndex, HoldsExactlyTheComponentsAClickCanRun) {
  for (const auto& [folder, name] : {std::pair{"data", "layout.edt"}, std::pair{"items", "items.edt"},
                                     std::pair{"items", "modules.edt"}, std::pair{"items", "other.edt"}}) {
    const Bytes contents = fakes::FixtureBytes(folder, name);
    const DataPagesResult pages = BuildDataPages(contents);
    ASSERT_TRUE(pages.error.Ok()) << name;
    EXPECT_EQ(Names(IndexOf(contents)), RunnableComponents(pages.pages)) << name;
  }
}

TEST(ItemIndex, AFileThePagesRefuseGivesNoIndex) {
  FakeFileSystem files;
  files.Put("C:\\d.edt", "[Version]\r\nNo=170\r\n[Group]\r\nCount=1\r\n[Menu00]\r\nCount=2\r\nM00=00,ok\r\nM01=99,bad\r\n");
  const LoadedDataFile loaded = LoadDataFileWithIndex(files, "C:\\d.edt");
  EXPECT_EQ(loaded.pages.error.status, DataStatus::kBadTypeCode);
  EXPECT_TRUE(loaded.index.Empty());
  EXPECT_EQ(LoadDataFileWithIndex(files, "C:\\none.edt").pages.error.status, DataStatus::kUnreadable);
}

std::vector<Bytes> Captions(const ItemIndex& index, const std::vector<std::uint32_t>& hits) {
  std::vector<Bytes> captions;
  for (std::uint32_t hit : hits) captions.push_back(index.Items()[hit].caption);
  return captions;
}

TEST(FindItems, WhatTheUserTypesAndWhatComesFirst) {
  const ItemIndex index = IndexOf(TagsFile());
  struct Case {
    const char* query;
    std::vector<const char*> captions;  // in this order
  };
  const Case cases[] = {
      // The caption's start (accelerator gone), then a word start in the
      // text, then inside words (in the file's order).
      {"b", {"&Bold", "ボールド", "Symbol&&Sign", "Embolden text"}},
      {"bold", {"&Bold", "ボールド", "Embolden text"}},
      {"&", {"Symbol&&Sign"}},  // "&&" is one "&"; and "&amp;" of the text comes after the caption
      {"h2", {"h2"}},
      {"見出し h2", {"h2"}},   // the menu path and the caption, either order
      {"h2 みだし", {}},
      {"more", {"h2"}},        // a menu two levels up
      {"タグ", {"太字タグ", "&Bold", "h1", "h2", "Symbol&&Sign", "ボールド", "upper"}},
      {"かっこ", {"カッコ"}},
      {"「」", {"括弧「」"}},
      {"ｂｏｌｄ　ｔｅｘｔ", {"Embolden text", "ボールド"}},  // both words in the caption beat both in the text
      {"xyz", {}},
      {"separator", {}},       // the side place of a separator row is not read
      {"dead", {}},            // a fourth-level menu opens nothing
      {"empty", {}},           // an empty side place runs nothing
  };
  for (const Case& c : cases) {
    std::vector<Bytes> expected;
    for (const char* caption : c.captions) expected.push_back(J(caption));
    EXPECT_EQ(Captions(index, FindItems(index, J(c.query), {})), expected) << c.query;
  }
}

TEST(FindItems, AmongEqualsTheRecentlyUsedComeFirst) {
  const ItemIndex index = IndexOf(TagsFile());
  std::vector<std::uint64_t> lastUses(index.Items().size(), 0);
  lastUses[6] = 7;  // upper
  lastUses[3] = 5;  // h2
  EXPECT_EQ(Captions(index, FindItems(index, J("タグ"), lastUses)),
            (std::vector<Bytes>{J("太字タグ"), "upper", "h2", "&Bold", "h1", "Symbol&&Sign", J("ボールド")}))
      << "a better match still comes first";
  const std::vector<std::uint32_t> all = FindItems(index, "  ", lastUses);
  ASSERT_EQ(all.size(), index.Items().size()) << "no words: everything";
  EXPECT_EQ(index.Items()[all[0]].caption, "upper");
  EXPECT_EQ(index.Items()[all[1]].caption, "h2");
  EXPECT_EQ(index.Items()[all[2]].caption, "&Bold");
}

TEST(FindItems, AcceleratorMarksAreNotPartOfTheCaption) {
  EXPECT_EQ(StripAccelerators("&Bold"), "Bold");
  EXPECT_EQ(StripAccelerators("A&&B"), "A&B");
  EXPECT_EQ(StripAccelerators("&&&x&"), "&x");
  EXPECT_EQ(StripAccelerators(J("表&示")), J("表示"));
}

TEST(ItemSearch, OpensOnEverythingNarrowsMovesAndClosesOnANewFile) {
  ItemSearch search;
  search.Reset(IndexOf(TagsFile()));
  EXPECT_FALSE(search.IsOpen());
  search.SetQuery("b");
  EXPECT_TRUE(search.Hits().empty()) << "a closed search finds nothing";
  search.Open({});
  EXPECT_EQ(search.Hits().size(), 10u);
  EXPECT_EQ(search.Selection(), 0);
  search.SetQuery("b");
  ASSERT_EQ(search.Hits().size(), 4u);
  search.MoveSelection(2);
  EXPECT_EQ(search.SelectedItem()->caption, "Symbol&&Sign");
  search.MoveSelection(10);
  EXPECT_EQ(search.Selection(), 3) << "stops at the last hit";
  search.MoveSelection(-10);
  EXPECT_EQ(search.Selection(), 0);
  search.Select(7);
  EXPECT_EQ(search.Selection(), 0) << "no such row";
  search.SetQuery("xyz");
  EXPECT_TRUE(search.NoHits());
  EXPECT_EQ(search.SelectedItem(), nullptr);
  search.Reset(IndexOf(TagsFile()));
  EXPECT_FALSE(search.IsOpen());
  EXPECT_TRUE(search.Query().empty());
}

// ---- Recently used items in the settings file ---------------------------------

const Bytes kSettingsPath = "C:\\tool\\Quiltor.ini";
const Bytes kSettings =
    "; the user's own comment\r\n[Quiltor]\r\nQuiltorData = a.edt \r\n[Other program]\r\nkey=value\r\n";

TEST(RecentItems, EachUseWritesOneKeyOfItsOwnSectionAndNoOtherByte) {
  FakeFileSystem files;
  files.Put(kSettingsPath, kSettings);
  IniFile ini(files, kSettingsPath);
  RecentItems recent;
  recent.Load(*ini.ReadDocument());
  ASSERT_TRUE(recent.NoteUse(ini, "a.edt", "TB00M00"));
  ASSERT_TRUE(recent.NoteUse(ini, "sub\\b.edt", "MB01M0300"));
  EXPECT_EQ(*files.Contents(kSettingsPath),
            kSettings + "[Search]\r\nUsed0=1,TB00M00,a.edt\r\nUsed1=2,MB01M0300,sub\\b.edt\r\n");
  const Bytes before = *files.Contents(kSettingsPath);
  ASSERT_TRUE(recent.NoteUse(ini, "sub\\b.edt", "MB01M0300"));
  EXPECT_EQ(*files.Contents(kSettingsPath), before) << "the latest use again writes nothing";
  ASSERT_TRUE(recent.NoteUse(ini, "A.EDT", "TB00M00"));
  EXPECT_EQ(*files.Contents(kSettingsPath),
            kSettings + "[Search]\r\nUsed0=3,TB00M00,A.EDT\r\nUsed1=2,MB01M0300,sub\\b.edt\r\n")
      << "a file named in other capitals is the same file";

  RecentItems again;
  again.Load(*ini.ReadDocument());
  const auto uses = again.UsesIn("a.edt");
  EXPECT_EQ(uses.size(), 1u);
  EXPECT_EQ(uses.at("TB00M00"), 3u);
  EXPECT_EQ(again.UsesIn("SUB\\B.edt").at("MB01M0300"), 2u);
}

TEST(RecentItems, AFullListReplacesTheOldestAndBrokenValuesAreFree) {
  FakeFileSystem files;
  Bytes settings = "[Search]\r\nUsed0=oops\r\nUsed1=5,TB00M00\r\n";
  for (int slot = 2; slot < kRecentItemSlots; ++slot) {
    settings += "Used" + std::to_string(slot) + "=" + std::to_string(100 - slot) + ",TB00M" +
                std::to_string(slot) + ",a.edt\r\n";
  }
  files.Put(kSettingsPath, settings);
  IniFile ini(files, kSettingsPath);
  RecentItems recent;
  recent.Load(*ini.ReadDocument());
  EXPECT_FALSE(recent.Slots()[0]);
  EXPECT_FALSE(recent.Slots()[1]) << "no data file";
  ASSERT_TRUE(recent.NoteUse(ini, "a.edt", "TB01M00"));
  ASSERT_TRUE(recent.NoteUse(ini, "a.edt", "TB01M01"));
  ASSERT_TRUE(recent.NoteUse(ini, "a.edt", "TB01M02"));
  const IniDocument after(*files.Contents(kSettingsPath));
  EXPECT_EQ(after.Get("Search", "Used0", ""), "99,TB01M00,a.edt");
  EXPECT_EQ(after.Get("Search", "Used1", ""), "100,TB01M01,a.edt");
  EXPECT_EQ(after.Get("Search", "Used49", ""), "101,TB01M02,a.edt") << "the oldest use went";
  EXPECT_EQ(after.Get("Search", "Used48", ""), "52,TB00M48,a.edt");
}

TEST(RecentItems, AFileThatCannotBeWrittenIsSaidSoAndTheUseStillCounts) {
  FakeFileSystem files;
  files.Put(kSettingsPath, kSettings);
  files.FailWrites(FakeFileSystem::WriteFailure::kRefuse);
  IniFile ini(files, kSettingsPath);
  RecentItems recent;
  recent.Load(*ini.ReadDocument());
  EXPECT_FALSE(recent.NoteUse(ini, "a.edt", "TB00M00"));
  EXPECT_EQ(*files.Contents(kSettingsPath), kSettings);
  EXPECT_EQ(recent.UsesIn("a.edt").at("TB00M00"), 1u);
}

}  // namespace
}  // namespace quiltor
