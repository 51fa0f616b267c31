#include "text/fixed_point.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "corvane/detail/bit_cast.hpp"
#include "text/decimal_digits.hpp"

namespace corvane::detail {
namespace {

char* write_non_finite(char* out, float value) noexcept {
  if (std::isnan(value)) {
    std::memcpy(out, "nan", 3);
    return out + 3;
  }
  if (value < 0.0f) *out++ = '-';
  std::memcpy(out, "inf", 3);
  return out + 3;
}

// A finite float's exact value: -1^negative * mantissa * 2^exponent.
// Infinities and NaNs come out with exponent 105.
struct Binary {
  bool negative;
  std::uint32_t mantissa;  // below 2^24
  int exponent;            // -149 to 104
};

Binary binary_of(float value) noexcept {
  const std::uint32_t bits = bit_cast<std::uint32_t>(value);
  const std::uint32_t biased_exponent = (bits >> 23) & 0xFFu;
  const std::uint32_t fraction = bits & 0x7FFFFFu;
  if (biased_exponent == 0) return {(bits >> 31) != 0, fraction, -149};
  return {(bits >> 31) != 0, fraction | 0x800000u, static_cast<int>(biased_exponent) - 150};
}

// Integers above 2^64 (floats from 2^64 up), in 32-bit words: 2^24 * 2^104
// needs four, and one more keeps the placement below simple.
char* write_large_integer(char* out, std::uint32_t mantissa, int exponent) noexcept {
  std::array<std::uint32_t, 5> words{};
  const auto word = static_cast<std::size_t>(exponent / 32);
  const std::uint64_t placed = std::uint64_t{mantissa} << (exponent % 32);
  words[word] = static_cast<std::uint32_t>(placed);
  words[word + 1] = static_cast<std::uint32_t>(placed >> 32);
  // Nine digits at a time, least significant first, by long division.
  char text[5 * 9];
  char* const end = text + sizeof text;
  char* start = end;
  std::size_t top = word + 1;
  for (;;) {
    std::uint64_t remainder = 0;
    for (std::size_t i = top + 1; i-- > 0;) {
      const std::uint64_t current = (remainder << 32) | words[i];
      words[i] = static_cast<std::uint32_t>(current / 1000000000u);
      remainder = current % 1000000000u;
    }
    while (top > 0 && words[top] == 0) --top;
    if (top == 0 && words[0] == 0) {
      start = write_all_digits_backward(start, remainder);
      break;
    }
    start = write_digits_backward(start, remainder, 9);
  }
  const auto size = static_cast<std::size_t>(end - start);
  std::memcpy(out, start, size);
  return out + size;
}

// A fraction in [0, 1) as a 192-bit binary fixed-point number, least
// significant word first. Every float's fraction part is exact in it: the
// smallest float is 2^-149.
class Fraction {
 public:
  // mantissa / 2^shift, with mantissa < 2^shift and shift at most 149.
  Fraction(std::uint32_t mantissa, int shift) noexcept {
    const int point = kBits - shift;
    const auto word = static_cast<std::size_t>(point / 32);
    const std::uint64_t placed = std::uint64_t{mantissa} << (point % 32);
    words_[word] = static_cast<std::uint32_t>(placed);
    if (word + 1 < words_.size()) words_[word + 1] = static_cast<std::uint32_t>(placed >> 32);
  }

  [[nodiscard]] bool is_zero() const noexcept {
    return std::all_of(words_.begin(), words_.end(), [](std::uint32_t w) { return w == 0; });
  }

  // Multiplies by `factor` and returns the integer part, which leaves.
  std::uint32_t take(std::uint32_t factor) noexcept {
    std::uint64_t carry = 0;
    for (std::uint32_t& w : words_) {
      const std::uint64_t product = std::uint64_t{w} * factor + carry;
      w = static_cast<std::uint32_t>(product);
      carry = product >> 32;
    }
    return static_cast<std::uint32_t>(carry);
  }

  // -1, 0 or 1 as the fraction is below, at or above one half.
  [[nodiscard]] int against_half() const noexcept {
    constexpr std::uint32_t kHalf = 0x80000000u;
    const std::uint32_t top = words_.back();
    if (top != kHalf) return top > kHalf ? 1 : -1;
    return std::all_of(words_.begin(), words_.end() - 1, [](std::uint32_t w) { return w == 0; })
               ? 0
               : 1;
  }

 private:
  static constexpr int kBits = 192;
  std::array<std::uint32_t, kBits / 32> words_{};
};

}  // namespace

char* write_fixed_exact(char* out, float value, std::size_t precision) noexcept {
  if (!std::isfinite(value)) return write_non_finite(out, value);
  const Binary x = binary_of(value);
  if (x.negative) *out++ = '-';
  if (x.exponent > 40) {
    // An integer of 2^64 or more.
    out = write_large_integer(out, x.mantissa, x.exponent);
    if (precision == 0) return out;
    *out++ = '.';
    std::memset(out, '0', precision);
    return out + precision;
  }
  if (x.exponent >= 0) {
    out = write_decimal(out, std::uint64_t{x.mantissa} << x.exponent);
    if (precision == 0) return out;
    *out++ = '.';
    std::memset(out, '0', precision);
    return out + precision;
  }

  const int shift = -x.exponent;
  std::uint64_t integer = shift < 24 ? x.mantissa >> shift : 0u;
  Fraction fraction(shift < 24 ? x.mantissa & ((1u << shift) - 1u) : x.mantissa, shift);
  // A fraction of 2^-shift has exactly `shift` decimal digits, the last one
  // non-zero; past kMaxExactFractionDigits there are only zeros.
  char digits[kMaxExactFractionDigits];
  const std::size_t wanted = std::min(precision, kMaxExactFractionDigits);
  std::size_t produced = 0;
  while (produced < wanted && !fraction.is_zero()) {
    const std::size_t chunk = std::min<std::size_t>(9, wanted - produced);
    std::uint64_t taken = fraction.take(static_cast<std::uint32_t>(kPowersOf10[chunk]));
    write_digits_backward(digits + produced + chunk, taken, chunk);
    produced += chunk;
  }
  if (!fraction.is_zero()) {
    // All `wanted` digits are out and something remains: round to nearest,
    // ties to the even last digit.
    const int against_half = fraction.against_half();
    const bool last_odd = wanted > 0 ? ((digits[wanted - 1] - '0') & 1) != 0 : (integer & 1u) != 0;
    if (against_half > 0 || (against_half == 0 && last_odd)) {
      std::size_t i = wanted;
      while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
      if (i > 0) {
        ++digits[i - 1];
      } else {
        ++integer;
      }
    }
  }
  out = write_decimal(out, integer);
  if (precision == 0) return out;
  *out++ = '.';
  std::memcpy(out, digits, produced);
  std::memset(out + produced, '0', precision - produced);
  return out + precision;
}

char* write_fixed(char* out, float value, std::size_t precision) noexcept {
  // The fast writer stores whole words: it writes into a buffer with room for
  // them, and the text is copied out.
  char text[max_fixed_chars(kMaxFastFixedPrecision) + kFixedPadding];
  char* end = nullptr;
  if (!with_fast_precision(precision, [&](auto p) { end = write_fixed_padded<p>(text, value); })) {
    return write_fixed_exact(out, value, precision);
  }
  const auto size = static_cast<std::size_t>(end - text);
  std::memcpy(out, text, size);
  return out + size;
}

}  // namespace corvane::detail
