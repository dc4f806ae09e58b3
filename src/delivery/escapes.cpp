#include "delivery/escapes.h"

namespace quiltor {

Bytes ExpandEscapes(const Bytes& text, const Bytes& lineEnd) {
  Bytes result;
  result.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      const char next = text[i + 1];
      bool matched = true;
      switch (next) {
        case '\\': result += '\\'; break;
        case 'n': result += lineEnd; break;
        case 't': result += '\t'; break;
        case 's': result += ' '; break;
        case 'Q': result += '"'; break;
        case 'q': result += '\''; break;
        default: matched = false; break;
      }
      if (matched) {
        i += 2;
        continue;
      }
    }
    result += text[i];
    ++i;
  }
  return result;
}

Bytes ExpandPlaceholder(const Bytes& pattern, const Bytes& placeholder, const Bytes& replacement) {
  if (placeholder.empty()) return pattern;
  Bytes result;
  std::size_t pos = 0;
  while (true) {
    const std::size_t percent = pattern.find("%%", pos);
    const std::size_t place = pattern.find(placeholder, pos);
    if (percent == Bytes::npos && place == Bytes::npos) {
      result.append(pattern, pos, Bytes::npos);
      return result;
    }
    if (percent != Bytes::npos && (place == Bytes::npos || percent <= place)) {
      result.append(pattern, pos, percent - pos);
      result += '%';
      pos = percent + 2;
    } else {
      result.append(pattern, pos, place - pos);
      result += replacement;
      pos = place + placeholder.size();
    }
  }
}

Bytes DoubleAmpersands(const Bytes& text) {
  Bytes result;
  result.reserve(text.size());
  for (char c : text) {
    result += c;
    if (c == '&') result += '&';
  }
  return result;
}

}  // namespace quiltor
