// The message loops: the application's (Run), the processing of pending
// messages inside long activities (ProcessMessages) and the modal loops of
// the dialogs. All of them dispatch through one step, so that keys behave
// the same wherever the program waits.
#include <algorithm>

#include "toolkit/win32/Win32Toolkit.h"

namespace plovik {

namespace {

// Bit 29 of a key message's lParam: Alt was held (the context code).
constexpr LPARAM AltHeldBit = LPARAM(1) << 29;

HWND RootOf(HWND hwnd) { return hwnd != nullptr ? GetAncestor(hwnd, GA_ROOT) : nullptr; }

bool IsKeyDown(const MSG& message) {
  return message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
}

ShiftState KeyShiftState(const MSG& message) {
  ShiftState shift = CurrentShiftState();
  if (message.message == WM_SYSKEYDOWN && (message.lParam & AltHeldBit) != 0) {
    shift |= ShiftState::Alt;
  }
  return shift;
}

}  // namespace

void Win32Toolkit::DispatchStep(MSG& message) {
  const HWND root = RootOf(message.hwnd);
  if (IsKeyDown(message)) {
    auto* form = dynamic_cast<Win32Form*>(Win32Window::FromHandle(root));
    if (form != nullptr && IsWindowEnabled(root) &&
        form->PreviewKey(message.hwnd, static_cast<uint16_t>(message.wParam),
                         KeyShiftState(message))) {
      return;
    }
  }
  // Tab, Enter and Escape in our forms and dialogs: the window's controls
  // take part in the dialog manager's navigation.
  if (root != nullptr && IsWindow(root) &&
      (GetWindowLongPtrW(root, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) != 0 &&
      IsDialogMessageW(root, &message)) {
    return;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

void Win32Toolkit::ProcessMessages() {
  // Looking at the queue is a round trip to the window system (60 to 100
  // microseconds under Wine), more than a protocol line costs otherwise. A
  // stream of calls therefore looks at it every PeekInterval; the user does
  // not notice a delay of that size.
  const auto now = std::chrono::steady_clock::now();
  if (now - lastPeek_ >= PeekInterval) {
    ProcessPendingMessages();
    lastPeek_ = std::chrono::steady_clock::now();
  }
  FlushMemos();
}

void Win32Toolkit::ProcessPendingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Not ours to end: the message loop that waits for it gets it again.
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    DispatchStep(message);
  }
}

bool Win32Toolkit::RunModalLoop(const std::function<bool()>& done) {
  MSG message;
  while (!done()) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    if (got < 0) return false;
    DispatchStep(message);
  }
  return true;
}

int Win32Toolkit::Run() {
  MSG message;
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      terminated_ = true;
      return static_cast<int>(message.wParam);
    }
    if (got < 0) return 1;
    DispatchStep(message);
    FlushMemos();
  }
}

void Win32Toolkit::Terminate(int exitCode) {
  if (terminated_) return;
  terminated_ = true;
  PostQuitMessage(exitCode);
}

void Win32Toolkit::FlushMemos() {
  if (memos_.empty()) return;
  const uint64_t now = GetTickCount64();
  // A copy: an update runs no handler, but a memo may go while we loop.
  const std::vector<Win32Memo*> memos = memos_;
  for (Win32Memo* memo : memos) {
    if (std::find(memos_.begin(), memos_.end(), memo) != memos_.end()) memo->FlushIfDue(now);
  }
}

}  // namespace plovik
