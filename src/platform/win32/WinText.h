// Paths at the Win32 boundary. Texts convert with lib/Wide.h (WTF-8 aware).
#pragma once

#include <string>

namespace plovik {

// The form of a path handed to the file-system calls. Every absolute path
// gets the extended-length prefix (X:\... becomes \\?\X:\..., and
// \\server\share\... becomes \\?\UNC\server\share\...) and is otherwise
// passed exactly as given: the system then neither canonicalises it nor
// strips trailing dots and blanks, takes no name for a device and knows no
// length limit below 32,767 units. Relative paths, drive-relative paths
// ("X:name"), paths with forward slashes after the drive and paths that
// carry a prefix already pass unchanged.
std::wstring SystemPath(const std::string& path);

// A path as SystemPath gave it, back in the form the caller used: the
// prefix it added is taken off again.
std::wstring WithoutSystemPrefix(const std::wstring& path);

}  // namespace plovik
