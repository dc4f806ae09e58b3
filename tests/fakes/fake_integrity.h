#pragma once
// Integrity levels by process id; a process not listed reads as `others`.
#include <cstdint>
#include <map>

#include "platform/integrity.h"

namespace quiltor::fakes {

class FakeIntegrityLevels final : public IntegrityLevels {
 public:
  IntegrityLevel OfProcess(std::uint32_t processId) override {
    auto found = levels.find(processId);
    return found == levels.end() ? others : found->second;
  }
  IntegrityLevel OfOwnProcess() override { return own; }

  IntegrityLevel own = IntegrityLevel::kMedium;
  IntegrityLevel others = IntegrityLevel::kMedium;
  std::map<std::uint32_t, IntegrityLevel> levels;
};

}  // namespace quiltor::fakes
