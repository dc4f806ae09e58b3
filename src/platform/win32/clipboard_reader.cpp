#include "platform/win32/clipboard_reader.h"

#include "platform/win32/clipboard_data.h"

namespace quiltor {

bool Win32ClipboardReader::Open() {
  session_.emplace(nullptr, kClipboardOpenRetryMs);
  if (session_->IsOpen()) return true;
  session_.reset();
  return false;
}

void Win32ClipboardReader::Close() { session_.reset(); }

std::vector<std::uint32_t> Win32ClipboardReader::ListFormats() {
  std::vector<std::uint32_t> listed;
  for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) listed.push_back(format);
  return listed;
}

std::optional<std::string> Win32ClipboardReader::CopyFormat(std::uint32_t format) {
  return CopyClipboardFormat(format);
}

ClipboardFormatName Win32ClipboardReader::NameOf(std::uint32_t format) { return ClipboardFormatNameOf(format); }

}  // namespace quiltor
