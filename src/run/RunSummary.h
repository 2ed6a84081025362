// The statistics block at the end of a run.
#pragma once

#include "run/RunRecords.h"

namespace plovik {

void WriteRunSummary(const TRunCounters& counters);

}  // namespace plovik
