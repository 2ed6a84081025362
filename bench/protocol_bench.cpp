// How fast the protocol takes lines: appends protocol lines of about 90
// characters through ProtocolAdd into the real main window (created as the
// program creates it, visible, during a run), and prints the lines per
// second and how often the view brought the screen up to date (the median
// of five runs), the time of every block of 100,000 lines and the last
// block against the first (each block's fastest of the five runs: what
// the machine adds now and then only ever lengthens a block, and a block
// of 0.1 s is easily hit), and the process's peak working set, each against
// its target (a million lines in under 10 s, the last 100,000 lines at most
// 1.2 times the first, under 300 MB); then how fast lines come once a
// smaller protocol is full and the protocol cuts lines in its middle for
// every new one, and the same stream into the headless memo for comparison.
// The native build measures the headless memo only.
//
// Usage: protocol_bench.exe [lines [work [seconds]]]
//   lines:   how many protocol lines (default 1000000)
//   work:    microseconds of busy work before every line, as a run spends on
//            its files (default 0: lines as fast as they can come)
//   seconds: the window measurement stops after this time and reports how
//            far it came (default 600)
#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/Protocol.h"
#include "core/RunRecords.h"
#include "toolkit/headless/Headless.h"
#include "ui/WindowHost.h"
#ifdef _WIN32
#include "app/UnitMain.h"
#include "platform/win32/Win32Platform.h"
#include "toolkit/win32/Win32Toolkit.h"
#include "ui/MainForm.h"
#include "win/support/WinTestFiles.h"
#endif

namespace {

using namespace plovik;
using Clock = std::chrono::steady_clock;

constexpr int BlockLines = 100000;
// The memo-full measurement: a memo of this many lines takes this many more.
constexpr int FullMemoLines = 100000;
constexpr int FullMemoExtraLines = 2000;
// The window's stream runs this often.
constexpr int WindowRuns = 5;

// A copy line as a run writes it: tag and a path of some depth, about 90
// characters.
std::string SampleLine(int index) {
  static const char* const projects[] = {"Archive", "Customers", "Reports", "Website",
                                         "Accounting", "Photos"};
  char number[16];
  std::snprintf(number, sizeof number, "%07d", index % 10000000);
  return std::string("COPY   C:\\Data\\Projects\\") + projects[index % 6] + "\\" +
         std::to_string(2000 + index / 50000) + "\\Quarter" +
         std::to_string(index / 1000 % 4 + 1) + "\\Documents\\Correspondence\\letter-" + number +
         ".docx";
}

int workMicroseconds = 0;
double secondsLimit = 600;

void Work() {
  if (workMicroseconds <= 0) return;
  const auto until = Clock::now() + std::chrono::microseconds(workMicroseconds);
  while (Clock::now() < until) {
  }
}

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Measurement {
  int lines = 0;
  double seconds = 0;
  std::vector<double> blocks;  // seconds of every full block of BlockLines lines
  int screenUpdates = 0;       // how often the view brought the screen up to date
};

// Streams lines through ProtocolAdd, as a run does, until `lines` or the
// time limit.
Measurement Stream(int lines, double limit) {
  Measurement result;
  const Clock::time_point start = Clock::now();
  Clock::time_point blockStart = start;
  for (int i = 0; i < lines; ++i) {
    Work();
    ProtocolAdd(SampleLine(i));
    if ((i + 1) % BlockLines == 0) {
      const Clock::time_point now = Clock::now();
      result.blocks.push_back(std::chrono::duration<double>(now - blockStart).count());
      blockStart = now;
      if (std::chrono::duration<double>(now - start).count() > limit) {
        result.lines = i + 1;
        break;
      }
    }
    result.lines = i + 1;
  }
  Tk().ProcessMessages();
  result.seconds = SecondsSince(start);
  return result;
}

// The median of the whole run's figures and the fastest of each block over
// the runs; the machine may be busy with other work now and then.
Measurement Typical(const std::vector<Measurement>& runs) {
  Measurement median;
  if (runs.empty()) return median;
  const auto middle = [&runs](auto figure) {
    std::vector<double> values;
    for (const Measurement& run : runs) values.push_back(figure(run));
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
  };
  median.lines = runs.front().lines;
  median.seconds = middle([](const Measurement& run) { return run.seconds; });
  median.screenUpdates = static_cast<int>(
      middle([](const Measurement& run) { return static_cast<double>(run.screenUpdates); }));
  size_t blocks = runs.front().blocks.size();
  for (const Measurement& run : runs) blocks = std::min(blocks, run.blocks.size());
  for (size_t i = 0; i < blocks; ++i) {
    double fastest = runs.front().blocks[i];
    for (const Measurement& run : runs) fastest = std::min(fastest, run.blocks[i]);
    median.blocks.push_back(fastest);
  }
  return median;
}

void Print(const char* name, const Measurement& m) {
  const double rate = m.seconds > 0 ? m.lines / m.seconds : 0;
  std::printf("%-16s %8d lines %9.3f s %12.0f lines/s\n", name, m.lines, m.seconds, rate);
}

void PrintBlocks(const Measurement& m) {
  for (size_t i = 0; i < m.blocks.size(); ++i) {
    std::printf("  lines %7zu to %7zu: %7.3f s\n", i * BlockLines + 1, (i + 1) * BlockLines,
                m.blocks[i]);
  }
  if (m.blocks.size() >= 2 && m.blocks.front() > 0) {
    std::printf("last %d lines against the first %d: %.2f times the time (target: at most 1.2)\n",
                BlockLines, BlockLines, m.blocks.back() / m.blocks.front());
  }
}

Measurement MeasureHeadless(int lines) {
  HeadlessToolkit toolkit;
  InstallToolkit(&toolkit);
  std::unique_ptr<Form> form = toolkit.CreateForm();
  form->SetBounds(40, 40, 800, 580);
  std::unique_ptr<Memo> memo = toolkit.CreateMemo(*form);
  memo->SetBounds(8, 40, 760, 480);
  BindProtocol(ProtocolControls{memo.get(), nullptr, nullptr});
  memo->SetOnChange([](NotifyEvent&) { UpdateLogButtons(); });
  ProtocolClear();
  RunState.ActivityState = Updating;
  const Measurement result = Stream(lines, 1e9);
  RunState.ActivityState = Idle;
  BindProtocol(ProtocolControls{});
  InstallToolkit(nullptr);
  return result;
}

#ifdef _WIN32
size_t PeakWorkingSetMb() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return counters.PeakWorkingSetSize >> 20;
}

// The real main window, created as the program creates it, shown, and the
// protocol streaming into it during a run.
Measurement MeasureWindow(int lines) {
  const std::string appData = test::FreshTempDir("protocol-bench");
  SetEnvironmentVariableW(L"APPDATA", test::LongPath(appData).substr(4).c_str());
  InitializeUnitMain();
  std::vector<Measurement> runs;
  if (CreateWindows()) {
    FormMain->Self->SetVisible(true);
    static_cast<Win32Toolkit&>(Tk()).ProcessPendingMessages();
    RunState.ActivityState = Updating;
    auto& view = static_cast<Win32Memo&>(*FormMain->MemoProtocol);
    for (int run = 0; run < WindowRuns; ++run) {
      ProtocolClear();
      const int updatesBefore = view.UpdateCount();
      Measurement measured = Stream(lines, secondsLimit);
      const Clock::time_point start = Clock::now();
      // The screen shows the last line too.
      view.Flush();
      static_cast<Win32Toolkit&>(Tk()).ProcessPendingMessages();
      measured.seconds += SecondsSince(start);
      measured.screenUpdates = view.UpdateCount() - updatesBefore;
      runs.push_back(measured);
      if (measured.lines != lines) break;  // stopped by the time limit: no more runs
    }
    RunState.ActivityState = Idle;
  }
  TearDownWindows();
  BindProtocol(ProtocolControls{});
  test::RemoveTree(appData);
  return Typical(runs);
}

// The memo-full workaround on the real memo: a memo that holds about
// FullMemoLines lines takes FullMemoExtraLines lines more, each of which
// cuts lines in the middle of the text. Returns the time of the extra lines.
Measurement MeasureFullMemo() {
  std::unique_ptr<Form> form = Tk().CreateForm();
  form->SetBounds(40, 40, 800, 580);
  form->SetVisible(true);
  std::unique_ptr<Memo> memo = Tk().CreateMemo(*form);
  memo->SetBounds(8, 40, 760, 480);
  BindProtocol(ProtocolControls{memo.get(), nullptr, nullptr});
  ProtocolText().SetCapacity(static_cast<size_t>(FullMemoLines) * (SampleLine(0).size() + 2));
  ProtocolClear();
  int next = 0;
  while (ProtocolCutIndex == 0 && next < 2 * FullMemoLines) ProtocolAdd(SampleLine(next++));
  static_cast<Win32Memo&>(*memo).Flush();
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < FullMemoExtraLines; ++i) ProtocolAdd(SampleLine(next++));
  static_cast<Win32Memo&>(*memo).Flush();
  Measurement result;
  result.lines = FullMemoExtraLines;
  result.seconds = SecondsSince(start);
  std::printf("full memo of %d lines, cut at line %d\n", memo->Count(), ProtocolCutIndex);
  BindProtocol(ProtocolControls{});
  ProtocolText().SetCapacity(TextLines::DefaultCapacity);
  return result;
}

// The Win32 platform, but the program's window sees no command line: the
// benchmark's arguments are not the program's.
class BenchPlatform : public Win32Platform {
 public:
  std::string CommandLine() override { return "plovik.exe"; }
};
#endif

int Arguments(int argc, const std::vector<long>& values) {
  const int lines = argc > 1 ? static_cast<int>(std::max(1L, values[0])) : 1000000;
  if (argc > 2) workMicroseconds = static_cast<int>(values[1]);
  if (argc > 3) secondsLimit = static_cast<double>(std::max(1L, values[2]));
  return lines;
}

void PrintHeader(int lines) {
  std::printf("protocol lines of about %zu characters, e.g. %s\n", SampleLine(lines - 1).size(),
              SampleLine(lines - 1).c_str());
  if (workMicroseconds > 0) std::printf("with %d us of work before every line\n", workMicroseconds);
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<long> values;
  for (int i = 1; i < argc && i < 4; ++i) values.push_back(std::wcstol(argv[i], nullptr, 10));
  const int lines = Arguments(argc, values);
  PrintHeader(lines);
  BenchPlatform platform;
  InstallPlatform(&platform);
  bool complete = false;
  {
    Win32Toolkit toolkit(GetModuleHandleW(nullptr));
    InstallToolkit(&toolkit);
    const Measurement window = MeasureWindow(lines);
    complete = window.lines == lines;
    const size_t peak = PeakWorkingSetMb();
    Print("main window", window);
    PrintBlocks(window);
    const double perSecond = window.seconds > 0 ? window.screenUpdates / window.seconds : 0;
    std::printf("the view brought the screen up to date %d times (%.1f a second)\n",
                window.screenUpdates, perSecond);
    std::printf("peak working set of the process: %zu MB (target: under 300 MB)\n", peak);
    if (window.lines != lines) {
      std::printf("stopped after %.0f s at %d lines\n", secondsLimit, window.lines);
    } else if (lines >= 1000000) {
      std::printf("a million lines and more in %.3f s (target: under 10 s for a million)\n",
                  window.seconds);
    }
    std::fflush(stdout);
    Print("win32 full memo", MeasureFullMemo());
    InstallToolkit(nullptr);
  }
  const Measurement headless = MeasureHeadless(lines);
  Print("headless memo", headless);
  InstallPlatform(nullptr);
  std::fflush(stdout);
  return complete && headless.lines == lines ? 0 : 1;
}
#else
int main(int argc, char** argv) {
  std::vector<long> values;
  for (int i = 1; i < argc && i < 4; ++i) values.push_back(std::atol(argv[i]));
  const int lines = Arguments(argc, values);
  PrintHeader(lines);
  const Measurement headless = MeasureHeadless(lines);
  Print("headless memo", headless);
  PrintBlocks(headless);
  return headless.lines == lines ? 0 : 1;
}
#endif
