// The label: a STATIC control that sizes itself to its caption and reports
// clicks (SS_NOTIFY).
#include "lib/Wide.h"
#include "toolkit/win32/Win32Toolkit.h"

namespace plovik {

Win32Label::Win32Label(Win32Toolkit& toolkit, Container& parent) : Win32Control<Label>(toolkit) {
  CreateControl(L"STATIC", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOTIFY, 0, HandleOf(parent));
  AutoSize();
}

void Win32Label::SetBounds(int left, int top, int, int) {
  // The size follows the caption; only the position is the caller's.
  if (Hwnd() == nullptr) return;
  SetWindowPos(Hwnd(), nullptr, left, top, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
}

void Win32Label::SetFont(const Font& font) {
  SetFontImpl(font);
  AutoSize();
  Repaint();
}

// The label takes its new size before it shows the new text, and is then
// painted anew over its whole width: the system paints a changed text at
// once within the old width, and a label that grew kept a gap where its
// old text had been ("Ignore    es" after a switch from "Ignorieren").
void Win32Label::SetCaption(const std::string& caption) {
  caption_ = caption;
  AutoSize();
  Ref().SetText(DisplayText(Wide(caption)));
  Repaint();
}

void Win32Label::Repaint() {
  if (Hwnd() != nullptr) InvalidateRect(Hwnd(), nullptr, TRUE);
}

void Win32Label::OnCommand(WORD notification) {
  if (notification == STN_CLICKED) FireNotify(onClick_, *this);
}

void Win32Label::AutoSize() {
  if (Hwnd() == nullptr) return;
  // The text as the control shows it: "&x" underlines x, "&&" is one "&".
  const std::wstring shown = DisplayText(Wide(WithoutMnemonics(caption_)));
  const WindowDc dc(Hwnd());
  if (!dc) return;
  const SelectedObject font(dc.Get(), CurrentFont());
  RECT extent{0, 0, 0, 0};
  if (!shown.empty()) {
    DrawTextW(dc.Get(), shown.c_str(), static_cast<int>(shown.size()), &extent,
              DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
  }
  if (shown.empty()) {
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.Get(), &metrics);
    extent.bottom = metrics.tmHeight;
  }
  SetWindowPos(Hwnd(), nullptr, 0, 0, extent.right - extent.left, extent.bottom - extent.top,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

}  // namespace plovik
