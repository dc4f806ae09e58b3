#pragma once
// The clipboard's raw reading operations, as the snapshot worker calls them
// from a thread of its own.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/clipboard.h"

namespace quiltor {

class ClipboardReader {
 public:
  virtual ~ClipboardReader() = default;
  // Opens the clipboard for the calling thread; false while another program
  // holds it (after waiting out a short hold).
  virtual bool Open() = 0;
  virtual void Close() = 0;
  // While open: every format, in the clipboard's own order.
  virtual std::vector<std::uint32_t> ListFormats() = 0;
  // While open: the bytes of one format; nullopt when its handle could not
  // be had or read. Makes a delaying owner render it, which can take long.
  virtual std::optional<std::string> CopyFormat(std::uint32_t format) = 0;
  // The number, and the name of a registered format.
  virtual ClipboardFormatName NameOf(std::uint32_t format) = 0;
};

}  // namespace quiltor
