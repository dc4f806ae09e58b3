#include "data/recent_items.h"

#include <algorithm>
#include <charconv>

#include "text/cp932.h"

namespace quiltor {

Bytes StoredItemName(const ItemName& item) {
  return (item.IsMenuEntry() ? "MB" : "TB") + TwoDigits(item.page) + item.Key();
}

Bytes RecentItemKey(int slot) { return "Used" + std::to_string(slot); }

std::optional<RecentItemUse> ParseRecentItemUse(std::string_view value) {
  // Stored item names are letters and digits, so the first two commas split.
  const std::size_t first = value.find(',');
  if (first == std::string_view::npos) return std::nullopt;
  const std::size_t second = value.find(',', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  RecentItemUse use;
  const char* begin = value.data();
  const auto [end, error] = std::from_chars(begin, begin + first, use.sequence);
  if (error != std::errc() || end != begin + first || use.sequence == 0) return std::nullopt;
  use.name = Bytes(value.substr(first + 1, second - first - 1));
  use.dataFile = Bytes(value.substr(second + 1));
  if (use.name.empty() || use.dataFile.empty()) return std::nullopt;
  return use;
}

Bytes FormatRecentItemUse(const RecentItemUse& use) {
  return std::to_string(use.sequence) + "," + use.name + "," + use.dataFile;
}

void RecentItems::Load(const IniDocument& settings) {
  for (int slot = 0; slot < kRecentItemSlots; ++slot) {
    slots_[static_cast<std::size_t>(slot)] = ParseRecentItemUse(settings.Get(kSearchSection, RecentItemKey(slot), ""));
  }
  loaded_ = true;
}

std::unordered_map<Bytes, std::uint64_t> RecentItems::UsesIn(std::string_view dataFile) const {
  std::unordered_map<Bytes, std::uint64_t> uses;
  for (const auto& slot : slots_) {
    if (!slot || !EqualsIgnoringAsciiCase(slot->dataFile, dataFile)) continue;
    std::uint64_t& sequence = uses[slot->name];
    if (slot->sequence > sequence) sequence = slot->sequence;
  }
  return uses;
}

bool RecentItems::NoteUse(ProfileFile& file, const Bytes& dataFile, const Bytes& name) {
  std::uint64_t latest = 0;
  std::optional<std::size_t> same;
  std::optional<std::size_t> free;
  std::size_t oldest = 0;
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    const auto& slot = slots_[i];
    if (!slot) {
      if (!free) free = i;
      continue;
    }
    latest = std::max(latest, slot->sequence);
    if (!slots_[oldest] || slot->sequence < slots_[oldest]->sequence) oldest = i;
    if (slot->name == name && EqualsIgnoringAsciiCase(slot->dataFile, dataFile)) same = i;
  }
  if (same && slots_[*same]->sequence == latest) return true;
  const std::size_t target = same ? *same : free ? *free : oldest;
  slots_[target] = RecentItemUse{latest + 1, name, dataFile};
  return file.WriteString(kSearchSection, RecentItemKey(static_cast<int>(target)), FormatRecentItemUse(*slots_[target]));
}

}  // namespace quiltor
