#include "exchange/second_start.h"

namespace quiltor {

SecondStartOutcome JudgeSecondStart(const FirstInstanceFacts& facts) {
  switch (facts.lock) {
    case LockState::kAbsent: return SecondStartOutcome::kRunHere;
    case LockState::kRefused: return SecondStartOutcome::kCannotReach;
    case LockState::kOpened: break;
  }
  if (!facts.windowPublished) return SecondStartOutcome::kStillStarting;
  // A window that stopped answering or closed meanwhile is no reason to
  // trouble the user; a refusal is.
  return facts.handOver == SendStatus::kRefused ? SecondStartOutcome::kCannotReach : SecondStartOutcome::kHandedOver;
}

}  // namespace quiltor
