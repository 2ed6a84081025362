// Unattended runs ("/u") of the real plovik.exe under Wine: whatever stands
// in its way (a destination file another program holds open, a missing
// source, a destination inside the source, a log that cannot be saved, a
// drive letter that is not there), the program answers by its rules, never
// shows a box, ends by itself with its exit code and leaves its protocol in
// the run history; and a second instance started behind it gets its turn
// once it has ended.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "win/support/ProgramProcess.h"
#include "win/support/ProgramTrials.h"
#include "win/support/WinTestFiles.h"

namespace plovik::test {
namespace {

using Lines = std::vector<std::string>;

// Longer than any unattended run here may take: the program is killed then.
constexpr DWORD EndLimitMs = 60000;
constexpr DWORD PollMs = 20;
// The reconnection of a missing drive lasts about 10 seconds.
constexpr DWORD ReconnectionMs = 9000;
constexpr const wchar_t* WaitMutexName = L"plovikWaitingToGo";
constexpr const wchar_t* WaitingText = L"Waiting for other instances of plovik to finish copying.";

std::string Narrow(const std::wstring& text) {
  char narrow[1024] = {};
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, narrow, sizeof narrow, nullptr, nullptr);
  return narrow;
}

struct BoxSearch {
  DWORD processId;
  std::vector<std::string>* found;
};

// A box of the process: the program's own message dialog, or a system
// dialog box (a system message box, the network's logon prompt).
BOOL CALLBACK NoteBox(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<BoxSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId) return TRUE;
  wchar_t className[64] = {}, title[256] = {};
  GetClassNameW(window, className, 64);
  const std::wstring kind = className;
  if (kind == L"PlovikMessageDialog" || (kind == L"#32770" && IsWindowVisible(window))) {
    GetWindowTextW(window, title, 256);
    const std::string box = Narrow(kind) + " \"" + Narrow(title) + "\"";
    if (std::find(search->found->begin(), search->found->end(), box) == search->found->end())
      search->found->push_back(box);
  }
  return TRUE;
}

// What watching a program from its start to its end found.
struct Watched {
  int exitCode = -1;  // -1: it did not end within EndLimitMs and was killed
  DWORD elapsedMs = 0;
  std::vector<std::string> boxes;  // every box window that showed meanwhile
};

// Watches the programs until each has ended, noting every box that shows;
// a program still running after EndLimitMs is killed.
std::vector<Watched> WatchUntilEnd(const std::vector<ProgramProcess*>& programs, DWORD startTick) {
  std::vector<Watched> watched(programs.size());
  std::vector<bool> ended(programs.size(), false);
  for (;;) {
    const DWORD elapsed = GetTickCount() - startTick;
    bool allEnded = true;
    for (size_t i = 0; i < programs.size(); ++i) {
      if (ended[i]) continue;
      BoxSearch search{programs[i]->Id(), &watched[i].boxes};
      EnumWindows(NoteBox, reinterpret_cast<LPARAM>(&search));
      const int code = programs[i]->Wait(0);
      if (code != -1 || elapsed > EndLimitMs) {
        if (code == -1) programs[i]->Kill();
        watched[i].exitCode = code;
        watched[i].elapsedMs = elapsed;
        ended[i] = true;
      }
      allEnded = allEnded && ended[i];
    }
    if (allEnded) return watched;
    Sleep(PollMs);
  }
}

Lines FileLines(const std::string& path) {
  const std::string text = ReadWholeFile(path);
  Lines lines;
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end - start));
    start = end == std::string::npos ? text.size() : end + 2;
  }
  return lines;
}

// True when each text begins a line of the lines, in this order.
::testing::AssertionResult HoldsInOrder(const Lines& lines, const Lines& beginnings) {
  auto at = lines.begin();
  for (const std::string& beginning : beginnings) {
    at = std::find_if(at, lines.end(),
                      [&](const std::string& line) { return line.rfind(beginning, 0) == 0; });
    if (at == lines.end()) {
      std::string all;
      for (const std::string& line : lines) all += "\n  " + line;
      return ::testing::AssertionFailure() << "no line: " << beginning << "\nin:" << all;
    }
    ++at;
  }
  return ::testing::AssertionSuccess();
}

std::string Heading(int exitCode) { return " exit code " + std::to_string(exitCode) + " ===="; }

// The headings of the runs in a history, in their order.
Lines Headings(const Lines& history) {
  Lines headings;
  for (const std::string& line : history)
    if (line.rfind("==== ", 0) == 0) headings.push_back(line);
  return headings;
}

// A drive letter that names no drive here, Q: if that one is free.
char UnmappedLetter() {
  const DWORD drives = GetLogicalDrives();
  for (const char letter : std::string("QRSTUVWXYPONMLKJ"))
    if ((drives & (1u << (letter - 'A'))) == 0) return letter;
  return 0;
}

// Whether another process owns the wait mutex: its run has its turn.
bool AnotherInstanceHasItsTurn() {
  HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, WaitMutexName);
  if (mutex == nullptr) return false;
  const DWORD state = WaitForSingleObject(mutex, 0);
  // Free: it was taken here for a moment and is given back at once.
  if (state == WAIT_OBJECT_0 || state == WAIT_ABANDONED) ReleaseMutex(mutex);
  CloseHandle(mutex);
  return state == WAIT_TIMEOUT;
}

class UnattendedWinTest : public ::testing::Test {
 public:
  void SetUp() override {
    exe = ProgramPath();
    if (exe.empty()) GTEST_SKIP() << "PLOVIK_EXE names no program";
    root = FreshTempDir("unattended");
    appData = root + "\\appdata";
    CreateDirectoryW(LongPath(appData).c_str(), nullptr);
    history = appData + "\\Orvendale\\plovik\\plovik-runs.log";
  }
  void TearDown() override {
    for (HANDLE handle : held) CloseHandle(handle);
    if (!root.empty()) RemoveTree(root);
  }

  // A source directory with files dated in 2021.
  std::string MakeSource(const std::string& name, const Lines& files) {
    const std::string dir = root + "\\" + name;
    CreateDirectoryW(LongPath(dir).c_str(), nullptr);
    for (const std::string& file : files) {
      WriteWholeFile(dir + "\\" + file, "new " + file);
      SetWriteTime(dir + "\\" + file, UtcFileTime(2021, 1, 2, 3, 4, 5));
    }
    return dir;
  }
  // An older copy of a file in a destination, held open by this process
  // without sharing until the test ends.
  void HoldOldCopy(const std::string& dir, const std::string& file) {
    CreateDirectoryW(LongPath(dir).c_str(), nullptr);
    WriteWholeFile(dir + "\\" + file, "old " + file);
    SetWriteTime(dir + "\\" + file, UtcFileTime(2020, 1, 2, 3, 4, 5));
    HANDLE handle = CreateFileW(LongPath(dir + "\\" + file).c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    held.push_back(handle);
  }

  // Runs the program with the arguments and watches it to its end.
  Watched RunWatched(const std::string& arguments) {
    ProgramProcess program;
    const DWORD start = GetTickCount();
    if (!program.Start(exe, appData, arguments)) return Watched{};
    const Watched watched = WatchUntilEnd({&program}, start)[0];
    std::printf("  %s: exit code %d after %lu ms\n", arguments.c_str(), watched.exitCode,
                static_cast<unsigned long>(watched.elapsedMs));
    return watched;
  }

  std::string exe, root, appData, history;
  std::vector<HANDLE> held;
};

// Every end of an unattended run: by itself, with its exit code, without a
// box, and with the protocol (the automatic answers included) in the
// history.
struct EndCase {
  const char* name;
  // Prepares the trees and returns the arguments.
  std::function<std::string(UnattendedWinTest&)> prepare;
  int exitCode;
  // The history's lines (their beginnings), in this order; "%R" stands for
  // the test's folder.
  Lines history;
  DWORD atLeastMs = 0;
};

void PrintTo(const EndCase& c, std::ostream* out) { *out << c.name; }

// The text with "%R" replaced by the test's folder and "%D" by the
// unmapped drive letter.
std::string Expanded(const std::string& text, const std::string& root) {
  std::string expanded;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool mark = text[i] == '%' && i + 1 < text.size();
    if (mark && text[i + 1] == 'R') {
      expanded += root;
      ++i;
    } else if (mark && text[i + 1] == 'D') {
      expanded += UnmappedLetter();
      ++i;
    } else {
      expanded += text[i];
    }
  }
  return expanded;
}

class UnattendedEndTest : public UnattendedWinTest,
                          public ::testing::WithParamInterface<EndCase> {};

TEST_P(UnattendedEndTest, EndsByItselfWithItsExitCodeShowsNoBoxAndKeepsTheRunInTheHistory) {
  const EndCase& c = GetParam();
  ASSERT_NE(UnmappedLetter(), 0) << "every drive letter is mapped";
  const std::string arguments = c.prepare(*this) + " /u";
  const Watched watched = RunWatched(arguments);
  ASSERT_NE(watched.exitCode, -1) << "still running after " << EndLimitMs << " ms";
  EXPECT_EQ(watched.exitCode, c.exitCode);
  EXPECT_EQ(watched.boxes, Lines{});
  EXPECT_GE(watched.elapsedMs, c.atLeastMs);
  const Lines runs = FileLines(history);
  ASSERT_EQ(Headings(runs).size(), 1u) << ReadWholeFile(history);
  EXPECT_NE(runs[0].find(Heading(c.exitCode)), std::string::npos) << runs[0];
  Lines expected;
  for (const std::string& line : c.history) expected.push_back(Expanded(line, root));
  EXPECT_TRUE(HoldsInOrder(runs, expected));
  // A command line leaves the settings alone.
  EXPECT_FALSE(Exists(appData + "\\Orvendale\\plovik\\plovik.ini"));
}

INSTANTIATE_TEST_SUITE_P(
    EveryEnd, UnattendedEndTest,
    ::testing::Values(
        EndCase{"ADestinationFileHeldOpenIsRetriedTwiceThenPassedOver",
                [](UnattendedWinTest& t) {
                  const std::string src = t.MakeSource("Data", {"a.txt", "b.txt"});
                  t.HoldOldCopy(t.root + "\\Backup", "a.txt");
                  return Quoted(src) + " " + Quoted(t.root + "\\Backup");
                },
                1,
                {"COPY   %R\\Data\\a.txt",
                 "AUTO   Retry in 2 s (1 of 2): File  %R\\Data\\a.txt  cannot be copied to  "
                 "%R\\Backup  Mysterious Windows error  (error code=32)",
                 "AUTO   Retry in 2 s (2 of 2): File  %R\\Data\\a.txt",
                 "AUTO   Ignore: File  %R\\Data\\a.txt",
                 "****** Mysterious Windows error  (error code=32) ******",
                 "Files:                2 found        1 copied",
                 "Unattended: automatic answers 3, failure lines 1, elapsed 0:00:0"},
                4000},
        EndCase{"AMissingSourceDirectoryIsNoSpecificationAndRefused",
                [](UnattendedWinTest& t) {
                  return Quoted(t.root + "\\nosuch") + " " + Quoted(t.root + "\\Backup");
                },
                3,
                {"AUTO   No: Source directory  %R\\nosuch  not found.",
                 "AUTO   Abort: this command line cannot start an unattended run."}},
        EndCase{"ADestinationInsideTheSourceIsRefused",
                [](UnattendedWinTest& t) {
                  const std::string src = t.MakeSource("Data", {"a.txt"});
                  return Quoted(src) + " " + Quoted(src + "\\Backup");
                },
                3,
                {"AUTO   Abort: Destination    %R\\Data\\Backup  contained in source   %R\\Data"}},
        EndCase{"ALogThatCannotBeSavedIsAFailureLine",
                [](UnattendedWinTest& t) {
                  const std::string src = t.MakeSource("Data", {"a.txt"});
                  return Quoted(src + "\\*.doc") + " " + Quoted(t.root + "\\NoSuch\\Backup") +
                         " /s /l";
                },
                1,
                {"****** The protocol could not be saved:  %R\\NoSuch\\Backup\\PLOVIK-LOG.TXT",
                 "AUTO   OK: The file could not be written:"}},
        EndCase{"AMissingDestinationDriveIsRefusedAfterItsReconnection",
                [](UnattendedWinTest& t) {
                  const std::string src = t.MakeSource("Data", {"a.txt"});
                  return Quoted(src) + " " + std::string(1, UnmappedLetter()) + ":\\Backup";
                },
                3, {"AUTO   Abort: Destination drive  %D:  not found."}, ReconnectionMs}),
    [](const ::testing::TestParamInfo<EndCase>& info) { return std::string(info.param.name); });

// The same refusal without "/u" waits in its box for a person: the watch
// that finds no box above does see one.
TEST_F(UnattendedWinTest, WithoutUnattendedTheSameRefusalWaitsInItsBox) {
  const std::string src = MakeSource("Data", {"a.txt"});
  ProgramProcess program;
  ASSERT_TRUE(program.Start(exe, appData, Quoted(src) + " " + Quoted(src + "\\Backup") + " /a /t"));
  std::vector<std::string> boxes;
  for (DWORD waited = 0; boxes.empty() && waited < EndLimitMs; waited += PollMs, Sleep(PollMs)) {
    BoxSearch search{program.Id(), &boxes};
    EnumWindows(NoteBox, reinterpret_cast<LPARAM>(&search));
  }
  EXPECT_EQ(boxes, Lines{"PlovikMessageDialog \"Fehler\""});
  EXPECT_TRUE(program.Running());
  program.Kill();
  EXPECT_FALSE(Exists(history));
}

// A second instance started while an unattended run retries a file that
// another program holds is not kept waiting by a box: it waits for its
// turn, gets it once the first has ended, and both end by themselves with
// their own exit codes; the history holds both runs in their order.
TEST_F(UnattendedWinTest, ASecondInstanceGetsItsTurnOnceTheUnattendedRunHasEnded) {
  const std::string first = MakeSource("Data1", {"a.txt", "b.txt"});
  HoldOldCopy(root + "\\Backup1", "a.txt");
  const std::string second = MakeSource("Data2", {"c.txt"});
  const int64_t since = FileTimeNow();
  ProgramProcess one, two;
  const DWORD start = GetTickCount();
  ASSERT_TRUE(one.Start(exe, appData, Quoted(first) + " " + Quoted(root + "\\Backup1") + " /l /u"));
  bool turnTaken = false;
  for (DWORD waited = 0; !turnTaken && waited < EndLimitMs; waited += PollMs, Sleep(PollMs))
    turnTaken = AnotherInstanceHasItsTurn();
  ASSERT_TRUE(turnTaken) << "the first instance never began its run";
  const DWORD secondStart = GetTickCount();
  ASSERT_TRUE(two.Start(exe, appData, Quoted(second) + " " + Quoted(root + "\\Backup2") + " /u"));
  HWND panel = nullptr;
  for (DWORD waited = 0; panel == nullptr && waited < EndLimitMs && one.Running();
       waited += PollMs, Sleep(PollMs))
    panel = two.ShownText(WaitingText);
  EXPECT_NE(panel, nullptr) << "the second instance did not wait for its turn";

  const std::vector<Watched> watched = WatchUntilEnd({&one, &two}, start);
  std::printf("  the first ended after %lu ms with exit code %d, the second %lu ms after its "
              "start with exit code %d\n",
              static_cast<unsigned long>(watched[0].elapsedMs), watched[0].exitCode,
              static_cast<unsigned long>(watched[1].elapsedMs - (secondStart - start)),
              watched[1].exitCode);
  EXPECT_EQ(watched[0].exitCode, 1);
  EXPECT_EQ(watched[1].exitCode, 0);
  EXPECT_EQ(watched[0].boxes, Lines{});
  EXPECT_EQ(watched[1].boxes, Lines{});
  EXPECT_EQ(ReadWholeFile(root + "\\Backup1\\b.txt"), "new b.txt");
  EXPECT_EQ(ReadWholeFile(root + "\\Backup2\\c.txt"), "new c.txt");
  // The first saved its log at the end of its turn; the second began after.
  const int64_t firstEnd = WriteTime(root + "\\Backup1\\PLOVIK-LOG.TXT");
  ASSERT_NE(firstEnd, 0);
  const Activity secondRun = ActivityIn(root + "\\Backup2", since);
  EXPECT_GT(secondRun.first, firstEnd);
  const Lines runs = FileLines(history);
  const Lines headings = Headings(runs);
  ASSERT_EQ(headings.size(), 2u) << ReadWholeFile(history);
  EXPECT_NE(headings[0].find(Heading(1)), std::string::npos) << headings[0];
  EXPECT_NE(headings[1].find(Heading(0)), std::string::npos) << headings[1];
  EXPECT_TRUE(HoldsInOrder(runs, {"AUTO   Ignore: File  " + first + "\\a.txt",
                                  "COPY   " + second + "\\c.txt"}));
}

}  // namespace
}  // namespace plovik::test
