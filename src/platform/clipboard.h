#pragma once
// The system clipboard as the delivery engine needs it. Texts are CF_TEXT bytes.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"

namespace quiltor {

// Every format the clipboard held at one moment, so that a delivery can give
// the user back images, file lists and rich text, not only the text.
struct ClipboardSnapshot {
  struct Format {
    std::uint32_t id = 0;
    std::string name;   // registered formats are restored by name
    std::string data;   // raw bytes of the global memory block
  };
  std::vector<Format> formats;
  bool Empty() const { return formats.empty(); }
};

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // False when another program holds the clipboard open.
  virtual bool HasText() = 0;
  // nullopt: the clipboard could not be opened; "" : it holds no text.
  virtual std::optional<Bytes> GetText() = 0;
  // Replaces the whole content with a text. `transient` marks the data so that
  // clipboard-history tools skip it (it is there only for one paste).
  virtual bool SetText(const Bytes& text, bool transient) = 0;
  virtual bool Empty() = 0;
  // GetOpenClipboardWindow() != null.
  virtual bool IsHeldOpen() = 0;
  virtual std::optional<ClipboardSnapshot> Snapshot() = 0;
  // Puts every format back; an empty snapshot leaves an empty clipboard.
  virtual bool Restore(const ClipboardSnapshot& snapshot) = 0;
  virtual std::uint32_t SequenceNumber() = 0;
  // Whether some program has read the text of the last SetText(text, true)
  // since it was put there. A clipboard that hands such a text over only on
  // demand can tell (true / false); one that cannot returns nullopt.
  virtual std::optional<bool> TransientTextTaken() { return std::nullopt; }
};

}  // namespace quiltor
