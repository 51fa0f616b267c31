// Fixed-point text of floats, byte for byte what printf's "%.*f" gives (the
// exact value rounded to the digits asked for, ties to even, a negative value
// keeping its sign when it rounds to zero), for any precision.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

#include "corvane/detail/bit_cast.hpp"

namespace corvane::detail {

/// Digits after the point beyond which a float's fixed-point text only gains
/// zeros: the smallest float, 2^-149, has exactly 149 of them.
inline constexpr std::size_t kMaxExactFractionDigits = 149;

/// Largest precision served by the 64-bit fast path (the float scaled by
/// 10^precision, rounded, and written two digits at a time).
inline constexpr std::size_t kMaxFastFixedPrecision = 9;

/// Integer digits of the largest float (3.4e38).
inline constexpr std::size_t kMaxFloatIntegerDigits = std::numeric_limits<float>::max_exponent10 + 1;

/// Most characters write_fixed writes for any float at `precision`: a sign,
/// the integer digits, the point and the fraction. A compile-time capacity.
constexpr std::size_t max_fixed_chars(std::size_t precision) noexcept {
  return 1 + kMaxFloatIntegerDigits + 1 + precision;
}

/// Characters before the digits: a sign and at most 39 integer digits (the
/// rounded magnitude of a float below 2^k has at most floor(k*log10 2) + 1 of
/// them, since it is at most 2^k). 0.30103 is slightly above log10 2, so the
/// integer estimate never falls short.
constexpr std::size_t integer_digits_bound(int k) noexcept {
  return k <= 0 ? 1u : static_cast<std::size_t>(k * 30103 / 100000 + 1);
}
// The largest finite float is below 2^128.
static_assert(integer_digits_bound(128) == kMaxFloatIntegerDigits);

/// An upper bound of the characters write_fixed writes for `value` at
/// `precision`, at most three above the exact count and never above
/// max_fixed_chars(precision), or 0 when it would exceed the range of
/// std::size_t. Inline: the map text sizes its buffer with it per number.
[[nodiscard]] inline std::size_t fixed_chars_bound(float value, std::size_t precision) noexcept {
  const int biased_exponent = static_cast<int>((bit_cast<std::uint32_t>(value) >> 23) & 0xFFu);
  if (biased_exponent == 0xFF) return 4;  // "nan", "inf", "-inf"
  const int k = biased_exponent - 126;    // |value| < 2^k
  const std::size_t head = 1 + integer_digits_bound(k) + 1;  // a sign, the digits, the point
  if (precision > std::numeric_limits<std::size_t>::max() - head) return 0;
  return head + precision;
}

/// Writes `value` with `precision` digits after the point (no point for 0) at
/// `out` and returns the end; `out` must have room for fixed_chars_bound()
/// characters. A NaN is written "nan" whatever its sign bit, infinities "inf"
/// and "-inf".
char* write_fixed(char* out, float value, std::size_t precision) noexcept;

/// The same text, always by the exact path that write_fixed takes beyond its
/// 64-bit fast range: the integer part and the binary fraction in a few 32-bit
/// words, nine fraction digits per multiplication, then one rounding.
char* write_fixed_exact(char* out, float value, std::size_t precision) noexcept;

}  // namespace corvane::detail
