#pragma once
// The profile-file (INI) rules of Windows, portable: one reader that parses a
// file once into an index, one that looks up a single key in raw bytes, the
// integer forms of the settings and data files, and a ProfileFile that edits
// a file in place through a FileSystem.
//
// Rules shared by every reader here:
// - Lines end in CR, LF or CRLF; the last line may lack its line end.
// - Blanks (space, tab) around a line, a section name, a key name and a value
//   are dropped. A line "[name]" starts a section; a line starting with ";" is
//   a comment; a name without "=" is a key without a value: it reads as the
//   fallback and hides later lines of that key.
// - Section and key names match without regard to ASCII case. Names are
//   Shift-JIS aware: the second byte of a double-byte character is never
//   folded, so two different kanji never match.
// - Only the first section of a name counts, and in it the first line of a key.
// - A value loses one enclosing pair of matching double or single quotes and is
//   cut to at most 2047 bytes (never inside a double-byte character).
// - Shift-JIS bytes pass untouched (a second byte 0x5C is not an escape).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/files.h"
#include "platform/profile_file.h"
#include "platform/types.h"

namespace quiltor {

// A value is read into a 2048-byte buffer, so at most this many bytes are seen.
inline constexpr std::size_t kMaxProfileValue = 2047;

// Section and key names compare without regard to ASCII case (FoldAsciiCase
// of text/cp932.h), blanks around them dropped.
bool NamesEqual(std::string_view a, std::string_view b);

// The value as a reader sees it: blanks, one pair of matching quotes and
// everything past kMaxProfileValue removed.
Bytes CleanProfileValue(std::string_view rawValue);

// A whole file parsed once. Lookups cost one hash probe, so reading every key
// of a large data file stays linear in its size.
class IniDocument {
 public:
  IniDocument() = default;
  explicit IniDocument(Bytes contents);

  Bytes Get(std::string_view section, std::string_view key, std::string_view fallback) const;
  bool HasSection(std::string_view section) const;
  // True when the key has a value to read.
  bool HasKey(std::string_view section, std::string_view key) const;
  // Line numbers from 1, for pointing the user at a fault: the line that
  // settles the key (a name without "=" included), the header of the section
  // that counts; 0 when there is none.
  int KeyLine(std::string_view section, std::string_view key) const;
  int SectionLine(std::string_view section) const;
  const Bytes& Contents() const { return contents_; }

 private:
  // Where a raw value lies in contents_ (offsets keep copies valid).
  struct Span {
    static constexpr std::size_t kNoValue = static_cast<std::size_t>(-1);  // a name without "="
    std::size_t pos = 0;
    std::size_t len = 0;
    int line = 0;
  };
  void Index();
  Bytes contents_;
  // Folded section and key names -> raw value, first occurrence only.
  std::unordered_map<Bytes, Span> values_;
  // Folded names of the sections present -> line of their first header.
  std::unordered_map<Bytes, int> sections_;
};

// One key looked up in raw file bytes with a single linear scan and no index:
// for item texts, which are re-read from the data file at each click.
Bytes FindProfileValue(const Bytes& contents, std::string_view section, std::string_view key,
                       std::string_view fallback);
// Several keys of one section in the same single scan, each value (or the
// fallback) as FindProfileValue gives it, in the order of `keys`.
std::vector<Bytes> FindProfileValues(const Bytes& contents, std::string_view section,
                                     std::span<const std::string_view> keys, std::string_view fallback);

// Integers of the settings file: decimal with an optional sign, or hexadecimal
// with "$", "0x" or "0X" (a sign may stand before the prefix; up to eight hex
// digits, taken as a 32-bit pattern). nullopt for anything else, an empty text
// or a decimal outside the 32-bit range.
std::optional<std::int32_t> ParseSettingsInt(std::string_view text);
std::int32_t SettingsIntOr(std::string_view text, std::int32_t fallback);
// Booleans of the settings file are integers; non-zero is true.
bool SettingsBoolOr(std::string_view text, bool fallback);

// Integers of data files: decimal with an optional sign, or hexadecimal with
// "0x" only.
std::optional<std::int32_t> ParseDataInt(std::string_view text);
std::int32_t DataIntOr(std::string_view text, std::int32_t fallback);

// Written forms: integers in decimal, booleans as "1" / "0".
Bytes FormatProfileInt(std::int64_t value);
inline Bytes FormatProfileBool(bool value) { return value ? "1" : "0"; }

// Edits of file bytes that keep every other byte as it was (comments, unknown
// keys, order, line ends). nullopt when the names or the value cannot be
// written as one line (a line end in them, "]" in a section name, "=" in a
// key name, or an empty name).
std::optional<Bytes> SetProfileValue(const Bytes& contents, std::string_view section,
                                     std::string_view key, std::string_view value);
// Removes every line of the key in the section that readers see; an empty key
// name removes nothing.
Bytes RemoveProfileKey(const Bytes& contents, std::string_view section, std::string_view key);
// Removes every section of the name, header and lines, so no older duplicate
// comes back into view.
Bytes RemoveProfileSection(const Bytes& contents, std::string_view section);

// A profile file on a FileSystem. Reads go to the file each time (nothing is
// cached between calls); each write reads the file, changes the lines it must
// and replaces the file through FileSystem::ReplaceAll, so a failed write
// leaves the old file whole. A missing file reads as empty and the first
// write creates it; a file that exists but cannot be read is never written.
class IniFile : public ProfileFile {
 public:
  IniFile(FileSystem& files, Bytes path);

  Bytes GetString(const Bytes& section, const Bytes& key, const Bytes& fallback) override;
  bool WriteString(const Bytes& section, const Bytes& key, const Bytes& value) override;
  bool DeleteKey(const Bytes& section, const Bytes& key) override;
  bool DeleteSection(const Bytes& section) override;
  const Bytes& Path() const override { return path_; }

  // The whole file parsed once, for readers of many keys. An empty document
  // when the file is missing; nullopt when it exists but cannot be read.
  std::optional<IniDocument> ReadDocument();

 private:
  // The file's bytes; "" when it is missing, nullopt when it cannot be read.
  std::optional<Bytes> ReadContents();
  bool Store(const Bytes& before, const Bytes& after);

  FileSystem& files_;
  Bytes path_;
};

}  // namespace quiltor
