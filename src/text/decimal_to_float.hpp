// Correctly rounded conversion of number text to float, for the map text
// reader and for the tool's number fields. std::from_chars would do, but
// libc++ 14 has no floating-point overload, and strtof depends on the global
// locale.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace corvane::detail {

/// A non-negative decimal: the digits of every run read one after the other
/// as one integer, times 10^exponent. Runs hold only '0'..'9' and may be
/// empty; any number of digits is fine.
struct DecimalDigits {
  std::array<std::string_view, 3> runs{};
  std::int64_t exponent = 0;
};

/// The float nearest to the decimal's exact value, ties to even; +infinity
/// beyond the largest float, 0 below half the smallest subnormal. Allocates
/// nothing.
float decimal_to_float(const DecimalDigits& decimal) noexcept;

/// A whole number text read as a float.
struct FloatReading {
  float value;    ///< nearest to the text, ties to even; tiny texts give a subnormal or zero
  bool overflow;  ///< a finite text beyond the largest float (value is then infinite)
};

/// Reads a whole text as one float, or nullopt when it is no number: an
/// optional sign ('+' or '-', one), then
/// - decimal digits with at most one point and at least one digit, then
///   optionally 'e' or 'E', an optional sign and decimal digits ("84",
///   "-7.1", "1e-3", ".5", "5.");
/// - "0x" or "0X", hexadecimal digits in the same shape, then optionally 'p'
///   or 'P' and a signed decimal power of two ("0x1.8p3");
/// - inf, infinity, nan or nan(letters, digits, '_'), in any case. Every nan
///   reads as the default quiet NaN with the text's sign, whatever its
///   parentheses hold.
/// Allocates nothing.
std::optional<FloatReading> read_float_text(std::string_view text) noexcept;

}  // namespace corvane::detail
