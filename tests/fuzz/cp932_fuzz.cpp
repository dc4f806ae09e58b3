// Cutting, case folding, search folding and path splitting of code page 932
// texts. A cut text never ends inside a double-byte character and loses no
// more than the character that did not fit; a second byte 0x5C or 0x7C is
// never taken for a separator; the search's folding is stable and leaves no
// form it folds away; a path splits into parts that join back into it.
#include <cstdint>

#include "fuzz_support.h"
#include "text/cp932.h"
#include "text/search_fold.h"

namespace quiltor {
namespace {

void CheckCuts(const Bytes& text, std::size_t limit) {
  const std::size_t fit = FitOnCharacterBoundary(text, limit);
  const Bytes head = CutOnCharacterBoundary(text, limit);
  FUZZ_CHECK(head.size() == fit);
  FUZZ_CHECK(fit <= limit && fit <= text.size());
  FUZZ_CHECK(text.compare(0, fit, head) == 0);
  FUZZ_CHECK(fuzz::EndsOnCharacterBoundary(head));
  // The cut stops at the first character that does not fit whole.
  if (fit < text.size()) {
    const std::size_t next = IsLeadByte(static_cast<unsigned char>(text[fit])) ? 2 : 1;
    FUZZ_CHECK(fit + next > limit || fit + next > text.size());
  }

  const Bytes tail = TailOnCharacterBoundary(text, limit);
  FUZZ_CHECK(text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0);
  if (limit >= text.size()) {
    FUZZ_CHECK(tail == text);
  } else {
    FUZZ_CHECK(tail.size() <= limit && tail.size() + 1 >= limit);
  }
  // The tail starts where a character starts.
  if (!tail.empty()) FUZZ_CHECK(fuzz::EndsOnCharacterBoundary(text.substr(0, text.size() - tail.size())));
}

void CheckCase(const Bytes& a, const Bytes& b) {
  const Bytes folded = FoldAsciiCase(a);
  FUZZ_CHECK(folded.size() == a.size());
  FUZZ_CHECK(FoldAsciiCase(folded) == folded);
  FUZZ_CHECK(EqualsIgnoringAsciiCase(a, folded));
  FUZZ_CHECK(EqualsIgnoringAsciiCase(a, b) == EqualsIgnoringAsciiCase(b, a));
  // Only ASCII capitals outside double-byte characters change.
  for (std::size_t i = 0; i < a.size(); i += CharacterLength(a, i)) {
    FUZZ_CHECK(folded[i] == LowerAscii(a[i]));
    if (CharacterLength(a, i) == 2) FUZZ_CHECK(folded[i + 1] == a[i + 1]);
  }
}

// The folded units as bytes again: one byte below 0x100, else lead and trail.
Bytes UnitBytes(std::u16string_view units) {
  Bytes bytes;
  for (const char16_t unit : units) {
    if (unit >= 0x100) bytes += static_cast<char>(unit >> 8);
    bytes += static_cast<char>(unit & 0xFF);
  }
  return bytes;
}

void CheckSearchFold(const Bytes& text, const Bytes& query) {
  const FoldedText folded = FoldForSearch(text);
  FUZZ_CHECK(folded.units.size() == folded.wordStarts.size());
  std::size_t characters = 0;
  for (std::size_t i = 0; i < text.size(); i += CharacterLength(text, i)) ++characters;
  FUZZ_CHECK(folded.units.size() <= characters);
  for (const char16_t unit : folded.units) {
    FUZZ_CHECK(!(unit >= u'A' && unit <= u'Z'));        // capitals
    FUZZ_CHECK(!(unit >= 0xA1 && unit <= 0xDF));        // half-width kana
    FUZZ_CHECK(!(unit >= 0x829F && unit <= 0x82F1));    // hiragana
    FUZZ_CHECK(!(unit >= 0x824F && unit <= 0x8258));    // full-width digits
    FUZZ_CHECK(!(unit >= 0x8260 && unit <= 0x8279) && !(unit >= 0x8281 && unit <= 0x829A));  // and letters
    FUZZ_CHECK(unit != 0x815B && unit != 0x8140);       // long vowel mark, full-width blank
    FUZZ_CHECK(unit >= 0x20 && unit != 0x7F);           // control characters are blanks
  }
  // Folding what was folded changes nothing.
  FUZZ_CHECK(FoldForSearch(UnitBytes(folded.units)).units == folded.units);
  // Every word of a query is found in the folded query itself.
  const FoldedText foldedQuery = FoldForSearch(query);
  for (const std::u16string& word : FoldedWords(query)) {
    FUZZ_CHECK(!word.empty() && word.find(kFoldedBlank) == std::u16string::npos);
    FUZZ_CHECK(foldedQuery.units.find(word) != std::u16string::npos);
  }
}

void CheckPath(const Bytes& path, const Bytes& name) {
  const Bytes folder = FolderOf(path);
  const Bytes file = FileNamePart(path);
  FUZZ_CHECK(folder + file == path);
  FUZZ_CHECK(FileNameStart(file) == 0);
  const Bytes extension = FileExtension(path);
  FUZZ_CHECK(extension.size() < file.size() || extension.empty());
  if (!extension.empty()) FUZZ_CHECK(file.compare(file.size() - extension.size() - 1, Bytes::npos, "." + extension) == 0);
  const Bytes trimmed = FolderWithoutTrailingSeparator(path);
  FUZZ_CHECK(trimmed.size() + 1 >= folder.size() && folder.compare(0, trimmed.size(), trimmed) == 0);
  if (!fuzz::EndsOnCharacterBoundary(path)) return;
  // A path that ends on a whole character takes a new extension and a name
  // joined to it comes back as its file name.
  FUZZ_CHECK(FileExtension(ReplaceExtension(path, ".edt")) == "edt");
  FUZZ_CHECK(FolderOf(ReplaceExtension(path, ".edt")) == folder);
  if (name.empty() || FileNameStart(name) != 0 || !fuzz::EndsOnCharacterBoundary(name)) return;
  FUZZ_CHECK(FileNamePart(JoinPath(path, name)) == name);
}

}  // namespace
}  // namespace quiltor

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quiltor;
  FuzzedDataProvider input(data, size);
  const std::size_t limit = input.ConsumeIntegralInRange<std::size_t>(0, size + 2);
  const Bytes name = input.ConsumeRandomLengthString(16);
  const Bytes other = input.ConsumeRandomLengthString(32);
  const Bytes text = input.ConsumeRemainingBytesAsString();
  CheckCuts(text, limit);
  CheckCase(text, other);
  CheckSearchFold(text, other);
  CheckPath(text, name);
  return 0;
}
