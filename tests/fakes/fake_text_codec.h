#pragma once
// Code page 932 and UTF-16LE through the C library's iconv, as the system's
// conversion functions would convert them.
#include <iconv.h>

#include <string>
#include <string_view>

#include "platform/text_codec.h"

namespace quiltor::fakes {

class IconvTextCodec : public TextCodec {
 public:
  Converted Utf16ToAnsi(std::string_view utf16le) override { return Convert("CP932", "UTF-16LE", utf16le); }
  Converted AnsiToUtf16(std::string_view ansi) override { return Convert("UTF-16LE", "CP932", ansi); }
  // CP932 bytes of UTF-8 source text, so a test writes its Japanese as it reads.
  static std::string Cp932(std::string_view utf8) { return Convert("CP932", "UTF-8", utf8).text; }

 private:
  static Converted Convert(const char* to, const char* from, std::string_view input) {
    Converted out;
    iconv_t cd = iconv_open(to, from);
    std::string in(input);
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    std::string buffer(in.size() * 4 + 16, '\0');
    char* outPtr = buffer.data();
    std::size_t outLeft = buffer.size();
    while (inLeft > 0) {
      if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1)) break;
      // A character the other side lacks becomes "?", as the system does.
      out.lossless = false;
      *outPtr++ = '?';
      --outLeft;
      if (std::string_view(to) == "UTF-16LE") *outPtr++ = '\0', --outLeft;
      const std::size_t skip = std::string_view(from) == "UTF-16LE" ? 2 : 1;
      inPtr += skip < inLeft ? skip : inLeft;
      inLeft -= skip < inLeft ? skip : inLeft;
    }
    iconv_close(cd);
    out.text.assign(buffer.data(), static_cast<std::size_t>(outPtr - buffer.data()));
    return out;
  }
};

// The conversions the system makes between code page 932 and the UTF-16 of
// the clipboard and of Unicode editors ("?" for a character the other side
// lacks, and `lossless` false).
inline std::u16string Utf16Of(std::string_view cp932) {
  const std::string bytes = IconvTextCodec().AnsiToUtf16(cp932).text;
  std::u16string units(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  }
  return units;
}

inline Converted Cp932Of(std::u16string_view units) {
  std::string bytes;
  for (char16_t unit : units) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return IconvTextCodec().Utf16ToAnsi(bytes);
}

}  // namespace quiltor::fakes
