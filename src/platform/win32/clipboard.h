#pragma once
#include "platform/clipboard.h"

namespace quiltor {

// The system clipboard. Every call opens it once and closes it again; a
// failed open is reported to the caller, who decides whether to try again.
class Win32Clipboard : public Clipboard {
 public:
  bool HasText() override;
  std::optional<Bytes> GetText() override;
  bool SetText(const Bytes& text, bool transient) override;
  bool Empty() override;
  bool IsHeldOpen() override;
  std::optional<ClipboardSnapshot> Snapshot() override;
  bool Restore(const ClipboardSnapshot& snapshot) override;
  std::uint32_t SequenceNumber() override;
};

}  // namespace quiltor
