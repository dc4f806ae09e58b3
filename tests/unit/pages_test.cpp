#include "data/pages.h"

#include "fakes/fake_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>

#include "fakes/fixtures.h"
#include "text/texts.h"

namespace quiltor {
namespace {

Bytes Fixture(const std::string& name) { return fakes::FixtureBytes("data", name); }

std::vector<DataPage> LoadFixture(const std::string& name) {
  DataPagesResult result = BuildDataPages(Fixture(name));
  EXPECT_TRUE(result.error.Ok()) << name << ": " << static_cast<int>(result.error.status) << " " << result.error.text;
  return std::move(result.pages);
}

Bytes Padded(const Bytes& caption) { return " " + caption + Bytes(30 - caption.size(), ' '); }

TEST(BuildDataPages, MakesTheButtonsOfEveryRow) {
  const auto pages = LoadFixture("layout.edt");
  ASSERT_EQ(pages.size(), 3u);
  const DataPage& page = pages[0];
  EXPECT_EQ(page.caption, "Tags && Text");
  EXPECT_EQ(page.rowCount, 7);
  ASSERT_EQ(page.main.size(), 8u);  // seven rows and the end marker
  ASSERT_EQ(page.side.size(), 8u);

  struct Row {
    std::optional<ItemName> name;
    Bytes caption;
    int image;
    bool enabled;
    ItemAction action;
    std::optional<ItemName> sideName;
    int sideImage;
    bool sideEnabled;
    ItemAction sideAction;
  };
  const Row rows[] = {
      {ItemName::Main(0, 0), Padded("Greeting"), -1, true, ItemAction::kText, ItemName::Side(0, 0), 6, true,
       ItemAction::kModule},
      {ItemName::Main(0, 1), texts::kSeparatorCaption, -1, false, ItemAction::kNone, std::nullopt, -1, false,
       ItemAction::kNone},
      {ItemName::Main(0, 2), Padded("Headers"), 12, true, ItemAction::kDropDown, ItemName::Side(0, 2), -1, false,
       ItemAction::kNone},
      {ItemName::Main(0, 3), Padded("Padded"), -1, true, ItemAction::kText, ItemName::Side(0, 3), -1, false,
       ItemAction::kNone},
      {ItemName::Main(0, 4), Padded("Quoted"), 7, true, ItemAction::kModule, ItemName::Side(0, 4), 12, true,
       ItemAction::kDropDown},
      {ItemName::Main(0, 5), " A caption of exactly 30 bytes!", -1, true, ItemAction::kText, ItemName::Side(0, 5), 11,
       true, ItemAction::kModule},
      {ItemName::Main(0, 6), " R&&D" + Bytes(27, ' '), -1, true, ItemAction::kText, ItemName::Side(0, 6), -1, false,
       ItemAction::kNone},
  };
  for (int row = 0; row < 7; ++row) {
    SCOPED_TRACE(row);
    const Row& want = rows[row];
    const ItemButton& mainButton = page.main[row];
    const ItemButton& sideButton = page.side[row];
    EXPECT_EQ(mainButton.name, want.name);
    EXPECT_EQ(mainButton.caption, want.caption);
    EXPECT_EQ(mainButton.imageIndex, want.image);
    EXPECT_EQ(mainButton.enabled, want.enabled);
    EXPECT_EQ(mainButton.action, want.action);
    EXPECT_EQ(sideButton.name, want.sideName);
    EXPECT_EQ(sideButton.caption, "");
    EXPECT_EQ(sideButton.imageIndex, want.sideImage);
    EXPECT_EQ(sideButton.enabled, want.sideEnabled);
    EXPECT_EQ(sideButton.action, want.sideAction);
  }
  EXPECT_EQ(page.main[7].caption, "       *** end of data ***     ");
  EXPECT_TRUE(page.main[7].endMarker);
  EXPECT_FALSE(page.main[7].enabled);
  EXPECT_FALSE(page.main[7].name);
  EXPECT_FALSE(page.side[7].enabled);
  EXPECT_EQ(page.side[7].action, ItemAction::kNone);
}

TEST(BuildDataPages, CaptionsArePaddedToThirtyBytesAndShowAmpersands) {
  struct Case {
    Bytes caption;
    Bytes shown;
  };
  const Case cases[] = {
      {"0123456789", " 0123456789" + Bytes(20, ' ')},
      {"", Bytes(31, ' ')},
      {Bytes(30, 'x'), " " + Bytes(30, 'x')},
      {Bytes(40, 'y'), " " + Bytes(40, 'y')},
      {"A&B", " A&&B" + Bytes(27, ' ')},
      {"\x8a\xbf\x8e\x9a", " \x8a\xbf\x8e\x9a" + Bytes(26, ' ')},  // 漢字 counts four bytes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    EXPECT_EQ(MainButtonCaption(c.caption), c.shown);
  }
  EXPECT_EQ(Bytes(texts::kSeparatorCaption).size(), 31u);
}

TEST(BuildDataPages, BuildsMenuTreesToTheFourthKeyLevel) {
  const auto pages = LoadFixture("layout.edt");
  const std::vector<MenuEntry>& menu = pages[0].main[2].menu;
  ASSERT_EQ(menu.size(), 3u);  // M0203 lies beyond the count of 3

  EXPECT_EQ(menu[0].kind, MenuEntryKind::kRunnable);
  EXPECT_EQ(menu[0].name, ItemName::Main(0, 2).Entry(0));
  EXPECT_EQ(menu[0].caption, "H1");
  EXPECT_EQ(menu[0].imageIndex, -1);
  EXPECT_EQ(menu[0].action, ItemAction::kText);

  EXPECT_EQ(menu[1].kind, MenuEntryKind::kSeparator);
  EXPECT_EQ(menu[1].caption, "-");
  EXPECT_EQ(menu[1].imageIndex, 0);
  EXPECT_FALSE(menu[1].name);
  EXPECT_EQ(menu[1].action, ItemAction::kNone);

  const MenuEntry& more = menu[2];
  EXPECT_EQ(more.kind, MenuEntryKind::kSubmenu);
  EXPECT_EQ(more.caption, "More");
  EXPECT_EQ(more.imageIndex, -1);
  EXPECT_FALSE(more.name);
  ASSERT_EQ(more.children.size(), 2u);
  EXPECT_EQ(more.children[0].name, ItemName::Main(0, 2).Entry(2).Entry(0));
  const MenuEntry& deep = more.children[1];
  EXPECT_EQ(deep.kind, MenuEntryKind::kSubmenu);  // third key level still opens a submenu
  ASSERT_EQ(deep.children.size(), 2u);
  EXPECT_EQ(deep.children[0].kind, MenuEntryKind::kRunnable);
  EXPECT_EQ(deep.children[0].name, ItemName::Main(0, 2).Entry(2).Entry(1).Entry(0));
  EXPECT_EQ(deep.children[0].imageIndex, 1);
  EXPECT_EQ(deep.children[0].action, ItemAction::kScript);
  EXPECT_EQ(deep.children[1].kind, MenuEntryKind::kDead);  // fourth level: image only
  EXPECT_EQ(deep.children[1].imageIndex, 12);
  EXPECT_EQ(deep.children[1].action, ItemAction::kNone);
  EXPECT_FALSE(deep.children[1].name);
  EXPECT_TRUE(deep.children[1].children.empty());

  const std::vector<MenuEntry>& sideMenu = pages[0].side[4].menu;
  ASSERT_EQ(sideMenu.size(), 2u);
  EXPECT_EQ(sideMenu[0].name, ItemName::Side(0, 4).Entry(0));
  EXPECT_EQ(sideMenu[0].caption, "Side text");
  EXPECT_EQ(sideMenu[1].name, ItemName::Side(0, 4).Entry(1));
  EXPECT_EQ(sideMenu[1].action, ItemAction::kScript);
}

TEST(BuildDataPages, EmptyAndJapanesePages) {
  const auto pages = LoadFixture("layout.edt");
  const DataPage& empty = pages[1];
  EXPECT_EQ(empty.rowCount, 0);
  ASSERT_EQ(empty.main.size(), 1u);
  EXPECT_TRUE(empty.main[0].endMarker);

  const DataPage& japanese = pages[2];
  EXPECT_EQ(japanese.caption, "\x93\xfa\x96\x7b\x8c\xea");
  EXPECT_EQ(japanese.main[0].caption, " \x88\xa5\x8e\x41" + Bytes(26, ' '));  // 挨拶
  EXPECT_FALSE(japanese.side[0].enabled);
  EXPECT_EQ(japanese.side[1].action, ItemAction::kScript);
  EXPECT_TRUE(japanese.side[1].enabled);
}

TEST(BuildDataPages, RefusesBrokenFilesWhole) {
  struct Case {
    const char* fixture;
    DataStatus status;
    const char* text;
  };
  const Case cases[] = {
      {"old169.edt", DataStatus::kOldFormat, ""},
      {"no_version.edt", DataStatus::kOldFormat, ""},
      {"bad_number.edt", DataStatus::kNotInteger, "x0"},  // page 0 was fine, yet nothing is kept
      {"bad_type.edt", DataStatus::kBadTypeCode, "M03"},
      {"bad_menu_entry.edt", DataStatus::kNotInteger, ""},
      {"side_dash.edt", DataStatus::kNotInteger, "-"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fixture);
    const DataPagesResult result = BuildDataPages(Fixture(c.fixture));
    EXPECT_EQ(result.error.status, c.status);
    EXPECT_EQ(result.error.text, c.text);
    EXPECT_TRUE(result.pages.empty());
  }
}

TEST(BuildDataPages, KeepsAtMostOneHundredPagesAndRows) {
  EXPECT_EQ(LoadFixture("pages100.edt").size(), 100u);
  const auto pages = LoadFixture("pages101.edt");
  ASSERT_EQ(pages.size(), 100u);
  EXPECT_EQ(pages[99].main[0].name, ItemName::Main(99, 0));
  const auto rows = LoadFixture("rows101.edt");
  ASSERT_EQ(rows[0].rowCount, 100);
  EXPECT_EQ(rows[0].main[99].name, ItemName::Main(0, 99));
  EXPECT_TRUE(rows[0].main[100].endMarker);
  EXPECT_TRUE(BuildDataPages(Bytes("[Version]\r\nNo=170\r\n")).pages.empty());
}

TEST(LoadDataPagesFromFile, ReadsTheFileOnceAndNamesAFileItCannotRead) {
  FakeFileSystem files;
  files.Put("C:\\Tool\\layout.edt", Fixture("layout.edt"));
  const DataPagesResult loaded = LoadDataPagesFromFile(files, "C:\\Tool\\layout.edt");
  EXPECT_TRUE(loaded.error.Ok());
  EXPECT_EQ(loaded.pages.size(), 3u);
  EXPECT_EQ(files.TotalReads(), 1);

  files.SetUnreadable("C:\\Tool\\layout.edt", true);
  const DataPagesResult refused = LoadDataPagesFromFile(files, "C:\\Tool\\layout.edt");
  EXPECT_EQ(refused.error.status, DataStatus::kUnreadable);
  EXPECT_TRUE(refused.pages.empty());
  // データファイル 'C:\Tool\layout.edt' を読み込めません
  EXPECT_EQ(DataErrorMessage(refused.error),
            "\x83\x66\x81[\x83^\x83t\x83@\x83\x43\x83\x8b 'C:\\Tool\\layout.edt' "
            "\x82\xf0\x93\xc7\x82\xdd\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1");
}

TEST(SampleDataFiles, LoadWholeAndNameTheirModules) {
  const auto folder = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "samples" / "data";
  struct Sample {
    const char* name;
    std::size_t pages;
  };
  for (const Sample sample : {Sample{"html.edt", 3}, Sample{"code.edt", 2}}) {
    SCOPED_TRACE(sample.name);
    std::ifstream in(folder / sample.name, std::ios::binary);
    ASSERT_TRUE(in.good());
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const DataFileReader file(bytes.str());
    const DataPagesResult result = BuildDataPages(file);
    ASSERT_TRUE(result.error.Ok()) << result.error.text;
    ASSERT_EQ(result.pages.size(), sample.pages);
    EXPECT_NE(bytes.str().find("\r\n"), std::string::npos);
    // Every module button and entry names a program shipped with the samples.
    int modules = 0;
    auto checkModule = [&](int page, ItemAction action, const Bytes& key) {
      if (action != ItemAction::kModule) return;
      ++modules;
      const Bytes program = file.ItemTexts(page, key).a;
      EXPECT_TRUE(program == "upper.exe" || program == "number.exe" || program == "wrap.exe") << key;
    };
    std::function<void(int, const std::vector<MenuEntry>&)> checkMenu = [&](int page, const auto& entries) {
      for (const MenuEntry& entry : entries) {
        checkModule(page, entry.action, entry.itemKey);
        checkMenu(page, entry.children);
      }
    };
    for (int page = 0; page < static_cast<int>(result.pages.size()); ++page) {
      for (const auto* column : {&result.pages[page].main, &result.pages[page].side}) {
        for (const ItemButton& button : *column) {
          checkModule(page, button.action, button.itemKey);
          checkMenu(page, button.menu);
        }
      }
    }
    EXPECT_GT(modules, 0);
  }
}

TEST(SetItemButtonsEnabled, LeavesSeparatorsEndMarkersAndEmptyPlacesOff) {
  auto pages = LoadFixture("layout.edt");
  SetItemButtonsEnabled(pages, false);
  for (const DataPage& page : pages) {
    for (std::size_t row = 0; row < page.main.size(); ++row) {
      EXPECT_FALSE(page.main[row].enabled);
      EXPECT_FALSE(page.side[row].enabled);
    }
  }
  SetItemButtonsEnabled(pages, true);
  const DataPage& page = pages[0];
  const bool mainWanted[] = {true, false, true, true, true, true, true, false};
  const bool sideWanted[] = {true, false, false, false, true, true, false, false};
  for (int row = 0; row < 8; ++row) {
    EXPECT_EQ(page.main[row].enabled, mainWanted[row]) << row;
    EXPECT_EQ(page.side[row].enabled, sideWanted[row]) << row;
  }
  EXPECT_FALSE(pages[1].main[0].enabled);
}

TEST(PlanLoadProgress, CountsOneStepPerDestroyedAndPerCreatedButton) {
  const auto first = LoadFixture("layout.edt");   // 8 + 1 + 3 main buttons
  const auto second = LoadFixture("pages100.edt");  // 100 pages of one row
  const LoadProgressPlan fresh = PlanLoadProgress({}, second);
  EXPECT_EQ(fresh.clearSteps, 0);
  EXPECT_EQ(fresh.maximum, 200);
  const LoadProgressPlan replace = PlanLoadProgress(first, DataFileReader(Fixture("pages100.edt")));
  EXPECT_EQ(replace.clearSteps, 2 * 12);
  EXPECT_EQ(replace.buildSteps, 200);
  EXPECT_EQ(replace.maximum, 224);
  EXPECT_EQ(PlanLoadProgress(first, second).maximum, replace.maximum);
}

}  // namespace
}  // namespace quiltor
