// The operating-system services on Windows: every Platform call maps to the
// wide-character Win32 functions. Texts arrive as UTF-8 (WTF-8 for names
// that are not valid UTF-16) and are converted at this boundary; absolute
// paths get the extended-length prefix here (see WinText.h), invisibly to
// the callers.
#pragma once

#include "platform/Platform.h"

namespace plovik {

class Win32Platform : public Platform {
 public:
  // Switches off the system's critical-error boxes for the process (a drive
  // without a medium must answer "not ready", not ask the user).
  Win32Platform();

  Result<std::unique_ptr<DirSearch>> StartSearch(const std::string& pattern) override;

  Result<uint32_t> GetAttributes(const std::string& path) override;
  Result<void> SetAttributes(const std::string& path, uint32_t attributes) override;
  Result<void> CreateDir(const std::string& path) override;
  Result<void> RemoveDir(const std::string& path) override;

  Result<FileHandle> OpenFile(const std::string& path, FileAccess access, FileShare share,
                              FileDisposition disposition, FileFlags flags) override;
  Result<void> RemoveFile(const std::string& path) override;
  Result<void> ReplaceFile(const std::string& from, const std::string& to) override;
  Result<void> SystemCopy(const std::string& src, const std::string& dst,
                          bool failIfExists) override;
  Result<std::unique_ptr<PageBuffer>> AllocatePages(uint32_t size) override;

  DriveKind DriveType(char letter) override;
  Result<DiskSpace> DiskFreeSpace(char letter) override;
  Result<DriveGeometry> Geometry(char letter) override;
  bool NamedStreamsPossible(char letter) override;

  Result<NetConnection> NetGetConnection(const std::string& local) override;
  Result<void> NetAddConnection(uintptr_t ownerWindow, const std::string& local,
                                const std::string& remote) override;

  bool SameName(const std::string& a, const std::string& b) override;
  std::string UpperCase(const std::string& text) override;

  std::string CurrentDirectory() override;
  Result<std::string> FullPathName(const std::string& path) override;
  Result<std::string> LongPathName(const std::string& path) override;

  std::string ModulePath() override;
  std::string CommandLine() override;
  std::optional<std::string> Environment(const std::string& name) override;
  uint16_t UserLanguageId() override;

  std::optional<std::string> ToAnsi(const std::string& text) override;
  std::string FromAnsi(const std::string& bytes) override;

  uint64_t TickCount() override;
  CivilTime LocalNow() override;
  std::string ShortDateText(const CivilTime& time) override;
  std::string LongTimeText(const CivilTime& time) override;
  Result<void> TimerWait(int64_t dueIn100ns) override;

  Result<MutexOpening> OpenMutex(const std::string& name) override;
  Wake WaitForMessageOrMutex(NamedMutex* mutex, uint32_t timeoutMs) override;

  std::string ErrorText(uint32_t code) override;
  void Beep(BeepKind kind) override;
  int32_t PackLocalTime(const CivilTime& time) override;
};

}  // namespace plovik
