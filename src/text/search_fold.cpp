#include "text/search_fold.h"

#include "text/cp932.h"

namespace quiltor {
namespace {

enum class CharClass : std::uint8_t { kNone, kBlank, kSign, kLower, kUpper, kDigit, kHiragana, kKatakana, kKanji, kOther };

constexpr char16_t kLongVowel = 0x815B;     // ー
constexpr char16_t kVoicedMark = 0x814A;    // ゛
constexpr char16_t kSemiVoicedMark = 0x814B;  // ゜

// Half-width katakana and signs 0xA1..0xDF as their full-width characters.
constexpr char16_t kHalfWidthKana[] = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342, 0x8344, 0x8346, 0x8348,  // ｡..ｫ
    0x8383, 0x8385, 0x8387, 0x8362, 0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349,          // ｬ..ｵ
    0x834A, 0x834C, 0x834E, 0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C,          // ｶ..ｿ
    0x835E, 0x8360, 0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C, 0x836D,          // ﾀ..ﾉ
    0x836E, 0x8371, 0x8374, 0x8377, 0x837A, 0x837D, 0x837E, 0x8380, 0x8381, 0x8382,          // ﾊ..ﾓ
    0x8384, 0x8386, 0x8388, 0x8389, 0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8393,          // ﾔ..ﾝ
    0x814A, 0x814B,                                                                          // ﾞ ﾟ
};

// Full-width signs with an ASCII twin (the letters and digits are ranges).
struct SignPair {
  char16_t wide;
  char narrow;
};
constexpr SignPair kWideSigns[] = {
    {0x8140, ' '}, {0x8143, ','}, {0x8144, '.'}, {0x8146, ':'}, {0x8147, ';'}, {0x8148, '?'}, {0x8149, '!'},
    {0x814D, '`'}, {0x814F, '^'}, {0x8151, '_'}, {0x815E, '/'}, {0x815F, '\\'}, {0x8160, '~'}, {0x8162, '|'},
    {0x8169, '('}, {0x816A, ')'}, {0x816D, '['}, {0x816E, ']'}, {0x816F, '{'}, {0x8170, '}'}, {0x817B, '+'},
    {0x817C, '-'}, {0x8181, '='}, {0x8183, '<'}, {0x8184, '>'}, {0x8190, '$'}, {0x8193, '%'}, {0x8194, '#'},
    {0x8195, '&'}, {0x8196, '*'}, {0x8197, '@'}, {0xEEFB, '\''}, {0xEEFC, '"'}, {0xFA56, '\''}, {0xFA57, '"'},
};

// The character as its common width: half-width kana full, full-width ASCII narrow.
char16_t Widen(char16_t unit) {
  if (unit >= 0xA1 && unit <= 0xDF) return kHalfWidthKana[unit - 0xA1];
  if (unit < 0x100) return unit;
  if (unit >= 0x824F && unit <= 0x8258) return static_cast<char16_t>(u'0' + (unit - 0x824F));
  if (unit >= 0x8260 && unit <= 0x8279) return static_cast<char16_t>(u'A' + (unit - 0x8260));
  if (unit >= 0x8281 && unit <= 0x829A) return static_cast<char16_t>(u'a' + (unit - 0x8281));
  for (const SignPair& pair : kWideSigns) {
    if (pair.wide == unit) return static_cast<char16_t>(pair.narrow);
  }
  return unit;
}

CharClass ClassOf(char16_t unit) {
  if (unit < 0x100) {
    if (unit <= 0x20 || unit == 0x7F) return CharClass::kBlank;
    if (unit >= u'0' && unit <= u'9') return CharClass::kDigit;
    if (unit >= u'A' && unit <= u'Z') return CharClass::kUpper;
    if (unit >= u'a' && unit <= u'z') return CharClass::kLower;
    return CharClass::kSign;
  }
  const unsigned lead = unit >> 8;
  const unsigned trail = unit & 0xFF;
  switch (lead) {
    case 0x81:
      if (unit == 0x8158) return CharClass::kKanji;                       // 々
      if (unit >= 0x8152 && unit <= 0x8153) return CharClass::kKatakana;  // ヽヾ
      if (unit >= 0x8154 && unit <= 0x8155) return CharClass::kHiragana;  // ゝゞ
      return CharClass::kSign;
    case 0x82:
      return trail >= 0x9F && trail <= 0xF1 ? CharClass::kHiragana : CharClass::kSign;
    case 0x83:
      if (trail >= 0x40 && trail <= 0x96) return CharClass::kKatakana;
      if (trail >= 0x9F && trail <= 0xB6) return CharClass::kUpper;  // Greek
      if (trail >= 0xBF && trail <= 0xD6) return CharClass::kLower;
      return CharClass::kSign;
    case 0x84:
      if (trail >= 0x40 && trail <= 0x60) return CharClass::kUpper;  // Cyrillic
      if (trail >= 0x70 && trail <= 0x91) return CharClass::kLower;
      return CharClass::kSign;  // box drawing
    default:
      break;
  }
  if ((lead >= 0x88 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xEF) || lead >= 0xFA) return CharClass::kKanji;
  return CharClass::kOther;  // NEC signs (①, ㍉), user-defined characters
}

bool Alphanumeric(CharClass c) {
  return c == CharClass::kLower || c == CharClass::kUpper || c == CharClass::kDigit || c == CharClass::kOther;
}

bool StartsWord(CharClass previous, CharClass current) {
  if (current == CharClass::kBlank) return false;
  if (previous == CharClass::kNone || previous == CharClass::kBlank) return true;
  if (current == CharClass::kSign) return false;
  if (previous == CharClass::kSign) return true;
  if (previous == CharClass::kLower && current == CharClass::kUpper) return true;
  if (Alphanumeric(previous) && Alphanumeric(current)) return false;
  if (current == CharClass::kHiragana && (previous == CharClass::kKanji || previous == CharClass::kKatakana)) {
    return false;
  }
  return previous != current;
}

// Case, kana and size folding of a widened character.
char16_t FoldUnit(char16_t unit, CharClass cls) {
  if (cls == CharClass::kBlank) return kFoldedBlank;
  if (unit < 0x100) return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit - u'A' + u'a') : unit;
  const unsigned lead = unit >> 8;
  unsigned trail = unit & 0xFF;
  if (lead == 0x82 && trail >= 0x9F && trail <= 0xF1) {
    // ぁ..ん to ァ..ン: the katakana row skips the trail byte 0x7F.
    trail = 0x40 + (trail - 0x9F);
    if (trail >= 0x7F) ++trail;
    unit = static_cast<char16_t>(0x8300 | trail);
  } else if (lead == 0x83 && trail >= 0x9F && trail <= 0xB6) {
    return static_cast<char16_t>(unit + 0x20);  // Greek capitals
  } else if (lead == 0x84 && trail >= 0x40 && trail <= 0x60) {
    unsigned lower = 0x70 + (trail - 0x40);  // Cyrillic capitals; the small row skips 0x7F
    if (lower >= 0x7F) ++lower;
    return static_cast<char16_t>(0x8400 | lower);
  }
  switch (unit) {
    case 0x8340: case 0x8342: case 0x8344: case 0x8346: case 0x8348:  // ァィゥェォ
    case 0x8362:                                                       // ッ
    case 0x8383: case 0x8385: case 0x8387:                             // ャュョ
    case 0x838E:                                                       // ヮ
      return static_cast<char16_t>(unit + 1);
    case 0x8395: return 0x834A;  // ヵ
    case 0x8396: return 0x8350;  // ヶ
    default: return unit;
  }
}

// The folded kana a voiced (or semi-voiced) mark turns `base` into; 0 when none.
char16_t Voiced(char16_t base, bool semi) {
  if (base >= 0x836E && base <= 0x837A && (base - 0x836E) % 3 == 0) {
    return static_cast<char16_t>(base + (semi ? 2 : 1));  // ハヒフヘホ
  }
  if (semi) return 0;
  if (base == 0x8345) return 0x8394;  // ウ
  if (base >= 0x834A && base <= 0x8360 && (base - 0x834A) % 2 == 0) return static_cast<char16_t>(base + 1);
  if (base == 0x8363 || base == 0x8365 || base == 0x8367) return static_cast<char16_t>(base + 1);  // ツテト
  return 0;
}

}  // namespace

void AppendFolded(std::string_view text, FoldedText& out) {
  const std::size_t begin = out.units.size();
  CharClass previous = CharClass::kNone;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t length = CharacterLength(text, pos);
    const auto first = static_cast<unsigned char>(text[pos]);
    char16_t unit = length == 2 ? static_cast<char16_t>(first << 8 | static_cast<unsigned char>(text[pos + 1])) : first;
    pos += length;
    unit = Widen(unit);
    if (unit == kLongVowel) continue;  // the word goes on as if it were not there
    if ((unit == kVoicedMark || unit == kSemiVoicedMark) && out.units.size() > begin) {
      if (const char16_t voiced = Voiced(out.units.back(), unit == kSemiVoicedMark)) {
        out.units.back() = voiced;
        continue;
      }
    }
    const CharClass cls = ClassOf(unit);
    out.wordStarts.push_back(StartsWord(previous, cls) ? 1 : 0);
    out.units.push_back(FoldUnit(unit, cls));
    previous = cls;
  }
}

FoldedText FoldForSearch(std::string_view text) {
  FoldedText folded;
  AppendFolded(text, folded);
  return folded;
}

std::vector<std::u16string> FoldedWords(std::string_view query) {
  const FoldedText folded = FoldForSearch(query);
  std::vector<std::u16string> words;
  std::u16string word;
  for (const char16_t unit : folded.units) {
    if (unit == kFoldedBlank) {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
    } else {
      word.push_back(unit);
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

}  // namespace quiltor
