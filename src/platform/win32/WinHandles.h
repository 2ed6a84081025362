// Owning guards for Win32 handles. Each guard is move-only, so a handle is
// closed exactly once, and knows its own "invalid" values: a file handle
// rejects both INVALID_HANDLE_VALUE and NULL, a search handle is closed with
// FindClose, a kernel object (mutex, timer) is invalid only as NULL.
#pragma once

#include <windows.h>

#include <utility>

namespace plovik {

template <typename Traits>
class UniqueWinHandle {
 public:
  using Value = typename Traits::Value;

  UniqueWinHandle() = default;
  explicit UniqueWinHandle(Value value) : value_(value) {}
  UniqueWinHandle(const UniqueWinHandle&) = delete;
  UniqueWinHandle& operator=(const UniqueWinHandle&) = delete;
  UniqueWinHandle(UniqueWinHandle&& other) noexcept : value_(other.Release()) {}
  UniqueWinHandle& operator=(UniqueWinHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~UniqueWinHandle() { Reset(); }

  bool Valid() const { return Traits::IsValid(value_); }
  explicit operator bool() const { return Valid(); }
  Value Get() const { return value_; }

  // Gives up ownership without closing.
  Value Release() {
    Value value = value_;
    value_ = Traits::Invalid();
    return value;
  }
  // Closes the held handle (if any) and takes the new one.
  void Reset(Value value = Traits::Invalid()) {
    if (Traits::IsValid(value_)) Traits::Close(value_);
    value_ = value;
  }

 private:
  Value value_ = Traits::Invalid();
};

struct FileHandleTraits {
  using Value = HANDLE;
  static Value Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Value value) {
    return value != INVALID_HANDLE_VALUE && value != nullptr;
  }
  static void Close(Value value) { ::CloseHandle(value); }
};

struct FindHandleTraits {
  using Value = HANDLE;
  static Value Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Value value) {
    return value != INVALID_HANDLE_VALUE && value != nullptr;
  }
  static void Close(Value value) { ::FindClose(value); }
};

struct KernelHandleTraits {
  using Value = HANDLE;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value value) { return value != nullptr; }
  static void Close(Value value) { ::CloseHandle(value); }
};

using UniqueFileHandle = UniqueWinHandle<FileHandleTraits>;
using UniqueKernelHandle = UniqueWinHandle<KernelHandleTraits>;
using UniqueFindHandle = UniqueWinHandle<FindHandleTraits>;

}  // namespace plovik
