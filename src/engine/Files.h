// Copying one file with verification, and the outcome codes of a copy.
#pragma once

#include <cstdint>
#include <string>

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

// What the caller already knows of the source and the destination, so that
// the copy need not ask the drives again for every file. A value below 0
// means unknown: the copy then asks for itself.
struct CopyHints {
  // Free bytes of the destination drive; given only when known to be enough
  // for the file.
  int64_t dstFreeBytes = -1;
  // Size of the existing destination file, 0 when there is none.
  int64_t dstOldSize = -1;
  // False when the source's drive cannot give files named data streams.
  bool streamsPossible = true;
  // The source's exact last-write time and attributes as a directory search
  // has just delivered them (lastWrite 0: unknown). Taken before any byte is
  // read, they date a source that changes during the copy before the
  // change, so that the next run copies it again.
  FileStamp sourceStamp;
};

// The copy without verification, made through the partial copy: the bytes
// go through the system cache, the partial copy takes the source's exact
// last-write time and attributes and renames itself over the destination
// when complete. A source with named data streams or encryption is copied
// by the system's own copy instead.
Result<void> CopyFilePlain(const std::string& src, const std::string& dst,
                           const CopyHints& hints = {});

void CopyFileVerified(const std::string& src, const std::string& dst, uint32_t bufferSize,
                      int32_t& error, int32_t& result, int16_t& answer, bool dialogs,
                      bool verify, uint32_t dstSectorSize, uint32_t srcSectorSize,
                      const CopyHints& hints = {});

}  // namespace plovik
