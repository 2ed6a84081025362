// The toolkit contract over the Win32 toolkit on real windows: the user's
// actions are the messages the system sends for them (the caption boxes'
// system commands, mouse and key messages), and modal windows are answered
// from a timer while their loops run.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "contract/ToolkitEnvironment.h"
#include "lib/Wide.h"
#include "win/ToolkitWinFixture.h"

namespace plovik::contract {

namespace {

HWND Hwnd(const Control& control) { return reinterpret_cast<HWND>(control.Handle()); }

void DropQuitRequests() {
  MSG quit;
  while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

std::string WindowText(HWND hwnd) {
  wchar_t text[256] = {};
  GetWindowTextW(hwnd, text, 256);
  return Narrow(text);
}

// ---- the message dialog -----------------------------------------------------

struct DialogProbe {
  DialogAnswer answer;
  DialogSeen seen;
  bool found = false;
};

BOOL CALLBACK CollectButton(HWND child, LPARAM context) {
  auto* probe = reinterpret_cast<DialogProbe*>(context);
  wchar_t className[32] = {};
  GetClassNameW(child, className, 32);
  if (lstrcmpiW(className, L"Button") != 0) return TRUE;
  const std::string label = WindowText(child);
  probe->seen.buttons.push_back(label);
  if ((GetWindowLongW(child, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON) {
    probe->seen.defaultButton = label;
  }
  return TRUE;
}

bool InspectAndAnswerDialog(void* context) {
  auto* probe = static_cast<DialogProbe*>(context);
  HWND dialog = FindWindowW(Win32Toolkit::DialogClassName, nullptr);
  if (dialog == nullptr || !IsWindowVisible(dialog)) return false;
  probe->found = true;
  probe->seen.caption = WindowText(dialog);
  EnumChildWindows(dialog, CollectButton, reinterpret_cast<LPARAM>(probe));
  HWND focus = GetFocus();
  if (focus == nullptr || !IsChild(dialog, focus)) focus = dialog;
  switch (probe->answer.kind) {
    case DialogAnswer::Button: {
      HWND button = FindWindowExW(dialog, nullptr, L"Button", Wide(probe->answer.label).c_str());
      if (button != nullptr) PostMessageW(button, BM_CLICK, 0, 0);
      break;
    }
    case DialogAnswer::Enter:
      PostMessageW(focus, WM_KEYDOWN, VK_RETURN, 1);
      PostMessageW(focus, WM_KEYUP, VK_RETURN, 1 | (LPARAM(3) << 30));
      break;
    case DialogAnswer::Escape:
      PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 1);
      PostMessageW(focus, WM_KEYUP, VK_ESCAPE, 1 | (LPARAM(3) << 30));
      break;
    case DialogAnswer::CloseBox: PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); break;
  }
  return true;
}

// ---- the popup menu ---------------------------------------------------------

struct MenuProbe {
  std::string choice;  // empty: close without a choice
  MenuSeen seen;
  bool found = false;
};

bool InspectAndChooseFromMenu(void* context) {
  auto* probe = static_cast<MenuProbe*>(context);
  HWND menuWindow = FindWindowW(L"#32768", nullptr);
  if (menuWindow == nullptr || !IsWindowVisible(menuWindow)) return false;
  probe->found = true;
  auto menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
  int downs = 0;  // the first Down selects the first item
  bool chosen = false;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    if ((info.fType & MFT_SEPARATOR) != 0) {
      probe->seen.captions.push_back("-");
      probe->seen.checks.push_back(false);
      continue;
    }
    wchar_t text[128] = {};
    GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
    std::string caption = WithoutMnemonics(Narrow(text));
    caption = caption.substr(0, caption.find('\t'));  // without its shortcut
    probe->seen.captions.push_back(caption);
    probe->seen.checks.push_back((info.fState & MFS_CHECKED) != 0);
    if (!chosen) ++downs;
    if (caption == probe->choice) chosen = true;
  }
  // Keys go to the window that has the focus; the menu's loop takes them.
  HWND focus = GetFocus() != nullptr ? GetFocus() : menuWindow;
  if (!chosen) {
    PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 1);
    return true;
  }
  for (int i = 0; i < downs; ++i) PostMessageW(focus, WM_KEYDOWN, VK_DOWN, 1);
  PostMessageW(focus, WM_KEYDOWN, VK_RETURN, 1);
  return true;
}

// ---- the environment --------------------------------------------------------

class Win32ToolkitEnvironment : public ToolkitEnvironment {
 public:
  Win32ToolkitEnvironment() {
    DropQuitRequests();
    InstallToolkit(&tk_);
  }
  ~Win32ToolkitEnvironment() override {
    tk_.ProcessPendingMessages();
    InstallToolkit(nullptr);
    DropQuitRequests();
  }

  Toolkit& Kit() override { return tk_; }
  void Settle() override { tk_.ProcessPendingMessages(); }

  void ClickMinimizeBox(Form& form) override { SystemCommand(form, SC_MINIMIZE); }
  void ClickMaximizeBox(Form& form) override { SystemCommand(form, SC_MAXIMIZE); }
  void ClickRestore(Form& form) override { SystemCommand(form, SC_RESTORE); }
  void ClickCloseBox(Form& form) override { SystemCommand(form, SC_CLOSE); }
  void ClickCheckBox(CheckBox& box) override {
    SendMessageW(Hwnd(box), BM_CLICK, 0, 0);
    Settle();
  }
  void ClickButton(Button& button) override {
    SendMessageW(Hwnd(button), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(Hwnd(button), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Settle();
  }
  // Posted to the focused window and taken by the toolkit's dispatch step;
  // Shift and Ctrl are held in the thread's keyboard state meanwhile.
  void PressKey(Form& form, uint16_t key, ShiftState shift) override {
    HWND target = GetFocus();
    if (target == nullptr || (target != Hwnd(form) && !IsChild(Hwnd(form), target))) {
      target = Hwnd(form);
    }
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    BYTE held[256];
    std::copy(keys, keys + 256, held);
    if ((shift & ShiftState::Shift) != ShiftState::None) held[VK_SHIFT] = 0x80;
    if ((shift & ShiftState::Ctrl) != ShiftState::None) held[VK_CONTROL] = 0x80;
    SetKeyboardState(held);
    const bool alt = (shift & ShiftState::Alt) != ShiftState::None;
    const LPARAM altBit = alt ? (LPARAM(1) << 29) : 0;
    PostMessageW(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, 1 | altBit);
    PostMessageW(target, alt ? WM_SYSKEYUP : WM_KEYUP, key, 1 | altBit | (LPARAM(3) << 30));
    Settle();
    SetKeyboardState(keys);
  }

  bool OnTaskbar(Form& form) override {
    HWND hwnd = Hwnd(form);
    return hwnd != nullptr && IsWindowVisible(hwnd) &&
           (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) == 0 &&
           GetWindow(hwnd, GW_OWNER) == nullptr;
  }
  bool Active(Form& form) override { return GetActiveWindow() == Hwnd(form); }

  DialogSeen AnswerDialog(const std::function<void()>& show, const DialogAnswer& answer) override {
    DialogProbe probe;
    probe.answer = answer;
    {
      test::TimerProbe timer(&InspectAndAnswerDialog, &probe, 30);
      show();
    }
    EXPECT_TRUE(probe.found) << "no message dialog showed";
    Settle();
    return probe.seen;
  }

  MenuSeen ChooseFromMenu(PopupMenu& menu, const std::string& caption) override {
    MenuProbe probe;
    probe.choice = caption;
    {
      test::TimerProbe timer(&InspectAndChooseFromMenu, &probe, 30);
      menu.Popup(100, 100);
    }
    EXPECT_TRUE(probe.found) << "no menu showed";
    Settle();
    return probe.seen;
  }

 private:
  // The system command a click on a caption box or the taskbar button
  // sends; the window has changed when it returns. (No further messages are
  // let through: under Xvfb no window manager keeps a window maximised once
  // they arrive.)
  void SystemCommand(Form& form, WPARAM command) {
    SendMessageW(Hwnd(form), WM_SYSCOMMAND, command, 0);
  }

  Win32Toolkit tk_{GetModuleHandleW(nullptr)};
};

}  // namespace

std::unique_ptr<ToolkitEnvironment> MakeToolkitEnvironment() {
  return std::make_unique<Win32ToolkitEnvironment>();
}

}  // namespace plovik::contract
