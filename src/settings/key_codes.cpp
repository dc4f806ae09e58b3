#include "settings/key_codes.h"

namespace quiltor {
namespace {

constexpr std::array<std::string_view, kKeyNumberCount> kKeyNames = {
    "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "O", "P", "Q",
    "R", "S", "T", "U", "V", "W", "X", "Y", "Z", "1", "2", "3", "4", "5", "6", "7", "8",
    "9", "0", "[INS]", "[DEL]", "[F1]", "[F2]", "[F3]", "[F4]", "[F5]", "[F6]", "[F7]", "[F8]", "[F9]", "[F10]",
    "[F11]", "[F12]"};

}  // namespace

bool IsValidKeyCode(int code) {
  const int modifiers = KeyCodeModifiers(code);
  const int key = KeyCodeNumber(code);
  return code >= 100 && modifiers <= 7 && key < kKeyNumberCount;
}

CutPasteCodes DecodeCutPasteKey(std::int32_t value) {
  return {value / 1000000, value / 1000 % 1000, value % 1000};
}

std::int32_t EncodeCutPasteKey(const CutPasteCodes& codes) {
  return codes.copy * 1000000 + codes.cut * 1000 + codes.paste;
}

bool IsValidCutPasteKey(std::int32_t value) {
  if (value < 0) return false;
  const CutPasteCodes codes = DecodeCutPasteKey(value);
  return IsValidKeyCode(codes.copy) && IsValidKeyCode(codes.cut) && IsValidKeyCode(codes.paste);
}

std::int32_t SanitizeCutPasteKey(std::int32_t value) {
  return IsValidCutPasteKey(value) ? value : kDefaultCutPasteKey;
}

std::string_view KeyNumberName(int keyNumber) {
  if (keyNumber < 0 || keyNumber >= kKeyNumberCount) return {};
  return kKeyNames[static_cast<std::size_t>(keyNumber)];
}

}  // namespace quiltor
