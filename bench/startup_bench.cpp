// How fast the program comes up and changes its language: starts plovik.exe
// (beside the bench folder, or the one PLOVIK_EXE names) several times and
// measures the time from the start of the process to its idle main window,
// then, in this process on real windows, switches the main window's
// language from English to German and back 100 times. Prints the fastest
// and the median start, and the time of the switches.
//
// Usage: startup_bench.exe   (arguments are ignored)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/UnitMain.h"
#include "core/Protocol.h"
#include "core/RunRecords.h"
#include "platform/win32/Win32Platform.h"
#include "toolkit/win32/Win32Toolkit.h"
#include "ui/MainForm.h"
#include "win/support/ProgramProcess.h"
#include "win/support/WinTestFiles.h"

namespace {

using namespace plovik;
using Clock = std::chrono::steady_clock;

constexpr int Starts = 7;  // the first one warms the caches and is not counted
constexpr int LanguageRoundTrips = 100;
constexpr DWORD WaitMs = 60000;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// One start: from the process's creation to its idle window; -1 on failure.
double TimeOneStart(const std::string& exe, const std::string& appData) {
  test::ProgramProcess program;
  const Clock::time_point start = Clock::now();
  if (!program.Start(exe, appData) || !program.WaitUntilIdle(WaitMs)) return -1;
  const double elapsed = MillisecondsSince(start);
  const HWND window = program.FindWindowTitled(L" plovik", WaitMs);
  if (window == nullptr || program.CloseAndWait(window, WaitMs) != 0) return -1;
  return elapsed;
}

bool MeasureStarts(const std::string& exe) {
  const std::string appData = test::FreshTempDir("startup-bench");
  std::vector<double> times;
  for (int i = 0; i < Starts; ++i) {
    const double ms = TimeOneStart(exe, appData);
    if (ms < 0) {
      std::printf("start of %s failed\n", exe.c_str());
      return false;
    }
    if (i > 0) times.push_back(ms);
  }
  test::RemoveTree(appData);
  std::sort(times.begin(), times.end());
  std::printf("start to idle window: fastest %.0f ms, median %.0f ms (%zu warm starts)\n",
              times.front(), times[times.size() / 2], times.size());
  return true;
}

bool MeasureLanguageSwitches() {
  Win32Platform platform;
  InstallPlatform(&platform);
  Win32Toolkit toolkit(GetModuleHandleW(nullptr));
  InstallToolkit(&toolkit);
  const std::string appData = test::FreshTempDir("language-bench");
  SetEnvironmentVariableW(L"APPDATA", test::LongPath(appData).substr(4).c_str());
  InitializeUnitMain();
  bool ok = CreateWindows();
  if (ok) {
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < LanguageRoundTrips; ++i) {
      FormMain->MenuItemLanguageGerman->Click();
      FormMain->MenuItemLanguageEnglish->Click();
    }
    const double ms = MillisecondsSince(start);
    std::printf("%d language switches back and forth: %.0f ms (%.2f ms a switch)\n",
                LanguageRoundTrips, ms, ms / (2 * LanguageRoundTrips));
  }
  TearDownWindows();
  BindProtocol(ProtocolControls{});
  InstallToolkit(nullptr);
  InstallPlatform(nullptr);
  test::RemoveTree(appData);
  return ok;
}

}  // namespace

int wmain(int, wchar_t**) {
  const std::string exe = test::ProgramPathForBench();
  const bool started = MeasureStarts(exe);
  const bool switched = MeasureLanguageSwitches();
  return started && switched ? 0 : 1;
}
