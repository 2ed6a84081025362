// The toolkit on real windows: a memo whose window went, buttons, and the
// message dialog answered from a timer or closed by a quit request.
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
