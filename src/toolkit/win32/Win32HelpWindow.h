// The help window: a window of ours that shows a plain-text help file in a
// read-only, scrollable edit control.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/win32/GdiObject.h"
#include "toolkit/win32/Win32Window.h"

namespace plovik {

class Win32HelpWindow : public Win32Window {
 public:
  explicit Win32HelpWindow(Win32Toolkit& toolkit);
  // Shows the file (UTF-8 with a byte-order mark, else the system's ANSI
  // code page); false when it cannot be read.
  bool Show(const std::string& path, const std::string& title);
  // The text shown, for the tests.
  std::wstring ShownText() const { return WindowRef(text_).Text(); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  bool Create();
  HWND text_ = nullptr;  // the edit control, a child destroyed with the window
  GdiObject<HFONT> font_;
};

// The text of a help file as the help window shows it: decoded, with CR LF
// line breaks; false when the file cannot be read.
bool ReadHelpText(const std::wstring& path, std::wstring& text);

}  // namespace plovik
