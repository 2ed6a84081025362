// Drive tests and network reconnection.
#pragma once

#include <cstdint>
#include <string>

namespace plovik {

extern const char* const WriteProtectProbeName;

bool DriveExists(char letter);
bool DriveReady(char letter);
// -1 when not ready (or the query fails), -2 for a letter outside A..Z.
int64_t DriveFreeSpace(char letter);
bool DriveFull(char letter);
bool DriveWriteProtected(char letter);
uint32_t DriveSectorSize(char letter);
uint32_t ConnectNetworkDrive(uintptr_t window, char letter);

}  // namespace plovik
