// The shortest digits come from Ryu: Ulf Adams, "Ryū: fast float-to-string
// conversion", PLDI 2018, section 3 (binary32 parameters). The interval of
// decimals that read back to the float is scaled by a power of five held in
// 64 bits, so its bounds and the float itself are known as integers; digits
// are removed while the bounds still differ, and the last removed digit
// rounds the result to the nearest, ties to even. The digits are those of
// every other correct shortest writer.
#include "text/shortest_float.hpp"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "corvane/detail/bit_cast.hpp"
#include "text/decimal_digits.hpp"

namespace corvane::detail {
namespace {

// ---- the tables, computed at compile time --------------------------------

// Enough of a 128-bit unsigned integer for the tables: 5^46 has 107 bits.
struct Wide {
  std::uint64_t high = 0;
  std::uint64_t low = 0;

  constexpr bool operator>=(const Wide& other) const noexcept {
    return high != other.high ? high > other.high : low >= other.low;
  }
  constexpr Wide minus(const Wide& other) const noexcept {
    return {high - other.high - (low < other.low ? 1u : 0u), low - other.low};
  }
  constexpr Wide doubled_plus(std::uint64_t bit) const noexcept {
    return {(high << 1) | (low >> 63), (low << 1) | bit};
  }
  constexpr Wide times5() const noexcept {
    const Wide four = doubled_plus(0).doubled_plus(0);
    const std::uint64_t sum = four.low + low;
    return {four.high + high + (sum < low ? 1u : 0u), sum};
  }
  constexpr int bit_length() const noexcept {
    int n = 0;
    for (Wide v = *this; v.high != 0 || v.low != 0; ++n) {
      v = {v.high >> 1, (v.low >> 1) | (v.high << 63)};
    }
    return n;
  }
  constexpr std::uint64_t shifted_to_bits(int bits) const noexcept {  // the top `bits` bits
    const int shift = bit_length() - bits;
    if (shift <= 0) return low << -shift;
    if (shift >= 64) return high >> (shift - 64);
    return (low >> shift) | (high << (64 - shift));
  }
};

constexpr Wide power_of_5(int e) noexcept {
  Wide p{0, 1};
  for (int i = 0; i < e; ++i) p = p.times5();
  return p;
}

// Bits of 5^e for e >= 1 (1 for e = 0), exact to e = 3528.
constexpr int pow5_bits(int e) noexcept {
  return static_cast<int>((static_cast<std::uint32_t>(e) * 1217359u) >> 19) + 1;
}
// floor(e * log10 2) and floor(e * log10 5), exact in the ranges used here.
constexpr std::uint32_t log10_pow2(int e) noexcept {
  return (static_cast<std::uint32_t>(e) * 78913u) >> 18;
}
constexpr std::uint32_t log10_pow5(int e) noexcept {
  return (static_cast<std::uint32_t>(e) * 732923u) >> 20;
}

constexpr int kPow5Bits = 61;     // width of the powers of five
constexpr int kPow5InvBits = 59;  // width of their inverses

// 5^i, to its top kPow5Bits bits, for the binary exponents below zero.
constexpr auto kPow5 = [] {
  std::array<std::uint64_t, 47> table{};
  for (std::size_t i = 0; i < table.size(); ++i) {
    table[i] = power_of_5(static_cast<int>(i)).shifted_to_bits(kPow5Bits);
  }
  return table;
}();

// floor(2^(pow5_bits(q) - 1 + kPow5InvBits) / 5^q) + 1, for the binary
// exponents from zero up, by binary long division.
constexpr auto kPow5Inv = [] {
  std::array<std::uint64_t, 31> table{};
  for (std::size_t q = 0; q < table.size(); ++q) {
    const Wide divisor = power_of_5(static_cast<int>(q));
    const int numerator_bit = pow5_bits(static_cast<int>(q)) - 1 + kPow5InvBits;
    Wide remainder;
    std::uint64_t quotient = 0;
    for (int bit = numerator_bit; bit >= 0; --bit) {
      remainder = remainder.doubled_plus(bit == numerator_bit ? 1u : 0u);
      quotient <<= 1;
      if (remainder >= divisor) {
        remainder = remainder.minus(divisor);
        quotient |= 1u;
      }
    }
    table[q] = quotient + 1;
  }
  return table;
}();
static_assert(kPow5[0] == std::uint64_t{1} << 60 && kPow5Inv[0] == (std::uint64_t{1} << 59) + 1);

// ---- the digits -----------------------------------------------------------

// (m * factor) >> shift, exact, for a 64-bit factor and shift above 32.
constexpr std::uint32_t mul_shift(std::uint32_t m, std::uint64_t factor, int shift) noexcept {
  const std::uint64_t low = std::uint64_t{m} * static_cast<std::uint32_t>(factor);
  const std::uint64_t high = std::uint64_t{m} * (factor >> 32);
  return static_cast<std::uint32_t>(((low >> 32) + high) >> (shift - 32));
}

constexpr bool multiple_of_pow5(std::uint32_t value, std::uint32_t p) noexcept {
  std::uint32_t count = 0;
  for (; value % 5 == 0; value /= 5) ++count;
  return count >= p;
}
constexpr bool multiple_of_pow2(std::uint32_t value, std::uint32_t p) noexcept {
  return (value & ((1u << p) - 1u)) == 0;
}

// digits * 10^exponent, digits without trailing zeros beyond what rounding
// leaves.
struct Decimal {
  std::uint32_t digits;
  int exponent;
};

// The shortest decimal that reads back to the positive finite float `bits`,
// nearest the float's value among those, ties to an even last digit.
Decimal shortest_decimal(std::uint32_t bits) noexcept {
  const std::uint32_t fraction = bits & 0x7FFFFFu;
  const std::uint32_t biased_exponent = bits >> 23;
  // The float is m2 * 2^e2 / 4: two more bits hold the interval's bounds.
  const int e2 = (biased_exponent == 0 ? 1 : static_cast<int>(biased_exponent)) - 127 - 23 - 2;
  const std::uint32_t m2 = biased_exponent == 0 ? fraction : fraction | 0x800000u;
  // Round-to-even reading: the bounds belong to the interval when m2 is even.
  const bool bounds_included = (m2 & 1u) == 0;

  const std::uint32_t mv = 4 * m2;
  const std::uint32_t mp = 4 * m2 + 2;
  // The gap below a power of two is half the one above.
  const std::uint32_t mm_shift = (fraction != 0 || biased_exponent <= 1) ? 1u : 0u;
  const std::uint32_t mm = 4 * m2 - 1 - mm_shift;

  std::uint32_t vr = 0;
  std::uint32_t vp = 0;
  std::uint32_t vm = 0;
  int e10 = 0;
  bool vm_trailing_zeros = false;
  bool vr_trailing_zeros = false;
  std::uint32_t last_removed = 0;
  if (e2 >= 0) {
    const std::uint32_t q = log10_pow2(e2);
    e10 = static_cast<int>(q);
    const int k = kPow5InvBits + pow5_bits(static_cast<int>(q)) - 1;
    const int i = -e2 + static_cast<int>(q) + k;
    vr = mul_shift(mv, kPow5Inv[q], i);
    vp = mul_shift(mp, kPow5Inv[q], i);
    vm = mul_shift(mm, kPow5Inv[q], i);
    if (q != 0 && (vp - 1) / 10 <= vm / 10) {
      // No digit will be removed below: the last of the q already removed
      // decides the rounding.
      const int l = kPow5InvBits + pow5_bits(static_cast<int>(q) - 1) - 1;
      last_removed = mul_shift(mv, kPow5Inv[q - 1], -e2 + static_cast<int>(q) - 1 + l) % 10;
    }
    if (q <= 9) {
      // Of mv, mp and mm at most one is a multiple of 5.
      if (mv % 5 == 0) {
        vr_trailing_zeros = multiple_of_pow5(mv, q);
      } else if (bounds_included) {
        vm_trailing_zeros = multiple_of_pow5(mm, q);
      } else if (multiple_of_pow5(mp, q)) {
        --vp;
      }
    }
  } else {
    const std::uint32_t q = log10_pow5(-e2);
    e10 = static_cast<int>(q) + e2;
    const int i = -e2 - static_cast<int>(q);
    const int k = pow5_bits(i) - kPow5Bits;
    int j = static_cast<int>(q) - k;
    const auto index = static_cast<std::size_t>(i);
    vr = mul_shift(mv, kPow5[index], j);
    vp = mul_shift(mp, kPow5[index], j);
    vm = mul_shift(mm, kPow5[index], j);
    if (q != 0 && (vp - 1) / 10 <= vm / 10) {
      j = static_cast<int>(q) - 1 - (pow5_bits(i + 1) - kPow5Bits);
      last_removed = mul_shift(mv, kPow5[index + 1], j) % 10;
    }
    if (q <= 1) {
      // mv has at least q trailing zero bits, so vr has q trailing zeros.
      vr_trailing_zeros = true;
      if (bounds_included) {
        vm_trailing_zeros = mm_shift == 1;
      } else {
        --vp;
      }
    } else if (q < 31) {
      vr_trailing_zeros = multiple_of_pow2(mv, q - 1);
    }
  }

  int removed = 0;
  std::uint32_t digits = 0;
  if (vm_trailing_zeros || vr_trailing_zeros) {
    // The rare exact cases: track whether the removed digits are all zero.
    while (vp / 10 > vm / 10) {
      vm_trailing_zeros &= vm % 10 == 0;
      vr_trailing_zeros &= last_removed == 0;
      last_removed = vr % 10;
      vr /= 10;
      vp /= 10;
      vm /= 10;
      ++removed;
    }
    if (vm_trailing_zeros) {
      // The lower bound itself is a shorter candidate.
      while (vm != 0 && vm % 10 == 0) {
        vr_trailing_zeros &= last_removed == 0;
        last_removed = vr % 10;
        vr /= 10;
        vp /= 10;
        vm /= 10;
        ++removed;
      }
    }
    if (vr_trailing_zeros && last_removed == 5 && vr % 2 == 0) last_removed = 4;  // a tie: even
    const bool below_allowed = bounds_included && vm_trailing_zeros;
    digits = vr + ((vr == vm && !below_allowed) || last_removed >= 5 ? 1u : 0u);
  } else {
    while (vp / 10 > vm / 10) {
      last_removed = vr % 10;
      vr /= 10;
      vp /= 10;
      vm /= 10;
      ++removed;
    }
    digits = vr + (vr == vm || last_removed >= 5 ? 1u : 0u);
  }
  return {digits, e10 + removed};
}

}  // namespace

char* write_shortest_float(char* out, float value) noexcept {
  if (std::isnan(value)) {
    std::memcpy(out, "NaN", 3);
    return out + 3;
  }
  if (std::signbit(value)) *out++ = '-';
  const float magnitude = std::fabs(value);
  if (std::isinf(magnitude)) {
    std::memcpy(out, "inf", 3);
    return out + 3;
  }
  if (magnitude == 0.0f) {
    std::memcpy(out, "0.0", 3);
    return out + 3;
  }

  // The shortest digits d1 d2 ... dn, worth d1.d2...dn * 10^exponent.
  const Decimal decimal = shortest_decimal(bit_cast<std::uint32_t>(magnitude));
  char digits[16];
  char* const digits_end = digits + sizeof digits;
  const char* const digits_start = write_all_digits_backward(digits_end, decimal.digits);
  const int digit_count = static_cast<int>(digits_end - digits_start);
  const int exponent = decimal.exponent + digit_count - 1;

  if (magnitude >= 1e16f || magnitude < 1e-4f) {
    *out++ = digits_start[0];
    if (digit_count > 1) {
      *out++ = '.';
      std::memcpy(out, digits_start + 1, static_cast<std::size_t>(digit_count - 1));
      out += digit_count - 1;
    }
    *out++ = 'e';
    if (exponent < 0) *out++ = '-';
    return write_decimal(out, static_cast<std::uint64_t>(exponent < 0 ? -exponent : exponent));
  }

  if (exponent < 0) {
    // 0.000ddd: at most three zeros after the point, since magnitude >= 1e-4.
    *out++ = '0';
    *out++ = '.';
    for (int i = -1; i > exponent; --i) *out++ = '0';
    std::memcpy(out, digits_start, static_cast<std::size_t>(digit_count));
    return out + digit_count;
  }
  const int integer_digits = exponent + 1;
  for (int i = 0; i < integer_digits; ++i) *out++ = i < digit_count ? digits_start[i] : '0';
  *out++ = '.';
  if (digit_count > integer_digits) {
    std::memcpy(out, digits_start + integer_digits,
                static_cast<std::size_t>(digit_count - integer_digits));
    return out + (digit_count - integer_digits);
  }
  *out++ = '0';
  return out;
}

}  // namespace corvane::detail
