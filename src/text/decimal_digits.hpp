// Decimal digits of unsigned integers, two at a time from one table: the
// digit loops of the float writers run half as many divisions this way.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace corvane::detail {

/// "00" to "99", each pair at twice its value.
inline constexpr std::array<char, 200> kDigitPairs = [] {
  std::array<char, 200> pairs{};
  for (std::size_t i = 0; i < 100; ++i) {
    pairs[2 * i] = static_cast<char>('0' + i / 10);
    pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}();

/// Writes the last `count` decimal digits of `value` ending at `end`, right
/// to left and zero-padded, and returns where they start. Returns `value`
/// divided by 10^count through `value`.
inline char* write_digits_backward(char* end, std::uint64_t& value, std::size_t count) noexcept {
  if ((count & 1u) != 0) {
    *--end = static_cast<char>('0' + value % 10u);
    value /= 10u;
  }
  for (std::size_t i = count / 2; i > 0; --i) {
    end -= 2;
    std::memcpy(end, kDigitPairs.data() + 2 * (value % 100u), 2);
    value /= 100u;
  }
  return end;
}

/// Writes every digit of `value` (one for 0) ending at `end`, right to left,
/// and returns where they start.
inline char* write_all_digits_backward(char* end, std::uint64_t value) noexcept {
  while (value >= 100u) {
    end -= 2;
    std::memcpy(end, kDigitPairs.data() + 2 * (value % 100u), 2);
    value /= 100u;
  }
  if (value >= 10u) {
    end -= 2;
    std::memcpy(end, kDigitPairs.data() + 2 * value, 2);
    return end;
  }
  *--end = static_cast<char>('0' + value);
  return end;
}

/// Most decimal digits of a 64-bit unsigned integer.
inline constexpr std::size_t kMaxUint64Digits = 20;

/// 10^0 to 10^19.
inline constexpr std::array<std::uint64_t, kMaxUint64Digits> kPowersOf10 = [] {
  std::array<std::uint64_t, kMaxUint64Digits> powers{};
  std::uint64_t p = 1;
  for (std::uint64_t& power : powers) {
    power = p;
    p *= 10u;
  }
  return powers;
}();

/// Decimal digits of `value` (one for 0): the estimate from its bit length
/// (1233 / 4096 is just above log10 2) is exact or one short.
constexpr std::size_t decimal_length(std::uint64_t value) noexcept {
  value |= 1u;
  const auto bits = static_cast<std::size_t>(64 - std::countl_zero(value));
  const std::size_t estimate = bits * 1233 >> 12;
  return estimate + (value >= kPowersOf10[estimate] ? 1u : 0u);
}

/// The eight decimal digits of `value` (below 10^8, zero-padded) as ASCII in
/// one word, the first digit in the lowest byte: the word is split into
/// halves, pairs and single digits lane by lane (a multiply and a shift divide
/// every lane at once), so that no digit waits for the one before it. Each
/// split moves the lanes up and takes the quotients' multiples out in one
/// multiply-add (q * (1 - d * 2^s) is q - q * d * 2^s modulo 2^64, and no
/// lane goes below zero), a step shorter than subtracting and then shifting.
constexpr std::uint64_t eight_digits(std::uint32_t value) noexcept {
  const std::uint64_t halves = value / 10000u;
  std::uint64_t lanes = (std::uint64_t{value} << 32) + halves * (1u - (std::uint64_t{10000} << 32));
  // Each 32-bit lane below 10^4: x * 10486 >> 20 is x / 100.
  const std::uint64_t hundreds = (lanes * 10486u >> 20) & 0x0000007F0000007Fu;
  lanes = (lanes << 16) + hundreds * (1u - (std::uint64_t{100} << 16));
  // Each 16-bit lane below 100: x * 103 >> 10 is x / 10.
  const std::uint64_t tens = (lanes * 103u >> 10) & 0x000F000F000F000Fu;
  lanes = (lanes << 8) + tens * (1u - (std::uint64_t{10} << 8));
  return lanes + 0x3030303030303030u;
}

/// The four decimal digits of `value` (below 10^4, zero-padded) as ASCII in
/// the low half of a word, the first digit in the lowest byte: the two lanes
/// steps of eight_digits.
constexpr std::uint64_t four_digits(std::uint32_t value) noexcept {
  const std::uint32_t hundreds = value * 10486u >> 20;
  const std::uint32_t pairs = (value << 16) + hundreds * (1u - (100u << 16));
  const std::uint32_t tens = (pairs * 103u >> 10) & 0x000F000Fu;
  return ((pairs << 8) + tens * (1u - (10u << 8))) + 0x30303030u;
}

/// Stores the eight bytes of `word` at `out`, its lowest byte first, on any
/// machine's byte order.
inline void store_bytes_low_first(char* out, std::uint64_t word) noexcept {
  if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
  std::memcpy(out, &word, sizeof word);
}

/// The eight bytes at `in` as a word, the first byte lowest, on any machine's
/// byte order.
inline std::uint64_t load_bytes_low_first(const char* in) noexcept {
  std::uint64_t word = 0;
  std::memcpy(&word, in, sizeof word);
  if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
  return word;
}

/// Writes every digit of `value` (one for 0) at `out` and returns the end.
inline char* write_decimal(char* out, std::uint64_t value) noexcept {
  char digits[kMaxUint64Digits];
  char* const end = digits + kMaxUint64Digits;
  const char* const start = write_all_digits_backward(end, value);
  const auto n = static_cast<std::size_t>(end - start);
  std::memcpy(out, start, n);
  return out + n;
}

}  // namespace corvane::detail
