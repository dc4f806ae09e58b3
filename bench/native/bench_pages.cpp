// Loading and clearing data pages at two sizes: the time per item must stay
// about the same when the file grows tenfold. Prints figures, asserts nothing.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "data/data_file.h"
#include "data/pages.h"
#include "figures.h"

namespace {

using quiltor::Bytes;

// A format-170 file of `pages` pages of `rows` rows; every tenth row is a
// menu of four entries, one of them a submenu of two.
Bytes MakeDataFile(int pages, int rows) {
  Bytes file = "[Version]\r\nNo=170\r\n[Group]\r\nCount=" + std::to_string(pages) + "\r\nTitle=Bench\r\n";
  for (int page = 0; page < pages; ++page) {
    const Bytes nn = quiltor::TwoDigits(page);
    file += "[Menu" + nn + "]\r\nTitle=Page " + nn + "\r\nCount=" + std::to_string(rows) + "\r\n";
    Bytes edit = "[Edit" + nn + "]\r\n";
    for (int row = 0; row < rows; ++row) {
      const Bytes key = quiltor::MainKey(row);
      if (row % 10 == 9) {
        file += key + "=13,04,Menu " + key + "\r\n";
        file += key + "00=00,Entry a\r\n" + key + "01=-\r\n" + key + "02=08,Entry module\r\n";
        file += key + "03=13,02,Sub\r\n" + key + "0300=00,Deep a\r\n" + key + "0301=00,Deep b\r\n";
      } else {
        file += key + "=00,Item " + key + " & more\r\n";
      }
      file += quiltor::SideKey(row) + "=08,Icon\r\n";
      edit += key + "a=<b>\r\n" + key + "b=</b>\r\n";
    }
    file += edit;
  }
  return file;
}

struct Timing {
  std::size_t items = 0;
  double loadNs = 0;
  double clearNs = 0;
};

Timing Measure(int pages, int rows, int repeats) {
  const Bytes contents = MakeDataFile(pages, rows);
  Timing timing;
  using Clock = std::chrono::steady_clock;
  for (int i = 0; i < repeats; ++i) {
    const auto start = Clock::now();
    quiltor::DataPagesResult result = quiltor::BuildDataPages(contents);
    const auto built = Clock::now();
    timing.items = quiltor::CountItems(result.pages);
    if (!result.error.Ok() || result.pages.empty()) {
      std::printf("load failed\n");
      return timing;
    }
    result.pages.clear();
    result.pages.shrink_to_fit();
    const auto cleared = Clock::now();
    timing.loadNs += std::chrono::duration<double, std::nano>(built - start).count();
    timing.clearNs += std::chrono::duration<double, std::nano>(cleared - built).count();
  }
  timing.loadNs /= repeats;
  timing.clearNs /= repeats;
  return timing;
}

}  // namespace

int main(int argc, char** argv) {
  using quiltor::bench::Count;
  using quiltor::bench::Figure;
  // 10 pages x 50 rows and 100 pages x 50 rows: about 1 000 and 10 000 buttons.
  // "small" or "large" as argument runs one size alone (for perf stat).
  const std::string only = argc > 1 ? argv[1] : "";
  if (only == "small" || only == "large") {
    const Timing t = only == "small" ? Measure(10, 50, 100) : Measure(100, 50, 10);
    std::printf("%zu items, %.1f ns/item load\n", t.items, t.loadNs / static_cast<double>(t.items));
    return 0;
  }
  const Timing small = Measure(10, 50, Count(50, 2));
  const Timing large = Measure(100, 50, Count(5, 1));
  if (small.items == 0 || large.items == 0) return 1;
  auto perItem = [](const Timing& t, double ns) { return ns / static_cast<double>(t.items); };
  Figure("pages.load_per_item_1000", perItem(small, small.loadNs), "ns");
  Figure("pages.load_per_item_10000", perItem(large, large.loadNs), "ns");
  Figure("pages.clear_per_item_10000", perItem(large, large.clearNs), "ns");
  // About 1 means the time per item does not grow with the file.
  Figure("pages.load_per_item_large_to_small", perItem(large, large.loadNs) / perItem(small, small.loadNs), "x", "~1");
  Figure("pages.clear_per_item_large_to_small", perItem(large, large.clearNs) / perItem(small, small.clearNs), "x",
         "~1");
  return 0;
}
