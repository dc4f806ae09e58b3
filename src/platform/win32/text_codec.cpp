#include "platform/win32/text_codec.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace quiltor {
namespace {
constexpr UINT kAnsiCodePage = 932;
}  // namespace

Converted Win32TextCodec::Utf16ToAnsi(std::string_view utf16le) {
  std::vector<wchar_t> wide(utf16le.size() / 2);
  if (!wide.empty()) std::memcpy(wide.data(), utf16le.data(), wide.size() * 2);
  Converted out;
  out.lossless = utf16le.size() % 2 == 0;
  if (wide.empty()) return out;
  BOOL usedDefault = FALSE;
  const int count = static_cast<int>(wide.size());
  const int length = WideCharToMultiByte(kAnsiCodePage, 0, wide.data(), count, nullptr, 0, nullptr, nullptr);
  if (length <= 0) {
    out.lossless = false;
    return out;
  }
  out.text.resize(static_cast<std::size_t>(length));
  WideCharToMultiByte(kAnsiCodePage, 0, wide.data(), count, out.text.data(), length, nullptr, &usedDefault);
  if (usedDefault) out.lossless = false;
  return out;
}

Converted Win32TextCodec::AnsiToUtf16(std::string_view ansi) {
  Converted out;
  if (ansi.empty()) return out;
  const int count = static_cast<int>(ansi.size());
  const int length = MultiByteToWideChar(kAnsiCodePage, MB_ERR_INVALID_CHARS, ansi.data(), count, nullptr, 0);
  std::vector<wchar_t> wide;
  if (length > 0) {
    wide.resize(static_cast<std::size_t>(length));
    MultiByteToWideChar(kAnsiCodePage, MB_ERR_INVALID_CHARS, ansi.data(), count, wide.data(), length);
  } else {
    // Bytes that are no characters of the code page: converted as well as may be.
    out.lossless = false;
    const int loose = MultiByteToWideChar(kAnsiCodePage, 0, ansi.data(), count, nullptr, 0);
    if (loose <= 0) return out;
    wide.resize(static_cast<std::size_t>(loose));
    MultiByteToWideChar(kAnsiCodePage, 0, ansi.data(), count, wide.data(), loose);
  }
  out.text.assign(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
  return out;
}

}  // namespace quiltor
