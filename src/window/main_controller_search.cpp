// Finding any item by typing: the search box over the data pages, its keys,
// and the record of recently used items it ranks by.
#include "window/main_controller.h"

#include "platform/keyboard.h"
#include "text/cp932.h"

namespace quiltor {

bool MainController::OpenSearch() {
  if (!searchView_ || pages_.empty()) return false;
  if (search_.IsOpen()) return true;
  search_.Open(LastUsesOfItems());
  searchView_->ShowSearch(true);
  searchView_->RenderSearch();
  return true;
}

void MainController::SearchQueryChanged(const Bytes& query) {
  if (!search_.IsOpen()) return;
  search_.SetQuery(query);
  searchView_->RenderSearch();
}

bool MainController::SearchKey(std::uint8_t vk) {
  if (!search_.IsOpen()) return false;
  // The function keys keep their commands; F9's swap of the data file closes the search.
  if (const std::optional<CommandId> command = CommandForKey(vk, services_.keyboard.IsDown(kVkShift))) {
    RunCommand(*command);
    return true;
  }
  switch (vk) {
    case kVkEscape: CloseSearch(); return true;
    case kVkReturn: RunSearchSelection(); return true;
    case kVkUp: search_.MoveSelection(-1); break;
    case kVkDown: search_.MoveSelection(1); break;
    case kVkPrior: search_.MoveSelection(-searchView_->SearchPageRows()); break;
    case kVkNext: search_.MoveSelection(searchView_->SearchPageRows()); break;
    default: return false;
  }
  searchView_->RenderSearch();
  return true;
}

void MainController::SearchSelect(int row) {
  if (!search_.IsOpen()) return;
  search_.Select(row);
  searchView_->RenderSearch();
}

void MainController::RunSearchSelection() {
  const SearchItem* item = search_.SelectedItem();
  // A disabled button cannot be clicked; neither can its hit run.
  if (!item || !itemButtonsEnabled_) return;
  const ItemName name = item->name;
  CloseSearch();
  ChooseItem(name);
}

void MainController::CloseSearch() {
  if (!search_.IsOpen()) return;
  search_.Close();
  if (searchView_) searchView_->ShowSearch(false);
}

void MainController::LoadRecentItemsOnce() {
  if (recentItems_.Loaded()) return;
  IniFile ini = SettingsFile();
  // An unreadable settings file only means that no item counts as used.
  const std::optional<IniDocument> document = ini.ReadDocument();
  recentItems_.Load(document ? *document : IniDocument());
}

std::vector<std::uint64_t> MainController::LastUsesOfItems() {
  LoadRecentItemsOnce();
  const auto uses = recentItems_.UsesIn(currentDataFile_);
  const std::vector<SearchItem>& items = search_.Index().Items();
  std::vector<std::uint64_t> lastUses(items.size(), 0);
  if (uses.empty()) return lastUses;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (const auto found = uses.find(StoredItemName(items[i].name)); found != uses.end()) lastUses[i] = found->second;
  }
  return lastUses;
}

void MainController::NoteItemUse(const Bytes& dataFile, const ItemName& item) {
  if (dataFile.empty()) return;
  LoadRecentItemsOnce();
  IniFile ini = SettingsFile();
  // Told once a run: a settings file that cannot be written would otherwise
  // answer every click with the same message.
  if (!recentItems_.NoteUse(ini, dataFile, StoredItemName(item)) && !recentWriteReported_) {
    recentWriteReported_ = true;
    ReportCannotWrite();
  }
}

}  // namespace quiltor
