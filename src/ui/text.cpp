#include "ui/text.h"

#include <windows.h>

namespace quiltor {

namespace {
std::wstring Widen(UINT codePage, std::string_view bytes) {
  if (bytes.empty()) return {};
  int length = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
  return text;
}

std::string Narrow(UINT codePage, std::wstring_view text) {
  if (text.empty()) return {};
  int length = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
  if (length <= 0) return {};
  std::string bytes(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length,
                      nullptr, nullptr);
  return bytes;
}
}  // namespace

std::wstring FromAnsi(std::string_view bytes) { return Widen(CP_ACP, bytes); }
Bytes ToAnsi(std::wstring_view text) { return Narrow(CP_ACP, text); }
std::string ToUtf8(std::wstring_view text) { return Narrow(CP_UTF8, text); }

}  // namespace quiltor
