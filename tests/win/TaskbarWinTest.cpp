// The progress on the taskbar button through the real system: the system
// takes it or, where it has no taskbar progress (older Windows, Wine
// without a shell), refuses it, and the program goes on either way.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "ToolkitWinFixture.h"

namespace plovik::test {
namespace {

using TaskbarWinTest = ToolkitWinFixture;

TEST_F(TaskbarWinTest, TheProgressIsTakenOrRefusedAndTheWindowGoesOn) {
  // No main form: no button to show it on.
  EXPECT_FALSE(tk.SetTaskbarProgress(TaskbarProgress::Indeterminate, 0, 0));
  tk.SetMainForm(form.get());
  const bool busy = tk.SetTaskbarProgress(TaskbarProgress::Indeterminate, 0, 0);
  std::printf("  the taskbar's progress: %s\n", busy ? "taken" : "refused (not available)");
  // Every state and value, even a total of nothing, gets the same answer.
  EXPECT_EQ(tk.SetTaskbarProgress(TaskbarProgress::Normal, 42, 100), busy);
  EXPECT_EQ(tk.SetTaskbarProgress(TaskbarProgress::Normal, 200, 100), busy);
  EXPECT_EQ(tk.SetTaskbarProgress(TaskbarProgress::Paused, 0, 0), busy);
  EXPECT_EQ(tk.SetTaskbarProgress(TaskbarProgress::Error, 5, 10), busy);
  EXPECT_EQ(tk.SetTaskbarProgress(TaskbarProgress::None, 0, 0), busy);
  form->SetCaption("After the taskbar");
  tk.ProcessPendingMessages();
  EXPECT_EQ(form->Caption(), "After the taskbar");
  EXPECT_TRUE(IsWindow(reinterpret_cast<HWND>(form->Handle())));
  tk.SetMainForm(nullptr);
}

}  // namespace
}  // namespace plovik::test
