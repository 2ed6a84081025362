#include "platform/win32/WinDates.h"

#include "lib/PackedDate.h"

namespace plovik {

namespace {

uint64_t Ticks(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// 1980-01-01 00:00:00 as a file time (100 ns ticks since 1601).
constexpr uint64_t DosEpochTicks = 119600064000000000ull;

}  // namespace

SYSTEMTIME SystemTimeOf(const CivilTime& time) {
  SYSTEMTIME civil{};
  civil.wYear = static_cast<WORD>(time.year);
  civil.wMonth = static_cast<WORD>(time.month);
  civil.wDay = static_cast<WORD>(time.day);
  civil.wHour = static_cast<WORD>(time.hour);
  civil.wMinute = static_cast<WORD>(time.minute);
  civil.wSecond = static_cast<WORD>(time.second);
  return civil;
}

int32_t PackLocalFileTime(const FILETIME& local) {
  // The range is checked here, not left to FileTimeToDosDateTime: not every
  // implementation refuses years past 2107 (some wrap the 7-bit year).
  SYSTEMTIME civil;
  if (!::FileTimeToSystemTime(&local, &civil)) {
    return Ticks(local) < DosEpochTicks ? OldestPackedDate : NewestPackedDate;
  }
  if (civil.wYear < 1980) return OldestPackedDate;
  if (civil.wYear > 2107) return NewestPackedDate;
  WORD dosDate = 0;
  WORD dosTime = 0;
  if (!::FileTimeToDosDateTime(&local, &dosDate, &dosTime)) return MissingFileDate;
  return static_cast<int32_t>((static_cast<uint32_t>(dosDate) << 16) | dosTime);
}

int32_t PackFileTime(const FILETIME& utc) {
  FILETIME local;
  if (!::FileTimeToLocalFileTime(&utc, &local)) {
    return Ticks(utc) < DosEpochTicks ? OldestPackedDate : NewestPackedDate;
  }
  return PackLocalFileTime(local);
}

bool UnpackToFileTime(int32_t packedDate, FILETIME& utc) {
  if (packedDate == MissingFileDate) return false;
  uint32_t bits = static_cast<uint32_t>(packedDate);
  FILETIME local;
  if (!::DosDateTimeToFileTime(static_cast<WORD>(bits >> 16), static_cast<WORD>(bits & 0xFFFF),
                               &local)) {
    return false;
  }
  return ::LocalFileTimeToFileTime(&local, &utc) != 0;
}

}  // namespace plovik
