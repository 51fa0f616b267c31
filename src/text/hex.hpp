// Hexadecimal digits of unsigned numbers: ids, cell words, masks, hashes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace corvane::detail {

enum class HexCase : bool { Upper, Lower };

/// Writes the low `digits` hexadecimal digits of `value` at `out`, most
/// significant first and zero-padded (digits beyond the sixteenth are zeros),
/// and returns the end.
constexpr char* write_hex(char* out, std::uint64_t value, std::size_t digits,
                          HexCase letters = HexCase::Upper) noexcept {
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
