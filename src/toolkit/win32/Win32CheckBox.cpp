// The check box (BS_CHECKBOX, checked by us): its click handler runs for a
// click and for every change of its state from code, as the program relies
// on.
#include "toolkit/win32/Win32Toolkit.h"

namespace plovik {

Win32CheckBox::Win32CheckBox(Win32Toolkit& toolkit, Container& parent)
    : Win32Control<CheckBox>(toolkit) {
  CreateControl(L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_CHECKBOX, 0, HandleOf(parent));
}

void Win32CheckBox::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  Ref().Send(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
  FireNotify(onClick_, *this);
}

void Win32CheckBox::OnCommand(WORD notification) {
  if (notification == BN_CLICKED) SetChecked(!checked_);
}

}  // namespace plovik
