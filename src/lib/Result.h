// The outcome of a call that can fail: either its value or the Windows
// error code that kept it from giving one. One convention for every such
// call, instead of sentinel values, out-parameters and booleans.
//
//   Result<uint32_t> attributes = Sys().GetAttributes(path);
//   if (!attributes) return attributes.Error();
//   use(*attributes);
//
// A failure always carries a code other than 0: Failure(0) is taken as
// ERROR_INVALID_HANDLE (6), the code of a call that failed without saying why.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

namespace plovik {

// A failure code on its way into a Result of any type: `return Failure(5);`.
struct Failure {
  explicit constexpr Failure(uint32_t code) : error(code != 0 ? code : 6) {}
  uint32_t error;
};

template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}  // NOLINT: success converts implicitly
  Result(Failure failure) : error_(failure.error) {}  // NOLINT

  bool Ok() const { return error_ == 0; }
  explicit operator bool() const { return Ok(); }
  // The Windows error code; 0 on success.
  uint32_t Error() const { return error_; }

  // The value; only on success.
  T& Value() & { return *value_; }
  const T& Value() const& { return *value_; }
  T&& Value() && { return std::move(*value_); }
  T& operator*() & { return *value_; }
  const T& operator*() const& { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }
  // The value, or the fallback when the call failed.
  T ValueOr(T fallback) const& { return Ok() ? *value_ : std::move(fallback); }

 private:
  std::optional<T> value_;
  uint32_t error_ = 0;
};

template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Failure failure) : error_(failure.error) {}  // NOLINT

  bool Ok() const { return error_ == 0; }
  explicit operator bool() const { return Ok(); }
  uint32_t Error() const { return error_; }

 private:
  uint32_t error_ = 0;
};

// Success of a call without a value.
inline Result<void> Success() { return Result<void>(); }

// A Result<void> from a Windows error code: 0 is success.
inline Result<void> FromCode(uint32_t code) {
  return code == 0 ? Result<void>() : Result<void>(Failure(code));
}

}  // namespace plovik
