#pragma once
// The one conversion between the code page 932 bytes the tool keeps (files,
// shared memory, WM_COPYDATA, settings) and the UTF-16 of the W functions,
// for the platform layer and the user interface alike. Always code page 932,
// whatever language the machine is set to: the machine's own code page never
// touches a text of the tool.
#include <optional>
#include <string>
#include <string_view>

#include "platform/text_codec.h"
#include "platform/types.h"

namespace quiltor {

inline constexpr unsigned kToolCodePage = 932;

// For showing a text: bytes that are no character of the code page come out
// as the code page's default character.
std::wstring FromAnsi(std::string_view bytes);
// nullopt when the bytes are not all characters of the code page, so that a
// path is never opened under another name than the one it was given.
std::optional<std::wstring> FromAnsiExact(std::string_view bytes);
// nullopt when a character has no form in the code page: no "best fit"
// (é to e), no "?". The caller refuses what it was given and says so.
std::optional<Bytes> ToAnsiExact(std::wstring_view text);
// A text only shown (another program's window title): a character the code
// page lacks becomes "?".
Bytes ToAnsiForDisplay(std::wstring_view text);
// A path Windows gave the tool, as bytes: the path itself when it has a form
// in the code page, else its short (8.3) form when that has one; nullopt
// when neither has.
std::optional<Bytes> PathToAnsi(const std::wstring& path);
// UTF-8, for the test helpers' output lines.
std::string ToUtf8(std::wstring_view text);

// The TextCodec interface of the core over the same conversions.
class Win32TextCodec : public TextCodec {
 public:
  Converted Utf16ToAnsi(std::string_view utf16le) override;
  Converted AnsiToUtf16(std::string_view ansi) override;
};

}  // namespace quiltor
