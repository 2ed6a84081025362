#include "lib/Utf.h"

#include <cstdint>

namespace plovik {

namespace {

constexpr char32_t ReplacementChar = 0xFFFD;

// Decodes the UTF-8 sequence at pos. Returns its length in bytes and the
// code point, or 0 when the bytes there start no valid sequence (overlong
// forms, encoded surrogates and values past U+10FFFF are invalid).
size_t DecodeUtf8(const std::string& text, size_t pos, char32_t& codePoint) {
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
    if (b0 == 0xED) high = 0x9F;
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

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
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

// Pairs in which the even code point is the capital and the odd one the
// small letter.
bool InEvenUpperPairs(char32_t c) {
  return (c >= 0x0100 && c <= 0x012F) || (c >= 0x0132 && c <= 0x0137) ||
         (c >= 0x014A && c <= 0x0177) || (c >= 0x0460 && c <= 0x0481) ||
         (c >= 0x048A && c <= 0x04BF) || (c >= 0x04D0 && c <= 0x04FF) ||
         (c >= 0x0500 && c <= 0x052F);
}

// Pairs in which the odd code point is the capital.
bool InOddUpperPairs(char32_t c) {
  return (c >= 0x0139 && c <= 0x0148) || (c >= 0x0179 && c <= 0x017E) ||
         (c >= 0x04C1 && c <= 0x04CE);
}

char32_t UpperChar(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 0x20;
  if (c < 0x80) return c;
  // Latin-1: à..þ except the division sign; ÿ becomes Ÿ; ß and µ stay.
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
  if (c == 0xFF) return 0x0178;
  if (InEvenUpperPairs(c)) return c & ~char32_t(1);
  if (InOddUpperPairs(c)) return (c & 1) ? c : c - 1;
  // Greek.
  if (c == 0x03C2) return 0x03A3;  // final sigma
  if (c >= 0x03B1 && c <= 0x03CB) return c - 0x20;
  if (c == 0x03AC) return 0x0386;
  if (c >= 0x03AD && c <= 0x03AF) return c - 0x25;
  if (c == 0x03CC) return 0x038C;
  if (c == 0x03CD || c == 0x03CE) return c - 0x3F;
  // Cyrillic.
  if (c >= 0x0430 && c <= 0x044F) return c - 0x20;
  if (c >= 0x0450 && c <= 0x045F) return c - 0x50;
  if (c == 0x04CF) return 0x04C0;
  return c;
}

}  // namespace

std::u16string Utf8ToUtf16(const std::string& text) {
  std::u16string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    char32_t cp = 0;
    size_t length = DecodeUtf8(text, pos, cp);
    if (length == 0) {
      cp = ReplacementChar;
      length = 1;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
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
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = ReplacementChar;  // a surrogate without its partner
    }
    AppendUtf8(out, cp);
  }
  return out;
}

std::string UpperCase(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    char32_t cp = 0;
    const size_t length = DecodeUtf8(text, pos, cp);
    if (length == 0) {
      out += text[pos];
      ++pos;
      continue;
    }
    AppendUtf8(out, UpperChar(cp));
    pos += length;
  }
  return out;
}

size_t CharBytes(const std::string& text, size_t pos) {
  if (pos >= text.size()) return 0;
  char32_t cp = 0;
  const size_t length = DecodeUtf8(text, pos, cp);
  return length == 0 ? 1 : length;
}

size_t CharCount(const std::string& text) {
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
