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
#include "platform/win32/WinResult.h"
#include "platform/win32/WinText.h"

namespace plovik {

namespace {

class Win32File : public File {
 public:
  explicit Win32File(UniqueFileHandle handle) : handle_(std::move(handle)) {}

  Result<uint32_t> Read(void* buffer, uint32_t count) override {
    DWORD got = 0;
    if (!::ReadFile(handle_.Get(), buffer, count, &got, nullptr)) return LastFailure();
    return static_cast<uint32_t>(got);
  }

  Result<uint32_t> Write(const void* buffer, uint32_t count) override {
    DWORD put = 0;
    if (!::WriteFile(handle_.Get(), buffer, count, &put, nullptr)) return LastFailure();
    return static_cast<uint32_t>(put);
  }

  Result<void> Seek(uint64_t position) override {
    LARGE_INTEGER distance;
    distance.QuadPart = static_cast<LONGLONG>(position);
    return Checked(::SetFilePointerEx(handle_.Get(), distance, nullptr, FILE_BEGIN));
  }

  Result<uint64_t> Position() override {
    LARGE_INTEGER zero;
    zero.QuadPart = 0;
    LARGE_INTEGER position;
    position.QuadPart = 0;
    if (!::SetFilePointerEx(handle_.Get(), zero, &position, FILE_CURRENT)) return LastFailure();
    return static_cast<uint64_t>(position.QuadPart);
  }

  Result<uint64_t> Size() override {
    LARGE_INTEGER value;
    value.QuadPart = 0;
    if (!::GetFileSizeEx(handle_.Get(), &value)) return LastFailure();
    return static_cast<uint64_t>(value.QuadPart);
  }

  Result<void> SetEnd() override { return Checked(::SetEndOfFile(handle_.Get())); }

  Result<int32_t> PackedDate() override {
    FILETIME lastWrite;
    if (!::GetFileTime(handle_.Get(), nullptr, nullptr, &lastWrite)) return LastFailure();
    return PackFileTime(lastWrite);
  }

  Result<void> SetPackedDate(int32_t packedDate) override {
    FILETIME lastWrite;
    if (!UnpackToFileTime(packedDate, lastWrite)) return Failure(ErrorInvalidParameter);
    return Checked(::SetFileTime(handle_.Get(), nullptr, nullptr, &lastWrite));
  }

  Result<FileStamp> Stamp() override {
    // The basic information only: GetFileInformationByHandle would also
    // ask the volume for its serial number, which costs far more.
    FILE_BASIC_INFO info{};
    if (!::GetFileInformationByHandleEx(handle_.Get(), FileBasicInfo, &info, sizeof info))
      return LastFailure();
    FileStamp stamp;
    stamp.lastWrite = static_cast<uint64_t>(info.LastWriteTime.QuadPart);
    stamp.attributes = info.FileAttributes;
    return stamp;
  }

  Result<void> SetStamp(const FileStamp& stamp) override {
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
    return Checked(::SetFileInformationByHandle(handle_.Get(), FileBasicInfo, &info, sizeof info));
  }

  Result<void> RenameTo(const std::string& path) override {
    const std::wstring target = SystemPath(path);
    const size_t nameBytes = target.size() * sizeof(wchar_t);
    // The structure ends in the name; room for it and a terminating zero.
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes + sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(nameBytes);
    std::memcpy(info->FileName, target.c_str(), nameBytes + sizeof(wchar_t));
    return Checked(::SetFileInformationByHandle(handle_.Get(), FileRenameInfo, info,
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

DWORD DesiredAccess(FileAccess access) {
  DWORD desired = 0;
  if (Has(access, FileAccess::Read)) desired |= GENERIC_READ;
  if (Has(access, FileAccess::Write)) desired |= GENERIC_WRITE;
  if (Has(access, FileAccess::Delete)) desired |= DELETE;
  return desired;
}

DWORD ShareMode(FileShare share) {
  DWORD mode = 0;
  if (Has(share, FileShare::Read)) mode |= FILE_SHARE_READ;
  if (Has(share, FileShare::Write)) mode |= FILE_SHARE_WRITE;
  if (Has(share, FileShare::Delete)) mode |= FILE_SHARE_DELETE;
  return mode;
}

DWORD FlagsAndAttributes(FileFlags flags) {
  DWORD value = FILE_ATTRIBUTE_NORMAL;
  if (Has(flags, FileFlags::NoBuffering)) value |= FILE_FLAG_NO_BUFFERING;
  if (Has(flags, FileFlags::WriteThrough)) value |= FILE_FLAG_WRITE_THROUGH;
  if (Has(flags, FileFlags::SequentialScan)) value |= FILE_FLAG_SEQUENTIAL_SCAN;
  if (Has(flags, FileFlags::BackupSemantics)) value |= FILE_FLAG_BACKUP_SEMANTICS;
  return value;
}

}  // namespace

Result<uint32_t> Win32Platform::GetAttributes(const std::string& path) {
  const DWORD value = ::GetFileAttributesW(SystemPath(path).c_str());
  if (value == INVALID_FILE_ATTRIBUTES) return LastFailure();
  return static_cast<uint32_t>(value);
}

Result<void> Win32Platform::SetAttributes(const std::string& path, uint32_t attributes) {
  return Checked(::SetFileAttributesW(SystemPath(path).c_str(), attributes));
}

Result<void> Win32Platform::CreateDir(const std::string& path) {
  return Checked(::CreateDirectoryW(SystemPath(path).c_str(), nullptr));
}

Result<void> Win32Platform::RemoveDir(const std::string& path) {
  return Checked(::RemoveDirectoryW(SystemPath(path).c_str()));
}

Result<FileHandle> Win32Platform::OpenFile(const std::string& path, FileAccess access,
                                           FileShare share, FileDisposition disposition,
                                           FileFlags flags) {
  const DWORD creation =
      disposition == FileDisposition::CreateAlways ? CREATE_ALWAYS : OPEN_EXISTING;
  UniqueFileHandle handle(::CreateFileW(SystemPath(path).c_str(), DesiredAccess(access),
                                        ShareMode(share), nullptr, creation,
                                        FlagsAndAttributes(flags), nullptr));
  if (!handle) return LastFailure();
  return FileHandle(std::make_unique<Win32File>(std::move(handle)));
}

Result<void> Win32Platform::RemoveFile(const std::string& path) {
  return Checked(::DeleteFileW(SystemPath(path).c_str()));
}

Result<void> Win32Platform::ReplaceFile(const std::string& from, const std::string& to) {
  return Checked(::MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
}

Result<void> Win32Platform::SystemCopy(const std::string& src, const std::string& dst,
                                       bool failIfExists) {
  return Checked(
      ::CopyFileW(SystemPath(src).c_str(), SystemPath(dst).c_str(), failIfExists ? TRUE : FALSE));
}

Result<std::unique_ptr<PageBuffer>> Win32Platform::AllocatePages(uint32_t size) {
  if (size == 0) return Failure(ErrorInvalidParameter);
  void* data = Pages().Take(size);
  if (data == nullptr) {
    const DWORD error = ::GetLastError();
    return Failure(error != 0 ? error : static_cast<DWORD>(ErrorNotEnoughMemory));
  }
  return std::unique_ptr<PageBuffer>(std::make_unique<Win32PageBuffer>(data, size));
}

}  // namespace plovik
