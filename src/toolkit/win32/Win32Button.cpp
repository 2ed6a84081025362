// The push button: clicks, the default state that Enter presses, and the
// mouse-down event before the click.
#include "toolkit/win32/Win32Toolkit.h"

namespace plovik {

Win32Button::Win32Button(Win32Toolkit& toolkit, Container& parent) : Win32Control<Button>(toolkit) {
  CreateControl(L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, HandleOf(parent));
}

void Win32Button::SetDefault(bool isDefault) {
  default_ = isDefault;
  Ref().Send(BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void Win32Button::Click() {
  if (Enabled()) FireNotify(onClick_, *this);
}

void Win32Button::OnCommand(WORD notification) {
  if (notification == BN_CLICKED) Click();
}

LRESULT Win32Button::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  MouseButton button = MouseButton::Left;
  switch (message) {
    case WM_LBUTTONDOWN: button = MouseButton::Left; break;
    case WM_RBUTTONDOWN: button = MouseButton::Right; break;
    case WM_MBUTTONDOWN: button = MouseButton::Middle; break;
    default: return CallPrevious(message, wParam, lParam);
  }
  if (onMouseDown_) {
    ShiftState shift = ShiftState::None;
    if ((wParam & MK_SHIFT) != 0) shift |= ShiftState::Shift;
    if ((wParam & MK_CONTROL) != 0) shift |= ShiftState::Ctrl;
    if (GetKeyState(VK_MENU) < 0) shift |= ShiftState::Alt;
    MouseEvent event{*this, button, shift, static_cast<short>(LOWORD(lParam)),
                     static_cast<short>(HIWORD(lParam))};
    Fire(onMouseDown_, event);
    // A button that the handler disabled or hid is not pressed.
    if (Hwnd() == nullptr || !Enabled() || !Visible()) return 0;
  }
  return CallPrevious(message, wParam, lParam);
}

}  // namespace plovik
