// The progress of a run as a person sees it: the title bar's figures in
// both languages, a large file's percentage, the taskbar button's states,
// the pace of the updates, and the normal title and a clear taskbar button
// after every end of a run.
#include "ui/RunProgress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/RunHost.h"
#include "core/RunRecords.h"
#include "support/WindowTest.h"
#include "ui/Language.h"
#include "ui/MainForm.h"

namespace plovik {
namespace {

constexpr uint64_t MiB = uint64_t(1) << 20;
constexpr uint64_t GiB = uint64_t(1) << 30;

using Taskbar = std::vector<TaskbarRecord>;
constexpr TaskbarRecord Busy{TaskbarProgress::Indeterminate, 0, 0};
constexpr TaskbarRecord Clear{TaskbarProgress::None, 0, 0};
constexpr TaskbarRecord Share(uint64_t done, uint64_t total) {
  return TaskbarRecord{TaskbarProgress::Normal, done, total};
}

ProgressFigures Figures(uint64_t files, uint64_t bytes, std::string file = "", int percent = 0) {
  return ProgressFigures{true, files, bytes, std::move(file), percent};
}

TEST(ProgressTitleTest, FiguresFollowTheCaptionInEitherLanguage) {
  struct Case {
    ProgressFigures figures;
    uint8_t language;
    std::string title;
  };
  const std::string caption = " plovik  (Instance #2)";
  const std::string name = "a very long file name that goes on and on.iso";
  const std::vector<Case> cases = {
      {ProgressFigures{}, 0, " plovik  (Instance #2)"},
      {Figures(0, 0), 0, " plovik  (Instance #2)  –  0 files, 0 bytes copied"},
      {Figures(1, 1), 0, " plovik  (Instance #2)  –  1 file, 1 byte copied"},
      {Figures(1, 1), 1, " plovik  (Instance #2)  –  1 Datei, 1 Byte kopiert"},
      {Figures(1234, 6012954215, "big.iso", 42), 0,
       " plovik  (Instance #2)  –  1,234 files, 5.6 GB copied  –  big.iso 42%"},
      {Figures(1234, 6012954215, "big.iso", 42), 1,
       " plovik  (Instance #2)  –  1.234 Dateien, 5,6 GB kopiert  –  big.iso 42 %"},
      // Sizes are cut, never rounded up, and lose their tenth from 100 on.
      {Figures(2, 1023), 0, " plovik  (Instance #2)  –  2 files, 1023 bytes copied"},
      {Figures(2, 1024), 0, " plovik  (Instance #2)  –  2 files, 1.0 KB copied"},
      {Figures(2, MiB - 1), 0, " plovik  (Instance #2)  –  2 files, 1,023 KB copied"},
      {Figures(2, 100 * MiB - 1), 1, " plovik  (Instance #2)  –  2 Dateien, 99,9 MB kopiert"},
      {Figures(1234567, 1536 * GiB), 1,
       " plovik  (Instance #2)  –  1.234.567 Dateien, 1,5 TB kopiert"},
      {Figures(7, UINT64_MAX), 0, " plovik  (Instance #2)  –  7 files, 15.9 EB copied"},
      // A long name is shortened in its middle; its percentage stays.
      {Figures(0, 0, name, 7), 0,
       " plovik  (Instance #2)  –  0 files, 0 bytes copied  –  a very long file n... goes on and on.iso 7%"},
  };
  for (const Case& c : cases) EXPECT_EQ(ProgressTitle(caption, c.figures, c.language), c.title);
}

class RunProgressTest : public test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Start();
    // A second instance: the title keeps its number.
    RunOptions.InstanceNumber = 2;
    InstanceText = InstanceTextFor(0);
    SetMainCaption();
    tk.taskbar.clear();
  }

  void Pass(uint64_t milliseconds) { ASSERT_TRUE(fs.TimerWait(int64_t(milliseconds) * 10000)); }
  std::string Title() const { return MainForm().Caption(); }
  // The title during a run: the normal one and the figures.
  static std::string Showing(const std::string& figures) {
    return " plovik  (Instance #2)  –  " + figures;
  }
  static constexpr const char* Normal = " plovik  (Instance #2)";
};

TEST_F(RunProgressTest, ALargeFileShowsItsShareInTheTitleAndOnTheTaskbarButton) {
  host.LockInputs();
  EXPECT_EQ(Title(), Normal);  // nothing to tell yet
  host.FileBegins("C:\\Data\\a.txt", 5);
  EXPECT_EQ(Title(), Showing("0 files, 0 bytes copied"));
  host.FileProgress(5);
  host.FileEnds(true);
  Pass(250);
  host.DirectoryEnds();
  EXPECT_EQ(Title(), Showing("1 file, 5 bytes copied"));

  // 16 MiB and more: the percentage from the start.
  host.FileBegins("C:\\Data\\Images\\big.iso", 64 * MiB);
  host.FileProgress(16 * MiB);
  EXPECT_EQ(Title(), Showing("1 file, 5 bytes copied"));  // not due yet
  Pass(250);
  host.FileProgress(16 * MiB + 1);
  EXPECT_EQ(Title(), Showing("1 file, 5 bytes copied  –  big.iso 25%"));
  Pass(250);
  host.FileProgress(48 * MiB);
  EXPECT_EQ(Title(), Showing("1 file, 5 bytes copied  –  big.iso 75%"));
  host.FileEnds(true);

  // A smaller file shows its share once its copy has lasted half a second.
  Pass(250);
  host.FileBegins("C:\\Data\\slow.bin", 10 * MiB);
  Pass(250);
  host.FileProgress(MiB);
  EXPECT_EQ(Title(), Showing("2 files, 64.0 MB copied"));
  Pass(250);
  host.FileProgress(3 * MiB);
  EXPECT_EQ(Title(), Showing("2 files, 64.0 MB copied  –  slow.bin 30%"));
  // A copy that fails counts nothing.
  host.FileEnds(false);
  Pass(250);
  host.DirectoryEnds();
  EXPECT_EQ(Title(), Showing("2 files, 64.0 MB copied"));

  host.ResetWindow(true);
  EXPECT_EQ(Title(), Normal);
  EXPECT_EQ(tk.taskbar, (Taskbar{Busy, Share(16 * MiB + 1, 64 * MiB), Share(48 * MiB, 64 * MiB),
                                 Busy, Share(3 * MiB, 10 * MiB), Busy, Clear}));
}

TEST_F(RunProgressTest, TheDisplayChangesAtMostFourTimesASecond) {
  host.LockInputs();
  host.FileBegins("C:\\Data\\huge.vhd", 2 * GiB);
  const uint64_t start = fs.TickCount();
  std::vector<uint64_t> changes;
  std::string title = Title();
  for (uint64_t done = 1; done <= 200; ++done) {
    Pass(7);
    EXPECT_EQ(host.FileProgress(done * 10 * MiB), HostSignal::GoOn);
    if (Title() != title) changes.push_back(fs.TickCount() - start);
    title = Title();
  }
  // 1.4 seconds of blocks: the title and the taskbar button change five
  // times, at least 250 ms apart.
  EXPECT_EQ(changes, (std::vector<uint64_t>{252, 504, 756, 1008, 1260}));
  EXPECT_EQ(tk.taskbar.size(), 7u);  // busy, 0 % at the start, and the five
  EXPECT_EQ(tk.taskbar.back(), Share(1800 * MiB, 2 * GiB));
  EXPECT_EQ(Title(), Showing("0 files, 0 bytes copied  –  huge.vhd 87%"));
}

TEST_F(RunProgressTest, ALanguageSwitchDuringARunKeepsTheFiguresInTheNewLanguage) {
  host.LockInputs();
  host.FileBegins("C:\\Data\\big.iso", 20 * MiB);
  host.FileProgress(10 * MiB);
  tk.popupChoices = {"Sprache   Deutsch"};
  MainForm().OpenContextMenu(10, 10);
  // The instance text stays in the language of the program's start.
  EXPECT_EQ(Title(), " plovik  (Instance #2)  –  0 Dateien, 0 Bytes kopiert  –  big.iso 0 %");
  Pass(250);
  host.FileProgress(10 * MiB);
  EXPECT_EQ(Title(), " plovik  (Instance #2)  –  0 Dateien, 0 Bytes kopiert  –  big.iso 50 %");
  host.EndProgram(0);
  EXPECT_EQ(Title(), Normal);
  EXPECT_EQ(tk.taskbar.back(), Clear);
}

TEST_F(RunProgressTest, WithoutTheTaskbarsProgressTheTitleStillShowsIt) {
  tk.taskbarAvailable = false;
  host.LockInputs();
  host.FileBegins("C:\\Data\\big.iso", 20 * MiB);
  Pass(250);
  EXPECT_EQ(host.FileProgress(5 * MiB), HostSignal::GoOn);
  EXPECT_EQ(Title(), Showing("0 files, 0 bytes copied  –  big.iso 25%"));
  host.FileEnds(true);
  Pass(250);
  host.DirectoryEnds();
  // Once it is there, the button gets what is due at the next showing.
  tk.taskbarAvailable = true;
  host.DirectoryEnds();
  EXPECT_TRUE(tk.taskbar.empty());
  Pass(250);
  host.DirectoryEnds();
  EXPECT_EQ(tk.taskbar, Taskbar{Busy});
  EXPECT_EQ(Title(), Showing("1 file, 20.0 MB copied"));
}

// The run driver's ends, with the copies reported through the host the run
// uses.
class RunProgressEndsTest : public RunProgressTest {
 protected:
  void SetUp() override {
    RunProgressTest::SetUp();
    fs.AddDrive('D');
    fs.MakeFile("C:\\Data\\a.txt", "alpha");
    F().EditSrcDir->SetText("C:\\Data");
    F().ComboBoxSrcFile->SetText("*.*");
    F().EditDstDir->SetText("D:\\Backup");
  }

  // Once the run is under way, half of a large file is copied and then
  // `next` runs; the title at that moment is kept.
  void DuringTheRun(std::function<void()> next) {
    tk.actions.push_back([this, next] {
      if (!RunState.RunActive || RunState.ActivityState != Updating) return false;
      Host().FileBegins("C:\\Data\\big.iso", 64 * MiB);
      Pass(300);
      signal = Host().FileProgress(32 * MiB);
      during = Title();
      next();
      Host().FileEnds(false);  // as the engine would after any abort
      return true;
    });
  }
  void Press() { AsHeadless(*F().ButtonStart).UserClick(); }
  bool TitleShowedTheFile() const {
    return during.starts_with(Showing("")) && during.ends_with("  –  big.iso 50%");
  }

  std::string during;
  HostSignal signal = HostSignal::GoOn;
};

TEST_F(RunProgressEndsTest, TheTitleAndTheTaskbarButtonAreBackToNormalAfterEveryEnd) {
  // The walk ends.
  DuringTheRun([] {});
  Press();
  EXPECT_TRUE(TitleShowedTheFile()) << during;
  EXPECT_EQ(Title(), Normal);
  ASSERT_GE(tk.taskbar.size(), 3u);
  EXPECT_EQ(tk.taskbar.front(), Busy);
  EXPECT_EQ(tk.taskbar[tk.taskbar.size() - 2], Share(32 * MiB, 64 * MiB));
  EXPECT_EQ(tk.taskbar.back(), Clear);

  // The user aborts in the middle of the file.
  tk.taskbar.clear();
  DuringTheRun([this] { AsHeadless(*F().ButtonAbort).UserClick(); });
  Press();
  EXPECT_TRUE(TitleShowedTheFile()) << during;
  EXPECT_EQ(Title(), Normal);
  EXPECT_EQ(tk.taskbar.front(), Busy);
  EXPECT_EQ(tk.taskbar.back(), Clear);
  EXPECT_EQ(std::count(tk.taskbar.begin(), tk.taskbar.end(), Clear), 1);

  // The user closes the window and the program ends.
  tk.taskbar.clear();
  tk.answers = {ModalYes};
  DuringTheRun([this] { Close(); });
  Press();
  EXPECT_TRUE(tk.Terminated());
  EXPECT_TRUE(TitleShowedTheFile()) << during;
  EXPECT_EQ(Title(), Normal);
  EXPECT_EQ(tk.taskbar.back(), Clear);
}

TEST_F(RunProgressEndsTest, TheCountdownKeepsTheFinalFiguresUntilTheProgramEnds) {
  RunOptions.TerminateFlag = true;
  RunOptions.KeepTime = 1000;
  DuringTheRun([this] { Host().FileEnds(true); });
  std::string counting;
  Taskbar taskbarCounting;
  tk.actions.push_back([&] {
    if (RunState.ActivityState != CountingDown) return false;
    counting = Title();
    taskbarCounting = tk.taskbar;
    return true;
  });
  Press();
  EXPECT_TRUE(TitleShowedTheFile()) << during;
  EXPECT_TRUE(counting.starts_with(Showing(""))) << counting;
  EXPECT_EQ(counting.find("big.iso"), std::string::npos) << counting;
  EXPECT_NE(counting.find("64.0 MB copied"), std::string::npos) << counting;
  ASSERT_FALSE(taskbarCounting.empty());
  EXPECT_EQ(taskbarCounting.back(), Clear);
  EXPECT_TRUE(tk.Terminated());
  EXPECT_EQ(Title(), Normal);
}

}  // namespace
}  // namespace plovik
