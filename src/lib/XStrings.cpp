#include "lib/XStrings.h"

#include <vector>

#include "lib/Utf.h"

namespace plovik {

namespace {

// How far from the plain cut ShortenPath looks for a directory boundary to
// cut at instead, on either side of the "...".
constexpr int BoundarySearchChars = 32;

// Inserts the separator between groups of three digits, counted from the
// right, never directly behind a minus sign.
std::string GroupDigits(std::string digits, char separator) {
  const int n = static_cast<int>(digits.size());
  // i is a 1-based position; the separator goes in front of it.
  for (int i = n - 2; i > 1; i -= 3) {
    if (digits[static_cast<size_t>(i - 2)] == '-') continue;
    digits.insert(static_cast<size_t>(i - 1), 1, separator);
  }
  return digits;
}

// Byte offsets at which the characters of a UTF-8 text start, with the
// text's size appended, so that character k spans [starts[k], starts[k+1]).
std::vector<size_t> CharStarts(const std::string& text) {
  std::vector<size_t> starts;
  starts.reserve(text.size() + 1);
  for (size_t pos = 0; pos < text.size(); pos += CharBytes(text, pos)) starts.push_back(pos);
  starts.push_back(text.size());
  return starts;
}

}  // namespace

std::string BoolText(bool value) { return value ? "True " : "False"; }

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string AsciiLower(std::string text) {
  for (char& c : text) c = AsciiLower(c);
  return text;
}

std::string Trim(const std::string& text) {
  // Compared as unsigned bytes: the bytes of a multi-byte UTF-8 character
  // are all above the blank.
  const auto isSpace = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && isSpace(text[begin])) ++begin;
  while (end > begin && isSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::string ShortenPath(const std::string& text, uint16_t width) {
  const std::vector<size_t> starts = CharStarts(text);
  const int length = static_cast<int>(starts.size()) - 1;
  if (width >= length) return text;

  // Characters are numbered from 0 here; the byte range of characters
  // [from, to) is starts[from]..starts[to].
  const auto slice = [&](int from, int to) {
    return text.substr(starts[static_cast<size_t>(from)],
                       starts[static_cast<size_t>(to)] - starts[static_cast<size_t>(from)]);
  };
  const auto isBackslash = [&](int index) {
    return text[starts[static_cast<size_t>(index)]] == '\\';
  };

  const int room = static_cast<int>(width) - 3;
  const int headLength = room > 0 ? room / 2 : 0;
  const int tailLength = room - headLength > 0 ? room - headLength : 0;
  const int tailStart = length - tailLength;

  // S: 1-based position of the last backslash in the head, 0 if none.
  int lastInHead = 0;
  for (int i = headLength; i >= 1; --i) {
    if (isBackslash(i - 1)) {
      lastInHead = i;
      break;
    }
  }
  // P: 1-based position of the first backslash in the tail, 0 if none.
  int firstInTail = 0;
  for (int i = 1; i <= tailLength; ++i) {
    if (isBackslash(tailStart + i - 1)) {
      firstInTail = i;
      break;
    }
  }

  int headEnd = headLength;
  int tailBegin = tailStart;
  if (lastInHead >= headLength - BoundarySearchChars && lastInHead >= 3 && firstInTail >= 1 &&
      firstInTail <= BoundarySearchChars) {
    headEnd = lastInHead;
    tailBegin = tailStart + firstInTail - 1;
  }
  return slice(0, headEnd) + "..." + slice(tailBegin, length);
}

std::string FormatCount(int32_t value, char separator, uint8_t width) {
  std::string text = GroupDigits(std::to_string(value), separator);
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

std::string FormatBytes(int64_t value, char separator) {
  return GroupDigits(std::to_string(value), separator);
}

}  // namespace plovik
