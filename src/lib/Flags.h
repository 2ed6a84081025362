// Bit sets as scoped enums: two sets of different kinds can never be
// swapped or mixed silently. An enum takes part by declaring
//   template <> struct IsFlagSet<MyFlags> : std::true_type {};
// and then combines with |, & and ~, and is tested with Has().
#pragma once

#include <type_traits>

namespace plovik {

template <class E>
struct IsFlagSet : std::false_type {};

template <class E>
concept FlagSet = std::is_enum_v<E> && IsFlagSet<E>::value;

template <FlagSet E>
constexpr E operator|(E a, E b) {
  using U = std::underlying_type_t<E>;
  return static_cast<E>(static_cast<U>(a) | static_cast<U>(b));
}

template <FlagSet E>
constexpr E operator&(E a, E b) {
  using U = std::underlying_type_t<E>;
  return static_cast<E>(static_cast<U>(a) & static_cast<U>(b));
}

template <FlagSet E>
constexpr E operator~(E a) {
  using U = std::underlying_type_t<E>;
  return static_cast<E>(~static_cast<U>(a));
}

template <FlagSet E>
constexpr E& operator|=(E& a, E b) {
  return a = a | b;
}

// True when every bit of `bits` is set in `set`.
template <FlagSet E>
constexpr bool Has(E set, E bits) {
  using U = std::underlying_type_t<E>;
  return (static_cast<U>(set) & static_cast<U>(bits)) == static_cast<U>(bits);
}

// True when no bit is set.
template <FlagSet E>
constexpr bool None(E set) {
  using U = std::underlying_type_t<E>;
  return static_cast<U>(set) == 0;
}

}  // namespace plovik
