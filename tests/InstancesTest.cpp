#include "run/Instances.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "core/Delays.h"
#include "core/RunRecords.h"
#include "support/ProgramTest.h"

namespace plovik {
namespace {

// The steps of the delays, seen on the virtual clock from inside the
// message processing that follows each step. A timer step of n ms waits
// n - 1 ms (the timer's latency makes up the rest on a real system).
class DelaysTest : public test::ProgramTest {
 protected:
  std::vector<uint64_t> RecordSteps(const std::function<void()>& wait) {
    const uint64_t start = fs.TickCount();
    std::vector<uint64_t> steps;
    tk.actions.push_back([&] {
      steps.push_back(fs.TickCount() - start);
      return false;
    });
    wait();
    tk.actions.clear();
    return steps;
  }
};

TEST_F(DelaysTest, DelaysWaitInStepsOfTenMillisecondsAndTheRemainder) {
  EXPECT_EQ(RecordSteps([] { Delay(25); }), (std::vector<uint64_t>{9, 18, 22}));
  EXPECT_TRUE(RecordSteps([] { Delay(0); }).empty());
  EXPECT_EQ(RecordSteps([] { Delay(7); }), (std::vector<uint64_t>{6}));

  // A half millisecond for 1 ms (a whole one on the fake's clock).
  const uint64_t start = fs.TickCount();
  EXPECT_TRUE(TimerSleep(0));
  EXPECT_EQ(fs.TickCount(), start);
  EXPECT_TRUE(TimerSleep(1));
  EXPECT_TRUE(TimerSleep(2));
  EXPECT_EQ(fs.TickCount(), start + 2);
}

TEST_F(DelaysTest, AbortableDelayEndsAfterTheStepThatFindsTheFlagSet) {
  bool flag = false;
  int passes = 0;
  tk.actions.push_back([&] {
    flag = ++passes == 3;
    return false;
  });
  DelayAbortable(100, flag);
  EXPECT_EQ(passes, 3);

  // The flag is not looked at after the remainder step.
  passes = 0;
  flag = true;
  tk.actions.clear();
  tk.actions.push_back([&] { return ++passes, false; });
  DelayAbortable(5, flag);
  EXPECT_EQ(passes, 1);
  DelayAbortable(25, flag);
  EXPECT_EQ(passes, 2);
}

// Several instances on one fake system: each fake process has its own
// mutex handles, which the test swaps in while it acts as that process.
class InstancesTest : public test::ProgramTest {
 protected:
  struct OtherProcess {
    std::unique_ptr<test::FakePlatform> platform;
    TInstanceHandles handles;
  };

  void SetUp() override {
    ProgramTest::SetUp();
    InstanceHandles = TInstanceHandles{};
    RunOptions.ProgramBaseName = "plovik";
    ComposeWaitMutexName();
    panel = tk.CreatePanel(*form);
    panel->SetBounds(0, 0, 300, 40);
    panel->SetVisible(false);
  }
  void TearDown() override {
    CloseInstanceMutexes();
    ProgramTest::TearDown();
  }

  std::unique_ptr<OtherProcess> StartInstance() {
    auto other = std::make_unique<OtherProcess>();
    other->platform = fs.StartProcess();
    other->handles.WaitMutexName = InstanceHandles.WaitMutexName;
    return other;
  }
  template <typename Work>
  auto ActAs(OtherProcess& other, Work work) {
    InstallPlatform(other.platform.get());
    std::swap(InstanceHandles, other.handles);
    struct Back {
      OtherProcess& other;
      test::FakePlatform& own;
      ~Back() {
        std::swap(InstanceHandles, other.handles);
        InstallPlatform(&own);
      }
    } back{other, fs};
    return work();
  }
  // Another process that holds the wait mutex, as an updating instance.
  std::unique_ptr<NamedMutex> TakeWaitMutexIn(test::FakePlatform& platform) {
    std::unique_ptr<NamedMutex> mutex =
        std::move(platform.OpenMutex(InstanceHandles.WaitMutexName)->mutex);
    EXPECT_EQ(*mutex->TryTake(), NamedMutex::Take::Taken);
    return mutex;
  }
  // Runs work once, inside the message processing, at the virtual time.
  void At(uint64_t tickMs, std::function<void()> work) {
    tk.actions.push_back([this, tickMs, work] {
      if (fs.TickCount() < tickMs) return false;
      work();
      return true;
    });
  }
  bool WaitMutexFree() {
    auto probe = fs.StartProcess();
    std::unique_ptr<NamedMutex> mutex =
        std::move(probe->OpenMutex(InstanceHandles.WaitMutexName)->mutex);
    return *mutex->TryTake() != NamedMutex::Take::Busy;
  }

  std::unique_ptr<Panel> panel;
};

TEST_F(InstancesTest, NumbersAreTakenInTurnAndFreeAgainWhenTheirInstanceEnds) {
  EXPECT_EQ(GetInstanceNumber(), 1);
  EXPECT_EQ(tk.Name(), "plovik1");
  auto second = StartInstance();
  auto third = StartInstance();
  EXPECT_EQ(ActAs(*second, [] { return GetInstanceNumber(); }), 2);
  EXPECT_EQ(ActAs(*third, [] { return GetInstanceNumber(); }), 3);
  EXPECT_EQ(tk.Name(), "plovik3");

  // The first instance ends: its number is the next one given.
  CloseInstanceMutexes();
  auto fourth = StartInstance();
  EXPECT_EQ(ActAs(*fourth, [] { return GetInstanceNumber(); }), 1);
  EXPECT_TRUE(ActAs(*third, [] { return OtherInstanceRunning(3); }));

  // The third instance passed numbers 1 and 2 on its way without keeping
  // them: once their instances end, it is alone.
  second.reset();
  fourth.reset();
  EXPECT_FALSE(ActAs(*third, [] { return OtherInstanceRunning(3); }));
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
  EXPECT_EQ(RetryDelayMs(0), RetryDelayMs(MaxInstanceNumber));
  EXPECT_EQ(RetryDelayMs(MaxInstanceNumber), 25500);
}

TEST_F(InstancesTest, AFreeOrAbandonedWaitMutexIsTakenAtOnceShowingNothing) {
  auto crashed = fs.StartProcess();
  std::unique_ptr<NamedMutex> held = TakeWaitMutexIn(*crashed);
  crashed->EndProcess();
  EXPECT_TRUE(WaitForTurn(*panel, *memo));
  EXPECT_FALSE(WaitMutexFree());
  ReleaseWaitMutex();
  EXPECT_TRUE(WaitForTurn(*panel, *memo));
  EXPECT_TRUE(WaitForTurn(*panel, *memo));  // owned twice now
  ReleaseWaitMutex();
  EXPECT_TRUE(WaitMutexFree());
  EXPECT_FALSE(panel->Visible());
  EXPECT_TRUE(fs.Beeps().empty());
  EXPECT_EQ(tk.processCount, 0);
}

TEST_F(InstancesTest, AWaitingInstanceSleepsUntilTheMutexIsFreeThenLetsLowerNumbersGoFirst) {
  RunOptions.InstanceNumber = 3;
  RunState.ActivityState = Updating;
  memo->SetBounds(10, 200, 1000, 400);
  auto updating = fs.StartProcess();
  auto second = fs.StartProcess();
  std::unique_ptr<NamedMutex> first = TakeWaitMutexIn(*updating);
  std::unique_ptr<NamedMutex> quicker;
  const uint64_t start = fs.TickCount();
  uint64_t freedAt = 0;
  At(start + 5000, [&] {
    EXPECT_TRUE(panel->Visible());
    EXPECT_EQ(panel->Left(), 360);
    EXPECT_EQ(panel->Top(), 380);
    EXPECT_EQ(RunState.ActivityState, WaitingForInstances);
    EXPECT_LT(tk.processCount, 20) << "the wait polled instead of sleeping";
    ASSERT_TRUE(first->Release());
    // Instance 2 tries 100 ms earlier than this one and takes the turn.
    At(fs.TickCount() + 100, [&] { quicker = TakeWaitMutexIn(*second); });
    At(fs.TickCount() + 3000, [&] {
      EXPECT_TRUE(panel->Visible());
      ASSERT_TRUE(quicker->Release());
      freedAt = fs.TickCount();
    });
  });
  EXPECT_TRUE(WaitForTurn(*panel, *memo));
  EXPECT_GT(freedAt, start);
  EXPECT_GE(fs.TickCount(), freedAt + 150);
  EXPECT_LE(fs.TickCount(), freedAt + 500 + 200);
  EXPECT_FALSE(panel->Visible());
  EXPECT_FALSE(WaitMutexFree());
  EXPECT_EQ(fs.Beeps(), std::vector<BeepKind>{BeepKind::Exclamation});
}

TEST_F(InstancesTest, AbortWhileWaitingEndsTheWaitAndHidesThePanel) {
  RunOptions.InstanceNumber = 2;
  RunOptions.AutostartFlag = true;
  tk.SetMainForm(form.get());
  std::unique_ptr<Form> otherWindow = tk.CreateForm();
  ASSERT_EQ(tk.ZOrder().front(), &AsHeadless(*form));
  auto updating = fs.StartProcess();
  std::unique_ptr<NamedMutex> held = TakeWaitMutexIn(*updating);
  At(fs.TickCount() + 2000, [] { RunState.AbortRequested = true; });
  EXPECT_FALSE(WaitForTurn(*panel, *memo));
  EXPECT_EQ(RunState.ActivityState, Idle);
  EXPECT_FALSE(panel->Visible());
  // An automatic run of a later instance goes to the back instead of beeping.
  EXPECT_EQ(tk.ZOrder().back(), &AsHeadless(*form));
  EXPECT_TRUE(fs.Beeps().empty());
  EXPECT_TRUE(ProtocolLines().empty());
  CloseInstanceMutexes();
  EXPECT_FALSE(WaitMutexFree()) << "the other instance still owns it";
}

}  // namespace
}  // namespace plovik
