// A float's fixed-point text at a small precision as one eight-byte word, so
// that vector lanes can make the digits of many numbers at once and a plain
// loop only places them (see batch/fixed_words.hpp).
//
// The word of `value` at precision P, first character in the lowest byte:
// the seven decimal digits (zero-padded) of |value| * 10^P rounded to the
// nearest integer, ties to even, with a point before the last P of them when
// P > 0. A value has a word when it is below 2^23 in magnitude and that
// integer is below 10^7; otherwise its word is 0, which no text word is.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "corvane/detail/bit_cast.hpp"
#include "text/decimal_digits.hpp"
#include "text/fixed_point.hpp"

namespace corvane::detail {

/// Largest precision whose texts fit a word: seven digits and the point.
inline constexpr std::size_t kMaxFixedWordPrecision = 6;

/// Writes the text of `value` at precision P from its word (or, for a word of
/// 0, by write_fixed_padded) and returns the end: the same characters as
/// write_fixed_padded<P>, with the same kFixedPadding bytes of room needed.
template <std::size_t P>
[[gnu::always_inline]] inline char* write_fixed_word(char* out, std::uint64_t word,
                                                     float value) noexcept {
  static_assert(P <= kMaxFixedWordPrecision);
  if (word == 0) [[unlikely]] {
    return write_fixed_padded<P>(out, value);
  }
  *out = '-';
  out += bit_cast<std::uint32_t>(value) >> 31;
  // Leading zeros go, keeping the units digit: the count of '0' bytes stops
  // at the point (or at P = 0 at the eighth byte, which is 0).
  constexpr std::size_t kChars = P > 0 ? 8 : 7;
  const auto zeros = static_cast<std::size_t>(std::countr_zero(word ^ 0x3030303030303030u)) / 8;
  const std::size_t skipped = std::min(zeros, 6 - P);
  store_bytes_low_first(out, word >> (8 * skipped));
  return out + kChars - skipped;
}

}  // namespace corvane::detail
