// Form, button and label on real windows.
#include "toolkit/win32/Win32Toolkit.h"

namespace plovik {

// ---- form -------------------------------------------------------------------

Win32Form::Win32Form(Win32Toolkit& toolkit) : Win32Control<Form>(toolkit) {
  // Created hidden, as every form: the program shows it when it is laid out.
  CreateOwnWindow(Win32Toolkit::FormClassName, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                  WS_EX_CONTROLPARENT, nullptr);
}

Win32Form::~Win32Form() {
  if (Hwnd() != nullptr && Hwnd() == Kit().MainForm()) Kit().SetMainForm(nullptr);
}

int Win32Form::ClientWidth() const {
  RECT client{};
  if (Hwnd() == nullptr || !GetClientRect(Hwnd(), &client)) return 0;
  return client.right - client.left;
}

int Win32Form::ClientHeight() const {
  RECT client{};
  if (Hwnd() == nullptr || !GetClientRect(Hwnd(), &client)) return 0;
  return client.bottom - client.top;
}

LRESULT Win32Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      // Notifications of the child controls go to their objects.
      if (lParam != 0) {
        if (Win32Window* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
          child->OnCommand(HIWORD(wParam));
          return 0;
        }
      }
      break;
    case WM_SIZE:
      if (onResize_) {
        const std::function<void()> handler = onResize_;
        handler();
      }
      return 0;
    case WM_SETCURSOR:
      // The busy cursor covers the form and its controls (they ask their
      // parent first).
      if (Kit().ScreenCursor() == CursorKind::Hourglass && LOWORD(lParam) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_DESTROY:
      if (Hwnd() == Kit().MainForm()) PostQuitMessage(0);
      break;
    default:
      break;
  }
  return CallPrevious(message, wParam, lParam);
}

// ---- button -----------------------------------------------------------------

Win32Button::Win32Button(Win32Toolkit& toolkit, Form& parent) : Win32Control<Button>(toolkit) {
  CreateControl(L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0,
                FormHandle(parent));
}

void Win32Button::Click() {
  if (!Enabled() || !onClick_) return;
  // A copy: the handler may replace itself while it runs.
  const std::function<void()> handler = onClick_;
  handler();
}

void Win32Button::OnCommand(WORD notification) {
  if (notification == BN_CLICKED) Click();
}

// ---- label ------------------------------------------------------------------

Win32Label::Win32Label(Win32Toolkit& toolkit, Form& parent) : Win32Control<Label>(toolkit) {
  CreateControl(L"STATIC", WS_CHILD | WS_VISIBLE | SS_LEFT, 0, FormHandle(parent));
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
}

void Win32Label::SetCaption(const std::string& caption) {
  caption_ = caption;
  SetTextImpl(caption);
  AutoSize();
}

void Win32Label::AutoSize() {
  if (Hwnd() == nullptr) return;
  // The text as the control shows it: "&x" underlines x, "&&" is one "&".
  const std::wstring caption = WideText(caption_);
  std::wstring shown;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == L'&' && i + 1 < caption.size()) ++i;
    shown += caption[i];
  }
  HDC dc = GetDC(Hwnd());
  if (dc == nullptr) return;
  HGDIOBJ old = SelectObject(dc, CurrentFont());
  SIZE size{};
  GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
  if (shown.empty()) {
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    size.cy = metrics.tmHeight;
  }
  SelectObject(dc, old);
  ReleaseDC(Hwnd(), dc);
  SetWindowPos(Hwnd(), nullptr, 0, 0, size.cx, size.cy,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

}  // namespace plovik
