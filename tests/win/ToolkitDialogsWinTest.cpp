// The Win32 toolkit's modal windows: the message dialog's owner while the
// program is in the background, the one-line input, the common dialogs and
// the help window (the popup menu and the message dialog's buttons are the
// toolkit contract's).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ToolkitWinFixture.h"
#include "lib/Wide.h"

namespace plovik::test {
namespace {

using DialogsWinTest = ToolkitWinFixture;

// ---- message dialog owner ---------------------------------------------------

struct OwnerProbe {
  HWND main = nullptr, other = nullptr;
  HWND dialogOwner = nullptr;
  bool mainEnabled = true, otherEnabled = true;
};

bool InspectAndAnswer(void* context) {
  auto* probe = static_cast<OwnerProbe*>(context);
  HWND dialog = FindWindowW(Win32Toolkit::DialogClassName, nullptr);
  if (dialog == nullptr) return false;
  probe->dialogOwner = GetWindow(dialog, GW_OWNER);
  probe->mainEnabled = IsWindowEnabled(probe->main) != FALSE;
  probe->otherEnabled = IsWindowEnabled(probe->other) != FALSE;
  PostMessageW(dialog, WM_CLOSE, 0, 0);
  return true;
}

// The unattended case: Plovik runs in the background while another window
// of it (or of another program) is active. The walk waits inside the
// dialog, so the main window must take no input meanwhile.
TEST_F(DialogsWinTest, MessageDialogBelongsToTheMainFormAndDisablesEveryWindowWhileTheMainFormIsInactive) {
  auto other = tk.CreateForm();
  other->SetBounds(300, 200, 300, 200);
  other->SetVisible(true);
  other->SetFocus();
  tk.SetMainForm(form.get());
  tk.ProcessPendingMessages();
  ASSERT_NE(GetActiveWindow(), HandleOf(*form));

  for (const bool minimised : {false, true}) {
    SCOPED_TRACE(minimised ? "main form minimised" : "main form in the background");
    if (minimised) form->SetWindowState(WindowState::Minimized);
    OwnerProbe probe{HandleOf(*form), HandleOf(*other)};
    int result = 0;
    {
      TimerProbe timer(&InspectAndAnswer, &probe);
      result = tk.MessageDialog("Fehler beim Kopieren", DialogType::Error, ButtonOk, 0);
    }
    EXPECT_EQ(result, ModalCancel);
    EXPECT_EQ(probe.dialogOwner, HandleOf(*form));
    EXPECT_FALSE(probe.mainEnabled);
    EXPECT_FALSE(probe.otherEnabled);
    EXPECT_TRUE(IsWindowEnabled(HandleOf(*form)));
    EXPECT_TRUE(IsWindowEnabled(HandleOf(*other)));
  }
}

// ---- one-line input -------------------------------------------------------------

struct InputProbe {
  const wchar_t* type = nullptr;  // typed over the preset; null: Escape
  std::wstring prompt;
  bool mainEnabled = true;
  HWND main = nullptr;
};

bool AnswerInput(void* context) {
  auto* probe = static_cast<InputProbe*>(context);
  HWND window = FindWindowW(Win32Toolkit::InputClassName, nullptr);
  if (window == nullptr || !IsWindowVisible(window)) return false;
  probe->mainEnabled = IsWindowEnabled(probe->main) != FALSE;
  wchar_t prompt[128] = {};
  GetWindowTextW(FindWindowExW(window, nullptr, L"Static", nullptr), prompt, 128);
  probe->prompt = prompt;
  HWND edit = FindWindowExW(window, nullptr, L"Edit", nullptr);
  if (probe->type == nullptr) {
    PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 1);
    return true;
  }
  SetWindowTextW(edit, probe->type);
  PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);  // Enter: OK
  return true;
}

TEST_F(DialogsWinTest, InputQueryReturnsTheTypedLineOrLeavesTheValueOnCancel) {
  tk.SetMainForm(form.get());
  std::string value = "5000";
  InputProbe probe{L"12 000", {}, true, HandleOf(*form)};
  {
    TimerProbe timer(&AnswerInput, &probe);
    EXPECT_TRUE(tk.InputQuery("Wartezeit", "Millisekunden\rbis zum Ende:", value));
  }
  EXPECT_EQ(value, "12 000");
  EXPECT_EQ(probe.prompt, L"Millisekunden\r\nbis zum Ende:");
  EXPECT_FALSE(probe.mainEnabled);
  probe = InputProbe{nullptr, {}, true, HandleOf(*form)};
  {
    TimerProbe timer(&AnswerInput, &probe);
    EXPECT_FALSE(tk.InputQuery("Wartezeit", "?", value));
  }
  EXPECT_EQ(value, "12 000");
  EXPECT_TRUE(IsWindowEnabled(HandleOf(*form)));
}

// ---- common dialogs -----------------------------------------------------------

struct CommonDialogProbe {
  HWND main = nullptr;
  bool found = false;
  bool mainEnabled = true;
};

bool CancelCommonDialog(void* context) {
  auto* probe = static_cast<CommonDialogProbe*>(context);
  HWND dialog = FindWindowW(L"#32770", nullptr);
  if (dialog == nullptr || !IsWindowVisible(dialog)) return false;
  probe->found = true;
  probe->mainEnabled = IsWindowEnabled(probe->main) != FALSE;
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  return true;
}

TEST_F(DialogsWinTest, CommonDialogsCancelledLeaveTheirPresetsAndTheWindowsEnabledAgain) {
  tk.SetMainForm(form.get());
  CommonDialogProbe probe{HandleOf(*form)};
  SaveDialogOptions options;
  options.title = "Das Protokoll speichern";
  options.fileName = "PLOVIK-LOG.TXT";
  options.defaultExt = "TXT";
  options.filter = "PLOVIK log file  (*.TXT)|*.TXT";
  SaveDialogResult saved;
  {
    TimerProbe timer(&CancelCommonDialog, &probe);
    saved = tk.SaveFileDialog(options);
  }
  ASSERT_TRUE(probe.found);
  EXPECT_FALSE(saved.confirmed);
  EXPECT_EQ(saved.fileName, "PLOVIK-LOG.TXT");  // the name also after Cancel
  EXPECT_FALSE(probe.mainEnabled);
  EXPECT_TRUE(IsWindowEnabled(HandleOf(*form)));

  // The folder dialog starts in an existing folder only.
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  for (const std::string& start : {Narrow(temp), std::string("Q:\\does\\not\\exist")}) {
    probe = CommonDialogProbe{HandleOf(*form)};
    std::string directory = start;
    bool chosen = true;
    {
      TimerProbe timer(&CancelCommonDialog, &probe);
      chosen = tk.BrowseForFolder("Quellverzeichnis", directory);
    }
    ASSERT_TRUE(probe.found);
    EXPECT_FALSE(chosen);
    EXPECT_FALSE(probe.mainEnabled);
    EXPECT_EQ(directory, start.rfind("Q:", 0) == 0 ? std::string() : start);
  }
  EXPECT_TRUE(IsWindowEnabled(HandleOf(*form)));
}

// ---- help window -------------------------------------------------------------------

TEST_F(DialogsWinTest, HelpWindowShowsThePlainTextHelpFile) {
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + L"plovik-help-test.HLP";
  const std::string content = "\xEF\xBB\xBFPlovik Hilfe\n\n\xC3\x9C" "bersicht\r\nEnde";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);

  EXPECT_FALSE(tk.ShowHelp());  // no help file set
  tk.SetHelpFile(Narrow(path) + ".missing");
  EXPECT_FALSE(tk.ShowHelp());
  tk.SetTitle("Plovik");
  tk.SetHelpFile(Narrow(path));
  ASSERT_TRUE(tk.ShowHelp());
  const HWND help = tk.HelpWindow();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(IsWindowVisible(help));
  HWND text = FindWindowExW(help, nullptr, L"Edit", nullptr);
  ASSERT_NE(text, nullptr);
  wchar_t shown[64] = {};
  GetWindowTextW(text, shown, 64);
  EXPECT_STREQ(shown, L"Plovik Hilfe\r\n\r\n\u00DCbersicht\r\nEnde");
  EXPECT_NE(GetWindowLongW(text, GWL_STYLE) & ES_READONLY, 0);
  EXPECT_NE(GetWindowLongW(text, GWL_STYLE) & WS_VSCROLL, 0);
  // Closing hides it; the next request shows it again.
  SendMessageW(help, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(help));
  EXPECT_TRUE(tk.ShowHelp());
  EXPECT_TRUE(IsWindowVisible(help));
  DeleteFileW(path.c_str());
}

}  // namespace
}  // namespace plovik::test
