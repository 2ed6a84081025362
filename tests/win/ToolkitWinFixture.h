// A toolkit with a shown form for the Wine tests of the Win32 toolkit, and
// the user's keys as the system delivers them: posted to the focused
// window and taken by the toolkit's dispatch step.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "toolkit/win32/Win32Toolkit.h"

namespace plovik::test {

class ToolkitWinFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    DropQuitRequests();
    InstallToolkit(&tk);
    form = tk.CreateForm();
    form->SetCaption("Plovik test");
    form->SetBounds(40, 40, 480, 320);
    form->SetVisible(true);
    form->SetFocus();
    tk.ProcessPendingMessages();
  }
  void TearDown() override { DropQuitRequests(); }

  // A quit request an earlier test caused (freeing its main form) must not
  // end this test's loops.
  static void DropQuitRequests() {
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }

  // A key pressed while `target` has the focus; Alt held for a system key.
  void PressKey(HWND target, WPARAM key, bool alt = false) {
    const UINT down = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    const LPARAM altBit = alt ? (LPARAM(1) << 29) : 0;
    PostMessageW(target, down, key, 1 | altBit);
    PostMessageW(target, alt ? WM_SYSKEYUP : WM_KEYUP, key, 1 | altBit | (LPARAM(3) << 30));
    tk.ProcessPendingMessages();
  }

  Win32Toolkit tk{GetModuleHandleW(nullptr)};
  std::unique_ptr<Form> form;
};

// Calls `step` from a timer while a modal loop runs (a dialog, a menu), at
// most `limit` times; the step returns true when it is done.
class TimerProbe {
 public:
  using Step = bool (*)(void* context);
  TimerProbe(Step step, void* context, UINT intervalMs = 50);
  TimerProbe(const TimerProbe&) = delete;
  TimerProbe& operator=(const TimerProbe&) = delete;
  ~TimerProbe();
  int Calls() const { return calls_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD);
  Step step_;
  void* context_;
  UINT_PTR timer_ = 0;
  int calls_ = 0;
  bool done_ = false;
};

}  // namespace plovik::test
