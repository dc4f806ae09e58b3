// Listing data files for the selection dialog: 100 and 1 000 files of about
// 50 KB spread over 20 subfolders. Prints the time per listed file at both
// sizes (it should not grow with the count) and, for the same files in the
// same run, the titles read with GetPrivateProfileStringA. Prints figures,
// asserts nothing.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "data/data_listing.h"
#include "figures.h"
#include "platform/win32/files.h"
#include "text/cp932.h"

namespace {

using quiltor::Bytes;

constexpr int kSubfolders = 20;
constexpr std::size_t kFileBytes = 50000;

double Now() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// A data file as the companion writes it: header first, then pages.
Bytes DataFile(int number) {
  Bytes text = "[Version]\r\nNo=170\r\n[Group]\r\nCount=10\r\nTitle=Data " + std::to_string(number) + "\r\n";
  for (int page = 0; text.size() < kFileBytes; ++page) {
    text += "[Menu" + std::to_string(page) + "]\r\nTitle=Page\r\nCount=20\r\n";
    for (int row = 0; row < 20; ++row) text += "M" + std::to_string(row) + "=00,Item with a caption\r\n";
    text += "[Edit" + std::to_string(page) + "]\r\n";
    for (int row = 0; row < 20; ++row) text += "M" + std::to_string(row) + "a=<p class=\"text\">some text</p>\r\n";
  }
  return text;
}

// A program folder with `count` data files, all in its 20 subfolders.
Bytes MakeTree(quiltor::Win32FileSystem& files, const Bytes& root, int count) {
  CreateDirectoryA(root.c_str(), nullptr);
  for (int sub = 0; sub < kSubfolders; ++sub) {
    CreateDirectoryA(quiltor::JoinPath(root, "sub" + std::to_string(sub)).c_str(), nullptr);
  }
  for (int i = 0; i < count; ++i) {
    const Bytes path = quiltor::JoinPath(root, "sub" + std::to_string(i % kSubfolders) + "\\f" + std::to_string(i) + ".edt");
    if (!files.ReplaceAll(path, DataFile(i))) std::printf("bench_listing: cannot write %s\n", path.c_str());
  }
  return quiltor::JoinPath(root, "");
}

void RemoveTree(const Bytes& root) {
  for (int sub = 0; sub < kSubfolders; ++sub) {
    const Bytes folder = quiltor::JoinPath(root, "sub" + std::to_string(sub));
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(quiltor::JoinPath(folder, "*.edt").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        DeleteFileA(quiltor::JoinPath(folder, found.cFileName).c_str());
      } while (FindNextFileA(search, &found));
      FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
  }
  RemoveDirectoryA(root.c_str());
}

struct Timing {
  double listing = 0;  // seconds per listed file, best of the rounds
  double profile = 0;  // GetPrivateProfileStringA per file, best of the rounds
  std::size_t rows = 0;
};

Timing Measure(quiltor::Win32FileSystem& files, const Bytes& folder, int rounds) {
  Timing timing{1e9, 1e9, 0};
  for (int round = 0; round < rounds; ++round) {
    double start = Now();
    const quiltor::DataFileListing listing = quiltor::ListDataFiles(files, folder, "");
    const double listed = Now() - start;
    timing.rows = listing.rows.size();
    if (timing.rows == 0) return timing;

    start = Now();
    char title[2048];
    std::size_t same = 0;
    for (const quiltor::DataFileRow& row : listing.rows) {
      const Bytes path = quiltor::JoinPath(folder, row.path);
      GetPrivateProfileStringA("Group", "Title", "", title, sizeof title, path.c_str());
      same += row.title == title ? 1 : 0;
    }
    const double profiled = Now() - start;
    if (same != listing.rows.size()) std::printf("  titles differ from GetPrivateProfileStringA: %zu of %zu\n",
                                                 listing.rows.size() - same, listing.rows.size());
    timing.listing = std::min(timing.listing, listed / static_cast<double>(timing.rows));
    timing.profile = std::min(timing.profile, profiled / static_cast<double>(timing.rows));
  }
  return timing;
}

}  // namespace

int main() {
  using quiltor::bench::Count;
  using quiltor::bench::Figure;
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  quiltor::Win32FileSystem files;
  const int fewCount = Count(100, 20), manyCount = Count(1000, 100);
  const Bytes small = MakeTree(files, Bytes(temp) + "quiltor-bench-listing-few", fewCount);
  const Bytes large = MakeTree(files, Bytes(temp) + "quiltor-bench-listing-many", manyCount);
  std::printf("data files of %zu bytes in %d subfolders; %d and %d files\n", DataFile(0).size(), kSubfolders,
              fewCount, manyCount);

  const Timing few = Measure(files, small, Count(9, 1));
  const Timing many = Measure(files, large, Count(5, 1));
  RemoveTree(small);
  RemoveTree(large);
  if (few.rows == 0 || many.rows == 0) return 1;
  Figure("listing.per_file_few", few.listing * 1e6, "us");
  Figure("listing.per_file_many", many.listing * 1e6, "us");
  Figure("listing.system_titles_per_file_many", many.profile * 1e6, "us");
  // About 1: the time per file does not grow with the count.
  Figure("listing.per_file_many_to_few", many.listing / few.listing, "x", "~1");
  Figure("listing.system_to_listing_many", many.profile / many.listing, "x");
  return 0;
}
