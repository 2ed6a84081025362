// How fast the protocol takes lines: appends protocol lines of a realistic
// length through ProtocolAdd, first to the real memo in a visible window,
// then to the headless memo, and prints lines, seconds and lines per second
// of both and their ratio; then how fast lines come once the real memo is
// full and the protocol deletes lines in its middle for every new one. The
// native build measures the headless memo only.
//
// Usage: protocol_bench.exe [lines [work]]
//   lines: how many protocol lines (default 100000)
//   work:  microseconds of busy work before every line, as a run spends on
//          its files (default 0: lines as fast as they can come)
#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/RunRecords.h"
#include "toolkit/headless/Headless.h"
#include "core/Protocol.h"
#ifdef _WIN32
#include "toolkit/win32/Win32Toolkit.h"
#endif

namespace {

using namespace plovik;

// A copy line as a run writes it: tag and a path of some depth.
std::string SampleLine(int index) {
  static const char* const projects[] = {"Archive", "Customers", "Reports", "Website",
                                         "Accounting", "Photos"};
  char number[16];
  std::snprintf(number, sizeof number, "%05d", index % 100000);
  return std::string("COPY   C:\\Data\\Projects\\") + projects[index % 6] + "\\" +
         std::to_string(2000 + index / 5000) + "\\Quarter" + std::to_string(index / 1000 % 4 + 1) +
         "\\Documents\\file" + number + ".txt";
}

struct Measurement {
  int lines = 0;
  double seconds = 0;
};

// Fills the memo through the protocol and returns the time it took, the
// control brought up to date included.
int workMicroseconds = 0;

void Work() {
  if (workMicroseconds <= 0) return;
  const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(workMicroseconds);
  while (std::chrono::steady_clock::now() < until) {
  }
}

Measurement FillProtocol(Toolkit& toolkit, Form& form, int lines,
                         void (*finish)(Memo& memo)) {
  InstallToolkit(&toolkit);
  std::unique_ptr<Memo> memo = toolkit.CreateMemo(form);
  std::unique_ptr<Button> saveLog = toolkit.CreateButton(form);
  std::unique_ptr<Button> printLog = toolkit.CreateButton(form);
  std::unique_ptr<Label> fontLabel = toolkit.CreateLabel(form);
  memo->SetBounds(8, 40, 760, 480);
  memo->SetFont(Font{"Lucida Console", 11});
  saveLog->SetBounds(8, 8, 90, 25);
  printLog->SetBounds(106, 8, 90, 25);
  fontLabel->SetVisible(false);
  BindProtocol(ProtocolControls{memo.get(), saveLog.get(), printLog.get(), fontLabel.get(),
                                nullptr});
  memo->SetOnChange([](NotifyEvent&) { MemoProtocolOnChange(); });
  ProtocolClear();
  RunState.ActivityState = Updating;

  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < lines; ++i) {
    Work();
    ProtocolAdd(SampleLine(i));
  }
  if (finish != nullptr) finish(*memo);
  const auto end = std::chrono::steady_clock::now();

  RunState.ActivityState = Idle;
  Measurement result;
  result.lines = memo->Count();
  result.seconds = std::chrono::duration<double>(end - start).count();
  BindProtocol(ProtocolControls{});
  return result;
}

void Print(const char* name, const Measurement& m) {
  const double rate = m.seconds > 0 ? m.lines / m.seconds : 0;
  std::printf("%-14s %8d lines %9.3f s %12.0f lines/s\n", name, m.lines, m.seconds, rate);
}

Measurement MeasureHeadless(int lines) {
  HeadlessToolkit toolkit;
  std::unique_ptr<Form> form = toolkit.CreateForm();
  form->SetBounds(40, 40, 800, 580);
  return FillProtocol(toolkit, *form, lines, nullptr);
}

#ifdef _WIN32
Measurement MeasureWin32(int lines) {
  Win32Toolkit toolkit(GetModuleHandleW(nullptr));
  std::unique_ptr<Form> form = toolkit.CreateForm();
  form->SetCaption("Plovik protocol benchmark");
  form->SetBounds(40, 40, 800, 580);
  form->SetVisible(true);
  toolkit.ProcessPendingMessages();
  return FillProtocol(toolkit, *form, lines, [](Memo& memo) {
    // Every line shown: the last batch reaches the control too.
    auto& control = static_cast<Win32Memo&>(memo);
    control.Flush();
    std::printf("win32 memo: %d pushes to the control took %.3f s\n", control.FlushCount(),
                control.FlushMilliseconds() / 1000.0);
  });
}

// The memo-full workaround on the real memo: a memo that holds about
// `lines` lines takes `extra` lines more, each of which deletes lines at
// the cut in the middle of the text. Returns the time of the extra lines.
Measurement MeasureFullMemo(int lines, int extra) {
  Win32Toolkit toolkit(GetModuleHandleW(nullptr));
  InstallToolkit(&toolkit);
  std::unique_ptr<Form> form = toolkit.CreateForm();
  form->SetBounds(40, 40, 800, 580);
  form->SetVisible(true);
  std::unique_ptr<Memo> memo = toolkit.CreateMemo(*form);
  std::unique_ptr<Label> fontLabel = toolkit.CreateLabel(*form);
  memo->SetBounds(8, 40, 760, 480);
  memo->SetCapacity(static_cast<size_t>(lines) * (SampleLine(0).size() + 2));
  fontLabel->SetVisible(false);
  BindProtocol(ProtocolControls{memo.get(), nullptr, nullptr, fontLabel.get(), nullptr});
  ProtocolClear();
  int next = 0;
  while (ProtocolCutIndex == 0 && next < 2 * lines) ProtocolAdd(SampleLine(next++));
  static_cast<Win32Memo&>(*memo).Flush();
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < extra; ++i) ProtocolAdd(SampleLine(next++));
  static_cast<Win32Memo&>(*memo).Flush();
  const auto end = std::chrono::steady_clock::now();
  Measurement result;
  result.lines = extra;
  result.seconds = std::chrono::duration<double>(end - start).count();
  std::printf("full memo of %d lines, cut at line %d\n", memo->Count(), ProtocolCutIndex);
  BindProtocol(ProtocolControls{});
  return result;
}
#endif

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  const int lines = argc > 1 ? std::max(1, static_cast<int>(std::wcstol(argv[1], nullptr, 10)))
                             : 100000;
  if (argc > 2) workMicroseconds = static_cast<int>(std::wcstol(argv[2], nullptr, 10));
  const Measurement win32 = MeasureWin32(lines);
  const Measurement headless = MeasureHeadless(lines);
  std::printf("protocol lines of about %zu characters, e.g. %s\n", SampleLine(lines - 1).size(),
              SampleLine(lines - 1).c_str());
  if (workMicroseconds > 0) std::printf("with %d us of work before every line\n", workMicroseconds);
  Print("win32 memo", win32);
  Print("headless memo", headless);
  if (headless.seconds > 0) {
    std::printf("ratio win32/headless: %.1f\n", win32.seconds / headless.seconds);
  }
  // Lines beyond a full memo: each deletes lines in the middle of the text.
  constexpr int FullMemoExtraLines = 2000;
  Print("win32 full memo", MeasureFullMemo(lines, FullMemoExtraLines));
  std::fflush(stdout);
  return win32.lines == lines && headless.lines == lines ? 0 : 1;
}
#else
int main(int argc, char** argv) {
  const int lines = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
  if (argc > 2) workMicroseconds = std::atoi(argv[2]);
  const Measurement headless = MeasureHeadless(lines);
  std::printf("protocol lines of about %zu characters, e.g. %s\n", SampleLine(lines - 1).size(),
              SampleLine(lines - 1).c_str());
  Print("headless memo", headless);
  return headless.lines == lines ? 0 : 1;
}
#endif
