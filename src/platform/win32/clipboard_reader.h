#pragma once
#include <optional>

#include "platform/clipboard_reader.h"
#include "platform/win32/handles.h"

namespace quiltor {

// The system clipboard as the snapshot worker reads it: opened without a
// window by the worker's thread.
class Win32ClipboardReader : public ClipboardReader {
 public:
  bool Open() override;
  void Close() override;
  std::vector<std::uint32_t> ListFormats() override;
  std::optional<std::string> CopyFormat(std::uint32_t format) override;
  ClipboardFormatName NameOf(std::uint32_t format) override;

 private:
  std::optional<ClipboardSession> session_;
};

}  // namespace quiltor
