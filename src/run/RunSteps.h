// The parts of an update run between the run driver's units: what one run
// keeps for itself, the input and drive checks before the walk, and the end
// of the run after it.
#pragma once

#include <cstdint>

#include "engine/TreeWalk.h"
#include "run/PathChecks.h"

namespace plovik {

// The destination drive number of a network destination.
constexpr uint8_t NoDriveNumber = 255;

struct RunContext {
  uint64_t startTick = 0;                  // the steady clock at the run's start
  uint8_t dstDriveNumber = NoDriveNumber;  // 1 for A: to 26 for Z:
  int32_t failureLinesBefore = 0;          // ProtocolFailureLines before the walk
  WalkOutcome walk;                        // how the walk ended
};

// Takes the paths and specifications from the window and checks them, the
// drives and the containment (reconnecting network drives on the way). True
// when the run goes on; false when it has ended (its refusal reported and
// the window reset, or stopped by the user).
bool CheckRunInputs(RunContext& run);

// The ends of a run before the walk: a refused input (its box, the faulty
// field focused with the caret placed, the window reset), and a stop by the
// user during a reconnection.
void EndWithRefusal(const InputRefusal& refusal);
void EndStoppedByUser();

// The abort line, the spacing, the destination's size, the summary, the
// automatic save, the wait mutex given back, and then the window given back
// to the user or the program ended (at once or after the countdown).
void FinishRun(const RunContext& run);

}  // namespace plovik
