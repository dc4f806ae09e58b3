#pragma once
// Conversions between the ANSI bytes the core keeps (code page 932 on a
// Japanese system) and the UTF-16 the W API shows. They happen only here, at
// the edge of the user interface.
#include <string>
#include <string_view>

#include "platform/types.h"

namespace quiltor {

std::wstring FromAnsi(std::string_view bytes);
Bytes ToAnsi(std::wstring_view text);
// UTF-8 for the test driver's output lines.
std::string ToUtf8(std::wstring_view text);

}  // namespace quiltor
