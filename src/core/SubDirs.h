// Creating destination directory paths and copying directory dates.
#pragma once

#include <cstdint>
#include <string>

namespace plovik {

enum CreateSubDirCode : int32_t {
  SubDirCreated = 0,
  SubDirExists = 1,
  SubDirRefused = 2,
  SubDirDriveFull = 3,
  SubDirDriveNotReady = 4,
  SubDirNoDrive = 5,
};

std::string StripTrailingBackslashes(const std::string& path);
// path ends with a backslash; created counts the levels made.
void CreateSubDir(const std::string& path, int32_t& created, int32_t& code);
bool CopyDirDate(const std::string& src, const std::string& dst);
bool DirectoryExists(const std::string& path);

}  // namespace plovik
