#pragma once
// Every single-valued key of the settings file, once: its section, name,
// type, default, the range a hand-edited value is taken into, and the write
// that stores it. Reading and writing both go through these tables, so a key
// cannot be read and never written, or written under another name. Keys that
// come in numbered lists (the file kinds' sections, programs, histories) are
// read and written by settings.cpp around them.
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/profile_file.h"
#include "settings/settings.h"

namespace quiltor {

// Which write stores a key; the rows of a group are written in table order.
enum class KeyGroup {
  kReadOnly,  // "No", written by the migration alone
  kTimerAndSize,
  kFilters,
  kLineEndAndHotKeys,
  kSimpleDelivery,
  kWindow,  // at close
  kMode,    // at each mode switch
  kCurrentDataFile,
  kLibraryRefused,
  kKind,  // a file kind's fields, in "Setup" or "ExtRendo<n>"
};

// How the settings file is read: the value of `key` in `section`, or
// `fallback` when either is missing.
using KeyLookup = std::function<Bytes(const Bytes& section, const Bytes& key, const Bytes& fallback)>;

void ReadSettingsKeys(const KeyLookup& lookup, AppSettings& settings);
void ReadWindowKeys(const KeyLookup& lookup, QuiltorSection& window);
// `extSection`: one of "ExtRendo<n>", which alone hold ExtName and Ext.
void ReadKindKeys(const KeyLookup& lookup, const Bytes& section, bool extSection, FileKind& kind);

// Write every row of `group` in table order; false at the first refused write.
bool WriteKeyGroup(ProfileFile& file, const AppSettings& settings, KeyGroup group);
bool WriteKeyGroup(ProfileFile& file, const QuiltorSection& window, KeyGroup group);
bool WriteKindKeys(ProfileFile& file, const Bytes& section, bool extSection, FileKind kind);

// The rows as the tests walk them: section ("" for a kind's), name, group.
struct KeyName {
  Bytes section;
  Bytes name;
  KeyGroup group;
};
std::vector<KeyName> AllKeyNames();

}  // namespace quiltor
