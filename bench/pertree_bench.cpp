// The whole program per file: the real plovik.exe makes the first copy of
// trees of small files (200 to 2,000 bytes, 100 to a folder), with a
// protocol line per file, verified, and quiet, side by side with xcopy on
// the same tree in the same run. Prints seconds and milliseconds per file of
// each, the throughput ratio to xcopy and the peak working set of
// plovik.exe.
//
// A whole-program timing carries a fixed cost (start-up, the window, and
// under Xvfb without a window manager Wine's wait of about 2.4 s when a
// window is hidden). Each variant is therefore also timed on a tiny tree,
// and the per-file figures are net of that run; the slope between two
// sizes is printed as well, which no fixed cost touches.
//
// The run's progress in the window title changes at most a few times a
// second. The bench reads the titles of plovik.exe's windows while it runs
// and counts how often they change, times a title change on a window of
// its own, and prints what the title changes cost against the run.
//
// Usage: pertree_bench.exe [-rROUNDS] [files ...]
//   files   tree sizes (default: 5000 50000 200000)
//   ROUNDS  runs of every variant on every tree, the fastest counting
//           (default 1; a busy machine wants more, and four rounds let
//           every variant follow every other once)
//   (plovik.exe beside the bench folder, or the one PLOVIK_EXE names)
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "lib/Wide.h"
#include "win/support/ProgramProcess.h"
#include "win/support/WinTestFiles.h"

using namespace plovik;
using namespace plovik::test;

namespace {

constexpr int FilesPerFolder = 100;
constexpr int FoldersPerGroup = 50;
constexpr uint32_t MinFileBytes = 200;
constexpr uint32_t MaxFileBytes = 2000;
constexpr int TinyTreeFiles = 100;
constexpr DWORD MemoryPollMs = 100;
const std::vector<int> DefaultSizes = {5000, 50000, 200000};

double Now() {
  LARGE_INTEGER frequency, counter;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&counter);
  return double(counter.QuadPart) / double(frequency.QuadPart);
}

bool WriteSmallFile(const std::string& path, const char* data, DWORD size) {
  HANDLE h = ::CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = ::WriteFile(h, data, size, &written, nullptr) && written == size;
  ::CloseHandle(h);
  return ok;
}

// A tree of small files, 100 to a folder, the folders in groups of 50
// below the root (root\G000\F0000\file000.dat).
bool MakeTree(const std::string& root, int files) {
  static const std::string noise = Pattern(1 << 16, 4711);
  ::CreateDirectoryW(LongPath(root).c_str(), nullptr);
  uint32_t x = 123456789;
  std::string folder;
  for (int i = 0; i < files; ++i) {
    const int folderIndex = i / FilesPerFolder;
    if (i % FilesPerFolder == 0) {
      char name[32];
      std::snprintf(name, sizeof name, "\\G%03d", folderIndex / FoldersPerGroup);
      const std::string group = root + name;
      if (folderIndex % FoldersPerGroup == 0) ::CreateDirectoryW(LongPath(group).c_str(), nullptr);
      std::snprintf(name, sizeof name, "\\F%04d", folderIndex);
      folder = group + name;
      ::CreateDirectoryW(LongPath(folder).c_str(), nullptr);
    }
    x = x * 1664525u + 1013904223u;
    const DWORD size = MinFileBytes + (x >> 8) % (MaxFileBytes - MinFileBytes + 1);
    char name[32];
    std::snprintf(name, sizeof name, "\\file%03d.dat", i % FilesPerFolder);
    if (!WriteSmallFile(folder + name, noise.data() + (x % 60000), size)) return false;
  }
  return true;
}

// Files below a directory, counted with the system's own search.
int CountFiles(const std::string& dir) {
  WIN32_FIND_DATAW data;
  HANDLE search = ::FindFirstFileW(LongPath(dir + "\\*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
      count += CountFiles(dir + "\\" + Narrow(name));
    else
      ++count;
  } while (::FindNextFileW(search, &data));
  ::FindClose(search);
  return count;
}

struct Timing {
  double seconds = 0;
  double peakMB = 0;  // of the process's working set; 0 when unknown
  DWORD exitCode = 0;
  int titleChanges = 0;  // of the process's visible windows, as polled
};

struct TitleSearch {
  DWORD processId;
  std::wstring titles;
};

BOOL CALLBACK AddTitle(HWND window, LPARAM data) {
  auto& search = *reinterpret_cast<TitleSearch*>(data);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner != search.processId || !::IsWindowVisible(window)) return TRUE;
  wchar_t title[512];
  const int length = ::GetWindowTextW(window, title, 512);
  search.titles.append(title, static_cast<size_t>(std::max(0, length)));
  search.titles.push_back(L'\n');
  return TRUE;
}

// The titles of a process's visible top-level windows, one after another.
// A window of another process gives its title without a message to it.
std::wstring WindowTitles(DWORD processId) {
  TitleSearch search{processId, {}};
  ::EnumWindows(AddTitle, reinterpret_cast<LPARAM>(&search));
  return search.titles;
}

// Microseconds a title change of a visible window of this process costs.
double TitleChangeMicroseconds() {
  constexpr int Changes = 2000;
  HWND window = ::CreateWindowExW(0, L"STATIC", L"pertree_bench", WS_OVERLAPPEDWINDOW, 40, 40,
                                  400, 120, nullptr, nullptr, nullptr, nullptr);
  if (window == nullptr) return 0;
  ::ShowWindow(window, SW_SHOWNOACTIVATE);
  const double start = Now();
  for (int i = 0; i < Changes; ++i) {
    const std::wstring title = L" plovik  \x2013  " + std::to_wstring(i * 37) +
                               L" files, " + std::to_wstring(i) + L".4 MB copied";
    ::SetWindowTextW(window, title.c_str());
  }
  const double seconds = Now() - start;
  ::DestroyWindow(window);
  return 1e6 * seconds / Changes;
}

// Runs a command line to its end, its output sent to NUL, watching its
// peak working set while it runs (the counters go with the process).
Timing RunTimed(std::wstring commandLine, const std::wstring& environment) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE nul = ::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                             nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nul;
  startup.hStdOutput = nul;
  startup.hStdError = nul;
  PROCESS_INFORMATION process{};
  Timing timing;
  timing.exitCode = 0xFFFFFFFFu;
  const double start = Now();
  if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                       CREATE_UNICODE_ENVIRONMENT,
                       environment.empty() ? nullptr : const_cast<wchar_t*>(environment.data()),
                       nullptr, &startup, &process)) {
    std::wstring titles;
    for (;;) {
      const std::wstring now = WindowTitles(process.dwProcessId);
      if (!now.empty() && !titles.empty() && now != titles) ++timing.titleChanges;
      if (!now.empty()) titles = now;
      PROCESS_MEMORY_COUNTERS counters{};
      counters.cb = sizeof counters;
      if (::GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters))
        timing.peakMB = std::max(timing.peakMB, counters.PeakWorkingSetSize / 1048576.0);
      if (::WaitForSingleObject(process.hProcess, MemoryPollMs) != WAIT_TIMEOUT) break;
    }
    timing.seconds = Now() - start;
    ::GetExitCodeProcess(process.hProcess, &timing.exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
  if (nul != INVALID_HANDLE_VALUE) ::CloseHandle(nul);
  return timing;
}

// The environment of this process with APPDATA pointing at a folder of its
// own, so that no settings file of a user changes the program's options.
std::wstring EnvironmentWithAppData(const std::string& appData) {
  std::wstring block;
  wchar_t* strings = ::GetEnvironmentStringsW();
  for (const wchar_t* entry = strings; *entry != 0; entry += std::wcslen(entry) + 1) {
    if (_wcsnicmp(entry, L"APPDATA=", 8) == 0) continue;
    block.append(entry, std::wcslen(entry) + 1);
  }
  ::FreeEnvironmentStringsW(strings);
  block += L"APPDATA=" + Wide(appData);
  block.push_back(L'\0');
  block.push_back(L'\0');
  return block;
}

struct Variant {
  const char* label;
  const char* switches;  // empty for xcopy
};

const Variant Variants[] = {
    {"plovik, a protocol line per file", " /s /e /a /t"},
    {"plovik /v (verified)", " /s /e /v /a /t"},
    {"plovik /q (quiet)", " /s /e /q /a /t"},
    {"xcopy /D /E /I /Q /Y", ""},
};
constexpr int VariantCount = sizeof Variants / sizeof Variants[0];
constexpr int XcopyIndex = VariantCount - 1;

struct Bench {
  std::string exe;
  std::string root;
  std::wstring environment;

  Timing Run(int variant, const std::string& src, const std::string& dst) const {
    const Variant& v = Variants[variant];
    std::wstring command;
    if (variant == XcopyIndex)
      command = L"xcopy.exe \"" + Wide(src) + L"\" \"" + Wide(dst) + L"\" /D /E /I /Q /Y";
    else
      command = Wide(Quoted(exe) + " " + Quoted(src) + " " + Quoted(dst) + v.switches);
    Timing timing = RunTimed(command, environment);
    const int copied = CountFiles(dst);
    if (timing.exitCode != 0 || copied == 0)
      std::printf("  (%s ended with code %lu, %d files in the copy)\n", v.label,
                  static_cast<unsigned long>(timing.exitCode), copied);
    if (variant == XcopyIndex) timing.peakMB = 0;
    return timing;
  }

  // Every variant on a fresh copy of the tree, round after round. A run
  // pays for some of the disk work its predecessor left (the removal of a
  // whole tree above all), so the order changes from one round (and tree)
  // to the next such that over four rounds every variant goes first once
  // and follows every other variant once. The fastest run of each counts.
  void RunAll(const std::string& src, int rotation, Timing (&timings)[VariantCount]) const {
    static_assert(VariantCount == 4, "the orders are made for four variants");
    static constexpr int Orders[4][4] = {{0, 1, 3, 2}, {1, 2, 0, 3}, {2, 3, 1, 0}, {3, 0, 2, 1}};
    for (int round = 0; round < rounds; ++round) {
      for (int step = 0; step < VariantCount; ++step) {
        const int variant = Orders[(rotation + round) % 4][step];
        const std::string dst = root + "\\dst" + std::to_string(variant);
        RemoveTree(dst);
        const Timing timing = Run(variant, src, dst);
        if (round == 0 || timing.seconds < timings[variant].seconds) timings[variant] = timing;
        RemoveTree(dst);
      }
    }
  }
  int rounds = 1;
};

int Rounds(int argc, wchar_t** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::wcsncmp(argv[i], L"-r", 2) == 0)
      return std::max(1, static_cast<int>(std::wcstol(argv[i] + 2, nullptr, 10)));
  return 1;
}

std::vector<int> Sizes(int argc, wchar_t** argv) {
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] == L'-') continue;
    const int value = static_cast<int>(std::wcstol(argv[i], nullptr, 10));
    if (value > TinyTreeFiles) sizes.push_back(value);
  }
  return sizes.empty() ? DefaultSizes : sizes;
}

double titleChangeUs = 0;

void PrintSize(int files, const Timing (&timings)[VariantCount],
               const Timing (&tiny)[VariantCount], const Timing (*previous)[VariantCount],
               int previousFiles) {
  const double netFiles = files - TinyTreeFiles;
  const double xcopyNet = timings[XcopyIndex].seconds - tiny[XcopyIndex].seconds;
  std::printf("\n%d files:\n", files);
  std::printf("  %-34s %9s %11s %11s %12s %9s\n", "", "seconds", "net ms/file",
              "xcopy/this", previous ? "slope ms/f" : "", "peak MB");
  for (int v = 0; v < VariantCount; ++v) {
    const double net = timings[v].seconds - tiny[v].seconds;
    char slope[32] = "";
    if (previous)
      std::snprintf(slope, sizeof slope, "%.3f",
                    1000.0 * (timings[v].seconds - (*previous)[v].seconds) /
                        (files - previousFiles));
    char peak[32] = "-";
    if (timings[v].peakMB > 0) std::snprintf(peak, sizeof peak, "%.1f", timings[v].peakMB);
    std::printf("  %-34s %9.2f %11.3f %11.2f %12s %9s\n", Variants[v].label, timings[v].seconds,
                1000.0 * net / netFiles, xcopyNet / net, slope, peak);
  }
  const double plain = timings[0].seconds - tiny[0].seconds;
  const double verified = timings[1].seconds - tiny[1].seconds;
  std::printf("  verified/unverified time (net): %.2f\n", verified / plain);
  std::printf("  title changes seen during the run with a line per file: %d in %.1f s"
              " (%.1f a second)\n",
              timings[0].titleChanges, timings[0].seconds,
              timings[0].titleChanges / timings[0].seconds);
  if (titleChangeUs > 0)
    std::printf("  at %.0f us a title change, the progress in the title costs %.3f%% of the "
                "run (%.4f ms a file)\n",
                titleChangeUs, 100.0 * timings[0].titleChanges * titleChangeUs * 1e-6 /
                                   timings[0].seconds,
                timings[0].titleChanges * titleChangeUs * 1e-3 / files);
  std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
  Bench bench;
  bench.exe = ProgramPathForBench();
  if (!Exists(bench.exe)) {
    std::printf("no program at %s\n", bench.exe.c_str());
    return 1;
  }
  bench.root = FreshTempDir("pertree-bench");
  if (bench.root.empty()) {
    std::fprintf(stderr, "cannot make a directory for the trees in the temporary folder\n");
    return 2;
  }
  const std::string appData = bench.root + "\\appdata";
  ::CreateDirectoryW(LongPath(appData).c_str(), nullptr);
  bench.environment = EnvironmentWithAppData(appData);
  const std::vector<int> sizes = Sizes(argc, argv);
  bench.rounds = Rounds(argc, argv);

  std::printf("pertree_bench: first copies of trees of %u-%u byte files, %d to a folder; "
              "per-file figures net of a %d-file tree; fastest of %d round(s)\n",
              MinFileBytes, MaxFileBytes, FilesPerFolder, TinyTreeFiles, bench.rounds);
  titleChangeUs = TitleChangeMicroseconds();
  std::printf("a title change of a visible window: %.0f us\n", titleChangeUs);
  const std::string tinySrc = bench.root + "\\tiny";
  if (!MakeTree(tinySrc, TinyTreeFiles)) {
    std::fprintf(stderr, "cannot write the tree in %s\n", tinySrc.c_str());
    return 2;
  }
  Timing tiny[VariantCount];
  bench.RunAll(tinySrc, 0, tiny);
  RemoveTree(tinySrc);
  std::printf("\n%d files (the fixed cost):\n", TinyTreeFiles);
  for (int v = 0; v < VariantCount; ++v)
    std::printf("  %-34s %9.2f s\n", Variants[v].label, tiny[v].seconds);
  std::fflush(stdout);

  Timing previous[VariantCount];
  int previousFiles = 0;
  for (size_t i = 0; i < sizes.size(); ++i) {
    const std::string src = bench.root + "\\src";
    const double start = Now();
    if (!MakeTree(src, sizes[i])) {
      std::fprintf(stderr, "cannot write the tree in %s\n", src.c_str());
      return 2;
    }
    std::printf("\n(tree of %d files made in %.1f s)\n", sizes[i], Now() - start);
    Timing timings[VariantCount];
    bench.RunAll(src, static_cast<int>(i) + 1, timings);
    RemoveTree(src);
    PrintSize(sizes[i], timings, tiny, previousFiles > 0 ? &previous : nullptr, previousFiles);
    std::copy(std::begin(timings), std::end(timings), std::begin(previous));
    previousFiles = sizes[i];
  }
  RemoveTree(bench.root);
  return 0;
}
