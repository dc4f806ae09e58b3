#pragma once
// Windows' integrity levels. Keys sent into a process of a higher level than
// the sender's are dropped by Windows without an error, so the tool asks
// before it sends any.
#include <cstdint>

namespace quiltor {

enum class IntegrityLevel { kUnknown, kUntrusted, kLow, kMedium, kHigh, kSystem };

class IntegrityLevels {
 public:
  virtual ~IntegrityLevels() = default;
  // kUnknown when the process is gone or its token cannot be read.
  virtual IntegrityLevel OfProcess(std::uint32_t processId) = 0;
  virtual IntegrityLevel OfOwnProcess() = 0;
};

// Only a level known on both sides, and higher than the sender's, keeps the
// keys out; where either cannot be read the keys are tried as before.
inline bool KeysBlocked(IntegrityLevel own, IntegrityLevel target) {
  if (own == IntegrityLevel::kUnknown || target == IntegrityLevel::kUnknown) return false;
  return static_cast<int>(target) > static_cast<int>(own);
}

}  // namespace quiltor
