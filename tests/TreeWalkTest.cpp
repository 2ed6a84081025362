// The directory tree walk over the fake file system: copy decisions, the
// protocol, dialogs and their answers, attributes and the counters.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "engine/Files.h"
#include "engine/TreeWalk.h"
#include "lib/PackedDate.h"
#include "lib/WinErrors.h"
#include "lib/XStrings.h"
#include "core/RunRecords.h"
#include "support/ProgramTest.h"
#include "core/Protocol.h"

namespace plovik::test {
namespace {

constexpr int32_t Packed(int year, int month, int day, int hour, int minute, int second) {
  return static_cast<int32_t>((static_cast<uint32_t>(year - 1980) << 25) |
                              (static_cast<uint32_t>(month) << 21) |
                              (static_cast<uint32_t>(day) << 16) |
                              (static_cast<uint32_t>(hour) << 11) |
                              (static_cast<uint32_t>(minute) << 5) |
                              static_cast<uint32_t>(second / 2));
}

constexpr int32_t Noon = Packed(2020, 6, 15, 12, 0, 0);
constexpr int32_t Earlier = Packed(2020, 6, 14, 12, 0, 0);

class TreeWalkTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    fs.AddDrive('D');
    fs.MakeDir("C:\\src", Earlier);
    fs.MakeDir("D:\\dst", Earlier);
    RunOptions.SubDirFlag = true;
    RunOptions.EmptyFlag = false;
    RunOptions.VerifyFlag = false;
    RunOptions.IgnoreFlag = true;
    RunOptions.SrcFileSpecList[1] = "*.*";
    RunOptions.SrcFileSpecCount = 1;
    RunState.RunDialogAnswer = 1;
  }

  void Walk(const std::string& src = "C:\\src", const std::string& dst = "D:\\dst") {
    outcome = WalkTree(WalkJob{src, dst, RunOptions, RunCounters, host,
                               static_cast<uint16_t>(ProtocolPathChars)});
    EXPECT_EQ(fs.OpenSearches(), 0) << "every search is closed on every way out";
  }

  // Protocol lines that begin with a tag (e.g. "COPY   ").
  std::vector<std::string> Tagged(const std::string& tag) const {
    std::vector<std::string> out;
    for (const std::string& line : ProtocolLines())
      if (line.rfind(tag, 0) == 0) out.push_back(line);
    return out;
  }
  std::vector<std::string> Failures() const { return Tagged("****** "); }

  static std::string Framed(const std::string& text) { return "****** " + text + " ******"; }

  WalkOutcome outcome;  // of the last walk
};

// ---- attribute helpers ---------------------------------------------------

TEST(TreeWalkAttributes, MergeKeepsDestinationTemporaryCompressedOffline) {
  struct Case { uint32_t src, dst, expected; } cases[] = {
      {0x21, 0x20, 0x21},
      {0x80, 0x20, 0x80},
      {0x121, 0x20, 0x21},          // the source's T is not carried over
      {0x21, 0x820, 0x821},         // the destination keeps C
      {0x80, 0x1000, 0x1000},       // keeping O drops N
      {0x1980, 0x0100, 0x0100},     // only the destination's T survives
      {0x03, 0x1920, 0x1903},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MergeAttributes(c.src, c.dst), c.expected) << std::hex << c.src << " " << c.dst;
}

TEST(TreeWalkAttributes, ChangeTextListsLettersInTableOrder) {
  struct Case { uint32_t from, to; const char* text; } cases[] = {
      {0x20, 0x20, ""},
      {0x20, 0x21, "+R"},
      {0x21, 0x20, "-R"},
      {0x20, 0x27, "+R +H +S"},
      {0x1981, 0x20, "-R +A -N -T -C -O"},
      {0x20, 0x18, "+V +D -A"},
      {0x20, 0x20 | 0x40000, "?"},  // differ only outside the table
  };
  for (const Case& c : cases)
    EXPECT_EQ(AttributeChangeText(c.from, c.to), c.text) << std::hex << c.from << " " << c.to;
}

// ---- the copy decision ---------------------------------------------------

struct DecisionCase {
  const char* what;
  int32_t src;
  int32_t dst;  // MissingFileDate: no destination file
  bool oneHour;
  bool sameSize;
  bool copied;
};

class TreeWalkDecisionTest : public TreeWalkTest,
                             public ::testing::WithParamInterface<DecisionCase> {};

TEST_P(TreeWalkDecisionTest, CopiesOnlyWhatIsMissingOrOlder) {
  const DecisionCase& c = GetParam();
  RunOptions.IgnoreFileAgeOneHourDiffFlag = c.oneHour;
  fs.MakeFile("C:\\src\\f.dat", "new!", c.src);
  if (c.dst != MissingFileDate) fs.MakeFile("D:\\dst\\f.dat", c.sameSize ? "old!" : "old", c.dst);
  Walk();
  EXPECT_EQ(RunCounters.FilesCopied, c.copied ? 1 : 0);
  EXPECT_EQ(Tagged("COPY   ").size(), c.copied ? 1u : 0u);
  if (c.copied) {
    EXPECT_EQ(fs.Content("D:\\dst\\f.dat"), "new!");
  } else {
    EXPECT_EQ(fs.Date("D:\\dst\\f.dat"), c.dst);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, TreeWalkDecisionTest,
    ::testing::Values(
        DecisionCase{"newer by 3", Packed(2020, 6, 15, 12, 0, 6), Noon, false, true, false},
        DecisionCase{"newer by 4", Packed(2020, 6, 15, 12, 0, 8), Noon, false, true, true},
        DecisionCase{"destination newer", Noon, Packed(2020, 6, 15, 12, 0, 8), false, true, false},
        DecisionCase{"hour-3", Packed(2020, 6, 15, 13, 0, 0), Packed(2020, 6, 15, 12, 0, 6), true, true, false},
        DecisionCase{"hour", Packed(2020, 6, 15, 13, 0, 0), Noon, true, true, false},
        DecisionCase{"hour+3", Packed(2020, 6, 15, 13, 0, 6), Noon, true, true, false},
        DecisionCase{"hour+4", Packed(2020, 6, 15, 13, 0, 8), Noon, true, true, true},
        DecisionCase{"hour, sizes differ", Packed(2020, 6, 15, 13, 0, 0), Noon, true, false, true},
        DecisionCase{"hour without flag", Packed(2020, 6, 15, 13, 0, 0), Noon, false, true, true},
        DecisionCase{"missing, oldest date", Packed(1980, 1, 1, 0, 0, 0), MissingFileDate, false, true, true},
        DecisionCase{"missing, 2050", Packed(2050, 3, 1, 8, 0, 0), MissingFileDate, true, true, true},
        DecisionCase{"2050 over 2040", Packed(2050, 3, 1, 8, 0, 0), Packed(2040, 3, 1, 8, 0, 0), false, true, true},
        DecisionCase{"2040 over 2050", Packed(2040, 3, 1, 8, 0, 0), Packed(2050, 3, 1, 8, 0, 0), false, true, false}),
    [](const ::testing::TestParamInfo<DecisionCase>& info) { return "Case" + std::to_string(info.index); });

TEST_F(TreeWalkTest, NewerDestinationStillGetsTheSourceAttributes) {
  fs.MakeFile("C:\\src\\f.dat", "src", Earlier, AttrReadOnly | AttrArchive);
  fs.MakeFile("D:\\dst\\f.dat", "newer", Noon, AttrArchive);
  Walk();
  EXPECT_EQ(fs.Content("D:\\dst\\f.dat"), "newer");
  EXPECT_EQ(fs.Attributes("D:\\dst\\f.dat"), AttrReadOnly | AttrArchive);
  EXPECT_EQ(Tagged("ATTRIB "), std::vector<std::string>{"ATTRIB +R D:\\dst\\f.dat"});
  EXPECT_EQ(RunCounters.FileAttributesUpdated, 1);
}

// ---- modes ---------------------------------------------------------------

// A tree that makes every kind of action line: a new directory, a copy, a
// directory and a file attribute change, a skip and an ignore.
void MakeMixedTree(FakePlatform& fs) {
  fs.MakeDir("C:\\src\\new", Earlier);
  fs.MakeFile("C:\\src\\new\\n.txt", "n", Noon);
  fs.MakeDir("C:\\src\\old", Earlier, AttrDirectory | AttrHidden);
  fs.MakeDir("D:\\dst\\old", Earlier);
  fs.MakeFile("C:\\src\\old\\o.txt", "o", Earlier, AttrArchive | AttrReadOnly);
  fs.MakeFile("D:\\dst\\old\\o.txt", "o", Earlier, AttrArchive);
  fs.MakeFile("C:\\src\\SKIPLIST.INI", "[FILES]\nsecret.txt\n", Earlier);
  fs.MakeFile("D:\\dst\\SKIPLIST.INI", "[FILES]\nsecret.txt\n", Earlier);
  fs.MakeFile("C:\\src\\secret.txt", "s", Noon);
  fs.MakeFile("C:\\src\\junk.tmp", "j", Noon);
}

TEST_F(TreeWalkTest, DryRunWritesTheRealRunsLinesButChangesNothing) {
  MakeMixedTree(fs);
  RunOptions.ReportFlag = true;
  RunOptions.IgnoreFileSpecList[1] = "*.TMP";
  RunOptions.IgnoreFileSpecCount = 1;
  RunOptions.EmptyFlag = true;
  const std::vector<std::string> before = fs.Tree("D:\\");
  const int32_t oldDate = fs.Date("D:\\dst\\old");

  RunOptions.NoUpdateFlag = true;
  Walk();
  const std::vector<std::string> dryLines = ProtocolLines();
  EXPECT_EQ(fs.Tree("D:\\"), before);
  EXPECT_EQ(fs.Attributes("D:\\dst\\old\\o.txt"), AttrArchive);
  EXPECT_EQ(fs.Attributes("D:\\dst\\old"), AttrDirectory);
  EXPECT_EQ(fs.Date("D:\\dst\\old"), oldDate);
  EXPECT_EQ(RunCounters.FilesCopied, 0);
  EXPECT_EQ(RunCounters.SubDirsCreated, 0);
  EXPECT_EQ(RunCounters.SubDirAttributesUpdated, 0);
  EXPECT_EQ(RunCounters.FileAttributesUpdated, 0);
  EXPECT_EQ(RunCounters.FilesSkipped, 1);
  EXPECT_EQ(RunCounters.FilesIgnored, 1);

  ProtocolClear();
  RunCounters = TRunCounters{};
  RunOptions.NoUpdateFlag = false;
  Walk();
  EXPECT_EQ(ProtocolLines(), dryLines);
  EXPECT_EQ(Tagged("MKDIR  "), std::vector<std::string>{"MKDIR  D:\\dst\\new"});
  EXPECT_EQ(Tagged("ATTRIB "), (std::vector<std::string>{"ATTRIB +H D:\\dst\\old",
                                                         "ATTRIB +R D:\\dst\\old\\o.txt"}));
  EXPECT_EQ(Tagged("skip   "), std::vector<std::string>{"skip   C:\\src\\secret.txt"});
  EXPECT_EQ(Tagged("ignore "), std::vector<std::string>{"ignore C:\\src\\junk.tmp"});
  EXPECT_EQ(RunCounters.FilesCopied, 1);
  EXPECT_EQ(RunCounters.SubDirsCreated, 1);
  EXPECT_EQ(RunCounters.SubDirAttributesUpdated, 1);
  EXPECT_EQ(RunCounters.FileAttributesUpdated, 1);
}

struct ModeCase { bool quiet, report; size_t actions, reports; };
class TreeWalkModeTest : public TreeWalkTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(TreeWalkModeTest, QuietAndReportFilterTheLinesNotTheCounters) {
  const ModeCase& c = GetParam();
  MakeMixedTree(fs);
  fs.FailSetAttributes("D:\\dst\\old\\o.txt", ErrorAccessDenied);
  RunOptions.QuietFlag = c.quiet;
  RunOptions.ReportFlag = c.report;
  RunOptions.IgnoreFileSpecList[1] = "*.TMP";
  RunOptions.IgnoreFileSpecCount = 1;
  Walk();
  const size_t actions =
      Tagged("MKDIR  ").size() + Tagged("COPY   ").size() + Tagged("ATTRIB ").size();
  EXPECT_EQ(actions, c.actions);
  EXPECT_EQ(Tagged("skip   ").size() + Tagged("ignore ").size(), c.reports);
  EXPECT_EQ(Failures().size(), 1u) << "failure lines are always written";
  EXPECT_EQ(RunCounters.FilesCopied, 1);
  EXPECT_EQ(RunCounters.FilesSkipped, 1);
  EXPECT_EQ(RunCounters.FilesIgnored, 1);
  EXPECT_EQ(RunCounters.SubDirAttributesUpdated, 1);
}

INSTANTIATE_TEST_SUITE_P(Flags, TreeWalkModeTest,
                         ::testing::Values(ModeCase{false, false, 4, 0}, ModeCase{false, true, 4, 2},
                                           ModeCase{true, false, 0, 0}, ModeCase{true, true, 0, 0}));

TEST_F(TreeWalkTest, SkippedFileIsNotTestedForIgnoring) {
  fs.MakeFile("C:\\src\\SKIPLIST.INI", "[FILES]\n*.LOG\n", Earlier);
  fs.MakeFile("C:\\src\\a.log", "a", Noon);
  RunOptions.IgnoreFileSpecList[1] = "A.*";
  RunOptions.IgnoreFileSpecList[2] = "*.INI";
  RunOptions.IgnoreFileSpecCount = 2;
  RunOptions.ReportFlag = true;
  Walk();
  EXPECT_EQ(RunCounters.FilesSkipped, 1);
  EXPECT_EQ(RunCounters.FilesIgnored, 1);  // SKIPLIST.INI itself
  EXPECT_EQ(Tagged("skip   "), std::vector<std::string>{"skip   C:\\src\\a.log"});
  EXPECT_FALSE(fs.Exists("D:\\dst\\a.log"));
}

TEST_F(TreeWalkTest, FileMatchingTwoSpecificationsIsFoundTwice) {
  fs.MakeFile("C:\\src\\a.txt", "a", Noon);
  RunOptions.SrcFileSpecList[1] = "*.TXT";
  RunOptions.SrcFileSpecList[2] = "A.*";
  RunOptions.SrcFileSpecCount = 2;
  Walk();
  EXPECT_EQ(RunCounters.FilesFound, 2);
  EXPECT_EQ(RunCounters.FilesCopied, 1);
  EXPECT_EQ(Tagged("COPY   ").size(), 1u);
}

TEST_F(TreeWalkTest, EmptyDirectoryIsNotCreatedWithoutEmptyFlag) {
  fs.MakeDir("C:\\src\\empty", Earlier, AttrDirectory | AttrHidden);
  Walk();
  EXPECT_FALSE(fs.Exists("D:\\dst\\empty"));
  EXPECT_EQ(RunCounters.SubDirsScanned, 2);
  EXPECT_TRUE(ProtocolLines().empty());
}

TEST_F(TreeWalkTest, EmptyDirectoryIsCreatedWithDateAndAttributesWithEmptyFlag) {
  fs.MakeDir("C:\\src\\empty", Earlier, AttrDirectory | AttrHidden);
  RunOptions.EmptyFlag = true;
  Walk();
  ASSERT_TRUE(fs.IsDir("D:\\dst\\empty"));
  EXPECT_EQ(fs.Date("D:\\dst\\empty"), Earlier);
  EXPECT_EQ(fs.Attributes("D:\\dst\\empty"), AttrDirectory | AttrHidden);
  EXPECT_EQ(Tagged("MKDIR  "), std::vector<std::string>{"MKDIR  D:\\dst\\empty"});
  EXPECT_TRUE(Tagged("ATTRIB ").empty());
  EXPECT_EQ(RunCounters.SubDirsCreated, 1);
  EXPECT_EQ(RunCounters.SubDirAttributesUpdated, 0);
}

TEST_F(TreeWalkTest, DeepestDirectoryFirstRootLast) {
  fs.MakeFile("C:\\src\\r.txt", "r", Noon);
  fs.MakeFile("C:\\src\\a\\a.txt", "a", Noon);
  fs.MakeFile("C:\\src\\a\\b\\b.txt", "b", Noon);
  fs.MakeFile("C:\\src\\a\\b\\c\\c.txt", "c", Noon);
  Walk();
  EXPECT_EQ(Tagged("COPY   "), (std::vector<std::string>{
                                   "COPY   C:\\src\\a\\b\\c\\c.txt", "COPY   C:\\src\\a\\b\\b.txt",
                                   "COPY   C:\\src\\a\\a.txt", "COPY   C:\\src\\r.txt"}));
  EXPECT_EQ(RunCounters.SubDirsScanned, 4);
  EXPECT_EQ(RunCounters.SubDirsCreated, 3);
}

TEST_F(TreeWalkTest, HiddenAndSystemEntriesAreWalkedLikeOthers) {
  fs.MakeDir("C:\\src\\sys", Earlier, AttrDirectory | AttrHidden | AttrSystem);
  fs.MakeFile("C:\\src\\sys\\h.bin", "h", Noon, AttrHidden | AttrSystem | AttrArchive);
  Walk();
  EXPECT_EQ(fs.Content("D:\\dst\\sys\\h.bin"), "h");
  EXPECT_EQ(fs.Attributes("D:\\dst\\sys"), AttrDirectory | AttrHidden | AttrSystem);
}

TEST_F(TreeWalkTest, DriveRootsNeverHaveTheirAttributesCompared) {
  fs.MakeDir("D:\\hidden", Earlier, AttrDirectory | AttrHidden);
  fs.MakeFile("D:\\hidden\\f.txt", "f", Noon);
  fs.AddDrive('E');
  RunOptions.SubDirFlag = false;
  Walk("D:\\hidden", "E:\\");
  Walk("C:\\", "D:\\hidden");
  Walk("E:\\", "C:\\");
  EXPECT_TRUE(Tagged("ATTRIB ").empty());
  EXPECT_TRUE(Failures().empty());
  EXPECT_EQ(fs.Content("E:\\f.txt"), "f");
}

class TreeWalkParentTest : public TreeWalkTest, public ::testing::WithParamInterface<bool> {};

TEST_P(TreeWalkParentTest, ParentsMadeWithDeeperDirectoriesGetTheirOwnStep) {
  const bool empty = GetParam();
  RunOptions.EmptyFlag = empty;
  fs.MakeDir("C:\\src\\p", Earlier, AttrDirectory | AttrReadOnly);
  fs.MakeFile("C:\\src\\p\\q\\f.txt", "f", Noon);
  Walk();
  EXPECT_EQ(Tagged("MKDIR  "), std::vector<std::string>{"MKDIR  D:\\dst\\p\\q"});
  EXPECT_EQ(RunCounters.SubDirsCreated, 2);
  if (empty) {
    EXPECT_EQ(Tagged("ATTRIB "), std::vector<std::string>{"ATTRIB +R D:\\dst\\p"});
    EXPECT_EQ(fs.Attributes("D:\\dst\\p"), AttrDirectory | AttrReadOnly);
    EXPECT_EQ(fs.Date("D:\\dst\\p"), Earlier);
    EXPECT_EQ(RunCounters.SubDirAttributesUpdated, 1);
  } else {
    EXPECT_TRUE(Tagged("ATTRIB ").empty());
    EXPECT_EQ(fs.Attributes("D:\\dst\\p"), AttrDirectory);
  }
}

INSTANTIATE_TEST_SUITE_P(EmptyFlag, TreeWalkParentTest, ::testing::Bool());

TEST_F(TreeWalkTest, SubdirectorySkipIsNotInherited) {
  fs.MakeFile("C:\\src\\SKIPLIST.INI", "[SUBDIRECTORIES]\nTEMP\n", Earlier);
  fs.MakeFile("C:\\src\\Temp\\t.txt", "t", Noon);
  fs.MakeFile("C:\\src\\keep\\temp\\k.txt", "k", Noon);
  RunOptions.ReportFlag = true;
  Walk();
  EXPECT_FALSE(fs.Exists("D:\\dst\\Temp"));
  EXPECT_EQ(fs.Content("D:\\dst\\keep\\temp\\k.txt"), "k");
  EXPECT_EQ(Tagged("skip   "), std::vector<std::string>{"skip   C:\\src\\Temp"});
  EXPECT_EQ(RunCounters.SubDirsSkipped, 1);
  EXPECT_EQ(RunCounters.SubDirsScanned, 3);
}

// ---- copy failures -------------------------------------------------------

struct ResultCase { uint32_t error; const char* text; uint32_t buttons; };
class TreeWalkCopyResultTest : public TreeWalkTest,
                               public ::testing::WithParamInterface<ResultCase> {};

TEST_P(TreeWalkCopyResultTest, ShowsItsDialogAndFailureLine) {
  const ResultCase& c = GetParam();
  fs.MakeFile("C:\\src\\a.txt", "a", Noon);
  fs.FailRead("C:\\src\\a.txt", 0, c.error);
  // Ignore where the dialog offers it, else Abort: either ends the file.
  tk.answers = {(c.buttons & ButtonIgnore) != 0 ? ModalIgnore : ModalAbort};
  Walk();
  ASSERT_EQ(tk.dialogs.size(), 1u);
  std::string expected = std::string("File  C:\\src\\a.txt\rcannot be copied to  D:\\dst\r") + c.text;
  if (c.error == 1234) expected += "\r" + WinErrorText(1234, false);
  EXPECT_EQ(tk.dialogs[0].text, expected);
  EXPECT_EQ(tk.dialogs[0].buttons, c.buttons);
  EXPECT_EQ(tk.dialogs[0].type, DialogType::Error);
  EXPECT_EQ(Failures(), std::vector<std::string>{Framed(c.text)});
  EXPECT_EQ(fs.Beeps(), std::vector<BeepKind>{BeepKind::Exclamation});
  EXPECT_EQ(RunCounters.FilesCopied, 0);
}

constexpr uint32_t AbortRetryIgnore = ButtonAbort | ButtonRetry | ButtonIgnore;
INSTANTIATE_TEST_SUITE_P(
    PlainCopy, TreeWalkCopyResultTest,
    ::testing::Values(
        ResultCase{ErrorOutOfStructures, "Copy buffer not correctly allocated.", AbortRetryIgnore},
        ResultCase{ErrorReadFault, "Source file read error", AbortRetryIgnore},
        ResultCase{ErrorWriteFault, "Destination file write error (verify failed)", AbortRetryIgnore},
        ResultCase{ErrorDiskFull, "Not enough free space on drive  D:", ButtonAbort | ButtonIgnore},
        ResultCase{ErrorHandleDiskFull, "Destination drive  D:  is full.", ButtonAbort | ButtonIgnore},
        ResultCase{ErrorAccessDenied,
                   "Access denied (destination drive or directory is write protectetd).",
                   ButtonAbort | ButtonRetry},
        ResultCase{ErrorWriteProtect,
                   "Access denied (destination drive or directory is write protectetd).",
                   ButtonAbort | ButtonRetry},
        ResultCase{1234, "Mysterious Windows error  (error code=1234)", AbortRetryIgnore}));

struct AnswerCase { std::vector<int> answers; size_t dialogs; bool goesOn; };
class TreeWalkCopyAnswerTest : public TreeWalkTest,
                               public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(TreeWalkCopyAnswerTest, AbortEndsTheWalkRetryRepeatsIgnoreGoesOn) {
  const AnswerCase& c = GetParam();
  fs.MakeFile("C:\\src\\a.txt", "a", Noon, AttrArchive | AttrReadOnly);
  fs.MakeFile("D:\\dst\\a.txt", "old", Earlier);
  fs.MakeFile("C:\\src\\b.txt", "b", Noon);
  fs.MakeFile("C:\\src\\sub\\s.txt", "s", Noon);
  // Through the system's copy, which counts its attempts.
  fs.MarkNamedStreams("C:\\src\\a.txt");
  fs.FailSystemCopy("C:\\src\\a.txt", ErrorReadFault);
  tk.answers.assign(c.answers.begin(), c.answers.end());
  Walk();
  EXPECT_EQ(tk.dialogs.size(), c.dialogs);
  EXPECT_EQ(fs.SystemCopies(), static_cast<int>(c.dialogs));  // one attempt per dialog
  EXPECT_EQ(Failures(), std::vector<std::string>{Framed("Source file read error")});
  EXPECT_EQ(fs.Exists("D:\\dst\\b.txt"), c.goesOn);
  // Going on starts with the attribute step of the failed file.
  EXPECT_EQ(Tagged("ATTRIB ").size(), c.goesOn ? 1u : 0u);
  EXPECT_EQ(fs.Content("D:\\dst\\a.txt"), "old");
  EXPECT_EQ(fs.Content("D:\\dst\\sub\\s.txt"), "s");  // walked before the root's files
  EXPECT_EQ(outcome.answer == AnswerAbort, !c.goesOn);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, TreeWalkCopyAnswerTest,
    ::testing::Values(AnswerCase{{ModalAbort}, 1, false}, AnswerCase{{ModalIgnore}, 1, true},
                      AnswerCase{{ModalCancel}, 1, true},  // closing the dialog = Ignore
                      AnswerCase{{ModalRetry, ModalRetry, ModalIgnore}, 3, true},
                      AnswerCase{{ModalRetry, ModalAbort}, 2, false}));

TEST_F(TreeWalkTest, NamedStreamsAreLookedForOnlyWhereTheSourceDriveCanHoldThem) {
  fs.MakeFile("C:\\src\\a.txt", "a", Noon);
  fs.MakeFile("C:\\src\\sub\\b.txt", "b", Noon);
  fs.MakeFile("C:\\src\\e.txt", "e", Noon, AttrArchive | AttrEncrypted);
  fs.Drive('C').namedStreams = false;
  Walk();
  EXPECT_EQ(fs.NamedStreamQueries(), 0);
  EXPECT_EQ(fs.SystemCopies(), 1);  // encryption needs the system copy on any drive
  EXPECT_EQ(fs.Content("D:\\dst\\sub\\b.txt"), "b");
  EXPECT_EQ(RunCounters.FilesCopied, 3);

  // The next walk asks the drive afresh.
  fs.Drive('C').namedStreams = true;
  fs.MarkNamedStreams("C:\\src\\a.txt");
  fs.MakeFile("C:\\src\\a.txt", "a2", Noon + 4);
  fs.MakeFile("C:\\src\\sub\\b.txt", "b2", Noon + 4);
  Walk();
  EXPECT_EQ(fs.NamedStreamQueries(), 2);
  EXPECT_EQ(fs.SystemCopies(), 2);
  EXPECT_EQ(fs.Content("D:\\dst\\a.txt"), "a2");
  EXPECT_EQ(fs.Content("D:\\dst\\sub\\b.txt"), "b2");
}

TEST_F(TreeWalkTest, AbortedSystemCopyEndsItsAttemptsLikeIgnore) {
  fs.MakeFile("C:\\src\\a.txt", "a", Noon);
  fs.MakeFile("C:\\src\\b.txt", "b", Noon);
  fs.MarkNamedStreams("C:\\src\\a.txt");
  fs.FailSystemCopy("C:\\src\\a.txt", ErrorUserAbort);
  tk.answers = {ModalRetry};  // would loop if a dialog were (wrongly) shown
  Walk();
  EXPECT_TRUE(tk.dialogs.empty());
  EXPECT_TRUE(fs.Beeps().empty());
  EXPECT_EQ(Failures(),
            std::vector<std::string>{Framed("COPY aborted by user. (Destination file deleted)")});
  EXPECT_EQ(fs.Content("D:\\dst\\b.txt"), "b");
  EXPECT_EQ(RunCounters.FilesCopied, 1);
}

class TreeWalkFreeSpaceTest : public TreeWalkTest,
                              public ::testing::WithParamInterface<std::tuple<bool, int>> {};

TEST_P(TreeWalkFreeSpaceTest, PreCheckAsksAlsoInADryRun) {
  const auto [dryRun, answer] = GetParam();
  fs.Drive('D').freeBytes = 10;
  fs.MakeFile("C:\\src\\big.bin", std::string(100, 'x'), Noon);
  fs.MakeFile("C:\\src\\small.bin", "small", Noon);
  RunOptions.NoUpdateFlag = dryRun;
  tk.answers = {answer};
  Walk();
  ASSERT_EQ(tk.dialogs.size(), 1u);
  EXPECT_EQ(tk.dialogs[0].text,
            "File  C:\\src\\big.bin\rcannot be copied to  D:\\dst\\\r"
            "Not enough free space on drive  D:");
  EXPECT_EQ(tk.dialogs[0].buttons, uint32_t(ButtonAbort | ButtonIgnore));
  EXPECT_FALSE(fs.Exists("D:\\dst\\big.bin"));
  EXPECT_EQ(Failures(), dryRun ? std::vector<std::string>{}
                               : std::vector<std::string>{Framed("Not enough free space on drive  D:")});
  EXPECT_EQ(Tagged("COPY   ").size(), answer == ModalAbort ? 1u : 2u);
  EXPECT_EQ(fs.Exists("D:\\dst\\small.bin"), !dryRun && answer == ModalIgnore);
}

INSTANTIATE_TEST_SUITE_P(DryRunAndAnswer, TreeWalkFreeSpaceTest,
                         ::testing::Combine(::testing::Bool(),
                                            ::testing::Values(int(ModalIgnore), int(ModalAbort))));

TEST_F(TreeWalkTest, SpaceOfTheReplacedFileCountsAsFree) {
  fs.Drive('D').freeBytes = 10;
  fs.MakeFile("C:\\src\\f.bin", std::string(105, 'y'), Noon);
  fs.MakeFile("D:\\dst\\f.bin", std::string(100, 'z'), Earlier);
  RunOptions.NoUpdateFlag = true;
  Walk();
  EXPECT_TRUE(tk.dialogs.empty());
  EXPECT_EQ(Tagged("COPY   ").size(), 1u);
}

TEST_F(TreeWalkTest, PreCheckSeesTheSpaceTakenByEarlierCopies) {
  fs.Drive('D').totalBytes = 100;  // nothing else on the drive
  fs.MakeFile("C:\\src\\a.bin", std::string(60, 'a'), Noon);
  fs.MakeFile("C:\\src\\b.bin", std::string(60, 'b'), Noon);
  tk.answers = {ModalIgnore};
  Walk();
  ASSERT_EQ(tk.dialogs.size(), 1u);
  EXPECT_NE(tk.dialogs[0].text.find("Not enough free space on drive  D:"), std::string::npos);
  EXPECT_EQ(RunCounters.FilesCopied, 1);
}

// The walk's free-space estimate counts nothing back for the files that
// copies replaced, so after a replaced file it stays far below the drive's
// own answer. The verified copy makes room by removing the old copy first
// whenever the free bytes it is handed fall short of the new file: handed
// that low estimate, it would remove an old copy that the drive has room to
// keep until the new one is complete.
TEST_F(TreeWalkTest, TheVerifiedCopyKeepsTheOldCopyWhereTheDriveHasRoomBesideIt) {
  constexpr size_t MiB = size_t(1) << 20;
  fs.MakeFile("C:\\src\\a.bin", std::string(20 * MiB, 'a'), Noon);
  fs.MakeFile("C:\\src\\b.bin", std::string(40 * MiB, 'b'), Noon);
  fs.MakeFile("D:\\dst\\a.bin", std::string(20 * MiB, 'x'), Earlier);
  fs.MakeFile("D:\\dst\\b.bin", std::string(30 * MiB, 'y'), Earlier);
  fs.Drive('D').totalBytes = static_cast<int64_t>(100 * MiB);  // 50 MiB free
  RunOptions.VerifyFlag = true;
  bool oldKeptDuringCopy = false;
  tk.actions.push_back([&] {
    // Between the blocks of b.bin's copy.
    if (RunCounters.FilesCopied < 1 || !fs.Exists(PartialCopyPath("D:\\dst\\b.bin")))
      return false;
    oldKeptDuringCopy = fs.Content("D:\\dst\\b.bin") == std::string(30 * MiB, 'y');
    return true;
  });
  Walk();
  EXPECT_EQ(RunCounters.FilesCopied, 2);
  EXPECT_TRUE(tk.dialogs.empty());
  EXPECT_TRUE(oldKeptDuringCopy);
  EXPECT_EQ(fs.Content("D:\\dst\\b.bin"), std::string(40 * MiB, 'b'));
}

// ---- directory creation failures ------------------------------------------

struct CreateCase { const char* dst; const char* english; const char* german; };
class TreeWalkCreateDirTest
    : public TreeWalkTest,
      public ::testing::WithParamInterface<std::tuple<CreateCase, uint8_t, int>> {};

TEST_P(TreeWalkCreateDirTest, DialogTextAndAnswers) {
  const auto [c, language, answer] = GetParam();
  LanguageIndex = language;
  fs.AddDrive('F').freeBytes = 0;
  fs.AddDrive('G').ready = false;
  fs.FailCreateDir("D:\\dst\\locked", ErrorAccessDenied);
  fs.MakeFile("C:\\src\\a.txt", "a", Noon);
  tk.answers = {answer, ModalIgnore};  // a retry fails again, then Ignore
  Walk("C:\\src", c.dst);
  const bool retried = answer == ModalRetry || answer == ModalCancel;
  ASSERT_EQ(tk.dialogs.size(), retried ? 2u : 1u);
  EXPECT_EQ(tk.dialogs[0].text, language ? c.german : c.english);
  EXPECT_EQ(tk.dialogs[0].buttons, AbortRetryIgnore);
  EXPECT_EQ(fs.Beeps().size(), tk.dialogs.size());
  EXPECT_EQ(outcome.answer, answer == ModalAbort ? AnswerAbort : AnswerIgnore);
  EXPECT_EQ(RunCounters.FilesFound, 0) << "no file of the directory is processed";
}

INSTANTIATE_TEST_SUITE_P(
    Results, TreeWalkCreateDirTest,
    ::testing::Combine(
        ::testing::Values(
            CreateCase{"D:\\dst\\locked",
                       "Destination subdirectory D:\\dst\\locked\\ cannot be created.\rAccess "
                       "denied (drive or directory is write protectetd).",
                       "Das Zielverzeichnis D:\\dst\\locked\\ kann nicht angelegt werden.\r"
                       "Zugriff verweigert (das Laufwerk oder Verzeichnis ist schreibgeschützt)."},
            CreateCase{"f:\\full", "Destination drive F: is full.", "Das Ziellaufwerk F: ist voll."},
            CreateCase{"G:\\out", "Destination drive G: is not ready.",
                       "Das Ziellaufwerk G: ist nicht bereit."},
            CreateCase{"Q:\\none", "Destination drive Q: does not exist.",
                       "Das Ziellaufwerk Q: existiert nicht."}),
        ::testing::Values(uint8_t(0), uint8_t(1)),
        ::testing::Values(int(ModalIgnore), int(ModalAbort), int(ModalRetry), int(ModalCancel))));

TEST(TreeWalkTexts, CreationFailureTextForOtherCodesNamesTheCode) {
  LanguageIndex = 0;
  EXPECT_EQ(CreateSubDirFailureText(1, "E:\\x\\"),
            "Destination subdirectory E:\\x\\ cannot be created.\rCreateSubDirError=1");
  LanguageIndex = 1;
  EXPECT_EQ(CreateSubDirFailureText(9, "e:\\x\\"),
            "Das Zielverzeichnis e:\\x\\ kann nicht angelegt werden.\r"
            "Fehlercode beim Erstellen des Unterverzeichnisses=9");
  EXPECT_EQ(CreateSubDirFailureText(3, "e:\\x\\"), "Das Ziellaufwerk E: ist voll.");
  LanguageIndex = 0;
}

TEST_F(TreeWalkTest, IgnoredDirectoryIsLeftAndTheWalkGoesOn) {
  fs.MakeFile("C:\\src\\bad\\b.txt", "b", Noon);
  fs.MakeFile("C:\\src\\good\\g.txt", "g", Noon);
  fs.FailCreateDir("D:\\dst\\bad", ErrorAccessDenied);
  tk.answers = {ModalIgnore};
  Walk();
  EXPECT_EQ(tk.dialogs.size(), 1u);
  EXPECT_EQ(fs.Content("D:\\dst\\good\\g.txt"), "g");
  EXPECT_EQ(RunCounters.FilesFound, 1);
  EXPECT_EQ(RunCounters.SubDirsScanned, 3);
}

// ---- attributes ----------------------------------------------------------

TEST_F(TreeWalkTest, AttributeFailuresBecomeLinesAndTheWalkGoesOn) {
  fs.MakeDir("C:\\src\\d", Earlier, AttrDirectory | AttrHidden);
  fs.MakeDir("D:\\dst\\d", Earlier);
  fs.MakeFile("C:\\src\\d\\f.txt", "f", Earlier, AttrReadOnly);
  fs.MakeFile("D:\\dst\\d\\f.txt", "f", Earlier, AttrArchive);
  fs.MakeFile("C:\\src\\d\\g.txt", "g", Noon);
  fs.FailSetAttributes("D:\\dst\\d\\f.txt", ErrorAccessDenied);
  fs.FailGetAttributes("C:\\src\\d", ErrorSharingViolation);
  Walk();
  EXPECT_EQ(Failures(), (std::vector<std::string>{Framed(Trim(WinErrorText(32, false))),
                                                  Framed(Trim(WinErrorText(5, false)))}));
  EXPECT_EQ(fs.Content("D:\\dst\\d\\g.txt"), "g");
  EXPECT_EQ(RunCounters.FileAttributesUpdated, 0);
  // The line is written before the attempt, the count only after success.
  EXPECT_EQ(Tagged("ATTRIB "), std::vector<std::string>{"ATTRIB +R -A D:\\dst\\d\\f.txt"});
}

TEST_F(TreeWalkTest, DestinationKeepsItsCompressedBit) {
  fs.MakeFile("C:\\src\\f.txt", "f", Earlier, AttrReadOnly | AttrArchive);
  fs.MakeFile("D:\\dst\\f.txt", "f", Earlier, AttrArchive | AttrCompressed);
  Walk();
  EXPECT_EQ(fs.Attributes("D:\\dst\\f.txt"), AttrReadOnly | AttrArchive | AttrCompressed);
  EXPECT_EQ(Tagged("ATTRIB "), std::vector<std::string>{"ATTRIB +R D:\\dst\\f.txt"});
}

// ---- the skip list, aborts, counters, debug and texts ----------------------

class TreeWalkSkipListTest : public TreeWalkTest, public ::testing::WithParamInterface<uint8_t> {};

TEST_P(TreeWalkSkipListTest, UnreadableSkipListIsReportedAndReadAsEmpty) {
  LanguageIndex = GetParam();
  fs.MakeFile("C:\\src\\SKIPLIST.INI", "[FILES]\n*.*\n", Earlier);
  fs.LockFile("C:\\src\\SKIPLIST.INI");
  fs.MakeFile("C:\\src\\a.txt", "a", Noon);
  RunOptions.IgnoreFileSpecList[1] = "*.INI";
  RunOptions.IgnoreFileSpecCount = 1;
  Walk();
  const std::string text = Trim(WinErrorText(ErrorSharingViolation, true));
  const std::string line =
      LanguageIndex ? Framed("Die Skip-Liste  C:\\src\\SKIPLIST.INI  kann nicht gelesen werden: " + text)
                    : Framed("Skip list file  C:\\src\\SKIPLIST.INI  cannot be read: " + text);
  // Read once for the subdirectories and once for the files.
  EXPECT_EQ(Failures(), (std::vector<std::string>{line, line}));
  EXPECT_EQ(fs.Content("D:\\dst\\a.txt"), "a");
  EXPECT_EQ(RunCounters.FilesSkipped, 0);
}

INSTANTIATE_TEST_SUITE_P(Languages, TreeWalkSkipListTest, ::testing::Values(uint8_t(0), uint8_t(1)));

TEST_F(TreeWalkTest, AbortRequestStopsAfterTheCurrentFile) {
  for (const char* name : {"a", "b", "c", "d"}) fs.MakeFile(std::string("C:\\src\\x\\") + name, name, Noon);
  fs.MakeFile("C:\\src\\y\\e", "e", Noon);
  fs.MakeFile("C:\\src\\r", "r", Noon);
  tk.actions.push_back([] {
    if (RunCounters.FilesFound < 2) return false;
    RunState.AbortRequested = true;
    return true;
  });
  Walk();
  EXPECT_EQ(RunCounters.FilesFound, 2);
  EXPECT_EQ(RunCounters.FilesCopied, 2);
  EXPECT_FALSE(fs.Exists("D:\\dst\\x\\c"));
  EXPECT_FALSE(fs.Exists("D:\\dst\\y"));
  EXPECT_FALSE(fs.Exists("D:\\dst\\r"));
}

TEST_F(TreeWalkTest, CountersStayAtTheirLargestValue) {
  fs.MakeFile("C:\\src\\a.txt", "a", Noon);
  fs.MakeFile("C:\\src\\b.txt", "b", Noon);
  RunCounters.FilesFound = INT32_MAX;
  RunCounters.FilesCopied = INT32_MAX - 1;
  Walk();
  EXPECT_EQ(RunCounters.FilesFound, INT32_MAX);
  EXPECT_EQ(RunCounters.FilesCopied, INT32_MAX);
}

TEST_F(TreeWalkTest, DebugLines) {
  DebugWindowReady = true;
  RunOptions.DebugFlag = true;
  fs.MakeFile("C:\\src\\a.txt", "a", Noon);
  fs.MakeFile("D:\\dst\\a.txt", "old", Earlier);
  fs.FailWrite("D:\\dst\\~plovik-partial.tmp", 0, ErrorWriteFault);
  tk.answers = {ModalIgnore};
  Walk();
  EXPECT_EQ(DebugLines(),
            (std::vector<std::string>{
                "C:\\src:", "SkipFileListEntries=0", "D:\\dst\\a.txt exists",
                "D:\\dst\\a.txt   ATTRIBUTE = $20   Dates&Times:  SRC = " + std::to_string(Noon) +
                    "  DST = " + std::to_string(Earlier),
                "COPY   C:\\src\\a.txt D:\\dst\\a.txt",
                "File  C:\\src\\a.txt\rcannot be copied to  D:\\dst", "CopyFileErrorCode=3",
                "Destination file write error (verify failed)", "", ""}));
  EXPECT_EQ(ProtocolLines(), (std::vector<std::string>{
                                 "COPY   C:\\src\\a.txt",
                                 Framed("Destination file write error (verify failed)"), ""}));
}

TEST_F(TreeWalkTest, ProtocolPathsAreShortenedExceptFileAttributes) {
  ProtocolPathChars = 20;
  const std::string dir = "C:\\src\\a rather long directory name\\";
  fs.MakeFile(dir + "file.txt", "f", Noon, AttrReadOnly);
  fs.MakeFile("D:\\dst\\a rather long directory name\\file.txt", "f", Noon, AttrArchive);
  fs.MakeFile(dir + "new.txt", "n", Noon);
  Walk();
  EXPECT_EQ(Tagged("COPY   "), std::vector<std::string>{"COPY   " + ShortenPath(dir + "new.txt", 20)});
  EXPECT_EQ(Tagged("ATTRIB "), std::vector<std::string>{
                                   "ATTRIB +R -A D:\\dst\\a rather long directory name\\file.txt"});
}

TEST_F(TreeWalkTest, GermanCopyHeading) {
  LanguageIndex = 1;
  fs.MakeFile("C:\\src\\a.txt", "a", Noon);
  fs.FailRead("C:\\src\\a.txt", 0, ErrorReadFault);
  tk.answers = {ModalIgnore};
  Walk();
  ASSERT_EQ(tk.dialogs.size(), 1u);
  EXPECT_EQ(tk.dialogs[0].text,
            "Die Datei  C:\\src\\a.txt\rkann nicht nach  D:\\dst\\  kopiert werden\r"
            "Fehler beim Lesen der Quelldatei");
}

}  // namespace
}  // namespace plovik::test

namespace plovik::test {
namespace {

// The destination's files are listed once per directory, but a file that
// turns newer in the destination while the walk is in that directory (another
// program writing into the backup) is looked up again and never overwritten.
TEST_F(TreeWalkTest, DestinationNewerThanTheListingShowedIsNotOverwritten) {
  fs.MakeFile("C:\\src\\a.txt", "new a", Noon);
  fs.MakeFile("C:\\src\\b.txt", "new b", Noon);
  fs.MakeFile("D:\\dst\\a.txt", "old a", Earlier);
  fs.MakeFile("D:\\dst\\b.txt", "old b", Earlier);
  const int32_t later = Packed(2021, 1, 1, 0, 0, 0);
  tk.actions.push_back([&] {
    if (RunCounters.FilesFound < 1) return false;
    fs.MakeFile("D:\\dst\\b.txt", "newer b", later);
    return true;
  });
  Walk();
  EXPECT_EQ(fs.Content("D:\\dst\\a.txt"), "new a");
  EXPECT_EQ(fs.Content("D:\\dst\\b.txt"), "newer b");
  EXPECT_EQ(RunCounters.FilesCopied, 1);
}

// ---- names and letter case ----------------------------------------------------

// A destination name that differs only in letter case, in scripts beyond
// Latin-1, Greek and Cyrillic, names the same file: a newer one is never
// replaced. Deseret letters (beyond 16 bits) are told apart by the file
// system, so that source arrives as a new file beside its namesake.
TEST_F(TreeWalkTest, ANewerDestinationThatDiffersOnlyInLetterCaseIsNeverReplaced) {
  const std::pair<std::string, std::string> sameFile[] = {
      {"\xE1\xBA\xA2nh.jpg", "\xE1\xBA\xA3nh.jpg"},                     // Vietnamese Ảnh, ảnh
      {"\xC7\x8D" "bc.txt", "\xC7\x8E" "bc.txt"},                       // Latin Extended-B Ǎ, ǎ
      {"\xD4\xB2\xD5\xA1\xD5\xBC.txt", "\xD5\xA2\xD5\xA1\xD5\xBC.txt"}, // Armenian Բառ, բառ
      {"\xEF\xBC\xA1\xEF\xBC\xA2.txt", "\xEF\xBD\x81\xEF\xBD\x82.txt"}, // full-width ＡＢ, ａｂ
  };
  const std::string deseretSource = "\xF0\x90\x90\x80.txt";       // 𐐀
  const std::string deseretDestination = "\xF0\x90\x90\xA8.txt";  // 𐐨
  std::vector<std::string> expected;
  for (const auto& [source, destination] : sameFile) {
    fs.MakeFile("C:\\src\\" + source, "older", Earlier);
    fs.MakeFile("D:\\dst\\" + destination, "newer", Noon);
    expected.push_back(destination);
  }
  fs.MakeFile("C:\\src\\" + deseretSource, "older", Earlier);
  fs.MakeFile("D:\\dst\\" + deseretDestination, "newer", Noon);
  expected.push_back(deseretSource);
  expected.push_back(deseretDestination);
  for (const bool verify : {false, true}) {
    RunOptions.VerifyFlag = verify;
    ResetRunCounters();
    Walk();
    EXPECT_EQ(RunCounters.FilesCopied, verify ? 0 : 1) << "verify " << verify;
    std::vector<std::string> names = fs.List("D:\\dst");
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    for (const auto& [source, destination] : sameFile)
      EXPECT_EQ(fs.Content("D:\\dst\\" + destination), "newer") << destination;
    EXPECT_EQ(fs.Content("D:\\dst\\" + deseretDestination), "newer");
  }
}

// A search for a name delivers other files as well: one whose short name is
// that name, or "report" for "report.". Neither is taken for the file's
// destination, in a dry run or a real one.
TEST_F(TreeWalkTest, OtherFilesTheLookupDeliversAreNotTakenForTheDestination) {
  fs.MakeFile("D:\\dst\\longfilename.txt", "newer", Noon);
  const std::string alias = fs.ShortName("D:\\dst\\longfilename.txt");
  ASSERT_EQ(alias, "LONGFI~1.TXT");
  fs.MakeFile("D:\\dst\\report", "newer", Noon);
  fs.MakeFile("C:\\src\\" + alias, "older", Earlier);
  fs.MakeFile("C:\\src\\report.", "older", Earlier);
  RunOptions.NoUpdateFlag = true;
  Walk();
  EXPECT_EQ(Tagged("COPY   "), (std::vector<std::string>{"COPY   C:\\src\\" + alias,
                                                         "COPY   C:\\src\\report."}));

  // A copy under the short name would land in the file that has it: that
  // copy fails as if the file existed, Retry looks again, the other name
  // arrives.
  RunOptions.NoUpdateFlag = false;
  const std::string expected = "File  C:\\src\\" + alias + "\rcannot be copied to  D:\\dst\r" +
                               "Mysterious Windows error  (error code=80)\r" +
                               WinErrorText(ErrorFileExists, false);
  for (const bool verify : {false, true}) {
    SCOPED_TRACE(verify ? "verified" : "plain");
    RunOptions.VerifyFlag = verify;
    ResetRunCounters();
    ProtocolClear();
    tk.dialogs.clear();
    tk.answers = {ModalRetry, ModalIgnore};
    if (fs.Exists("D:\\dst\\report.")) {
      ASSERT_TRUE(fs.RemoveFile("D:\\dst\\report."));
    }
    Walk();
    ASSERT_EQ(tk.dialogs.size(), 2u);
    for (const DialogRecord& dialog : tk.dialogs) {
      EXPECT_EQ(dialog.text, expected);
      EXPECT_EQ(dialog.buttons, uint32_t(ButtonAbort | ButtonRetry | ButtonIgnore));
    }
    EXPECT_EQ(Failures(), std::vector<std::string>{Framed("Mysterious Windows error  (error code=80)")});
    EXPECT_EQ(RunCounters.FilesCopied, 1);
    EXPECT_EQ(fs.Content("D:\\dst\\report."), "older");
    EXPECT_EQ(fs.Content("D:\\dst\\report"), "newer");
    EXPECT_EQ(fs.Content("D:\\dst\\longfilename.txt"), "newer");
    EXPECT_EQ(fs.Date("D:\\dst\\longfilename.txt"), Noon);
  }
}

// Names the system would rewrite or take for devices are ordinary names:
// every file arrives byte for byte under its own name, by both copies.
TEST_F(TreeWalkTest, NamesTheSystemWouldRewriteArriveUnderTheirOwnNames) {
  std::string deep = "C:\\src";
  for (char c = '1'; c <= '5'; ++c) deep += "\\" + std::string(48, c) + "x.";
  ASSERT_GT(deep.size(), 260u);
  const std::string names[] = {"name.", "trail ", "aux.c", "con.txt", "nul", "com1.log",
                               "half\xED\xA0\x80.txt", deep.substr(7) + "\\far. "};
  size_t size = 0;
  for (const std::string& name : names) {
    size += 700;
    fs.MakeFile("C:\\src\\" + name, std::string(size, static_cast<char>('a' + size % 26)), Noon);
  }
  for (const bool verify : {false, true}) {
    RunOptions.VerifyFlag = verify;
    const std::string dst = verify ? "D:\\verified" : "D:\\plain";
    Walk("C:\\src", dst);
    EXPECT_TRUE(Failures().empty());
    for (const std::string& name : names)
      EXPECT_EQ(fs.Content(dst + "\\" + name), fs.Content("C:\\src\\" + name)) << name;
    std::vector<std::string> copied = fs.Tree(dst);
    EXPECT_EQ(copied.size(), fs.Tree("C:\\src").size()) << "nothing else arrives";
  }
}

// ---- destinations another program holds, sources that change, full drives -----

// Another program holds the destination open: the sharing violation, with
// Ignore, and the destination keeps its content and attributes. Without
// delete sharing that is known before anything is read (the source's read
// fault never shows); with it, only the rename tells, and still nothing is
// touched.
TEST_F(TreeWalkTest, ADestinationHeldOpenGivesTheSharingViolationAndKeepsItsAttributes) {
  const std::string dst = "D:\\dst\\a.txt";
  // Attributes as the source's, which the attribute step then leaves alone.
  constexpr uint32_t Attributes = AttrArchive | AttrReadOnly | AttrHidden;
  fs.MakeFile("C:\\src\\a.txt", "new", Noon, Attributes);
  const std::string expected = std::string("File  C:\\src\\a.txt\rcannot be copied to  D:\\dst\r") +
                               "Mysterious Windows error  (error code=32)\r" +
                               WinErrorText(ErrorSharingViolation, false);
  for (const bool deleteShared : {false, true}) {
    for (const bool verify : {false, true}) {
      SCOPED_TRACE(std::string(deleteShared ? "delete shared" : "locked") +
                   (verify ? ", verified" : ", plain"));
      fs.ClearFaults();
      fs.MakeFile(dst, "old", Earlier, Attributes);
      FileHandle holder;
      if (deleteShared) {
        Result<FileHandle> opened =
            fs.OpenFile(dst, FileAccess::Read, FileShare::Read | FileShare::Write | FileShare::Delete,
                        FileDisposition::OpenExisting, FileFlags::None);
        ASSERT_TRUE(opened);
        holder = std::move(*opened);
      } else {
        fs.LockFile(dst);
        fs.FailRead("C:\\src\\a.txt", 0, ErrorReadFault);
      }
      RunOptions.VerifyFlag = verify;
      ResetRunCounters();
      ProtocolClear();
      tk.dialogs.clear();
      tk.answers = {ModalIgnore};
      Walk();
      holder.reset();
      fs.ClearFaults();
      ASSERT_EQ(tk.dialogs.size(), 1u);
      EXPECT_EQ(tk.dialogs[0].text, expected);
      EXPECT_EQ(tk.dialogs[0].buttons, uint32_t(ButtonAbort | ButtonRetry | ButtonIgnore));
      EXPECT_EQ(Failures(), std::vector<std::string>{Framed("Mysterious Windows error  (error code=32)")});
      EXPECT_EQ(fs.Content(dst), "old");
      EXPECT_EQ(fs.Date(dst), Earlier);
      EXPECT_EQ(fs.Attributes(dst), Attributes);
      EXPECT_EQ(fs.List("D:\\dst"), std::vector<std::string>{"a.txt"});
    }
  }
}

// Both copies date the copy as the search found the source: a source that
// changes after the search (here while the COPY line is written, before the
// copy starts) keeps an older copy, which the next run replaces.
TEST_F(TreeWalkTest, ASourceChangedDuringItsCopyIsCopiedAgainByTheNextRun) {
  const int32_t changed = Packed(2020, 6, 15, 12, 10, 0);
  for (const bool verify : {false, true}) {
    SCOPED_TRACE(verify ? "verified" : "plain");
    RunOptions.VerifyFlag = verify;
    const std::string dir = verify ? "D:\\verified" : "D:\\plain";
    fs.MakeFile("C:\\src\\a.txt", "first", Noon);
    tk.actions.clear();
    tk.actions.push_back([&] {
      if (RunCounters.FilesFound < 1) return false;
      fs.MakeFile("C:\\src\\a.txt", "second, changed", changed);
      return true;
    });
    ResetRunCounters();
    Walk("C:\\src", dir);
    EXPECT_EQ(RunCounters.FilesCopied, 1);
    EXPECT_EQ(fs.Date(dir + "\\a.txt"), Noon);

    ResetRunCounters();
    Walk("C:\\src", dir);
    EXPECT_EQ(RunCounters.FilesCopied, 1);
    EXPECT_EQ(fs.Content(dir + "\\a.txt"), "second, changed");
    EXPECT_EQ(fs.Date(dir + "\\a.txt"), changed);
  }
}

// A drive that fills up file by file, whatever its cluster size and
// whichever copy: every file that does not fit meets the pre-check (its
// dialog keeps the heading's trailing backslash) and is never attempted.
class TreeWalkFullDriveTest
    : public TreeWalkTest,
      public ::testing::WithParamInterface<std::tuple<uint32_t, bool>> {};

TEST_P(TreeWalkFullDriveTest, FilesThatDoNotFitMeetThePreCheck) {
  const auto [clusterBytes, verify] = GetParam();
  constexpr uint64_t FileBytes = (uint64_t(1) << 20) + 1;
  constexpr int Fitting = 30;
  constexpr int Files = 32;
  const uint64_t taken = (FileBytes + clusterBytes - 1) / clusterBytes * clusterBytes;
  FakeDrive& drive = fs.Drive('D');
  drive.allocatesClusters = true;
  drive.clusterSize = clusterBytes;
  drive.totalBytes = static_cast<int64_t>(taken * Fitting);
  const std::string content(FileBytes, 'x');
  for (int i = 0; i < Files; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "f%02d.bin", i);
    fs.MakeFile(std::string("C:\\src\\") + name, content, Noon);
  }
  RunOptions.VerifyFlag = verify;
  tk.defaultAnswer = ModalIgnore;
  Walk();
  EXPECT_EQ(RunCounters.FilesCopied, Fitting);
  ASSERT_EQ(tk.dialogs.size(), size_t(Files - Fitting));
  for (size_t i = 0; i < tk.dialogs.size(); ++i) {
    EXPECT_EQ(tk.dialogs[i].text, "File  C:\\src\\f" + std::to_string(Fitting + i) +
                                      ".bin\rcannot be copied to  D:\\dst\\\r"
                                      "Not enough free space on drive  D:");
  }
  EXPECT_EQ(Failures().size(), size_t(Files - Fitting));
  EXPECT_EQ(fs.Tree("D:\\dst").size(), size_t(Fitting + 1));
}

INSTANTIATE_TEST_SUITE_P(SmallAndLargeClusters, TreeWalkFullDriveTest,
                         ::testing::Combine(::testing::Values(512u, 65536u), ::testing::Bool()));

// ---- searches that fail part-way -------------------------------------------------

// A search of a directory that breaks off (the drive or the network went
// away) is not taken for the directory's end: the entries before it are
// processed, a failure line names the directory and the Windows error, and
// the walk goes on with the next directory.
class TreeWalkBrokenSearchTest : public TreeWalkTest,
                                 public ::testing::WithParamInterface<uint8_t> {
 protected:
  static constexpr uint32_t NetNameDeleted = 64;
  std::string ReadIncompletely(const std::string& dir) const {
    const std::string why = "64: The specified network name is no longer available.";
    if (LanguageIndex == 1)
      return Framed("Das Verzeichnis  " + dir +
                    "  konnte nicht vollst\xC3\xA4ndig gelesen werden. Windows-Fehler " + why);
    return Framed("Directory  " + dir + "  could not be read completely. Windows error " + why);
  }
};

TEST_P(TreeWalkBrokenSearchTest, SubdirectoriesBeforeTheBreakAreWalkedAndTheFilesStillProcessed) {
  LanguageIndex = GetParam();
  RunOptions.SrcFileSpecList[1] = "*.txt";
  for (const char* sub : {"a", "b", "c"})
    fs.MakeFile(std::string("C:\\src\\p\\") + sub + "\\f.txt", sub, Noon);
  fs.MakeFile("C:\\src\\p\\top.txt", "top", Noon);
  fs.MakeFile("C:\\src\\q\\o.txt", "o", Noon);
  fs.FailSearch("C:\\src\\p\\*.*", 3, NetNameDeleted);  // after ".", ".." and "a"
  Walk();
  EXPECT_EQ(Failures(), std::vector<std::string>{ReadIncompletely("C:\\src\\p")});
  EXPECT_EQ(fs.Content("D:\\dst\\p\\a\\f.txt"), "a");
  EXPECT_FALSE(fs.Exists("D:\\dst\\p\\b"));
  EXPECT_EQ(fs.Content("D:\\dst\\p\\top.txt"), "top");
  EXPECT_EQ(fs.Content("D:\\dst\\q\\o.txt"), "o");
}

TEST_P(TreeWalkBrokenSearchTest, FilesBeforeTheBreakAreCopiedAndTheNextDirectoryFollows) {
  LanguageIndex = GetParam();
  RunOptions.SrcFileSpecList[1] = "*.txt";
  for (const char* name : {"a", "b", "c", "d"})
    fs.MakeFile(std::string("C:\\src\\m\\") + name + ".txt", name, Noon);
  fs.MakeFile("C:\\src\\n\\e.txt", "e", Noon);
  fs.MakeFile("C:\\src\\r.txt", "r", Noon);
  fs.FailSearch("C:\\src\\m\\*.txt", 2, NetNameDeleted);
  Walk();
  EXPECT_EQ(Failures(), std::vector<std::string>{ReadIncompletely("C:\\src\\m")});
  EXPECT_EQ(fs.List("D:\\dst\\m"), (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(fs.Content("D:\\dst\\n\\e.txt"), "e");
  EXPECT_EQ(fs.Content("D:\\dst\\r.txt"), "r");
  EXPECT_EQ(RunCounters.FilesFound, 4);
  EXPECT_EQ(RunCounters.FilesCopied, 4);
}

INSTANTIATE_TEST_SUITE_P(Languages, TreeWalkBrokenSearchTest,
                         ::testing::Values(uint8_t(0), uint8_t(1)));

// The destination's listing breaks off: every file is looked up on its own
// instead, so a newer destination file that the listing never showed is
// still seen and kept, and the missing one is copied.
TEST_F(TreeWalkTest, ABrokenDestinationListingFallsBackToLookingUpEachFile) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
    fs.MakeFile(std::string("C:\\src\\") + name, "older source", Earlier);
    fs.MakeFile(std::string("D:\\dst\\") + name, "newer", Noon);
  }
  fs.MakeFile("C:\\src\\d.txt", "new", Noon);
  fs.FailSearch("D:\\dst\\*", 1, 64);
  Walk();
  EXPECT_EQ(Failures(), std::vector<std::string>{Framed(
                            "Directory  D:\\dst  could not be read completely. Windows error 64: "
                            "The specified network name is no longer available.")});
  for (const char* name : {"a.txt", "b.txt", "c.txt"})
    EXPECT_EQ(fs.Content(std::string("D:\\dst\\") + name), "newer") << name;
  EXPECT_EQ(fs.Content("D:\\dst\\d.txt"), "new");
  EXPECT_EQ(RunCounters.FilesCopied, 1);
}

// The lookup of a destination file breaks off after it delivered another
// file (one whose short name is the name): whether the file itself is there
// is not known, so it is left alone, without a copy or a dialog, and the
// line names it.
TEST_F(TreeWalkTest, ABrokenLookupLeavesTheFileAloneAndSaysSo) {
  fs.MakeFile("D:\\dst\\longfilename.txt", "newer", Noon);
  const std::string alias = fs.ShortName("D:\\dst\\longfilename.txt");
  fs.MakeFile("C:\\src\\" + alias, "older", Earlier);
  fs.MakeFile("C:\\src\\z.txt", "z", Noon);
  fs.FailSearch("D:\\dst\\" + alias, 1, 64);
  LanguageIndex = 1;
  Walk();
  EXPECT_TRUE(tk.dialogs.empty());
  EXPECT_EQ(Failures(), std::vector<std::string>{Framed(
                            "Die Zieldatei  D:\\dst\\" + alias +
                            "  konnte nicht gepr\xC3\xBC" "ft werden und wurde nicht kopiert. "
                            "Windows-Fehler 64: The specified network name is no longer "
                            "available.")});
  EXPECT_EQ(fs.Content("D:\\dst\\longfilename.txt"), "newer");
  EXPECT_EQ(fs.Content("D:\\dst\\z.txt"), "z");
  EXPECT_EQ(RunCounters.FilesCopied, 1);
}

}  // namespace
}  // namespace plovik::test
