#pragma once
#include "platform/integrity.h"

namespace quiltor {

// The mandatory label of a process's token (TokenIntegrityLevel).
class Win32IntegrityLevels : public IntegrityLevels {
 public:
  IntegrityLevel OfProcess(std::uint32_t processId) override;
  IntegrityLevel OfOwnProcess() override;
};

}  // namespace quiltor
