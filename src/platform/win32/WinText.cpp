#include "platform/win32/WinText.h"

#include "lib/Wide.h"

namespace plovik {

namespace {

const std::wstring ExtendedPrefix = L"\\\\?\\";
const std::wstring ExtendedUncPrefix = L"\\\\?\\UNC\\";

bool IsLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

bool IsDrivePath(const std::wstring& path) {
  return path.size() >= 3 && IsLetter(path[0]) && path[1] == L':' && path[2] == L'\\';
}

// \\server\... (not \\?\ or \\.\, which are prefixes of their own).
bool IsNetworkPath(const std::wstring& path) {
  return path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'\\' &&
         !((path[2] == L'?' || path[2] == L'.') && (path.size() == 3 || path[3] == L'\\'));
}

bool IsPrefixed(const std::wstring& path) {
  return path.size() >= 4 && path[0] == L'\\' && path[1] == L'\\' &&
         (path[2] == L'?' || path[2] == L'.') && path[3] == L'\\';
}

}  // namespace

std::wstring SystemPath(const std::string& path) {
  const std::wstring wide = Wide(path);
  if (IsPrefixed(wide)) return wide;
  if (IsDrivePath(wide)) return ExtendedPrefix + wide;
  if (IsNetworkPath(wide)) return ExtendedUncPrefix + wide.substr(2);
  return wide;
}

std::wstring WithoutSystemPrefix(const std::wstring& path) {
  if (path.rfind(ExtendedUncPrefix, 0) == 0) return L"\\\\" + path.substr(ExtendedUncPrefix.size());
  if (path.rfind(ExtendedPrefix, 0) == 0) return path.substr(ExtendedPrefix.size());
  return path;
}

}  // namespace plovik
