// The update run from the Start button: its protocol, the input and drive
// checks with their boxes and carets, the reconnection of network drives,
// the spacing and the long-run beep, the close query while it runs and the
// exit code it leaves.
#include "run/RunDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/RunRecords.h"
#include "support/WindowTest.h"
#include "ui/MainForm.h"

namespace plovik {
namespace {

using Lines = std::vector<std::string>;

const std::string CommandLineLine =
    "plovik C:\\Data\\*.* D:\\Backup /s/e/v/i:*.BAK;*.TMP;*.WBK;*.$$$;~*.*;*.~*";

class RunDriverTest : public test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    fs.AddDrive('D');
    fs.MakeFile("C:\\Data\\a.txt", "alpha");
    fs.MakeFile("C:\\Data\\Sub\\b.txt", "beta");
    Start();
    Fill("C:\\Data", "*.*", "D:\\Backup");
  }

  void Fill(const std::string& src, const std::string& specs, const std::string& dst) {
    F().EditSrcDir->SetText(src);
    F().ComboBoxSrcFile->SetText(specs);
    F().EditDstDir->SetText(dst);
  }
  void Press() {
    tk.dialogs.clear();
    AsHeadless(*F().ButtonStart).UserClick();
  }
  Lines Protocol() const { return F().MemoProtocol->Lines(); }
  // The window is back in the user's hands.
  bool WindowReset() const {
    const TFormMain& f = F();
    return f.ButtonStart->Enabled() && f.ButtonStart->IsDefault() && !f.ButtonAbort->Enabled() &&
           f.EditSrcDir->Enabled() && f.ComboBoxSrcFile->Enabled() && f.BitBtnSettings->Enabled() &&
           !RunState.RunActive && RunState.ActivityState == Idle;
  }
  // Another process could take the turn now.
  bool TurnFree() {
    auto other = fs.StartProcess();
    auto opening = other->OpenMutex("plovikWaitingToGo");
    return opening && *opening->mutex->TryTake() != NamedMutex::Take::Busy;
  }
  // The n lines in front of the summary.
  static Lines BeforeSummary(const Lines& lines, size_t n) {
    auto summary = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
      return line.rfind("Subdirectories:", 0) == 0;
    });
    if (summary - lines.begin() < static_cast<std::ptrdiff_t>(n)) return {};
    return Lines(summary - static_cast<std::ptrdiff_t>(n), summary);
  }
  // Presses Abort once the condition holds.
  void AbortWhen(std::function<bool()> condition) {
    tk.actions.push_back([this, condition] {
      if (!condition()) return false;
      AsHeadless(*F().ButtonAbort).UserClick();
      return true;
    });
  }
};

TEST_F(RunDriverTest, ARunWritesItsCommandLineHeaderWalkAndSummaryAndGivesTheWindowBack) {
  Press();
  const Lines lines = Protocol();
  ASSERT_GE(lines.size(), 13u);
  EXPECT_EQ(Lines(lines.begin(), lines.begin() + 11),
            (Lines{CommandLineLine, "", "2020-06-15  12:00:00", "", "C:\\Data", "",
                   "MKDIR  D:\\Backup\\Sub", "COPY   C:\\Data\\Sub\\b.txt", "COPY   C:\\Data\\a.txt",
                   "", ""}));
  EXPECT_EQ(lines[11].rfind("Subdirectories:       2 scanned      2 created", 0), 0u);
  EXPECT_EQ(lines.back().rfind("Destination D:        1,073,741,824 bytes total", 0), 0u);
  EXPECT_EQ(fs.Content("D:\\Backup\\Sub\\b.txt"), "beta");
  EXPECT_TRUE(WindowReset());
  EXPECT_TRUE(F().ButtonSaveLog->Enabled());
  EXPECT_TRUE(TurnFree());
  EXPECT_EQ(LastRunExitCode, RunCompleted);
  EXPECT_TRUE(fs.Beeps().empty());
  EXPECT_TRUE(DialogTexts().empty());

  // Nothing left to do: no spacing before the summary.
  Press();
  EXPECT_EQ(BeforeSummary(Protocol(), 2), (Lines{"C:\\Data", ""}));

  // A network destination has no drive to test and no destination line.
  fs.AddShare("\\\\server\\share");
  Fill("C:\\Data", "*.*", "\\\\server\\share\\Backup");
  Press();
  EXPECT_EQ(fs.Content("\\\\server\\share\\Backup\\a.txt"), "alpha");
  const Lines shared = Protocol();
  EXPECT_EQ(Lines(shared.end() - 2, shared.end()),
            (Lines{"                      0 attributes updated", ""}));
  EXPECT_EQ(LastRunExitCode, RunCompleted);
}

TEST_F(RunDriverTest, ARunStartsAFreshProtocolThatTheViewFollowsToItsEnd) {
  for (int i = 0; i < 40; ++i) fs.MakeFile("C:\\Data\\more" + std::to_string(i) + ".txt", "more");
  Press();
  HeadlessMemo& memo = AsHeadless(*F().MemoProtocol);
  ASSERT_GT(memo.Count(), memo.PageRows());
  // The user reads the head of the last run's protocol and writes into it.
  memo.UserClick(TextPlace{0, 0});
  memo.UserType("my note ");
  EXPECT_FALSE(memo.FollowsEnd());
  EXPECT_EQ(memo.Line(0), "my note " + CommandLineLine);

  // The next run has as much to copy again.
  for (int i = 0; i < 40; ++i) {
    ASSERT_TRUE(fs.RemoveFile("D:\\Backup\\more" + std::to_string(i) + ".txt"));
  }
  Press();
  const Lines lines = Protocol();
  EXPECT_EQ(lines.front(), CommandLineLine);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), CommandLineLine), 1);
  EXPECT_TRUE(memo.FollowsEnd());
  EXPECT_EQ(memo.TopRow().line, memo.Count() - memo.PageRows());
}

TEST_F(RunDriverTest, RefusedInputsShowTheirBoxAndPutTheCaretOnTheFault) {
  struct Case {
    std::string src, specs, ignore, dst;
    std::string box;
    Control* field;
    int caret;
    bool commandLineWritten;
  };
  TFormMain& f = F();
  fs.AddDrive('F', test::FakeDrive{.type = DriveRemovable, .freeBytes = 0});
  const std::vector<Case> cases = {
      {"C:\\Data\\.git", "*.*", "", "D:\\B", "Source path contains file specification:\rC:\\Data\\.git",
       f.EditSrcDir.get(), 8, false},
      {" C:\\Da*ta\\? ", "*.*", "", "D:\\B", "Source path contains wildcard specification:\rC:\\Da*ta\\?",
       f.EditSrcDir.get(), 6, false},
      {"", "*.*", "", "D:\\B", "Source directory not specified.", f.EditSrcDir.get(), 0, false},
      {"C:\\Data", "*.txt;;.bak", "", "D:\\B", "Invalid source file specification:  .bak",
       f.ComboBoxSrcFile.get(), 6, false},
      {"C:\\Data", "*.*", "*.tmp;.*", "D:\\B", "Invalid ignore file specification:  .*",
       f.ComboBoxIgnFile.get(), 6, false},
      {"C:\\Data", "*.*", "", "D:\\B?", "Destination path contains wildcard specification:\rD:\\B?",
       f.EditDstDir.get(), 5, false},
      {"C:\\Data", "*.*", "", "7:", "Destination directory  7:  names neither a drive nor a network "
       "path.", f.EditDstDir.get(), 2, false},
      {"C:\\Data", "*.*", "", " C:B ", "Destination directory  C:B  names neither a drive nor a "
       "network path.", f.EditDstDir.get(), 3, false},
      {"\\D", "*.*", "", "D:\\B", "Source directory  \\D  names neither a drive nor a network "
       "path.", f.EditSrcDir.get(), 2, false},
      {"C:\\Nothing", "*.*", "", "D:\\B", "Source directory  C:\\Nothing  not found.",
       f.EditSrcDir.get(), 10, true},
      {"C:\\Data", "*.*", "", "F:\\B", "Destination drive  F:  is full.", f.EditDstDir.get(), 1, true},
      {"c:\\data", "*.*", "", "C:\\DATA\\COPY\\",
       "Destination  \t\tC:\\DATA\\COPY\rcontained in source  \tc:\\data", f.EditDstDir.get(), 12,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.box);
    Fill(c.src, c.specs, c.dst);
    f.CheckBoxIgnore->SetChecked(!c.ignore.empty());
    f.ComboBoxIgnFile->SetText(c.ignore);
    Press();
    ASSERT_EQ(DialogTexts(), Lines{c.box});
    EXPECT_EQ(tk.dialogs[0].type, DialogType::Error);
    EXPECT_TRUE(c.field->Focused());
    const int caret = c.field == f.ComboBoxSrcFile.get() || c.field == f.ComboBoxIgnFile.get()
                          ? static_cast<ComboBox*>(c.field)->SelStart()
                          : static_cast<Edit*>(c.field)->SelStart();
    EXPECT_EQ(caret, c.caret);
    EXPECT_EQ(f.MemoProtocol->Count(), c.commandLineWritten ? 2 : 0);
    EXPECT_TRUE(WindowReset());
    EXPECT_TRUE(RunState.ValidationFailed);
    EXPECT_TRUE(TurnFree());
    EXPECT_EQ(LastRunExitCode, RunRefused);
  }
  // The fields keep the cleaned-up texts.
  EXPECT_EQ(f.EditDstDir->Text(), "C:\\DATA\\COPY");
  EXPECT_EQ(f.ComboBoxSrcFile->Text(), "*.*");
}

// A destination beside the source whose name begins with the source's is
// not inside it: the run goes ahead.
TEST_F(RunDriverTest, ASiblingFolderWhoseNameBeginsWithTheSourcesIsBackedUpInto) {
  Fill("C:\\Data", "*.*", "C:\\DataBackup");
  Press();
  EXPECT_TRUE(tk.dialogs.empty());
  EXPECT_EQ(fs.Content("C:\\DataBackup\\Sub\\b.txt"), "beta");
  EXPECT_EQ(LastRunExitCode, RunCompleted);
}

TEST_F(RunDriverTest, DriveBoxesRepeatTheirTestOnRetryAndEndTheRunOnAbort) {
  fs.AddDrive('E', test::FakeDrive{.ready = false});
  fs.MakeDir("E:\\Src");
  fs.AddDrive('F', test::FakeDrive{.type = DriveRemovable, .writeProtected = true});
  Fill("E:\\Src", "*.*", "D:\\Backup");
  // Retry twice; the drive becomes ready before the second retry.
  tk.answers = {ModalRetry, ModalRetry};
  tk.actions.push_back([&] {
    if (tk.dialogs.size() < 2) return false;
    fs.Drive('E').ready = true;
    return true;
  });
  Press();
  EXPECT_EQ(DialogTexts(), Lines(2, "Source drive  E:  not ready."));
  EXPECT_EQ(tk.dialogs[0].buttons, uint32_t(ButtonAbort | ButtonRetry));
  EXPECT_EQ(LastRunExitCode, RunCompleted);

  Fill("C:\\Data", "*.*", "F:\\Backup");
  LanguageIndex = 1;
  tk.answers = {ModalAbort};
  Press();
  EXPECT_EQ(DialogTexts(), Lines{"Das Ziel-Laufwerk  F:  ist schreibgesch\xC3\xBCtzt."});
  EXPECT_TRUE(F().EditDstDir->Focused());
  EXPECT_EQ(F().EditDstDir->SelStart(), 1);
  EXPECT_EQ(LastRunExitCode, RunRefused);
  EXPECT_FALSE(fs.Exists("F:\\Backup"));
}

TEST_F(RunDriverTest, MissingDrivesAreReconnectedForTenSecondsOnTheSteadyClock) {
  // A remembered connection comes back at the first attempt.
  fs.SetNetConnection("N:", test::FakeNetConnection{"\\\\server\\share"});
  Fill("C:\\Data", "*.*", "N:\\Backup");
  Press();
  EXPECT_EQ(fs.NetAddCalls(), Lines{"N:=\\\\server\\share"});
  EXPECT_GT(tk.hourglassCount, 0);
  EXPECT_EQ(tk.cursor, CursorKind::Default);
  EXPECT_EQ(fs.Content("N:\\Backup\\a.txt"), "alpha");

  // One that cannot come back is tried until ten seconds after the run's
  // start have passed, also when the time of day crosses midnight meanwhile.
  fs.SetNetConnection("R:", test::FakeNetConnection{"\\\\gone\\share", false, ErrorBadNetPath});
  fs.SetClock(fs.PackLocalTime(CivilTime{2020, 6, 15, 23, 59, 56}));
  Fill("R:\\Src", "*.*", "D:\\Backup");
  const uint64_t start = fs.TickCount();
  Press();
  const uint64_t tried = fs.TickCount() - start;
  EXPECT_GE(tried, 10000u);
  EXPECT_LT(tried, 10300u);
  EXPECT_GT(fs.NetAddCalls().size(), 50u);
  EXPECT_EQ(DialogTexts(), Lines{"Source drive  R:  not found."});
  EXPECT_EQ(F().EditSrcDir->SelStart(), 1);
  EXPECT_EQ(LastRunExitCode, RunRefused);

  // Abort during the attempts ends the run without a box.
  const size_t callsBefore = fs.NetAddCalls().size();
  AbortWhen([&] { return fs.NetAddCalls().size() >= callsBefore + 3; });
  Press();
  EXPECT_TRUE(DialogTexts().empty());
  EXPECT_EQ(fs.NetAddCalls().size(), callsBefore + 3);
  EXPECT_TRUE(WindowReset());
  EXPECT_TRUE(TurnFree());
  EXPECT_EQ(LastRunExitCode, RunAborted);
}

TEST_F(RunDriverTest, QuietDryAndAbortedRunsWriteTheirLinesAndSpacing) {
  RunOptions.QuietFlag = true;
  Press();
  const Lines quiet = Protocol();
  // The command-line line (with "/q"), the walk's silent copies, no spacing.
  EXPECT_EQ(quiet[0], "plovik C:\\Data\\*.* D:\\Backup /s/e/v/q/i:*.BAK;*.TMP;*.WBK;*.$$$;~*.*;*.~*");
  EXPECT_EQ(BeforeSummary(quiet, 2), (Lines{quiet[0], ""}));
  RunOptions.QuietFlag = false;

  AsHeadless(*F().CheckBoxNoUpdate).UserClick();
  fs.MakeFile("C:\\Data\\c.txt", "gamma");
  Press();
  const Lines dry = Protocol();
  EXPECT_EQ(dry[2], "No updating (dry run with protocol only).");
  EXPECT_EQ(dry[3], "");
  EXPECT_EQ(BeforeSummary(dry, 3), (Lines{"COPY   C:\\Data\\c.txt", "", ""}));
  EXPECT_FALSE(fs.Exists("D:\\Backup\\c.txt"));
  AsHeadless(*F().CheckBoxNoUpdate).UserClick();

  fs.MakeFile("C:\\Data\\d.txt", "delta");
  AbortWhen([&] { return F().MemoProtocol->Count() >= 7; });
  Press();
  const Lines aborted = Protocol();
  EXPECT_NE(std::find(aborted.begin(), aborted.end(), "****** plovik aborted ******"),
            aborted.end());
  EXPECT_EQ(fs.Beeps(), std::vector<BeepKind>{BeepKind::Default});  // the user's abort
  EXPECT_EQ(LastRunExitCode, RunAborted);
  EXPECT_TRUE(WindowReset());
}

TEST_F(RunDriverTest, ARunOfMoreThanAMinuteEndsWithABeepAndAFailureLineGivesExitCodeOne) {
  fs.LockFile("C:\\Data\\a.txt");
  tk.answers = {ModalIgnore};
  tk.actions.push_back([&] {
    if (RunState.ActivityState != Updating || F().MemoProtocol->Count() < 6) return false;
    fs.AdvanceClock(31);  // 62 seconds
    return true;
  });
  Press();
  ASSERT_EQ(tk.dialogs.size(), 1u);
  EXPECT_EQ(fs.Beeps().back(), BeepKind::Default);
  EXPECT_EQ(LastRunExitCode, RunCompletedWithFailures);
}

// A source folder whose listing breaks off is no complete backup: the run
// goes on, and its failure line gives the exit code 1.
TEST_F(RunDriverTest, AFolderListingThatBreaksOffGivesExitCodeOne) {
  fs.MakeFile("C:\\Data\\z.txt", "zeta");
  fs.FailSearch("C:\\Data\\*.*", 3, 64);  // after ".", ".." and "a.txt"
  Press();
  EXPECT_EQ(fs.Content("D:\\Backup\\a.txt"), "alpha");
  EXPECT_FALSE(fs.Exists("D:\\Backup\\z.txt"));
  const Lines lines = Protocol();
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "****** Directory  C:\\Data  could not be read completely. Windows error 64: "
                      "The specified network name is no longer available. ******"),
            lines.end());
  EXPECT_EQ(LastRunExitCode, RunCompletedWithFailures);
  EXPECT_TRUE(WindowReset());
}

TEST_F(RunDriverTest, AbortOrACloseWhileWaitingForAnotherInstanceEndsTheWait) {
  auto other = fs.StartProcess();
  auto turn = std::move(other->OpenMutex("plovikWaitingToGo")->mutex);
  ASSERT_EQ(*turn->TryTake(), NamedMutex::Take::Taken);
  // Abort: the panel goes, the protocol stays empty.
  AbortWhen([&] { return RunState.ActivityState == WaitingForInstances; });
  Press();
  EXPECT_FALSE(F().PanelWaitToGo->Visible());
  EXPECT_TRUE(Protocol().empty());
  EXPECT_TRUE(WindowReset());
  EXPECT_EQ(LastRunExitCode, RunAborted);

  tk.answers = {ModalNo, ModalYes};
  int closes = 0;
  tk.actions.push_back([&] {
    if (RunState.ActivityState != WaitingForInstances) return false;
    EXPECT_TRUE(F().PanelWaitToGo->Visible());
    Close();
    return ++closes == 2;
  });
  Press();
  EXPECT_EQ(DialogTexts(),
            Lines(2, "Waiting for other instances of plovik to finish copying.\r\r"
                     "Abort and terminate application?"));
  EXPECT_TRUE(tk.Terminated());
  EXPECT_EQ(tk.ExitCode(), RunAborted);
  EXPECT_TRUE(Protocol().empty());
}

TEST_F(RunDriverTest, ClosingWhileUpdatingQuotesTheDestinationAndStopsTheWalk) {
  tk.answers = {ModalYes};
  tk.actions.push_back([&] {
    if (F().MemoProtocol->Count() < 7) return false;
    Close();
    return true;
  });
  Press();
  EXPECT_EQ(DialogTexts(), Lines{"Updating of  D:\\Backup  still in progress.\r\r"
                                 "Abort and terminate application?"});
  EXPECT_TRUE(tk.Terminated());
  EXPECT_EQ(tk.ExitCode(), RunAborted);
  EXPECT_FALSE(fs.Exists("D:\\Backup\\a.txt"));
  EXPECT_TRUE(MainForm().Visible());  // no close event: the program ends through the run
}

TEST_F(RunDriverTest, AClosingWhileSavingAsksWithItsOwnTextInEitherLanguage) {
  RunState.ActivityState = Saving;
  LanguageIndex = 1;
  tk.answers = {ModalNo};
  Close();
  EXPECT_EQ(DialogTexts(), Lines{"Speichern des  Protokolls als Log-Datei noch nicht "
                                 "abgeschlossen.\r\rAbbrechen und Programm beenden?"});
  EXPECT_EQ(RunState.ActivityState, Saving);
  EXPECT_FALSE(RunState.CloseRequested);
}

}  // namespace
}  // namespace plovik
