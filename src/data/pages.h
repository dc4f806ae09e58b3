#pragma once
// The data pages a window builds its tabs, buttons and menus from: a plain
// model made from one data file, with no window in it.
#include <optional>
#include <string_view>
#include <vector>

#include "data/data_file.h"
#include "platform/files.h"
#include "platform/types.h"

namespace quiltor {

// Main-column captions are padded with blanks to this many bytes.
inline constexpr int kCaptionWidth = 30;

// What choosing a button or a menu entry does.
enum class ItemAction {
  kNone,      // separators, end markers, empty side places, dead menu entries
  kText,      // ToolButtonClick1
  kScript,    // ToolButtonClick2
  kModule,    // ToolButtonClick3
  kDropDown,  // buttons of menu items: their menu drops down
};
// Action of an item showing `imageIndex` (−1 text, 0..5 script, 6..11 module, 12 drop-down).
ItemAction ActionOfImage(int imageIndex);

enum class MenuEntryKind {
  kSeparator,  // caption "-", image 0, no action
  kSubmenu,    // a menu item at the second or third key level: no image, holds `children`
  kRunnable,   // named "MB" + NN + key, image and action from the type code
  kDead,       // a menu item at the fourth key level: image 12, no action
};

struct MenuEntry {
  MenuEntryKind kind = MenuEntryKind::kSeparator;
  Bytes itemKey;       // M0503, S020104, ...
  std::optional<ItemName> name;  // runnable entries only
  Bytes caption;       // unchanged from the definition ("-" for separators)
  int imageIndex = -1;
  ItemAction action = ItemAction::kNone;
  std::vector<MenuEntry> children;  // submenus only
};

struct ItemButton {
  // None for the side place of a separator row and for end markers.
  std::optional<ItemName> name;
  Bytes itemKey;       // M05 / S05; "" for end markers
  Bytes caption;       // main column: padded and ampersand-doubled; side column: ""
  int imageIndex = -1;
  bool enabled = false;
  bool separator = false;
  bool endMarker = false;
  ItemAction action = ItemAction::kNone;
  std::vector<MenuEntry> menu;  // drop-down buttons only
};

struct DataPage {
  Bytes caption;  // tab caption, ampersand-doubled
  int rowCount = 0;
  // rowCount buttons followed by the end marker (main) or a disabled empty place (side).
  std::vector<ItemButton> main;
  std::vector<ItemButton> side;
};

struct DataPagesResult {
  DataError error;               // status kOk when `pages` holds the whole file
  std::vector<DataPage> pages;  // empty whenever `error` is not kOk
};

// Builds every page of a parsed file. All or nothing: on any error no page
// is returned, so the window never shows part of a broken file.
DataPagesResult BuildDataPages(const DataFileReader& file);
DataPagesResult BuildDataPages(const Bytes& contents);
// Reads the file once and builds its pages.
DataPagesResult LoadDataPagesFromFile(FileSystem& files, const Bytes& path);

// The main-column caption for a definition's caption.
Bytes MainButtonCaption(std::string_view caption);

// Switches every item button on or off; separators, end markers and empty
// side places stay disabled.
void SetItemButtonsEnabled(std::vector<DataPage>& pages, bool flag);

// Number of items (buttons and menu entries) in the pages, for benchmarks and checks.
std::size_t CountItems(const std::vector<DataPage>& pages);

// The loading progress bar: clearing the old pages advances it once per
// destroyed button (both columns), building once per button (two per row).
struct LoadProgressPlan {
  int maximum = 0;
  int clearSteps = 0;
  int buildSteps = 0;
};
LoadProgressPlan PlanLoadProgress(const std::vector<DataPage>& existing, const std::vector<DataPage>& next);
// The same from a file that is not built yet: its row counts.
LoadProgressPlan PlanLoadProgress(const std::vector<DataPage>& existing, const DataFileReader& next);

}  // namespace quiltor
