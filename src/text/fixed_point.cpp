#include "text/fixed_point.hpp"

#include <array>
#include <bit>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace corvane::detail {
namespace {

constexpr std::array<std::uint64_t, kMaxFastFixedPrecision + 1> kPowersOf10 = {
    1u, 10u, 100u, 1000u, 10000u, 100000u, 1000000u, 10000000u, 100000000u, 1000000000u};

// Characters before the digits: a sign and at most 39 integer digits (the
// rounded magnitude of a float below 2^k has at most floor(k*log10 2) + 1 of
// them, since it is at most 2^k). 0.30103 is slightly above log10 2, so the
// integer estimate never falls short.
constexpr std::size_t integer_digits_bound(int k) noexcept {
  return k <= 0 ? 1u : static_cast<std::size_t>(k * 30103 / 100000 + 1);
}
// The largest finite float is below 2^128.
static_assert(integer_digits_bound(128) == kMaxFloatIntegerDigits);

std::size_t integer_chars_bound(float value) noexcept {
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
  const int biased_exponent = static_cast<int>((bits >> 23) & 0xFFu);
  const int k = biased_exponent - 126;  // |value| < 2^k for normal numbers
  return 1u + integer_digits_bound(k);
}

char* write_non_finite(char* out, float value) noexcept {
  if (std::isnan(value)) {
    std::memcpy(out, "nan", 3);
    return out + 3;
  }
  if (value < 0.0f) *out++ = '-';
  std::memcpy(out, "inf", 3);
  return out + 3;
}

// The exact value m * 2^e scaled by 10^precision and rounded to an integer,
// ties to even, when it fits in 64 bits.
bool scaled_integer(float magnitude, std::size_t precision, std::uint64_t& result) noexcept {
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(magnitude);
  const std::uint32_t biased_exponent = bits >> 23;
  const std::uint64_t mantissa =
      biased_exponent == 0 ? (bits & 0x7FFFFFu) : ((bits & 0x7FFFFFu) | 0x800000u);
  const int exponent = biased_exponent == 0 ? -149 : static_cast<int>(biased_exponent) - 150;
  // Below 2^24 * 10^9 < 2^54.
  const std::uint64_t scaled = mantissa * kPowersOf10[precision];
  if (exponent >= 0) {
    if (exponent > 9) return false;  // 2^54 << 9 is the most that surely fits
    result = scaled << exponent;
    return true;
  }
  const int shift = -exponent;
  if (shift > 60) {
    // scaled < 2^54 < half of 2^shift: rounds to 0, never a tie.
    result = 0;
    return true;
  }
  const std::uint64_t quotient = scaled >> shift;
  const std::uint64_t remainder = scaled & ((std::uint64_t{1} << shift) - 1u);
  const std::uint64_t half = std::uint64_t{1} << (shift - 1);
  result = quotient + ((remainder > half || (remainder == half && (quotient & 1u) != 0)) ? 1u : 0u);
  return true;
}

char* write_scaled(char* out, bool negative, std::uint64_t scaled, std::size_t precision) noexcept {
  char digits[24];
  std::size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + scaled % 10u);
    scaled /= 10u;
  } while (scaled != 0);
  while (count < precision + 1) digits[count++] = '0';  // a leading "0." and zeros
  if (negative) *out++ = '-';
  while (count > precision) *out++ = digits[--count];
  if (precision > 0) {
    *out++ = '.';
    while (count > 0) *out++ = digits[--count];
  }
  return out;
}

}  // namespace

std::size_t fixed_chars_bound(float value, std::size_t precision) noexcept {
  if (!std::isfinite(value)) return 4;
  const std::size_t head = integer_chars_bound(value) + 1;  // + the point
  if (precision > std::numeric_limits<std::size_t>::max() - head) return 0;
  return head + precision;
}

char* write_fixed_to_chars(char* out, float value, std::size_t precision) noexcept {
  if (!std::isfinite(value)) return write_non_finite(out, value);
  // Past 149 digits the text only gains zeros, and to_chars takes an int.
  const std::size_t exact = precision < kMaxExactFractionDigits ? precision
                                                                : kMaxExactFractionDigits;
  const auto [end, ec] = std::to_chars(out, out + fixed_chars_bound(value, exact), value,
                                       std::chars_format::fixed, static_cast<int>(exact));
  assert(ec == std::errc{});
  (void)ec;
  std::memset(end, '0', precision - exact);
  return end + (precision - exact);
}

char* write_fixed(char* out, float value, std::size_t precision) noexcept {
  if (!std::isfinite(value)) return write_non_finite(out, value);
  if (precision <= kMaxFastFixedPrecision) {
    std::uint64_t scaled = 0;
    if (scaled_integer(std::fabs(value), precision, scaled)) {
      return write_scaled(out, std::signbit(value), scaled, precision);
    }
  }
  return write_fixed_to_chars(out, value, precision);
}

}  // namespace corvane::detail
