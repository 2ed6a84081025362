// The protocol: appending, the memo-full workaround, debug lines, the Save
// and Print buttons and the width measurement.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "core/RunRecords.h"
#include "support/ProgramTest.h"
#include "core/Protocol.h"

namespace plovik {
namespace {

const std::string EnglishNote =
    " lines deleted (Dirty trick to work around a Windows 95/98/ME API bug. Use Windows "
    "NT/2000/XP to avoid this problem.)";
const std::string GermanNote =
    " Zeilen gelöscht (Schmutziger Trick, um einen Windows 95/98/ME API bug zu umgehen. "
    "Verwenden Sie Windows NT/2000/XP zur Vermeidung dieses Problems.)";

std::string Numbered(char prefix, int number) {
  char text[16];
  std::snprintf(text, sizeof text, "%c%04d", prefix, number);
  return text;
}

class ProtocolTest : public test::ProgramTest {
 protected:
  // Fills the protocol with lines "L0000", "L0001", ... (seven characters
  // each with the line break) up to a memo that holds exactly count of them.
  void FillToCapacity(int count) {
    memo->SetCapacity(static_cast<size_t>(count) * 7);
    for (int i = 0; i < count; ++i) ProtocolAdd(Numbered('L', i));
    ASSERT_EQ(memo->Count(), count);
  }

  // The head of the protocol in front of the cut is untouched.
  void ExpectHeadIntact(int cutIndex) {
    for (int i = 0; i < cutIndex - 3; ++i) ASSERT_EQ(memo->Line(i), Numbered('L', i)) << i;
  }
};

// The window stays responsive while lines are written: after every line,
// with the line already shown, the user's pending events are served.
TEST_F(ProtocolTest, AppendsLinesAndServesTheUsersEventsAfterEachLine) {
  std::set<int> countsSeenByEvents;
  tk.actions.push_back([&] {
    countsSeenByEvents.insert(memo->Count());
    return false;
  });
  ProtocolAdd("first");
  ProtocolAdd("");
  ProtocolFailure("Access is denied.");
  EXPECT_EQ(countsSeenByEvents, (std::set<int>{1, 2, 3, 4}));
  EXPECT_EQ(ProtocolLines(),
            (std::vector<std::string>{"first", "", "****** Access is denied. ******", ""}));
  EXPECT_EQ(ProtocolLastCount, 4);
}

TEST_F(ProtocolTest, FullMemoKeepsTheHeadAndCutsBehindANote) {
  FillToCapacity(1000);
  ProtocolAdd("N0000");

  EXPECT_EQ(ProtocolCutIndex, 490);
  EXPECT_EQ(ProtocolDeletedLines, 23);
  ExpectHeadIntact(490);
  EXPECT_EQ(memo->Line(487), "");
  EXPECT_EQ(memo->Line(488), "23" + EnglishNote);
  EXPECT_EQ(memo->Line(489), "");
  EXPECT_EQ(memo->Line(490), "L0510");
  EXPECT_EQ(memo->Count(), 981);
  EXPECT_EQ(memo->Line(980), "N0000");
  EXPECT_EQ(ProtocolLastCount, 981);

  // The next refusal cuts the next twenty lines at the same place.
  int added = 1;
  while (ProtocolDeletedLines == 23 && added < 200) ProtocolAdd(Numbered('N', added++));
  EXPECT_EQ(ProtocolDeletedLines, 43);
  EXPECT_EQ(ProtocolCutIndex, 490);
  ExpectHeadIntact(490);
  EXPECT_EQ(memo->Line(487), "");
  EXPECT_EQ(memo->Line(488), "43" + EnglishNote);
  EXPECT_EQ(memo->Line(489), "");
  EXPECT_EQ(memo->Line(490), "L0530");
  EXPECT_EQ(memo->Line(memo->Count() - 1), Numbered('N', added - 1));
  EXPECT_LE(ProtocolText().Used(), memo->Capacity());
}

TEST_F(ProtocolTest, ClearStartsTheWorkaroundAfresh) {
  FillToCapacity(1000);
  ProtocolAdd("N0000");
  ASSERT_EQ(ProtocolCutIndex, 490);

  ProtocolClear();
  EXPECT_EQ(memo->Count(), 0);
  EXPECT_EQ(ProtocolCutIndex, 0);
  EXPECT_EQ(ProtocolDeletedLines, 0);
  EXPECT_EQ(ProtocolLastCount, 0);

  // Six characters a line: the memo of 7,000 now refuses at 1,166 lines.
  for (int i = 0; i < 1166; ++i) ProtocolAdd(Numbered('M', i).substr(1));
  ASSERT_EQ(memo->Count(), 1166);
  ProtocolAdd("new");
  EXPECT_EQ(ProtocolCutIndex, 573);
  EXPECT_EQ(ProtocolDeletedLines, 23);
  EXPECT_EQ(memo->Line(571), "23" + EnglishNote);
  EXPECT_EQ(memo->Line(573), "0593");
  EXPECT_EQ(memo->Line(memo->Count() - 1), "new");
}

TEST_F(ProtocolTest, NoteFollowsTheLanguageAtTheMomentOfTheCut) {
  LanguageIndex = 1;
  FillToCapacity(300);
  ProtocolAdd("ja");
  EXPECT_EQ(ProtocolCutIndex, 140);
  EXPECT_EQ(memo->Line(138), "23" + GermanNote);
  EXPECT_EQ(memo->Line(memo->Count() - 1), "ja");
}

TEST_F(ProtocolTest, LineStillRefusedAfterTheCutTakesMoreLinesBehindTheCut) {
  FillToCapacity(1000);
  const std::string longLine(400, 'W');
  ProtocolAdd(longLine);
  EXPECT_EQ(memo->Line(memo->Count() - 1), longLine);
  EXPECT_LE(ProtocolText().Used(), memo->Capacity());
  EXPECT_EQ(ProtocolCutIndex, 490);
  ExpectHeadIntact(490);
  EXPECT_GT(ProtocolDeletedLines, 23);
  EXPECT_EQ(memo->Line(488), std::to_string(ProtocolDeletedLines) + EnglishNote);
  // The note counts exactly the lines that went: the three blanked ones and
  // those removed behind the cut.
  EXPECT_EQ(memo->Count(), 1000 - (ProtocolDeletedLines - 3) + 1);

  // A line that fits only an empty memo still lands.
  const std::string hugeLine(6990, 'H');
  ProtocolAdd(hugeLine);
  EXPECT_EQ(memo->Line(memo->Count() - 1), hugeLine);
  EXPECT_LE(ProtocolText().Used(), memo->Capacity());
  EXPECT_EQ(ProtocolLastCount, memo->Count());
}

TEST_F(ProtocolTest, SmallMemoThatRefusesDropsItsOldestLines) {
  memo->SetCapacity(36);  // three lines of ten characters
  for (const char* line : {"AAAAAAAAAA", "BBBBBBBBBB", "CCCCCCCCCC", "DDDDDDDDDD"}) ProtocolAdd(line);
  EXPECT_EQ(ProtocolLines(), (std::vector<std::string>{"BBBBBBBBBB", "CCCCCCCCCC", "DDDDDDDDDD"}));
  EXPECT_EQ(ProtocolCutIndex, 0);
  EXPECT_EQ(ProtocolLastCount, 3);

  // A line longer than the whole memo is cut down to what fits.
  const std::string longLine = std::string(20, 'x') + std::string(80, 'y');
  ProtocolAdd(longLine);
  EXPECT_EQ(ProtocolLines(), (std::vector<std::string>{longLine.substr(0, 34)}));

  // A memo that cannot take even an empty line: nothing lands, nothing hangs.
  memo->Clear();
  memo->SetCapacity(1);
  ProtocolAdd("x");
  EXPECT_EQ(memo->Count(), 0);
  EXPECT_EQ(ProtocolLastCount, 0);
}

TEST_F(ProtocolTest, DebugLinesGoToTheProtocolUntilTheDebugWindowIsReady) {
  DebugAdd("early");
  EXPECT_EQ(ProtocolLines(), (std::vector<std::string>{"early"}));
  EXPECT_TRUE(DebugLines().empty());

  DebugWindowReady = true;
  debugMemo->SetVisible(false);
  bool eventServed = false;
  tk.actions.push_back([&] { return eventServed = true; });
  DebugAdd("late");
  EXPECT_EQ(ProtocolLines(), (std::vector<std::string>{"early"}));
  EXPECT_EQ(DebugLines(), (std::vector<std::string>{"late"}));
  EXPECT_FALSE(eventServed) << "a debug line into the debug window serves no events";
}

TEST_F(ProtocolTest, CharWidthIsMeasuredInTheMemosFont) {
  Font shownFont;
  tk.actions.push_back([&] {
    shownFont = fontLabel->GetFont();
    return true;
  });
  memo->SetFont(Font{"Lucida Console", 22, false, false});
  MeasureProtocolCharWidth();
  EXPECT_EQ(shownFont, memo->GetFont());
  EXPECT_EQ(ProtocolCharWidth, fontLabel->Width() / 10);
  EXPECT_EQ(ProtocolCharWidth, 14);

  ComputeProtocolWidths();  // client width 1000 - 21
  EXPECT_EQ(ProtocolLineChars, 977 / 14);
  EXPECT_EQ(ProtocolPathChars, 977 / 14 - 7);

  memo->SetFont(Font{"Lucida Console", 11, false, false});
  MeasureProtocolCharWidth();
  ComputeProtocolWidths();
  EXPECT_EQ(ProtocolCharWidth, 7);
  EXPECT_EQ(ProtocolLineChars, 139);
  EXPECT_EQ(ProtocolPathChars, 132);
}

TEST_F(ProtocolTest, TheProtocolKeepsItsLinesWithoutAWindow) {
  BindProtocol(ProtocolControls{});
  ProtocolAdd("kept");
  DebugAdd("debug");
  ProtocolFailure("failure");
  MeasureProtocolCharWidth();
  ComputeProtocolWidths();
  const std::vector<std::string> written = {"kept", "debug", "****** failure ******", ""};
  EXPECT_EQ(ProtocolText().All(), written);
  EXPECT_EQ(ProtocolLastCount, 4);

  // A memo bound later shows the protocol as it stands.
  auto later = tk.CreateMemo(*form);
  ProtocolControls controls;
  controls.MemoProtocol = later.get();
  BindProtocol(controls);
  EXPECT_EQ(later->Lines(), written);

  // Controls that go away while messages are processed inside an append:
  // the protocol still makes room for a refused line.
  ProtocolClear();
  later->SetCapacity(14);
  ProtocolAdd("0123456789");
  tk.actions.push_back([] {
    BindProtocol(ProtocolControls{});
    return true;
  });
  ProtocolAdd("refused line");
  EXPECT_EQ(ProtocolText().All(), (std::vector<std::string>{"refused line"}));
}

}  // namespace
}  // namespace plovik
