// Directory searches.
#include <windows.h>

#include <cwchar>

#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinDates.h"
#include "platform/win32/WinHandles.h"
#include "platform/win32/WinText.h"

namespace plovik {

namespace {

class Win32Search : public DirSearch {
 public:
  explicit Win32Search(const std::wstring& pattern) {
    handle_.Reset(::FindFirstFileW(pattern.c_str(), &data_));
    if (handle_) {
      pending_ = true;
    } else {
      error_ = ::GetLastError();
      if (error_ == 0) error_ = ErrorFileNotFound;
    }
  }

  bool Next(DirEntry& entry) override {
    if (!handle_) return false;
    if (!pending_) {
      if (!::FindNextFileW(handle_.Get(), &data_)) {
        DWORD error = ::GetLastError();
        if (error != ERROR_NO_MORE_FILES) error_ = error;
        handle_.Reset();  // the search is over: release it now
        return false;
      }
    }
    pending_ = false;
    entry.name = Narrow(data_.cFileName, ::wcsnlen(data_.cFileName, MAX_PATH));
    entry.packedDate = PackFileTime(data_.ftLastWriteTime);
    entry.lastWrite = (static_cast<uint64_t>(data_.ftLastWriteTime.dwHighDateTime) << 32) |
                      data_.ftLastWriteTime.dwLowDateTime;
    entry.size = (static_cast<uint64_t>(data_.nFileSizeHigh) << 32) | data_.nFileSizeLow;
    entry.attributes = data_.dwFileAttributes;
    return true;
  }

  uint32_t Error() const override { return error_; }

 private:
  UniqueFindHandle handle_;
  WIN32_FIND_DATAW data_{};
  bool pending_ = false;
  uint32_t error_ = ErrorSuccess;
};

}  // namespace

std::unique_ptr<DirSearch> Win32Platform::StartSearch(const std::string& pattern) {
  return std::make_unique<Win32Search>(SystemPath(pattern));
}

}  // namespace plovik
