// Hexadecimal digits of unsigned numbers: ids, cell words, masks, hashes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "text/decimal_digits.hpp"

namespace corvane::detail {

enum class HexCase : bool { Upper, Lower };

/// Writes the low `digits` hexadecimal digits of `value` at `out`, most
/// significant first and zero-padded (digits beyond the sixteenth are zeros),
/// and returns the end.
constexpr char* write_hex(char* out, std::uint64_t value, std::size_t digits,
                          HexCase letters = HexCase::Upper) noexcept {
  if (digits == 8 && !std::is_constant_evaluated()) {
    // The common width (ids, cells) a word at a time: the eight nibbles
    // spread into the bytes of a word, most significant into the first, then
    // every byte made a digit or a letter at once.
    std::uint64_t x = (value >> 16 & 0xFFFFu) | (value & 0xFFFFu) << 32;
    x = (x >> 8 & 0x000000FF000000FFu) | (x & 0x000000FF000000FFu) << 16;
    x = (x >> 4 & 0x000F000F000F000Fu) | (x & 0x000F000F000F000Fu) << 8;
    const std::uint64_t letters_at = (x + 0x0606060606060606u) >> 4 & 0x0101010101010101u;
    store_bytes_low_first(out, x + 0x3030303030303030u +
                                   letters_at * (letters == HexCase::Upper ? 'A' - '9' - 1 : 'a' - '9' - 1));
    return out + 8;
  }
  const char* alphabet = letters == HexCase::Upper ? "0123456789ABCDEF" : "0123456789abcdef";
  for (std::size_t i = digits; i > 0; --i) {
    const std::size_t shift = 4 * (i - 1);
    *out++ = shift >= 64 ? '0' : alphabet[(value >> shift) & 0xFu];
  }
  return out;
}

/// The fewest hexadecimal digits that show `value`: one for 0.
constexpr std::size_t hex_digit_count(std::uint64_t value) noexcept {
  std::size_t digits = 1;
  while ((value >>= 4) != 0) ++digits;
  return digits;
}

}  // namespace corvane::detail
