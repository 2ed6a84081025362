// The history of unattended runs: the whole protocol of each one appended
// to a file beside the settings file, so that a run nobody watched (a
// refused one included) can be read about afterwards. The file is written
// whole, as the program's other files are, and kept under about 10 MB by
// dropping the oldest runs whole.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "lib/Result.h"

namespace plovik {

constexpr size_t MaxRunHistoryBytes = size_t(10) << 20;

// The history file: the program's base name with "-runs.log", in the
// settings folder.
std::string RunHistoryFileName();

// The heading line a run starts with in the history: "==== " + date +
// "  " + time + "  exit code " + code + " ====" (German "Exitcode").
std::string RunHistoryHeading(const std::string& date, const std::string& time, int exitCode);

// The history's lines with one more run appended (its heading, its lines
// and a blank line), and the oldest runs dropped whole while the lines
// (each counted with its line break) take more than maxBytes; the newest
// run always stays.
std::vector<std::string> WithRunAppended(std::vector<std::string> history,
                                         const std::vector<std::string>& run, size_t maxBytes);

// Appends the protocol as it stands as the run that ended with the exit
// code.
Result<void> AppendRunHistory(int exitCode);

}  // namespace plovik
