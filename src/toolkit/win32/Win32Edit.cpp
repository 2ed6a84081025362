// The one-line edit.
#include "lib/Utf.h"
#include "lib/Wide.h"
#include "toolkit/win32/Win32Toolkit.h"
#include "toolkit/win32/TextIndex.h"

namespace plovik {

Win32Edit::Win32Edit(Win32Toolkit& toolkit, Container& parent) : Win32Control<Edit>(toolkit) {
  CreateControl(L"EDIT", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
                HandleOf(parent));
}

void Win32Edit::SetText(const std::string& text) {
  if (Hwnd() == nullptr || text == Text()) return;
  {
    ++selfChanges_;
    Ref().SetText(Wide(text));
    --selfChanges_;
  }
  FireNotify(onChange_, *this);
}

void Win32Edit::SetSelStart(int index) {
  const WPARAM unit = UnitIndex(Ref().Text(), index);
  Ref().Send(EM_SETSEL, unit, static_cast<LPARAM>(unit));
}

int Win32Edit::SelStart() const {
  DWORD start = 0;
  Ref().Send(EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  return CharIndex(Ref().Text(), start);
}

void Win32Edit::SelectAll() { Ref().Send(EM_SETSEL, 0, -1); }

void Win32Edit::OnCommand(WORD notification) {
  if (notification == EN_CHANGE && selfChanges_ == 0) FireNotify(onChange_, *this);
}

}  // namespace plovik
