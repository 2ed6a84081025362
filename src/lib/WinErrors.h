// Texts of Windows error codes.
#pragma once

#include <cstdint>
#include <string>

namespace plovik {

// Where the raw system texts come from (the platform layer installs it).
using ErrorTextSource = std::string (*)(uint32_t code);
void SetErrorTextSource(ErrorTextSource source);

// The system's message text for a Windows error code, at most 255
// characters; empty when the system has none. With oneLine the text is
// trimmed and every CR LF pair becomes one blank.
std::string WinErrorText(uint32_t code, bool oneLine);

}  // namespace plovik
