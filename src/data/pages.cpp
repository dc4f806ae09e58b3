#include "data/pages.h"

#include <utility>

#include "delivery/escapes.h"
#include "text/texts.h"

namespace quiltor {

namespace {

// Builds one page; stops at the first item that cannot be read.
class PageBuilder {
 public:
  PageBuilder(const DataFileReader& file, int page) : file_(file), page_(page) {}

  bool Build(DataPage& out, DataError& error) {
    out.caption = DoubleAmpersands(file_.PageTitle(page_));
    out.rowCount = file_.RowCount(page_);
    out.main.reserve(out.rowCount + 1);
    out.side.reserve(out.rowCount + 1);
    for (int row = 0; row < out.rowCount; ++row) {
      ItemButton mainButton;
      ItemButton sideButton;
      if (!BuildRow(row, mainButton, sideButton, error)) return false;
      out.main.push_back(std::move(mainButton));
      out.side.push_back(std::move(sideButton));
    }
    ItemButton endMarker;
    endMarker.caption = texts::kEndMarkerCaption;
    endMarker.endMarker = true;
    out.main.push_back(std::move(endMarker));
    ItemButton endPlace;
    endPlace.endMarker = true;
    out.side.push_back(std::move(endPlace));
    return true;
  }

 private:
  bool BuildRow(int row, ItemButton& mainButton, ItemButton& sideButton, DataError& error) {
    const Bytes mainKey = MainKey(row);
    mainButton.name = ItemName::Main(page_, row);
    mainButton.itemKey = mainKey;
    const ItemParse mainItem = ParseItemDefinition(file_.ItemValue(page_, mainKey), mainKey);
    if (!mainItem.error.Ok()) {
      error = mainItem.error;
      return false;
    }
    if (mainItem.item.separator) {
      // The side place of a separator row is empty; its key is not read.
      mainButton.separator = true;
      mainButton.caption = texts::kSeparatorCaption;
      return true;
    }
    mainButton.caption = MainButtonCaption(mainItem.item.caption);
    mainButton.enabled = true;
    if (!FillButton(mainButton, mainItem.item, error)) return false;

    const Bytes sideKey = SideKey(row);
    sideButton.name = ItemName::Side(page_, row);
    sideButton.itemKey = sideKey;
    const ItemParse sideItem = ParseItemDefinition(file_.ItemValue(page_, sideKey), sideKey);
    if (!sideItem.error.Ok()) {
      error = sideItem.error;
      return false;
    }
    sideButton.enabled = sideItem.item.imageIndex >= 0;
    return FillButton(sideButton, sideItem.item, error);
  }

  bool FillButton(ItemButton& button, const ItemDefinition& item, DataError& error) {
    button.imageIndex = item.imageIndex;
    button.action = ActionOfImage(item.imageIndex);
    // Empty side places (image −1) do nothing when clicked.
    if (button.action == ItemAction::kText && button.name->column == ItemName::Column::kSide) {
      button.action = ItemAction::kNone;
    }
    if (button.action == ItemAction::kDropDown) return FillMenu(*button.name, item.menuCount, button.menu, error);
    return true;
  }

  bool FillMenu(const ItemName& parent, int count, std::vector<MenuEntry>& entries, DataError& error) {
    const Bytes parentKey = parent.Key();
    const int level = KeyLevel(parentKey) + 1;
    if (level > kMaxKeyLevel) return true;
    if (count > kMaxDataRows) count = kMaxDataRows;
    entries.reserve(count);
    for (int index = 0; index < count; ++index) {
      MenuEntry entry;
      entry.itemKey = EntryKey(parentKey, index);
      const ItemParse parsed = ParseItemDefinition(file_.ItemValue(page_, entry.itemKey), entry.itemKey);
      if (!parsed.error.Ok()) {
        error = parsed.error;
        return false;
      }
      if (parsed.item.separator) {
        entry.kind = MenuEntryKind::kSeparator;
        entry.caption.assign(1, '-');  // a separator line
        entry.imageIndex = 0;
      } else if (parsed.item.typeCode == kMenuTypeCode && level < kMaxKeyLevel) {
        entry.kind = MenuEntryKind::kSubmenu;
        entry.caption = parsed.item.caption;
        entry.imageIndex = -1;
        if (!FillMenu(parent.Entry(index), parsed.item.menuCount, entry.children, error)) return false;
      } else if (parsed.item.typeCode == kMenuTypeCode) {
        entry.kind = MenuEntryKind::kDead;
        entry.caption = parsed.item.caption;
        entry.imageIndex = kMenuImage;
      } else {
        entry.kind = MenuEntryKind::kRunnable;
        entry.name = parent.Entry(index);
        entry.caption = parsed.item.caption;
        entry.imageIndex = parsed.item.imageIndex;
        entry.action = ActionOfImage(parsed.item.imageIndex);
      }
      entries.push_back(std::move(entry));
    }
    return true;
  }

  const DataFileReader& file_;
  int page_;
};

std::size_t CountEntries(const std::vector<MenuEntry>& entries) {
  std::size_t count = entries.size();
  for (const MenuEntry& entry : entries) count += CountEntries(entry.children);
  return count;
}

int ClearSteps(const std::vector<DataPage>& existing) {
  int steps = 0;
  for (const DataPage& page : existing) steps += static_cast<int>(page.main.size() + page.side.size());
  return steps;
}

}  // namespace

ItemAction ActionOfImage(int imageIndex) {
  switch (KindOfImage(imageIndex)) {
    case ItemKind::kText: return ItemAction::kText;
    case ItemKind::kScript: return ItemAction::kScript;
    case ItemKind::kModule: return ItemAction::kModule;
    case ItemKind::kMenu: return ItemAction::kDropDown;
    case ItemKind::kSeparator: break;
  }
  return ItemAction::kNone;
}

Bytes MainButtonCaption(std::string_view caption) {
  Bytes padded = " ";
  padded += caption;
  if (caption.size() < static_cast<std::size_t>(kCaptionWidth)) padded.append(kCaptionWidth - caption.size(), ' ');
  return DoubleAmpersands(padded);
}

DataPagesResult BuildDataPages(const DataFileReader& file) {
  DataPagesResult result;
  if (!file.IsCurrentFormat()) {
    result.error.status = DataStatus::kOldFormat;
    return result;
  }
  const int pageCount = file.PageCount();
  result.pages.resize(pageCount);
  for (int page = 0; page < pageCount; ++page) {
    if (!PageBuilder(file, page).Build(result.pages[page], result.error)) {
      result.pages.clear();
      return result;
    }
  }
  return result;
}

DataPagesResult BuildDataPages(const Bytes& contents) { return BuildDataPages(DataFileReader(contents)); }

DataPagesResult LoadDataPagesFromFile(FileSystem& files, const Bytes& path) {
  std::optional<Bytes> contents = files.ReadAll(path);
  if (!contents) {
    DataPagesResult result;
    result.error = {DataStatus::kUnreadable, path, 0};
    return result;
  }
  return BuildDataPages(DataFileReader(std::move(*contents)));
}

void SetItemButtonsEnabled(std::vector<DataPage>& pages, bool flag) {
  for (DataPage& page : pages) {
    for (int row = 0; row < page.rowCount; ++row) {
      ItemButton& mainButton = page.main[row];
      ItemButton& sideButton = page.side[row];
      mainButton.enabled = flag && !mainButton.separator;
      sideButton.enabled = flag && sideButton.imageIndex >= 0;
    }
  }
}

std::size_t CountItems(const std::vector<DataPage>& pages) {
  std::size_t count = 0;
  for (const DataPage& page : pages) {
    count += page.main.size() + page.side.size();
    for (const ItemButton& button : page.main) count += CountEntries(button.menu);
    for (const ItemButton& button : page.side) count += CountEntries(button.menu);
  }
  return count;
}

LoadProgressPlan PlanLoadProgress(const std::vector<DataPage>& existing, const std::vector<DataPage>& next) {
  LoadProgressPlan plan;
  plan.clearSteps = ClearSteps(existing);
  for (const DataPage& page : next) plan.buildSteps += 2 * page.rowCount;
  plan.maximum = plan.clearSteps + plan.buildSteps;
  return plan;
}

LoadProgressPlan PlanLoadProgress(const std::vector<DataPage>& existing, const DataFileReader& next) {
  LoadProgressPlan plan;
  plan.clearSteps = ClearSteps(existing);
  if (next.IsCurrentFormat()) {
    for (int page = 0, count = next.PageCount(); page < count; ++page) plan.buildSteps += 2 * next.RowCount(page);
  }
  plan.maximum = plan.clearSteps + plan.buildSteps;
  return plan;
}

}  // namespace quiltor
