#pragma once
// Conversion between the ANSI code page (932) and UTF-16, for files a user
// saved as "Unicode" in an editor. Everything else the tool keeps stays in
// the ANSI code page.
#include <string>
#include <string_view>

#include "platform/types.h"

namespace quiltor {

struct Converted {
  std::string text;     // ANSI bytes, or UTF-16LE code units as bytes
  bool lossless = true;  // false when a character had no counterpart
};

class TextCodec {
 public:
  virtual ~TextCodec() = default;
  // `utf16le`: the UTF-16LE bytes of a text (no byte-order mark).
  virtual Converted Utf16ToAnsi(std::string_view utf16le) = 0;
  // The UTF-16LE bytes of an ANSI text.
  virtual Converted AnsiToUtf16(std::string_view ansi) = 0;
};

}  // namespace quiltor
