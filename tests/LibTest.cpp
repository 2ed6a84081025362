// The shared text and number helpers: path shortening, number grouping,
// Windows error texts, packed dates and the UTF-8 helpers.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "lib/PackedDate.h"
#include "lib/Utf.h"
#include "lib/WinErrors.h"
#include "lib/XStrings.h"

namespace plovik {
namespace {

// ---- ShortenPath --------------------------------------------------------

struct ShortenCase {
  std::string text;
  uint16_t width;
  std::string expected;
};

TEST(ShortenPathTest, ShortensAtDirectoryBoundariesOrCharacterExactly) {
  const std::string path = "C:\\Programs\\Data\\Projects\\Current\\Reports\\Annual\\Summary.txt";
  ASSERT_EQ(path.size(), 60u);
  const std::string deep = "C:\\" + std::string(30, 'a') + "\\" + std::string(70, 'c') + "\\bbbbb";
  const ShortenCase cases[] = {
      {path, 60, path},
      {path, 61, path},
      {path, 65535, path},
      {path, 40, "C:\\Programs\\Data\\...\\Annual\\Summary.txt"},
      {path, 30, "C:\\Programs\\...\\Summary.txt"},
      {path, 10, "C:\\....txt"},
      {path, 3, "..."},
      {path, 2, "..."},
      {path, 0, "..."},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", 10, "ABC...WXYZ"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", 4, "...Z"},
      // The head's last backslash at position 2: too early to cut there.
      {"C\\DEFGHIJKLMN\\UVW", 12, "C\\DE...N\\UVW"},
      // The tail's first backslash at position 33: too far for a boundary cut.
      {deep, 79, "C:\\" + std::string(30, 'a') + "\\cccc..." + std::string(32, 'c') + "\\bbbbb"},
      // A usable head backslash but none in the tail: the head stays whole too.
      {"C:\\Data\\" + std::string(30, 'x'), 22, "C:\\Data\\x..." + std::string(10, 'x')},
      // ... and at position 32: both cuts are made.
      {deep, 77, "C:\\" + std::string(30, 'a') + "\\...\\bbbbb"},
  };
  for (const auto& c : cases) {
    const std::string result = ShortenPath(c.text, c.width);
    EXPECT_EQ(result, c.expected) << "width " << c.width << " text " << c.text;
    if (c.width >= 3) {
      EXPECT_LE(result.size(), c.width) << c.text;
    }
  }
}

TEST(ShortenPathTest, CountsCharactersAndNeverSplitsAMultiByteCharacter) {
  const std::string umlauts = "ÄÖÜÄÖÜÄÖÜÄ";  // 10 characters, 20 bytes
  EXPECT_EQ(ShortenPath(umlauts, 10), umlauts);
  EXPECT_EQ(ShortenPath(umlauts, 15), umlauts);
  EXPECT_EQ(ShortenPath(umlauts, 7), "ÄÖ...ÜÄ");
  EXPECT_EQ(ShortenPath(umlauts, 8), "ÄÖ...ÖÜÄ");

  const std::string path = "C:\\Bücher\\Übersicht\\Größen\\Straße\\Ärger.txt";
  ASSERT_EQ(CharCount(path), 43u);
  EXPECT_EQ(ShortenPath(path, 43), path);
  EXPECT_EQ(ShortenPath(path, 42), "C:\\Bücher\\...\\Straße\\Ärger.txt");
  EXPECT_EQ(ShortenPath(path, 30), "C:\\Bücher\\...\\Ärger.txt");
  EXPECT_EQ(ShortenPath("€€€€€€€€€€€€", 9), "€€€...€€€");
  // Four-byte characters (outside the basic plane) count as one each.
  EXPECT_EQ(ShortenPath("😀😀😀😀😀😀😀😀", 7), "😀😀...😀😀");
}

// ---- FormatCount / FormatBytes ----------------------------------------------

TEST(FormatNumberTest, GroupsDigitsInThreesFromTheRight) {
  const std::pair<int64_t, std::string> cases[] = {
      {0, "0"},
      {7, "7"},
      {999, "999"},
      {1000, "1,000"},
      {-999, "-999"},
      {-1000, "-1,000"},
      {-1234, "-1,234"},
      {-123456, "-123,456"},
      {1234567, "1,234,567"},
      {100000, "100,000"},
      {-100000, "-100,000"},
      {INT32_MAX, "2,147,483,647"},
      {INT32_MIN, "-2,147,483,648"},
  };
  for (const auto& [value, expected] : cases) {
    EXPECT_EQ(FormatBytes(value, ','), expected) << value;
    EXPECT_EQ(FormatCount(static_cast<int32_t>(value), ',', 0), expected) << value;
  }
  EXPECT_EQ(FormatBytes(500105216000, ','), "500,105,216,000");
  EXPECT_EQ(FormatBytes(INT64_MAX, ','), "9,223,372,036,854,775,807");
  EXPECT_EQ(FormatBytes(INT64_MIN, ','), "-9,223,372,036,854,775,808");
  EXPECT_EQ(FormatBytes(-123456789, '.'), "-123.456.789");
}

TEST(FormatNumberTest, CountIsPaddedOnTheLeftButNeverCut) {
  EXPECT_EQ(FormatCount(1300, ',', 7), "  1,300");
  EXPECT_EQ(FormatCount(-1, ',', 3), " -1");
  EXPECT_EQ(FormatCount(10000000, ',', 7), "10,000,000");
}

// ---- WinErrorText / Trim ------------------------------------------------------

std::string FakeErrorTexts(uint32_t code) {
  switch (code) {
    case 2: return "The system cannot find the file specified.\r\n";
    case 5: return "  First line.\r\nSecond line.\r\n\r\n";
    case 6: return "Lone\rCR and lone\nLF.\r\n";
    case 7: return std::string(300, 'x');
    case 8: return std::string(254, 'x') + "äöü";
    case 9: return "\t Größe überschritten \r\n";
    default: return "";
  }
}

TEST(WinErrorTextTest, TrimsJoinsAndLimitsTheSystemsText) {
  SetErrorTextSource(&FakeErrorTexts);
  EXPECT_EQ(WinErrorText(2, true), "The system cannot find the file specified.");
  EXPECT_EQ(WinErrorText(2, false), "The system cannot find the file specified.\r\n");
  EXPECT_EQ(WinErrorText(5, true), "First line. Second line.");
  EXPECT_EQ(WinErrorText(5, false), "  First line.\r\nSecond line.\r\n\r\n");
  EXPECT_EQ(WinErrorText(6, true), "Lone\rCR and lone\nLF.");
  EXPECT_EQ(WinErrorText(9, true), "Größe überschritten");
  // At most 255 characters, never cutting a multi-byte character.
  EXPECT_EQ(WinErrorText(7, false), std::string(255, 'x'));
  EXPECT_EQ(WinErrorText(8, false), std::string(254, 'x') + "ä");
  EXPECT_EQ(WinErrorText(12345, true), "");
  SetErrorTextSource(nullptr);
  EXPECT_EQ(WinErrorText(2, true), "");
  // Trim compares bytes as unsigned: UTF-8 sequences are above the blank.
  EXPECT_EQ(Trim("\x01 a b \x1f"), "a b");
  EXPECT_EQ(Trim(" äö\xA0"), "äö\xA0");
}

// ---- PackedDate ---------------------------------------------------------------

TEST(PackedDateTest, RoundTripsAndClamps) {
  struct Civil {
    int year, month, day, hour, minute, second;
  };
  const Civil dates[] = {
      {1980, 1, 1, 0, 0, 0}, {2000, 2, 29, 12, 34, 56}, {2044, 1, 1, 0, 0, 0},
      {2107, 12, 31, 23, 59, 58},
  };
  for (const auto& d : dates) {
    const int32_t packed = PackDate(d.year, d.month, d.day, d.hour, d.minute, d.second);
    int y, mo, da, h, mi, s;
    ASSERT_TRUE(UnpackDate(packed, y, mo, da, h, mi, s)) << d.year;
    EXPECT_EQ((std::vector<int>{y, mo, da, h, mi, s}),
              (std::vector<int>{d.year, d.month, d.day, d.hour, d.minute, d.second}));
  }
  EXPECT_EQ(PackDate(1980, 1, 1, 0, 0, 0), OldestPackedDate);
  EXPECT_EQ(PackDate(2107, 12, 31, 23, 59, 58), NewestPackedDate);
  EXPECT_EQ(PackDate(2000, 1, 1, 1, 0, 0) - PackDate(2000, 1, 1, 0, 0, 0), 2048);
  // Clamped outside the format; odd seconds truncated.
  EXPECT_EQ(PackDate(1979, 12, 31, 23, 59, 59), OldestPackedDate);
  EXPECT_EQ(PackDate(2108, 1, 1, 0, 0, 0), NewestPackedDate);
  EXPECT_EQ(PackDate(2000, 1, 1, 0, 0, 59), PackDate(2000, 1, 1, 0, 0, 58));
  EXPECT_EQ(PackDate(2001, 2, 31, 0, 0, 0), PackDate(2001, 2, 28, 0, 0, 0));
}

TEST(PackedDateTest, UnpackRejectsMissingAndImpossibleDates) {
  const auto raw = [](uint32_t year, uint32_t month, uint32_t day, uint32_t hour,
                      uint32_t minute, uint32_t halfSeconds) {
    return static_cast<int32_t>(((year - 1980) << 25) | (month << 21) | (day << 16) |
                                (hour << 11) | (minute << 5) | halfSeconds);
  };
  const std::pair<int32_t, bool> cases[] = {
      {MissingFileDate, false},          {0, false},
      {raw(2000, 2, 29, 0, 0, 0), true}, {raw(2100, 2, 29, 0, 0, 0), false},
      {raw(2001, 2, 29, 0, 0, 0), false}, {raw(2001, 4, 31, 0, 0, 0), false},
      {raw(2001, 13, 1, 0, 0, 0), false}, {raw(2001, 1, 1, 24, 0, 0), false},
      {raw(2001, 1, 1, 0, 60, 0), false}, {raw(2001, 1, 1, 0, 0, 30), false},
  };
  for (const auto& [packed, valid] : cases) {
    int y, mo, d, h, mi, s;
    EXPECT_EQ(UnpackDate(packed, y, mo, d, h, mi, s), valid) << std::hex << packed;
  }
}

TEST(PackedDateTest, DifferenceOrdersDatesAcross2044AndMissingFiles) {
  const int32_t before = PackDate(2043, 12, 31, 23, 59, 58);
  const int32_t after = PackDate(2044, 1, 1, 0, 0, 0);
  ASSERT_LT(after, 0);  // negative as a signed number
  EXPECT_GT(PackedDateDiff(after, before), 0);
  EXPECT_LT(PackedDateDiff(before, after), 0);
  EXPECT_GT(PackedDateDiff(NewestPackedDate, OldestPackedDate), 0);
  EXPECT_EQ(PackedDateDiff(PackDate(2050, 5, 5, 11, 0, 0), PackDate(2050, 5, 5, 10, 0, 0)), 2048);
  // A missing file is older than any date.
  EXPECT_GT(PackedDateDiff(OldestPackedDate, MissingFileDate), 0);
  EXPECT_GT(PackedDateDiff(NewestPackedDate, MissingFileDate), 0);
  EXPECT_LT(PackedDateDiff(MissingFileDate, NewestPackedDate), 0);
}

// ---- UTF-8 helpers ------------------------------------------------------------

TEST(UtfTest, ConvertsBothWaysAndReplacesInvalidInput) {
  const std::string texts[] = {"", "plain", "Größe", "€uro", "Ωμέγα", "Привет", "a😀b"};
  for (const auto& text : texts) EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
  EXPECT_EQ(Utf8ToUtf16("a😀b"), (std::u16string{u'a', 0xD83D, 0xDE00, u'b'}));
  EXPECT_EQ(Utf8ToUtf16("ä€"), (std::u16string{0x00E4, 0x20AC}));
  // Invalid input becomes replacement characters.
  const char16_t r = 0xFFFD;
  EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), (std::u16string{u'a', r, u'b'}));
  EXPECT_EQ(Utf8ToUtf16("\xC3"), (std::u16string{r}));          // cut short
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), (std::u16string{r, r}));    // overlong
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0"), (std::u16string{r, r}));    // a surrogate cut short
  EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), (std::u16string{r, r, r, r}));  // > U+10FFFF
  EXPECT_EQ(CharCount("a\xFF\xC3"), 3u);
  EXPECT_EQ(CharCount("Größe😀"), 6u);
  EXPECT_TRUE(IsValidUtf8("Größe😀"));
  EXPECT_FALSE(IsValidUtf8("a\xFF"));
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));
}

// A name that is not valid UTF-16 (an unpaired surrogate) travels as WTF-8
// and comes back as exactly the units it was.
TEST(UtfTest, UnpairedSurrogatesRoundTripAsWtf8) {
  const std::u16string names[] = {
      {u'x', 0xD800},          {0xDC00, u'y'}, {0xDBFF, 0xDBFF, u'.'},
      {0xDFFF, 0xD800, u'z'},  // low before high: two lone units, no pair
  };
  for (const std::u16string& name : names) EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(name)), name);
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'x', 0xD800}), "x\xED\xA0\x80");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xDC00, u'y'}), "\xED\xB0\x80y");
  // A proper pair stays one four-byte character.
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD83D, 0xDE00}), "😀");
  // One character each, never cut apart, and no valid UTF-8.
  const std::string lone = "a\xED\xA0\x80" "b";
  EXPECT_EQ(CharCount(lone), 3u);
  EXPECT_EQ(CharBytes(lone, 1), 3u);
  EXPECT_EQ(CharPrefix(lone, 2), "a\xED\xA0\x80");
  EXPECT_FALSE(IsValidUtf8(lone));
}

}  // namespace
}  // namespace plovik
