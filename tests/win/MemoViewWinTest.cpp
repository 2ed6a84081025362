// The memo's view on real windows with a protocol of 100,000 lines: select
// all and copy through the system's clipboard, a selection by keys and by
// the mouse, an edit by keystrokes, and the program's save holding it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/Protocol.h"
#include "core/RunRecords.h"
#include "lib/Wide.h"
#include "platform/win32/Win32Platform.h"
#include "toolkit/win32/Win32Toolkit.h"
#include "ui/ProtocolFile.h"
#include "win/ToolkitWinFixture.h"
#include "win/support/WinTestFiles.h"

namespace plovik::test {
namespace {

constexpr int ProtocolLines = 100000;

std::string LineOf(int i) {
  char text[128];
  std::snprintf(
      text, sizeof text,
      "COPY   C:\\Data\\Projects\\Archive\\2024\\Quarter%d\\Documents\\Letters\\file%06d.docx",
      i % 4 + 1, i);
  return text;
}

std::string Joined(int first, int count) {
  std::string text;
  for (int i = first; i < first + count; ++i) text += (i > first ? "\r\n" : "") + LineOf(i);
  return text;
}

std::optional<std::string> ClipboardText() {
  std::optional<std::string> text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = Narrow(units, wcslen(units));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

class MemoViewWinTest : public ToolkitWinFixture {
 protected:
  void SetUp() override {
    ToolkitWinFixture::SetUp();
    InstallPlatform(&platform);
    // Wide enough that no protocol line wraps.
    form->SetBounds(40, 40, 900, 400);
    memo = tk.CreateMemo(*form);
    memo->SetBounds(8, 8, 860, 300);
    ProtocolControls controls;
    controls.MemoProtocol = memo.get();
    BindProtocol(controls);
    ProtocolText().SetCapacity(TextLines::DefaultCapacity);
    ProtocolClear();
    for (int i = 0; i < ProtocolLines; ++i) ProtocolAdd(LineOf(i));
    tk.ProcessPendingMessages();
  }
  void TearDown() override {
    BindProtocol(ProtocolControls{});
    memo.reset();
    ProtocolText().Clear();
    InstallPlatform(nullptr);
    ToolkitWinFixture::TearDown();
  }

  HWND MemoWindow() const { return HandleOf(*memo); }

  // A key with Shift and Ctrl as the thread's keyboard state says, posted
  // to the focused memo and taken by the toolkit's dispatch step (which
  // makes the typed characters of a letter key).
  void Press(UINT key, ShiftState shift = ShiftState::None) {
    BYTE saved[256], state[256];
    GetKeyboardState(saved);
    std::memcpy(state, saved, sizeof state);
    state[VK_SHIFT] = Has(shift, ShiftState::Shift) ? 0x80 : 0;
    state[VK_CONTROL] = Has(shift, ShiftState::Ctrl) ? 0x80 : 0;
    SetKeyboardState(state);
    PostMessageW(MemoWindow(), WM_KEYDOWN, key, 1);
    PostMessageW(MemoWindow(), WM_KEYUP, key, 1 | (LPARAM(3) << 30));
    tk.ProcessPendingMessages();
    SetKeyboardState(saved);
  }

  // A click of the left button at a row of the view, at a pixel position.
  void Click(int row, int x, WPARAM keys = 0) {
    TEXTMETRICW metrics{};
    const HDC dc = GetDC(MemoWindow());
    const HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(MemoWindow(), WM_GETFONT, 0, 0)));
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(MemoWindow(), dc);
    const LPARAM at = MAKELPARAM(x, row * metrics.tmHeight + metrics.tmHeight / 2);
    PostMessageW(MemoWindow(), WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
    PostMessageW(MemoWindow(), WM_LBUTTONUP, keys, at);
    tk.ProcessPendingMessages();
  }

  Win32Platform platform;
  std::unique_ptr<Memo> memo;
};

TEST_F(MemoViewWinTest, SelectAllAndCopyPutTheWholeProtocolOnTheClipboard) {
  ASSERT_EQ(memo->Count(), ProtocolLines);
  EXPECT_TRUE(memo->FollowsEnd());
  memo->SetFocus();
  Press('A', ShiftState::Ctrl);
  Press('C', ShiftState::Ctrl);
  const std::optional<std::string> copied = ClipboardText();
  ASSERT_TRUE(copied.has_value());
  const std::string expected = Joined(0, ProtocolLines);
  EXPECT_EQ(copied->size(), expected.size());
  EXPECT_TRUE(*copied == expected);
  // Selecting changed nothing of the lines, and the view still shows the end.
  EXPECT_EQ(memo->Count(), ProtocolLines);
  EXPECT_TRUE(memo->FollowsEnd());
}

TEST_F(MemoViewWinTest, KeysSelectAndEditAndTheProgramsSaveHoldsTheEdit) {
  memo->SetFocus();
  Press(VK_HOME, ShiftState::Ctrl);
  EXPECT_FALSE(memo->FollowsEnd());
  EXPECT_EQ(memo->TopRow(), TextRow{});
  Press(VK_DOWN, ShiftState::Shift);
  Press(VK_DOWN, ShiftState::Shift);
  Press(VK_END, ShiftState::Shift);
  Press('C', ShiftState::Ctrl);
  EXPECT_EQ(ClipboardText(), Joined(0, 3));

  // Keystrokes: the selection goes, two letters and a line break come.
  Press('O');
  Press('K');
  Press(VK_RETURN);
  Press(VK_BACK);
  Press(VK_RETURN);
  EXPECT_EQ(memo->Count(), ProtocolLines - 1);
  EXPECT_EQ(memo->Line(0), "ok");
  EXPECT_EQ(memo->Line(1), "");
  EXPECT_EQ(memo->Line(2), LineOf(3));

  const std::string folder = FreshTempDir("memo-save");
  ASSERT_FALSE(folder.empty());
  RunOptions.DstPath = folder;
  SaveProtocol(SaveMode::Automatic);
  const std::string saved = ReadWholeFile(folder + "\\PLOVIK-LOG.TXT");
  std::string expected = "ok\r\n\r\n";
  for (int i = 3; i < ProtocolLines; ++i) expected += LineOf(i) + "\r\n";
  EXPECT_EQ(saved.size(), expected.size());
  EXPECT_TRUE(saved == expected);
  RunOptions.DstPath.clear();
  RemoveTree(folder);
}

TEST_F(MemoViewWinTest, TheMouseSelectsRowsAndTheWheelLeavesTheEnd) {
  const int top = memo->TopRow().line;
  Click(0, 0);
  EXPECT_TRUE(memo->Focused());
  EXPECT_EQ(memo->SelCaret(), (TextPlace{top, 0}));
  // With Shift, far right of the third row: the selection reaches its end.
  Click(2, 2000, MK_SHIFT);
  EXPECT_EQ(memo->SelText(), Joined(top, 3));
  EXPECT_TRUE(memo->FollowsEnd());

  PostMessageW(MemoWindow(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  tk.ProcessPendingMessages();
  EXPECT_FALSE(memo->FollowsEnd());
  const TextRow reading = memo->TopRow();
  EXPECT_LT(reading.line, top);
  ProtocolAdd("one more line");
  EXPECT_EQ(memo->TopRow(), reading);
  // The scroll bar's end brings the view back to the newest line.
  SendMessageW(MemoWindow(), WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_TRUE(memo->FollowsEnd());
  EXPECT_EQ(memo->TopRow().line, top + 1);
  SCROLLINFO bar{};
  bar.cbSize = sizeof bar;
  bar.fMask = SIF_POS | SIF_RANGE;
  ASSERT_TRUE(GetScrollInfo(MemoWindow(), SB_VERT, &bar));
  EXPECT_EQ(bar.nMax, ProtocolLines);
  EXPECT_EQ(bar.nPos, top + 1);
}

// Lines that come as a run writes them: the screen follows a few times a
// second and draws the scroll bar less often; once the lines stop, the
// scroll bar is drawn with the last figures without any further line.
TEST_F(MemoViewWinTest, AStreamThatStopsLeavesTheScrollBarDrawnAtItsEnd) {
  auto& view = static_cast<Win32Memo&>(*memo);
  int added = 0;
  for (const uint64_t start = GetTickCount64(); GetTickCount64() - start < 700;) {
    ProtocolAdd(LineOf(ProtocolLines + added++));
    Sleep(1);
  }
  const uint64_t stopped = GetTickCount64();
  while (view.UpdatePending() && GetTickCount64() - stopped < 3000) {
    tk.ProcessPendingMessages();
    Sleep(20);
  }
  EXPECT_FALSE(view.UpdatePending());
  SCROLLINFO bar{};
  bar.cbSize = sizeof bar;
  bar.fMask = SIF_POS | SIF_RANGE;
  ASSERT_TRUE(GetScrollInfo(MemoWindow(), SB_VERT, &bar));
  EXPECT_EQ(bar.nMax, ProtocolLines + added - 1);
  EXPECT_EQ(bar.nPos, memo->TopRow().line);
  EXPECT_TRUE(memo->FollowsEnd());
}

}  // namespace
}  // namespace plovik::test
