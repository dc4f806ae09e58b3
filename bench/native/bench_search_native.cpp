// The item search's filter alone, natively: a query typed one character
// after another over a data file of 1 page x 100 rows and of 100 x 100, the
// time of each keystroke's filtering and ranking (p50 and p99), the index's
// making at load, and the opening with every item listed. The goal is well
// under 16 ms a keystroke at 10 000 rows. Prints figures, asserts nothing.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "win/bench_search_corpus.h"
#include "data/data_file.h"
#include "data/item_search.h"
#include "data/pages.h"
#include "figures.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Percentile(std::vector<double> samples, double p) {
  std::sort(samples.begin(), samples.end());
  const auto at = static_cast<std::size_t>(p * static_cast<double>(samples.size() - 1) + 0.5);
  return samples[std::min(at, samples.size() - 1)];
}

void Measure(int pages, int rows, int repetitions) {
  const std::string file = quiltor::bench::SearchDataFile(pages, rows);
  const quiltor::DataFileReader reader(file);
  auto t0 = Clock::now();
  const quiltor::DataPagesResult pagesModel = quiltor::BuildDataPages(reader);
  const double model = Ms(Clock::now() - t0);
  t0 = Clock::now();
  quiltor::ItemIndex index = quiltor::ItemIndex::Build(reader);
  const double build = Ms(Clock::now() - t0);
  const std::size_t items = index.Items().size();
  quiltor::ItemSearch search;
  search.Reset(std::move(index));

  std::vector<double> opens;
  std::vector<double> keys;
  std::size_t lastHits = 0;
  for (int i = 0; i < repetitions; ++i) {
    for (const quiltor::bench::TypedQuery& query : quiltor::bench::SearchQueries()) {
      t0 = Clock::now();
      search.Open(std::vector<std::uint64_t>(items, 0));
      opens.push_back(Ms(Clock::now() - t0));
      for (const std::string& prefix : query.prefixes) {
        t0 = Clock::now();
        search.SetQuery(prefix);
        keys.push_back(Ms(Clock::now() - t0));
      }
      lastHits += search.Hits().size();
      search.Close();
    }
  }
  std::printf("%3d x %3d rows, %5zu items: %zu keystrokes, %zu hits at the end\n", pages, rows, items, keys.size(),
              lastHits / static_cast<std::size_t>(repetitions));
  using quiltor::bench::Figure;
  const std::string name = "search_native." + std::to_string(pages * rows) + "_rows.";
  Figure((name + "pages_model").c_str(), model, "ms");
  Figure((name + "index_build").c_str(), build, "ms");
  Figure((name + "open_p50").c_str(), Percentile(opens, 0.5), "ms", "<16");
  Figure((name + "keystroke_p50").c_str(), Percentile(keys, 0.5), "ms", "<16");
  Figure((name + "keystroke_p99").c_str(), Percentile(keys, 0.99), "ms", "<16");
}

}  // namespace

int main() {
  Measure(1, 100, quiltor::bench::Count(200, 2));
  Measure(100, 100, quiltor::bench::Count(20, 1));
  return 0;
}
