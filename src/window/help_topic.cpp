#include "window/help_topic.h"

namespace quiltor {
namespace {

bool KeptInAddress(unsigned char c) {
  if (c >= 0x80 || c <= 0x20) return false;
  return c != '#' && c != '%' && c != '?' && c != '"' && c != '<' && c != '>' && c != '&' && c != '\'';
}

}  // namespace

std::string HelpTopicAddress(std::string_view utf8Path, int context) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string address = "file:///";
  for (const char ch : utf8Path) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '\\') {
      address += '/';
    } else if (KeptInAddress(c)) {
      address += ch;
    } else {
      address += '%';
      address += kHex[c >> 4];
      address += kHex[c & 0xF];
    }
  }
  return address + "#help-" + std::to_string(context);
}

std::string HelpRedirectPage(std::string_view address) {
  // The address carries no character HTML would read otherwise ('"', '<',
  // '&' are percent-encoded), so it goes in as it is.
  const std::string to(address);
  return "<!DOCTYPE html>\r\n<html><head><meta charset=\"utf-8\">\r\n"
         "<meta http-equiv=\"refresh\" content=\"0; url=" + to + "\">\r\n"
         "<script>location.replace(\"" + to + "\");</script>\r\n"
         "<title>Quiltor</title></head>\r\n"
         "<body><p><a href=\"" + to + "\">" + to + "</a></p></body></html>\r\n";
}

}  // namespace quiltor
