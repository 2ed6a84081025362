#include "toolkit/win32/Win32Toolkit.h"

#include <algorithm>

#include "toolkit/win32/MessageDialogWindow.h"

namespace plovik {

namespace {

// Registers a window class; 0 when it fails or the class exists already
// (then it is not ours to unregister).
ATOM RegisterOwnClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  windowClass.lpszClassName = name;
  return RegisterClassExW(&windowClass);
}

}  // namespace

Win32Toolkit::Win32Toolkit(void* instance)
    : instance_(instance != nullptr ? static_cast<HINSTANCE>(instance) : GetModuleHandleW(nullptr)) {
  // The dialog font is the system's message font; the stock GUI font when
  // the metrics cannot be read.
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    ownDialogFont_.Reset(CreateFontIndirectW(&metrics.lfMessageFont));
  }
  dialogFont_ = ownDialogFont_ ? ownDialogFont_.Get()
                               : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  formClass_ = RegisterOwnClass(instance_, FormClassName, &Win32Window::WindowProc);
  dialogClass_ = RegisterOwnClass(instance_, DialogClassName, &MessageDialogProc);
}

Win32Toolkit::~Win32Toolkit() {
  if (formClass_ != 0) UnregisterClassW(FormClassName, instance_);
  if (dialogClass_ != 0) UnregisterClassW(DialogClassName, instance_);
}

void Win32Toolkit::ProcessMessages() {
  // Looking at the queue is a round trip to the window system (tens of
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
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void Win32Toolkit::FlushMemos() {
  const uint64_t now = GetTickCount64();
  // A copy: flushing runs no handler, but a memo may go while we loop.
  const std::vector<Win32Memo*> memos = memos_;
  for (Win32Memo* memo : memos) {
    if (std::find(memos_.begin(), memos_.end(), memo) != memos_.end()) memo->FlushIfDue(now);
  }
}

int Win32Toolkit::Run() {
  MSG message;
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got < 0) return 1;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

std::unique_ptr<Form> Win32Toolkit::CreateForm() { return std::make_unique<Win32Form>(*this); }

std::unique_ptr<Memo> Win32Toolkit::CreateMemo(Form& parent) {
  return std::make_unique<Win32Memo>(*this, parent);
}

std::unique_ptr<Button> Win32Toolkit::CreateButton(Form& parent) {
  return std::make_unique<Win32Button>(*this, parent);
}

std::unique_ptr<Label> Win32Toolkit::CreateLabel(Form& parent) {
  return std::make_unique<Win32Label>(*this, parent);
}

int Win32Toolkit::MessageDialog(const std::string& text, DialogType type, uint32_t buttons,
                                int /*helpContext*/) {
  return RunMessageDialog(*this, text, type, buttons);
}

void Win32Toolkit::SetScreenCursor(CursorKind cursor) {
  cursor_ = cursor;
  SetCursor(LoadCursorW(nullptr, cursor == CursorKind::Hourglass ? IDC_WAIT : IDC_ARROW));
}

void Win32Toolkit::AddMemo(Win32Memo* memo) { memos_.push_back(memo); }

void Win32Toolkit::RemoveMemo(Win32Memo* memo) {
  memos_.erase(std::remove(memos_.begin(), memos_.end(), memo), memos_.end());
}

}  // namespace plovik
