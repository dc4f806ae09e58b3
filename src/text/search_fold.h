#pragma once
// Folding of CP932 text for finding items by typing: the forms a Japanese
// user takes for the same thing compare equal. Letters lose their case,
// full-width letters, digits and signs become ASCII, half-width katakana
// become full-width (a following half-width voiced mark joins its kana),
// hiragana become katakana, small kana become large, and the long vowel
// mark is dropped, so "ｶﾞｲﾄﾞ", "がいど" and "ガイド" fold alike and "サーバ"
// finds "サーバー".
//
// A folded text holds one 16-bit unit per character: a single byte as it
// is, a double-byte character as lead << 8 | trail. Units never start inside
// a character, so a search for a folded word finds characters, never the
// second byte of one and the first of the next.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quiltor {

struct FoldedText {
  std::u16string units;
  // One flag per unit: the character begins a word (the text's start, after
  // a blank or a sign, a change of script, a capital after a small letter).
  // Hiragana after kanji or katakana go on the word (送り仮名, particles).
  std::vector<std::uint8_t> wordStarts;
};

// Appends the folded form of `text` to `out`.
void AppendFolded(std::string_view text, FoldedText& out);
FoldedText FoldForSearch(std::string_view text);

// The words of what the user typed, each folded; blanks of either width
// (and line ends or tabs) separate them. Signs stay part of a word, so
// "<h2" is looked for as it is.
std::vector<std::u16string> FoldedWords(std::string_view query);

// The unit a blank folds to; never part of a word.
inline constexpr char16_t kFoldedBlank = u' ';

}  // namespace quiltor
