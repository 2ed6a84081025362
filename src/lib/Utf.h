// Conversion between the program's UTF-8 texts and UTF-16, and the locale's
// upper-case mapping.
#pragma once

#include <string>

namespace plovik {

std::u16string Utf8ToUtf16(const std::string& text);
std::string Utf16ToUtf8(const std::u16string& text);

// Upper-cases a UTF-8 text with the upper-case mapping of the user's
// locale: ASCII, the Latin-1 and Latin Extended-A letters (accents and
// umlauts), Greek and Cyrillic. The German sharp s stays as it is (as
// Windows maps it). Invalid UTF-8 bytes are kept unchanged.
std::string UpperCase(const std::string& text);

// Number of characters (code points) of a UTF-8 text; a byte that starts
// no valid sequence counts as one character.
size_t CharCount(const std::string& text);

// Length in bytes of the character that starts at byte offset pos: the
// length of a valid UTF-8 sequence, else 1 (0 at or past the end).
size_t CharBytes(const std::string& text, size_t pos);

// The first count characters of a text, never cutting a sequence.
std::string CharPrefix(const std::string& text, size_t count);

}  // namespace plovik
