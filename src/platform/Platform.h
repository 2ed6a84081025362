// The operating-system services the program needs. Everything above this
// layer reaches the file system, drives, the network, mutexes, timers and the
// user's locale only through the process-wide Platform object, which the
// Windows entry point installs with the Win32 implementation and the tests
// with the in-memory fake.
//
// Conventions of the interface:
// - Paths are UTF-8 texts in Windows form (drive letters or \\server\share,
//   backslashes). The implementation converts at its own boundary.
// - A function that can fail returns a Windows error code (0 = success), or
//   a null handle together with the code in an out parameter.
// - Dates are PackedFileDate values: the local last-write time packed as the
//   32-bit DOS date and time (see lib/PackedDate.h); -1 means "not available".
#pragma once

#include <cstdint>
#include <memory>
#include <string>

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
  ErrorFileExists = 80,
  ErrorOutOfStructures = 84,
  ErrorInvalidParameter = 87,
  ErrorDiskFull = 112,
  ErrorInvalidName = 123,
  ErrorDirNotEmpty = 145,
  ErrorAlreadyExists = 183,
  ErrorMoreData = 234,
  ErrorUserAbort = 240,  // the program's own code for a copy aborted by the user
  ErrorNotConnected = 2250,
  ErrorConnectionUnavail = 1201,
  ErrorBadDevice = 1200,
};

// Win32 attribute bits.
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
  AttrEncrypted = 0x4000,
};
constexpr uint32_t InvalidAttributes = 0xFFFFFFFFu;

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
  std::string name;        // long file name, without directory
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
  // Delivers the next entry; false when there are no more (or the search
  // could not be started: Error() then tells why).
  virtual bool Next(DirEntry& entry) = 0;
  virtual uint32_t Error() const = 0;
};

// AccessDelete is needed to rename an open file (File::RenameTo).
enum FileAccessBits : uint32_t { AccessRead = 1, AccessWrite = 2, AccessDelete = 4 };
enum FileShareBits : uint32_t { ShareRead = 1, ShareWrite = 2, ShareDelete = 4 };
enum class FileDisposition { OpenExisting, CreateAlways };
enum FileFlagBits : uint32_t {
  FlagNone = 0,
  FlagNoBuffering = 1,     // reads and writes in whole sectors, from aligned buffers
  FlagWriteThrough = 2,
  FlagSequentialScan = 4,
  FlagBackupSemantics = 8, // needed to open a directory
};

// A file's last-write time as the system keeps it (exact, not packed; its
// unit is the platform's own) and its attributes.
struct FileStamp {
  uint64_t lastWrite = 0;
  uint32_t attributes = 0;
};

// An open file (or directory, with FlagBackupSemantics). Closed when
// destroyed. Every operation returns a Windows error code, 0 on success.
class File {
 public:
  virtual ~File() = default;
  virtual uint32_t Read(void* buffer, uint32_t count, uint32_t& done) = 0;
  virtual uint32_t Write(const void* buffer, uint32_t count, uint32_t& done) = 0;
  // Moves the file pointer to an absolute position.
  virtual uint32_t Seek(uint64_t position) = 0;
  virtual uint64_t Position() const = 0;
  virtual uint32_t Size(uint64_t& size) = 0;
  // Sets the end of the file at the file pointer.
  virtual uint32_t SetEnd() = 0;
  // PackedFileDate of the last-write time; -1 when it cannot be read.
  virtual int32_t PackedDate() = 0;
  virtual uint32_t SetPackedDate(int32_t packedDate) = 0;
  // The exact last-write time and the attributes; needs read access.
  virtual uint32_t Stamp(FileStamp& stamp) = 0;
  // Gives the file another file's stamp in one step; needs write access.
  // A time or attributes of 0 stay as they are. Writes after it would date
  // the file anew.
  virtual uint32_t SetStamp(const FileStamp& stamp) = 0;
  // Renames the open file, replacing a file of that name (which a
  // read-only attribute protects); needs AccessDelete.
  virtual uint32_t RenameTo(const std::string& path) = 0;
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

enum class BeepKind { Default, Exclamation, Question, Error };

// A civil date and time, as used to pack dates.
struct CivilTime {
  int year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Directory searches. The pattern is a directory path followed by a
  // wildcard specification; the system's own wildcard rules apply. All
  // entries are delivered (directories included); callers filter.
  virtual std::unique_ptr<DirSearch> StartSearch(const std::string& pattern) = 0;

  // Attributes. GetAttributes returns an error code and fills attributes.
  virtual uint32_t GetAttributes(const std::string& path, uint32_t& attributes) = 0;
  virtual uint32_t SetAttributes(const std::string& path, uint32_t attributes) = 0;

  // Directories.
  virtual uint32_t CreateDir(const std::string& path) = 0;
  virtual uint32_t RemoveDir(const std::string& path) = 0;

  // Files.
  virtual FileHandle OpenFile(const std::string& path, uint32_t access, uint32_t share,
                              FileDisposition disposition, uint32_t flags,
                              uint32_t& error) = 0;
  virtual uint32_t RemoveFile(const std::string& path) = 0;
  // Renames (and replaces) a file; used to put a fully written file in place.
  virtual uint32_t ReplaceFile(const std::string& from, const std::string& to) = 0;
  // The system's plain copy (CopyFile), overwriting allowed unless failIfExists.
  virtual uint32_t SystemCopy(const std::string& src, const std::string& dst,
                              bool failIfExists) = 0;
  virtual std::unique_ptr<PageBuffer> AllocatePages(uint32_t size, uint32_t& error) = 0;

  // Drives. The letter is used as given; the root is letter + ":\".
  virtual uint32_t DriveType(char letter) = 0;
  // Free and total bytes of a drive; false when the query fails.
  virtual bool DiskFreeSpace(char letter, int64_t& freeBytes, int64_t& totalBytes) = 0;
  // Bytes per sector of a drive; 0 when the query fails.
  virtual uint32_t SectorSize(char letter) = 0;
  // Whether the drive's file system can give files named data streams;
  // true when the drive does not tell, so that each file gets asked.
  virtual bool NamedStreamsPossible(char letter) = 0;

  // Network connection of a drive letter: the remote name of "X:" and the
  // re-establishing of a remembered connection. The owner window is opaque.
  virtual uint32_t NetGetConnection(const std::string& local, std::string& remote) = 0;
  virtual uint32_t NetAddConnection(uintptr_t ownerWindow, const std::string& local,
                                    const std::string& remote) = 0;

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
