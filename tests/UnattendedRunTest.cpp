// Unattended runs ("/u") of the whole program: every place that would ask a
// person is answered by its rule, the answer stands in the protocol, no box
// is shown, the program ends by itself with the right exit code, and the
// run's protocol is added to the run history.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/UnitMain.h"
#include "core/Protocol.h"
#include "core/RunRecords.h"
#include "run/RunDriver.h"
#include "support/WindowTest.h"
#include "ui/MainForm.h"
#include "ui/RunHistory.h"

namespace plovik {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* HistoryPath =
    "C:\\Users\\user\\AppData\\Roaming\\Orvendale\\plovik\\plovik-runs.log";

struct UnattendedCase {
  const char* name;
  const char* arguments;
  std::function<void(test::FakePlatform&)> setUp;
  int exitCode;
  // Beginnings of lines the protocol must hold, in this order.
  Lines expected;
};

void PrintTo(const UnattendedCase& c, std::ostream* out) { *out << c.arguments; }

class UnattendedRunTest : public test::WindowTest,
                          public ::testing::WithParamInterface<UnattendedCase> {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    fs.AddDrive('D');
    fs.MakeFile("C:\\Data\\a.txt", "alpha");
    fs.MakeFile("C:\\Data\\Sub\\b.txt", "beta");
    // A box is what an unattended run must never show.
    tk.whileDialogShows = [](const DialogRecord& box) {
      ADD_FAILURE() << "a box waits for a person: " << box.text;
    };
  }

  int RunWith(const std::string& arguments) {
    fs.SetCommandLine("\"C:\\Plovik\\plovik.exe\" " + arguments);
    return RunProgram();
  }


  // True when each text begins a line of the lines, in this order.
  static ::testing::AssertionResult HoldsInOrder(const Lines& lines, const Lines& beginnings) {
    auto at = lines.begin();
    for (const std::string& beginning : beginnings) {
      at = std::find_if(at, lines.end(),
                        [&](const std::string& line) { return line.rfind(beginning, 0) == 0; });
      if (at == lines.end()) return ::testing::AssertionFailure() << "no line: " << beginning;
      ++at;
    }
    return ::testing::AssertionSuccess();
  }
};

TEST_P(UnattendedRunTest, AnswersByItsRuleShowsNoBoxAndEndsByItself) {
  const UnattendedCase& c = GetParam();
  if (c.setUp) c.setUp(fs);
  const uint64_t start = fs.TickCount();
  EXPECT_EQ(RunWith(c.arguments), c.exitCode);
  EXPECT_TRUE(tk.dialogs.empty());
  EXPECT_FALSE(DebugWindowReady) << "the program waited in its message loop";
  EXPECT_LT(fs.TickCount() - start, 120000u);
  const Lines history = FileLines(fs.Content(HistoryPath));
  ASSERT_FALSE(history.empty());
  EXPECT_EQ(history[0].rfind("==== ", 0), 0u);
  EXPECT_NE(history[0].find("exit code " + std::to_string(c.exitCode) + " ===="),
            std::string::npos);
  EXPECT_TRUE(HoldsInOrder(history, c.expected)) << ::testing::PrintToString(history);
  // A command line leaves the settings alone.
  EXPECT_FALSE(fs.Exists(SettingsPath));
}

const std::string Retry1 = "AUTO   Retry in 2 s (1 of 2): ";
const std::string Retry2 = "AUTO   Retry in 2 s (2 of 2): ";

INSTANTIATE_TEST_SUITE_P(
    EveryQuestion, UnattendedRunTest,
    ::testing::Values(
        UnattendedCase{"ACopiedRunEndsWithCodeZero", "C:\\Data D:\\Backup /s /u", {}, 0,
                       {"plovik C:\\Data\\*.* D:\\Backup /s/a/t", "COPY   C:\\Data\\Sub\\b.txt",
                        "Unattended: automatic answers 0, failure lines 0, elapsed 0:00:0"}},
        UnattendedCase{"ALockedFileIsRetriedTwiceThenPassedOver", "C:\\Data D:\\Backup /u",
                       [](test::FakePlatform& fs) { fs.LockFile("C:\\Data\\a.txt"); }, 1,
                       {Retry1 + "File  C:\\Data\\a.txt", Retry2 + "File  C:\\Data\\a.txt",
                        "AUTO   Ignore: File  C:\\Data\\a.txt", "****** ",
                        "Unattended: automatic answers 3, failure lines 1, elapsed 0:00:0"}},
        UnattendedCase{"ADestinationHeldOpenIsRetriedThenPassedOver", "C:\\Data D:\\Backup /u",
                       [](test::FakePlatform& fs) {
                         fs.MakeFile("D:\\Backup\\a.txt", "old", fs.Clock() - (1 << 25));
                         fs.LockFile("D:\\Backup\\a.txt");
                       },
                       1, {Retry1, Retry2, "AUTO   Ignore: File  C:\\Data\\a.txt"}},
        UnattendedCase{"ADirectoryThatCannotBeMadeIsPassedOver", "C:\\Data D:\\Backup /s /u",
                       [](test::FakePlatform& fs) { fs.FailCreateDir("D:\\Backup\\Sub", 5); }, 1,
                       {Retry1 + "Destination subdirectory D:\\Backup\\Sub\\",
                        "AUTO   Ignore: Destination subdirectory D:\\Backup\\Sub\\"}},
        UnattendedCase{"AFileThatDoesNotFitIsPassedOver", "C:\\Data E:\\Backup /u",
                       [](test::FakePlatform& fs) {
                         fs.AddDrive('E', test::FakeDrive{.freeBytes = 3});
                       },
                       1, {"AUTO   Ignore: File  C:\\Data\\a.txt", "****** "}},
        UnattendedCase{"ASourceDriveNotReadyIsTestedFiveTimesThenRefused",
                       "E:\\Data\\*.* D:\\Backup /u",
                       [](test::FakePlatform& fs) {
                         fs.AddDrive('E', test::FakeDrive{.ready = false});
                       },
                       3,
                       {"AUTO   Retry in 2 s (1 of 5): Source drive  E:  not ready.",
                        "AUTO   Retry in 2 s (5 of 5): Source drive  E:  not ready.",
                        "AUTO   Abort: Source drive  E:  not ready."}},
        UnattendedCase{"AMissingDestinationDriveIsRefused", "C:\\Data Q:\\Backup /u", {}, 3,
                       {"AUTO   Abort: Destination drive  Q:  not found."}},
        UnattendedCase{"ADestinationInsideTheSourceIsRefused", "C:\\Data C:\\Data\\Copy /u", {}, 3,
                       {"AUTO   Abort: Destination    C:\\Data\\Copy  contained in source   C:\\Data"}},
        UnattendedCase{"AMissingSourceIsNoSpecificationAndRefused", "C:\\Nowhere D:\\Backup /u", {},
                       3,
                       {"AUTO   No: Source directory  C:\\Nowhere  not found.",
                        "AUTO   Abort: this command line cannot start an unattended run."}},
        UnattendedCase{"AMalformedCommandLineIsRefused", "/s C:\\Data D:\\Backup /u", {}, 3,
                       {"AUTO   OK: CommandLine parameter found after commandLine switch",
                        "AUTO   Abort: this command line cannot start an unattended run."}},
        UnattendedCase{"ACommandLineWithoutPathsIsRefused", "/u /s", {}, 3,
                       {"AUTO   Abort: this command line cannot start an unattended run."}},
        UnattendedCase{"AFailedLogSaveIsALineAndCodeOne", "C:\\Empty D:\\NewBackup /s /l /u",
                       [](test::FakePlatform& fs) { fs.MakeDir("C:\\Empty"); }, 1,
                       {"****** The protocol could not be saved:  D:\\NewBackup\\PLOVIK-LOG.TXT",
                        "AUTO   OK: The file could not be written:"}}),
    [](const ::testing::TestParamInfo<UnattendedCase>& info) { return std::string(info.param.name); });

// Another instance's run that outlasts the waiting limit of the settings:
// no run, exit code 4, and the waiting ends by itself.
TEST_F(UnattendedRunTest, WaitingLongerThanTheLimitEndsWithCodeFour) {
  GiveSettings("[General]\r\nUnattendedWaitMinutes=1\r\n");
  auto other = fs.StartProcess();
  auto updating = std::move(other->OpenMutex("plovikWaitingToGo")->mutex);
  ASSERT_EQ(*updating->TryTake(), NamedMutex::Take::Taken);
  const uint64_t start = fs.TickCount();
  EXPECT_EQ(RunWith("C:\\Data D:\\Backup /u"), RunWaitedTooLong);
  EXPECT_GE(fs.TickCount() - start, 60000u);
  EXPECT_LT(fs.TickCount() - start, 62000u);
  EXPECT_FALSE(fs.Exists("D:\\Backup"));
  EXPECT_TRUE(HoldsInOrder(FileLines(fs.Content(HistoryPath)),
                           {"AUTO   Abort: another instance was still updating after 1 minutes"}));
}

// A close of the window during an unattended run (a person, or the task
// scheduler ending the task) is taken as confirmed: the run stops.
TEST_F(UnattendedRunTest, ACloseWhileUpdatingIsConfirmedAndStopsTheRun) {
  for (int i = 0; i < 50; ++i) fs.MakeFile("C:\\Data\\f" + std::to_string(i) + ".txt", "x");
  tk.actions.push_back([this] {
    if (FormMain == nullptr || RunCounters.FilesCopied < 3) return false;
    Close();
    return true;
  });
  EXPECT_EQ(RunWith("C:\\Data D:\\Backup /u"), RunAborted);
  EXPECT_TRUE(tk.dialogs.empty());
  EXPECT_TRUE(HoldsInOrder(FileLines(fs.Content(HistoryPath)),
                           {"AUTO   Yes: Updating of  D:\\Backup  still in progress."}));
  EXPECT_LT(RunCounters.FilesCopied, 50);
}

// The history keeps whole runs: the oldest ones go when it grows too big,
// the newest one always stays.
TEST(RunHistoryTest, DropsTheOldestRunsWholeToStayUnderItsLimit) {
  const Lines first{"==== 01.12.2026  03:00:00  exit code 0 ====", "run one", ""};
  const Lines second{"==== 02.12.2026  03:00:00  exit code 1 ====", "run two", ""};
  Lines history = WithRunAppended({}, {first[0], first[1]}, 1000);
  EXPECT_EQ(history, first);
  history = WithRunAppended(history, {second[0], second[1]}, 1000);
  Lines both = first;
  both.insert(both.end(), second.begin(), second.end());
  EXPECT_EQ(history, both);
  // Room for one run only: the older one goes whole.
  EXPECT_EQ(WithRunAppended(first, {second[0], second[1]}, 60), second);
  // The newest run stays even when it alone is larger.
  EXPECT_EQ(WithRunAppended(first, {second[0], second[1]}, 10), second);
}

}  // namespace
}  // namespace plovik
