#pragma once
// A data-file-like profile file for the profile benchmarks: 50 pages of 100
// rows, each row with an item definition and two texts (about 1 MB, 15 000
// keys), and the 10 000 lookups a page load plus clicks would make.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace quiltor::bench {

inline constexpr int kPages = 50;
inline constexpr int kRows = 100;

inline std::string TwoDigits(int n) {
  char text[8];
  std::snprintf(text, sizeof text, "%.2d", n);
  return text;
}

inline std::string DataFileText() {
  std::string text = "[Version]\r\nNo=170\r\n[Group]\r\nCount=" + std::to_string(kPages) + "\r\nTitle=Bench\r\n";
  const std::string filler(34, 'x');
  for (int page = 0; page < kPages; ++page) {
    text += "[Menu" + TwoDigits(page) + "]\r\nCount=" + std::to_string(kRows) + "\r\nTitle=Page " +
            TwoDigits(page) + "\r\n";
    for (int row = 0; row < kRows; ++row) {
      text += "M" + TwoDigits(row) + "=0x01,\x83\x5c\x95\x5c item " + TwoDigits(row) + "\r\n";
    }
    text += "[Edit" + TwoDigits(page) + "]\r\n";
    for (int row = 0; row < kRows; ++row) {
      text += "M" + TwoDigits(row) + "a=<div class=\"" + filler + "\">\\s" + filler + "\r\n";
      text += "M" + TwoDigits(row) + "b=\\Q</div>\\q" + filler + filler + "\r\n";
    }
  }
  return text;
}

// (section, key) pairs: every item definition and text, 10 000 in all.
inline std::vector<std::pair<std::string, std::string>> Lookups() {
  std::vector<std::pair<std::string, std::string>> lookups;
  for (int page = 0; page < kPages && lookups.size() < 10000; ++page) {
    for (int row = 0; row < kRows && lookups.size() < 10000; ++row) {
      lookups.emplace_back("Menu" + TwoDigits(page), "M" + TwoDigits(row));
      lookups.emplace_back("Edit" + TwoDigits(page), "M" + TwoDigits(row) + "a");
    }
  }
  return lookups;
}

}  // namespace quiltor::bench
