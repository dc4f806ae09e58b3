#pragma once
// A second start of the tool hands its command line to the instance that
// runs. When that instance runs at a higher integrity level (started as
// administrator), Windows keeps the second start from opening its lock and
// refuses its messages: the start must say so, not end without a word.
#include "platform/window_system.h"

namespace quiltor {

// Opening the single-instance lock.
enum class LockState {
  kAbsent,   // no instance runs
  kOpened,
  kRefused,  // it exists, but this process may not open it
};

// What the second start found of the running instance.
struct FirstInstanceFacts {
  LockState lock = LockState::kAbsent;
  bool windowPublished = false;  // the exchange block names a live main window
  SendStatus handOver = SendStatus::kDone;  // handing over the command line
};

enum class SecondStartOutcome {
  kRunHere,        // no instance: this start becomes it
  kHandedOver,     // the running instance has the command line
  kStillStarting,  // its window is not there yet: nothing to hand over to
  kCannotReach,    // it runs, but out of this process's reach: tell the user
};

SecondStartOutcome JudgeSecondStart(const FirstInstanceFacts& facts);

}  // namespace quiltor
