#pragma once
// A data file for the item-search benchmarks, CP932: `pages` pages of `rows`
// rows in the shape of the start benchmark's (text, script and module rows
// with side buttons, a menu of two entries and a separator in every ten),
// with Japanese and ASCII captions; and the queries a user types, one
// character after another.
#include <cstdio>
#include <string>
#include <vector>

namespace quiltor::bench {

// 定型文, カッコ「」, 大文字に, 見出し, メニュー, 項目, ページ
inline constexpr char kPhrase[] = "\x92\xe8\x8c\x5e\x95\xb6";
inline constexpr char kBrackets[] = "\x83\x4a\x83\x62\x83\x52\x81\x75\x81\x76";
inline constexpr char kUpper[] = "\x91\xe5\x95\xb6\x8e\x9a\x82\xc9";
inline constexpr char kHeading[] = "\x8c\xa9\x8f\x6f\x82\xb5";
inline constexpr char kMenu[] = "\x83\x81\x83\x6a\x83\x85\x81\x5b";
inline constexpr char kEntry[] = "\x8d\x80\x96\xda";
inline constexpr char kPage[] = "\x83\x79\x81\x5b\x83\x57";

inline std::string SearchDataFile(int pages, int rows) {
  char line[160];
  std::string out = "[Version]\r\nNo=170\r\n[Group]\r\nCount=" + std::to_string(pages) + "\r\nTitle=search\r\n";
  for (int p = 0; p < pages; ++p) {
    std::snprintf(line, sizeof line, "[Menu%02d]\r\nTitle=%s%d\r\nCount=%d\r\n", p, kPage, p, rows);
    out += line;
    for (int r = 0; r < rows; ++r) {
      const int kind = r % 10;
      if (kind == 9) {
        std::snprintf(line, sizeof line, "M%02d=-\r\n", r);
      } else if (kind == 8) {
        std::snprintf(line, sizeof line, "M%02d=13,02,%s %d\r\nM%02d00=00,%sA %d-%d\r\nM%02d01=00,%sB %d-%d\r\n", r,
                      kMenu, r, r, kEntry, p, r, r, kEntry, p, r);
      } else {
        const char* caption = kind < 4 ? kPhrase : kind == 4 ? kBrackets : kind == 5 ? kUpper : kind == 6 ? "Bold"
                                                                                                           : kHeading;
        const int type = kind == 5 ? 8 : 0;
        std::snprintf(line, sizeof line, "M%02d=%02d,%s%s %d-%d\r\nS%02d=%02d,side\r\n", r, type, caption,
                      kind == 7 ? " h2" : "", p, r, r, 7 + kind % 6);
      }
      out += line;
    }
    std::snprintf(line, sizeof line, "[Edit%02d]\r\n", p);
    out += line;
    for (int r = 0; r < rows; ++r) {
      std::snprintf(line, sizeof line, "M%02da=text %d %d\\n<p>\r\nM%02db=</p>\r\n", r, p, r, r);
      out += line;
    }
  }
  return out;
}

// What the user types, as UTF-16 (the window gets it so) and, for the
// native filter, as the CP932 query after each character.
struct TypedQuery {
  const char* name;
  std::wstring typed;
  std::vector<std::string> prefixes;
};

inline std::vector<TypedQuery> SearchQueries() {
  return {
      {"bold 42", L"bold 42", {"b", "bo", "bol", "bold", "bold ", "bold 4", "bold 42"}},
      // かっこ 7: kana as the IME hands them over, then a blank and a digit.
      {"kakko 7", L"\u304b\u3063\u3053 7",
       {"\x82\xa9", "\x82\xa9\x82\xc1", "\x82\xa9\x82\xc1\x82\xb1", "\x82\xa9\x82\xc1\x82\xb1 ",
        "\x82\xa9\x82\xc1\x82\xb1 7"}},
  };
}

}  // namespace quiltor::bench
