// Text files the program writes for people and for itself (the settings
// file, the protocol log, the debug log). A file is written whole: to a
// temporary file in the same folder first, which is then renamed over the
// old one, so a failure part-way leaves the old file as it was. The text is
// stored in the system's ANSI code page when every character fits, else as
// UTF-8 behind a byte-order mark; reading accepts both.
#pragma once

#include <string>
#include <vector>

#include "lib/Result.h"
#include "lib/TextLines.h"

namespace plovik {

// Writes the text as the file's whole content.
Result<void> WriteTextFileWhole(const std::string& path, const std::string& text);
// Writes the lines, each ended by CR LF.
Result<void> WriteLinesWhole(const std::string& path, const std::vector<std::string>& lines);
Result<void> WriteLinesWhole(const std::string& path, const TextLines& lines);
// The file's text as UTF-8: after a UTF-8 byte-order mark as it stands,
// otherwise converted from the ANSI code page.
Result<std::string> ReadTextFile(const std::string& path);

// The temporary name a file is first written under.
std::string TemporaryNameFor(const std::string& path);

}  // namespace plovik
