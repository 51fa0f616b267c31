// Reading a float or double from text the way std::from_chars reads it, with
// one code path on every standard library (libc++ 14 has no floating-point
// from_chars). The grammar is checked here; the digits are rounded by the C
// library's strtof/strtod, which are correctly rounded in glibc.
#pragma once

#include <optional>
#include <string_view>

namespace corvane::cli {

/// The two forms read: std::chars_format::general, and std::chars_format::hex
/// for the digits after a "0x" the caller has taken off.
enum class FloatSyntax { Decimal, Hex };

/// Whether the whole text is a number in that form, without a sign (the
/// caller reads that): digits (hexadecimal for Hex) with at most one point
/// and at least one digit, then optionally 'e' ('p' for Hex), an optional
/// sign and decimal digits.
/// A decimal may instead be inf, infinity, nan or nan(letters, digits, '_'),
/// in any case; a hexadecimal may not ("0xinf" is no number).
bool is_float_text(std::string_view text, FloatSyntax syntax) noexcept;

template <class T>
struct FloatReading {
  T value;        ///< nearest to the text, ties to even; tiny texts give a subnormal or zero
  bool overflow;  ///< a finite text beyond the largest value (value is then infinite)
};

/// The unsigned text's value, or nullopt when it is no number in that form.
/// Every nan reads as the default quiet NaN, whatever its parentheses hold.
std::optional<FloatReading<float>> read_float(std::string_view text, FloatSyntax syntax);
std::optional<FloatReading<double>> read_double(std::string_view text, FloatSyntax syntax);

}  // namespace corvane::cli
