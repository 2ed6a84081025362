// The whole program from its start to its end, natively: start-up with a
// command line, the automatic run inside the window's creation, the saved
// log, the countdown and the termination, the message loop until the close,
// the settings written or not, the language gate and the exit code.
#include <gtest/gtest.h>

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
  static Lines FileLines(const std::string& text) {
    Lines lines;
    for (size_t start = 0; start < text.size();) {
      const size_t end = text.find("\r\n", start);
      lines.push_back(text.substr(start, end - start));
      start = end == std::string::npos ? text.size() : end + 2;
    }
    return lines;
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
  CloseWhenIdle();
  EXPECT_EQ(RunWith("C:\\Data D:\\Backup /a /t"), RunCompleted);
  EXPECT_TRUE(DebugWindowReady);  // the message loop ran
  EXPECT_TRUE(tk.scriptErrors.empty());
  EXPECT_EQ(fs.Content("D:\\Backup\\a.txt"), "alpha");
  // A command line leaves the settings alone.
  EXPECT_EQ(fs.Content(SettingsPath), "[General]\r\nKeepTime=2000\r\n");
}

TEST_F(ProgramRunTest, AClosingDuringStartOrCountdownAsksNothing) {
  GiveSettings("[General]\r\nKeepTime=60000\r\n");
  bool refusedWhileStarting = false;
  tk.actions.push_back([&] {
    if (FormMain == nullptr || RunState.ActivityState != Starting) return false;
    Close();
    refusedWhileStarting = RunState.CloseRequested && RunState.ActivityState == Idle;
    return true;
  });
  tk.actions.push_back([&] {
    if (RunState.ActivityState != CountingDown) return false;
    Close();
    return true;
  });
  const uint64_t start = fs.TickCount();
  EXPECT_EQ(RunWith("C:\\Data D:\\Backup /a /t"), RunCompleted);
  EXPECT_TRUE(refusedWhileStarting);
  EXPECT_TRUE(tk.dialogs.empty());
  EXPECT_LT(fs.TickCount() - start, 2000u);  // the countdown ended at its next check
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

TEST_F(ProgramRunTest, ARefusedAutomaticRunKeepsTheWindowOpenWithExitCodeThree) {
  CloseWhenIdle();
  EXPECT_EQ(RunWith("C:\\Data\\.git D:\\Backup /a /t"), RunRefused);
  // The last component with a dot is taken as the specification.
  EXPECT_EQ(DialogTexts(), Lines{"Invalid source file specification:  .git"});
  EXPECT_TRUE(DebugWindowReady);
}

class MalformedCommandLineTest : public ProgramRunTest,
                                 public ::testing::WithParamInterface<const char*> {};

TEST_P(MalformedCommandLineTest, OpensTheWindowWithoutARun) {
  CloseWhenIdle();
  EXPECT_EQ(RunWith(GetParam()), RunCompleted);
  EXPECT_TRUE(DebugWindowReady);
  EXPECT_FALSE(fs.Exists("D:\\Backup"));
  EXPECT_EQ(fs.Content(SettingsPath), "");
  // The option boxes show the stored options.
  EXPECT_EQ(RunOptions.SubDirFlag, true);
  EXPECT_EQ(tk.dialogs.empty(), GetParam()[1] == '?');
}

INSTANTIATE_TEST_SUITE_P(HelpOrErrors, MalformedCommandLineTest,
                         ::testing::Values("/?", "/s C:\\Data D:\\Backup /a /t",
                                           "/a /t C:\\Data", "C:\\Data D:\\Backup E:\\x /a"));

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
