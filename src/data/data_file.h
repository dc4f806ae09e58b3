#pragma once
// Reader of the ".edt" data files: sections, item keys, item definitions and
// type codes. The file is read with the profile-file rules of src/settings.
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/types.h"

namespace quiltor {

// Oldest format number the reader accepts.
inline constexpr int kMinDataFormat = 170;
// Page, row and menu numbers are two digits, and the window keeps tables of
// 100 pages; anything beyond is ignored.
inline constexpr int kMaxDataPages = 100;
inline constexpr int kMaxDataRows = 100;
// Keys of 3, 5, 7 and 9 characters: button, menu entry, two submenu levels.
inline constexpr int kMaxKeyLevel = 4;
inline constexpr int kMenuTypeCode = 13;
inline constexpr int kMenuImage = 12;

// Image index of each type code 00..13.
inline constexpr std::array<int, 14> kImageIndexOfType = {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};

enum class ItemKind { kSeparator, kText, kScript, kModule, kMenu };

// Kind of the item that shows `imageIndex` (−1 text, 0..5 script, 6..11 module, 12 menu).
ItemKind KindOfImage(int imageIndex);
// 0..5 for script and module images, −1 for the others.
int RunVariantOfImage(int imageIndex);

struct ItemDefinition {
  bool separator = false;
  int typeCode = 0;
  int imageIndex = -1;
  int menuCount = 0;  // menu items only
  Bytes caption;      // the rest of the value (raw bytes)
  ItemKind Kind() const { return separator ? ItemKind::kSeparator : KindOfImage(imageIndex); }
  int RunVariant() const { return separator ? -1 : RunVariantOfImage(imageIndex); }
};

// Why a data file or an item could not be read. The caller shows the text of
// DataErrorMessage (CP932) in the box the status calls for.
enum class DataStatus {
  kOk,
  kUnreadable,    // the file could not be read at all
  kOldFormat,     // format number below 170: shown near the main window at (23, 38)
  kNotInteger,    // a two-digit field is not a number: the application's error box
  kBadTypeCode,   // a type code outside 00..13: the application's error box
  kBadMenuCount,  // a negative menu entry count: the application's error box
};

struct DataError {
  DataStatus status = DataStatus::kOk;
  Bytes text;     // kNotInteger: the offending characters; kUnreadable: the path; else the item key
  int value = 0;  // kBadTypeCode / kBadMenuCount: the number read
  bool Ok() const { return status == DataStatus::kOk; }
};

// The CP932 message for `error` ("" for kOk).
Bytes DataErrorMessage(const DataError& error);
// Offset of the old-format message from the main window's top left corner.
inline constexpr Point kOldFormatMessageOffset{23, 38};

struct ItemParse {
  ItemDefinition item;
  DataError error;  // status kOk when `item` is valid
};

// Splits an item definition. `key` names the item in error messages; a
// side-column button key (S + two digits) admits no separator.
// The two-digit fields are converted strictly: a field that is not a number
// fails instead of reading as a default.
ItemParse ParseItemDefinition(std::string_view value, std::string_view key = {});
// Strict conversion of a short field: optional sign and decimal digits, nothing else.
std::optional<int> StrictInteger(std::string_view field);

// Names of sections, keys and components.
Bytes TwoDigits(int number);                       // "%.2d"
Bytes PageSection(int page);                       // "Menu" + NN
Bytes EditSection(int page);                       // "Edit" + NN
Bytes MainKey(int row);                            // "M" + ii
Bytes SideKey(int row);                            // "S" + ii
Bytes EntryKey(std::string_view parent, int entry);  // parent + jj
int KeyLevel(std::string_view itemKey);            // 1..4 for keys of 3..9 characters, 0 otherwise

// One item of a data file: a button of a page's main or side column, or an
// entry of the menu below such a button, found by its index at each level.
// The data file names it by its key (Key), which is the only string form.
struct ItemName {
  enum class Column { kMain, kSide };
  int page = 0;
  Column column = Column::kMain;
  int row = 0;
  std::vector<int> menuPath;  // empty for the button itself

  static ItemName Main(int page, int row) { return {page, Column::kMain, row, {}}; }
  static ItemName Side(int page, int row) { return {page, Column::kSide, row, {}}; }
  // The entry `index` of this item's menu.
  ItemName Entry(int index) const;
  bool IsMenuEntry() const { return !menuPath.empty(); }
  // The key in the page's section: "M05", "S0503", ... (two digits a level).
  Bytes Key() const;
  // The item a key of page `page` names; nullopt for a key that names none
  // (wrong column letter, a digit missing, deeper than the menus go).
  static std::optional<ItemName> FromKey(int page, std::string_view key);
  friend bool operator==(const ItemName&, const ItemName&) = default;
};

// One parsed data file. Built once per load; every lookup is indexed.
class DataFileReader {
 public:
  explicit DataFileReader(Bytes contents);
  ~DataFileReader();
  DataFileReader(DataFileReader&&) noexcept;
  DataFileReader& operator=(DataFileReader&&) noexcept;

  int FormatNumber() const;                  // "No" in "Version", 0
  bool IsCurrentFormat() const { return FormatNumber() >= kMinDataFormat; }
  Bytes Title() const;                       // "Title" in "Group"
  int PageCount() const;                     // "Count" in "Group", 0..100
  Bytes PageTitle(int page) const;           // "Title" in "Menu" + NN
  int RowCount(int page) const;              // "Count" in "Menu" + NN, 0..100
  // The definition under `itemKey` in page section NN; "" for M keys and
  // "0" for S keys when missing.
  Bytes ItemValue(int page, std::string_view itemKey) const;
  struct Texts {
    Bytes a;
    Bytes b;
  };
  Texts ItemTexts(int page, std::string_view itemKey) const;
  // Where a fault lies: the line (from 1) of the key the value came from, or
  // of the section's header when the key is missing; 0 when neither exists.
  int LineOf(std::string_view section, std::string_view key) const;
  int SectionLine(std::string_view section) const;  // 0 when missing
  bool HasSection(std::string_view section) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// One fault of a data file and where the user finds it.
struct DataFinding {
  int line = 0;   // from 1; 0 when the file has no line for it (no "Version" section)
  Bytes key;      // what it concerns: "No", an item key, or an edit section ("Edit00")
  Bytes message;  // CP932: the tool's own message for the fault (DataErrorMessage)
  friend bool operator==(const DataFinding&, const DataFinding&) = default;
};
// Checks a whole file as the tool reads it, but goes on past a fault, so every
// one is found in one pass: an old format number, every item definition the
// tool would refuse, and a page whose items have texts but whose edit section
// is missing (the tool reads empty texts there; that is no error for it, but
// is almost always a typing slip). In the order of their lines.
std::vector<DataFinding> CheckDataFile(const Bytes& contents);
// The message for a page without its edit section: "'Edit00' のセクションがありません".
Bytes MissingEditSectionMessage(std::string_view section);

// The item's texts as the file holds them at this moment: the file is read
// again and only the two keys are looked up, so edits on disk show at once.
// nullopt when the file cannot be read.
std::optional<DataFileReader::Texts> ReadItemTexts(FileSystem& files, const Bytes& path, int page,
                                                   std::string_view itemKey);
// "Title" in "Group", "" when missing or when the file cannot be read.
Bytes ReadDataTitle(FileSystem& files, const Bytes& path);
// The recent-list caption: the title, or the relative path when it is empty.
Bytes RecentDataCaption(FileSystem& files, const Bytes& path, const Bytes& relativePath);

}  // namespace quiltor
