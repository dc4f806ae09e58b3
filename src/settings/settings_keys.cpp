#include "settings/settings_keys.h"

#include <algorithm>
#include <array>
#include <climits>
#include <type_traits>
#include <variant>

#include "settings/profile.h"
#include "text/texts.h"

namespace quiltor {
namespace {

template <class Record>
struct Row {
  struct Int {
    std::int32_t& (*at)(Record&);
    std::int32_t fallback;
    // A hand-edited value is taken into this range when it is read.
    std::int32_t min = INT32_MIN;
    std::int32_t max = INT32_MAX;
  };
  struct Bool {
    bool& (*at)(Record&);
    bool fallback;
  };
  struct Text {
    Bytes& (*at)(Record&);
    const char* fallback;
  };
  // One character: the first of the value, `fallback` for an empty one.
  struct Letter {
    char& (*at)(Record&);
    char fallback;
  };
  // A value the record keeps in another form than the file's.
  struct Custom {
    void (*read)(Record&, const Bytes& value);  // "" for a missing key
    Bytes (*write)(const Record&);
  };

  const char* section;  // nullptr: the caller's (a file kind's section)
  const char* name;
  KeyGroup group;
  std::variant<Int, Bool, Text, Letter, Custom> value;
  bool extOnly = false;  // a file kind's key that only "ExtRendo<n>" holds
};

using SettingsRow = Row<AppSettings>;
using WindowRow = Row<QuiltorSection>;
using KindRow = Row<FileKind>;

// Rows of a group sit together in the order their write stores them.
const std::array<SettingsRow, 25> kSettingsRows = {{
    {kSectionVersion, "No", KeyGroup::kReadOnly, SettingsRow::Int{[](AppSettings& s) -> auto& { return s.no; }, 0}},
    // Hand-edited values are kept to what the settings dialog offers: a
    // timer of 0 ms would flood the tool with ticks, a negative smoothness
    // would never end the animation, and the history length indexes
    // "OpenFile0..19", so a damaged value must not make the tool write
    // thousands of keys at close. A height of 0 or less would make the
    // start-up strip look like a pending write.
    {kSectionSetup, "Timer", KeyGroup::kTimerAndSize,
     SettingsRow::Int{[](AppSettings& s) -> auto& { return s.timer; }, 100, 10, 3000}},
    {kSectionSetup, "TimerEZ", KeyGroup::kTimerAndSize,
     SettingsRow::Int{[](AppSettings& s) -> auto& { return s.timerEZ; }, 2000, 0, 10000}},
    {kSectionSetup, "MinHeight", KeyGroup::kTimerAndSize,
     SettingsRow::Int{[](AppSettings& s) -> auto& { return s.minHeight; }, 38, 38, 1200}},
    {kSectionSetup, "MaxHeight", KeyGroup::kTimerAndSize,
     SettingsRow::Int{[](AppSettings& s) -> auto& { return s.maxHeight; }, 480, 38, 1200}},
    {kSectionSetup, "Resize", KeyGroup::kTimerAndSize,
     SettingsRow::Int{[](AppSettings& s) -> auto& { return s.resize; }, 5, 0, 20}},
    {kSectionSetup, "OpenFiles", KeyGroup::kTimerAndSize,
     SettingsRow::Int{[](AppSettings& s) -> auto& { return s.openFiles; }, 10, 0, kMaxOpenFiles}},
    {kSectionSetup, "MakeNew", KeyGroup::kTimerAndSize,
     SettingsRow::Bool{[](AppSettings& s) -> auto& { return s.makeNew; }, false}},
    {kSectionSetup, "CaretInside", KeyGroup::kTimerAndSize,
     SettingsRow::Bool{[](AppSettings& s) -> auto& { return s.caretInside; }, true}},

    {kSectionSetup, "ChangeMode", KeyGroup::kFilters,
     SettingsRow::Int{[](AppSettings& s) -> auto& { return s.changeMode; }, 1}},
    {kSectionSetup, "CloseMode", KeyGroup::kFilters,
     SettingsRow::Int{[](AppSettings& s) -> auto& { return s.closeMode; }, 1}},
    {kSectionSetup, "FileFilter", KeyGroup::kFilters,
     SettingsRow::Text{[](AppSettings& s) -> auto& { return s.fileFilter; }, texts::kDefaultFileFilter}},
    {kSectionSetup, "FileFilterC", KeyGroup::kFilters,
     SettingsRow::Text{[](AppSettings& s) -> auto& { return s.fileFilterC; }, kDefaultFileFilterC}},

    {kSectionSetup, "CRLF", KeyGroup::kLineEndAndHotKeys,
     SettingsRow::Custom{[](AppSettings& s, const Bytes& value) { s.lineEnd = LineEndForCrlf(SettingsIntOr(value, 2)); },
                         [](const AppSettings& s) { return FormatProfileInt(CrlfSetting(s.lineEnd)); }}},
    {kSectionSetup, "BufSize1", KeyGroup::kLineEndAndHotKeys,
     SettingsRow::Int{[](AppSettings& s) -> auto& { return s.bufSize1; }, 1024}},
    {kSectionSetup, "BufSize2", KeyGroup::kLineEndAndHotKeys,
     SettingsRow::Int{[](AppSettings& s) -> auto& { return s.bufSize2; }, 1024}},
    {kSectionSetup, "HotKeyR", KeyGroup::kLineEndAndHotKeys,
     SettingsRow::Bool{[](AppSettings& s) -> auto& { return s.hotKeyR; }, false}},
    {kSectionSetup, "HotKeyR1", KeyGroup::kLineEndAndHotKeys,
     SettingsRow::Int{[](AppSettings& s) -> auto& { return s.hotKeyR1; }, 1}},
    {kSectionSetup, "HotKeyR2", KeyGroup::kLineEndAndHotKeys,
     SettingsRow::Letter{[](AppSettings& s) -> auto& { return s.hotKeyR2; }, 'Q'}},
    {kSectionSetup, "HotKeyA", KeyGroup::kLineEndAndHotKeys,
     SettingsRow::Bool{[](AppSettings& s) -> auto& { return s.hotKeyA; }, false}},
    {kSectionSetup, "HotKeyA1", KeyGroup::kLineEndAndHotKeys,
     SettingsRow::Int{[](AppSettings& s) -> auto& { return s.hotKeyA1; }, 1}},
    {kSectionSetup, "HotKeyA2", KeyGroup::kLineEndAndHotKeys,
     SettingsRow::Letter{[](AppSettings& s) -> auto& { return s.hotKeyA2; }, 'A'}},

    {kSectionSetup, "PasteKindEZ", KeyGroup::kSimpleDelivery,
     SettingsRow::Int{[](AppSettings& s) -> auto& { return s.modeDelivery[kSimpleMode].pasteKind; }, 1}},
    {kSectionSetup, "PasteIntervalEZ", KeyGroup::kSimpleDelivery,
     SettingsRow::Int{[](AppSettings& s) -> auto& { return s.modeDelivery[kSimpleMode].pasteInterval; }, 0}},
    {kSectionSetup, "CutPasteKeyEZ", KeyGroup::kSimpleDelivery,
     SettingsRow::Int{[](AppSettings& s) -> auto& { return s.modeDelivery[kSimpleMode].cutPasteKey; },
                      kDefaultCutPasteKey}},
}};

const std::array<WindowRow, 11> kWindowRows = {{
    {kSectionQuiltor, "Top", KeyGroup::kWindow, WindowRow::Int{[](QuiltorSection& q) -> auto& { return q.top; }, 0}},
    {kSectionQuiltor, "Left", KeyGroup::kWindow, WindowRow::Int{[](QuiltorSection& q) -> auto& { return q.left; }, 0}},
    {kSectionQuiltor, "Height", KeyGroup::kWindow,
     WindowRow::Int{[](QuiltorSection& q) -> auto& { return q.height; }, 282}},
    // A page index: start-up adds it to a hundred times the shrunk height,
    // and a value outside took the sum to 0 (no start-up) or past INT_MAX.
    {kSectionQuiltor, "ActivePage", KeyGroup::kWindow,
     WindowRow::Int{[](QuiltorSection& q) -> auto& { return q.activePage; }, 10, 0, 99}},
    {kSectionQuiltor, "ToolBar", KeyGroup::kWindow,
     WindowRow::Bool{[](QuiltorSection& q) -> auto& { return q.toolBar; }, true}},
    {kSectionQuiltor, "AutoSmall", KeyGroup::kWindow,
     WindowRow::Bool{[](QuiltorSection& q) -> auto& { return q.autoSmall; }, false}},
    {kSectionQuiltor, "StayOnTop", KeyGroup::kWindow,
     WindowRow::Bool{[](QuiltorSection& q) -> auto& { return q.stayOnTop; }, false}},
    {kSectionQuiltor, "HideIcon", KeyGroup::kWindow,
     WindowRow::Bool{[](QuiltorSection& q) -> auto& { return q.hideIcon; }, false}},
    {kSectionQuiltor, "Mode", KeyGroup::kMode, WindowRow::Bool{[](QuiltorSection& q) -> auto& { return q.mode; }, false}},
    {kSectionQuiltor, "QuiltorData", KeyGroup::kCurrentDataFile,
     WindowRow::Text{[](QuiltorSection& q) -> auto& { return q.quiltorData; }, ""}},
    {kSectionQuiltor, "LibraryRefused", KeyGroup::kLibraryRefused,
     WindowRow::Text{[](QuiltorSection& q) -> auto& { return q.libraryRefused; }, ""}},
}};

const std::array<KindRow, 10> kKindRows = {{
    {nullptr, "ExtName", KeyGroup::kKind, KindRow::Text{[](FileKind& k) -> auto& { return k.extName; }, ""}, true},
    {nullptr, "Ext", KeyGroup::kKind, KindRow::Text{[](FileKind& k) -> auto& { return k.ext; }, ""}, true},
    {nullptr, "EditerPath", KeyGroup::kKind, KindRow::Text{[](FileKind& k) -> auto& { return k.editerPath; }, ""}},
    {nullptr, "EditerParam", KeyGroup::kKind, KindRow::Text{[](FileKind& k) -> auto& { return k.editerParam; }, ""}},
    {nullptr, "ClassName1", KeyGroup::kKind, KindRow::Text{[](FileKind& k) -> auto& { return k.className1; }, ""}},
    {nullptr, "ClassName2", KeyGroup::kKind, KindRow::Text{[](FileKind& k) -> auto& { return k.className2; }, ""}},
    {nullptr, "PasteKind", KeyGroup::kKind, KindRow::Int{[](FileKind& k) -> auto& { return k.pasteKind; }, 0}},
    {nullptr, "PasteInterval", KeyGroup::kKind, KindRow::Int{[](FileKind& k) -> auto& { return k.pasteInterval; }, 0}},
    // Key codes that are not valid are replaced as a whole.
    {nullptr, "CutPasteKey", KeyGroup::kKind,
     KindRow::Custom{[](FileKind& k, const Bytes& value) {
                       k.cutPasteKey = SanitizeCutPasteKey(SettingsIntOr(value, kDefaultCutPasteKey));
                     },
                     [](const FileKind& k) { return FormatProfileInt(k.cutPasteKey); }}},
    {nullptr, "ProgramNo", KeyGroup::kKind, KindRow::Int{[](FileKind& k) -> auto& { return k.programNo; }, 0}},
}};

template <class Record>
void ReadRow(const Row<Record>& row, const Bytes& section, const KeyLookup& lookup, Record& record) {
  const Bytes key = row.name;
  std::visit(
      [&](const auto& value) {
        using Value = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<Value, typename Row<Record>::Int>) {
          value.at(record) = std::clamp(SettingsIntOr(lookup(section, key, ""), value.fallback), value.min, value.max);
        } else if constexpr (std::is_same_v<Value, typename Row<Record>::Bool>) {
          value.at(record) = SettingsBoolOr(lookup(section, key, ""), value.fallback);
        } else if constexpr (std::is_same_v<Value, typename Row<Record>::Text>) {
          value.at(record) = lookup(section, key, value.fallback);
        } else if constexpr (std::is_same_v<Value, typename Row<Record>::Letter>) {
          const Bytes text = lookup(section, key, Bytes(1, value.fallback));
          value.at(record) = text.empty() ? value.fallback : text.front();
        } else {
          value.read(record, lookup(section, key, ""));
        }
      },
      row.value);
}

// `record` is the writer's own copy: the accessors hand out references.
template <class Record>
Bytes RowText(const Row<Record>& row, Record& record) {
  return std::visit(
      [&](const auto& value) -> Bytes {
        using Value = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<Value, typename Row<Record>::Int>) {
          return FormatProfileInt(value.at(record));
        } else if constexpr (std::is_same_v<Value, typename Row<Record>::Bool>) {
          return FormatProfileBool(value.at(record));
        } else if constexpr (std::is_same_v<Value, typename Row<Record>::Text>) {
          return value.at(record);
        } else if constexpr (std::is_same_v<Value, typename Row<Record>::Letter>) {
          return Bytes(1, value.at(record));
        } else {
          return value.write(record);
        }
      },
      row.value);
}

template <class Record, std::size_t N>
bool WriteGroup(ProfileFile& file, const std::array<Row<Record>, N>& rows, Record record, KeyGroup group) {
  for (const Row<Record>& row : rows) {
    if (row.group != group) continue;
    if (!file.WriteString(row.section, row.name, RowText(row, record))) return false;
  }
  return true;
}

}  // namespace

void ReadSettingsKeys(const KeyLookup& lookup, AppSettings& settings) {
  for (const SettingsRow& row : kSettingsRows) ReadRow(row, row.section, lookup, settings);
  settings.maxHeight = std::max(settings.maxHeight, settings.minHeight);
  settings.modeDelivery[kSimpleMode] = SanitizeDelivery(settings.modeDelivery[kSimpleMode]);
}

void ReadWindowKeys(const KeyLookup& lookup, QuiltorSection& window) {
  for (const WindowRow& row : kWindowRows) ReadRow(row, row.section, lookup, window);
}

void ReadKindKeys(const KeyLookup& lookup, const Bytes& section, bool extSection, FileKind& kind) {
  for (const KindRow& row : kKindRows)
    if (extSection || !row.extOnly) ReadRow(row, section, lookup, kind);
}

bool WriteKeyGroup(ProfileFile& file, const AppSettings& settings, KeyGroup group) {
  return WriteGroup(file, kSettingsRows, settings, group);
}

bool WriteKeyGroup(ProfileFile& file, const QuiltorSection& window, KeyGroup group) {
  return WriteGroup(file, kWindowRows, window, group);
}

bool WriteKindKeys(ProfileFile& file, const Bytes& section, bool extSection, FileKind kind) {
  for (const KindRow& row : kKindRows) {
    if (!extSection && row.extOnly) continue;
    if (!file.WriteString(section, row.name, RowText(row, kind))) return false;
  }
  return true;
}

std::vector<KeyName> AllKeyNames() {
  std::vector<KeyName> names;
  for (const SettingsRow& row : kSettingsRows) names.push_back({row.section, row.name, row.group});
  for (const WindowRow& row : kWindowRows) names.push_back({row.section, row.name, row.group});
  for (const KindRow& row : kKindRows) names.push_back({"", row.name, row.group});
  return names;
}

}  // namespace quiltor
