#pragma once
#include <cstdint>
#include <memory>

#include "platform/clipboard.h"

namespace quiltor {

// The system clipboard. Every call opens it once and closes it again; a
// clipboard another program holds for more than a moment is reported to the
// caller, who decides whether to try again.
//
// Everything the tool puts there goes in through a window of its own on a
// thread of its own, the owner. Its WM_DESTROYCLIPBOARD tells when another
// program replaced the content, which is how HoldsOwnContent() knows, and it
// renders a text for one paste on demand, so PasteTextRead() can tell which
// process asked for it; a reader gets the text at once even while the tool's
// own thread sleeps in a delivery's waits.
//
// A snapshot asks for the formats on a worker thread of its own. Asking makes a format
// whose owner delayed it render now, which can take seconds; the tool stops
// waiting for a format after kFormatLimitMs and for the whole snapshot after
// kSnapshotLimitMs and lists what it did not get. A worker left inside a
// rendering still has the clipboard open: the next call waits up to
// kAbandonedWaitMs for it to let go.
class Win32Clipboard : public Clipboard {
 public:
  static constexpr std::uint32_t kFormatLimitMs = 500;
  static constexpr std::uint32_t kSnapshotLimitMs = 1500;
  static constexpr std::uint32_t kAbandonedWaitMs = 2000;

  Win32Clipboard();
  ~Win32Clipboard() override;
  Win32Clipboard(const Win32Clipboard&) = delete;
  Win32Clipboard& operator=(const Win32Clipboard&) = delete;
  bool HasText() override;
  std::optional<Bytes> GetText() override;
  bool PutForPaste(const Bytes& text, std::uint32_t reader) override;
  PutResult PutForPasteIfUnchanged(const Bytes& text, std::uint32_t reader, std::uint32_t sequence) override;
  PasteRead PasteTextRead() override;
  bool Empty() override;
  bool IsHeldOpen() override;
  std::optional<ClipboardSnapshot> Snapshot() override;
  RestoreOutcome Restore(const ClipboardSnapshot& snapshot) override;
  std::uint32_t SequenceNumber() override;
  std::uint32_t OwnerProcess() override;
  bool HoldsOwnContent() override;

  struct Owner;
  struct SnapshotJob;
  struct SnapshotWorker;

 private:
  // Opens the clipboard through the owner window (or without a window when
  // the owner could not be made) and empties it, making the tool its owner.
  class OwnedSession;
  void SettleAbandoned();
  void NoteOwnContent();
  // Announces (or puts) the text for one paste into the emptied, open clipboard.
  bool FillPasteText(const Bytes& text, std::uint32_t reader);

  std::unique_ptr<Owner> owner_;
  std::shared_ptr<SnapshotWorker> worker_;
  std::shared_ptr<SnapshotJob> abandoned_;
  bool abandonedWaited_ = false;
  // Without an owner window, the sequence number after the tool's last write.
  std::uint32_t ownSequence_ = 0;
};

}  // namespace quiltor
