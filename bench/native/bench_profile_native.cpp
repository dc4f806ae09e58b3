// The index against one raw scan per key, natively: why page loads parse the
// data file once. Prints figures, asserts nothing.
#include <chrono>
#include <cstdio>

#include "figures.h"
#include "settings/profile.h"
#include "win/bench_profile_corpus.h"

int main() {
  using Clock = std::chrono::steady_clock;
  using quiltor::bench::Figure;
  const std::string text = quiltor::bench::DataFileText();
  auto lookups = quiltor::bench::Lookups();
  // A raw scan per key reads the whole file each time: a smoke run takes a few.
  lookups.resize(static_cast<std::size_t>(quiltor::bench::Count(static_cast<int>(lookups.size()), 200)));
  std::size_t bytes = 0;
  auto t0 = Clock::now();
  quiltor::IniDocument document(text);
  for (const auto& [section, key] : lookups) bytes += document.Get(section, key, "").size();
  auto t1 = Clock::now();
  for (const auto& [section, key] : lookups) bytes += quiltor::FindProfileValue(text, section, key, "").size();
  auto t2 = Clock::now();
  const double indexed = std::chrono::duration<double, std::milli>(t1 - t0).count();
  const double scanned = std::chrono::duration<double, std::milli>(t2 - t1).count();
  std::printf("%zu bytes, %zu lookups (%zu value bytes)\n", text.size(), lookups.size(), bytes);
  Figure("profile_native.index_parse_and_lookups", indexed, "ms");
  Figure("profile_native.scan_per_key", scanned / static_cast<double>(lookups.size()), "ms");
  Figure("profile_native.scan_to_index", indexed > 0 ? scanned / indexed : 0.0, "x");
  return 0;
}
