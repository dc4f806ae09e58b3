#pragma once
#include <memory>

#include "platform/clipboard.h"

namespace quiltor {

// The system clipboard. Every call opens it once and closes it again; a
// failed open is reported to the caller, who decides whether to try again.
//
// A transient text (one put there for a single paste) is handed over on
// demand: the clipboard announces CF_TEXT and renders it only when a program
// asks for it, so TransientTextTaken() can tell when the target has read it.
// The owner window for that runs on a thread of its own, started by the first
// such text.
class Win32Clipboard : public Clipboard {
 public:
  Win32Clipboard();
  ~Win32Clipboard() override;
  Win32Clipboard(const Win32Clipboard&) = delete;
  Win32Clipboard& operator=(const Win32Clipboard&) = delete;
  bool HasText() override;
  std::optional<Bytes> GetText() override;
  bool SetText(const Bytes& text, bool transient) override;
  bool Empty() override;
  bool IsHeldOpen() override;
  std::optional<ClipboardSnapshot> Snapshot() override;
  bool Restore(const ClipboardSnapshot& snapshot) override;
  std::uint32_t SequenceNumber() override;
  std::optional<bool> TransientTextTaken() override;

  struct OnDemand;

 private:
  bool PutOnDemand(const Bytes& text);
  std::unique_ptr<OnDemand> onDemand_;
};

}  // namespace quiltor
