// Instance coordination between real processes: copies of the test program
// in their instance mode take numbers and wait for their turn with real
// named mutexes. Each test runs a copy under a name of its own, so the
// mutex names (which come from the executable's name) are its own too.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/RunRecords.h"
#include "lib/Wide.h"
#include "platform/win32/Win32Platform.h"
#include "run/Instances.h"
#include "ui/WindowHost.h"
#include "toolkit/headless/Headless.h"
#include "win/support/InstanceChild.h"
#include "win/support/WinTestFiles.h"

namespace plovik::test {
namespace {

struct TurnReport {
  int number = -1;
  uint64_t start = 0, end = 0;  // file times
  int passes = 0;               // message passes while waiting
};

uint64_t FileTimeNow() {
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  return (uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

class InstancesWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallPlatform(&platform);
    InstallToolkit(&toolkit);
    InstanceHandles = TInstanceHandles{};
    root = FreshTempDir("instances");
    RunOptions.ProgramBaseName = "plovikwt" + std::to_string(::GetCurrentProcessId()) + "-" +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
    exe = root + "\\" + RunOptions.ProgramBaseName + ".exe";
    ASSERT_TRUE(::CopyFileW(Wide(platform.ModulePath()).c_str(), Wide(exe).c_str(), TRUE));
    ComposeWaitMutexName();
  }
  void TearDown() override {
    CloseInstanceMutexes();
    InstallToolkit(nullptr);
    InstallPlatform(nullptr);
    RemoveTree(root);
  }

  std::unique_ptr<InstanceChild> Start(InstanceChildMode mode, int i, DWORD holdMs) {
    return std::make_unique<InstanceChild>(exe, mode, ReportPath(i), holdMs);
  }
  std::string ReportPath(int i) const { return root + "\\turn" + std::to_string(i) + ".txt"; }
  TurnReport ReadTurn(int i) const {
    TurnReport turn;
    std::istringstream(ReadWholeFile(ReportPath(i))) >> turn.number >> turn.start >> turn.end >>
        turn.passes;
    return turn;
  }
  // This process holds the turn, as an updating instance.
  std::unique_ptr<NamedMutex> HoldTurn() {
    std::unique_ptr<NamedMutex> mutex =
        std::move(platform.OpenMutex(InstanceHandles.WaitMutexName)->mutex);
    EXPECT_EQ(*mutex->TryTake(), NamedMutex::Take::Taken);
    return mutex;
  }
  // Whether the instance numbers 1..count are taken, within 20 seconds.
  bool NumbersTaken(int count) {
    for (int round = 0; round < 200; ++round, ::Sleep(100)) {
      int taken = 0;
      for (int n = 1; n <= count; ++n) {
        const std::wstring name = Wide(RunOptions.ProgramBaseName + std::to_string(n));
        HANDLE mutex = ::OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
        if (mutex != nullptr) ++taken, ::CloseHandle(mutex);
      }
      if (taken == count) return true;
    }
    return false;
  }

  Win32Platform platform;
  HeadlessToolkit toolkit;
  std::string root, exe;
};

TEST_F(InstancesWinTest, AWaitingProcessSleepsUntilTheOwnerGivesTheTurnBack) {
  std::unique_ptr<NamedMutex> turn = HoldTurn();
  auto child = Start(InstanceChildMode::Turn, 1, 0);
  EXPECT_FALSE(child->Wait(3000)) << "it did not wait: exit code " << child->ExitCode();
  const uint64_t releasedAt = FileTimeNow();
  ASSERT_TRUE(turn->Release());
  ASSERT_TRUE(child->Wait(20000));
  EXPECT_EQ(child->ExitCode(), 0u);
  const TurnReport taken = ReadTurn(1);
  EXPECT_EQ(taken.number, 1);
  EXPECT_GE(taken.start, releasedAt);
  // It slept until the mutex or a message came: a loop that polled would
  // have processed messages hundreds of thousands of times.
  std::printf("  message passes in more than 3 s of waiting: %d\n", taken.passes);
  EXPECT_LT(taken.passes, 50);
}

TEST_F(InstancesWinTest, TheWaitMutexOfAProcessThatEndedOwningItIsTakenOverAtOnce) {
  auto child = Start(InstanceChildMode::DieOwning, 1, 0);
  ASSERT_TRUE(child->Wait(20000));
  ASSERT_EQ(child->ExitCode(), 0u);
  WindowHost host;
  InstallHost(&host);
  RunState.ActivityState = Updating;
  EXPECT_EQ(WaitForTurn(), plovik::Turn::Ours);
  InstallHost(nullptr);
  // Taken over at once: the window never went into waiting.
  EXPECT_EQ(RunState.ActivityState, Updating);
}

TEST_F(InstancesWinTest, ThreeProcessesStartedTogetherTakeTheirTurnsOneAfterTheOther) {
  std::unique_ptr<NamedMutex> turn = HoldTurn();
  std::vector<std::unique_ptr<InstanceChild>> children;
  for (int i = 1; i <= 3; ++i) children.push_back(Start(InstanceChildMode::Turn, i, 400));
  // Each one waits right after it has taken its number.
  ASSERT_TRUE(NumbersTaken(3)) << "the instances did not start";
  ::Sleep(300);
  ASSERT_TRUE(turn->Release());

  std::vector<TurnReport> turns;
  for (int i = 1; i <= 3; ++i) {
    ASSERT_TRUE(children[i - 1]->Wait(30000));
    EXPECT_EQ(children[i - 1]->ExitCode(), 0u);
    turns.push_back(ReadTurn(i));
  }
  std::sort(turns.begin(), turns.end(), [](auto& a, auto& b) { return a.start < b.start; });
  std::printf("  turns taken by instances %d, %d, %d\n", turns[0].number, turns[1].number,
              turns[2].number);
  // One after the other, the lower number first.
  for (size_t i = 0; i < turns.size(); ++i) {
    EXPECT_EQ(turns[i].number, static_cast<int>(i) + 1);
    if (i > 0) {
      EXPECT_GE(turns[i].start, turns[i - 1].end) << "two turns overlap";
    }
  }
}

}  // namespace
}  // namespace plovik::test
