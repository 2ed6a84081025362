// Trials of the real plovik.exe on real trees, for the Wine tests (a few
// trials) and the program benchmark (many): instances started together
// must never update at the same time, and a run killed at any moment must
// leave a destination that the next run brings up to date exactly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plovik::test {

// A source tree: `bigFiles` files of `bigBytes` bytes (one per folder
// level, so that directories are made too) and a few small files, dated in
// 2020. The content depends on the seed.
void MakeSourceTree(const std::string& root, int bigFiles, size_t bigBytes, uint32_t seed);

// Whether two trees hold the same files (relative paths) with the same
// bytes; otherwise the first difference is described in `difference`.
bool SameTrees(const std::string& expected, const std::string& actual, std::string& difference);

// The span of time during which a run left its marks in a destination
// tree: the earliest and the latest creation, change or write time of its
// entries that lies after `since` (file times in 100 ns units).
struct Activity {
  int64_t first = 0;
  int64_t last = 0;
  int marks = 0;
};
Activity ActivityIn(const std::string& root, int64_t since);

// The current time as a file time.
int64_t FileTimeNow();

struct TrialResult {
  bool ok = false;
  std::string report;  // one line on what happened
};

// Three instances of the program started together, each with "/a /t /l"
// from the same source into a destination of its own. It succeeds when all
// three end with exit code 0, every destination equals the source, and the
// spans of activity in the destinations do not overlap.
TrialResult RunInstancesTogether(const std::string& exe, const std::string& workDir, int count,
                                 uint32_t seed);

// How long an update of the source into a fresh destination takes, from
// the program's start to the saving of its log after the summary, in
// milliseconds (0 when it failed). The program's own end takes a while
// longer.
uint32_t TimeFullRun(const std::string& exe, const std::string& source, const std::string& workDir);

// A run killed after a random time up to latestKillMs (seeded), then a
// normal run: it succeeds when the normal run ends with exit code 0 and the
// destination then equals the source. The report says whether the kill hit
// a running program.
TrialResult RunKilledThenNormal(const std::string& exe, const std::string& source,
                                const std::string& workDir, uint32_t latestKillMs, uint32_t seed);

}  // namespace plovik::test
