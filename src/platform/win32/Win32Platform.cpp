// Construction, error texts, beeps and the packing of civil times.
#include "platform/win32/Win32Platform.h"

#include <windows.h>

#include "lib/PackedDate.h"
#include "lib/Wide.h"
#include "platform/win32/WinDates.h"

namespace plovik {

namespace {

void FailCriticalErrorsSilently() {
  static const bool applied = [] {
    UINT mode = ::SetErrorMode(SEM_FAILCRITICALERRORS);
    ::SetErrorMode(mode | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    return true;
  }();
  (void)applied;
}

}  // namespace

Win32Platform::Win32Platform() { FailCriticalErrorsSilently(); }

std::string Win32Platform::ErrorText(uint32_t code) {
  constexpr DWORD capacity = 256;
  wchar_t buffer[capacity] = {};
  DWORD length =
      ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                       0, buffer, capacity, nullptr);
  if (length == 0 || length >= capacity) return std::string();
  return Narrow(buffer, length);
}

void Win32Platform::Beep(BeepKind kind) {
  UINT type = MB_OK;
  switch (kind) {
    case BeepKind::Default: type = MB_OK; break;
    case BeepKind::Exclamation: type = MB_ICONEXCLAMATION; break;
    case BeepKind::Question: type = MB_ICONQUESTION; break;
    case BeepKind::Error: type = MB_ICONHAND; break;
  }
  ::MessageBeep(type);
}

int32_t Win32Platform::PackLocalTime(const CivilTime& time) {
  if (time.year < 1980) return OldestPackedDate;
  if (time.year > 2107) return NewestPackedDate;
  // Checked here: not every implementation of SystemTimeToFileTime refuses
  // a day the month does not have.
  if (time.month < 1 || time.month > 12 || time.day < 1 ||
      time.day > DaysInMonth(time.year, time.month) || time.hour < 0 || time.hour > 23 ||
      time.minute < 0 || time.minute > 59 || time.second < 0 || time.second > 59) {
    return MissingFileDate;
  }
  const SYSTEMTIME civil = SystemTimeOf(time);
  // The civil time is local already: pack it without a zone conversion.
  FILETIME local;
  if (!::SystemTimeToFileTime(&civil, &local)) return MissingFileDate;
  return PackLocalFileTime(local);
}

}  // namespace plovik
