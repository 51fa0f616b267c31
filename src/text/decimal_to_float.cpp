// A double-precision estimate decides the rounding unless it lies too close to
// the halfway point between two floats; only then is the decimal compared,
// digit by digit, with the exact decimal expansion of that halfway point.
#include "text/decimal_to_float.hpp"

#include <array>
#include <cmath>
#include <cstddef>
#include <limits>

#include "corvane/detail/bit_cast.hpp"

namespace corvane::detail {
namespace {

// The significant digits of a decimal, leading zeros skipped.
class DigitCursor {
 public:
  explicit DigitCursor(const DecimalDigits& decimal) noexcept : decimal_(decimal) {
    settle();
    while (!done() && peek() == '0') advance();
  }
  [[nodiscard]] bool done() const noexcept { return run_ == decimal_.runs.size(); }
  char next() noexcept {
    const char c = peek();
    advance();
    return c;
  }

 private:
  [[nodiscard]] char peek() const noexcept { return decimal_.runs[run_][pos_]; }
  void advance() noexcept {
    ++pos_;
    settle();
  }
  void settle() noexcept {
    while (!done() && pos_ == decimal_.runs[run_].size()) {
      ++run_;
      pos_ = 0;
    }
  }

  const DecimalDigits& decimal_;
  std::size_t run_ = 0;
  std::size_t pos_ = 0;
};

// Unsigned integer of fixed capacity: enough for m * 5^150 with m < 2^26 (a
// halfway point next to the smallest subnormal, 375 bits) and for the halfway
// point above the largest float (2^128 - 2^103).
class BigUint {
 public:
  explicit BigUint(std::uint32_t value) noexcept {
    limbs_[0] = value;
    size_ = value == 0 ? 0 : 1;
  }
  void multiply(std::uint32_t factor) noexcept {
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < size_; ++i) {
      const std::uint64_t product = std::uint64_t{limbs_[i]} * factor + carry;
      limbs_[i] = static_cast<std::uint32_t>(product);
      carry = product >> 32;
    }
    if (carry != 0) limbs_[size_++] = static_cast<std::uint32_t>(carry);
  }
  // Divides in place and returns the remainder.
  std::uint32_t divide(std::uint32_t divisor) noexcept {
    std::uint64_t remainder = 0;
    for (std::size_t i = size_; i-- > 0;) {
      const std::uint64_t current = (remainder << 32) | limbs_[i];
      limbs_[i] = static_cast<std::uint32_t>(current / divisor);
      remainder = current % divisor;
    }
    while (size_ > 0 && limbs_[size_ - 1] == 0) --size_;
    return static_cast<std::uint32_t>(remainder);
  }
  [[nodiscard]] bool is_zero() const noexcept { return size_ == 0; }

 private:
  std::array<std::uint32_t, 13> limbs_{};
  std::size_t size_ = 0;
};

// The decimal digits of a positive double that has at most 26 significant
// bits: digits[0..length) times 10^exponent, exactly.
struct ExactDecimal {
  std::array<char, 128> digits{};
  std::size_t length = 0;
  std::int64_t exponent = 0;
};

ExactDecimal exact_decimal(double value) noexcept {
  int binary_exponent = 0;
  const double fraction = std::frexp(value, &binary_exponent);
  auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
  binary_exponent -= 53;
  while ((mantissa & 1u) == 0) {
    mantissa >>= 1;
    ++binary_exponent;
  }
  BigUint n(static_cast<std::uint32_t>(mantissa));
  ExactDecimal out;
  if (binary_exponent >= 0) {
    for (int i = 0; i < binary_exponent; ++i) n.multiply(2);
  } else {
    // m * 2^-k = m * 5^k / 10^k.
    for (int i = 0; i < -binary_exponent; ++i) n.multiply(5);
    out.exponent = binary_exponent;
  }
  // Nine digits at a time, from the right.
  std::size_t start = out.digits.size();
  while (!n.is_zero()) {
    std::uint32_t chunk = n.divide(1'000'000'000u);
    for (int i = 0; i < 9; ++i) {
      out.digits[--start] = static_cast<char>('0' + chunk % 10);
      chunk /= 10;
    }
  }
  while (out.digits[start] == '0') ++start;
  out.length = out.digits.size() - start;
  for (std::size_t i = 0; i < out.length; ++i) out.digits[i] = out.digits[start + i];
  return out;
}

// -1, 0 or 1 as the decimal is below, equal to or above `value`, exactly.
// `scientific` places the decimal: it lies in [10^(scientific-1), 10^scientific).
int compare_exactly(const DecimalDigits& decimal, std::int64_t scientific, double value) noexcept {
  const ExactDecimal exact = exact_decimal(value);
  const auto exact_scientific = static_cast<std::int64_t>(exact.length) + exact.exponent;
  if (scientific != exact_scientific) return scientific < exact_scientific ? -1 : 1;
  DigitCursor cursor(decimal);
  for (std::size_t i = 0; !cursor.done() || i < exact.length; ++i) {
    const char mine = cursor.done() ? '0' : cursor.next();
    const char theirs = i < exact.length ? exact.digits[i] : '0';
    if (mine != theirs) return mine < theirs ? -1 : 1;
  }
  return 0;
}

// Powers of ten that a double holds exactly.
constexpr std::array<double, 23> kExactPowersOfTen = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// value * 10^power with a handful of roundings (|power| < 70 here).
double scale_by_power_of_ten(double value, std::int64_t power) noexcept {
  for (; power > 22; power -= 22) value *= 1e22;
  for (; power < -22; power += 22) value /= 1e22;
  const auto index = static_cast<std::size_t>(power < 0 ? -power : power);
  return power < 0 ? value / kExactPowersOfTen[index] : value * kExactPowersOfTen[index];
}

// 19 leading digits and at most five roundings: the estimate is within a
// relative 2^-50 of the exact value; this leaves a safe margin.
constexpr double kEstimateTolerance = 0x1p-48;
// The value just past the largest float, where rounding gives infinity.
constexpr double kPastLargestFloat = 0x1p128;

}  // namespace

float decimal_to_float(const DecimalDigits& decimal) noexcept {
  constexpr float kInfinity = std::numeric_limits<float>::infinity();
  std::uint64_t leading = 0;
  std::int64_t taken = 0;
  std::int64_t significant = 0;
  for (DigitCursor cursor(decimal); !cursor.done(); ++significant) {
    const char c = cursor.next();
    if (taken < 19) {
      leading = leading * 10 + static_cast<std::uint64_t>(c - '0');
      ++taken;
    }
  }
  if (significant == 0) return 0.0f;
  const std::int64_t scientific = significant + decimal.exponent;
  if (scientific > 39) return kInfinity;  // at least 1e39
  if (scientific < -45) return 0.0f;      // below 1e-46, under half the smallest subnormal

  const double estimate = scale_by_power_of_ten(static_cast<double>(leading), scientific - taken);
  // The two floats around the estimate, 2^128 standing for the one past the
  // largest.
  const float nearest = static_cast<float>(estimate);
  double below = 0.0;
  double above = 0.0;
  if (std::isinf(nearest)) {
    below = std::numeric_limits<float>::max();
    above = kPastLargestFloat;
  } else if (static_cast<double>(nearest) <= estimate) {
    below = nearest;
    above = nearest == std::numeric_limits<float>::max()
                ? kPastLargestFloat
                : static_cast<double>(std::nextafter(nearest, kInfinity));
  } else {
    above = nearest;
    below = std::nextafter(nearest, 0.0f);
  }
  const double halfway = below + (above - below) / 2;  // exact: 26 significant bits

  int order = 0;
  if (estimate - halfway > kEstimateTolerance * estimate) {
    order = 1;
  } else if (halfway - estimate > kEstimateTolerance * estimate) {
    order = -1;
  } else {
    order = compare_exactly(decimal, scientific, halfway);
  }
  const bool below_is_even = (bit_cast<std::uint32_t>(static_cast<float>(below)) & 1u) == 0;
  const double chosen = order < 0 || (order == 0 && below_is_even) ? below : above;
  return chosen >= kPastLargestFloat ? kInfinity : static_cast<float>(chosen);
}

}  // namespace corvane::detail
