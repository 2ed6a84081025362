// File times as PackedFileDate values: the last-write time in local time,
// packed as the DOS date and time.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/Platform.h"

namespace plovik {

// A civil time as the system's SYSTEMTIME (no range check).
SYSTEMTIME SystemTimeOf(const CivilTime& time);

// Converts a file's (UTC) time. A time outside the packed format's range
// (before 1980 or after 2107 in local time) clamps to OldestPackedDate or
// NewestPackedDate, so an existing file always has a date.
int32_t PackFileTime(const FILETIME& utc);

// Converts a packed local date back to a UTC file time; false when the
// value names no valid date.
bool UnpackToFileTime(int32_t packedDate, FILETIME& utc);

// Packs a local time given as a file time; clamps like PackFileTime.
int32_t PackLocalFileTime(const FILETIME& local);

}  // namespace plovik
