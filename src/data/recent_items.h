#pragma once
// Which items the user ran lately, so that the search lists them first among
// equal matches. Kept in the settings file in a section of its own,
// "[Search]", as "Used0".."Used49" = "<sequence>,<component name>,<data file>":
// a use rewrites only its own key (the entry of the same item, else a free
// key, else the oldest), so the file changes by one line per use and no
// other key of the file is ever touched.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "data/data_file.h"
#include "platform/profile_file.h"
#include "platform/types.h"
#include "settings/profile.h"

namespace quiltor {

inline constexpr char kSearchSection[] = "Search";
inline constexpr int kRecentItemSlots = 50;

struct RecentItemUse {
  std::uint64_t sequence = 0;  // larger = later
  Bytes name;                  // StoredItemName
  Bytes dataFile;              // as the settings keep it, relative to the program's folder
  friend bool operator==(const RecentItemUse&, const RecentItemUse&) = default;
};

// The form an item is kept in: "TB" for a button or "MB" for a menu entry,
// the page in two digits, then its key ("TB00M01", "TB02S05", "MB00M0300").
Bytes StoredItemName(const ItemName& item);

// "Used<slot>".
Bytes RecentItemKey(int slot);
// The value of a key; nullopt for anything that is not one (it is then free).
std::optional<RecentItemUse> ParseRecentItemUse(std::string_view value);
Bytes FormatRecentItemUse(const RecentItemUse& use);

class RecentItems {
 public:
  void Load(const IniDocument& settings);
  bool Loaded() const { return loaded_; }

  // StoredItemName -> sequence of its last use, for the items of one data
  // file (named without regard to ASCII case, as Windows names files).
  std::unordered_map<Bytes, std::uint64_t> UsesIn(std::string_view dataFile) const;

  // Notes that `name` of `dataFile` ran, writing the one key it changes; an
  // item that already is the latest use writes nothing. False when the
  // write failed (the use is still noted in memory).
  bool NoteUse(ProfileFile& file, const Bytes& dataFile, const Bytes& name);

  const std::array<std::optional<RecentItemUse>, kRecentItemSlots>& Slots() const { return slots_; }

 private:
  std::array<std::optional<RecentItemUse>, kRecentItemSlots> slots_;
  bool loaded_ = false;
};

}  // namespace quiltor
