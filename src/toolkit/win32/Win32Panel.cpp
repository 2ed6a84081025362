// The panel: a child window of our class that holds controls and shows its
// caption in the middle.
#include "lib/Wide.h"
#include "toolkit/win32/Win32Toolkit.h"

namespace plovik {

Win32Panel::Win32Panel(Win32Toolkit& toolkit, Container& parent) : Win32Container<Panel>(toolkit) {
  CreateOwnWindow(Win32Toolkit::PanelClassName, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                  WS_EX_CONTROLPARENT | WS_EX_STATICEDGE, HandleOf(parent));
}

// The caption is the window's text too, so that accessibility tools (and
// the tests) can read it.
void Win32Panel::SetCaption(const std::string& caption) {
  caption_ = caption;
  if (Hwnd() == nullptr) return;
  SetWindowTextW(Hwnd(), Wide(caption).c_str());
  InvalidateRect(Hwnd(), nullptr, TRUE);
}

void Win32Panel::Paint() {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(Hwnd(), &paint);
  if (dc == nullptr) return;
  RECT client{};
  GetClientRect(Hwnd(), &client);
  const std::wstring caption = Wide(caption_);
  const SelectedObject font(dc, CurrentFont());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(IsWindowEnabled(Hwnd()) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &client,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  EndPaint(Hwnd(), &paint);
}

LRESULT Win32Panel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (RouteChildMessage(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_SIZE:
      // The caption stays in the middle.
      InvalidateRect(Hwnd(), nullptr, TRUE);
      return 0;
    case WM_SETFONT:
      InvalidateRect(Hwnd(), nullptr, TRUE);
      return 0;
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_DRAWITEM:
    case DM_GETDEFID:
      // Not one of ours: the form decides.
      if (HWND parent = GetParent(Hwnd())) return SendMessageW(parent, message, wParam, lParam);
      break;
    default:
      break;
  }
  return CallPrevious(message, wParam, lParam);
}

}  // namespace plovik
