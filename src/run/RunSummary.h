// The statistics block at the end of a run.
#pragma once

#include "core/RunRecords.h"

namespace plovik {

void WriteRunSummary(const TRunCounters& counters);

}  // namespace plovik
