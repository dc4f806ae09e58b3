#pragma once
#include "platform/processes.h"

namespace quiltor {

class Win32Processes : public Processes {
 public:
  std::unique_ptr<Process> Start(const Bytes& commandLine) override;
  ShellResult ShellOpen(const Bytes& file, const Bytes& parameters, ShellStart how) override;
  void Sleep(std::uint32_t milliseconds) override;
  void WaitForMessages(std::uint32_t milliseconds) override;
  std::uint64_t NowMilliseconds() override;
};

}  // namespace quiltor
