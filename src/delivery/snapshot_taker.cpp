#include "delivery/snapshot_taker.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "delivery/clipboard_formats.h"

namespace quiltor {
namespace {
using Clock = std::chrono::steady_clock;
}  // namespace

// One snapshot, made on the worker thread, which may outlive the wait for it.
struct SnapshotTaker::Job {
  std::mutex lock;
  // Told at every step of the worker, so the waiter sees its progress.
  std::condition_variable changed;
  // Guarded by `lock`: how far the worker is, what it has got so far (by
  // position in the clipboard's own order) and what it could not get.
  bool opened = false;
  bool finished = false;
  bool abandoned = false;
  std::vector<std::optional<ClipboardSnapshot::Format>> got;
  std::vector<ClipboardFormatName> notKept;
  std::vector<std::uint32_t> listed;  // every format, in the clipboard's own order
  std::vector<std::size_t> toAsk;     // positions into `listed`, in the order asked
  std::size_t asking = 0;             // index into toAsk of the format being asked
  Clock::time_point askedAt;

  // With `lock` held.
  void Finish() {
    finished = true;
    changed.notify_all();
  }

  void Run(ClipboardReader& reader) {
    if (!reader.Open()) {
      std::lock_guard<std::mutex> guard(lock);
      Finish();
      return;
    }
    const std::vector<std::uint32_t> formats = reader.ListFormats();
    SnapshotPlan plan = PlanSnapshot(formats);
    std::vector<ClipboardFormatName> notCopyable;
    for (std::uint32_t format : plan.notCopyable) notCopyable.push_back(reader.NameOf(format));
    {
      std::lock_guard<std::mutex> guard(lock);
      opened = true;
      got.assign(formats.size(), std::nullopt);
      notKept = std::move(notCopyable);
      listed = formats;
      toAsk = plan.toAsk;
      askedAt = Clock::now();
      changed.notify_all();
    }
    for (std::size_t n = 0; n < plan.toAsk.size(); ++n) {
      const std::uint32_t format = formats[plan.toAsk[n]];
      {
        std::lock_guard<std::mutex> guard(lock);
        if (abandoned) break;
        asking = n;
        askedAt = Clock::now();
        changed.notify_all();
      }
      std::optional<std::string> data = reader.CopyFormat(format);
      ClipboardFormatName name = reader.NameOf(format);
      std::lock_guard<std::mutex> guard(lock);
      if (abandoned) break;  // the waiter has listed it already
      if (!data) {
        notKept.push_back(std::move(name));
        continue;
      }
      got[plan.toAsk[n]] = ClipboardSnapshot::Format{format, std::move(name.name), std::move(*data)};
    }
    // Closed before the waiter hears of the end, so its next call finds the
    // clipboard free.
    reader.Close();
    std::lock_guard<std::mutex> guard(lock);
    asking = toAsk.size();
    Finish();
  }

  // Called by the waiter, with `lock` held, when it stops waiting: the
  // format being asked for and those not asked yet are not kept.
  void Abandon(ClipboardReader& reader) {
    abandoned = true;
    for (std::size_t n = asking; n < toAsk.size(); ++n) notKept.push_back(reader.NameOf(listed[toAsk[n]]));
  }

  ClipboardSnapshot Result() const {
    ClipboardSnapshot snapshot;
    for (const auto& format : got)
      if (format) snapshot.formats.push_back(*format);
    snapshot.notKept = notKept;
    return snapshot;
  }
};

// The thread that makes the snapshots, one job at a time.
struct SnapshotTaker::Worker {
  std::mutex lock;
  std::condition_variable wake;
  std::shared_ptr<Job> next;
  bool stop = false;

  static void Loop(const std::shared_ptr<Worker>& self, const std::shared_ptr<ClipboardReader>& reader) {
    std::unique_lock<std::mutex> guard(self->lock);
    while (true) {
      self->wake.wait(guard, [&] { return self->stop || self->next != nullptr; });
      if (self->stop) return;
      std::shared_ptr<Job> job = std::move(self->next);
      self->next = nullptr;
      guard.unlock();
      job->Run(*reader);
      guard.lock();
    }
  }

  void Post(std::shared_ptr<Job> job) {
    {
      std::lock_guard<std::mutex> guard(lock);
      next = std::move(job);
    }
    wake.notify_one();
  }

  void Stop() {
    {
      std::lock_guard<std::mutex> guard(lock);
      stop = true;
    }
    wake.notify_one();
  }
};

SnapshotTaker::SnapshotTaker(std::shared_ptr<ClipboardReader> reader, Limits limits)
    : reader_(std::move(reader)), limits_(limits) {}

// A worker still inside a rendering ends when that returns.
SnapshotTaker::~SnapshotTaker() {
  if (worker_) worker_->Stop();
}

bool SnapshotTaker::SettleAbandoned() {
  if (!abandoned_) return true;
  std::unique_lock<std::mutex> guard(abandoned_->lock);
  if (!abandonedWaited_) {
    abandoned_->changed.wait_for(guard, std::chrono::milliseconds(limits_.abandonedWaitMs),
                                 [&] { return abandoned_->finished; });
    abandonedWaited_ = true;
  }
  const bool finished = abandoned_->finished;
  guard.unlock();
  if (finished) abandoned_.reset();
  return finished;
}

std::optional<ClipboardSnapshot> SnapshotTaker::Take() {
  if (!SettleAbandoned()) return std::nullopt;
  if (!worker_) {
    worker_ = std::make_shared<Worker>();
    std::thread([worker = worker_, reader = reader_] { Worker::Loop(worker, reader); }).detach();
  }
  auto job = std::make_shared<Job>();
  worker_->Post(job);
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limits_.snapshotMs);
  std::unique_lock<std::mutex> guard(job->lock);
  while (!job->finished) {
    const Clock::time_point formatDeadline = job->askedAt + std::chrono::milliseconds(limits_.formatMs);
    const Clock::time_point now = Clock::now();
    if (now >= deadline || (job->opened && now >= formatDeadline)) {
      // The worker sits inside a rendering: leave it there; it lets the
      // clipboard go when the rendering returns.
      job->Abandon(*reader_);
      abandoned_ = job;
      abandonedWaited_ = false;
      break;
    }
    job->changed.wait_until(guard, job->opened ? std::min(deadline, formatDeadline) : deadline);
  }
  if (!job->opened) return std::nullopt;
  return job->Result();
}

}  // namespace quiltor
