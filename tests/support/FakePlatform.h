// An in-memory platform with Windows semantics for the native tests: drive
// letters and network shares, names kept exactly as given (trailing dots
// and blanks, device names, WTF-8, any length) and compared by a Unicode
// case table of the fake's own, short 8.3 names, attributes, exact and
// packed dates, sector and cluster sizes and free space, drives that are
// missing, not ready, full or write protected, locked files, injected
// faults, named mutexes shared by several fake processes, and a virtual
// clock that dates every write and passes with every wait.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace plovik::test {

namespace fake {
struct State;
struct Process;
}  // namespace fake

struct FakeDrive {
  DriveKind type = DriveFixed;
  bool ready = true;
  int64_t totalBytes = int64_t(1) << 30;
  // When set, the drive reports this many free bytes whatever its files use;
  // otherwise free = total - bytes held by its files. Writes past the free
  // space fail with ERROR_DISK_FULL (112).
  std::optional<int64_t> freeBytes = std::nullopt;
  uint32_t sectorSize = 512;
  uint32_t clusterSize = 4096;
  // When set, every file takes whole clusters, as on a real file system:
  // the free space shrinks by each file's size rounded up to clusterSize.
  bool allocatesClusters = false;
  bool namedStreams = true;      // what NamedStreamsPossible answers
  bool writeProtected = false;   // creations, writes and changes fail with 19
  bool freeQueryFails = false;   // DiskFreeSpace and Geometry fail
};

struct FakeNetConnection {
  std::string remote;
  bool connected = false;         // false: remembered but not connected (1201)
  uint32_t addResult = 0;         // what NetAddConnection answers
};

// The fake's exact file time (FileStamp::lastWrite) of a packed date, and
// of a civil time (the fake has one time zone: local time is UTC).
uint64_t FakeFileTime(int32_t packedDate);
uint64_t FakeFileTime(const CivilTime& time);

class FakePlatform : public Platform {
 public:
  // A fresh system with a fixed drive C: whose root exists, the clock at
  // 2020-06-15 12:00:00, and this process in it.
  FakePlatform();
  // The process ends (as EndProcess).
  ~FakePlatform() override;
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  // ---- processes ----------------------------------------------------------
  // Another process on the same system: it shares the files, drives,
  // connections, named mutexes and the clock, and has settings of its own.
  std::unique_ptr<FakePlatform> StartProcess();
  // The process ends: the mutexes it owns are abandoned, its mutex handles
  // stop working.
  void EndProcess();
  void SetCommandLine(const std::string& commandLine);
  void SetModulePath(const std::string& path);
  // Sets (or, with nullopt, removes) an environment variable.
  void SetEnvironment(const std::string& name, std::optional<std::string> value);
  void SetUserLanguageId(uint16_t languageId);
  void SetCurrentDirectory(const std::string& path);
  // A window message arrives for the process (WaitForMessageOrMutex wakes
  // for it until it is taken).
  void PostMessage();
  void DrainMessages();
  int PendingMessages() const;

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
  // The exact last-write time (100 ns units since 1601, local time).
  void SetWriteTime(const std::string& path, uint64_t ticks);
  // Gives an entry another short (8.3) name than the one it got.
  void SetShortName(const std::string& path, const std::string& shortName);
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
  uint64_t WriteTime(const std::string& path) const;
  uint32_t Attributes(const std::string& path) const;
  // The short (8.3) name of an entry; empty when its name is one itself.
  std::string ShortName(const std::string& path) const;
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
  // Another program holds the file open without sharing: opens fail with
  // 32, a rename over it with 5.
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
  // A search for the pattern (a directory and a wildcard, as given to
  // StartSearch; letter case aside) fails with the error once it has
  // delivered that many entries, whether or not more would come, as when
  // the drive goes away part-way. At least one: the first entry comes with
  // the search's start.
  void FailSearch(const std::string& pattern, size_t afterEntries, uint32_t error);
  // The file carries named data streams (which only the system copy takes
  // along); the mark follows the file when it is renamed.
  void MarkNamedStreams(const std::string& path);
  // Removes every fault above, file locks included.
  void ClearFaults();

  // ---- Platform ---------------------------------------------------------
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
  // Fixed forms: "2020-06-15" and "13:04:05".
  std::string ShortDateText(const CivilTime& time) override;
  std::string LongTimeText(const CivilTime& time) override;
  // Lets the virtual clock pass the time instead of waiting.
  Result<void> TimerWait(int64_t dueIn100ns) override;
  Result<MutexOpening> OpenMutex(const std::string& name) override;
  // A mutex that can be taken wins over a message; with neither, the
  // virtual clock passes the time-out.
  Wake WaitForMessageOrMutex(NamedMutex* mutex, uint32_t timeoutMs) override;
  std::string ErrorText(uint32_t code) override;
  void Beep(BeepKind kind) override;
  int32_t PackLocalTime(const CivilTime& time) override;

 private:
  FakePlatform(std::shared_ptr<fake::State> state);

  std::shared_ptr<fake::State> state_;
  std::shared_ptr<fake::Process> process_;
};

}  // namespace plovik::test
