#include <cstdlib>

#include "lib/Utf.h"
#include "toolkit/win32/Win32Toolkit.h"

namespace plovik {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

std::wstring WideText(const std::string& text) {
  const std::u16string wide = Utf8ToUtf16(text);
  return std::wstring(wide.begin(), wide.end());
}

std::string NarrowText(const std::wstring& text) {
  return Utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

namespace {

std::wstring WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  if (length <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

// The Font a window font shows: its face name and character height.
Font DescribeFont(HFONT font) {
  Font result;
  LOGFONTW logFont{};
  if (font == nullptr || GetObjectW(font, sizeof(logFont), &logFont) == 0) return result;
  result.name = NarrowText(logFont.lfFaceName);
  result.bold = logFont.lfWeight >= FW_BOLD;
  result.italic = logFont.lfItalic != 0;
  if (logFont.lfHeight < 0) {
    result.height = -logFont.lfHeight;
  } else {
    // A cell height: measure the character height without the leading.
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    if (GetTextMetricsW(dc, &metrics)) result.height = metrics.tmHeight - metrics.tmInternalLeading;
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
  }
  return result;
}

}  // namespace

Win32Window::~Win32Window() {
  if (hwnd_ == nullptr) return;
  // The window outlives nothing of ours: detach first so that the messages
  // of its destruction do not reach an object that is half gone.
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  if (previous_ != nullptr) {
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
  }
  DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

Win32Window* Win32Window::FromHandle(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  if (GetWindowLongPtrW(hwnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&WindowProc)) {
    return nullptr;
  }
  return reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

bool Win32Window::CreateControl(const wchar_t* className, DWORD style, DWORD exStyle,
                                HWND parent) {
  hwnd_ = CreateWindowExW(exStyle, className, L"", style, 0, 0, 0, 0, parent, nullptr,
                          toolkit_.Instance(), nullptr);
  if (hwnd_ == nullptr) return false;
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  previous_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc)));
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(toolkit_.DialogFont()), FALSE);
  return true;
}

bool Win32Window::CreateOwnWindow(const wchar_t* className, DWORD style, DWORD exStyle,
                                  HWND parent) {
  // WM_NCCREATE attaches the window to this object (see WindowProc).
  HWND hwnd = CreateWindowExW(exStyle, className, L"", style, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr, toolkit_.Instance(),
                              this);
  if (hwnd == nullptr) hwnd_ = nullptr;
  return hwnd_ != nullptr;
}

LRESULT CALLBACK Win32Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
  auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr && message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    self = static_cast<Win32Window*>(create->lpCreateParams);
    if (self != nullptr) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      self->hwnd_ = hwnd;
    }
  }
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  return self->Dispatch(hwnd, message, wParam, lParam);
}

LRESULT Win32Window::Dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCDESTROY) {
    // The system destroys the window (with its parent, or the user closed
    // it): the object stays and answers with neutral values from now on.
    const LRESULT result = CallPrevious(message, wParam, lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (previous_ != nullptr) {
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    }
    hwnd_ = nullptr;
    try {
      OnDestroyed();
    } catch (...) {
    }
    return result;
  }
  // No exception may leave a window procedure: the system's code between
  // here and the message loop cannot pass it on.
  try {
    return HandleMessage(message, wParam, lParam);
  } catch (...) {
    return hwnd_ != nullptr ? CallPrevious(message, wParam, lParam) : 0;
  }
}

LRESULT Win32Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return CallPrevious(message, wParam, lParam);
}

LRESULT Win32Window::CallPrevious(UINT message, WPARAM wParam, LPARAM lParam) {
  if (previous_ != nullptr) return CallWindowProcW(previous_, hwnd_, message, wParam, lParam);
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void Win32Window::SetBoundsImpl(int left, int top, int width, int height) {
  if (hwnd_ == nullptr) return;
  SetWindowPos(hwnd_, nullptr, left, top, width < 0 ? 0 : width, height < 0 ? 0 : height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT Win32Window::BoundsImpl() const {
  RECT bounds{};
  if (hwnd_ == nullptr || !GetWindowRect(hwnd_, &bounds)) return bounds;
  if ((GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD) != 0) {
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT*>(&bounds), 2);
  }
  return bounds;
}

void Win32Window::SetVisibleImpl(bool visible) {
  if (hwnd_ == nullptr || VisibleImpl() == visible) return;
  ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}

bool Win32Window::VisibleImpl() const {
  return hwnd_ != nullptr && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32Window::SetEnabledImpl(bool enabled) {
  // Buttons follow the protocol after every line: skip what changes nothing.
  if (hwnd_ == nullptr || EnabledImpl() == enabled) return;
  EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

bool Win32Window::EnabledImpl() const { return hwnd_ != nullptr && IsWindowEnabled(hwnd_); }

void Win32Window::SetFontImpl(const Font& font) {
  if (hwnd_ == nullptr) return;
  const std::wstring face = WideText(font.name);
  HFONT created = CreateFontW(-std::abs(font.height), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL,
                              font.italic ? TRUE : FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                              DEFAULT_PITCH | FF_DONTCARE, face.c_str());
  if (created == nullptr) return;
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(created), TRUE);
  // The control no longer uses the old font: it can go now.
  font_.Reset(created);
  fontSpec_ = font;
}

Font Win32Window::FontImpl() const {
  if (font_) return fontSpec_;
  return DescribeFont(toolkit_.DialogFont());
}

HFONT Win32Window::CurrentFont() const { return font_ ? font_.Get() : toolkit_.DialogFont(); }

void Win32Window::SetTextImpl(const std::string& text) {
  if (hwnd_ != nullptr) SetWindowTextW(hwnd_, WideText(text).c_str());
}

std::string Win32Window::TextImpl() const {
  return hwnd_ != nullptr ? NarrowText(WindowText(hwnd_)) : std::string();
}

}  // namespace plovik
