// The real plovik.exe under load: 20 trials of three instances started
// together with "/a /t" (their spans of activity in their destinations
// must never overlap), and 50 runs killed at random moments, each followed
// by a normal run (the destination must then equal the source). Prints
// every trial and the totals; the exit code is 1 when any trial failed.
//
// Usage: program_bench.exe [instance trials [kill trials]]
//   (plovik.exe beside the bench folder, or the one PLOVIK_EXE names)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "win/support/ProgramProcess.h"
#include "win/support/ProgramTrials.h"
#include "win/support/WinTestFiles.h"

namespace {

using namespace plovik;

constexpr int DefaultInstanceTrials = 20;
constexpr int DefaultKillTrials = 50;
constexpr int Instances = 3;
constexpr int KillTreeFiles = 4;
constexpr size_t KillTreeFileBytes = size_t(64) << 20;

int Count(int argc, wchar_t** argv, int index, int fallback) {
  return argc > index ? static_cast<int>(std::wcstol(argv[index], nullptr, 10)) : fallback;
}

int InstanceTrials(const std::string& exe, const std::string& root, int trials) {
  std::printf("Three instances started together with /a /t, %d trials:\n", trials);
  int good = 0;
  for (int trial = 0; trial < trials; ++trial) {
    const std::string work = root + "\\together" + std::to_string(trial);
    CreateDirectoryW(test::LongPath(work).c_str(), nullptr);
    const test::TrialResult result =
        test::RunInstancesTogether(exe, work, Instances, static_cast<uint32_t>(trial));
    std::printf("  %2d %s %s\n", trial + 1, result.ok ? "ok  " : "FAIL", result.report.c_str());
    std::fflush(stdout);
    good += result.ok ? 1 : 0;
    test::RemoveTree(work);
  }
  std::printf("  %d of %d trials without overlap and with every destination complete\n", good,
              trials);
  return trials - good;
}

int KillTrials(const std::string& exe, const std::string& root, int trials) {
  const std::string source = root + "\\source";
  test::MakeSourceTree(source, KillTreeFiles, KillTreeFileBytes, 11);
  const std::string reference = root + "\\reference";
  CreateDirectoryW(test::LongPath(reference).c_str(), nullptr);
  const uint32_t fullRunMs = test::TimeFullRun(exe, source, reference);
  std::printf("Runs killed at a random moment within a whole update (%u ms from the start to "
              "the saved log for %d x %zu MB), "
              "each followed by a normal run, %d trials:\n",
              fullRunMs, KillTreeFiles, KillTreeFileBytes >> 20, trials);
  int good = 0, whileRunning = 0, midCopy = 0;
  for (int trial = 0; trial < trials; ++trial) {
    const std::string work = root + "\\kill" + std::to_string(trial);
    CreateDirectoryW(test::LongPath(work).c_str(), nullptr);
    const test::TrialResult result = test::RunKilledThenNormal(
        exe, source, work, fullRunMs, static_cast<uint32_t>(5000 + trial));
    std::printf("  %2d %s %s\n", trial + 1, result.ok ? "ok  " : "FAIL", result.report.c_str());
    std::fflush(stdout);
    good += result.ok ? 1 : 0;
    whileRunning += result.report.find("while running") != std::string::npos ? 1 : 0;
    midCopy += result.report.find("a partial copy") != std::string::npos ? 1 : 0;
    test::RemoveTree(work);
  }
  std::printf("  %d of %d destinations equal the source after the next run (%d kills hit a "
              "running program, %d of them in the middle of a copy)\n",
              good, trials, whileRunning, midCopy);
  return trials - good;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
  const std::string exe = test::ProgramPathForBench();
  if (!test::Exists(exe)) {
    std::printf("no program at %s\n", exe.c_str());
    return 1;
  }
  const std::string root = test::FreshTempDir("program-bench");
  int failures = InstanceTrials(exe, root, Count(argc, argv, 1, DefaultInstanceTrials));
  failures += KillTrials(exe, root, Count(argc, argv, 2, DefaultKillTrials));
  test::RemoveTree(root);
  return failures == 0 ? 0 : 1;
}
