#pragma once
// What a start of Quiltor.exe does before it becomes the running instance:
// the one-shot switches and forwarding to an instance that already runs.
#include <optional>
#include <vector>

#include "platform/types.h"

namespace quiltor {

// "/X<path>" and "/P<program>": exit code when the first argument is one of
// them, nullopt otherwise. Neither touches the mutex.
std::optional<int> RunOneShotSwitch(const std::vector<Bytes>& arguments);

// When another instance runs, forwards `arguments` to its main window and
// returns 1. nullopt when no instance runs. A start that finds the instance
// still starting (no window published yet) returns 1 without sending.
std::optional<int> ForwardToRunningInstance(const std::vector<Bytes>& arguments);

// The single-instance lock, held from creation to destruction. Null when
// another instance created it first (the caller then forwards instead).
class InstanceMutex {
 public:
  static std::optional<InstanceMutex> Create();
  InstanceMutex(InstanceMutex&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  InstanceMutex(const InstanceMutex&) = delete;
  InstanceMutex& operator=(const InstanceMutex&) = delete;
  ~InstanceMutex();

 private:
  explicit InstanceMutex(void* handle) : handle_(handle) {}
  void* handle_;
};

}  // namespace quiltor
