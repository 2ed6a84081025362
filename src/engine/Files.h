// Copying one file with verification, and the outcome codes of a copy.
#pragma once

#include <cstdint>
#include <string>

#include "core/RunHost.h"
#include "lib/PackedDate.h"
#include "platform/Platform.h"

namespace plovik {

enum CopyResult : int32_t {
  CopyOk = 0,
  CopyBufferError = 1,
  CopyReadError = 2,
  CopyWriteError = 3,
  CopyNoSpace = 4,
  CopyDriveFull = 5,
  CopyAccessDenied = 6,
  CopyAborted = 7,
  CopyWindowsError = 99,
};

constexpr uint32_t MinCopyBufferSize = 2048;
constexpr uint32_t MaxCopyBufferSize = 65536;

int32_t CopyResultFromWinError(uint32_t code);
// M(result): the walk's dialog text for a copy result, in the current
// language; dstLetter is the upper-cased destination drive letter.
std::string CopyResultText(int32_t result, char dstLetter, uint32_t error);

bool CopyFileDate(const std::string& src, const std::string& dst);

// While a copy runs, the data goes to a partial copy beside the destination
// (a fixed name per directory), which is renamed over the destination only
// when it is complete. A copy cut short by a crash or a power failure thus
// never leaves a destination that looks newer than its source.
std::string PartialCopyPath(const std::string& dst);

// What the caller knows of the destination before the copy.
enum class DestinationState { Unknown, Missing, Present };

// What the caller already knows of the source and the destination, so that
// the copy need not ask the drives again for every file.
struct CopyHints {
  // Free bytes of the destination drive as the drive has just answered
  // them; below 0: unknown, the copy asks the drive itself.
  int64_t dstFreeBytes = -1;
  // Whether the destination exists; a missing one need not be checked for
  // another program holding it.
  DestinationState destination = DestinationState::Unknown;
  // Size of the existing destination file when it is Present.
  uint64_t dstOldSize = 0;
  // False when the source's drive cannot give files named data streams.
  bool streamsPossible = true;
  // The source's exact last-write time, packed date and attributes as a
  // directory search has just delivered them (lastWrite 0 and
  // MissingFileDate: unknown; the copy then reads them from the source
  // before its first byte). Taken before any byte is read, they date a
  // source that changes during the copy before the change, so that the
  // next run copies it again.
  FileStamp sourceStamp;
  int32_t sourceDate = MissingFileDate;
  // The source's size as the search delivered it; below 0: unknown.
  int64_t sourceSize = -1;
};

// The copy without verification, made through the partial copy: the bytes
// go through the system cache, the partial copy takes the source's exact
// last-write time and attributes and renames itself over the destination
// when complete. A source with named data streams or encryption is copied
// by the system's own copy instead. A destination that another program
// holds open fails the copy with 32 before anything is copied. With a host,
// the copy reports its progress after every block and stops (with 1235,
// the user's abort) when the user asks it to.
Result<void> CopyFilePlain(const std::string& src, const std::string& dst,
                           const CopyHints& hints = {}, RunHost* host = nullptr);

// How the verified copy works.
struct VerifiedCopyOptions {
  uint32_t bufferSize = MaxCopyBufferSize;  // bytes per block
  bool dialogs = true;                      // the copy's own questions (through the host)
  bool verify = true;                       // read every block back and compare
  uint32_t dstSectorSize = 0;               // 0: ask the drive
  uint32_t srcSectorSize = 0;
};

// No dialog of the copy was answered.
constexpr int16_t NoCopyAnswer = 0;

// The outcome of one verified copy.
struct CopyOutcome {
  int32_t result = CopyOk;  // a CopyResult
  int32_t error = 0;        // the Windows error behind it; 0 when none
  // The answer of the copy's own last dialog; ModalOk once the partial copy
  // is open without one; ModalAbort after the user aborted the copy;
  // NoCopyAnswer when the copy ended before either.
  int16_t answer = NoCopyAnswer;
};

// The copy block by block with the system cache bypassed, every block read
// back and compared when asked, through the partial copy. A destination
// that another program holds open gives result 99 with error 32 before
// anything is copied, and keeps its attributes. The host asks the copy's
// questions, takes its progress before every block and tells it when the
// user stops it; without one the copy asks nothing and runs to its end.
CopyOutcome CopyFileVerified(const std::string& src, const std::string& dst,
                             const VerifiedCopyOptions& options = {},
                             const CopyHints& hints = {}, RunHost* host = nullptr);

}  // namespace plovik
