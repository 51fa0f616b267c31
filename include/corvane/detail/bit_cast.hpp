// The object representation of one trivially copyable type read as another,
// usable in constant expressions. Every compiler the library supports has the
// builtin, while some standard libraries it meets (libc++ 13, and with it the
// WebAssembly toolchain's) do not have the <bit> function yet.
#pragma once

#include <type_traits>

namespace corvane::detail {

template <class To, class From>
  requires(sizeof(To) == sizeof(From) && std::is_trivially_copyable_v<To> &&
           std::is_trivially_copyable_v<From>)
[[nodiscard]] constexpr To bit_cast(const From& from) noexcept {
  return __builtin_bit_cast(To, from);
}

}  // namespace corvane::detail
