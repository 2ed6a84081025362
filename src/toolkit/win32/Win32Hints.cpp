// Hints: one multi-line tooltip control shows the hint of every control
// (Win32Window::SetHintImpl adds the controls as its tools), with the
// delays the program sets.

#include "toolkit/win32/Win32Toolkit.h"

namespace plovik {

namespace {
// Wide enough for a hint line of about sixty characters; longer lines wrap.
constexpr int HintMaxWidth = 400;

void ApplyDelay(HWND tooltip, WPARAM which, int milliseconds) {
  if (milliseconds >= 0) SendMessageW(tooltip, TTM_SETDELAYTIME, which, MAKELPARAM(milliseconds, 0));
}
}  // namespace

HWND Win32Toolkit::Tooltip() {
  if (tooltip_) return tooltip_.Get();
  tooltip_.Reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                 instance_, nullptr));
  if (!tooltip_) return nullptr;
  // A maximum width makes the tooltip show several lines ("\r\n").
  tooltip_.Ref().Send(TTM_SETMAXTIPWIDTH, 0, HintMaxWidth);
  tooltip_.Ref().SetFont(dialogFont_);
  SetHintTimes(hintPauseMs_, hintHideMs_, hintShortPauseMs_);
  return tooltip_.Get();
}

void Win32Toolkit::SetHintTimes(int pauseMs, int hideMs, int shortPauseMs) {
  hintPauseMs_ = pauseMs;
  hintHideMs_ = hideMs;
  hintShortPauseMs_ = shortPauseMs;
  if (!tooltip_) return;
  ApplyDelay(tooltip_.Get(), TTDT_INITIAL, pauseMs);
  ApplyDelay(tooltip_.Get(), TTDT_AUTOPOP, hideMs);
  ApplyDelay(tooltip_.Get(), TTDT_RESHOW, shortPauseMs);
}

}  // namespace plovik
