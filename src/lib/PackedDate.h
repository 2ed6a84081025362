// PackedFileDate: a local date and time packed as the 32-bit DOS date and
// time (date in the upper 16 bits: years since 1980 in bits 9..15, month in
// 5..8, day in 0..4; time in the lower 16 bits: hours in 11..15, minutes in
// 5..10, seconds/2 in 0..4), held as a signed 32-bit integer; -1 stands for
// a missing file.
#pragma once

#include <cstdint>

namespace plovik {

constexpr int32_t MissingFileDate = -1;
// The packed form of 1980-01-01 00:00:00 and of 2107-12-31 23:59:58.
constexpr int32_t OldestPackedDate = 0x00210000;
constexpr int32_t NewestPackedDate = static_cast<int32_t>(0xFF9FBF7Du);

bool IsLeapYear(int year);
// Days of a month (1..12) of a year.
int DaysInMonth(int year, int month);

// Packs a civil date and time; values outside the format's range clamp to
// its ends (a year before 1980 gives OldestPackedDate, one after 2107
// NewestPackedDate); a month, day or time of day out of range is clamped
// into its range. Seconds are truncated to even values.
int32_t PackDate(int year, int month, int day, int hour, int minute, int second);
// Unpacks; false for -1 or a value that names no valid date.
bool UnpackDate(int32_t packed, int& year, int& month, int& day, int& hour, int& minute,
                int& second);

// The difference source - destination in packed units, computed so that
// every date the format can hold orders correctly (the packed numbers are
// compared as unsigned: from 2044 on they are negative as signed numbers).
// MissingFileDate counts as older than every date, so a missing destination
// always gives a positive difference.
int64_t PackedDateDiff(int32_t source, int32_t destination);

}  // namespace plovik
