// Shared text helpers.
#pragma once

#include <cstdint>
#include <string>

namespace plovik {

// "True " (with a trailing blank) or "False": five characters either way.
std::string BoolText(bool value);

// Removes leading and trailing blanks and control characters (every byte
// up to the blank; the bytes of a multi-byte UTF-8 character are never
// removed).
std::string Trim(const std::string& text);

// Letters A to Z in small letters; every other byte as it is (switches and
// key names, not user text: letter case of names goes through the platform).
char AsciiLower(char c);
std::string AsciiLower(std::string text);

// Fits a path into width characters by replacing its middle with "...",
// cutting at directory boundaries when one lies within 32 characters of the
// cut. Widths and lengths count characters, not bytes.
std::string ShortenPath(const std::string& text, uint16_t width);

// Decimal text with the separator between groups of three digits, padded
// with blanks on the left to at least width characters.
std::string FormatCount(int32_t value, char separator, uint8_t width);
// The same grouping for a 64-bit value, without padding.
std::string FormatBytes(int64_t value, char separator);

}  // namespace plovik
