#pragma once
// What a start of Quiltor.exe does before it becomes the running instance:
// the one-shot switches and forwarding to an instance that already runs.
#include <optional>
#include <utility>
#include <vector>

#include "exchange/exchange_area.h"
#include "platform/types.h"
#include "platform/win32/handles.h"

namespace quiltor {

// "/X<path>" and "/P<program>": exit code when the first argument is one of
// them, nullopt otherwise. Neither touches the mutex.
std::optional<int> RunOneShotSwitch(const std::vector<Bytes>& arguments);

// When another instance runs, forwards `arguments` to its main window and
// returns 1. nullopt when no instance runs. A start that finds the instance
// still starting (no window published yet) returns 1 without sending.
std::optional<int> ForwardToRunningInstance(const std::vector<Bytes>& arguments);

// The single-instance lock "QuiltorMutex", held for as long as the handle
// lives. nullopt when another instance created it first (the caller then
// forwards instead).
std::optional<KernelHandle> CreateInstanceMutex();

// What the running instance holds for its whole life: the single-instance
// lock and the exchange area. However the instance ends, the lock goes first
// and then the area: a start that comes in between becomes the running
// instance instead of forwarding to a window that is gone.
class RunningInstance {
 public:
  RunningInstance(KernelHandle mutex, SharedMemory& memory)
      : mutex_(std::move(mutex)), exchange_(memory) {}
  ~RunningInstance() {
    mutex_.Reset();
    exchange_.Release();
  }
  RunningInstance(const RunningInstance&) = delete;
  RunningInstance& operator=(const RunningInstance&) = delete;

  ExchangeArea& Exchange() { return exchange_; }

 private:
  KernelHandle mutex_;
  ExchangeArea exchange_;
};

}  // namespace quiltor
