#pragma once
// What the fuzz targets share: a check that stops the run on a broken
// invariant (so libFuzzer keeps the input that broke it), and names for
// lookups and edits taken mostly from the input file itself, so that most of
// them hit a section or key that exists.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/types.h"
#include "text/cp932.h"

#define FUZZ_CHECK(condition)                                                              \
  do {                                                                                     \
    if (!(condition)) {                                                                    \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                        \
    }                                                                                      \
  } while (false)

namespace quiltor::fuzz {

// Section names and key names as they stand on the lines of `contents`
// (blanks kept: the readers must drop them themselves).
struct NamesInFile {
  std::vector<Bytes> sections;
  std::vector<Bytes> keys;
};

inline NamesInFile NamesIn(std::string_view contents, std::size_t limit = 32) {
  NamesInFile names;
  std::size_t pos = 0;
  while (pos < contents.size() && (names.sections.size() < limit || names.keys.size() < limit)) {
    std::size_t end = contents.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = contents.size();
    std::string_view line = contents.substr(pos, end - pos);
    pos = end + 1;
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos) continue;
    line.remove_prefix(first);
    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      if (close != std::string_view::npos && close > 0 && names.sections.size() < limit) {
        names.sections.emplace_back(line.substr(1, close - 1));
      }
    } else if (names.keys.size() < limit) {
      names.keys.emplace_back(line.substr(0, line.find('=')));
    }
  }
  return names;
}

// One of `candidates` or, now and then (and always when there are none), a
// short text of the fuzzer's own.
inline Bytes PickName(FuzzedDataProvider& input, const std::vector<Bytes>& candidates) {
  if (!candidates.empty() && input.ConsumeIntegralInRange(0, 3) != 0) {
    return candidates[input.ConsumeIntegralInRange<std::size_t>(0, candidates.size() - 1)];
  }
  return input.ConsumeRandomLengthString(12);
}

// True when `text` does not end inside a double-byte character: walking it
// character by character lands exactly on its end, and its last byte is not
// a lead byte standing alone.
inline bool EndsOnCharacterBoundary(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (!IsLeadByte(static_cast<unsigned char>(text[pos]))) {
      ++pos;
    } else if (pos + 1 < text.size()) {
      pos += 2;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace quiltor::fuzz
