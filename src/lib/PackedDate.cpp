#include "lib/PackedDate.h"

#include <algorithm>

namespace plovik {

namespace {

constexpr int FirstYear = 1980;
constexpr int LastYear = 2107;

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && IsLeapYear(year)) return 29;
  return days[month - 1];
}

int32_t PackDate(int year, int month, int day, int hour, int minute, int second) {
  if (year < FirstYear) return OldestPackedDate;
  if (year > LastYear) return NewestPackedDate;
  month = std::clamp(month, 1, 12);
  day = std::clamp(day, 1, DaysInMonth(year, month));
  hour = std::clamp(hour, 0, 23);
  minute = std::clamp(minute, 0, 59);
  second = std::clamp(second, 0, 59);
  const uint32_t date = (static_cast<uint32_t>(year - FirstYear) << 9) |
                        (static_cast<uint32_t>(month) << 5) | static_cast<uint32_t>(day);
  const uint32_t time = (static_cast<uint32_t>(hour) << 11) |
                        (static_cast<uint32_t>(minute) << 5) | static_cast<uint32_t>(second / 2);
  return static_cast<int32_t>((date << 16) | time);
}

bool UnpackDate(int32_t packed, int& year, int& month, int& day, int& hour, int& minute,
                int& second) {
  if (packed == MissingFileDate) return false;
  const uint32_t value = static_cast<uint32_t>(packed);
  const int y = static_cast<int>(value >> 25) + FirstYear;
  const int mo = static_cast<int>((value >> 21) & 0x0F);
  const int d = static_cast<int>((value >> 16) & 0x1F);
  const int h = static_cast<int>((value >> 11) & 0x1F);
  const int mi = static_cast<int>((value >> 5) & 0x3F);
  const int s = static_cast<int>(value & 0x1F) * 2;
  if (mo < 1 || mo > 12 || d < 1 || d > DaysInMonth(y, mo) || h > 23 || mi > 59 || s > 58) {
    return false;
  }
  year = y;
  month = mo;
  day = d;
  hour = h;
  minute = mi;
  second = s;
  return true;
}

int64_t PackedDateDiff(int32_t source, int32_t destination) {
  // Read as unsigned so that dates from 2044 on (negative as signed numbers)
  // stay above the earlier ones; a missing file is older than every date.
  const auto ordinal = [](int32_t packed) -> int64_t {
    return packed == MissingFileDate ? -1 : static_cast<int64_t>(static_cast<uint32_t>(packed));
  };
  return ordinal(source) - ordinal(destination);
}

}  // namespace plovik
