// The whole program from its start to its end, natively: start-up with a
// command line, the automatic run inside the window's creation, the saved
// log, the countdown and the termination, the message loop until the close,
// the settings written or not, the language gate and the exit code.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <ostream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/UnitMain.h"
#include "app/UnitRunUtils.h"
#include "core/Protocol.h"
#include "core/RunRecords.h"
#include "run/RunDriver.h"
#include "support/WindowTest.h"
#include "ui/MainForm.h"

namespace plovik {
namespace {

using Lines = std::vector<std::string>;

class ProgramRunTest : public test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    fs.AddDrive('D');
    fs.MakeFile("C:\\Data\\a.txt", "alpha");
    fs.MakeFile("C:\\Data\\Sub\\b.txt", "beta");
  }

  int RunWith(const std::string& arguments) {
    fs.SetCommandLine("\"C:\\Plovik\\plovik.exe\" " + arguments);
    return RunProgram();
  }
  // Closes the window with its close box once it is idle in the message
  // loop (Run() processes messages with nothing else going on).
  void CloseWhenIdle() {
    tk.actions.push_back([this] {
      if (FormMain == nullptr || RunState.ActivityState != Idle || !DebugWindowReady) return false;
      Close();
      return true;
    });
  }
  // The captions the Abort button shows, each change once.
  void RecordAbortCaptions() {
    tk.actions.push_back([this] {
      if (FormMain == nullptr) return false;
      const std::string caption = FormMain->ButtonAbort->Caption();
      if (captions.empty() || captions.back() != caption) captions.push_back(caption);
      return false;
    });
  }

  Lines captions;
};

TEST_F(ProgramRunTest, AnAutomaticRunWithTerminationSavesItsLogCountsDownAndEndsWithoutTheLoop) {
  GiveSettings("[General]\r\nKeepTime=2000\r\n");
  RecordAbortCaptions();
  Lines protocol;
  tk.actions.push_back([&] {
    if (FormMain != nullptr && RunState.ActivityState == CountingDown && protocol.empty())
      protocol = FormMain->MemoProtocol->Lines();
    return false;
  });
  EXPECT_EQ(RunWith("C:\\Data D:\\Backup /s /e /v /l /a /t"), RunCompleted);
  // "Keep" four times in two seconds, and no message loop (which the
  // recording actions would have kept running until a script error).
  EXPECT_EQ(captions, (Lines{"Abort", "Keep", "", "Keep", "", "Keep", "", "Keep", ""}));
  EXPECT_FALSE(DebugWindowReady);
  EXPECT_TRUE(tk.Terminated());
  EXPECT_EQ(fs.Content("D:\\Backup\\Sub\\b.txt"), "beta");
  ASSERT_FALSE(protocol.empty());
  EXPECT_EQ(protocol[0], "plovik C:\\Data\\*.* D:\\Backup /s/e/v/a/l/t");
  EXPECT_EQ(FileLines(fs.Content("D:\\Backup\\PLOVIK-LOG.TXT")), protocol);
  EXPECT_EQ(fs.Content(SettingsPath), "[General]\r\nKeepTime=2000\r\n");  // not written
}

TEST_F(ProgramRunTest, TheKeepButtonKeepsTheProgramOpenUntilTheUserClosesIt) {
  GiveSettings("[General]\r\nKeepTime=2000\r\n");
  tk.actions.push_back([this] {
    if (FormMain == nullptr || FormMain->ButtonAbort->Caption() != "Keep" ||
        fs.TickCount() < 600)
      return false;
    AsHeadless(*FormMain->ButtonAbort).UserClick();
    return true;
  });
  // The Keep button leaves the window reset for the user.
  bool reset = false;
  tk.actions.push_back([&] {
    if (FormMain == nullptr || RunState.ActivityState != Idle || !DebugWindowReady) return false;
    const TFormMain& f = *FormMain;
    reset = f.ButtonAbort->Caption() == "Abort" && !f.ButtonAbort->Enabled() &&
            f.ButtonStart->Enabled() && f.EditSrcDir->Enabled() && f.ComboBoxSrcFile->Enabled();
    Close();
    return true;
  });
  EXPECT_EQ(RunWith("C:\\Data D:\\Backup /a /t"), RunCompleted);
  EXPECT_TRUE(reset);
  EXPECT_TRUE(DebugWindowReady);  // the message loop ran
  EXPECT_TRUE(tk.scriptErrors.empty());
  EXPECT_EQ(fs.Content("D:\\Backup\\a.txt"), "alpha");
  // A command line leaves the settings alone.
  EXPECT_EQ(fs.Content(SettingsPath), "[General]\r\nKeepTime=2000\r\n");
}

TEST_F(ProgramRunTest, AClosingDuringTheCountdownAsksNothingAndEndsAtItsNextCheck) {
  GiveSettings("[General]\r\nKeepTime=60000\r\n");
  tk.actions.push_back([&] {
    if (RunState.ActivityState != CountingDown) return false;
    Close();
    return true;
  });
  const uint64_t start = fs.TickCount();
  EXPECT_EQ(RunWith("C:\\Data D:\\Backup /a /t"), RunCompleted);
  EXPECT_TRUE(tk.dialogs.empty());
  EXPECT_LT(fs.TickCount() - start, 2000u);
  EXPECT_FALSE(DebugWindowReady);
}

// A double click on the close box while the window is being created: the
// close waits until the window is complete and then closes it as usual,
// so the settings are written from the finished window, once.
TEST_F(ProgramRunTest, ClosesDuringStartUpWaitForTheFinishedWindowAndKeepTheSettings) {
  const std::string stored =
      "[General]\r\nCopySubDirectories=1\r\nVerifyCopies=1\r\n"
      "[Directories]\r\nSrcPath=C:\\Data\r\nDstPath=D:\\Backup\r\n";
  GiveSettings(stored);
  int closes = 0;
  tk.actions.push_back([&] {
    if (FormMain == nullptr || RunState.ActivityState != Starting) return false;
    Close();
    Close();
    ++closes;
    return true;
  });
  EXPECT_EQ(RunWith(""), RunCompleted);
  EXPECT_EQ(closes, 1);
  EXPECT_TRUE(tk.dialogs.empty());
  EXPECT_FALSE(DebugWindowReady);  // closed before the message loop
  const std::string written = SettingsText();
  EXPECT_NE(written.find("CopySubDirectories=1\r\n"), std::string::npos) << written;
  EXPECT_NE(written.find("VerifyCopies=1\r\n"), std::string::npos) << written;
  EXPECT_NE(written.find("SrcPath=C:\\Data\r\nDstPath=D:\\Backup\r\n"), std::string::npos)
      << written;
}

// A close while the first close writes the settings (the write processes
// messages) is refused: the stored bounds are those of the living window.
TEST_F(ProgramRunTest, ASecondCloseWhileTheSettingsAreWrittenIsRefused) {
  GiveSettings("[FormMain]\r\nLeft=10\r\nTop=20\r\nWidth=800\r\nHeight=300\r\n");
  bool closing = false, closedAgain = false;
  tk.actions.push_back([&] {
    if (FormMain == nullptr || !DebugWindowReady) return false;
    closing = true;
    Close();
    return true;
  });
  // Runs inside the messages the first close processes, as a close
  // request queued behind the first one would (the window is hidden by
  // then, so it is not a click).
  tk.actions.push_back([&] {
    if (!closing || closedAgain) return false;
    closedAgain = true;
    FormMain->Self->Close();
    return true;
  });
  EXPECT_EQ(RunWith(""), RunCompleted);
  EXPECT_TRUE(closedAgain);
  const std::string written = SettingsText();
  EXPECT_NE(written.find("Left=10\r\nTop=20\r\nWidth=800\r\nHeight=300\r\n"), std::string::npos)
      << written;
}

// An automatic run whose window the user closed while it was being
// created never starts; the exit code tells that it was stopped.
TEST_F(ProgramRunTest, AnAutomaticRunClosedDuringStartUpNeverStarts) {
  tk.actions.push_back([&] {
    if (FormMain == nullptr || RunState.ActivityState != Starting) return false;
    Close();
    return true;
  });
  EXPECT_EQ(RunWith("C:\\Data D:\\Backup /a /t"), RunAborted);
  EXPECT_TRUE(tk.dialogs.empty());
  EXPECT_FALSE(fs.Exists("D:\\Backup"));
  EXPECT_FALSE(DebugWindowReady);
}

TEST_F(ProgramRunTest, AWaitingTimeBelowHalfASecondEndsTheProgramRightAfterTheRun) {
  RecordAbortCaptions();
  EXPECT_EQ(RunWith("C:\\Data D:\\Backup /a /t"), RunCompleted);  // KeepTime 5
  EXPECT_EQ(captions, Lines{"Abort"});
  EXPECT_FALSE(DebugWindowReady);
  EXPECT_EQ(fs.Content("D:\\Backup\\a.txt"), "alpha");
}

TEST_F(ProgramRunTest, WithAnotherInstanceAboutAnAutomaticRunEndsWithoutCountingDown) {
  auto first = fs.StartProcess();
  auto firstInstance = std::move(first->OpenMutex("plovik1")->mutex);
  GiveSettings("[General]\r\nKeepTime=10000\r\n");
  RecordAbortCaptions();
  EXPECT_EQ(RunWith("C:\\Data D:\\Backup /a /t"), RunCompleted);
  EXPECT_EQ(captions, Lines{"Abort"});
  EXPECT_FALSE(DebugWindowReady);
  EXPECT_EQ(fs.Content("D:\\Backup\\a.txt"), "alpha");
}

TEST_F(ProgramRunTest, AnAutomaticRunWithoutTerminationLeavesTheWindowOpenAndItsExitCode) {
  fs.LockFile("C:\\Data\\a.txt");
  tk.answers = {ModalIgnore};
  CloseWhenIdle();
  EXPECT_EQ(RunWith("C:\\Data D:\\Backup /a"), RunCompletedWithFailures);
  EXPECT_TRUE(DebugWindowReady);
  EXPECT_EQ(tk.dialogs.size(), 1u);
  // Without "/s" on the command line the subdirectories stay out.
  EXPECT_FALSE(fs.Exists("D:\\Backup\\Sub"));
}

// A close that comes while the window is given back after the run (the
// window shows Start again) closes the program like any close of an idle
// window: no question about an update in progress, the run's exit code.
TEST_F(ProgramRunTest, ACloseWhileTheWindowIsGivenBackAfterTheRunAsksNothing) {
  bool runSeen = false;
  tk.actions.push_back([&] {
    if (FormMain == nullptr) return false;
    runSeen = runSeen || RunState.RunActive;
    if (!runSeen || !FormMain->ButtonStart->Enabled()) return false;
    Close();
    return true;
  });
  EXPECT_EQ(RunWith("C:\\Data D:\\Backup /a /l"), RunCompleted);
  EXPECT_TRUE(tk.dialogs.empty());
  EXPECT_TRUE(tk.Terminated());
  EXPECT_EQ(fs.Content("D:\\Backup\\a.txt"), "alpha");
}

TEST_F(ProgramRunTest, ARefusedAutomaticRunKeepsTheWindowOpenWithExitCodeThree) {
  CloseWhenIdle();
  EXPECT_EQ(RunWith("C:\\Data\\.git D:\\Backup /a /t"), RunRefused);
  // The last component with a dot is taken as the specification.
  EXPECT_EQ(DialogTexts(), Lines{"Invalid source file specification:  .git"});
  EXPECT_TRUE(DebugWindowReady);
}

// Every way in which the input keeps an automatic run from updating ends
// the program with exit code 3, whether a box refused the run or a message
// of the command line cancelled the automatic start; the window stays
// open for the person who answered.
struct RefusalCase {
  const char* name;
  const char* arguments;
  std::function<void(test::FakePlatform&)> setUp;
  std::deque<int> answers;
};

void PrintTo(const RefusalCase& refusal, std::ostream* out) { *out << refusal.arguments; }

class RefusedAutomaticRunTest : public ProgramRunTest,
                                public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusedAutomaticRunTest, EndsWithExitCodeThreeAndUpdatesNothing) {
  const RefusalCase& refusal = GetParam();
  if (refusal.setUp) refusal.setUp(fs);
  tk.answers = refusal.answers;
  CloseWhenIdle();
  EXPECT_EQ(RunWith(refusal.arguments), RunRefused);
  EXPECT_FALSE(tk.dialogs.empty());
  EXPECT_TRUE(DebugWindowReady);
  EXPECT_FALSE(fs.Exists("D:\\Backup\\a.txt"));
  EXPECT_TRUE(tk.scriptErrors.empty());
  // A malformed command line opens the window as "/?" does, but no help.
  EXPECT_TRUE(tk.helpShown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryRefusal, RefusedAutomaticRunTest,
    ::testing::Values(
        RefusalCase{"SourceHoldsAFileSpecification", "C:\\Data\\.git D:\\Backup /a /t",
                    [](test::FakePlatform& fs) { fs.MakeDir("C:\\Data\\.git"); }, {}},
        RefusalCase{"SourceHoldsAWildcard", "C:\\Da*\\a.txt D:\\Backup /a /t", {}, {}},
        RefusalCase{"InvalidSourceSpecification", "C:\\Data\\.txt D:\\Backup /a /t", {}, {}},
        RefusalCase{"InvalidIgnoreSpecification", "C:\\Data D:\\Backup /a /t /i:.bak", {}, {}},
        RefusalCase{"DestinationHoldsAFileSpecification", "C:\\Data D:\\.cache /a /t", {}, {}},
        RefusalCase{"DestinationHoldsAWildcard", "C:\\Data D:\\Back*up /a /t", {}, {}},
        RefusalCase{"SourceDriveMissing", "Q:\\Data\\*.* D:\\Backup /a /t", {}, {}},
        RefusalCase{"SourceDriveNotReadyAborted", "E:\\Data\\*.* D:\\Backup /a /t",
                    [](test::FakePlatform& fs) {
                      fs.AddDrive('E', test::FakeDrive{.ready = false});
                    },
                    {ModalAbort}},
        RefusalCase{"SourceDirectoryMissing", "C:\\Nowhere\\*.txt D:\\Backup /a /t", {}, {}},
        RefusalCase{"SourceQuestionAnsweredNo", "C:\\Nowhere D:\\Backup /a /t", {}, {ModalNo}},
        RefusalCase{"SourceQuestionAnsweredYes", "C:\\Nowhere D:\\Backup /a /t", {}, {ModalYes}},
        RefusalCase{"DestinationDriveMissing", "C:\\Data Q:\\Backup /a /t", {}, {}},
        RefusalCase{"DestinationDriveFullAborted", "C:\\Data E:\\Backup /a /t",
                    [](test::FakePlatform& fs) {
                      fs.AddDrive('E', test::FakeDrive{.freeBytes = 0});
                    },
                    {ModalAbort}},
        RefusalCase{"DestinationInsideSource", "C:\\Data C:\\Data\\Copy /a /t", {}, {}},
        RefusalCase{"ParameterAfterASwitch", "/s C:\\Data D:\\Backup /a /t", {}, {}},
        RefusalCase{"TooManyParameters", "C:\\Data D:\\Backup E:\\x /a /t", {}, {}}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

// Help asked for on the command line is no refusal: the window opens with
// the stored options and the help of the window's language beside it, and
// no run means exit code 0.
TEST_F(ProgramRunTest, HelpOpensTheWindowAndTheHelpWithoutARunAndExitCodeZero) {
  CloseWhenIdle();
  EXPECT_EQ(RunWith("/?"), RunCompleted);
  EXPECT_TRUE(DebugWindowReady);
  EXPECT_TRUE(tk.dialogs.empty());
  EXPECT_EQ(tk.helpShown, Lines{"C:\\Plovik\\English.HLP"});
  EXPECT_EQ(fs.Content(SettingsPath), "");
  EXPECT_EQ(RunOptions.SubDirFlag, true);  // the stored options
}

// An automatic start with "/?" is cancelled and shows the help, in German
// for a German window.
TEST_F(ProgramRunTest, HelpWithAnAutomaticStartShowsTheHelpOfTheWindowsLanguage) {
  GiveSettings("[General]\r\nLanguage=1\r\n");
  CloseWhenIdle();
  EXPECT_EQ(RunWith("/a /?"), RunCompleted);
  EXPECT_EQ(tk.helpShown, Lines{"C:\\Plovik\\German.HLP"});
  EXPECT_TRUE(DebugWindowReady);
}

// "/?" with a path is a malformed command line: its message, but no help.
TEST_F(ProgramRunTest, AMalformedCommandLineWithHelpShowsItsMessageButNoHelp) {
  CloseWhenIdle();
  RunWith("/? C:\\Data");
  EXPECT_FALSE(tk.dialogs.empty());
  EXPECT_TRUE(tk.helpShown.empty());
  EXPECT_TRUE(DebugWindowReady);
}

// A failed save of the log at the end of an automatic run: the failure
// line stands in the protocol, the box waits until the other instances
// may have their turn, and the exit code says that something failed.
TEST_F(ProgramRunTest, AFailedLogSaveGivesTheTurnAwayBeforeItsBoxAndEndsWithExitCodeOne) {
  fs.MakeDir("C:\\Empty");
  auto other = fs.StartProcess();
  auto waitMutex = std::move(other->OpenMutex("plovikWaitingToGo")->mutex);
  bool turnFreeDuringBox = false;
  Lines protocol;
  tk.whileDialogShows = [&](const DialogRecord&) {
    const Result<NamedMutex::Take> taken = waitMutex->TryTake();
    turnFreeDuringBox = taken && *taken != NamedMutex::Take::Busy;
    if (turnFreeDuringBox) (void)waitMutex->Release();
    protocol = FormMain->MemoProtocol->Lines();
  };
  tk.answers = {ModalOk};
  EXPECT_EQ(RunWith("C:\\Empty D:\\NewBackup /s /l /a /t"), RunCompletedWithFailures);
  EXPECT_TRUE(turnFreeDuringBox);
  ASSERT_EQ(tk.dialogs.size(), 1u);
  EXPECT_EQ(tk.dialogs[0].text.rfind("The file could not be written:\rD:\\NewBackup\\PLOVIK-LOG.TXT\r"
                                     "Windows error 3: ", 0),
            0u);
  ASSERT_GE(protocol.size(), 2u);
  EXPECT_EQ(protocol[protocol.size() - 2].rfind(
                "****** The protocol could not be saved:  D:\\NewBackup\\PLOVIK-LOG.TXT  "
                "Windows error 3: ",
                0),
            0u);
}

// ---- the ends of an automatic run, and where the window opens ---------------------------

TEST_F(ProgramRunTest, ADryRunFromTheCommandLineSavesNoLog) {
  fs.MakeDir("D:\\Backup");
  EXPECT_EQ(RunWith("C:\\Data D:\\Backup /n /l /a /t"), RunCompleted);
  EXPECT_FALSE(RunOptions.LogFlag);
  EXPECT_FALSE(fs.Exists("D:\\Backup\\PLOVIK-LOG.TXT"));
  EXPECT_FALSE(fs.Exists("D:\\Backup\\a.txt"));
}

// Debug mode, and a walk the user ended with Abort, keep the window open
// after an automatic run without counting down.
TEST_F(ProgramRunTest, DebugModeKeepsTheWindowAfterAnAutomaticRunWithoutACountdown) {
  GiveSettings("[General]\r\nKeepTime=2000\r\n");
  RecordAbortCaptions();
  CloseWhenIdle();
  EXPECT_EQ(RunWith("C:\\Data D:\\Backup /a /t /d"), RunCompleted);
  EXPECT_TRUE(DebugWindowReady);
  EXPECT_EQ(std::count(captions.begin(), captions.end(), "Keep"), 0);
}

TEST_F(ProgramRunTest, AnAbortInTheWalkKeepsTheWindowWithoutACountdown) {
  GiveSettings("[General]\r\nKeepTime=2000\r\n");
  fs.LockFile("C:\\Data\\a.txt");
  tk.answers = {ModalAbort};
  RecordAbortCaptions();
  CloseWhenIdle();
  EXPECT_EQ(RunWith("C:\\Data D:\\Backup /a /t"), RunAborted);
  EXPECT_TRUE(DebugWindowReady);
  EXPECT_EQ(std::count(captions.begin(), captions.end(), "Keep"), 0);
}

// Where the window opens: the stored placement belongs to the first
// instance started without "/a"; the others open at the default
// placement and never write it.
class PlacementTest : public ProgramRunTest {
 protected:
  static constexpr const char* Stored =
      "[FormMain]\r\nLeft=100\r\nTop=50\r\nWidth=800\r\nHeight=300\r\n";
  // Starts, notes where the window stands and closes it.
  int StartAndClose(const std::string& arguments) {
    tk.actions.push_back([&] {
      if (FormMain == nullptr || !DebugWindowReady) return false;
      bounds = FormMain->Self->NormalBounds();
      caption = FormMain->Self->Caption();
      Close();
      return true;
    });
    return RunWith(arguments);
  }
  Rect Default(int instance) const {
    const TWindowPlacement p = DefaultPlacement(CaptionHeight, instance);
    return Rect{p.Left, p.Top, p.Width, p.Height};
  }
  Rect bounds;
  std::string caption;
};

TEST_F(PlacementTest, AutomaticStartWithHelpLeavesTheStoredPlacementAlone) {
  GiveSettings(Stored);
  EXPECT_EQ(StartAndClose("/a /?"), RunCompleted);
  EXPECT_EQ(bounds, Default(1));
  EXPECT_EQ(fs.Content(SettingsPath), Stored);
}

TEST_F(PlacementTest, ASecondInstanceOpensAtTheDefaultPlacementAndWritesNothing) {
  auto first = fs.StartProcess();
  auto firstInstance = std::move(first->OpenMutex("plovik1")->mutex);
  GiveSettings(Stored);
  EXPECT_EQ(StartAndClose(""), RunCompleted);
  EXPECT_EQ(RunOptions.InstanceNumber, 2);
  EXPECT_EQ(bounds, Default(2));
  EXPECT_NE(bounds.left, 100);
  EXPECT_EQ(fs.Content(SettingsPath), Stored);
}

// With all 256 numbers taken the instance has none: it does not use the
// stored placement, but its close writes the other settings.
TEST_F(PlacementTest, WithoutAnInstanceNumberTheCloseWritesAllButThePlacement) {
  auto others = fs.StartProcess();
  std::vector<std::unique_ptr<NamedMutex>> taken;
  for (int number = 1; number <= 256; ++number)
    taken.push_back(std::move(others->OpenMutex("plovik" + std::to_string(number))->mutex));
  GiveSettings(Stored);
  EXPECT_EQ(StartAndClose(""), RunCompleted);
  EXPECT_EQ(RunOptions.InstanceNumber, 0);
  EXPECT_NE(caption.find("(Instance #0)"), std::string::npos) << caption;
  EXPECT_EQ(bounds, Default(0));
  const std::string written = SettingsText();
  EXPECT_NE(written.find("SaveSettings=1"), std::string::npos) << written;
  EXPECT_NE(written.find("Left=100\r\nTop=50\r\nWidth=800\r\nHeight=300\r\n"),
            std::string::npos)
      << written;
}

TEST_F(ProgramRunTest, APlainStartWritesTheSettingsAndFreesItsInstanceNumberAtTheClose) {
  bool numberFree = false;
  tk.actions.push_back([&] {
    if (FormMain == nullptr || !DebugWindowReady) return false;
    EXPECT_EQ(RunOptions.InstanceNumber, 1);
    Close();
    auto other = fs.StartProcess();
    numberFree = !other->OpenMutex("plovik1")->existed;
    return true;
  });
  EXPECT_EQ(RunWith(""), RunCompleted);
  EXPECT_TRUE(numberFree);
  EXPECT_NE(fs.Content(SettingsPath).find("[General]\r\nSaveSettings=1"), std::string::npos);
}

TEST_F(ProgramRunTest, DebugModeDumpsTheFlagsWhenTheWindowIsCreated) {
  Lines protocol;
  tk.actions.push_back([&] {
    if (FormMain == nullptr || !DebugWindowReady) return false;
    protocol = FormMain->MemoProtocol->Lines();
    Close();
    return true;
  });
  EXPECT_EQ(RunWith("C:\\Data D:\\Backup /d /i:*.tmp"), RunCompleted);
  const auto at = [&](const std::string& line) {
    return std::find(protocol.begin(), protocol.end(), line) - protocol.begin();
  };
  const auto dump = at("DebugFlag                    = True ");
  ASSERT_LT(dump, static_cast<std::ptrdiff_t>(protocol.size()));
  EXPECT_EQ(protocol[dump - 1], "CmdLineSwitches=|/d/i:*.tmp|   IgnoreFileSpecs=|*.tmp|   "
                                "IgnoreFileSpecCount=1");
  EXPECT_EQ(protocol[dump + 7], "IgnoreFlag                   = True ");
  EXPECT_EQ(Lines(protocol.begin() + dump + 14, protocol.end()),
            (Lines{"Exit from OnCreateMainForm", ""}));
}

TEST_F(ProgramRunTest, AGatedLanguageShowsItsBoxAndTheLoopEndsAfterItsFirstMessage) {
  fs.SetUserLanguageId(GatedLanguageIds[3]);
  int rounds = 0;
  tk.actions.push_back([&] {
    if (DebugWindowReady) ++rounds;
    return false;
  });
  EXPECT_EQ(RunWith(""), RunCompleted);
  ASSERT_EQ(tk.systemErrorBoxes.size(), 1u);
  EXPECT_EQ(tk.systemErrorBoxes[0].caption, GateCaption());
  EXPECT_EQ(rounds, 1);
  EXPECT_TRUE(tk.scriptErrors.empty());
}

}  // namespace
}  // namespace plovik
