// An in-memory platform with Windows semantics for the native tests: drive
// letters and network shares, case-insensitive names that keep their case,
// attributes, packed local dates, sector sizes and free space, drives that
// are missing, not ready, full or write protected, locked files, injected
// faults, and a virtual clock that dates every write.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace plovik::test {

struct FakeDrive {
  uint32_t type = DriveFixed;
  bool ready = true;
  int64_t totalBytes = int64_t(1) << 30;
  // When set, the drive reports this many free bytes whatever its files use;
  // otherwise free = total - bytes held by its files. Writes past the free
  // space fail with ERROR_DISK_FULL (112).
  std::optional<int64_t> freeBytes = std::nullopt;
  uint32_t sectorSize = 512;
  bool namedStreams = true;      // what NamedStreamsPossible answers
  bool writeProtected = false;   // creations, writes and changes fail with 19
  bool freeQueryFails = false;   // DiskFreeSpace returns false
};

struct FakeNetConnection {
  std::string remote;
  bool connected = false;         // false: remembered but not connected (1201)
  uint32_t addResult = 0;         // what NetAddConnection answers
};

class FakePlatform : public Platform {
 public:
  // Starts with a fixed drive C: whose root exists, and the clock at
  // 2020-06-15 12:00:00.
  FakePlatform();
  ~FakePlatform() override;

  // ---- set-up -----------------------------------------------------------
  FakeDrive& AddDrive(char letter, const FakeDrive& drive = {});
  FakeDrive& Drive(char letter);
  // A network share root such as \\server\share (exists, ready).
  void AddShare(const std::string& root);
  // Creates a directory and its missing parents (dated by the clock unless a
  // date is given).
  void MakeDir(const std::string& path, std::optional<int32_t> date = {},
               uint32_t attributes = AttrDirectory);
  // Creates or replaces a file, its parents included.
  void MakeFile(const std::string& path, const std::string& content,
                std::optional<int32_t> date = {}, uint32_t attributes = AttrArchive);
  void SetDate(const std::string& path, int32_t date);
  void SetClock(int32_t packedDate);
  int32_t Clock() const;
  // Advances the clock by units of the packed format's two seconds.
  void AdvanceClock(int units);
  void SetNetConnection(const std::string& local, const FakeNetConnection& connection);

  // ---- inspection -------------------------------------------------------
  bool Exists(const std::string& path) const;
  bool IsDir(const std::string& path) const;
  std::string Content(const std::string& path) const;
  int32_t Date(const std::string& path) const;
  uint32_t Attributes(const std::string& path) const;
  // Names of a directory's entries as the file system returns them.
  std::vector<std::string> List(const std::string& directory) const;
  // Every path below (and including) a root, directories with a trailing
  // backslash, in walk order.
  std::vector<std::string> Tree(const std::string& root) const;
  int OpenFiles() const;
  int OpenSearches() const;
  int AllocatedBuffers() const;
  const std::vector<BeepKind>& Beeps() const;
  std::vector<std::string> NetAddCalls() const;  // "X:=remote" per call
  // Every call of SystemCopy counts, failed ones included.
  int SystemCopies() const;
  // How often an open file was asked for named data streams.
  int NamedStreamQueries() const;
  // How often a drive's type was asked.
  int DriveTypeQueries() const;

  // ---- faults -----------------------------------------------------------
  // Another program holds the file open without sharing: opens fail with 32.
  void LockFile(const std::string& path, bool locked = true);
  // Opening the path fails with the error.
  void FailOpen(const std::string& path, uint32_t error);
  // Reading the file fails at (or after) the byte offset.
  void FailRead(const std::string& path, uint64_t offset, uint32_t error);
  // Writing to the file (by its path) fails at (or after) the byte offset.
  void FailWrite(const std::string& path, uint64_t offset, uint32_t error);
  // Writes to the file are accepted short by one sector at the offset.
  void ShortWrite(const std::string& path, uint64_t offset);
  // Data read back from the file through a read-write handle differs from
  // what was written (a verification fault).
  void CorruptReadBack(const std::string& path);
  void FailCreateDir(const std::string& path, uint32_t error);
  void FailSetAttributes(const std::string& path, uint32_t error);
  void FailGetAttributes(const std::string& path, uint32_t error);
  void FailSetDate(const std::string& path, uint32_t error);
  // The next page allocations fail with the error (count of them).
  void FailAllocations(int count, uint32_t error);
  // The system copy fails with this error for the source path.
  void FailSystemCopy(const std::string& src, uint32_t error);
  // The file carries named data streams (which only the system copy takes
  // along); the mark follows the file when it is renamed.
  void MarkNamedStreams(const std::string& path);
  // Removes every fault above, file locks included.
  void ClearFaults();

  // ---- Platform ---------------------------------------------------------
  std::unique_ptr<DirSearch> StartSearch(const std::string& pattern) override;
  uint32_t GetAttributes(const std::string& path, uint32_t& attributes) override;
  uint32_t SetAttributes(const std::string& path, uint32_t attributes) override;
  uint32_t CreateDir(const std::string& path) override;
  uint32_t RemoveDir(const std::string& path) override;
  FileHandle OpenFile(const std::string& path, uint32_t access, uint32_t share,
                      FileDisposition disposition, uint32_t flags, uint32_t& error) override;
  uint32_t RemoveFile(const std::string& path) override;
  uint32_t ReplaceFile(const std::string& from, const std::string& to) override;
  uint32_t SystemCopy(const std::string& src, const std::string& dst, bool failIfExists) override;
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

  struct State;  // the implementation's, shared with open files and searches

 private:
  std::shared_ptr<State> state_;
};

// Windows wildcard matching as the directory search applies it.
bool WindowsWildcardMatch(const std::string& name, const std::string& pattern);

// Installs a fresh fake platform and headless toolkit for one test and
// resets the process-wide records and the protocol; removes them at the end.
// Tests derive their fixtures from it.
}  // namespace plovik::test
