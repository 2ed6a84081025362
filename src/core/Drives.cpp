#include "core/Drives.h"

#include "core/SubDirs.h"
#include "platform/Platform.h"

namespace plovik {

const char* const WriteProtectProbeName =
    "Directory created in order to test if drive is write protected";

namespace {

std::string RootOf(char letter) { return std::string(1, letter) + ":\\"; }

}  // namespace

char UpperDriveLetter(char letter) {
  return (letter >= 'a' && letter <= 'z') ? static_cast<char>(letter - 'a' + 'A') : letter;
}

char DriveLetterOf(const std::string& path) {
  return path.empty() ? '\0' : UpperDriveLetter(path[0]);
}

bool DriveExists(char letter) { return Sys().DriveType(letter) > DriveNoRootDir; }

bool DriveReady(char letter) { return DriveExists(letter) && DirectoryExists(RootOf(letter)); }

int64_t DriveFreeSpace(char letter) {
  if (!DriveReady(letter)) return -1;
  const char upper = UpperDriveLetter(letter);
  if (upper < 'A' || upper > 'Z') return -2;
  const Result<DiskSpace> space = Sys().DiskFreeSpace(upper);
  return space ? space->freeBytes : -1;
}

bool DriveFull(char letter) { return DriveFreeSpace(letter) == 0; }

bool DriveWriteProtected(char letter) {
  const std::string probe = RootOf(letter) + WriteProtectProbeName;
  // An empty probe left over from an earlier test goes first; a non-empty
  // one cannot be removed and then makes the creation below fail.
  if (DirectoryExists(probe)) (void)Sys().RemoveDir(probe);
  if (!Sys().CreateDir(probe)) return true;
  (void)Sys().RemoveDir(probe);
  return false;
}

uint32_t DriveSectorSize(char letter) {
  const Result<DriveGeometry> geometry = Sys().Geometry(letter);
  return geometry ? geometry->bytesPerSector : 0;
}

uint32_t DriveClusterSize(char letter) {
  const Result<DriveGeometry> geometry = Sys().Geometry(letter);
  return geometry ? geometry->bytesPerCluster : 0;
}

uint32_t ConnectNetworkDrive(uintptr_t window, char letter) {
  const std::string local = std::string(1, letter) + ":";
  // A connected letter and a remembered one that is not connected now are
  // both connected (again); any other answer is the result.
  const Result<NetConnection> connection = Sys().NetGetConnection(local);
  if (!connection) return connection.Error();
  return Sys().NetAddConnection(window, local, connection->remote).Error();
}

}  // namespace plovik
