// The modal message dialog of the Win32 toolkit: a window of our own class
// (Win32Toolkit::DialogClassName) with an icon, the text and a row of
// buttons, run in a nested modal loop.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "toolkit/Toolkit.h"

namespace plovik {

class Win32Toolkit;

LRESULT CALLBACK MessageDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the dialog over the active window (disabled meanwhile) and returns
// the modal result of the button pressed, or 2 when it was closed. A quit
// request received meanwhile ends the dialog and is posted again.
int RunMessageDialog(Win32Toolkit& toolkit, const std::string& text, DialogType type,
                     uint32_t buttons);

// The text with every "\r", "\n" or "\r\n" as CR LF, the line break the
// STATIC control shows.
std::wstring DialogDisplayText(const std::wstring& text);

}  // namespace plovik
