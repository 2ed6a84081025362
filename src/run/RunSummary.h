// The statistics block at the end of a run.
#pragma once

#include <cstdint>
#include <string>

#include "core/RunRecords.h"

namespace plovik {

void WriteRunSummary(const TRunCounters& counters);

// The line an unattended run adds to its summary: how many questions were
// answered without a person, how many failure lines the run wrote, and how
// long it took (h:mm:ss).
std::string UnattendedSummaryLine(int automaticAnswers, int failureLines, uint64_t elapsedMs);

}  // namespace plovik
