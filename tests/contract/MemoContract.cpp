// The memo as every toolkit must show it: the view follows the newest line
// until the user scrolls away, keys select and copy with CR LF between
// lines, typing and keys edit the lines, and bound lines are shown and
// edited where they live. Runs natively over the headless toolkit and
// under Wine over the Win32 toolkit (see MemoContract.h).
#include "contract/MemoContract.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace plovik::contract {
namespace {

using Lines = std::vector<std::string>;
constexpr uint16_t KeyTabulator = 0x09;

class MemoContract : public ::testing::Test {
 protected:
  void SetUp() override {
    env_ = MakeMemoEnvironment();
    memo_ = env_->Kit().CreateMemo(env_->Window());
    // Room for far fewer rows than the tests append.
    memo_->SetBounds(8, 8, 600, 200);
    memo_->SetOnChange([this](NotifyEvent&) { ++changes_; });
  }
  void TearDown() override {
    memo_.reset();
    env_.reset();
  }

  void Fill(const Lines& lines) {
    for (const std::string& line : lines) ASSERT_TRUE(memo_->Append(line));
  }
  void Press(uint16_t key, ShiftState shift = ShiftState::None) {
    env_->PressKey(*memo_, key, shift);
  }
  void Type(const std::string& text) { env_->Type(*memo_, text); }

  std::unique_ptr<MemoEnvironment> env_;
  std::unique_ptr<Memo> memo_;
  int changes_ = 0;
};

TEST_F(MemoContract, TheViewFollowsTheNewestLineUntilTheUserScrollsAway) {
  for (int i = 0; i < 100; ++i) memo_->Append("line " + std::to_string(i));
  EXPECT_TRUE(memo_->FollowsEnd());
  const int followed = memo_->TopRow().line;
  EXPECT_GT(followed, 50);

  env_->Wheel(*memo_, 1);
  EXPECT_FALSE(memo_->FollowsEnd());
  const TextRow reading = memo_->TopRow();
  EXPECT_LT(reading.line, followed);
  for (int i = 100; i < 200; ++i) memo_->Append("line " + std::to_string(i));
  EXPECT_EQ(memo_->TopRow(), reading);
  EXPECT_FALSE(memo_->FollowsEnd());

  // Back at the end, the view follows again.
  Press(KeyEnd, ShiftState::Ctrl);
  EXPECT_EQ(memo_->SelCaret(), memo_->End());
  EXPECT_TRUE(memo_->FollowsEnd());
  const int top = memo_->TopRow().line;
  memo_->Append("newest");
  EXPECT_EQ(memo_->TopRow().line, top + 1);

  memo_->Clear();
  EXPECT_EQ(memo_->TopRow(), TextRow{});
  EXPECT_TRUE(memo_->FollowsEnd());

  // A view made tall enough to show the whole text follows its end.
  for (int i = 0; i < 30; ++i) memo_->Append("line " + std::to_string(i));
  env_->Wheel(*memo_, 1);
  EXPECT_FALSE(memo_->FollowsEnd());
  memo_->SetBounds(8, 8, 600, 440);
  EXPECT_TRUE(memo_->FollowsEnd());
  EXPECT_EQ(memo_->TopRow(), TextRow{});
}

TEST_F(MemoContract, KeysSelectAndCopyTheLinesJoinedByCrLf) {
  Fill({"alpha beta", "gamma", "", "delta"});
  const std::string whole = "alpha beta\r\ngamma\r\n\r\ndelta";
  env_->ClickFirstRow(*memo_);
  EXPECT_TRUE(memo_->Focused());
  EXPECT_EQ(memo_->SelCaret(), TextPlace{});

  for (int i = 0; i < 3; ++i) Press(KeyArrowRight, ShiftState::Shift);
  EXPECT_EQ(memo_->SelText(), "alp");
  Press(KeyEnd, ShiftState::Shift);
  EXPECT_EQ(memo_->SelText(), "alpha beta");
  Press(KeyArrowDown, ShiftState::Shift);
  EXPECT_EQ(memo_->SelText(), "alpha beta\r\ngamma");
  Press(KeyArrowDown, ShiftState::Shift);
  Press(KeyArrowDown, ShiftState::Shift);
  EXPECT_EQ(memo_->SelText(), whole);
  Press('C', ShiftState::Ctrl);
  EXPECT_EQ(env_->Clipboard(), whole);

  // An arrow without Shift ends the selection at its start.
  Press(KeyArrowLeft);
  EXPECT_EQ(memo_->SelText(), "");
  EXPECT_EQ(memo_->SelCaret(), TextPlace{});
  Press(KeyArrowDown);
  Press(KeyArrowRight, ShiftState::Shift | ShiftState::Ctrl);
  EXPECT_EQ(memo_->SelText(), "gamma");

  Press('A', ShiftState::Ctrl);
  EXPECT_EQ(memo_->SelAnchor(), TextPlace{});
  EXPECT_EQ(memo_->SelCaret(), memo_->End());
  env_->SetClipboard("something else");
  Press(KeyInsert, ShiftState::Ctrl);
  EXPECT_EQ(env_->Clipboard(), whole);
  EXPECT_EQ(changes_, 4);  // the appends only
}

TEST_F(MemoContract, TypingAndKeysEditTheLines) {
  Fill({"first", "second"});
  env_->ClickFirstRow(*memo_);
  Type("Ä ");
  Press(KeyEnd);
  Press(KeyReturn);
  Type("new");
  EXPECT_EQ(memo_->Lines(), (Lines{"Ä first", "new", "second"}));
  for (int i = 0; i < 4; ++i) Press(KeyBack);  // the last one joins two lines
  Press(KeyDelete);
  EXPECT_EQ(memo_->Lines(), (Lines{"Ä firstsecond"}));
  Press(KeyHome, ShiftState::Shift);
  Type("x");
  EXPECT_EQ(memo_->Lines(), (Lines{"xsecond"}));

  Press(KeyEnd, ShiftState::Shift);
  Press('X', ShiftState::Ctrl);
  EXPECT_EQ(env_->Clipboard(), "second");
  env_->SetClipboard("one\r\ntwo\nthree");
  Press('V', ShiftState::Ctrl);
  EXPECT_EQ(memo_->Lines(), (Lines{"xone", "two", "three"}));
  EXPECT_EQ(memo_->SelCaret(), memo_->End());
  Press(KeyArrowLeft, ShiftState::Shift | ShiftState::Ctrl);
  Press(KeyDelete, ShiftState::Shift);  // cut
  Press(KeyHome, ShiftState::Ctrl);
  Press(KeyInsert, ShiftState::Shift);  // paste
  EXPECT_EQ(memo_->Lines(), (Lines{"threexone", "two", ""}));

  // Escape and Tab mean nothing to the text.
  Press(KeyEscape);
  Press(KeyTabulator);
  EXPECT_EQ(memo_->Lines(), (Lines{"threexone", "two", ""}));
  // Typed characters beyond the capacity are refused, one by one.
  memo_->SetCapacity(memo_->Model().Used() + 2);
  memo_->SetFocus();
  Type("abc");
  EXPECT_EQ(memo_->Lines(), (Lines{"threeabxone", "two", ""}));
  // A whole text cut away leaves no lines.
  const int before = changes_;
  Press('A', ShiftState::Ctrl);
  Press('X', ShiftState::Ctrl);
  EXPECT_EQ(memo_->Count(), 0);
  EXPECT_EQ(changes_, before + 1);
}

TEST_F(MemoContract, BoundLinesAreShownAndEditedWhereTheyLive) {
  TextLines lines;
  lines.Append("kept by the program");
  memo_->Append("the memo's own");
  memo_->Bind(&lines);
  EXPECT_EQ(memo_->Lines(), (Lines{"kept by the program"}));
  const int bound = changes_;
  lines.Append("appended without the memo");
  EXPECT_EQ(changes_, bound + 1);
  env_->ClickFirstRow(*memo_);
  Type("> ");
  EXPECT_EQ(lines.All(), (Lines{"> kept by the program", "appended without the memo"}));

  memo_->Bind(nullptr);
  EXPECT_EQ(memo_->Lines(), (Lines{"the memo's own"}));
  const int unbound = changes_;
  lines.Append("unseen");
  EXPECT_EQ(changes_, unbound);

  // A memo that goes stops listening to the lines it showed.
  memo_->Bind(&lines);
  memo_.reset();
  EXPECT_TRUE(lines.Append("after the memo went"));
}

}  // namespace
}  // namespace plovik::contract
