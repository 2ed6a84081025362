// Conversion between the program's UTF-8 texts and the UTF-16 of the
// system. Names the file system holds that are not valid UTF-16 (an
// unpaired surrogate) travel as WTF-8: the lone surrogate is written like a
// code point of its own (three bytes ED A0..BF 80..BF), so that every such
// name converts back to exactly the units it came from.
#pragma once

#include <string>
#include <string_view>

namespace plovik {

// UTF-8, WTF-8 surrogates included, to UTF-16. Each byte that starts no
// valid sequence becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
// UTF-16 to UTF-8; an unpaired surrogate becomes its WTF-8 sequence, a
// proper pair one four-byte sequence.
std::string Utf16ToUtf8(const std::u16string& text);

// Appends the UTF-8 sequence of a code point (of a surrogate: its WTF-8
// sequence).
void AppendUtf8(std::string& out, char32_t codePoint);

// Well-formed UTF-8: no overlong forms, no surrogates, nothing past
// U+10FFFF, nothing cut short.
bool IsValidUtf8(const std::string& text);

// Number of characters (code points) of a UTF-8 text; a WTF-8 surrogate is
// one character, and so is each byte that starts no valid sequence.
size_t CharCount(std::string_view text);

// Length in bytes of the character that starts at byte offset pos: the
// length of a valid UTF-8 or WTF-8 sequence, else 1 (0 at or past the end).
size_t CharBytes(std::string_view text, size_t pos);

// The first count characters of a text, never cutting a sequence.
std::string CharPrefix(const std::string& text, size_t count);

}  // namespace plovik
