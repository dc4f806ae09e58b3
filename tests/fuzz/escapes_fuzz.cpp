// Escape and placeholder expansion and the ampersand doubling of captions.
// Each has an inverse that a writer of data files or templates would use;
// expanding what it wrote must give the text back, and expansion never makes
// more than its input allows.
#include <algorithm>
#include <cstdint>

#include "delivery/escapes.h"
#include "fuzz_support.h"

namespace quiltor {
namespace {

// How a data file spells a text that must survive the profile-file reader.
Bytes Escape(const Bytes& text) {
  Bytes escaped;
  for (char c : text) {
    switch (c) {
      case '\\': escaped += "\\\\"; break;
      case '\n': escaped += "\\n"; break;
      case '\t': escaped += "\\t"; break;
      case '"': escaped += "\\Q"; break;
      case '\'': escaped += "\\q"; break;
      default: escaped += c; break;
    }
  }
  return escaped;
}

void CheckEscapes(const Bytes& text, const Bytes& lineEnd) {
  const Bytes expanded = ExpandEscapes(text, lineEnd);
  // An escape is two bytes and makes one byte or the line end.
  const std::size_t escapes = text.size() / 2;
  FUZZ_CHECK(expanded.size() <= std::max(text.size(), escapes * lineEnd.size() + text.size() % 2));
  if (text.find('\\') == Bytes::npos) FUZZ_CHECK(expanded == text);
  FUZZ_CHECK(ExpandEscapes(Escape(text), "\n") == text);
}

void CheckPlaceholder(const Bytes& pattern, const Bytes& placeholder, const Bytes& replacement) {
  const Bytes expanded = ExpandPlaceholder(pattern, placeholder, replacement);
  if (placeholder.empty() || (pattern.find('%') == Bytes::npos && pattern.find(placeholder) == Bytes::npos)) {
    FUZZ_CHECK(expanded == pattern);
  }
  // A template written as pieces with their "%" doubled, joined by the
  // placeholder, expands to the pieces joined by the replacement, for a
  // placeholder like "%f" ("%" alone or "%%..." would be read as "%%").
  if (placeholder.size() < 2 || placeholder[0] != '%' || placeholder[1] == '%') return;
  const Bytes pieces[] = {pattern, replacement, placeholder};
  Bytes written;
  Bytes wanted;
  for (std::size_t i = 0; i < 3; ++i) {
    if (i > 0) {
      written += placeholder;
      wanted += replacement;
    }
    for (char c : pieces[i]) {
      written += c;
      if (c == '%') written += '%';
    }
    wanted += pieces[i];
  }
  FUZZ_CHECK(ExpandPlaceholder(written, placeholder, replacement) == wanted);
}

void CheckAmpersands(const Bytes& text) {
  const Bytes doubled = DoubleAmpersands(text);
  FUZZ_CHECK(doubled.size() == text.size() + static_cast<std::size_t>(std::count(text.begin(), text.end(), '&')));
  Bytes undone;
  for (std::size_t i = 0; i < doubled.size(); ++i) {
    undone += doubled[i];
    if (doubled[i] == '&') {
      FUZZ_CHECK(i + 1 < doubled.size() && doubled[i + 1] == '&');
      ++i;
    }
  }
  FUZZ_CHECK(undone == text);
}

}  // namespace
}  // namespace quiltor

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quiltor;
  FuzzedDataProvider input(data, size);
  static const Bytes kLineEnds[] = {"\r\n", "\n", "\r", ""};
  const Bytes& lineEnd = kLineEnds[input.ConsumeIntegralInRange(0, 3)];
  const Bytes placeholder = input.ConsumeBool() ? Bytes("%f") : input.ConsumeRandomLengthString(4);
  const Bytes replacement = input.ConsumeRandomLengthString(16);
  const Bytes text = input.ConsumeRemainingBytesAsString();
  CheckEscapes(text, lineEnd);
  CheckPlaceholder(text, placeholder, replacement);
  CheckAmpersands(text);
  return 0;
}
