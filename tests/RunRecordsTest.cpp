// The run records: counters and the flag dump.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "core/RunRecords.h"

namespace plovik {
namespace {

class RunRecordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RunOptions = TRunOptions{};
    RunCounters = TRunCounters{};
  }
};

TEST_F(RunRecordsTest, FlagDumpShowsEachFlagAlignedOnItsOwnLine) {
  RunOptions.DebugFlag = true;
  std::vector<std::string> lines = RunFlagDumpLines();
  ASSERT_EQ(lines.size(), 14u);
  EXPECT_EQ(lines[0], "DebugFlag" + std::string(20, ' ') + "= True ");
  EXPECT_EQ(lines[6], "IgnoreFileAgeOneHourDiffFlag = False");
  EXPECT_EQ(lines[13], "TerminateFlag                = False");

  // Setting one flag at a time changes exactly its own line.
  bool TRunOptions::*const flags[14] = {
      &TRunOptions::DebugFlag,    &TRunOptions::HelpFlag,   &TRunOptions::ErrorFlag,
      &TRunOptions::SubDirFlag,   &TRunOptions::EmptyFlag,  &TRunOptions::VerifyFlag,
      &TRunOptions::IgnoreFileAgeOneHourDiffFlag,           &TRunOptions::IgnoreFlag,
      &TRunOptions::LogFlag,      &TRunOptions::NoUpdateFlag, &TRunOptions::QuietFlag,
      &TRunOptions::ReportFlag,   &TRunOptions::AutostartFlag, &TRunOptions::TerminateFlag};
  const char* const names[14] = {
      "DebugFlag",  "HelpFlag",     "ErrorFlag", "SubDirFlag",    "EmptyFlag",
      "VerifyFlag", "IgnoreFileAgeOneHourDiffFlag", "IgnoreFlag", "LogFlag",
      "NoUpdateFlag", "QuietFlag",  "ReportFlag", "AutostartFlag", "TerminateFlag"};
  for (size_t set = 0; set < 14; ++set) {
    RunOptions = TRunOptions{};
    RunOptions.*flags[set] = true;
    lines = RunFlagDumpLines();
    for (size_t i = 0; i < 14; ++i) {
      std::string expected = names[i];
      expected.resize(29, ' ');
      EXPECT_EQ(lines[i], expected + "= " + (i == set ? "True " : "False"));
    }
  }
}

TEST_F(RunRecordsTest, CountersStartAtTheirStartValuesAndKeepTheDriveLetter) {
  RunCounters.SubDirsScanned = 40;
  RunCounters.FilesCopied = 7;
  RunCounters.FileAttributesUpdated = 3;
  RunCounters.DstBytesTotal = 1000;
  RunCounters.DstBytesFree = 10;
  RunCounters.DstDriveLetter = 'D';
  ResetRunCounters();
  EXPECT_EQ(RunCounters.SubDirsScanned, 1);
  EXPECT_EQ(RunCounters.FilesCopied, 0);
  EXPECT_EQ(RunCounters.FileAttributesUpdated, 0);
  EXPECT_EQ(RunCounters.DstBytesTotal, -1);
  EXPECT_EQ(RunCounters.DstBytesFree, -1);
  EXPECT_EQ(RunCounters.DstDriveLetter, 'D');
}

TEST_F(RunRecordsTest, CountUpSaturatesInsteadOfWrapping) {
  int32_t counter = 0;
  CountUp(counter);
  EXPECT_EQ(counter, 1);
  counter = INT32_MAX - 1;
  CountUp(counter);
  EXPECT_EQ(counter, INT32_MAX);
  CountUp(counter);
  CountUp(counter);
  EXPECT_EQ(counter, INT32_MAX);
}

}  // namespace
}  // namespace plovik
