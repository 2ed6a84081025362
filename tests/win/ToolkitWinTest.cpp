// The toolkit on real windows: the memo's model against its EDIT control,
// the protocol's memo-full workaround on it, user edits, buttons, and a
// quit request while a message dialog shows.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/Protocol.h"
#include "core/RunRecords.h"
#include "lib/Wide.h"
#include "toolkit/win32/MemoLines.h"
#include "toolkit/win32/Win32Toolkit.h"

namespace plovik::test {
namespace {

std::wstring ControlText(uintptr_t handle) {
  HWND hwnd = reinterpret_cast<HWND>(handle);
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring Joined(const std::vector<std::string>& lines) {
  std::wstring text;
  for (size_t i = 0; i < lines.size(); ++i) text += (i > 0 ? L"\r\n" : L"") + Wide(lines[i]);
  return text;
}

class ToolkitWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A quit request an earlier test caused must not end this test's loops.
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    previousLanguage_ = LanguageIndex;
    InstallToolkit(&tk);
    form = tk.CreateForm();
    form->SetBounds(20, 20, 640, 480);
    form->SetVisible(true);
    memo = tk.CreateMemo(*form);
    memo->SetBounds(8, 40, 600, 380);
    memo->SetOnChange([this](NotifyEvent&) { ++changes; });
    tk.ProcessPendingMessages();
  }
  void TearDown() override {
    BindProtocol(ProtocolControls{});
    LanguageIndex = previousLanguage_;
  }
  Win32Memo& Control() { return static_cast<Win32Memo&>(*memo); }
  HWND MemoHwnd() { return reinterpret_cast<HWND>(memo->Handle()); }

  Win32Toolkit tk{GetModuleHandleW(nullptr)};
  std::unique_ptr<Form> form;
  std::unique_ptr<Memo> memo;
  int changes = 0;

 private:
  uint8_t previousLanguage_ = 0;
};

// ---- memo model and control ---------------------------------------------

TEST_F(ToolkitWinTest, MemoAnswersFromItsLinesBeforeAndAfterTheControlHasThem) {
  const std::vector<std::string> lines = {"", "COPY   C:\\Daten\\Grüße €.txt", "", "last"};
  for (const std::string& line : lines) ASSERT_TRUE(memo->Append(line));
  // Nothing processed yet: the control lags, the memo does not.
  EXPECT_EQ(Control().PendingCount(), 4);
  EXPECT_EQ(memo->Count(), 4);
  EXPECT_EQ(memo->Lines(), lines);
  EXPECT_EQ(memo->Line(1), lines[1]);
  EXPECT_EQ(changes, 4);  // once per append, none for the push
  // Reading the control's text brings every line into it.
  EXPECT_EQ(ControlText(memo->Handle()), Joined(lines));
  EXPECT_EQ(Control().PendingCount(), 0);
  EXPECT_EQ(changes, 4);

  // A later batch goes behind the first.
  memo->Append("more");
  memo->Append("");
  Control().Flush();
  EXPECT_EQ(ControlText(memo->Handle()), Joined(memo->Lines()));
  EXPECT_EQ(memo->Count(), 6);
}

TEST_F(ToolkitWinTest, EditsOfSingleLinesKeepControlAndModelAlike) {
  struct Step {
    const char* name;
    void (*edit)(Memo&);
    std::vector<std::string> expected;
  };
  const Step steps[] = {
      {"first line replaced", [](Memo& m) { m.SetLine(0, "Zeile ä"); }, {"Zeile ä", "b", "c", "d"}},
      {"last line replaced", [](Memo& m) { m.SetLine(3, ""); }, {"Zeile ä", "b", "c", ""}},
      {"middle line deleted", [](Memo& m) { m.DeleteLine(1); }, {"Zeile ä", "c", ""}},
      {"last line deleted", [](Memo& m) { m.DeleteLine(2); }, {"Zeile ä", "c"}},
      {"first line deleted", [](Memo& m) { m.DeleteLine(0); }, {"c"}},
      {"out of range ignored", [](Memo& m) { m.DeleteLine(5); m.SetLine(-1, "x"); }, {"c"}},
      {"only line deleted", [](Memo& m) { m.DeleteLine(0); }, {}},
      {"appended after emptying", [](Memo& m) { m.Append(""); m.Append("x"); }, {"", "x"}},
      {"cleared", [](Memo& m) { m.Clear(); }, {}},
  };
  for (const char* line : {"a", "b", "c", "d"}) memo->Append(line);
  // Part of the lines still pending when the first edit comes.
  Control().Flush();
  memo->Append("pending");
  memo->DeleteLine(4);
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    step.edit(*memo);
    EXPECT_EQ(memo->Lines(), step.expected);
    EXPECT_EQ(ControlText(memo->Handle()), Joined(step.expected));
  }
}

TEST_F(ToolkitWinTest, MemoCapacityRefusesAnAppendThatWouldExceedIt) {
  memo->SetCapacity(10);  // "abc" and "defg" take 5 + 6 characters
  EXPECT_TRUE(memo->Append("abc"));
  EXPECT_FALSE(memo->Append("defg"));
  EXPECT_TRUE(memo->Append("äöü"));  // characters, not bytes
  EXPECT_FALSE(memo->Append(""));
  EXPECT_EQ(memo->Lines(), (std::vector<std::string>{"abc", "äöü"}));
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(ControlText(memo->Handle()), L"abc\r\näöü");
}

TEST_F(ToolkitWinTest, UserEditsAreReadBackIntoTheLines) {
  memo->Append("alpha");
  memo->Append("beta");
  Control().Flush();
  memo->Append("pending");
  const int before = changes;

  // Typing into the control: the pending line reaches it first, so the
  // insertion lands where the user saw the text.
  SendMessageW(MemoHwnd(), EM_SETSEL, 0, 0);
  SendMessageW(MemoHwnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"new\r\n"));
  EXPECT_EQ(memo->Lines(), (std::vector<std::string>{"new", "alpha", "beta", "pending"}));
  EXPECT_GT(changes, before);

  // A whole new text replaces every line, pending ones included.
  memo->Append("never shown");
  SendMessageW(MemoHwnd(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"eins\r\n\r\ndrei ß"));
  EXPECT_EQ(memo->Lines(), (std::vector<std::string>{"eins", "", "drei ß"}));
  SendMessageW(MemoHwnd(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  EXPECT_EQ(memo->Count(), 0);
  memo->Append("after");
  EXPECT_EQ(ControlText(memo->Handle()), L"after");
}

TEST_F(ToolkitWinTest, ProtocolWorkaroundOnAFullMemo) {
  auto label = tk.CreateLabel(*form);
  BindProtocol(ProtocolControls{memo.get(), nullptr, nullptr, label.get(), nullptr});
  LanguageIndex = 0;
  ProtocolClear();
  // Lines of 8 characters take 10 each: the memo takes exactly 1000.
  memo->SetCapacity(10000);
  auto lineOf = [](int i) {
    char text[16];
    wsprintfA(text, "line%04d", i);
    return std::string(text);
  };
  for (int i = 0; i < 1000; ++i) ProtocolAdd(lineOf(i));
  ASSERT_EQ(memo->Count(), 1000);
  EXPECT_EQ(ProtocolCutIndex, 0);

  Control().Flush();
  const int pushes = Control().FlushCount();
  ProtocolAdd(lineOf(1000));
  // The deletions in the middle wait for the next push, all in one.
  EXPECT_TRUE(Control().HasPendingChanges());
  EXPECT_EQ(ProtocolCutIndex, 490);
  EXPECT_EQ(memo->Line(486), lineOf(486));
  EXPECT_EQ(memo->Line(487), "");
  EXPECT_EQ(memo->Line(488).rfind("23 lines deleted (Dirty trick", 0), 0u) << memo->Line(488);
  EXPECT_EQ(memo->Line(489), "");
  EXPECT_EQ(memo->Line(490), lineOf(510));
  EXPECT_EQ(memo->Count(), 981);
  EXPECT_EQ(memo->Line(980), lineOf(1000));
  EXPECT_EQ(ControlText(memo->Handle()), Joined(memo->Lines()));
  EXPECT_EQ(Control().FlushCount(), pushes + 1);
  EXPECT_FALSE(Control().HasPendingChanges());

  int next = 1001;
  while (ProtocolDeletedLines == 23 && next < 1200) ProtocolAdd(lineOf(next++));
  EXPECT_EQ(ProtocolCutIndex, 490);
  EXPECT_EQ(memo->Line(488).rfind("43 lines deleted", 0), 0u) << memo->Line(488);
  EXPECT_EQ(memo->Line(490), lineOf(530));
  EXPECT_EQ(memo->Line(memo->Count() - 1), lineOf(next - 1));
  EXPECT_EQ(ControlText(memo->Handle()), Joined(memo->Lines()));
}

TEST_F(ToolkitWinTest, ControlsOutliveTheirWindowWhenTheUserClosesTheForm) {
  memo->Append("kept");
  // The main form is freed when it closes: its window goes, the objects stay.
  tk.SetMainForm(form.get());
  SendMessageW(reinterpret_cast<HWND>(form->Handle()), WM_CLOSE, 0, 0);
  EXPECT_TRUE(tk.Terminated());
  MSG quit;
  EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(form->Handle(), 0u);
  EXPECT_EQ(memo->Handle(), 0u);
  EXPECT_TRUE(memo->Append("still"));
  memo->SetLine(0, "changed");
  EXPECT_EQ(memo->Lines(), (std::vector<std::string>{"changed", "still"}));
  EXPECT_EQ(memo->ClientWidth(), 0);
  EXPECT_FALSE(form->Visible());
}

// The memo's line table against a plain list of lines: the offsets of the
// lines in the control's text after appends, replacements and deletions
// anywhere, the emptied slots packed away as they pile up.
TEST(MemoLinesTest, OffsetsFollowEveryChangeOfTheLines) {
  MemoLines lines;
  std::vector<std::string> model;
  auto offsetOf = [&model](size_t index) {
    size_t offset = 0;
    for (size_t i = 0; i < index; ++i) offset += Wide(model[i]).size() + 2;
    return offset;
  };
  const std::string samples[] = {"", "COPY   C:\\a.txt", "Gr\xC3\xBC\xC3\x9F" "e",
                                 "\xF0\x9F\x98\x80 beyond the BMP", "x"};
  uint32_t random = 12345;
  auto next = [&random](uint32_t range) {
    random = random * 1103515245u + 12345u;
    return (random >> 8) % range;
  };
  for (int step = 0; step < 3000; ++step) {
    const std::string& text = samples[next(5)];
    const uint32_t action = model.empty() ? 0 : next(4);
    if (action <= 1) {
      lines.Append(text);
      model.push_back(text);
    } else if (action == 2) {
      const int index = static_cast<int>(next(static_cast<uint32_t>(model.size())));
      lines.Set(index, text);
      model[static_cast<size_t>(index)] = text;
    } else {
      // Mostly in the middle, where the memo-full workaround cuts.
      const int index = static_cast<int>(model.size() / 2);
      lines.Erase(index);
      model.erase(model.begin() + index);
    }
    ASSERT_EQ(lines.Count(), static_cast<int>(model.size()));
    const size_t probe = model.empty() ? 0 : next(static_cast<uint32_t>(model.size()));
    ASSERT_EQ(lines.Offset(static_cast<int>(probe)), offsetOf(probe)) << "step " << step;
    if (!model.empty()) {
      ASSERT_EQ(lines.At(static_cast<int>(probe)), model[probe]);
    }
  }
  EXPECT_EQ(lines.All(), model);
  EXPECT_EQ(lines.Offset(lines.Count()), offsetOf(model.size()));
  EXPECT_LE(lines.Slots(), 2 * model.size() + 64);
  for (int i = lines.Count(); i > 0; --i) lines.Erase(0);
  EXPECT_EQ(lines.Offset(0), 0u);
  EXPECT_LE(lines.Slots(), 64u);
}

// ---- label, button, messages ---------------------------------------------

TEST_F(ToolkitWinTest, ButtonRunsItsHandlerOnlyWhenEnabled) {
  auto button = tk.CreateButton(*form);
  button->SetBounds(8, 8, 80, 24);
  button->SetCaption("&Start");
  int clicks = 0;
  button->SetOnClick([&clicks](NotifyEvent&) { ++clicks; });
  // A press as the system delivers it: through the form's WM_COMMAND.
  SendMessageW(reinterpret_cast<HWND>(button->Handle()), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  button->Click();
  EXPECT_EQ(clicks, 2);
  button->SetEnabled(false);
  EXPECT_FALSE(button->Enabled());
  EXPECT_FALSE(IsWindowEnabled(reinterpret_cast<HWND>(button->Handle())));
  button->Click();
  EXPECT_EQ(clicks, 2);
  button->SetEnabled(true);
  EXPECT_TRUE(button->Enabled());
  // A press posted while messages are processed later.
  Sleep(5);
  PostMessageW(reinterpret_cast<HWND>(form->Handle()), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
               static_cast<LPARAM>(button->Handle()));
  tk.ProcessMessages();
  EXPECT_EQ(clicks, 3);
  EXPECT_EQ(button->Caption(), "&Start");
}

TEST_F(ToolkitWinTest, QuitSeenWhileProcessingMessagesIsPostedAgain) {
  PostQuitMessage(7);
  tk.ProcessPendingMessages();
  MSG message;
  ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 7u);
}

// ---- message dialog --------------------------------------------------------

// A quit request while the dialog shows: the timer posts it once the
// dialog is up.
bool dialogSeen = false;

void CALLBACK QuitWhileTheDialogShows(HWND, UINT, UINT_PTR timer, DWORD) {
  if (FindWindowW(Win32Toolkit::DialogClassName, nullptr) == nullptr) return;
  dialogSeen = true;
  KillTimer(nullptr, timer);
  PostQuitMessage(3);
}

TEST_F(ToolkitWinTest, QuitRequestEndsTheDialogAndReachesTheMessageLoop) {
  dialogSeen = false;
  SetTimer(nullptr, 0, 30, QuitWhileTheDialogShows);
  EXPECT_EQ(tk.MessageDialog("?", DialogType::Confirmation, ButtonYes | ButtonNo, 0), ModalCancel);
  ASSERT_TRUE(dialogSeen);
  MSG message;
  ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 3u);
}

}  // namespace
}  // namespace plovik::test
