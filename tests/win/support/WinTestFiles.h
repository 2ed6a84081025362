// Files and directories for the Wine tests and the benchmarks, made and
// inspected with direct system calls, independent of the program's own
// platform layer (so that a fault there cannot hide in the checks).
//
// Paths are absolute UTF-8 paths with backslashes; every helper hands them
// to the system with the extended-length prefix, so they reach paths of
// any length.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

namespace plovik::test {

// An absolute path in the extended-length form (\\?\X:\...); a path that
// already has the prefix passes unchanged.
std::wstring LongPath(const std::string& path);

// Pseudo-random bytes, the same for the same size and seed.
std::string Pattern(size_t size, uint32_t seed);

// Creates or overwrites a file with the content; false on any failure.
bool WriteWholeFile(const std::string& path, const std::string& content);
// The whole content of a file, or "<missing>" when it cannot be opened.
std::string ReadWholeFile(const std::string& path);
// Compares two files block by block (for files too large to hold twice);
// false when either cannot be opened.
bool SameFileBytes(const std::string& a, const std::string& b);

// INVALID_FILE_ATTRIBUTES when the path names nothing.
DWORD Attributes(const std::string& path);
bool Exists(const std::string& path);
// Size of a file in bytes; 0 when missing.
uint64_t FileSize(const std::string& path);

// A point of time given in UTC, as the system stores it.
FILETIME UtcFileTime(int year, int month, int day, int hour, int minute, int second,
                     int milliseconds = 0);
// A file time in 100 ns units.
int64_t Ticks(const FILETIME& time);
// Last-write time of a file or directory in 100 ns units; 0 when missing.
int64_t WriteTime(const std::string& path);
// Sets the last-write time of a file or directory.
bool SetWriteTime(const std::string& path, const FILETIME& time);

// Removes a directory with everything below it, read-only, hidden and
// system entries included. A trailing backslash is allowed.
void RemoveTree(const std::string& dir);
// Creates a new, empty directory in the temporary folder, named after the
// tag, this process and a counter (a leftover of that name is removed
// first). Returns its path without a trailing backslash; empty on failure.
std::string FreshTempDir(const std::string& tag);
// Whether the file system of a directory holds names that are not valid
// UTF-16 (an unpaired surrogate): some refuse to create them.
bool HoldsUnpairedSurrogates(const std::string& dir);
// Every file below a directory: relative path -> full path.
std::map<std::string, std::string> ListFiles(const std::string& root);

}  // namespace plovik::test
