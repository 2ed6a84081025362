// Directory searches.
#include <windows.h>

#include <cwchar>
#include <optional>
#include <utility>

#include "lib/Wide.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinDates.h"
#include "platform/win32/WinHandles.h"
#include "platform/win32/WinResult.h"
#include "platform/win32/WinText.h"

namespace plovik {

namespace {

class Win32Search : public DirSearch {
 public:
  Win32Search(UniqueFindHandle handle, const WIN32_FIND_DATAW& first)
      : handle_(std::move(handle)), data_(first) {}

  Result<std::optional<DirEntry>> Next() override {
    if (failure_ != 0) return Failure(failure_);
    if (!handle_) return std::optional<DirEntry>();
    if (!pending_ && !::FindNextFileW(handle_.Get(), &data_)) {
      // Only "no more files" is the directory's end; anything else (a
      // network drop, a removed medium) breaks the search off.
      const uint32_t error = LastFailure().error;
      handle_.Reset();  // either way the search is over: release it now
      if (error == ERROR_NO_MORE_FILES) return std::optional<DirEntry>();
      failure_ = error;
      return Failure(failure_);
    }
    pending_ = false;
    DirEntry entry;
    // The name exactly as the file system holds it (WTF-8 where it is not
    // valid UTF-16).
    entry.name = Narrow(data_.cFileName, ::wcsnlen(data_.cFileName, MAX_PATH));
    entry.packedDate = PackFileTime(data_.ftLastWriteTime);
    entry.lastWrite = (static_cast<uint64_t>(data_.ftLastWriteTime.dwHighDateTime) << 32) |
                      data_.ftLastWriteTime.dwLowDateTime;
    entry.size = (static_cast<uint64_t>(data_.nFileSizeHigh) << 32) | data_.nFileSizeLow;
    entry.attributes = data_.dwFileAttributes;
    return std::optional<DirEntry>(std::move(entry));
  }

 private:
  UniqueFindHandle handle_;
  WIN32_FIND_DATAW data_;
  bool pending_ = true;  // the first entry came with the handle
  uint32_t failure_ = 0;  // the error that broke the search off
};

}  // namespace

Result<std::unique_ptr<DirSearch>> Win32Platform::StartSearch(const std::string& pattern) {
  WIN32_FIND_DATAW first{};
  UniqueFindHandle handle(::FindFirstFileW(SystemPath(pattern).c_str(), &first));
  if (!handle) return LastFailure();
  return std::unique_ptr<DirSearch>(std::make_unique<Win32Search>(std::move(handle), first));
}

}  // namespace plovik
