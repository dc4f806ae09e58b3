// Loading and clearing data pages at two sizes: the time per item must stay
// about the same when the file grows tenfold. Prints, asserts nothing.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "data/data_file.h"
#include "data/pages.h"

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
  // 10 pages x 50 rows and 100 pages x 50 rows: about 1 000 and 10 000 buttons.
  // "small" or "large" as argument runs one size alone (for perf stat).
  const std::string only = argc > 1 ? argv[1] : "";
  if (only == "small" || only == "large") {
    const Timing t = only == "small" ? Measure(10, 50, 100) : Measure(100, 50, 10);
    std::printf("%zu items, %.1f ns/item load\n", t.items, t.loadNs / t.items);
    return 0;
  }
  const Timing small = Measure(10, 50, 50);
  const Timing large = Measure(100, 50, 5);
  for (const Timing* t : {&small, &large}) {
    std::printf("%6zu items: load %8.1f us (%6.1f ns/item), clear %7.1f us (%5.1f ns/item)\n", t->items,
                t->loadNs / 1000, t->loadNs / t->items, t->clearNs / 1000, t->clearNs / t->items);
  }
  std::printf("per-item ratio large/small: load %.2f, clear %.2f (about 1 means linear)\n",
              (large.loadNs / large.items) / (small.loadNs / small.items),
              (large.clearNs / large.items) / (small.clearNs / small.items));
  return 0;
}
