#include "core/Drives.h"

#include "platform/Platform.h"

namespace plovik {

const char* const WriteProtectProbeName =
    "Directory created in order to test if drive is write protected";

namespace {

std::string RootOf(char letter) { return std::string(1, letter) + ":\\"; }

char UpperLetter(char letter) {
  return (letter >= 'a' && letter <= 'z') ? static_cast<char>(letter - 'a' + 'A') : letter;
}

bool IsDirectory(const std::string& path) {
  uint32_t attributes = InvalidAttributes;
  return Sys().GetAttributes(path, attributes) == 0 && attributes != InvalidAttributes &&
         (attributes & AttrDirectory) != 0;
}

}  // namespace

bool DriveExists(char letter) { return Sys().DriveType(letter) > DriveNoRootDir; }

bool DriveReady(char letter) { return DriveExists(letter) && IsDirectory(RootOf(letter)); }

int64_t DriveFreeSpace(char letter) {
  if (!DriveReady(letter)) return -1;
  const char upper = UpperLetter(letter);
  if (upper < 'A' || upper > 'Z') return -2;
  int64_t freeBytes = 0;
  int64_t totalBytes = 0;
  if (!Sys().DiskFreeSpace(upper, freeBytes, totalBytes)) return -1;
  return freeBytes;
}

bool DriveFull(char letter) { return DriveFreeSpace(letter) == 0; }

bool DriveWriteProtected(char letter) {
  const std::string probe = RootOf(letter) + WriteProtectProbeName;
  // An empty probe left over from an earlier test goes first; a non-empty
  // one cannot be removed and then makes the creation below fail.
  if (IsDirectory(probe)) Sys().RemoveDir(probe);
  if (Sys().CreateDir(probe) != 0) return true;
  Sys().RemoveDir(probe);
  return false;
}

uint32_t DriveSectorSize(char letter) { return Sys().SectorSize(letter); }

uint32_t ConnectNetworkDrive(uintptr_t window, char letter) {
  const std::string local = std::string(1, letter) + ":";
  std::string remote;
  const uint32_t error = Sys().NetGetConnection(local, remote);
  if (error == ErrorSuccess || error == ErrorConnectionUnavail) {
    return Sys().NetAddConnection(window, local, remote);
  }
  return error;
}

}  // namespace plovik
