#include "settings/profile.h"

#include "text/cp932.h"

#include <cstring>
#include <utility>
#include <vector>

namespace quiltor {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// One line of a profile file as every reader and writer here sees it.
struct ProfileLine {
  enum class Kind { kBlank, kSection, kKey, kOther };
  Kind kind = Kind::kBlank;
  std::size_t begin = 0;       // first byte of the line
  std::size_t textEnd = 0;     // first byte of its line end (or the end of the file)
  std::size_t end = 0;         // first byte after its line end
  std::string_view name;       // section or key name, trimmed
  std::string_view value;      // key lines: the value, trimmed
  std::size_t valueBegin = 0;  // key lines: where the text after "=" and blanks begins
  bool hasValue = true;        // key lines: false for a name without "="
};

// The start of the first line at or after `lineStart` (itself the start of a
// line) whose first non-blank byte is "[", or `size` when there is none. A "["
// that is the second byte of a double-byte character is never found at a
// line's start, as blanks and line ends are never second bytes.
std::size_t NextHeaderLine(const char* data, std::size_t size, std::size_t lineStart) {
  std::size_t from = lineStart;
  while (from < size) {
    const void* hit = std::memchr(data + from, '[', size - from);
    if (!hit) return size;
    const std::size_t bracket = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
    std::size_t start = bracket;
    while (start > lineStart && IsBlank(data[start - 1])) --start;
    if (start == lineStart || data[start - 1] == '\n' || data[start - 1] == '\r') return start;
    from = bracket + 1;
  }
  return size;
}

// Splits at CR, LF or CRLF and classifies each line. `visit` returns false to
// stop. While `headersOnly()` is true, lines that cannot be section headers are
// skipped unseen (the fast path of a lookup: a data file of many pages is
// mostly lines outside the section wanted).
template <typename Visit, typename HeadersOnly>
void ForEachLine(std::string_view text, Visit&& visit, HeadersOnly&& headersOnly) {
  const char* const data = text.data();
  const std::size_t size = text.size();
  std::size_t pos = 0;
  while (pos < size) {
    if (headersOnly()) {
      pos = NextHeaderLine(data, size, pos);
      if (pos >= size) return;
    }
    ProfileLine line;
    line.begin = pos;
    std::size_t stop = pos;
    while (stop < size && data[stop] != '\n' && data[stop] != '\r') ++stop;
    line.textEnd = stop;
    if (stop < size) {
      ++stop;
      if (data[stop - 1] == '\r' && stop < size && data[stop] == '\n') ++stop;
    }
    line.end = stop;
    pos = stop;

    std::string_view content = Trim(text.substr(line.begin, line.textEnd - line.begin));
    if (content.empty()) {
      line.kind = ProfileLine::Kind::kBlank;
    } else if (content.front() == '[' && content.rfind(']') != std::string_view::npos &&
               content.rfind(']') > 0) {
      // The name runs to the last "]", so a second byte 0x5D inside a
      // double-byte character does not end it.
      line.kind = ProfileLine::Kind::kSection;
      line.name = Trim(content.substr(1, content.rfind(']') - 1));
    } else if (content.front() == ';') {
      line.kind = ProfileLine::Kind::kOther;
    } else if (std::size_t eq = content.find('='); eq != std::string_view::npos) {
      line.kind = ProfileLine::Kind::kKey;
      line.name = Trim(content.substr(0, eq));
      std::string_view rest = content.substr(eq + 1);
      std::size_t skipped = 0;
      while (skipped < rest.size() && IsBlank(rest[skipped])) ++skipped;
      line.value = rest.substr(skipped);
      line.valueBegin = static_cast<std::size_t>(rest.data() - data) + skipped;
    } else {
      // A name without "=" is a key without a value: it reads as the fallback
      // and hides later lines of the same key; a write gives it its value.
      line.kind = ProfileLine::Kind::kKey;
      line.hasValue = false;
      line.name = content;
      line.valueBegin = static_cast<std::size_t>(content.data() + content.size() - data);
    }
    if (!visit(line)) return;
  }
}

template <typename Visit>
void ForEachLine(std::string_view text, Visit&& visit) {
  ForEachLine(text, std::forward<Visit>(visit), [] { return false; });
}

// Where the first section of a name lies and where its key lines are.
struct SectionScan {
  bool found = false;
  std::size_t insertAt = 0;        // after the last non-blank line of the section
  bool insertNeedsLineEnd = false; // that line is the last of the file and has no line end
  std::vector<ProfileLine> keys;   // lines of the key asked for, in order
};

SectionScan ScanSection(std::string_view text, std::string_view section, std::string_view key) {
  SectionScan scan;
  bool inside = false;
  ForEachLine(text, [&](const ProfileLine& line) {
    if (line.kind == ProfileLine::Kind::kSection) {
      if (inside) return false;
      if (NamesEqual(line.name, section)) {
        inside = true;
        scan.found = true;
        scan.insertAt = line.end;
        scan.insertNeedsLineEnd = line.end == line.textEnd;
      }
      return true;
    }
    if (!inside) return true;
    if (line.kind != ProfileLine::Kind::kBlank) {
      scan.insertAt = line.end;
      scan.insertNeedsLineEnd = line.end == line.textEnd;
    }
    if (line.kind == ProfileLine::Kind::kKey && !key.empty() && NamesEqual(line.name, key)) {
      scan.keys.push_back(line);
    }
    return true;
  });
  return scan;
}

// The line end new lines get: the file's first one, CRLF for a file without any.
std::string_view FileLineEnd(std::string_view text) {
  std::size_t pos = text.find_first_of("\r\n");
  if (pos == std::string_view::npos) return "\r\n";
  if (text[pos] == '\n') return "\n";
  if (pos + 1 < text.size() && text[pos + 1] == '\n') return "\r\n";
  return "\r";
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// The start of an index key: a folded section name led by its length, so
// that no pair of names (a zero byte in either) runs into another pair.
Bytes SectionPrefix(std::string_view foldedSection) {
  Bytes prefix = std::to_string(foldedSection.size());
  prefix.push_back(':');
  prefix += foldedSection;
  return prefix;
}

// One key made of a folded section and key name.
Bytes IndexKey(std::string_view section, std::string_view key) {
  return SectionPrefix(FoldAsciiCase(Trim(section))) + FoldAsciiCase(Trim(key));
}

std::optional<std::int32_t> ParseInt(std::string_view text, bool settingsForms) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  bool hex = false;
  if (settingsForms && i < text.size() && text[i] == '$') {
    hex = true;
    i += 1;
  } else if (i + 1 < text.size() && text[i] == '0' &&
             (text[i + 1] == 'x' || (settingsForms && text[i + 1] == 'X'))) {
    hex = true;
    i += 2;
  }
  if (i >= text.size()) return std::nullopt;
  std::uint64_t value = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
    if (value > 0xFFFFFFFFull) return std::nullopt;
  }
  if (hex) {
    // Eight hex digits are a 32-bit pattern: $FFFFFFFF is -1.
    auto pattern = static_cast<std::uint32_t>(value);
    if (negative) pattern = 0u - pattern;
    return static_cast<std::int32_t>(pattern);
  }
  if (negative) {
    if (value > 0x80000000ull) return std::nullopt;
    return static_cast<std::int32_t>(-static_cast<std::int64_t>(value));
  }
  if (value > 0x7FFFFFFFull) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

}  // namespace

bool NamesEqual(std::string_view a, std::string_view b) { return EqualsIgnoringAsciiCase(Trim(a), Trim(b)); }

Bytes CleanProfileValue(std::string_view raw) {
  raw = Trim(raw);
  if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front()) {
    raw = raw.substr(1, raw.size() - 2);
  }
  if (raw.size() > kMaxProfileValue) raw = raw.substr(0, FitOnCharacterBoundary(raw, kMaxProfileValue));
  return Bytes(raw);
}

// ---- IniDocument -------------------------------------------------------------

IniDocument::IniDocument(Bytes contents) : contents_(std::move(contents)) { Index(); }

void IniDocument::Index() {
  values_.clear();
  sections_.clear();
  Bytes prefix;       // SectionPrefix of the current section
  bool live = false;  // the current section is the first of its name
  Bytes key;
  int lineNumber = 0;
  ForEachLine(contents_, [&](const ProfileLine& line) {
    ++lineNumber;
    if (line.kind == ProfileLine::Kind::kSection) {
      Bytes folded = FoldAsciiCase(line.name);
      prefix = SectionPrefix(folded);
      live = sections_.try_emplace(std::move(folded), lineNumber).second;
    } else if (live && line.kind == ProfileLine::Kind::kKey) {
      key = prefix;
      key += FoldAsciiCase(line.name);
      values_.try_emplace(key, line.hasValue ? Span{static_cast<std::size_t>(line.value.data() - contents_.data()),
                                                    line.value.size(), lineNumber}
                                             : Span{Span::kNoValue, 0, lineNumber});
    }
    return true;
  });
}

Bytes IniDocument::Get(std::string_view section, std::string_view key,
                       std::string_view fallback) const {
  auto it = values_.find(IndexKey(section, key));
  if (it == values_.end() || it->second.pos == Span::kNoValue) return Bytes(fallback);
  return CleanProfileValue(std::string_view(contents_).substr(it->second.pos, it->second.len));
}

bool IniDocument::HasSection(std::string_view section) const {
  return sections_.count(FoldAsciiCase(Trim(section))) != 0;
}

int IniDocument::KeyLine(std::string_view section, std::string_view key) const {
  auto it = values_.find(IndexKey(section, key));
  return it == values_.end() ? 0 : it->second.line;
}

int IniDocument::SectionLine(std::string_view section) const {
  auto it = sections_.find(FoldAsciiCase(Trim(section)));
  return it == sections_.end() ? 0 : it->second;
}

bool IniDocument::HasKey(std::string_view section, std::string_view key) const {
  auto it = values_.find(IndexKey(section, key));
  return it != values_.end() && it->second.pos != Span::kNoValue;
}

Bytes FindProfileValue(const Bytes& contents, std::string_view section, std::string_view key,
                       std::string_view fallback) {
  return std::move(FindProfileValues(contents, section, {&key, 1}, fallback).front());
}

std::vector<Bytes> FindProfileValues(const Bytes& contents, std::string_view section,
                                     std::span<const std::string_view> keys, std::string_view fallback) {
  std::vector<Bytes> values(keys.size(), Bytes(fallback));
  // A key is settled by its first line, even one without a value.
  std::vector<bool> settled(keys.size(), false);
  std::size_t open = keys.size();
  bool inside = false;
  ForEachLine(contents, [&](const ProfileLine& line) {
    if (line.kind == ProfileLine::Kind::kSection) {
      if (inside) return false;  // only the first section of the name counts
      inside = NamesEqual(line.name, section);
      return true;
    }
    if (!inside || line.kind != ProfileLine::Kind::kKey) return true;
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (settled[i] || !NamesEqual(line.name, keys[i])) continue;
      settled[i] = true;
      --open;
      if (line.hasValue) values[i] = CleanProfileValue(line.value);
    }
    return open > 0;
  }, [&] { return !inside; });
  return values;
}

// ---- Integers ----------------------------------------------------------------

std::optional<std::int32_t> ParseSettingsInt(std::string_view text) { return ParseInt(text, true); }

std::int32_t SettingsIntOr(std::string_view text, std::int32_t fallback) {
  return ParseSettingsInt(text).value_or(fallback);
}

bool SettingsBoolOr(std::string_view text, bool fallback) {
  return SettingsIntOr(text, fallback ? 1 : 0) != 0;
}

std::optional<std::int32_t> ParseDataInt(std::string_view text) { return ParseInt(text, false); }

std::int32_t DataIntOr(std::string_view text, std::int32_t fallback) {
  return ParseDataInt(text).value_or(fallback);
}

Bytes FormatProfileInt(std::int64_t value) { return std::to_string(value); }

// ---- Edits -------------------------------------------------------------------

std::optional<Bytes> SetProfileValue(const Bytes& contents, std::string_view section,
                                     std::string_view key, std::string_view value) {
  section = Trim(section);
  key = Trim(key);
  if (section.empty() || key.empty() || HasLineBreak(section) || HasLineBreak(key) ||
      HasLineBreak(value) || key.find('=') != std::string_view::npos || key.front() == '[' ||
      key.front() == ';') {
    return std::nullopt;
  }
  SectionScan scan = ScanSection(contents, section, key);
  std::string_view eol = FileLineEnd(contents);
  Bytes result;
  result.reserve(contents.size() + section.size() + key.size() + value.size() + 8);
  if (!scan.keys.empty()) {
    const ProfileLine& line = scan.keys.front();
    // The blanks after "=" stay only before a value that starts without
    // blanks, so writing the same value again leaves the bytes as they are.
    std::size_t from = line.valueBegin;
    if (value.empty() || IsBlank(value.front())) {
      while (from > line.begin && IsBlank(contents[from - 1])) --from;
    }
    result.append(contents, 0, from);
    if (!line.hasValue) result.append("=");
    result.append(value);
    result.append(contents, line.textEnd, Bytes::npos);
    return result;
  }
  Bytes newLine;
  newLine.append(key).append("=").append(value).append(eol);
  if (scan.found) {
    result.append(contents, 0, scan.insertAt);
    if (scan.insertNeedsLineEnd) result.append(eol);
    result.append(newLine);
    result.append(contents, scan.insertAt, Bytes::npos);
    return result;
  }
  result = contents;
  if (!result.empty() && result.back() != '\n' && result.back() != '\r') result.append(eol);
  result.append("[").append(section).append("]").append(eol).append(newLine);
  return result;
}

namespace {

Bytes WithoutRanges(const Bytes& contents,
                    const std::vector<std::pair<std::size_t, std::size_t>>& ranges) {
  Bytes result;
  result.reserve(contents.size());
  std::size_t pos = 0;
  for (auto [from, to] : ranges) {
    result.append(contents, pos, from - pos);
    pos = to;
  }
  result.append(contents, pos, Bytes::npos);
  return result;
}

}  // namespace

Bytes RemoveProfileKey(const Bytes& contents, std::string_view section, std::string_view key) {
  if (Trim(key).empty()) return contents;
  SectionScan scan = ScanSection(contents, section, key);
  std::vector<std::pair<std::size_t, std::size_t>> ranges;
  for (const ProfileLine& line : scan.keys) ranges.emplace_back(line.begin, line.end);
  return WithoutRanges(contents, ranges);
}

Bytes RemoveProfileSection(const Bytes& contents, std::string_view section) {
  std::vector<std::pair<std::size_t, std::size_t>> ranges;
  bool inside = false;
  ForEachLine(contents, [&](const ProfileLine& line) {
    if (line.kind == ProfileLine::Kind::kSection) {
      if (inside) ranges.back().second = line.begin;
      inside = NamesEqual(line.name, section);
      if (inside) ranges.emplace_back(line.begin, contents.size());
    }
    return true;
  });
  return WithoutRanges(contents, ranges);
}

// ---- IniFile -----------------------------------------------------------------

IniFile::IniFile(FileSystem& files, Bytes path) : files_(files), path_(std::move(path)) {}

std::optional<Bytes> IniFile::ReadContents() {
  if (std::optional<Bytes> contents = files_.ReadAll(path_)) return contents;
  if (!files_.Exists(path_)) return Bytes();
  return std::nullopt;
}

bool IniFile::Store(const Bytes& before, const Bytes& after) {
  if (before == after) return true;
  return files_.ReplaceAll(path_, after);
}

Bytes IniFile::GetString(const Bytes& section, const Bytes& key, const Bytes& fallback) {
  std::optional<Bytes> contents = ReadContents();
  if (!contents) return fallback;
  return FindProfileValue(*contents, section, key, fallback);
}

bool IniFile::WriteString(const Bytes& section, const Bytes& key, const Bytes& value) {
  std::optional<Bytes> contents = ReadContents();
  if (!contents) return false;
  std::optional<Bytes> edited = SetProfileValue(*contents, section, key, value);
  if (!edited) return false;
  return Store(*contents, *edited);
}

bool IniFile::DeleteKey(const Bytes& section, const Bytes& key) {
  std::optional<Bytes> contents = ReadContents();
  if (!contents) return false;
  return Store(*contents, RemoveProfileKey(*contents, section, key));
}

bool IniFile::DeleteSection(const Bytes& section) {
  std::optional<Bytes> contents = ReadContents();
  if (!contents) return false;
  return Store(*contents, RemoveProfileSection(*contents, section));
}

std::optional<IniDocument> IniFile::ReadDocument() {
  std::optional<Bytes> contents = ReadContents();
  if (!contents) return std::nullopt;
  return IniDocument(std::move(*contents));
}

}  // namespace quiltor
