#pragma once
// Processes and time: Start and ShellOpen are recorded, Sleep moves a fake
// clock (never really sleeps) and runs what was scheduled for that time.
#include <functional>
#include <vector>

#include "fakes/call_log.h"
#include "platform/processes.h"

namespace quiltor::fakes {

class FakeProcesses : public Processes {
 public:
  explicit FakeProcesses(CallLog* log = nullptr) : log_(log) {}

  std::unique_ptr<Process> Start(const Bytes& commandLine) override;
  ShellResult ShellOpen(const Bytes& file, const Bytes& parameters, ShellStart how) override;
  // Moves the clock by `milliseconds`, at least 1: a real Sleep(0) takes time too.
  void Sleep(std::uint32_t milliseconds) override;
  // Moves the clock as Sleep does; the tool's own messages are the fake
  // view's business.
  void WaitForMessages(std::uint32_t milliseconds) override;
  std::uint64_t NowMilliseconds() override { return now_; }

  // Runs `action` once the clock reaches `at`.
  void At(std::uint64_t at, std::function<void()> action);

  bool startFails = false;
  bool shellFails = false;
  bool shellGivesProcess = true;
  // How long a started process runs on the fake clock (0: it has ended
  // when first asked); Wait moves the clock.
  std::uint64_t processRunsMs = 0;
  std::uint32_t nextProcessId = 500;
  // Called with the new process's id and command line when Start succeeds.
  std::function<void(std::uint32_t, const Bytes&)> onStart;

  const std::vector<Bytes>& Started() const { return started_; }
  const std::vector<Bytes>& ShellOpened() const { return shellOpened_; }
  const std::vector<ShellStart>& ShellStarts() const { return shellStarts_; }
  const std::vector<std::uint32_t>& Sleeps() const { return sleeps_; }

 private:
  void Advance(std::uint32_t milliseconds);
  struct Scheduled {
    std::uint64_t at;
    std::function<void()> action;
  };
  CallLog* log_;
  std::uint64_t now_ = 0;
  std::vector<Scheduled> scheduled_;
  std::vector<Bytes> started_;
  std::vector<Bytes> shellOpened_;
  std::vector<ShellStart> shellStarts_;
  std::vector<std::uint32_t> sleeps_;
};

}  // namespace quiltor::fakes
