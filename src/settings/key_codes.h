#pragma once
// Key codes of the cut, copy and paste keys. A key code XYY is a modifier set
// X - 1 (Ctrl 1, Shift 2, Alt 4) and a key number YY (0..25 A..Z, 26..34
// 1..9, 35 0, 36 Insert, 37 Delete, 38..49 F1..F12). A packed setting holds
// three of them: copy * 1 000 000 + cut * 1 000 + paste. This is the only
// codec of that format; the settings reader, the delivery engine and the
// settings dialogs all go through it.
#include <array>
#include <cstdint>
#include <string_view>

namespace quiltor {

inline constexpr int kModCtrl = 1;
inline constexpr int kModShift = 2;
inline constexpr int kModAlt = 4;
inline constexpr int kKeyNumberCount = 50;

// Ctrl+C / Ctrl+X / Ctrl+V ("標準１").
inline constexpr std::int32_t kDefaultCutPasteKey = 202223221;
// Ctrl+Insert / Shift+Delete / Shift+Insert ("標準２").
inline constexpr std::int32_t kInsertDeleteCutPasteKey = 236337336;

// X in 1..8 and YY in 0..49.
bool IsValidKeyCode(int code);
inline int KeyCodeModifiers(int code) { return code / 100 - 1; }
inline int KeyCodeNumber(int code) { return code % 100; }
inline int MakeKeyCode(int modifiers, int keyNumber) { return (modifiers + 1) * 100 + keyNumber; }

struct CutPasteCodes {
  int copy = 0;
  int cut = 0;
  int paste = 0;
  friend bool operator==(const CutPasteCodes&, const CutPasteCodes&) = default;
};
CutPasteCodes DecodeCutPasteKey(std::int32_t value);
std::int32_t EncodeCutPasteKey(const CutPasteCodes& codes);
// A packed value whose three codes are all valid.
bool IsValidCutPasteKey(std::int32_t value);
// The value itself when valid, else kDefaultCutPasteKey: what may index the
// delivery engine's key tables.
std::int32_t SanitizeCutPasteKey(std::int32_t value);

// The names the settings dialogs list for the key numbers, in order:
// "A".."Z", "1".."9", "0", "[INS]", "[DEL]", "[F1]".."[F12]".
std::string_view KeyNumberName(int keyNumber);

}  // namespace quiltor
