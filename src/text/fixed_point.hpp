// Fixed-point text of floats, byte for byte what printf's "%.*f" gives (the
// exact value rounded to the digits asked for, ties to even, a negative value
// keeping its sign when it rounds to zero), for any precision.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <utility>

#include "corvane/detail/bit_cast.hpp"
#include "text/decimal_digits.hpp"

namespace corvane::detail {

/// Digits after the point beyond which a float's fixed-point text only gains
/// zeros: the smallest float, 2^-149, has exactly 149 of them.
inline constexpr std::size_t kMaxExactFractionDigits = 149;

/// Largest precision served by the 64-bit fast path (the float scaled by
/// 10^precision and rounded in 64 bits: 2^24 * 10^9 < 2^54).
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
/// fast range: the integer part and the binary fraction in a few 32-bit words,
/// nine fraction digits per multiplication, then one rounding.
char* write_fixed_exact(char* out, float value, std::size_t precision) noexcept;

/// Bytes past the end of its text that write_fixed_padded may overwrite: it
/// stores whole eight-byte words.
inline constexpr std::size_t kFixedPadding = 8;

/// The text of write_fixed at a precision known at compile time, where `out`
/// has kFixedPadding bytes of room beyond fixed_chars_bound(). Below 2^23 (the
/// texts of map coordinates and most others) it is straight-line integer code:
/// the exact value scaled by 10^Precision and rounded to even in 64 bits, then
/// its digits made a word at a time (eight_digits, four_digits) and placed
/// around the point; above, and for non-finite values, it is
/// write_fixed_exact.
template <std::size_t Precision>
[[gnu::always_inline]] inline char* write_fixed_padded(char* out, float value) noexcept {
  static_assert(Precision <= kMaxFastFixedPrecision);
  constexpr std::uint32_t kScale = [] {
    std::uint32_t p = 1;
    for (std::size_t i = 0; i < Precision; ++i) p *= 10u;
    return p;
  }();
  const std::uint32_t bits = bit_cast<std::uint32_t>(value);
  const std::uint32_t biased_exponent = (bits >> 23) & 0xFFu;
  // From 2^23 up floats are integers (or not finite): rare, and exact there.
  if (biased_exponent >= 150) [[unlikely]] {
    return write_fixed_exact(out, value, Precision);
  }
  // value = mantissa / 2^shift exactly, shift from 1 to 149; beyond 63 the
  // scaled mantissa (below 2^54) is under half of 2^shift and rounds to 0 as
  // it does at 63.
  const std::uint32_t fraction_bits = bits & 0x7FFFFFu;
  const std::uint64_t mantissa = biased_exponent == 0 ? fraction_bits : fraction_bits | 0x800000u;
  const std::uint32_t shift = biased_exponent == 0 ? 63u : std::min(150u - biased_exponent, 63u);
  const std::uint64_t scaled = mantissa * kScale;
  // Ties to even: a remainder of exactly half carries only into an odd
  // quotient. The sum stays below 2^54 + 2^62.
  const std::uint64_t half = std::uint64_t{1} << (shift - 1u);
  const std::uint64_t rounded = (scaled + (half - 1u) + ((scaled >> shift) & 1u)) >> shift;

  *out = '-';
  out += bits >> 31;
  if constexpr (Precision <= 7) {
    // Below 10^8 (always at precisions 0 and 1, where rounded is at most
    // 2^23 * 10) all the digits come from one word: the integer digits first,
    // then the point is placed and the fraction digits stored after it.
    if (Precision <= 1 || rounded < 100000000u) {
      // Four digits are cheaper to make and usual (map coordinates at one
      // digit); under four zeros they are the word eight_digits makes.
      const std::uint64_t digits =
          rounded < 10000u ? four_digits(static_cast<std::uint32_t>(rounded)) << 32 | 0x30303030u
                           : eight_digits(static_cast<std::uint32_t>(rounded));
      // The digits written: all but the leading '0' bytes (the lowest),
      // keeping the units digit and those after the point. Counted from the
      // word rather than from rounded, it takes no table load or multiply.
      const auto zeros =
          static_cast<std::size_t>(std::countr_zero(digits ^ 0x3030303030303030u)) / 8;
      const std::size_t count = 8 - std::min(zeros, 7 - Precision);
      store_bytes_low_first(out, digits >> (8 * (8 - count)));
      out += count - Precision;
      if constexpr (Precision > 0) {
        *out++ = '.';
        store_bytes_low_first(out, digits >> (8 * (8 - Precision)));
      }
      return out + Precision;
    }
  }
  // Below 2^23 * 10^Precision + 1: the integer part has at most seven digits.
  const auto integer = static_cast<std::uint32_t>(rounded / kScale);
  const auto fraction = static_cast<std::uint32_t>(rounded - std::uint64_t{integer} * kScale);
  const std::size_t integer_digits = decimal_length(integer);
  store_bytes_low_first(out, eight_digits(integer) >> (8 * (8 - integer_digits)));
  out += integer_digits;
  if constexpr (Precision == 0) {
    return out;
  } else {
    *out++ = '.';
    if constexpr (Precision <= 8) {
      store_bytes_low_first(out, eight_digits(fraction) >> (8 * (8 - Precision)));
    } else {
      *out = static_cast<char>('0' + fraction / 100000000u);
      store_bytes_low_first(out + 1, eight_digits(fraction % 100000000u));
    }
    return out + Precision;
  }
}

/// Calls `write(std::integral_constant<std::size_t, P>{})` for `precision` P
/// up to kMaxFastFixedPrecision and returns true, or returns false: one
/// predictable branch picks the compile-time writer for a whole loop.
template <class Write>
bool with_fast_precision(std::size_t precision, Write&& write) {
  const auto call = [&]<std::size_t... P>(std::index_sequence<P...>) {
    return ((precision == P ? (write(std::integral_constant<std::size_t, P>{}), true) : false) || ...);
  };
  return call(std::make_index_sequence<kMaxFastFixedPrecision + 1>{});
}

}  // namespace corvane::detail
