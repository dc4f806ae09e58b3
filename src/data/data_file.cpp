#include "data/data_file.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "settings/profile.h"
#include "text/texts.h"

namespace quiltor {

namespace {

int ClampCount(int count, int limit) {
  if (count < 0) return 0;
  return count > limit ? limit : count;
}

Bytes Prefixed(const char* prefix, int number) { return Bytes(prefix) + TwoDigits(number); }

}  // namespace

ItemKind KindOfImage(int imageIndex) {
  if (imageIndex < 0) return ItemKind::kText;
  if (imageIndex <= 5) return ItemKind::kScript;
  if (imageIndex <= 11) return ItemKind::kModule;
  return ItemKind::kMenu;
}

int RunVariantOfImage(int imageIndex) {
  if (imageIndex >= 0 && imageIndex <= 5) return imageIndex;
  if (imageIndex >= 6 && imageIndex <= 11) return imageIndex - 6;
  return -1;
}

Bytes DataErrorMessage(const DataError& error) {
  switch (error.status) {
    case DataStatus::kOk:
      return {};
    case DataStatus::kUnreadable:
      return texts::kUnreadableHead + error.text + texts::kUnreadableTail;
    case DataStatus::kOldFormat:
      return texts::kOldFormatText;
    case DataStatus::kNotInteger:
      return "'" + error.text + texts::kNotIntegerTail;
    case DataStatus::kBadTypeCode:
      return "'" + error.text + texts::kTypeCodeMiddle + std::to_string(error.value) + texts::kInvalidTail;
    case DataStatus::kBadMenuCount:
      return "'" + error.text + texts::kMenuCountMiddle + std::to_string(error.value) + texts::kInvalidTail;
  }
  return {};
}

std::optional<int> StrictInteger(std::string_view field) {
  std::string_view digits = field;
  bool negative = false;
  if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
    negative = digits[0] == '-';
    digits.remove_prefix(1);
  }
  if (digits.empty()) return std::nullopt;
  int number = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + (c - '0');
  }
  return negative ? -number : number;
}

ItemParse ParseItemDefinition(std::string_view value, std::string_view key) {
  ItemParse result;
  // The icon column has no separators: there a leading "-" is read as a number.
  const bool sideButton = key.size() == 3 && (key[0] == 'S' || key[0] == 's');
  if (!sideButton && !value.empty() && value[0] == '-') {
    result.item.separator = true;
    return result;
  }
  const std::string_view codeField = value.substr(0, 2);
  const std::optional<int> code = StrictInteger(codeField);
  if (!code) {
    result.error = {DataStatus::kNotInteger, Bytes(codeField), 0};
    return result;
  }
  // A code outside the table would index past it; refuse it like a bad number.
  if (*code < 0 || *code > kMenuTypeCode) {
    result.error = {DataStatus::kBadTypeCode, Bytes(key), *code};
    return result;
  }
  result.item.typeCode = *code;
  result.item.imageIndex = kImageIndexOfType[*code];
  std::size_t rest = 3;
  if (*code == kMenuTypeCode) {
    const std::string_view countField = value.size() > 3 ? value.substr(3, 2) : std::string_view{};
    const std::optional<int> count = StrictInteger(countField);
    if (!count) {
      result.error = {DataStatus::kNotInteger, Bytes(countField), 0};
      return result;
    }
    if (*count < 0) {
      result.error = {DataStatus::kBadMenuCount, Bytes(key), *count};
      return result;
    }
    result.item.menuCount = *count;
    rest = 6;
  }
  if (value.size() > rest) result.item.caption = Bytes(value.substr(rest));
  return result;
}

Bytes TwoDigits(int number) {
  if (number >= 0 && number < 100) return {static_cast<char>('0' + number / 10), static_cast<char>('0' + number % 10)};
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%.2d", number);
  return buffer;
}

Bytes PageSection(int page) { return Prefixed("Menu", page); }
Bytes EditSection(int page) { return Prefixed("Edit", page); }
Bytes MainKey(int row) { return Prefixed("M", row); }
Bytes SideKey(int row) { return Prefixed("S", row); }
Bytes EntryKey(std::string_view parent, int entry) { return Bytes(parent) + TwoDigits(entry); }

int KeyLevel(std::string_view itemKey) {
  switch (itemKey.size()) {
    case 3: return 1;
    case 5: return 2;
    case 7: return 3;
    case 9: return 4;
    default: return 0;
  }
}

ItemName ItemName::Entry(int index) const {
  ItemName entry = *this;
  entry.menuPath.push_back(index);
  return entry;
}

Bytes ItemName::Key() const {
  Bytes key = column == Column::kMain ? MainKey(row) : SideKey(row);
  for (int index : menuPath) key += TwoDigits(index);
  return key;
}

std::optional<ItemName> ItemName::FromKey(int page, std::string_view key) {
  auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  if (KeyLevel(key) == 0 || (key[0] != 'M' && key[0] != 'S')) return std::nullopt;
  for (char c : key.substr(1)) {
    if (!isDigit(c)) return std::nullopt;
  }
  auto twoDigits = [&](std::size_t at) { return (key[at] - '0') * 10 + (key[at + 1] - '0'); };
  ItemName name{page, key[0] == 'M' ? Column::kMain : Column::kSide, twoDigits(1), {}};
  for (std::size_t at = 3; at < key.size(); at += 2) name.menuPath.push_back(twoDigits(at));
  return name;
}

struct DataFileReader::Impl {
  explicit Impl(Bytes contents) : document(std::move(contents)) {}
  IniDocument document;
  Bytes Get(const Bytes& section, const Bytes& key, const Bytes& fallback) const {
    return document.Get(section, key, fallback);
  }
  int GetInt(const Bytes& section, const Bytes& key, int fallback) const {
    return DataIntOr(document.Get(section, key, ""), fallback);
  }
};

DataFileReader::DataFileReader(Bytes contents) : impl_(std::make_unique<Impl>(std::move(contents))) {}
DataFileReader::~DataFileReader() = default;
DataFileReader::DataFileReader(DataFileReader&&) noexcept = default;
DataFileReader& DataFileReader::operator=(DataFileReader&&) noexcept = default;

int DataFileReader::FormatNumber() const { return impl_->GetInt("Version", "No", 0); }
Bytes DataFileReader::Title() const { return impl_->Get("Group", "Title", ""); }
int DataFileReader::PageCount() const { return ClampCount(impl_->GetInt("Group", "Count", 0), kMaxDataPages); }
Bytes DataFileReader::PageTitle(int page) const { return impl_->Get(PageSection(page), "Title", ""); }
int DataFileReader::RowCount(int page) const {
  return ClampCount(impl_->GetInt(PageSection(page), "Count", 0), kMaxDataRows);
}

Bytes DataFileReader::ItemValue(int page, std::string_view itemKey) const {
  // Only a side-column button ("S" + two digits) stands empty by default;
  // the entries of its menu, like every other item, need a definition.
  const bool sideButton = itemKey.size() == 3 && (itemKey[0] == 'S' || itemKey[0] == 's');
  const Bytes fallback = sideButton ? "0" : "";
  return impl_->Get(PageSection(page), Bytes(itemKey), fallback);
}

DataFileReader::Texts DataFileReader::ItemTexts(int page, std::string_view itemKey) const {
  const Bytes section = EditSection(page);
  return {impl_->Get(section, Bytes(itemKey) + "a", ""), impl_->Get(section, Bytes(itemKey) + "b", "")};
}

int DataFileReader::LineOf(std::string_view section, std::string_view key) const {
  const int line = impl_->document.KeyLine(section, key);
  return line != 0 ? line : impl_->document.SectionLine(section);
}

int DataFileReader::SectionLine(std::string_view section) const { return impl_->document.SectionLine(section); }

bool DataFileReader::HasSection(std::string_view section) const { return impl_->document.HasSection(section); }

namespace {

// Walks the pages the way BuildDataPages does, but notes each fault and goes on.
class DataFileChecker {
 public:
  explicit DataFileChecker(const DataFileReader& file) : file_(file) {}

  std::vector<DataFinding> Run() {
    if (!file_.IsCurrentFormat()) {
      Note(file_.LineOf("Version", "No"), "No", {DataStatus::kOldFormat, "", 0});
    }
    for (int page = 0; page < file_.PageCount(); ++page) CheckPage(page);
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const DataFinding& a, const DataFinding& b) { return a.line < b.line; });
    return std::move(findings_);
  }

 private:
  void CheckPage(int page) {
    page_ = page;
    hasTexts_ = false;
    for (int row = 0; row < file_.RowCount(page); ++row) {
      const std::optional<ItemDefinition> mainItem = Item(MainKey(row));
      if (mainItem && mainItem->separator) continue;  // its side place is not read
      Item(SideKey(row));
    }
    const Bytes edit = EditSection(page);
    if (hasTexts_ && !file_.HasSection(edit)) {
      DataFinding finding;
      finding.line = file_.SectionLine(PageSection(page));
      finding.key = edit;
      finding.message = MissingEditSectionMessage(edit);
      findings_.push_back(std::move(finding));
    }
  }

  // Parses one item and, for a menu, its entries; nullopt when it is refused.
  std::optional<ItemDefinition> Item(const Bytes& key) {
    const ItemParse parsed = ParseItemDefinition(file_.ItemValue(page_, key), key);
    if (!parsed.error.Ok()) {
      Note(file_.LineOf(PageSection(page_), key), key, parsed.error);
      return std::nullopt;
    }
    const ItemDefinition& item = parsed.item;
    if (item.separator) return item;
    const ItemKind kind = item.Kind();
    if (kind == ItemKind::kMenu) {
      const int level = KeyLevel(key) + 1;
      if (level <= kMaxKeyLevel) {
        const int count = std::min(item.menuCount, kMaxDataRows);
        for (int entry = 0; entry < count; ++entry) Item(EntryKey(key, entry));
      }
    } else if (!(kind == ItemKind::kText && key.size() == 3 && key[0] == 'S')) {
      // An empty side place (type code 0 of a side button) has no texts.
      hasTexts_ = true;
    }
    return item;
  }

  void Note(int line, const Bytes& key, const DataError& error) {
    findings_.push_back({line, key, DataErrorMessage(error)});
  }

  const DataFileReader& file_;
  int page_ = 0;
  bool hasTexts_ = false;
  std::vector<DataFinding> findings_;
};

}  // namespace

std::vector<DataFinding> CheckDataFile(const Bytes& contents) {
  const DataFileReader file(contents);
  return DataFileChecker(file).Run();
}

Bytes MissingEditSectionMessage(std::string_view section) { return "'" + Bytes(section) + texts::kMissingSectionTail; }

std::optional<DataFileReader::Texts> ReadItemTexts(FileSystem& files, const Bytes& path, int page,
                                                   std::string_view itemKey) {
  const std::optional<Bytes> contents = files.ReadAll(path);
  if (!contents) return std::nullopt;
  const Bytes keyA = Bytes(itemKey) + "a";
  const Bytes keyB = Bytes(itemKey) + "b";
  const std::string_view keys[] = {keyA, keyB};
  std::vector<Bytes> values = FindProfileValues(*contents, EditSection(page), keys, "");
  return DataFileReader::Texts{std::move(values[0]), std::move(values[1])};
}

Bytes ReadDataTitle(FileSystem& files, const Bytes& path) {
  const std::optional<Bytes> contents = files.ReadAll(path);
  if (!contents) return {};
  return FindProfileValue(*contents, "Group", "Title", "");
}

Bytes RecentDataCaption(FileSystem& files, const Bytes& path, const Bytes& relativePath) {
  Bytes title = ReadDataTitle(files, path);
  return title.empty() ? relativePath : title;
}

}  // namespace quiltor
