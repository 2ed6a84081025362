// The run records: counters and the flag dump.
#include <gtest/gtest.h>

#include <climits>
#include <set>
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

// The dump a debug user reads: one line per flag, its name and its current
// value, the "=" of all lines in one column. Setting a flag changes its own
// line and no other.
TEST_F(RunRecordsTest, FlagDumpShowsEachFlagsValueByNameAndAChangeOnlyInItsLine) {
  const std::vector<std::string> cleared = RunFlagDumpLines();
  ASSERT_EQ(cleared.size(), 14u);
  const size_t column = cleared[0].find(" = ");
  std::set<std::string> names;
  for (const std::string& line : cleared) {
    EXPECT_EQ(line.find(" = "), column) << line;
    EXPECT_EQ(line.substr(line.size() - 5), "False") << line;
    names.insert(line.substr(0, line.find(' ')));
  }
  EXPECT_EQ(names.size(), cleared.size()) << "a flag named twice";

  const std::pair<bool TRunOptions::*, std::string> samples[] = {
      {&TRunOptions::DebugFlag, "DebugFlag"},
      {&TRunOptions::IgnoreFileAgeOneHourDiffFlag, "IgnoreFileAgeOneHourDiffFlag"},
      {&TRunOptions::NoUpdateFlag, "NoUpdateFlag"},
      {&TRunOptions::TerminateFlag, "TerminateFlag"}};
  for (const auto& [flag, name] : samples) {
    RunOptions = TRunOptions{};
    RunOptions.*flag = true;
    const std::vector<std::string> lines = RunFlagDumpLines();
    ASSERT_EQ(lines.size(), cleared.size());
    std::vector<std::string> changed;
    for (size_t i = 0; i < lines.size(); ++i)
      if (lines[i] != cleared[i]) changed.push_back(lines[i]);
    ASSERT_EQ(changed.size(), 1u) << name;
    EXPECT_EQ(changed[0].substr(0, name.size() + 1), name + " ");
    EXPECT_EQ(changed[0].substr(changed[0].size() - 7), "= True ");
  }
  RunOptions = TRunOptions{};
  RunOptions.DebugFlag = true;
  EXPECT_EQ(RunFlagDumpLines()[0], "DebugFlag" + std::string(20, ' ') + "= True ");
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
