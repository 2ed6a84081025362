// The headless toolkit the native tests run the program on: memo capacity
// and change events, auto-sizing labels, buttons, scripted user actions,
// message dialogs and the cursor.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/headless/Headless.h"

namespace plovik {
namespace {

TEST(HeadlessMemoTest, CountsCharactersAgainstItsCapacityAndReportsChanges) {
  HeadlessToolkit tk;
  auto form = tk.CreateForm();
  auto created = tk.CreateMemo(*form);
  HeadlessMemo& memo = AsHeadless(*created);
  int changes = 0;
  memo.SetOnChange([&](NotifyEvent&) { ++changes; });
  memo.SetCapacity(12);
  EXPECT_TRUE(memo.Append("äbc"));  // 3 characters + 2
  EXPECT_EQ(memo.Used(), 5u);
  EXPECT_TRUE(memo.Append(""));
  EXPECT_EQ(memo.Used(), 7u);
  EXPECT_FALSE(memo.Append("abcd"));  // would need 13
  EXPECT_EQ(memo.Count(), 2);
  EXPECT_TRUE(memo.Append("abc"));  // exactly 12
  EXPECT_EQ(memo.Used(), 12u);

  memo.SetLine(1, "x");
  EXPECT_EQ(memo.Used(), 13u);  // replacing is never refused
  EXPECT_FALSE(memo.Append(""));
  memo.DeleteLine(0);
  EXPECT_EQ(memo.Used(), 8u);
  EXPECT_EQ(memo.Lines(), (std::vector<std::string>{"x", "abc"}));
  memo.Clear();
  EXPECT_EQ(memo.Used(), 0u);
  EXPECT_EQ(changes, 6);  // refusals and bad indexes are no change
  memo.SetLine(3, "x");
  memo.DeleteLine(-1);
  EXPECT_EQ(changes, 6);

  // Capacity lowered below what the memo holds: further appends are refused.
  memo.SetCapacity(100);
  memo.Append(std::string(50, 'a'));
  memo.SetCapacity(10);
  EXPECT_FALSE(memo.Append(""));
}

TEST(HeadlessControlsTest, LabelSizesItselfAndButtonsClickOnlyWhenEnabled) {
  HeadlessToolkit tk;
  auto form = tk.CreateForm();
  auto label = tk.CreateLabel(*form);
  label->SetCaption("Größe");
  label->SetFont(Font{"Lucida Console", 22});
  EXPECT_EQ(label->Width(), 5 * 14);

  auto button = tk.CreateButton(*form);
  int clicks = 0;
  button->SetOnClick([&](NotifyEvent&) { ++clicks; });
  button->Click();
  button->SetEnabled(false);
  button->Click();
  EXPECT_EQ(clicks, 1);
}

TEST(HeadlessToolkitTest, ActionsRunNestedButNeverInsideThemselves) {
  HeadlessToolkit tk;
  std::vector<std::string> log;
  // The first action is a button press whose handler runs a long activity
  // that processes messages itself; the second presses Abort during it.
  tk.actions.push_back([&] {
    log.push_back("start");
    for (int i = 0; i < 3; ++i) {
      log.push_back("step");
      tk.ProcessMessages();
    }
    return true;
  });
  int steps = 0;
  tk.actions.push_back([&] {
    if (++steps < 2) return false;
    log.push_back("abort");
    return true;
  });
  tk.ProcessMessages();
  EXPECT_EQ(log, (std::vector<std::string>{"start", "step", "step", "abort", "step"}));
  EXPECT_TRUE(tk.actions.empty());
  EXPECT_EQ(tk.processCount, 4);
  // An action that is not done stays for the next round.
  tk.actions.push_back([&] { log.push_back("again"); return false; });
  tk.ProcessMessages();
  tk.ProcessMessages();
  EXPECT_EQ(tk.actions.size(), 1u);
  EXPECT_EQ(log.size(), 7u);
}

TEST(HeadlessToolkitTest, DialogsAreRecordedAndAnsweredFromTheScript) {
  HeadlessToolkit tk;
  tk.answers = {ModalRetry, ModalOk};
  tk.defaultAnswer = ModalNo;
  EXPECT_EQ(tk.MessageDialog("one", DialogType::Error, ButtonAbort | ButtonRetry, 0), ModalRetry);
  EXPECT_EQ(tk.MessageDialog("two", DialogType::Warning, ButtonOk, 7), ModalOk);
  EXPECT_EQ(tk.MessageDialog("three", DialogType::Confirmation, ButtonYes | ButtonNo, 0),
            ModalNo);
  ASSERT_EQ(tk.dialogs.size(), 3u);
  EXPECT_EQ(tk.dialogs[1].text, "two");
  EXPECT_EQ(tk.dialogs[1].type, DialogType::Warning);
  EXPECT_EQ(tk.dialogs[1].buttons, static_cast<uint32_t>(ButtonOk));
  EXPECT_EQ(tk.dialogs[1].helpContext, 7);

  tk.SetScreenCursor(CursorKind::Hourglass);
  tk.SetScreenCursor(CursorKind::Default);
  tk.SetScreenCursor(CursorKind::Hourglass);
  EXPECT_EQ(tk.hourglassCount, 2);
  EXPECT_EQ(tk.cursor, CursorKind::Hourglass);
}

}  // namespace
}  // namespace plovik
