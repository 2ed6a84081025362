// The directory tree walk: brings a destination tree up to date.
#pragma once

#include <cstdint>
#include <string>

#include "core/RunHost.h"
#include "core/RunRecords.h"

namespace plovik {

// What a walk works on: the two roots, the run options it follows, the
// counters it fills, the host it reports through, and the protocol's
// width for paths.
struct WalkJob {
  std::string srcDir;
  std::string dstDir;
  const TRunOptions& options;
  TRunCounters& counters;
  RunHost& host;
  uint16_t pathChars = 0xFFFF;
};

// How a walk ended.
struct WalkOutcome {
  bool stopped = false;       // the user stopped it (Abort, Escape, the close box)
  int16_t answer = AnswerOk;  // the answer of its last question
  bool ignored = false;       // a question was answered with Ignore: something was passed over
  bool Aborted() const { return stopped || answer == AnswerAbort; }
};

// Brings the destination tree up to date from the source tree.
WalkOutcome WalkTree(const WalkJob& job);

uint32_t MergeAttributes(uint32_t src, uint32_t dst);
std::string AttributeChangeText(uint32_t oldAttributes, uint32_t newAttributes);
// The message of the dialog after CreateSubDir failed with code for the
// destination directory dstDir (with its trailing backslash).
std::string CreateSubDirFailureText(int32_t code, const std::string& dstDir);

}  // namespace plovik
