// Files, attributes, directories and page-aligned buffers.
#include <windows.h>

#include <cstring>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinDates.h"
#include "platform/win32/WinHandles.h"
#include "platform/win32/WinText.h"

namespace plovik {

namespace {

// The last error, never 0 for a call that reported failure.
uint32_t LastError() {
  DWORD error = ::GetLastError();
  return error != 0 ? static_cast<uint32_t>(error) : static_cast<uint32_t>(ErrorInvalidHandle);
}

uint32_t Result(BOOL ok) { return ok ? ErrorSuccess : LastError(); }

class Win32File : public File {
 public:
  explicit Win32File(UniqueFileHandle handle) : handle_(std::move(handle)) {}

  uint32_t Read(void* buffer, uint32_t count, uint32_t& done) override {
    DWORD got = 0;
    BOOL ok = ::ReadFile(handle_.Get(), buffer, count, &got, nullptr);
    done = got;
    return Result(ok);
  }

  uint32_t Write(const void* buffer, uint32_t count, uint32_t& done) override {
    DWORD put = 0;
    BOOL ok = ::WriteFile(handle_.Get(), buffer, count, &put, nullptr);
    done = put;
    return Result(ok);
  }

  uint32_t Seek(uint64_t position) override {
    LARGE_INTEGER distance;
    distance.QuadPart = static_cast<LONGLONG>(position);
    return Result(::SetFilePointerEx(handle_.Get(), distance, nullptr, FILE_BEGIN));
  }

  uint64_t Position() const override {
    LARGE_INTEGER zero;
    zero.QuadPart = 0;
    LARGE_INTEGER position;
    position.QuadPart = 0;
    if (!::SetFilePointerEx(handle_.Get(), zero, &position, FILE_CURRENT)) return 0;
    return static_cast<uint64_t>(position.QuadPart);
  }

  uint32_t Size(uint64_t& size) override {
    LARGE_INTEGER value;
    value.QuadPart = 0;
    BOOL ok = ::GetFileSizeEx(handle_.Get(), &value);
    size = ok ? static_cast<uint64_t>(value.QuadPart) : 0;
    return Result(ok);
  }

  uint32_t SetEnd() override { return Result(::SetEndOfFile(handle_.Get())); }

  int32_t PackedDate() override {
    FILETIME lastWrite;
    if (!::GetFileTime(handle_.Get(), nullptr, nullptr, &lastWrite)) return -1;
    return PackFileTime(lastWrite);
  }

  uint32_t SetPackedDate(int32_t packedDate) override {
    FILETIME lastWrite;
    if (!UnpackToFileTime(packedDate, lastWrite)) return ErrorInvalidParameter;
    return Result(::SetFileTime(handle_.Get(), nullptr, nullptr, &lastWrite));
  }

  uint32_t Stamp(FileStamp& stamp) override {
    // The basic information only: GetFileInformationByHandle would also
    // ask the volume for its serial number, which costs far more.
    FILE_BASIC_INFO info{};
    if (!::GetFileInformationByHandleEx(handle_.Get(), FileBasicInfo, &info, sizeof info))
      return LastError();
    stamp.lastWrite = static_cast<uint64_t>(info.LastWriteTime.QuadPart);
    stamp.attributes = info.FileAttributes;
    return ErrorSuccess;
  }

  uint32_t SetStamp(const FileStamp& stamp) override {
    FILE_BASIC_INFO info{};  // times of 0 stay as they are
    info.LastWriteTime.QuadPart = static_cast<LONGLONG>(stamp.lastWrite);
    // Attributes the system sets by itself are not given back to it. A
    // value of 0 leaves the attributes as they are.
    const DWORD settable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                           FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                           FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                           FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD attributes = stamp.attributes & settable;
    if (stamp.attributes != 0)
      info.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
    return Result(
        ::SetFileInformationByHandle(handle_.Get(), FileBasicInfo, &info, sizeof info));
  }

  uint32_t RenameTo(const std::string& path) override {
    const std::wstring target = SystemPath(path);
    const size_t nameBytes = target.size() * sizeof(wchar_t);
    // The structure ends in the name; room for it and a terminating zero.
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes + sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(nameBytes);
    std::memcpy(info->FileName, target.c_str(), nameBytes + sizeof(wchar_t));
    return Result(::SetFileInformationByHandle(handle_.Get(), FileRenameInfo, info,
                                               static_cast<DWORD>(buffer.size())));
  }

  bool HasNamedStreams() override {
    // The stream list starts with the main stream "::$DATA"; any entry after
    // it, or a first entry of another name, is a named stream. A file
    // system (or system) that cannot list streams has none to lose.
    alignas(8) unsigned char buffer[4096];
    if (!::GetFileInformationByHandleEx(handle_.Get(), FileStreamInfo, buffer, sizeof buffer))
      return ::GetLastError() == ERROR_MORE_DATA;
    const auto* info = reinterpret_cast<const FILE_STREAM_INFO*>(buffer);
    if (info->NextEntryOffset != 0) return true;
    const std::wstring name(info->StreamName, info->StreamNameLength / sizeof(wchar_t));
    return info->StreamNameLength != 0 && name != L"::$DATA";
  }

 private:
  UniqueFileHandle handle_;
};

// Released page buffers are kept for the next request of the same size.
// Fresh pages cost a fault each when first touched and their release costs
// as much again; for a verified copy of many small files that outweighs the
// copy itself. A few buffers of up to 1 MiB are kept; a kept buffer is
// handed out zeroed, as fresh pages are.
class PagePool {
 public:
  void* Take(uint32_t size) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      for (size_t i = kept_.size(); i-- > 0;) {
        if (kept_[i].second != size) continue;
        void* data = kept_[i].first;
        kept_.erase(kept_.begin() + static_cast<std::ptrdiff_t>(i));
        std::memset(data, 0, size);
        return data;
      }
    }
    return ::VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  }

  void Give(void* data, uint32_t size) {
    if (size <= MaxKeptSize) {
      std::lock_guard<std::mutex> lock(mutex_);
      if (kept_.size() < MaxKept) {
        kept_.emplace_back(data, size);
        return;
      }
    }
    ::VirtualFree(data, 0, MEM_RELEASE);
  }

 private:
  static constexpr size_t MaxKept = 4;
  static constexpr uint32_t MaxKeptSize = 1u << 20;
  std::mutex mutex_;
  std::vector<std::pair<void*, uint32_t>> kept_;
};

// Never destroyed, so that a buffer released during the program's exit
// still finds it; the system takes the kept pages back with the process.
PagePool& Pages() {
  static PagePool* const pool = new PagePool;
  return *pool;
}

class Win32PageBuffer : public PageBuffer {
 public:
  Win32PageBuffer(void* data, uint32_t size) : data_(static_cast<uint8_t*>(data)), size_(size) {}
  Win32PageBuffer(const Win32PageBuffer&) = delete;
  Win32PageBuffer& operator=(const Win32PageBuffer&) = delete;
  ~Win32PageBuffer() override { Pages().Give(data_, size_); }

  uint8_t* Data() override { return data_; }
  uint32_t Size() const override { return size_; }

 private:
  uint8_t* data_;
  uint32_t size_;
};

}  // namespace

uint32_t Win32Platform::GetAttributes(const std::string& path, uint32_t& attributes) {
  DWORD value = ::GetFileAttributesW(SystemPath(path).c_str());
  if (value == INVALID_FILE_ATTRIBUTES) {
    attributes = InvalidAttributes;
    return LastError();
  }
  attributes = value;
  return ErrorSuccess;
}

uint32_t Win32Platform::SetAttributes(const std::string& path, uint32_t attributes) {
  return Result(::SetFileAttributesW(SystemPath(path).c_str(), attributes));
}

uint32_t Win32Platform::CreateDir(const std::string& path) {
  return Result(::CreateDirectoryW(SystemPath(path).c_str(), nullptr));
}

uint32_t Win32Platform::RemoveDir(const std::string& path) {
  return Result(::RemoveDirectoryW(SystemPath(path).c_str()));
}

FileHandle Win32Platform::OpenFile(const std::string& path, uint32_t access, uint32_t share,
                                   FileDisposition disposition, uint32_t flags,
                                   uint32_t& error) {
  DWORD desired = 0;
  if (access & AccessRead) desired |= GENERIC_READ;
  if (access & AccessWrite) desired |= GENERIC_WRITE;
  if (access & AccessDelete) desired |= DELETE;
  DWORD shareMode = 0;
  if (share & ShareRead) shareMode |= FILE_SHARE_READ;
  if (share & ShareWrite) shareMode |= FILE_SHARE_WRITE;
  if (share & ShareDelete) shareMode |= FILE_SHARE_DELETE;
  DWORD creation = disposition == FileDisposition::CreateAlways ? CREATE_ALWAYS : OPEN_EXISTING;
  DWORD flagsAndAttributes = FILE_ATTRIBUTE_NORMAL;
  if (flags & FlagNoBuffering) flagsAndAttributes |= FILE_FLAG_NO_BUFFERING;
  if (flags & FlagWriteThrough) flagsAndAttributes |= FILE_FLAG_WRITE_THROUGH;
  if (flags & FlagSequentialScan) flagsAndAttributes |= FILE_FLAG_SEQUENTIAL_SCAN;
  if (flags & FlagBackupSemantics) flagsAndAttributes |= FILE_FLAG_BACKUP_SEMANTICS;

  UniqueFileHandle handle(::CreateFileW(SystemPath(path).c_str(), desired, shareMode, nullptr,
                                        creation, flagsAndAttributes, nullptr));
  if (!handle) {
    error = LastError();
    return nullptr;
  }
  error = ErrorSuccess;
  return std::make_unique<Win32File>(std::move(handle));
}

uint32_t Win32Platform::RemoveFile(const std::string& path) {
  return Result(::DeleteFileW(SystemPath(path).c_str()));
}

uint32_t Win32Platform::ReplaceFile(const std::string& from, const std::string& to) {
  return Result(::MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
}

uint32_t Win32Platform::SystemCopy(const std::string& src, const std::string& dst,
                                   bool failIfExists) {
  return Result(
      ::CopyFileW(SystemPath(src).c_str(), SystemPath(dst).c_str(), failIfExists ? TRUE : FALSE));
}

std::unique_ptr<PageBuffer> Win32Platform::AllocatePages(uint32_t size, uint32_t& error) {
  if (size == 0) {
    error = ErrorInvalidParameter;
    return nullptr;
  }
  void* data = Pages().Take(size);
  if (data == nullptr) {
    error = ::GetLastError();
    if (error == 0) error = ErrorNotEnoughMemory;
    return nullptr;
  }
  error = ErrorSuccess;
  return std::make_unique<Win32PageBuffer>(data, size);
}

}  // namespace plovik
