#pragma once
// Takes snapshots of the clipboard on a worker thread, so that a format
// whose owner renders it slowly (or never) cannot hold up the tool: asking
// makes a format whose owner delayed it render now, which can take seconds.
// The taker stops waiting for a format after `formatMs` and for the whole
// snapshot after `snapshotMs` and lists what it did not get. A worker left
// inside a rendering still has the clipboard open: the next call waits up to
// `abandonedWaitMs` for it to let go.
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/clipboard.h"
#include "platform/clipboard_reader.h"

namespace quiltor {

class SnapshotTaker {
 public:
  struct Limits {
    std::uint32_t formatMs = 500;
    std::uint32_t snapshotMs = 1500;
    std::uint32_t abandonedWaitMs = 2000;
  };

  // The worker thread starts with the first snapshot (under load, starting a
  // thread costs more than the snapshot itself) and shares `reader`, which
  // it may still use after the taker has gone, while a rendering returns.
  SnapshotTaker(std::shared_ptr<ClipboardReader> reader, Limits limits);
  ~SnapshotTaker();
  SnapshotTaker(const SnapshotTaker&) = delete;
  SnapshotTaker& operator=(const SnapshotTaker&) = delete;

  // nullopt: the clipboard could not be opened, or an earlier worker still
  // holds it open.
  std::optional<ClipboardSnapshot> Take();
  // Every other clipboard call comes here first: when a worker was left
  // inside a rendering, waits for it to let go (once per stuck worker, not
  // once per call). False while it still holds the clipboard.
  bool SettleAbandoned();

  struct Job;
  struct Worker;

 private:
  std::shared_ptr<ClipboardReader> reader_;
  Limits limits_;
  std::shared_ptr<Worker> worker_;
  std::shared_ptr<Job> abandoned_;
  bool abandonedWaited_ = false;
};

}  // namespace quiltor
