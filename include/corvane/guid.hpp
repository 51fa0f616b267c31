// Guid: the 32-bit identifier with which the world names objects and landblocks.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

#include "corvane/export.hpp"

namespace corvane {

/// A 32-bit identifier. Every raw value is valid; the layout of the bits is the
/// business of its users (a landblock id reads bits 31..24 as landblock x,
/// 23..16 as landblock y and 15..0 as the cell).
struct Guid {
  std::uint32_t raw = 0;

  /// The raw value.
  constexpr explicit operator std::uint32_t() const noexcept { return raw; }

  /// The raw value shifted right by `rhs` bits, zero-filled, as a plain integer.
  /// A shift of 32 or more gives 0 (every bit has been shifted out) instead of
  /// the undefined behaviour of a plain C++ shift.
  constexpr std::uint32_t operator>>(std::uint32_t rhs) const noexcept {
    return rhs < 32 ? raw >> rhs : 0u;
  }

  /// The raw value AND `rhs`, as a plain integer.
  constexpr std::uint32_t operator&(std::uint32_t rhs) const noexcept { return raw & rhs; }

  friend constexpr bool operator==(Guid, Guid) noexcept = default;
  /// Ordering by raw value, for sorted containers.
  friend constexpr auto operator<=>(Guid, Guid) noexcept = default;
};

/// Writes the debug text: "0x" and exactly eight uppercase hexadecimal digits.
CORVANE_EXPORT std::ostream& operator<<(std::ostream& os, Guid guid);

/// The debug text as a string, "0x00000100" for raw value 256.
CORVANE_EXPORT std::string debug_string(Guid guid);

}  // namespace corvane

template <>
struct std::hash<corvane::Guid> {
  std::size_t operator()(corvane::Guid guid) const noexcept {
    return std::hash<std::uint32_t>{}(guid.raw);
  }
};
