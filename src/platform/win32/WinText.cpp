#include "platform/win32/WinText.h"

#include <windows.h>

#include <vector>

#include "lib/Utf.h"

namespace plovik {

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

bool IsDrivePath(const std::wstring& path) {
  return path.size() >= 3 && IsLetter(path[0]) && path[1] == L':' && IsSeparator(path[2]);
}

bool IsNetworkPath(const std::wstring& path) {
  return path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
         !IsSeparator(path[2]) && path[2] != L'?' && path[2] != L'.';
}

bool IsPrefixed(const std::wstring& path) {
  return path.size() >= 4 && path[0] == L'\\' && path[1] == L'\\' &&
         (path[2] == L'?' || path[2] == L'.') && path[3] == L'\\';
}

// The absolute canonical form (separators unified, "." and ".." resolved,
// repeated separators collapsed); falls back to mere separator unification
// when the system cannot give it.
std::wstring FullPath(const std::wstring& path) {
  DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed != 0) {
    std::vector<wchar_t> buffer(needed + 1, L'\0');
    DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()),
                                      buffer.data(), nullptr);
    if (length != 0 && length < buffer.size()) return std::wstring(buffer.data(), length);
  }
  std::wstring result = path;
  for (wchar_t& c : result) {
    if (c == L'/') c = L'\\';
  }
  return result;
}

}  // namespace

std::wstring Wide(const std::string& text) {
  std::u16string utf16 = Utf8ToUtf16(text);
  return std::wstring(utf16.begin(), utf16.end());
}

std::string Narrow(const wchar_t* text, size_t length) {
  std::u16string utf16(length, u'\0');
  for (size_t i = 0; i < length; ++i) utf16[i] = static_cast<char16_t>(text[i]);
  return Utf16ToUtf8(utf16);
}

std::string Narrow(const std::wstring& text) { return Narrow(text.data(), text.size()); }

std::wstring SystemPath(const std::wstring& path) {
  if (path.size() < ExtendedPathThreshold || IsPrefixed(path)) return path;
  if (IsDrivePath(path)) return L"\\\\?\\" + FullPath(path);
  if (IsNetworkPath(path)) {
    std::wstring full = FullPath(path);
    if (full.size() >= 2 && full[0] == L'\\' && full[1] == L'\\') {
      return L"\\\\?\\UNC\\" + full.substr(2);
    }
  }
  return path;
}

std::wstring SystemPath(const std::string& path) { return SystemPath(Wide(path)); }

}  // namespace plovik
