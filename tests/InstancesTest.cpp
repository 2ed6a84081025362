#include "run/Instances.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "core/Delays.h"
#include "core/RunRecords.h"
#include "ui/MainForm.h"
#include "support/ProgramTest.h"

namespace plovik {
namespace {

using Take = NamedMutex::Take;

// The delays' steps on the virtual clock, seen from the message processing
// after each step. A timer step of n ms waits n - 1 ms (on a real system
// the timer's latency makes up the rest).
using DelaysTest = test::ProgramTest;

TEST_F(DelaysTest, DelaysWaitInStepsOfTenMillisecondsAndStopOnTheFlag) {
  std::vector<uint64_t> steps;
  bool flag = false;
  tk.actions.push_back([&] {
    steps.push_back(fs.TickCount());
    flag = steps.size() >= 3;
    return false;
  });
  const uint64_t start = fs.TickCount();
  Delay(25);
  EXPECT_EQ(steps, (std::vector<uint64_t>{start + 9, start + 18, start + 22}));
  Delay(0);
  EXPECT_EQ(steps.size(), 3u);
  steps.clear();
  flag = false;
  DelayAbortable(100, flag);
  EXPECT_EQ(steps.size(), 3u);
  // With the flag set at once: one step, also when it is the remainder.
  DelayAbortable(25, flag);
  DelayAbortable(5, flag);
  EXPECT_EQ(steps.size(), 5u);
  const uint64_t before = fs.TickCount();
  EXPECT_TRUE(TimerSleep(0) && TimerSleep(1) && TimerSleep(2));
  EXPECT_EQ(fs.TickCount(), before + 2);  // half a millisecond is one on the fake's clock
}

// Several instances on one fake system. The test acts as another instance
// by swapping in its platform and its mutex handles.
class InstancesTest : public test::ProgramTest {
 protected:
  struct Instance {
    std::unique_ptr<test::FakePlatform> platform;
    TInstanceHandles handles;
  };

  void SetUp() override {
    ProgramTest::SetUp();
    InstanceHandles = TInstanceHandles{};
    RunOptions.ProgramBaseName = "plovik";
    ComposeWaitMutexName();
    // The main window's waiting panel and protocol, where the host shows
    // the waiting.
    CreateFormMain();
    panel = FormMain->PanelWaitToGo.get();
    FormMain->MemoProtocol->SetBounds(0, 200, 1000, 400);
    panel->SetBounds(0, 0, 300, 40);
    panel->SetVisible(false);
  }
  void TearDown() override {
    CloseInstanceMutexes();
    DestroyFormMain();
    ProgramTest::TearDown();
  }

  std::unique_ptr<Instance> Start() {
    return std::make_unique<Instance>(Instance{fs.StartProcess(), {}});
  }
  int32_t NumberOf(Instance& other) {
    InstallPlatform(other.platform.get());
    std::swap(InstanceHandles, other.handles);
    const int32_t number = GetInstanceNumber();
    std::swap(InstanceHandles, other.handles);
    InstallPlatform(&fs);
    return number;
  }
  std::unique_ptr<NamedMutex> WaitMutexIn(test::FakePlatform& platform) {
    return std::move(platform.OpenMutex("plovikWaitingToGo")->mutex);
  }
  // Work done once, inside the message processing, at a virtual time.
  void At(uint64_t tickMs, std::function<void()> work) {
    tk.actions.push_back([this, tickMs, work] {
      if (fs.TickCount() < tickMs) return false;
      work();
      return true;
    });
  }

  Panel* panel = nullptr;
};

TEST_F(InstancesTest, NumbersAreTakenInTurnAndFreeAgainWhenTheirInstanceEnds) {
  EXPECT_EQ(GetInstanceNumber(), 1);
  auto second = Start(), third = Start();
  EXPECT_EQ(NumberOf(*second), 2);
  EXPECT_EQ(NumberOf(*third), 3);
  EXPECT_EQ(tk.Name(), "plovik3");
  CloseInstanceMutexes();  // the first instance ends
  auto fourth = Start();
  EXPECT_EQ(NumberOf(*fourth), 1);
  EXPECT_TRUE(OtherInstanceRunning(3));
  // The third instance passed numbers 1 and 2 without keeping them.
  second.reset();
  fourth.reset();
  EXPECT_FALSE(OtherInstanceRunning(3));
}

TEST_F(InstancesTest, WithEveryNumberTakenTheInstanceHasNoneAndWaitsLikeTheHighest) {
  auto other = fs.StartProcess();
  std::vector<std::unique_ptr<NamedMutex>> taken;
  for (int n = 1; n <= MaxInstanceNumber; ++n)
    taken.push_back(std::move(other->OpenMutex("plovik" + std::to_string(n))->mutex));
  EXPECT_EQ(GetInstanceNumber(), 0);
  EXPECT_EQ(tk.Name(), "plovik257");
  EXPECT_TRUE(OtherInstanceRunning(0));
  EXPECT_EQ(RetryDelayMs(1), 0);
  EXPECT_EQ(RetryDelayMs(3), 200);
  EXPECT_EQ(RetryDelayMs(0), 25500);
}

TEST_F(InstancesTest, AFreeOrAbandonedWaitMutexIsTakenAtOnceAndReleasedCompletely) {
  auto crashed = fs.StartProcess();
  auto held = WaitMutexIn(*crashed);
  ASSERT_EQ(*held->TryTake(), Take::Taken);
  crashed->EndProcess();
  RunState.ActivityState = Updating;
  const uint64_t before = fs.TickCount();
  EXPECT_EQ(WaitForTurn(), Turn::Ours);
  EXPECT_EQ(WaitForTurn(), Turn::Ours);  // owned twice now
  // Taken at once: no time passed, and the window never went into waiting.
  EXPECT_EQ(fs.TickCount(), before);
  EXPECT_EQ(RunState.ActivityState, Updating);
  auto probe = fs.StartProcess();
  EXPECT_EQ(*WaitMutexIn(*probe)->TryTake(), Take::Busy);
  ReleaseWaitMutex();
  EXPECT_EQ(*WaitMutexIn(*probe)->TryTake(), Take::Taken);
  EXPECT_FALSE(panel->Visible());
}

TEST_F(InstancesTest, AWaitingInstanceSleepsUntilTheTurnIsFreeAndLetsLowerNumbersGoFirst) {
  RunOptions.InstanceNumber = 3;
  auto updating = fs.StartProcess(), second = fs.StartProcess();
  auto first = WaitMutexIn(*updating), quicker = WaitMutexIn(*second);
  ASSERT_EQ(*first->TryTake(), Take::Taken);
  uint64_t freedAt = 0;
  At(fs.TickCount() + 5000, [&] {
    EXPECT_TRUE(panel->Visible());
    EXPECT_EQ(panel->Left(), (1000 - 300) / 2);
    EXPECT_EQ(panel->Top(), 200 + (400 - 40) / 2);
    EXPECT_EQ(RunState.ActivityState, WaitingForInstances);
    EXPECT_LT(tk.processCount, 20) << "the wait polled instead of sleeping";
    ASSERT_TRUE(first->Release());
    // Instance 2 tries 100 ms earlier than this one and takes the turn.
    At(fs.TickCount() + 100, [&] { EXPECT_EQ(*quicker->TryTake(), Take::Taken); });
    At(fs.TickCount() + 3000, [&] {
      EXPECT_TRUE(panel->Visible());
      ASSERT_TRUE(quicker->Release());
      freedAt = fs.TickCount();
    });
  });
  EXPECT_EQ(WaitForTurn(), Turn::Ours);
  EXPECT_GT(freedAt, 0u);
  EXPECT_GE(fs.TickCount(), freedAt + 150);
  EXPECT_FALSE(panel->Visible());
  EXPECT_EQ(*quicker->TryTake(), Take::Busy);
  EXPECT_EQ(fs.Beeps(), std::vector<BeepKind>{BeepKind::Exclamation});
}

TEST_F(InstancesTest, AbortWhileWaitingEndsTheWaitAndHidesThePanel) {
  RunOptions.InstanceNumber = 2;
  RunOptions.AutostartFlag = true;
  tk.SetMainForm(FormMain->Self.get());
  auto otherWindow = tk.CreateForm();
  auto updating = fs.StartProcess();
  auto held = WaitMutexIn(*updating);
  ASSERT_EQ(*held->TryTake(), Take::Taken);
  At(fs.TickCount() + 2000, [] { RunState.AbortRequested = true; });
  EXPECT_EQ(WaitForTurn(), Turn::Stopped);
  EXPECT_EQ(RunState.ActivityState, Idle);
  EXPECT_FALSE(panel->Visible());
  // An automatic run of a later instance goes to the back instead of beeping.
  EXPECT_EQ(tk.ZOrder().back(), &AsHeadless(*FormMain->Self));
  EXPECT_TRUE(fs.Beeps().empty());
  EXPECT_TRUE(ProtocolLines().empty());
}

}  // namespace
}  // namespace plovik
