#pragma once
#include <cstdint>
#include <memory>

#include "delivery/snapshot_taker.h"
#include "platform/clipboard.h"

namespace quiltor {

class ClipboardOwner;

// The system clipboard. Every call opens it once and closes it again; a
// clipboard another program holds for more than a moment is reported to the
// caller, who decides whether to try again.
//
// Everything the tool puts there goes in through its owner window
// (ClipboardOwner), which is how HoldsOwnContent() and PasteTextRead() know
// what happened to it. Snapshots are taken on a worker thread with time
// limits (SnapshotTaker), and every other call first waits for a worker
// left inside a slow rendering to let the clipboard go.
class Win32Clipboard : public Clipboard {
 public:
  static constexpr SnapshotTaker::Limits kSnapshotLimits{500, 1500, 2000};

  Win32Clipboard();
  ~Win32Clipboard() override;
  Win32Clipboard(const Win32Clipboard&) = delete;
  Win32Clipboard& operator=(const Win32Clipboard&) = delete;
  bool HasText() override;
  std::optional<ClipboardText> GetText() override;
  bool PutForPaste(const PasteText& text, std::uint32_t reader) override;
  PutResult PutForPasteIfUnchanged(const PasteText& text, std::uint32_t reader, std::uint32_t sequence) override;
  PasteRead PasteTextRead() override;
  bool Empty() override;
  bool IsHeldOpen() override;
  std::optional<ClipboardSnapshot> Snapshot() override;
  RestoreOutcome Restore(const ClipboardSnapshot& snapshot) override;
  std::uint32_t SequenceNumber() override;
  std::uint32_t OwnerProcess() override;
  bool HoldsOwnContent() override;

 private:
  // Opens the clipboard through the owner window (or without a window when
  // the owner could not be made) and empties it, making the tool its owner.
  class OwnedSession;
  // Announces (or puts) the text for one paste into the emptied, open clipboard.
  bool FillPasteText(const PasteText& text, std::uint32_t reader);

  std::unique_ptr<ClipboardOwner> owner_;
  SnapshotTaker snapshots_;
  // Without an owner window, the sequence number after the tool's last write.
  std::uint32_t ownSequence_ = 0;
};

}  // namespace quiltor
