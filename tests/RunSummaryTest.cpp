#include "run/RunSummary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ProgramTest.h"
#include "core/Protocol.h"

namespace plovik {
namespace {

using Lines = std::vector<std::string>;

class RunSummaryTest : public test::ProgramTest {
 protected:
  static TRunCounters ExampleCounters() {
    TRunCounters c;
    c.SubDirsScanned = 12;
    c.SubDirsCreated = 1;
    c.SubDirsSkipped = 0;
    c.SubDirAttributesUpdated = 0;
    c.FilesFound = 1300;
    c.FilesCopied = 1234;
    c.FilesSkipped = 0;
    c.FilesIgnored = 66;
    c.FileAttributesUpdated = 1;
    c.DstBytesTotal = 500105216000;
    c.DstBytesFree = 123456789012;
    c.DstDriveLetter = 'D';
    return c;
  }
  static TRunCounters GermanCounters() {
    TRunCounters c;
    c.SubDirsScanned = 3;
    c.SubDirsCreated = 0;
    c.SubDirsSkipped = 1;
    c.SubDirAttributesUpdated = 1;
    c.FilesFound = 10;
    c.FilesCopied = 2;
    c.FilesSkipped = 1;
    c.FilesIgnored = 0;
    c.FileAttributesUpdated = 2;
    c.DstBytesTotal = 1000;
    c.DstBytesFree = 999;
    c.DstDriveLetter = 'E';
    return c;
  }
  static const Lines& EnglishExample() {
    static const Lines lines = {
        "Subdirectories:      12 scanned      1 created      0 skipped",
        "",
        "                      0 attributes updated",
        "",
        "Files:            1,300 found    1,234 copied       0 skipped     66 ignored",
        "",
        "                      1 attribute  updated",
        "",
        "Destination D:        500,105,216,000 bytes total       123,456,789,012 bytes free",
    };
    return lines;
  }
};

TEST_F(RunSummaryTest, EnglishBlock) {
  WriteRunSummary(ExampleCounters());
  EXPECT_EQ(ProtocolLines(), EnglishExample());
}

TEST_F(RunSummaryTest, GermanBlock) {
  LanguageIndex = 1;
  WriteRunSummary(GermanCounters());
  const Lines expected = {
      "Unterverzeichnisse:       3 durchsucht      0 erzeugt         1 übergangen",
      "",
      "                          1 Attribut  aktualisiert",
      "",
      "Dateien:                 10 gefunden        2 kopiert         1 übergangen      0 ignoriert ",
      "",
      "                          2 Attribute aktualisiert",
      "",
      "Ziel  E:                  1,000 Byte gesamt          999 Byte frei",
  };
  EXPECT_EQ(ProtocolLines(), expected);
}

TEST_F(RunSummaryTest, AttributeLinesSingularOnlyForOne) {
  struct Case {
    uint8_t language;
    int32_t count;
    const char* line;
  };
  const std::vector<Case> cases = {
      {0, 0, "                      0 attributes updated"},
      {0, 1, "                      1 attribute  updated"},
      {0, 2, "                      2 attributes updated"},
      {0, -1, "                     -1 attributes updated"},
      {1, 0, "                          0 Attribute aktualisiert"},
      {1, 1, "                          1 Attribut  aktualisiert"},
      {1, 2, "                          2 Attribute aktualisiert"},
  };
  for (const Case& c : cases) {
    memo->Clear();
    LanguageIndex = c.language;
    TRunCounters counters;
    counters.SubDirAttributesUpdated = c.count;
    counters.FileAttributesUpdated = c.count;
    WriteRunSummary(counters);
    const Lines lines = ProtocolLines();
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[2], c.line) << int(c.language) << " " << c.count;
    EXPECT_EQ(lines[6], c.line) << int(c.language) << " " << c.count;
  }
}

TEST_F(RunSummaryTest, WideCountsPushTheLineRight) {
  TRunCounters counters = ExampleCounters();
  counters.FilesFound = 10000000;
  counters.FileAttributesUpdated = 2000000000;
  WriteRunSummary(counters);
  const Lines lines = ProtocolLines();
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[4],
            "Files:          10,000,000 found    1,234 copied       0 skipped     66 ignored");
  EXPECT_EQ(lines[6], "          2,000,000,000 attributes updated");
}

TEST_F(RunSummaryTest, DestinationLineNeedsBothByteCountsAndADrive) {
  struct Case {
    int64_t total;
    int64_t free;
    char letter;
    bool line;
  };
  const std::vector<Case> cases = {
      {-1, -1, 0, false},        // network destination
      {1000, -1, 'D', false},    // free space query failed
      {-1, 1000, 'D', false},
      {0, 0, 'D', true},         // an empty or full drive is still reported
      {1000, 1000, 0, false},    // no drive letter to name
  };
  for (const Case& c : cases) {
    memo->Clear();
    TRunCounters counters = ExampleCounters();
    counters.DstBytesTotal = c.total;
    counters.DstBytesFree = c.free;
    counters.DstDriveLetter = c.letter;
    WriteRunSummary(counters);
    const Lines lines = ProtocolLines();
    if (c.line) {
      ASSERT_EQ(lines.size(), 9u);
      EXPECT_EQ(lines[8], "Destination D:        0 bytes total       0 bytes free");
    } else {
      // Four lines, each with its empty line.
      EXPECT_EQ(lines, Lines(EnglishExample().begin(), EnglishExample().begin() + 8))
          << c.total << " " << c.free;
    }
  }
}

TEST_F(RunSummaryTest, ProcessesMessagesOnceBeforeWriting) {
  ProtocolAdd("before");
  tk.processCount = 0;
  int linesWhenProcessed = -1;
  tk.actions.push_back([&] {
    linesWhenProcessed = memo->Count();
    return true;
  });
  WriteRunSummary(ExampleCounters());
  EXPECT_EQ(linesWhenProcessed, 1);
  EXPECT_EQ(ProtocolLines().size(), 10u);
}

TEST_F(RunSummaryTest, FullMemoMakesRoomAndLosesNoSummaryLine) {
  for (int i = 0; i < 100; ++i) ProtocolAdd("line " + std::to_string(i));
  // Room for the first three summary lines only.
  ProtocolText().SetCapacity(ProtocolText().Used() + EnglishExample()[0].size() + 2 + 2 +
                            EnglishExample()[2].size() + 2);

  WriteRunSummary(ExampleCounters());

  const Lines lines = ProtocolLines();
  ASSERT_GE(lines.size(), 9u);
  EXPECT_EQ(Lines(lines.end() - 9, lines.end()), EnglishExample());
  // The memo made room by deleting old lines and says so.
  int notes = 0;
  for (const std::string& line : lines) {
    if (line.find(" lines deleted (") != std::string::npos) ++notes;
  }
  EXPECT_EQ(notes, 1);
  EXPECT_GT(ProtocolDeletedLines, 0);
  EXPECT_EQ(lines.front(), "line 0");

  // A protocol line after the summary still notices that the memo is full.
  ProtocolAdd("after");
  EXPECT_EQ(ProtocolLines().back(), "after");
}

}  // namespace
}  // namespace plovik
