#include "core/RunRecords.h"

#include <limits>
#include <utility>

#include "lib/XStrings.h"
#include "platform/Platform.h"

namespace plovik {

TRunOptions RunOptions;
TRunCounters RunCounters;
TRunState RunState;
uint8_t LanguageIndex = 0;

void ResetRunCounters() {
  // The destination drive letter belongs to the destination checks, which
  // run before the counters are reset; it is left as they set it.
  const char dstDriveLetter = RunCounters.DstDriveLetter;
  RunCounters = TRunCounters{};
  RunCounters.DstDriveLetter = dstDriveLetter;
}

void CountUp(int32_t& counter) {
  if (counter < std::numeric_limits<int32_t>::max()) ++counter;
}

int32_t ComputeOneHour() {
  CivilTime oneOClock;
  oneOClock.year = 2000;
  oneOClock.month = 1;
  oneOClock.day = 1;
  oneOClock.hour = 1;
  CivilTime midnight = oneOClock;
  midnight.hour = 0;
  return Sys().PackLocalTime(oneOClock) - Sys().PackLocalTime(midnight);
}

std::vector<std::string> RunFlagDumpLines() {
  const TRunOptions& options = RunOptions;
  const std::pair<const char*, bool> flags[] = {
      {"DebugFlag", options.DebugFlag},
      {"HelpFlag", options.HelpFlag},
      {"ErrorFlag", options.ErrorFlag},
      {"SubDirFlag", options.SubDirFlag},
      {"EmptyFlag", options.EmptyFlag},
      {"VerifyFlag", options.VerifyFlag},
      {"IgnoreFileAgeOneHourDiffFlag", options.IgnoreFileAgeOneHourDiffFlag},
      {"IgnoreFlag", options.IgnoreFlag},
      {"LogFlag", options.LogFlag},
      {"NoUpdateFlag", options.NoUpdateFlag},
      {"QuietFlag", options.QuietFlag},
      {"ReportFlag", options.ReportFlag},
      {"AutostartFlag", options.AutostartFlag},
      {"TerminateFlag", options.TerminateFlag},
  };
  std::vector<std::string> lines;
  for (const auto& [name, value] : flags) {
    std::string line = name;
    if (line.size() < 29) line.append(29 - line.size(), ' ');
    lines.push_back(line + "= " + BoolText(value));
  }
  return lines;
}

}  // namespace plovik
