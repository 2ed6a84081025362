#include "core/SubDirs.h"

#include <limits>
#include <vector>

#include "core/Drives.h"
#include "lib/PackedDate.h"
#include "platform/Platform.h"

namespace plovik {

namespace {

// "C:\\": a drive path of this length is the drive's root.
constexpr size_t DriveRootLength = 3;

// Creates the levels of rest below built, one per backslash-terminated name.
// A last name without a backslash is taken as a level too, so that a path
// handed in without its final backslash is not reported as made while its
// last level is missing. The levels that exist are found from the deepest
// one up (usually only the parent is asked), and those below are created
// from the top down.
void CreateLevels(std::string built, std::string rest, char driveLetter, int32_t& created,
                  int32_t& code) {
  code = SubDirCreated;
  std::vector<std::string> levels;
  while (!rest.empty()) {
    const size_t slash = rest.find('\\');
    const std::string level = rest.substr(0, slash);
    rest = slash == std::string::npos ? std::string() : rest.substr(slash + 1);
    built += "\\" + level;
    levels.push_back(built);
  }
  // The deepest level is known to be missing: the caller has just asked.
  size_t missing = levels.empty() ? 0 : levels.size() - 1;
  while (missing > 0 && !DirectoryExists(levels[missing - 1])) --missing;
  for (size_t i = missing; i < levels.size(); ++i) {
    const std::string& level = levels[i];
    // The drive is known to be ready: its free space alone is asked.
    if (driveLetter != 0) {
      const Result<DiskSpace> space = Sys().DiskFreeSpace(driveLetter);
      if (space && space->freeBytes == 0) {
        code = SubDirDriveFull;
        return;
      }
    }
    if (Sys().CreateDir(level)) {
      if (created < std::numeric_limits<int32_t>::max()) ++created;
    } else {
      // The deeper levels fail as well: their parent is missing.
      code = SubDirRefused;
    }
  }
}

// Whether the directory that holds a drive path's last level exists.
bool ParentExists(const std::string& path) {
  const std::string stripped = StripTrailingBackslashes(path);
  const size_t slash = stripped.find_last_of('\\');
  // The backslash after the drive letter and its colon.
  constexpr size_t RootSlash = DriveRootLength - 1;
  if (stripped.size() <= DriveRootLength || slash == std::string::npos || slash < RootSlash)
    return false;
  return DirectoryExists(slash == RootSlash ? stripped.substr(0, DriveRootLength)
                                            : stripped.substr(0, slash));
}

}  // namespace

std::string StripTrailingBackslashes(const std::string& path) {
  std::string result = path;
  while (result.size() > DriveRootLength && result.back() == '\\') result.pop_back();
  return result;
}

bool DirectoryExists(const std::string& path) {
  if (path.empty()) return false;
  const Result<uint32_t> attributes = Sys().GetAttributes(path);
  return attributes && (*attributes & AttrDirectory) != 0;
}

void CreateSubDir(const std::string& path, int32_t& created, int32_t& code) {
  const char c = DriveLetterOf(path);
  const bool drivePath = c >= 'A' && c <= 'Z';
  if (drivePath) {
    if (path.size() < 2 || path[1] != ':' || (path.size() > 2 && path[2] != '\\')) {
      code = SubDirNoDrive;
      return;
    }
    // A directory whose parent exists lies on a drive that exists and is
    // ready: the walk's usual case spares the drive query, which some
    // systems answer slowly.
    if (!ParentExists(path)) {
      if (!DriveExists(c)) {
        code = SubDirNoDrive;
        return;
      }
      if (!DirectoryExists(std::string(1, c) + ":\\")) {  // the drive is not ready
        code = SubDirDriveNotReady;
        return;
      }
    }
  }
  if (DirectoryExists(path)) {
    code = SubDirExists;
    return;
  }
  if (drivePath) {
    if (path.size() == DriveRootLength) {
      code = SubDirExists;
      return;
    }
    CreateLevels(std::string(1, c) + ":",
                 path.size() > DriveRootLength ? path.substr(DriveRootLength) : std::string(), c,
                 created, code);
    return;
  }
  // The shortest network path: two backslashes and a server's first letter.
  constexpr size_t MinNetworkPathLength = 3;
  if (path.size() < MinNetworkPathLength || path[0] != '\\' || path[1] != '\\') {
    code = SubDirNoDrive;
    return;
  }
  const size_t serverEnd = path.find('\\', 2);
  if (serverEnd == std::string::npos) {
    CreateLevels(path, std::string(), 0, created, code);
    return;
  }
  CreateLevels(path.substr(0, serverEnd), path.substr(serverEnd + 1), 0, created, code);
}

bool CopyDirDate(const std::string& src, const std::string& dst) {
  const std::string srcDir = StripTrailingBackslashes(src);
  const std::string dstDir = StripTrailingBackslashes(dst);
  if (!DirectoryExists(srcDir) || !DirectoryExists(dstDir)) return false;

  constexpr FileShare readersAndDeleters = FileShare::Read | FileShare::Delete;
  int32_t date = MissingFileDate;
  {
    Result<FileHandle> source =
        Sys().OpenFile(srcDir, FileAccess::Read, readersAndDeleters, FileDisposition::OpenExisting,
                       FileFlags::BackupSemantics);
    if (!source) return false;
    date = (*source)->PackedDate().ValueOr(MissingFileDate);
  }
  if (date == MissingFileDate) return false;

  // Opened for reading as well: the system hands out a handle's date only
  // when it may read, and the comparison below needs it.
  Result<FileHandle> destination =
      Sys().OpenFile(dstDir, FileAccess::Read | FileAccess::Write, readersAndDeleters,
                     FileDisposition::OpenExisting, FileFlags::BackupSemantics);
  if (!destination) return false;
  if ((*destination)->PackedDate().ValueOr(MissingFileDate) == date) return true;
  return (*destination)->SetPackedDate(date).Ok();
}

}  // namespace plovik
