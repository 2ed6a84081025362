// A window we do not own: a child control of a dialog, a window of the
// system's dialogs, the edit part of a drop-down box. The wrapper never
// destroys the window; it only names the calls the toolkit makes on it.
#pragma once

#include <windows.h>

#include <string>

namespace plovik {

class WindowRef {
 public:
  WindowRef() = default;
  explicit WindowRef(HWND hwnd) : hwnd_(hwnd) {}

  HWND Get() const { return hwnd_; }
  bool Exists() const { return hwnd_ != nullptr && IsWindow(hwnd_); }

  std::wstring Text() const {
    if (hwnd_ == nullptr) return std::wstring();
    const int length = GetWindowTextLengthW(hwnd_);
    if (length <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(hwnd_, text.data(), length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
  }
  void SetText(const std::wstring& text) const {
    if (hwnd_ != nullptr) SetWindowTextW(hwnd_, text.c_str());
  }
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return hwnd_ != nullptr ? SendMessageW(hwnd_, message, wParam, lParam) : 0;
  }
  // Places the window in its parent's client area (or on the screen).
  void Place(int left, int top, int width, int height) const {
    if (hwnd_ != nullptr) {
      SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  void SetFont(HFONT font) const { Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }
  // Turns extended style bits on or off and lets the frame follow.
  void SetExStyle(DWORD bits, bool on) const {
    if (hwnd_ == nullptr) return;
    const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
    const LONG_PTR changed = on ? (style | bits) : (style & ~static_cast<LONG_PTR>(bits));
    if (changed == style) return;
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, changed);
    SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }

 private:
  HWND hwnd_ = nullptr;
};

}  // namespace plovik

namespace plovik {

// A window of ours that no object wraps (the tooltip, a dialog's frame):
// destroyed when the owner goes. Move-only.
class OwnedWindow {
 public:
  OwnedWindow() = default;
  explicit OwnedWindow(HWND hwnd) : hwnd_(hwnd) {}
  OwnedWindow(const OwnedWindow&) = delete;
  OwnedWindow& operator=(const OwnedWindow&) = delete;
  OwnedWindow(OwnedWindow&& other) noexcept : hwnd_(other.Release()) {}
  OwnedWindow& operator=(OwnedWindow&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~OwnedWindow() { Reset(); }

  HWND Get() const { return hwnd_; }
  WindowRef Ref() const { return WindowRef(hwnd_); }
  explicit operator bool() const { return hwnd_ != nullptr; }
  HWND Release() {
    HWND hwnd = hwnd_;
    hwnd_ = nullptr;
    return hwnd;
  }
  void Reset(HWND hwnd = nullptr) {
    if (hwnd_ != nullptr && hwnd_ != hwnd && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    hwnd_ = hwnd;
  }

 private:
  HWND hwnd_ = nullptr;
};

}  // namespace plovik
