// The operating-system services the program needs. Everything above this
// layer reaches the file system, drives, the network, mutexes, timers, the
// clock and the user's locale only through the process-wide Platform object,
// which the Windows entry point installs with the Win32 implementation and
// the tests with the in-memory fake.
//
// Conventions of the interface:
// - Paths are UTF-8 texts in Windows form (drive letters or \\server\share,
//   backslashes). Names the file system holds that are not valid UTF-16
//   (unpaired surrogates) travel as WTF-8, so every name a search delivers
//   can be opened, compared and copied again. The implementation converts at
//   its own boundary and gives every absolute path the extended-length
//   prefix, so trailing dots and blanks, device-like names ("aux.c") and long
//   paths are ordinary names. Only FullPathName canonicalises a path.
// - A call that can fail returns Result<T>: the value, or the Windows error
//   code (see lib/Result.h). Bit sets are scoped enums (lib/Flags.h).
// - Letter case is decided here only: SameName compares names by the file
//   system's rules, UpperCase upper-cases by the system's rules.
// - Dates are PackedFileDate values: the local last-write time packed as the
//   32-bit DOS date and time (see lib/PackedDate.h); -1 means "not available".
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "lib/Flags.h"
#include "lib/Result.h"

namespace plovik {

// Windows error codes the program distinguishes.
enum WinError : uint32_t {
  ErrorSuccess = 0,
  ErrorFileNotFound = 2,
  ErrorPathNotFound = 3,
  ErrorAccessDenied = 5,
  ErrorInvalidHandle = 6,
  ErrorNotEnoughMemory = 8,
  ErrorNoMoreFiles = 18,
  ErrorWriteProtect = 19,
  ErrorNotReady = 21,
  ErrorWriteFault = 29,
  ErrorReadFault = 30,
  ErrorSharingViolation = 32,
  ErrorLockViolation = 33,
  ErrorHandleDiskFull = 39,
  ErrorBadNetPath = 53,
  ErrorNetNameDeleted = 64,  // the network name is no longer available
  ErrorFileExists = 80,
  ErrorOutOfStructures = 84,
  ErrorInvalidParameter = 87,
  ErrorDiskFull = 112,
  ErrorInvalidName = 123,
  ErrorDirNotEmpty = 145,
  ErrorAlreadyExists = 183,
  ErrorMoreData = 234,
  ErrorUserAbort = 240,  // the program's own code for a copy aborted by the user
  ErrorDirectoryName = 267,
  ErrorBadDevice = 1200,
  ErrorConnectionUnavail = 1201,
  ErrorNotConnected = 2250,
};

// Win32 attribute bits. The attribute word is the system's own value, kept
// and compared as it is.
enum FileAttribute : uint32_t {
  AttrReadOnly = 0x0001,
  AttrHidden = 0x0002,
  AttrSystem = 0x0004,
  AttrVolumeId = 0x0008,
  AttrDirectory = 0x0010,
  AttrArchive = 0x0020,
  AttrNormal = 0x0080,
  AttrTemporary = 0x0100,
  AttrCompressed = 0x0800,
  AttrOffline = 0x1000,
  AttrNotContentIndexed = 0x2000,
  AttrEncrypted = 0x4000,
};

// GetDriveType values.
enum DriveKind : uint32_t {
  DriveUnknown = 0,
  DriveNoRootDir = 1,
  DriveRemovable = 2,
  DriveFixed = 3,
  DriveRemote = 4,
  DriveCdRom = 5,
  DriveRamDisk = 6,
};

// One entry of a directory search.
struct DirEntry {
  std::string name;        // long file name, without directory, exactly as held
  int32_t packedDate = -1; // PackedFileDate of the last-write time
  uint64_t size = 0;
  uint32_t attributes = 0;
  uint64_t lastWrite = 0;  // the exact last-write time, as FileStamp holds it
};

// An open directory search. The first entry is delivered by the first call of
// Next(). Closed when destroyed.
class DirSearch {
 public:
  virtual ~DirSearch() = default;
  // The next entry, or nullopt at the end of the directory. A search that
  // cannot go on (the drive or the network went away) fails with the
  // system's error instead: the entries delivered so far are then not all
  // there are. It goes on failing with that error once it has failed.
  virtual Result<std::optional<DirEntry>> Next() = 0;
};

enum class FileAccess : uint32_t {
  None = 0,
  Read = 1,
  Write = 2,
  Delete = 4,  // needed to rename an open file (File::RenameTo)
};
enum class FileShare : uint32_t { None = 0, Read = 1, Write = 2, Delete = 4 };
enum class FileFlags : uint32_t {
  None = 0,
  NoBuffering = 1,      // reads and writes in whole sectors, from aligned buffers
  WriteThrough = 2,
  SequentialScan = 4,
  BackupSemantics = 8,  // needed to open a directory
};
template <> struct IsFlagSet<FileAccess> : std::true_type {};
template <> struct IsFlagSet<FileShare> : std::true_type {};
template <> struct IsFlagSet<FileFlags> : std::true_type {};

enum class FileDisposition { OpenExisting, CreateAlways };

// A file's last-write time as the system keeps it (exact, not packed; its
// unit is the platform's own) and its attributes.
struct FileStamp {
  uint64_t lastWrite = 0;
  uint32_t attributes = 0;
};

// An open file (or directory, with FileFlags::BackupSemantics). Closed when
// destroyed.
class File {
 public:
  virtual ~File() = default;
  // Bytes read; 0 at the end of the file.
  virtual Result<uint32_t> Read(void* buffer, uint32_t count) = 0;
  // Bytes written.
  virtual Result<uint32_t> Write(const void* buffer, uint32_t count) = 0;
  // Moves the file pointer to an absolute position.
  virtual Result<void> Seek(uint64_t position) = 0;
  virtual Result<uint64_t> Position() = 0;
  virtual Result<uint64_t> Size() = 0;
  // Sets the end of the file at the file pointer.
  virtual Result<void> SetEnd() = 0;
  // PackedFileDate of the last-write time.
  virtual Result<int32_t> PackedDate() = 0;
  virtual Result<void> SetPackedDate(int32_t packedDate) = 0;
  // The exact last-write time and the attributes; needs read access.
  virtual Result<FileStamp> Stamp() = 0;
  // Gives the file another file's stamp in one step; needs write access.
  // A time or attributes of 0 stay as they are. Writes after it would date
  // the file anew.
  virtual Result<void> SetStamp(const FileStamp& stamp) = 0;
  // Renames the open file, replacing a file of that name; needs
  // FileAccess::Delete. A read-only target refuses with 5; a target another
  // program holds open without delete sharing refuses with 5 as well (the
  // system's answer), never with 32.
  virtual Result<void> RenameTo(const std::string& path) = 0;
  // True when the file carries data streams besides its main one; false
  // also when the file system cannot tell.
  virtual bool HasNamedStreams() = 0;
};
using FileHandle = std::unique_ptr<File>;

// Page-aligned memory for unbuffered file access. Released when destroyed.
class PageBuffer {
 public:
  virtual ~PageBuffer() = default;
  virtual uint8_t* Data() = 0;
  virtual uint32_t Size() const = 0;
};

// Free and total bytes of a drive, as the caller may use them.
struct DiskSpace {
  int64_t freeBytes = 0;
  int64_t totalBytes = 0;
};

// The allocation units of a drive.
struct DriveGeometry {
  uint32_t bytesPerSector = 0;
  uint32_t bytesPerCluster = 0;
};

// The remote name behind a network drive letter; connected is false for a
// remembered connection that is not connected now.
struct NetConnection {
  std::string remote;
  bool connected = false;
};

// A named mutex, shared between processes by its name. Closed when destroyed.
// Ownership belongs to the one who took the mutex (on Windows the thread),
// not to the handle: any handle of the owner releases it, and an owner that
// ends without releasing it leaves it abandoned.
class NamedMutex {
 public:
  enum class Take { Taken, Abandoned, Busy };
  virtual ~NamedMutex() = default;
  // Tries to take the mutex without waiting. Abandoned: taken over from an
  // owner that ended without releasing it.
  virtual Result<Take> TryTake() = 0;
  // Releases one level of ownership; fails when this process does not own it.
  virtual Result<void> Release() = 0;
};

// The outcome of opening a named mutex.
struct MutexOpening {
  std::unique_ptr<NamedMutex> mutex;
  bool existed = false;  // another handle to a mutex of that name was open
};

// Why a wait for a message or a mutex ended.
enum class Wake {
  Message,   // input or a window message arrived for this thread
  Taken,     // the mutex was free: this process owns it now
  Abandoned, // taken over from an owner that ended without releasing it
  Timeout,
};

enum class BeepKind { Default, Exclamation, Question, Error };

// A civil date and time, as used to pack dates.
struct CivilTime {
  int year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // ---- directory searches -------------------------------------------------
  // The pattern is a directory path followed by a wildcard specification;
  // the system's own wildcard rules apply. All entries are delivered
  // (directories included); callers filter. A search that matches nothing
  // fails with 2; a missing directory with 3.
  virtual Result<std::unique_ptr<DirSearch>> StartSearch(const std::string& pattern) = 0;

  // ---- attributes and directories ---------------------------------------------
  virtual Result<uint32_t> GetAttributes(const std::string& path) = 0;
  virtual Result<void> SetAttributes(const std::string& path, uint32_t attributes) = 0;
  virtual Result<void> CreateDir(const std::string& path) = 0;
  virtual Result<void> RemoveDir(const std::string& path) = 0;

  // ---- files ------------------------------------------------------------------
  virtual Result<FileHandle> OpenFile(const std::string& path, FileAccess access,
                                      FileShare share, FileDisposition disposition,
                                      FileFlags flags) = 0;
  virtual Result<void> RemoveFile(const std::string& path) = 0;
  // Renames (and replaces) a file by its path.
  virtual Result<void> ReplaceFile(const std::string& from, const std::string& to) = 0;
  // The system's plain copy (CopyFile), overwriting allowed unless failIfExists.
  virtual Result<void> SystemCopy(const std::string& src, const std::string& dst,
                                  bool failIfExists) = 0;
  virtual Result<std::unique_ptr<PageBuffer>> AllocatePages(uint32_t size) = 0;

  // ---- drives ---------------------------------------------------------------
  // The letter is used as given; the root is letter + ":\".
  virtual DriveKind DriveType(char letter) = 0;
  virtual Result<DiskSpace> DiskFreeSpace(char letter) = 0;
  virtual Result<DriveGeometry> Geometry(char letter) = 0;
  // Whether the drive's file system can give files named data streams;
  // true when the drive does not tell, so that each file gets asked.
  virtual bool NamedStreamsPossible(char letter) = 0;

  // ---- network connections of drive letters -------------------------------------
  // The remote name of "X:"; fails with the system's code when the letter is
  // neither connected nor remembered.
  virtual Result<NetConnection> NetGetConnection(const std::string& local) = 0;
  // Re-establishes a remembered connection, interactively (the system may ask
  // for credentials) when an owner window is given; without one (0) nobody
  // is asked. The owner window is opaque.
  virtual Result<void> NetAddConnection(uintptr_t ownerWindow, const std::string& local,
                                        const std::string& remote) = 0;

  // ---- names and letter case ------------------------------------------------------
  // Whether two names are the same name to the file system (ordinal, ignoring
  // case: CompareStringOrdinal on Windows).
  virtual bool SameName(const std::string& a, const std::string& b) = 0;
  // The text upper-cased by the system's rules (user locale).
  virtual std::string UpperCase(const std::string& text) = 0;

  // ---- paths a user typed ---------------------------------------------------------
  // Only these canonicalise: never apply them to a name a search delivered.
  virtual std::string CurrentDirectory() = 0;
  // The absolute form of a typed path ("." and ".." resolved, separators
  // unified), relative to the current directory.
  virtual Result<std::string> FullPathName(const std::string& path) = 0;
  // The path with every short (8.3) component replaced by its long name;
  // the path must exist.
  virtual Result<std::string> LongPathName(const std::string& path) = 0;

  // ---- the process and its user -----------------------------------------------------
  // Full path of the running executable.
  virtual std::string ModulePath() = 0;
  // The whole command line as the process received it, program path included.
  virtual std::string CommandLine() = 0;
  // An environment variable; nullopt when it is not set.
  virtual std::optional<std::string> Environment(const std::string& name) = 0;
  // The user-default locale's language identifier (LOCALE_ILANGUAGE).
  virtual uint16_t UserLanguageId() = 0;

  // ---- texts in the system's ANSI code page ------------------------------------------
  // The text in the ANSI code page; nullopt when a character does not fit.
  virtual std::optional<std::string> ToAnsi(const std::string& text) = 0;
  virtual std::string FromAnsi(const std::string& bytes) = 0;

  // ---- time -----------------------------------------------------------------------------
  // Milliseconds of a steady clock (not the time of day).
  virtual uint64_t TickCount() = 0;
  virtual CivilTime LocalNow() = 0;
  // A date in the user's short date format, a time in the user's long time
  // format.
  virtual std::string ShortDateText(const CivilTime& time) = 0;
  virtual std::string LongTimeText(const CivilTime& time) = 0;
  // Waits on a fresh waitable timer due after the given number of 100 ns
  // units (at most 65,535 ms).
  virtual Result<void> TimerWait(int64_t dueIn100ns) = 0;

  // ---- named mutexes and waiting ---------------------------------------------------------
  // Creates or opens the mutex of that name, without taking it.
  virtual Result<MutexOpening> OpenMutex(const std::string& name) = 0;
  // Waits until a window message or input arrives for this thread, or the
  // mutex can be taken (it is then owned), or the time is up. Costs no CPU
  // meanwhile. A null mutex waits for messages alone.
  virtual Wake WaitForMessageOrMutex(NamedMutex* mutex, uint32_t timeoutMs) = 0;

  // ---- errors, sounds and dates -------------------------------------------------------
  // The system's message text for a Windows error code, as delivered
  // (untrimmed, with its line breaks); empty when there is none.
  virtual std::string ErrorText(uint32_t code) = 0;
  virtual void Beep(BeepKind kind) = 0;
  // Packs a local civil time into a PackedFileDate the way the system does
  // (through its file-time conversion).
  virtual int32_t PackLocalTime(const CivilTime& time) = 0;
};

// The process-wide platform. Install before use; the caller keeps ownership.
Platform& Sys();
void InstallPlatform(Platform* platform);

}  // namespace plovik
