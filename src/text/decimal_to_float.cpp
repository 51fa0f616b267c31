// A double-precision estimate decides the rounding unless it lies too close to
// the halfway point between two floats; only then is the decimal compared,
// digit by digit, with the exact decimal expansion of that halfway point.
#include "text/decimal_to_float.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>
#include <string_view>

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

// Hot, as every reader of numbers runs it per value (see write_shortest_float).
[[gnu::hot]]
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
    // The float after a non-negative finite one is the next bit pattern
    // (a library call would cost more than the rest of the step).
    below = nearest;
    above = nearest == std::numeric_limits<float>::max()
                ? kPastLargestFloat
                : static_cast<double>(bit_cast<float>(bit_cast<std::uint32_t>(nearest) + 1u));
  } else {
    // And the one before a positive float (the estimate is below it), the
    // pattern before.
    above = nearest;
    below = bit_cast<float>(bit_cast<std::uint32_t>(nearest) - 1u);
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

namespace {

constexpr bool is_decimal_digit(char c) noexcept { return c >= '0' && c <= '9'; }

constexpr int hex_value(char c) noexcept {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

constexpr char lower(char c) noexcept {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool is_word(std::string_view text, std::string_view lower_word) noexcept {
  if (text.size() != lower_word.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (lower(text[i]) != lower_word[i]) return false;
  }
  return true;
}

bool is_nan_text(std::string_view text) noexcept {
  if (text.size() < 3 || !is_word(text.substr(0, 3), "nan")) return false;
  text.remove_prefix(3);
  if (text.empty()) return true;
  if (text.size() < 2 || text.front() != '(' || text.back() != ')') return false;
  for (const char c : text.substr(1, text.size() - 2)) {
    const char l = lower(c);
    if (!is_decimal_digit(c) && !(l >= 'a' && l <= 'z') && c != '_') return false;
  }
  return true;
}

// Far beyond any exponent that changes the result (a float needs |e| < 200
// however many digits precede it), and far from overflowing int64 arithmetic
// with a line's worth of digits.
constexpr std::int64_t kExponentLimit = 1'000'000'000;

// A run of digits, with at most one point among them and at least one digit.
struct Mantissa {
  std::string_view whole;     // digits before the point
  std::string_view fraction;  // digits after it
};

// Reads the mantissa at the front of `text` and takes it off.
template <class IsDigit>
std::optional<Mantissa> take_mantissa(std::string_view& text, IsDigit is_digit) noexcept {
  std::size_t i = 0;
  while (i < text.size() && is_digit(text[i])) ++i;
  Mantissa m{text.substr(0, i), {}};
  if (i < text.size() && text[i] == '.') {
    const std::size_t start = ++i;
    while (i < text.size() && is_digit(text[i])) ++i;
    m.fraction = text.substr(start, i - start);
  }
  if (m.whole.empty() && m.fraction.empty()) return std::nullopt;
  text.remove_prefix(i);
  return m;
}

// The whole of `text`, when present, as an exponent: the marker letter, an
// optional sign and decimal digits, saturated at kExponentLimit.
[[gnu::hot]]
std::optional<std::int64_t> read_exponent(std::string_view text, char marker) noexcept {
  if (text.empty()) return std::int64_t{0};
  if (lower(text.front()) != marker) return std::nullopt;
  text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (const char c : text) {
    if (!is_decimal_digit(c)) return std::nullopt;
    value = std::min<std::int64_t>(value * 10 + (c - '0'), kExponentLimit);
  }
  return negative ? -value : value;
}

// The float nearest to `mantissa` (hexadecimal digits) times 2^power, ties to
// even. The first 16 significant digits are kept exactly; any later non-zero
// digit only breaks a tie.
float hex_to_float(const Mantissa& mantissa, std::int64_t power) noexcept {
  std::uint64_t bits = 0;
  int kept = 0;
  bool sticky = false;
  std::int64_t exponent = power - 4 * static_cast<std::int64_t>(mantissa.fraction.size());
  for (const std::string_view run : {mantissa.whole, mantissa.fraction}) {
    for (const char c : run) {
      const auto digit = static_cast<std::uint64_t>(hex_value(c));
      if (kept == 0 && digit == 0) continue;
      if (kept < 16) {
        bits = bits << 4 | digit;
        ++kept;
      } else {
        sticky = sticky || digit != 0;
        exponent += 4;
      }
    }
  }
  if (bits == 0) return 0.0f;
  // The value lies in [2^top, 2^(top+1)).
  int width = 0;
  for (std::uint64_t b = bits; b != 0; b >>= 1) ++width;
  const std::int64_t top = exponent + width - 1;
  if (top > 127) return std::numeric_limits<float>::infinity();
  if (top < -151) return 0.0f;  // below half the smallest subnormal
  // The lowest bit a float keeps there: 24 significant bits, none below 2^-149.
  const std::int64_t lowest = std::max<std::int64_t>(top - 23, -149);
  const std::int64_t drop = lowest - exponent;
  std::uint64_t kept_bits = 0;
  if (drop <= 0) {
    kept_bits = bits << -drop;  // at most 24 bits: exact
  } else {
    // drop <= 65 here; past 64 bits every bit is dropped and lies below half.
    const std::uint64_t rest = drop >= 64 ? bits : bits & ((std::uint64_t{1} << drop) - 1);
    kept_bits = drop >= 64 ? 0 : bits >> drop;
    const bool above_half = drop > 64 ? false
                                      : rest > (std::uint64_t{1} << (drop - 1)) ||
                                            (rest == (std::uint64_t{1} << (drop - 1)) &&
                                             (sticky || (kept_bits & 1u) != 0));
    if (above_half) ++kept_bits;
  }
  // kept_bits <= 2^24: exact as a float, and scaling by a power of two is
  // exact too unless it overflows.
  return std::ldexp(static_cast<float>(kept_bits), static_cast<int>(lowest));
}

}  // namespace

[[gnu::hot]]
std::optional<FloatReading> read_float_text(std::string_view text) noexcept {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  const auto signed_value = [negative](float magnitude) {
    return FloatReading{negative ? -magnitude : magnitude, false};
  };
  if (is_nan_text(text)) return signed_value(std::numeric_limits<float>::quiet_NaN());
  if (is_word(text, "inf") || is_word(text, "infinity")) {
    return signed_value(std::numeric_limits<float>::infinity());
  }
  float magnitude = 0.0f;
  if (text.size() >= 2 && text[0] == '0' && lower(text[1]) == 'x') {
    text.remove_prefix(2);
    const auto mantissa =
        take_mantissa(text, [](char c) { return hex_value(c) >= 0; });
    if (!mantissa) return std::nullopt;
    const auto power = read_exponent(text, 'p');
    if (!power) return std::nullopt;
    magnitude = hex_to_float(*mantissa, *power);
  } else {
    const auto mantissa = take_mantissa(text, is_decimal_digit);
    if (!mantissa) return std::nullopt;
    const auto exponent = read_exponent(text, 'e');
    if (!exponent) return std::nullopt;
    DecimalDigits decimal;
    decimal.runs = {mantissa->whole, mantissa->fraction, {}};
    decimal.exponent = *exponent - static_cast<std::int64_t>(mantissa->fraction.size());
    magnitude = decimal_to_float(decimal);
  }
  FloatReading reading = signed_value(magnitude);
  reading.overflow = std::isinf(magnitude);
  return reading;
}

}  // namespace corvane::detail
