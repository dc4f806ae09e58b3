#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/types.h"

namespace quiltor {

// A started process the caller may wait for; closes its handle when destroyed.
class Process {
 public:
  virtual ~Process() = default;
  virtual std::uint32_t Id() const = 0;
  // True when the process ended within `milliseconds`.
  virtual bool Wait(std::uint32_t milliseconds) = 0;
};

// How long the caller of a shell start lives on: a process that ends right
// after the call must have the shell finish its work first.
enum class ShellStart { kStays, kReturnsAtOnce };

class Processes {
 public:
  virtual ~Processes() = default;
  // CreateProcess with a writable copy of `commandLine`, SW_SHOW, NORMAL_PRIORITY_CLASS.
  virtual std::unique_ptr<Process> Start(const Bytes& commandLine) = 0;
  // ShellExecuteEx with the file's default verb, SEE_MASK_NOCLOSEPROCESS,
  // SW_SHOWDEFAULT, in a single-threaded COM apartment.
  // `started` tells whether the call succeeded; the process may still be null
  // when the shell handed the file to a program that was already running.
  struct ShellResult {
    bool started = false;
    std::unique_ptr<Process> process;
  };
  virtual ShellResult ShellOpen(const Bytes& file, const Bytes& parameters,
                                ShellStart how) = 0;
  virtual void Sleep(std::uint32_t milliseconds) = 0;
  // Waits up to `milliseconds`, but returns as soon as a message (or a
  // message's answer) arrives for the calling thread, which then reads its
  // messages: the wait of a window thread that must go on answering.
  virtual void WaitForMessages(std::uint32_t milliseconds) = 0;
  virtual std::uint64_t NowMilliseconds() = 0;
};

}  // namespace quiltor
