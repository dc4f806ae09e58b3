#include "platform/win32/text_codec.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace quiltor {
namespace {

struct Narrowed {
  Bytes text;
  bool lossless = true;
};

// Without best fit, so a character the code page lacks is counted as lost
// instead of being quietly replaced by a look-alike.
Narrowed Narrow(UINT codePage, std::wstring_view text) {
  Narrowed out;
  if (text.empty()) return out;
  const int count = static_cast<int>(text.size());
  const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* used = codePage == CP_UTF8 ? nullptr : &usedDefault;
  const int length = WideCharToMultiByte(codePage, flags, text.data(), count, nullptr, 0, nullptr, nullptr);
  if (length <= 0) {
    out.lossless = false;
    return out;
  }
  out.text.resize(static_cast<std::size_t>(length));
  if (WideCharToMultiByte(codePage, flags, text.data(), count, out.text.data(), length, nullptr, used) != length ||
      usedDefault) {
    out.lossless = false;
  }
  return out;
}

struct Widened {
  std::wstring text;
  bool lossless = true;
};

Widened Widen(std::string_view bytes) {
  Widened out;
  if (bytes.empty()) return out;
  const int count = static_cast<int>(bytes.size());
  const int exact = MultiByteToWideChar(kToolCodePage, MB_ERR_INVALID_CHARS, bytes.data(), count, nullptr, 0);
  if (exact > 0) {
    out.text.resize(static_cast<std::size_t>(exact));
    MultiByteToWideChar(kToolCodePage, MB_ERR_INVALID_CHARS, bytes.data(), count, out.text.data(), exact);
    return out;
  }
  out.lossless = false;
  const int loose = MultiByteToWideChar(kToolCodePage, 0, bytes.data(), count, nullptr, 0);
  if (loose <= 0) return out;
  out.text.resize(static_cast<std::size_t>(loose));
  MultiByteToWideChar(kToolCodePage, 0, bytes.data(), count, out.text.data(), loose);
  return out;
}

}  // namespace

std::wstring FromAnsi(std::string_view bytes) { return Widen(bytes).text; }

std::optional<std::wstring> FromAnsiExact(std::string_view bytes) {
  Widened wide = Widen(bytes);
  if (!wide.lossless) return std::nullopt;
  return std::move(wide.text);
}

std::optional<Bytes> ToAnsiExact(std::wstring_view text) {
  Narrowed narrow = Narrow(kToolCodePage, text);
  if (!narrow.lossless) return std::nullopt;
  return std::move(narrow.text);
}

Bytes ToAnsiForDisplay(std::wstring_view text) { return Narrow(kToolCodePage, text).text; }

std::optional<Bytes> PathToAnsi(const std::wstring& path) {
  if (std::optional<Bytes> exact = ToAnsiExact(path)) return exact;
  const DWORD length = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (length == 0) return std::nullopt;
  std::wstring shortPath(length, L'\0');
  const DWORD copied = GetShortPathNameW(path.c_str(), shortPath.data(), length);
  if (copied == 0 || copied >= length) return std::nullopt;
  shortPath.resize(copied);
  return ToAnsiExact(shortPath);
}

std::string ToUtf8(std::wstring_view text) { return Narrow(CP_UTF8, text).text; }

Converted Win32TextCodec::Utf16ToAnsi(std::string_view utf16le) {
  std::wstring wide(utf16le.size() / 2, L'\0');
  if (!wide.empty()) std::memcpy(wide.data(), utf16le.data(), wide.size() * 2);
  Narrowed narrow = Narrow(kToolCodePage, wide);
  return Converted{std::move(narrow.text), narrow.lossless && utf16le.size() % 2 == 0};
}

Converted Win32TextCodec::AnsiToUtf16(std::string_view ansi) {
  Widened wide = Widen(ansi);
  Converted out;
  out.lossless = wide.lossless;
  out.text.assign(reinterpret_cast<const char*>(wide.text.data()), wide.text.size() * 2);
  return out;
}

}  // namespace quiltor
