// Text and path conversion at the Win32 boundary.
#pragma once

#include <string>

namespace plovik {

// UTF-8 to the system's UTF-16 and back.
std::wstring Wide(const std::string& text);
std::string Narrow(const wchar_t* text, size_t length);
std::string Narrow(const std::wstring& text);

// The form of a path handed to the file-system calls. An absolute path
// (X:\... or \\server\share\...) that is too long for the classic limit is
// made absolute and canonical and given the extended-length prefix
// (\\?\X:\... or \\?\UNC\server\share\...); every other path, relative and
// already prefixed ones included, passes unchanged.
std::wstring SystemPath(const std::string& path);
std::wstring SystemPath(const std::wstring& path);

// Paths of this many UTF-16 units and more get the prefix (the limit of
// CreateDirectory, which leaves room for an 8.3 file name below the path).
constexpr size_t ExtendedPathThreshold = 248;

}  // namespace plovik
