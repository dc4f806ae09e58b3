// The index against one raw scan per key, natively: why page loads parse the
// data file once. Prints, asserts nothing.
#include <chrono>
#include <cstdio>

#include "../win/bench_profile_corpus.h"
#include "settings/profile.h"

int main() {
  using Clock = std::chrono::steady_clock;
  const std::string text = quiltor::bench::DataFileText();
  const auto lookups = quiltor::bench::Lookups();
  std::size_t bytes = 0;
  auto t0 = Clock::now();
  quiltor::IniDocument document(text);
  for (const auto& [section, key] : lookups) bytes += document.Get(section, key, "").size();
  auto t1 = Clock::now();
  for (const auto& [section, key] : lookups) bytes += quiltor::FindProfileValue(text, section, key, "").size();
  auto t2 = Clock::now();
  double indexed = std::chrono::duration<double>(t1 - t0).count();
  double scanned = std::chrono::duration<double>(t2 - t1).count();
  std::printf("%zu bytes, %zu lookups (%zu value bytes)\n", text.size(), lookups.size(), bytes);
  std::printf("IniDocument parse + lookups: %.4f s\n", indexed);
  std::printf("FindProfileValue per key:    %.4f s (%.3f ms per key)\n", scanned, scanned * 1000 / lookups.size());
  std::printf("ratio: %.0fx\n", indexed > 0 ? scanned / indexed : 0.0);
  return 0;
}
