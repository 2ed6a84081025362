// The memo contract over the Win32 toolkit: a shown form on real windows,
// the user's input posted to the memo's window as the system delivers it
// (Shift and Ctrl in the thread's keyboard state) and taken by the
// toolkit's dispatch step, and the system's clipboard.
#include <windows.h>

#include <cstring>

#include "contract/MemoContract.h"
#include "lib/Wide.h"
#include "toolkit/win32/Win32Toolkit.h"

namespace plovik::contract {

namespace {

class Win32MemoEnvironment : public MemoEnvironment {
 public:
  Win32MemoEnvironment() {
    // A quit request an earlier test caused must not end this test's loops.
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    InstallToolkit(&tk_);
    form_ = tk_.CreateForm();
    form_->SetBounds(40, 40, 640, 480);
    form_->SetVisible(true);
    form_->SetFocus();
    tk_.ProcessPendingMessages();
  }
  ~Win32MemoEnvironment() override {
    form_.reset();
    InstallToolkit(nullptr);
  }

  Toolkit& Kit() override { return tk_; }
  Form& Window() override { return *form_; }

  void PressKey(Memo& memo, uint16_t key, ShiftState shift) override {
    memo.SetFocus();
    BYTE saved[256], state[256];
    GetKeyboardState(saved);
    std::memcpy(state, saved, sizeof state);
    state[VK_SHIFT] = Has(shift, ShiftState::Shift) ? 0x80 : 0;
    state[VK_CONTROL] = Has(shift, ShiftState::Ctrl) ? 0x80 : 0;
    SetKeyboardState(state);
    PostMessageW(HandleOf(memo), WM_KEYDOWN, key, 1);
    PostMessageW(HandleOf(memo), WM_KEYUP, key, 1 | (LPARAM(3) << 30));
    tk_.ProcessPendingMessages();
    SetKeyboardState(saved);
  }

  void Type(Memo& memo, const std::string& text) override {
    memo.SetFocus();
    for (const wchar_t unit : Wide(text)) PostMessageW(HandleOf(memo), WM_CHAR, unit, 1);
    tk_.ProcessPendingMessages();
  }

  void Wheel(Memo& memo, int notches) override {
    POINT point{10, 10};
    ClientToScreen(HandleOf(memo), &point);
    PostMessageW(HandleOf(memo), WM_MOUSEWHEEL,
                 MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(notches * WHEEL_DELTA))),
                 MAKELPARAM(point.x, point.y));
    tk_.ProcessPendingMessages();
  }

  void ClickFirstRow(Memo& memo) override {
    PostMessageW(HandleOf(memo), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0, 2));
    PostMessageW(HandleOf(memo), WM_LBUTTONUP, 0, MAKELPARAM(0, 2));
    tk_.ProcessPendingMessages();
  }

  std::optional<std::string> Clipboard() override {
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

  void SetClipboard(const std::string& text) override {
    const std::wstring units = Wide(text);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (units.size() + 1) * sizeof(wchar_t));
    if (memory == nullptr) return;
    std::memcpy(GlobalLock(memory), units.c_str(), (units.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    if (!OpenClipboard(nullptr)) {
      GlobalFree(memory);
      return;
    }
    EmptyClipboard();
    if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
    CloseClipboard();
  }

 private:
  Win32Toolkit tk_{GetModuleHandleW(nullptr)};
  std::unique_ptr<Form> form_;
};

}  // namespace

std::unique_ptr<MemoEnvironment> MakeMemoEnvironment() {
  return std::make_unique<Win32MemoEnvironment>();
}

}  // namespace plovik::contract
