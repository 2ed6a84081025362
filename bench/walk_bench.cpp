// Speed and memory of the tree walk on real files, side by side with the
// system's xcopy: the first copy of a tree (the fastest of three, for both),
// a re-run with nothing to do, the first copy with verification (fastest of
// three), and the peak working set of walks over
// small and large trees.
//
// walk_bench.exe [files [bigMB [memoryFiles]]]
//   files        files of the timed tree, 10 per directory (default 5000)
//   bigMB        size of each of the two large files (default 256)
//   memoryFiles  files of the larger memory walk (default 50000)
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "engine/TreeWalk.h"
#include "platform/win32/Win32Platform.h"
#include "lib/Wide.h"
#include "core/RunRecords.h"
#include "toolkit/headless/Headless.h"
#include "core/Protocol.h"
#include "win/support/RealFilesEnvironment.h"
#include "win/support/WinTestFiles.h"

using namespace plovik;
using namespace plovik::test;

namespace {

double Now() {
  LARGE_INTEGER frequency, counter;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&counter);
  return double(counter.QuadPart) / double(frequency.QuadPart);
}

// A buffer of pseudo-random bytes that the generated files are cut from.
const std::string& Noise() {
  static const std::string noise = Pattern(1 << 20, 12345);
  return noise;
}

bool WriteFileOfSize(const std::string& path, uint64_t size, uint32_t salt) {
  HANDLE h = ::CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const std::string& noise = Noise();
  bool ok = true;
  uint64_t done = 0;
  while (ok && done < size) {
    const DWORD offset = (salt * 7919u + static_cast<uint32_t>(done >> 20)) % 4096u;
    const DWORD chunk =
        static_cast<DWORD>(std::min<uint64_t>(size - done, noise.size() - offset));
    DWORD written = 0;
    ok = ::WriteFile(h, noise.data() + offset, chunk, &written, nullptr) && written == chunk;
    done += written;
  }
  ::CloseHandle(h);
  return ok;
}

// A tree of files in directories of ten, two levels deep; returns its bytes.
uint64_t MakeTree(const std::string& root, int files, uint64_t minSize, uint64_t maxSize) {
  ::CreateDirectoryW(LongPath(root).c_str(), nullptr);
  const int dirs = std::max(1, files / 10);
  const int top = std::max(1, dirs / 25);
  std::vector<std::string> names;
  for (int i = 0; i < dirs; ++i) {
    char name[64];
    if (i < top)
      std::snprintf(name, sizeof name, "\\D%03d", i);
    else
      std::snprintf(name, sizeof name, "\\D%03d\\S%04d", i % top, i);
    names.push_back(root + name);
    ::CreateDirectoryW(LongPath(names.back()).c_str(), nullptr);
  }
  uint64_t total = 0;
  uint32_t x = 987654321;
  for (int i = 0; i < files; ++i) {
    x = x * 1664525u + 1013904223u;
    const uint64_t size = minSize + (maxSize > minSize ? x % (maxSize - minSize + 1) : 0);
    char name[64];
    std::snprintf(name, sizeof name, "\\file%05d.dat", i);
    if (!WriteFileOfSize(names[static_cast<size_t>(i % dirs)] + name, size, x)) {
      std::fprintf(stderr, "cannot write the test tree in %s\n", root.c_str());
      std::exit(2);
    }
    total += size;
  }
  return total;
}

// One walk with the Win32 platform and a headless protocol memo.
struct WalkSetup {
  RealFilesEnvironment environment{200};
  HeadlessToolkit& toolkit = environment.toolkit();

  // Seconds the walk took; failures (dialogs, failure lines) are counted.
  // A dry run to a missing destination: the walk's own work without copying.
  double DryWalk(const std::string& src, const std::string& dst) {
    return Walk(src, dst, false, false, true);
  }

  double Walk(const std::string& src, const std::string& dst, bool verify, bool quiet,
              bool dryRun = false) {
    RunOptions = TRunOptions{};
    RunOptions.NoUpdateFlag = dryRun;
    RunOptions.SubDirFlag = true;
    RunOptions.EmptyFlag = true;
    RunOptions.VerifyFlag = verify;
    RunOptions.QuietFlag = quiet;
    RunOptions.SrcFileSpecList[1] = "*.*";
    RunOptions.SrcFileSpecCount = 1;
    RunState = TRunState{};
    RunState.RunDialogAnswer = 1;
    ResetRunCounters();
    ProtocolClear();
    toolkit.dialogs.clear();
    const double start = Now();
    WalkTree(WalkJob{src, dst, RunOptions, RunCounters, environment.host()});
    const double seconds = Now() - start;
    int failures = 0;
    for (const std::string& line : environment.Lines())
      if (line.rfind("******", 0) == 0) ++failures;
    if (failures > 0 || !toolkit.dialogs.empty())
      std::printf("  (walk %s -> %s: %d failure lines, %zu dialogs)\n", src.c_str(), dst.c_str(),
                  failures, toolkit.dialogs.size());
    return seconds;
  }
};

DWORD RunAndWait(std::wstring commandLine) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE nul = ::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inherit, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nul;
  startup.hStdOutput = nul;
  startup.hStdError = nul;
  PROCESS_INFORMATION process{};
  DWORD code = 0xFFFFFFFFu;
  if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &process)) {
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
  if (nul != INVALID_HANDLE_VALUE) ::CloseHandle(nul);
  return code;
}

double Xcopy(const std::string& src, const std::string& dst) {
  const std::wstring command =
      L"xcopy.exe \"" + Wide(src) + L"\" \"" + Wide(dst) + L"\" /D /E /I /Y /H /K";
  const double start = Now();
  const DWORD code = RunAndWait(command);
  const double seconds = Now() - start;
  if (code != 0) std::printf("  (xcopy ended with code %lu)\n", static_cast<unsigned long>(code));
  return seconds;
}

// The peak working set, in KiB, of a fresh process that walks src -> dst.
DWORD PeakOfWalkInChild(const std::string& src, const std::string& dst) {
  wchar_t exe[MAX_PATH + 1];
  ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
  return RunAndWait(L"\"" + std::wstring(exe) + L"\" --memory-walk \"" + Wide(src) + L"\" \"" +
                    Wide(dst) + L"\"");
}

int IntArgument(int argc, wchar_t** argv, int index, int fallback) {
  if (argc <= index) return fallback;
  const int value = static_cast<int>(std::wcstol(argv[index], nullptr, 10));
  return value > 0 ? value : fallback;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  if (argc == 4 && std::wstring(argv[1]) == L"--memory-walk") {
    WalkSetup setup;
    setup.Walk(Narrow(argv[2]), Narrow(argv[3]), false, true);
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return static_cast<int>(counters.PeakWorkingSetSize / 1024);
  }

  const int files = IntArgument(argc, argv, 1, 5000);
  const int bigMB = IntArgument(argc, argv, 2, 256);
  const int memoryFiles = IntArgument(argc, argv, 3, 50000);
  const std::string root = FreshTempDir("walk-bench");
  if (root.empty()) {
    std::fprintf(stderr, "cannot make a directory for the trees in the temporary folder\n");
    return 2;
  }
  const std::string src = root + "\\src";

  std::printf("walk_bench: generating %d files in %d directories plus 2 x %d MB...\n", files,
              std::max(1, files / 10), bigMB);
  std::fflush(stdout);
  double start = Now();
  uint64_t bytes = MakeTree(src, files, 1024, 80 * 1024);
  for (int i = 1; i <= 2; ++i) {
    const uint64_t size = uint64_t(bigMB) << 20;
    WriteFileOfSize(src + "\\big" + std::to_string(i) + ".bin", size, 77u + i);
    bytes += size;
  }
  const double megabytes = double(bytes) / (1 << 20);
  std::printf("  %.0f MB in %.1f s\n\n", megabytes, Now() - start);

  // Each first copy is made three times, the two sides taking turns at
  // going first, on fresh trees; the fastest of each counts, so neither side
  // pays for the other's write-back and a single slow run on a busy machine
  // does not decide the ratio.
  double oursFirst = 0, oursAgain = 0, oursVerified = 0, oursDry = 0;
  double xcopyFirst = 0, xcopyAgain = 0;
  {
    WalkSetup setup;
    for (int round = 0; round < 3; ++round) {
      RemoveTree(root + "\\dst-walk");
      RemoveTree(root + "\\dst-xcopy");
      double ours = 0, theirs = 0;
      if (round % 2 == 0) {
        theirs = Xcopy(src, root + "\\dst-xcopy");
        ours = setup.Walk(src, root + "\\dst-walk", false, false);
      } else {
        ours = setup.Walk(src, root + "\\dst-walk", false, false);
        theirs = Xcopy(src, root + "\\dst-xcopy");
      }
      oursFirst = round == 0 ? ours : std::min(oursFirst, ours);
      xcopyFirst = round == 0 ? theirs : std::min(xcopyFirst, theirs);
    }
    xcopyAgain = Xcopy(src, root + "\\dst-xcopy");
    oursAgain = setup.Walk(src, root + "\\dst-walk", false, false);
    oursDry = setup.DryWalk(src, root + "\\dst-none");
    // The verified copy as often as the unverified one, fastest counting.
    for (int round = 0; round < 3; ++round) {
      RemoveTree(root + "\\dst-verified");
      const double verified = setup.Walk(src, root + "\\dst-verified", true, false);
      oursVerified = round == 0 ? verified : std::min(oursVerified, verified);
    }
  }
  RemoveTree(root + "\\dst-xcopy");
  RemoveTree(root + "\\dst-walk");
  RemoveTree(root + "\\dst-verified");
  RemoveTree(src);

  std::printf("%-34s %10s %10s  %s\n", "", "walk", "xcopy", "ratio");
  std::printf("%-34s %9.2fs %9.2fs  throughput walk/xcopy %.2f (target >= 0.90)\n",
              "first copy, unverified", oursFirst, xcopyFirst, xcopyFirst / oursFirst);
  std::printf("%-34s %9.2fs %9.2fs  time walk/xcopy %.2f (target <= 1.00)\n",
              "re-run, nothing to do", oursAgain, xcopyAgain, oursAgain / xcopyAgain);
  std::printf("%-34s %9.2fs %10s  time verified/unverified %.2f (target <= 2.20)\n",
              "first copy, verified", oursVerified, "-", oursVerified / oursFirst);
  std::printf("%-34s %9.2fs %10s  (the walk without copying: searches, lookups, checks)\n",
              "dry run to an empty destination", oursDry, "-");
  std::printf("%-34s %8.1f MB/s %6.1f MB/s\n\n", "first copy throughput", megabytes / oursFirst,
              megabytes / xcopyFirst);
  std::fflush(stdout);

  for (int count : {5000, memoryFiles}) {
    const std::string small = root + "\\small-" + std::to_string(count);
    start = Now();
    MakeTree(small, count, 100, 100);
    const double made = Now() - start;
    start = Now();
    const DWORD peakKiB = PeakOfWalkInChild(small, small + "-copy");
    std::printf("peak working set of a walk copying %6d small files: %7.1f MB  "
                "(tree made in %.1f s, walk process %.1f s)\n",
                count, peakKiB / 1024.0, made, Now() - start);
    std::fflush(stdout);
    RemoveTree(small + "-copy");
    RemoveTree(small);
  }
  RemoveTree(root);
  return 0;
}
