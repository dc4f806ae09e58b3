// The data-file reader and the page model over arbitrary file bytes. Counts
// stay within the window's tables, a broken file yields no page at all, every
// button and menu entry carries a name that decodes back to its page and key,
// and the texts a click re-reads from disk are those of the parsed file.
#include <cstdint>
#include <string_view>
#include <vector>

#include "data/data_file.h"
#include "data/pages.h"
#include "fakes/fake_files.h"
#include "fuzz_support.h"

namespace quiltor {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A definition's fields as the format gives them; `key` names the item.
void CheckDefinition(std::string_view value, std::string_view key) {
  const ItemParse parsed = ParseItemDefinition(value, key);
  const bool side = key.size() == 3 && (key[0] == 'S' || key[0] == 's');
  if (!parsed.error.Ok()) {
    FUZZ_CHECK(!DataErrorMessage(parsed.error).empty());
    return;
  }
  const ItemDefinition& item = parsed.item;
  if (item.separator) {
    FUZZ_CHECK(!side && !value.empty() && value[0] == '-');
    FUZZ_CHECK(item.Kind() == ItemKind::kSeparator && item.RunVariant() == -1);
    return;
  }
  FUZZ_CHECK(value.size() >= 1 && IsDigit(value[value.size() >= 2 ? 1 : 0]));
  FUZZ_CHECK(item.typeCode >= 0 && item.typeCode <= kMenuTypeCode);
  FUZZ_CHECK(item.imageIndex == kImageIndexOfType[static_cast<std::size_t>(item.typeCode)]);
  FUZZ_CHECK(item.menuCount >= 0 && item.menuCount <= 99);
  if (item.typeCode != kMenuTypeCode) FUZZ_CHECK(item.menuCount == 0);
  FUZZ_CHECK(item.RunVariant() >= -1 && item.RunVariant() <= 5);
  // The caption is what follows the fields, unchanged.
  FUZZ_CHECK(item.caption.size() <= value.size());
  FUZZ_CHECK(value.substr(value.size() - item.caption.size()) == item.caption);
}

void CheckName(const std::optional<ItemName>& name, int page, std::string_view itemKey, bool menuEntry) {
  FUZZ_CHECK(name.has_value());
  FUZZ_CHECK(name->page == page && name->Key() == itemKey && name->IsMenuEntry() == menuEntry);
  FUZZ_CHECK(ItemName::FromKey(page, itemKey) == name);
}

// A menu below a key of `level`: entries within their count, keys one level
// deeper, no submenu past the fourth level.
void CheckMenu(const std::vector<MenuEntry>& entries, int page, std::string_view parentKey, std::size_t& items) {
  const int level = KeyLevel(parentKey) + 1;
  FUZZ_CHECK(entries.empty() || level <= kMaxKeyLevel);
  FUZZ_CHECK(entries.size() <= static_cast<std::size_t>(kMaxDataRows));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const MenuEntry& entry = entries[i];
    ++items;
    FUZZ_CHECK(entry.itemKey == EntryKey(parentKey, static_cast<int>(i)));
    FUZZ_CHECK(KeyLevel(entry.itemKey) == level);
    switch (entry.kind) {
      case MenuEntryKind::kSeparator:
        FUZZ_CHECK(entry.children.empty() && entry.action == ItemAction::kNone);
        break;
      case MenuEntryKind::kSubmenu:
        FUZZ_CHECK(level < kMaxKeyLevel && entry.action == ItemAction::kNone);
        CheckMenu(entry.children, page, entry.itemKey, items);
        break;
      case MenuEntryKind::kDead:
        FUZZ_CHECK(level == kMaxKeyLevel && entry.children.empty() && entry.action == ItemAction::kNone);
        break;
      case MenuEntryKind::kRunnable:
        FUZZ_CHECK(entry.children.empty() && entry.action != ItemAction::kDropDown);
        CheckName(entry.name, page, entry.itemKey, true);
        break;
    }
  }
}

void CheckPages(const DataFileReader& reader, const DataPagesResult& result) {
  if (!reader.IsCurrentFormat()) {
    FUZZ_CHECK(result.error.status == DataStatus::kOldFormat && result.pages.empty());
    return;
  }
  if (!result.error.Ok()) {
    // All or nothing: the window never shows part of a broken file.
    FUZZ_CHECK(result.pages.empty());
    FUZZ_CHECK(result.error.status != DataStatus::kOldFormat && result.error.status != DataStatus::kUnreadable);
    FUZZ_CHECK(!DataErrorMessage(result.error).empty());
    return;
  }
  FUZZ_CHECK(result.pages.size() <= static_cast<std::size_t>(kMaxDataPages));
  FUZZ_CHECK(result.pages.size() == static_cast<std::size_t>(reader.PageCount()));
  std::size_t items = 0;
  int buildSteps = 0;
  for (std::size_t p = 0; p < result.pages.size(); ++p) {
    const DataPage& page = result.pages[p];
    const int number = static_cast<int>(p);
    FUZZ_CHECK(page.rowCount >= 0 && page.rowCount <= kMaxDataRows && page.rowCount == reader.RowCount(number));
    FUZZ_CHECK(page.main.size() == static_cast<std::size_t>(page.rowCount) + 1);
    FUZZ_CHECK(page.side.size() == page.main.size());
    FUZZ_CHECK(page.main.back().endMarker && page.side.back().endMarker && !page.main.back().enabled);
    buildSteps += 2 * page.rowCount;
    items += page.main.size() + page.side.size();
    for (int row = 0; row < page.rowCount; ++row) {
      const ItemButton& mainButton = page.main[static_cast<std::size_t>(row)];
      const ItemButton& sideButton = page.side[static_cast<std::size_t>(row)];
      CheckName(mainButton.name, number, MainKey(row), false);
      FUZZ_CHECK(mainButton.separator != mainButton.enabled);
      if (mainButton.separator) {
        FUZZ_CHECK(!sideButton.name && !sideButton.enabled && sideButton.menu.empty());
        continue;
      }
      CheckName(sideButton.name, number, SideKey(row), false);
      FUZZ_CHECK(mainButton.caption.size() >= static_cast<std::size_t>(kCaptionWidth) + 1);
      FUZZ_CHECK(sideButton.enabled == (sideButton.imageIndex >= 0));
      for (const ItemButton* button : {&mainButton, &sideButton}) {
        FUZZ_CHECK(button->menu.empty() || button->action == ItemAction::kDropDown);
        CheckMenu(button->menu, number, button->itemKey, items);
      }
    }
  }
  FUZZ_CHECK(CountItems(result.pages) == items);
  const LoadProgressPlan plan = PlanLoadProgress({}, reader);
  FUZZ_CHECK(plan.buildSteps == buildSteps && plan.clearSteps == 0);
  const LoadProgressPlan again = PlanLoadProgress(result.pages, result.pages);
  FUZZ_CHECK(again.clearSteps == 2 * static_cast<int>(result.pages.size()) + buildSteps);
}

}  // namespace
}  // namespace quiltor

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quiltor;
  const Bytes contents(reinterpret_cast<const char*>(data), size);
  FuzzedDataProvider input(data, size);

  const DataFileReader reader(contents);
  FUZZ_CHECK(reader.PageCount() >= 0 && reader.PageCount() <= kMaxDataPages);
  const DataPagesResult result = BuildDataPages(reader);
  CheckPages(reader, result);

  // Definitions of the file's own keys and of the fuzzer's.
  const int page = input.ConsumeIntegralInRange(0, kMaxDataPages - 1);
  const Bytes key = input.ConsumeRandomLengthString(10);
  CheckDefinition(reader.ItemValue(page, key), key);
  CheckDefinition(input.ConsumeRandomLengthString(40), input.ConsumeRandomLengthString(10));
  for (const Bytes& name : fuzz::NamesIn(contents, 8).keys) CheckDefinition(reader.ItemValue(page, name), name);

  // A click re-reads its item's texts from disk: the same texts as the parse.
  FakeFileSystem files;
  const Bytes path = "C:\\Quiltor\\data.edt";
  files.Put(path, contents);
  const std::optional<DataFileReader::Texts> onDisk = ReadItemTexts(files, path, page, key);
  const DataFileReader::Texts parsed = reader.ItemTexts(page, key);
  FUZZ_CHECK(onDisk && onDisk->a == parsed.a && onDisk->b == parsed.b);
  FUZZ_CHECK(ReadDataTitle(files, path) == reader.Title());

  // Any key reads as an item whose key it is again, or as nothing.
  const Bytes anyKey = input.ConsumeRandomLengthString(12);
  if (const std::optional<ItemName> name = ItemName::FromKey(page, anyKey)) {
    FUZZ_CHECK(name->page == page && name->row >= 0 && name->row < kMaxDataRows);
    FUZZ_CHECK(name->Key() == anyKey);
  }
  return 0;
}
