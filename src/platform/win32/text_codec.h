#pragma once
#include "platform/text_codec.h"

namespace quiltor {

// Code page 932 through MultiByteToWideChar / WideCharToMultiByte.
class Win32TextCodec : public TextCodec {
 public:
  Converted Utf16ToAnsi(std::string_view utf16le) override;
  Converted AnsiToUtf16(std::string_view ansi) override;
};

}  // namespace quiltor
