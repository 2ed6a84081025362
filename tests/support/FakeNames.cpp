// Names, letter case, wildcards, the ANSI code page and time of the fake
// platform.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "lib/PackedDate.h"
#include "lib/Utf.h"
#include "support/CaseTable.h"
#include "support/FakeSystem.h"

namespace plovik::test::fake {

namespace {

constexpr size_t MaxNameUnits = 255;
constexpr char32_t FirstSupplementary = 0x10000;

char32_t UpperOf(char32_t c) {
  const CasePair* end = UnicodeUpperCase + UnicodeUpperCaseCount;
  const auto before = [](const CasePair& pair, char32_t key) { return pair.small < key; };
  const CasePair* it = std::lower_bound(UnicodeUpperCase, end, c, before);
  return it != end && it->small == c ? it->upper : c;
}

// The code points of a UTF-16 text; an unpaired surrogate stands for itself.
std::u32string CodePoints(const std::u16string& units) {
  std::u32string points;
  for (size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      c = FirstSupplementary + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    }
    points.push_back(c);
  }
  return points;
}

std::string Utf8Of(const std::u32string& points) {
  std::string text;
  for (char32_t c : points) AppendUtf8(text, c);
  return text;
}

// ---- wildcard matching -----------------------------------------------------

// The system turns some pattern characters into their DOS forms before
// matching; these code points stand for them.
constexpr char32_t DosStar = 0x110001;  // '*' before a dot: up to the last dot
constexpr char32_t DosQm = 0x110002;    // '?': one character, or none at a dot or the end
constexpr char32_t DosDot = 0x110003;   // '.' before a wildcard or at the end: a dot or the end

class WildcardMatcher {
 public:
  WildcardMatcher(std::u32string name, std::u32string pattern)
      : name_(std::move(name)), pattern_(std::move(pattern)),
        memo_((name_.size() + 1) * (pattern_.size() + 1), -1) {
    lastDot_ = name_.rfind(U'.');
  }
  bool Match() { return Match(0, 0); }

 private:
  bool Match(size_t p, size_t n) {
    int8_t& known = memo_[p * (name_.size() + 1) + n];
    if (known >= 0) return known != 0;
    bool result = Compute(p, n);
    known = result ? 1 : 0;
    return result;
  }
  bool Compute(size_t p, size_t n) {
    const bool atEnd = n == name_.size();
    if (p == pattern_.size()) return atEnd;
    const char32_t c = pattern_[p];
    switch (c) {
      case U'*':
        return Match(p + 1, n) || (!atEnd && Match(p, n + 1));
      case DosStar:
        return Match(p + 1, n) || (!atEnd && n != lastDot_ && Match(p, n + 1));
      case DosQm:
        if (!atEnd && name_[n] != U'.') return Match(p + 1, n + 1);
        while (p < pattern_.size() && pattern_[p] == DosQm) ++p;
        return Match(p, n);
      case DosDot:
        if (atEnd) return Match(p + 1, n);
        return name_[n] == U'.' && Match(p + 1, n + 1);
      default:
        return !atEnd && name_[n] == c && Match(p + 1, n + 1);
    }
  }

  std::u32string name_;
  std::u32string pattern_;
  std::vector<int8_t> memo_;
  size_t lastDot_;
};

// Characters a short name may hold besides letters and digits.
bool ShortNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         (c != '\0' && std::strchr("!#$%&'()-@^_`{}~", c) != nullptr);
}

// A part of a long name as the short name takes it: characters a short name
// cannot hold become "_" (blanks and dots are dropped), upper case, at most
// max characters.
std::string ShortPart(const std::string& part, size_t max) {
  std::string out;
  for (size_t i = 0; i < part.size() && out.size() < max; ++i) {
    const unsigned char c = static_cast<unsigned char>(part[i]);
    if (c == ' ' || c == '.') continue;
    if (c >= 0x80) {
      i += CharBytes(part, i) - 1;
      out += '_';
    } else {
      out += ShortNameChar(static_cast<char>(c)) ? static_cast<char>(std::toupper(c)) : '_';
    }
  }
  return out;
}

constexpr int64_t SecondsPerDay = 86400;
// Days from 1601-01-01 to 1970-01-01.
constexpr int64_t DaysFrom1601To1970 = 134774;
constexpr uint64_t TicksPerSecond = 10000000;

int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

// The code points of Windows-1252 for the bytes 0x80..0x9F; the five bytes
// the code page leaves undefined map to the control code of the same value.
constexpr char32_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

std::string NameKey(const std::string& name) {
  std::u16string units = Utf8ToUtf16(name);
  for (char16_t& unit : units) {
    if (unit < 0xD800 || unit > 0xDFFF) unit = static_cast<char16_t>(UpperOf(unit));
  }
  return Utf16ToUtf8(units);
}

std::string UpperText(const std::string& text) {
  std::u32string points = CodePoints(Utf8ToUtf16(text));
  for (char32_t& c : points) c = UpperOf(c);
  return Utf8Of(points);
}

bool ValidName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  if (Utf8ToUtf16(name).size() > MaxNameUnits) return false;
  for (unsigned char c : name) {
    if (c < 32 || std::strchr("<>:\"/\\|?*", c) != nullptr) return false;
  }
  return true;
}

bool IsShortName(const std::string& name) {
  const size_t dot = name.find('.');
  const std::string base = name.substr(0, dot);
  const std::string extension = dot == std::string::npos ? "" : name.substr(dot + 1);
  if (base.empty() || base.size() > 8 || extension.size() > 3) return false;
  if (dot != std::string::npos && extension.empty()) return false;  // "name."
  const auto valid = [](const std::string& part) {
    return std::all_of(part.begin(), part.end(), ShortNameChar);
  };
  return valid(base) && valid(extension);
}

std::string ShortNameFor(const std::string& name, int n) {
  const size_t dot = name.rfind('.');
  const bool hasExtension = dot != std::string::npos && dot > 0;
  std::string base = ShortPart(hasExtension ? name.substr(0, dot) : name, 6);
  if (base.empty()) base = "_";
  const std::string extension = hasExtension ? ShortPart(name.substr(dot + 1), 3) : "";
  std::string alias = base + "~" + std::to_string(n);
  if (!extension.empty()) alias += "." + extension;
  return alias;
}

bool WildcardMatch(const std::string& name, const std::string& pattern) {
  const std::u32string raw =
      CodePoints(Utf8ToUtf16(NameKey(pattern == "*.*" ? std::string("*") : pattern)));
  std::u32string dos;
  for (size_t i = 0; i < raw.size(); ++i) {
    const char32_t next = i + 1 < raw.size() ? raw[i + 1] : 0;
    if (raw[i] == U'?') {
      dos.push_back(DosQm);
    } else if (raw[i] == U'.' && (next == U'?' || next == U'*' || next == 0)) {
      dos.push_back(DosDot);
    } else if (raw[i] == U'*' && next == U'.') {
      dos.push_back(DosStar);
    } else {
      dos.push_back(raw[i]);
    }
  }
  return WildcardMatcher(CodePoints(Utf8ToUtf16(NameKey(name))), dos).Match();
}

std::optional<std::string> ToCp1252(const std::string& text) {
  std::string bytes;
  for (char32_t c : CodePoints(Utf8ToUtf16(text))) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      bytes += static_cast<char>(c);
      continue;
    }
    const char32_t* end = Cp1252High + 32;
    const char32_t* it = std::find(Cp1252High, end, c);
    if (it == end) return std::nullopt;
    bytes += static_cast<char>(0x80 + (it - Cp1252High));
  }
  return bytes;
}

std::string FromCp1252(const std::string& bytes) {
  std::string text;
  for (char ch : bytes) {
    const unsigned char b = static_cast<unsigned char>(ch);
    AppendUtf8(text, b >= 0x80 && b < 0xA0 ? Cp1252High[b - 0x80] : char32_t(b));
  }
  return text;
}

// ---- time ------------------------------------------------------------------------

bool ValidCivil(const CivilTime& time) {
  return time.year >= 1601 && time.month >= 1 && time.month <= 12 && time.day >= 1 &&
         time.day <= DaysInMonth(time.year, time.month) && time.hour >= 0 && time.hour <= 23 &&
         time.minute >= 0 && time.minute <= 59 && time.second >= 0 && time.second <= 59;
}

uint64_t TicksOfCivil(const CivilTime& time, int milliseconds) {
  const int64_t days = DaysFromCivil(time.year, time.month, time.day) + DaysFrom1601To1970;
  const int64_t seconds =
      days * SecondsPerDay + time.hour * 3600 + time.minute * 60 + time.second;
  return static_cast<uint64_t>(seconds) * TicksPerSecond +
         static_cast<uint64_t>(milliseconds) * TicksPerMillisecond;
}

CivilTime CivilOfTicks(uint64_t ticks) {
  const int64_t seconds = static_cast<int64_t>(ticks / TicksPerSecond);
  const int64_t days = seconds / SecondsPerDay;
  const int64_t rest = seconds % SecondsPerDay;
  CivilTime time;
  CivilFromDays(days - DaysFrom1601To1970, time.year, time.month, time.day);
  time.hour = static_cast<int>(rest / 3600);
  time.minute = static_cast<int>(rest / 60 % 60);
  time.second = static_cast<int>(rest % 60);
  return time;
}

uint64_t TicksOfPacked(int32_t packed) {
  CivilTime time;
  if (!UnpackDate(packed, time.year, time.month, time.day, time.hour, time.minute, time.second))
    return 0;
  return TicksOfCivil(time);
}

int32_t PackedOfTicks(uint64_t ticks) {
  const CivilTime time = CivilOfTicks(ticks);
  return PackDate(time.year, time.month, time.day, time.hour, time.minute, time.second);
}

}  // namespace plovik::test::fake
