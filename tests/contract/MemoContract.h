// What the memo contract (MemoContract.cpp) needs around the memo it
// checks: a toolkit with a shown form, the user's keys, typing, wheel and
// click as each toolkit can deliver them, and the clipboard. The native
// test program gives it the headless toolkit, the Wine test program the
// Win32 toolkit on real windows; the same cases run over both.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "toolkit/Toolkit.h"

namespace plovik::contract {

class MemoEnvironment {
 public:
  virtual ~MemoEnvironment() = default;
  // The toolkit under test, installed as Tk() while the environment lives,
  // and a shown form to put memos on.
  virtual Toolkit& Kit() = 0;
  virtual Form& Window() = 0;
  // The user's actions on a memo: a key (with Shift, Ctrl) and typed text
  // while it has the focus, the wheel over it (notches towards the start of
  // the text for positive ones), and a click at the left end of its first
  // shown row. Each returns when the memo has taken it.
  virtual void PressKey(Memo& memo, uint16_t key, ShiftState shift = ShiftState::None) = 0;
  virtual void Type(Memo& memo, const std::string& text) = 0;
  virtual void Wheel(Memo& memo, int notches) = 0;
  virtual void ClickFirstRow(Memo& memo) = 0;
  // The clipboard's text (nullopt without one), and a text put there.
  virtual std::optional<std::string> Clipboard() = 0;
  virtual void SetClipboard(const std::string& text) = 0;
};

// Each test program provides its environment.
std::unique_ptr<MemoEnvironment> MakeMemoEnvironment();

}  // namespace plovik::contract
