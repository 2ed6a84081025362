// Drive tests and network reconnection.
#pragma once

#include <cstdint>
#include <string>

namespace plovik {

extern const char* const WriteProtectProbeName;

// A drive letter in upper case (a..z become A..Z; any other character stays
// as it is).
char UpperDriveLetter(char letter);
// The upper-cased first character of a path: its drive letter ('\0' for an
// empty path).
char DriveLetterOf(const std::string& path);

bool DriveExists(char letter);
bool DriveReady(char letter);
// -1 when not ready (or the query fails), -2 for a letter outside A..Z.
int64_t DriveFreeSpace(char letter);
bool DriveFull(char letter);
bool DriveWriteProtected(char letter);
// Bytes per sector; 0 when the drive does not tell.
uint32_t DriveSectorSize(char letter);
// Bytes per cluster, the unit in which files take space; 0 when the drive
// does not tell.
uint32_t DriveClusterSize(char letter);
// A Windows error code: 0 when the connection was made.
uint32_t ConnectNetworkDrive(uintptr_t window, char letter);

}  // namespace plovik
