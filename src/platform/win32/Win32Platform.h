// The operating-system services on Windows: every Platform call maps to the
// wide-character Win32 functions. Paths arrive as UTF-8 and are converted at
// this boundary; absolute paths too long for the classic limit get the
// extended-length prefix here, invisibly to the callers.
#pragma once

#include "platform/Platform.h"

namespace plovik {

class Win32Platform : public Platform {
 public:
  // Switches off the system's critical-error boxes for the process (a drive
  // without a medium must answer "not ready", not ask the user).
  Win32Platform();

  std::unique_ptr<DirSearch> StartSearch(const std::string& pattern) override;

  uint32_t GetAttributes(const std::string& path, uint32_t& attributes) override;
  uint32_t SetAttributes(const std::string& path, uint32_t attributes) override;

  uint32_t CreateDir(const std::string& path) override;
  uint32_t RemoveDir(const std::string& path) override;

  FileHandle OpenFile(const std::string& path, uint32_t access, uint32_t share,
                      FileDisposition disposition, uint32_t flags, uint32_t& error) override;
  uint32_t RemoveFile(const std::string& path) override;
  uint32_t ReplaceFile(const std::string& from, const std::string& to) override;
  uint32_t SystemCopy(const std::string& src, const std::string& dst,
                      bool failIfExists) override;
  std::unique_ptr<PageBuffer> AllocatePages(uint32_t size, uint32_t& error) override;

  uint32_t DriveType(char letter) override;
  bool DiskFreeSpace(char letter, int64_t& freeBytes, int64_t& totalBytes) override;
  uint32_t SectorSize(char letter) override;
  bool NamedStreamsPossible(char letter) override;

  uint32_t NetGetConnection(const std::string& local, std::string& remote) override;
  uint32_t NetAddConnection(uintptr_t ownerWindow, const std::string& local,
                            const std::string& remote) override;

  std::string ErrorText(uint32_t code) override;
  void Beep(BeepKind kind) override;
  int32_t PackLocalTime(const CivilTime& time) override;
};

}  // namespace plovik
