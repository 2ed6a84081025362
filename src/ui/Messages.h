// Message boxes the window's units share: an error box with the system
// sound before it, and the report of a file that could not be written.
#pragma once

#include <cstdint>
#include <string>

namespace plovik {

// Plays the exclamation sound and shows an error box with an OK button.
void ShowErrorMessage(const std::string& text);
// "Windows error 5: Access is denied." in the current language.
std::string WindowsErrorLine(uint32_t code);
// The error box for a file that could not be written: its name, the
// Windows error code and the system's text.
void ReportWriteFailure(const std::string& path, uint32_t code);

}  // namespace plovik
