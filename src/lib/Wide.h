// The program's UTF-8 (WTF-8 for names that are not valid UTF-16) as the
// UTF-16 wide strings of the Windows W functions, and back. Included only
// by the Win32 layers, where wchar_t is a UTF-16 unit.
#pragma once

#include <string>

#include "lib/Utf.h"

namespace plovik {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

inline std::wstring Wide(const std::string& text) {
  const std::u16string units = Utf8ToUtf16(text);
  return std::wstring(units.begin(), units.end());
}

inline std::string Narrow(const wchar_t* text, size_t length) {
  return Utf16ToUtf8(std::u16string(text, text + length));
}

inline std::string Narrow(const std::wstring& text) { return Narrow(text.data(), text.size()); }

}  // namespace plovik
