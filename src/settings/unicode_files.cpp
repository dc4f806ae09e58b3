#include "settings/unicode_files.h"

#include <string_view>

#include "text/cp932.h"

namespace quiltor {
namespace {

bool IsUtf16Le(std::string_view bytes) { return bytes.substr(0, 2) == std::string_view(kUtf16LeMark, 2); }

}  // namespace

std::optional<Bytes> UnicodeAwareFiles::ReadAll(const Bytes& path) {
  std::optional<Bytes> bytes = files_.ReadAll(path);
  if (!bytes || !IsUtf16Le(*bytes)) return bytes;
  return codec_.Utf16ToAnsi(std::string_view(*bytes).substr(2)).text;
}

std::optional<Bytes> UnicodeAwareFiles::ReadHead(const Bytes& path, std::size_t maxBytes) {
  // Each ANSI byte takes at most two bytes of UTF-16, plus the mark.
  std::optional<Bytes> bytes = files_.ReadHead(path, maxBytes * 2 + 2);
  if (!bytes || !IsUtf16Le(*bytes)) {
    if (bytes && bytes->size() > maxBytes) bytes->resize(maxBytes);
    return bytes;
  }
  std::string_view units = std::string_view(*bytes).substr(2);
  units = units.substr(0, units.size() - units.size() % 2);
  // A surrogate pair cut at the end would convert to a stray character.
  if (units.size() >= 2) {
    const unsigned char high = static_cast<unsigned char>(units[units.size() - 1]);
    if (high >= 0xD8 && high <= 0xDB) units.remove_suffix(2);
  }
  return CutOnCharacterBoundary(codec_.Utf16ToAnsi(units).text, maxBytes);
}

bool UnicodeAwareFiles::ReplaceAll(const Bytes& path, const Bytes& contents) {
  const std::optional<Bytes> existing = files_.ReadHead(path, 2);
  if (!existing || !IsUtf16Le(*existing)) return files_.ReplaceAll(path, contents);
  const std::optional<Bytes> whole = files_.ReadAll(path);
  if (!whole || !codec_.Utf16ToAnsi(std::string_view(*whole).substr(2)).lossless) return false;
  const Converted unicode = codec_.AnsiToUtf16(contents);
  if (!unicode.lossless) return false;
  return files_.ReplaceAll(path, Bytes(kUtf16LeMark, 2) + unicode.text);
}

}  // namespace quiltor
