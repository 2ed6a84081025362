#include "lib/Utf.h"

#include <cstdint>

namespace plovik {

namespace {

constexpr char32_t ReplacementChar = 0xFFFD;
constexpr char32_t FirstSurrogate = 0xD800;
constexpr char32_t FirstLowSurrogate = 0xDC00;
constexpr char32_t LastSurrogate = 0xDFFF;
constexpr char32_t FirstSupplementary = 0x10000;

// Whether a WTF-8 surrogate sequence counts as a character or as invalid.
enum class Surrogates { Allowed, Invalid };

// Decodes the UTF-8 sequence at pos. Returns its length in bytes and the
// code point, or 0 when the bytes there start no valid sequence (overlong
// forms and values past U+10FFFF are invalid; encoded surrogates as asked).
size_t DecodeUtf8(std::string_view text, size_t pos, char32_t& codePoint,
                  Surrogates surrogates) {
  const size_t size = text.size();
  if (pos >= size) return 0;
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char b0 = byte(pos);
  if (b0 < 0x80) {
    codePoint = b0;
    return 1;
  }
  size_t length;
  unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    if (b0 == 0xE0) low = 0xA0;
    if (b0 == 0xED && surrogates == Surrogates::Invalid) high = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    if (b0 == 0xF0) low = 0x90;
    if (b0 == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (pos + length > size) return 0;
  const unsigned char b1 = byte(pos + 1);
  if (b1 < low || b1 > high) return 0;
  char32_t value = b0 & (0xFF >> (length + 1));
  value = (value << 6) | (b1 & 0x3F);
  for (size_t i = 2; i < length; ++i) {
    const unsigned char b = byte(pos + i);
    if ((b & 0xC0) != 0x80) return 0;
    value = (value << 6) | (b & 0x3F);
  }
  codePoint = value;
  return length;
}

bool IsHighSurrogate(char32_t unit) { return unit >= FirstSurrogate && unit < FirstLowSurrogate; }
bool IsLowSurrogate(char32_t unit) { return unit >= FirstLowSurrogate && unit <= LastSurrogate; }

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < FirstSupplementary) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    char32_t cp = 0;
    size_t length = DecodeUtf8(text, pos, cp, Surrogates::Allowed);
    if (length == 0) {
      cp = ReplacementChar;
      length = 1;
    }
    if (cp >= FirstSupplementary) {
      cp -= FirstSupplementary;
      out += static_cast<char16_t>(FirstSurrogate + (cp >> 10));
      out += static_cast<char16_t>(FirstLowSurrogate + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
    pos += length;
  }
  return out;
}

std::string Utf16ToUtf8(const std::u16string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (IsHighSurrogate(cp) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      cp = FirstSupplementary + ((cp - FirstSurrogate) << 10) + (text[i + 1] - FirstLowSurrogate);
      ++i;
    }
    AppendUtf8(out, cp);  // a surrogate without its partner: its WTF-8 form
  }
  return out;
}

bool IsValidUtf8(const std::string& text) {
  for (size_t pos = 0; pos < text.size();) {
    char32_t cp = 0;
    const size_t length = DecodeUtf8(text, pos, cp, Surrogates::Invalid);
    if (length == 0) return false;
    pos += length;
  }
  return true;
}

size_t CharBytes(std::string_view text, size_t pos) {
  if (pos >= text.size()) return 0;
  char32_t cp = 0;
  const size_t length = DecodeUtf8(text, pos, cp, Surrogates::Allowed);
  return length == 0 ? 1 : length;
}

size_t CharCount(std::string_view text) {
  size_t count = 0;
  for (size_t pos = 0; pos < text.size(); pos += CharBytes(text, pos)) ++count;
  return count;
}

std::string CharPrefix(const std::string& text, size_t count) {
  size_t pos = 0;
  for (size_t n = 0; n < count && pos < text.size(); ++n) pos += CharBytes(text, pos);
  return text.substr(0, pos);
}

}  // namespace plovik
