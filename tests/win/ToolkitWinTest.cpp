// The toolkit on real windows: a memo whose window went, label sizes,
// buttons, and the message dialog answered from a timer.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/Protocol.h"
#include "core/RunRecords.h"
#include "toolkit/win32/Win32Toolkit.h"

namespace plovik::test {
namespace {

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
    tk.ProcessPendingMessages();
  }
  void TearDown() override {
    BindProtocol(ProtocolControls{});
    LanguageIndex = previousLanguage_;
  }

  Win32Toolkit tk{GetModuleHandleW(nullptr)};
  std::unique_ptr<Form> form;
  std::unique_ptr<Memo> memo;

 private:
  uint8_t previousLanguage_ = 0;
};

// ---- memo -------------------------------------------------------------

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

// ---- label, button, messages ---------------------------------------------

TEST_F(ToolkitWinTest, LabelSizesItselfToItsCaptionAndFont) {
  auto label = tk.CreateLabel(*form);
  label->SetFont(Font{"Courier New", 11});
  label->SetCaption("XXXXXXXXXX");
  tk.ProcessMessages();
  const int ten = label->Width();
  EXPECT_GT(ten, 30);
  label->SetCaption("XXXXX");
  EXPECT_NEAR(label->Width() * 2, ten, 2);
  label->SetCaption("&XXXXX");  // the mnemonic sign takes no room
  EXPECT_NEAR(label->Width() * 2, ten, 2);
  label->SetFont(Font{"Courier New", 22});
  EXPECT_GT(label->Width() * 2, ten * 3 / 2);
  label->SetBounds(5, 7, 1, 1);  // the size stays the caption's
  EXPECT_EQ(label->Left(), 5);
  EXPECT_GT(label->Width() * 2, ten * 3 / 2);
  label->SetCaption("");
  EXPECT_EQ(label->Width(), 0);
}

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

// What the timer saw of the dialog and how it answered.
struct DialogProbe {
  enum Answer { Press, Close, Escape, Quit } answer = Press;
  std::wstring press;  // label of the button to press
  bool found = false;
  bool ownerEnabled = true;
  std::wstring caption;
  std::wstring text;
  std::vector<std::wstring> buttons;
  HWND owner = nullptr;
  int ticksAfterAnswer = 0;  // a dialog that ignores the answer is closed
  bool stuck = false;
};
DialogProbe probe;

BOOL CALLBACK CollectChild(HWND child, LPARAM) {
  wchar_t className[32] = {};
  GetClassNameW(child, className, 32);
  wchar_t text[256] = {};
  GetWindowTextW(child, text, 256);
  if (lstrcmpiW(className, L"Button") == 0) probe.buttons.push_back(text);
  if (lstrcmpiW(className, L"Static") == 0 && text[0] != 0) probe.text = text;
  return TRUE;
}

void CALLBACK AnswerDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = FindWindowW(Win32Toolkit::DialogClassName, nullptr);
  if (probe.found) {
    // Answered already: the dialog should be gone; end it so the test ends.
    if (dialog == nullptr || ++probe.ticksAfterAnswer < 100) {
      if (dialog == nullptr) KillTimer(nullptr, timer);
      return;
    }
    probe.stuck = true;
    KillTimer(nullptr, timer);
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    return;
  }
  if (dialog == nullptr) return;  // not shown yet: try again
  probe.found = true;
  probe.ownerEnabled = probe.owner == nullptr || IsWindowEnabled(probe.owner);
  wchar_t caption[64] = {};
  GetWindowTextW(dialog, caption, 64);
  probe.caption = caption;
  EnumChildWindows(dialog, CollectChild, 0);
  switch (probe.answer) {
    case DialogProbe::Press: {
      HWND button = FindWindowExW(dialog, nullptr, L"Button", probe.press.c_str());
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
      break;
    }
    case DialogProbe::Close: PostMessageW(dialog, WM_CLOSE, 0, 0); break;
    case DialogProbe::Escape: {
      HWND focus = GetFocus();
      if (focus == nullptr || !IsChild(dialog, focus)) focus = dialog;
      PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0);
      break;
    }
    case DialogProbe::Quit:
      KillTimer(nullptr, timer);
      PostQuitMessage(3);
      break;
  }
}

TEST_F(ToolkitWinTest, MessageDialogShowsGermanLabelsAndReturnsTheAnswer) {
  struct Case {
    DialogType type;
    uint32_t buttons;
    DialogProbe::Answer answer;
    const wchar_t* press;
    const wchar_t* caption;
    std::vector<std::wstring> labels;
    int result;
  };
  const Case cases[] = {
      {DialogType::Confirmation, ButtonNo | ButtonYes, DialogProbe::Press, L"&Nein",
       L"Bestätigung", {L"&Ja", L"&Nein"}, ModalNo},
      {DialogType::Error, ButtonIgnore | ButtonRetry | ButtonAbort, DialogProbe::Press,
       L"&Wiederholen", L"Fehler", {L"&Abbrechen", L"&Wiederholen", L"&Ignorieren"}, ModalRetry},
      {DialogType::Warning, ButtonOk, DialogProbe::Close, L"", L"Warnung", {L"OK"}, ModalCancel},
      {DialogType::Warning, ButtonOk | ButtonCancel, DialogProbe::Escape, L"", L"Warnung",
       {L"OK", L"Abbrechen"}, ModalCancel},
  };
  HWND owner = reinterpret_cast<HWND>(form->Handle());
  tk.SetMainForm(form.get());
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.result));
    SetActiveWindow(owner);
    probe = DialogProbe{};
    probe.answer = c.answer;
    probe.press = c.press;
    probe.owner = owner;
    SetTimer(nullptr, 0, 30, AnswerDialog);
    const int result = tk.MessageDialog("Datei fehlt:\rC:\\x.txt", c.type, c.buttons, 0);
    ASSERT_TRUE(probe.found);
    EXPECT_FALSE(probe.stuck);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(probe.caption, c.caption);
    EXPECT_EQ(probe.buttons, c.labels);
    EXPECT_EQ(probe.text, L"Datei fehlt:\r\nC:\\x.txt");
    EXPECT_FALSE(probe.ownerEnabled);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(FindWindowW(Win32Toolkit::DialogClassName, nullptr), nullptr);
  }
}

TEST_F(ToolkitWinTest, QuitRequestEndsTheDialogAndReachesTheMessageLoop) {
  probe = DialogProbe{};
  probe.answer = DialogProbe::Quit;
  SetTimer(nullptr, 0, 30, AnswerDialog);
  EXPECT_EQ(tk.MessageDialog("?", DialogType::Confirmation, ButtonYes | ButtonNo, 0), ModalCancel);
  ASSERT_TRUE(probe.found);
  MSG message;
  ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 3u);
}

}  // namespace
}  // namespace plovik::test
