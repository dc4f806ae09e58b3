#include "fakes/fake_processes.h"

namespace quiltor::fakes {
namespace {

class FakeProcess : public Process {
 public:
  FakeProcess(std::uint32_t id, FakeProcesses* clock = nullptr, std::uint64_t endsAt = 0)
      : id_(id), clock_(clock), endsAt_(endsAt) {}
  std::uint32_t Id() const override { return id_; }
  bool Wait(std::uint32_t milliseconds) override {
    if (!clock_ || clock_->NowMilliseconds() >= endsAt_) return true;
    clock_->WaitForMessages(milliseconds);
    return clock_->NowMilliseconds() >= endsAt_;
  }

 private:
  std::uint32_t id_;
  FakeProcesses* clock_;
  std::uint64_t endsAt_;
};

}  // namespace

std::unique_ptr<Process> FakeProcesses::Start(const Bytes& commandLine) {
  started_.push_back(commandLine);
  if (log_) log_->Add("Start " + commandLine);
  if (startFails) return nullptr;
  const std::uint32_t id = nextProcessId++;
  if (onStart) onStart(id, commandLine);
  return std::make_unique<FakeProcess>(id, this, now_ + processRunsMs);
}

Processes::ShellResult FakeProcesses::ShellOpen(const Bytes& file, const Bytes& parameters, ShellStart how) {
  shellOpened_.push_back(file);
  shellStarts_.push_back(how);
  if (log_) log_->Add("ShellOpen " + file + " " + parameters);
  ShellResult result;
  if (shellFails) return result;
  result.started = true;
  if (shellGivesProcess) result.process = std::make_unique<FakeProcess>(nextProcessId++);
  return result;
}

void FakeProcesses::Sleep(std::uint32_t milliseconds) {
  sleeps_.push_back(milliseconds);
  if (log_) log_->Add("Sleep " + std::to_string(milliseconds));
  Advance(milliseconds);
}

void FakeProcesses::WaitForMessages(std::uint32_t milliseconds) { Advance(milliseconds); }

void FakeProcesses::Advance(std::uint32_t milliseconds) {
  now_ += milliseconds ? milliseconds : 1;
  for (std::size_t i = 0; i < scheduled_.size();) {
    if (scheduled_[i].at <= now_) {
      auto action = std::move(scheduled_[i].action);
      scheduled_.erase(scheduled_.begin() + static_cast<std::ptrdiff_t>(i));
      action();
    } else {
      ++i;
    }
  }
}

void FakeProcesses::At(std::uint64_t at, std::function<void()> action) {
  scheduled_.push_back({at, std::move(action)});
}

}  // namespace quiltor::fakes
