// Instance coordination between real processes: the test program started
// again in its instance mode waits for its turn with real named mutexes.
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
#include "toolkit/headless/Headless.h"
#include "win/support/InstanceChild.h"
#include "win/support/WinTestFiles.h"

namespace plovik::test {
namespace {

struct Turn {
  int number = -1;
  uint64_t start = 0;
  uint64_t end = 0;
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
    RunState = TRunState{};
    // A family of mutexes of this test alone.
    RunOptions.ProgramBaseName = "plovikwt" + std::to_string(::GetCurrentProcessId()) + "-" +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ComposeWaitMutexName();
    root = FreshTempDir("instances");
  }
  void TearDown() override {
    CloseInstanceMutexes();
    InstallToolkit(nullptr);
    InstallPlatform(nullptr);
    RemoveTree(root);
  }

  std::string ReportPath(int i) const { return root + "\\turn" + std::to_string(i) + ".txt"; }
  static bool ReadTurn(const std::string& path, Turn& turn) {
    std::istringstream in(ReadWholeFile(path));
    return static_cast<bool>(in >> turn.number >> turn.start >> turn.end);
  }

  // Whether the instance mutexes 1..count exist, within 20 seconds. Their
  // names come from the executable's name, as in the program.
  bool NumbersTaken(int count) {
    const std::string base = ExecutableBaseName(platform.ModulePath());
    for (int round = 0; round < 200; ++round) {
      int taken = 0;
      for (int n = 1; n <= count; ++n) {
        const std::wstring name = Wide(base + std::to_string(n));
        HANDLE mutex = ::OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
        if (mutex != nullptr) ++taken, ::CloseHandle(mutex);
      }
      if (taken == count) return true;
      ::Sleep(100);
    }
    return false;
  }

  Win32Platform platform;
  HeadlessToolkit toolkit;
  std::string root;
};

TEST_F(InstancesWinTest, AWaitingProcessSleepsUntilTheOwnerGivesTheTurnBack) {
  Result<MutexOpening> opening = platform.OpenMutex(InstanceHandles.WaitMutexName);
  ASSERT_TRUE(opening);
  ASSERT_EQ(*opening->mutex->TryTake(), NamedMutex::Take::Taken);

  InstanceChild child(InstanceChildMode::Turn, RunOptions.ProgramBaseName, ReportPath(1), 0);
  ASSERT_TRUE(child.Started());
  constexpr DWORD WaitedMs = 3000;
  EXPECT_FALSE(child.Wait(WaitedMs)) << "the child did not wait: exit code " << child.ExitCode();
  const double cpuMs = child.CpuMilliseconds();
  std::printf("  CPU time of the waiting process over %lu ms (its start included): %.0f ms\n",
              static_cast<unsigned long>(WaitedMs), cpuMs);
  // A loop that polled instead of sleeping would use the processor all along.
  EXPECT_LT(cpuMs, WaitedMs / 2);

  const uint64_t releasedAt = FileTimeNow();
  ASSERT_TRUE(opening->mutex->Release());
  ASSERT_TRUE(child.Wait(20000));
  EXPECT_EQ(child.ExitCode(), 0u);
  Turn turn;
  ASSERT_TRUE(ReadTurn(ReportPath(1), turn));
  EXPECT_EQ(turn.number, 1);
  EXPECT_GE(turn.start, releasedAt);
}

TEST_F(InstancesWinTest, TheWaitMutexOfAProcessThatEndedOwningItIsTakenOverAtOnce) {
  InstanceChild child(InstanceChildMode::DieOwning, RunOptions.ProgramBaseName, ReportPath(1), 0);
  ASSERT_TRUE(child.Wait(20000));
  ASSERT_EQ(child.ExitCode(), 0u);
  auto form = toolkit.CreateForm();
  auto panel = toolkit.CreatePanel(*form);
  panel->SetVisible(false);
  auto memo = toolkit.CreateMemo(*form);
  EXPECT_TRUE(WaitForTurn(*panel, *memo));
  EXPECT_FALSE(panel->Visible());
  EXPECT_EQ(toolkit.processCount, 0);
}

TEST_F(InstancesWinTest, ThreeProcessesStartedTogetherTakeTheirTurnsOneAfterTheOther) {
  // This process holds the turn until all three are waiting.
  Result<MutexOpening> opening = platform.OpenMutex(InstanceHandles.WaitMutexName);
  ASSERT_TRUE(opening);
  ASSERT_EQ(*opening->mutex->TryTake(), NamedMutex::Take::Taken);
  constexpr DWORD HoldMs = 400;
  std::vector<std::unique_ptr<InstanceChild>> children;
  for (int i = 1; i <= 3; ++i)
    children.push_back(std::make_unique<InstanceChild>(
        InstanceChildMode::Turn, RunOptions.ProgramBaseName, ReportPath(i), HoldMs));
  // Each one waits right after it has taken its number.
  ASSERT_TRUE(NumbersTaken(3)) << "the instances did not start";
  ::Sleep(300);
  ASSERT_TRUE(opening->mutex->Release());

  std::vector<Turn> turns(3);
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(children[i]->Wait(30000));
    EXPECT_EQ(children[i]->ExitCode(), 0u);
    ASSERT_TRUE(ReadTurn(ReportPath(i + 1), turns[i]));
  }
  std::sort(turns.begin(), turns.end(),
            [](const Turn& a, const Turn& b) { return a.start < b.start; });
  std::printf("  turns taken by instances %d, %d, %d\n", turns[0].number, turns[1].number,
              turns[2].number);
  // The lower number goes first.
  for (size_t i = 0; i < turns.size(); ++i) {
    EXPECT_EQ(turns[i].number, static_cast<int>(i) + 1);
    if (i > 0) {
      EXPECT_GE(turns[i].start, turns[i - 1].end) << "two turns overlap";
    }
  }
}

}  // namespace
}  // namespace plovik::test
