// Character indexes (code points, as the program counts them) against the
// UTF-16 unit indexes of the system's edit controls.
#pragma once

#include <string>

namespace plovik {

inline bool IsHighSurrogate(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

// The unit index of character `index`, clamped to the text.
inline size_t UnitIndex(const std::wstring& text, int index) {
  size_t unit = 0;
  for (int i = 0; i < index && unit < text.size(); ++i) {
    unit += IsHighSurrogate(text[unit]) && unit + 1 < text.size() ? 2 : 1;
  }
  return unit;
}

// The character index of unit `unit`.
inline int CharIndex(const std::wstring& text, size_t unit) {
  int index = 0;
  for (size_t i = 0; i < unit && i < text.size(); ++index) {
    i += IsHighSurrogate(text[i]) && i + 1 < text.size() ? 2 : 1;
  }
  return index;
}

}  // namespace plovik
