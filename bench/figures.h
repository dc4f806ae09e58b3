#pragma once
// How a benchmark reports: one line per figure, "figure: <name> <value>
// <unit> <goal>", which scripts/bench gathers into its closing table; and
// whether to run briefly (QUILTOR_BENCH_SMOKE=1, as scripts/test does, only
// to see that the benchmark starts, measures and ends).
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quiltor::bench {

// `goal` says what the figure is held against ("<5", "<=1.2", "~1"), "-" when
// it is only shown.
inline void Figure(const char* name, double value, const char* unit, const char* goal = "-") {
  std::printf("figure: %s %.4g %s %s\n", name, value, unit, goal);
  std::fflush(stdout);
}

inline bool Smoke() {
  const char* smoke = std::getenv("QUILTOR_BENCH_SMOKE");
  return smoke && *smoke && std::strcmp(smoke, "0") != 0;
}

// The full count, or the smoke run's.
inline int Count(int full, int smoke) { return Smoke() ? smoke : full; }

}  // namespace quiltor::bench
