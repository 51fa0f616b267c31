// Correctly rounded conversion of a decimal digit string to float, for the map
// text reader. std::from_chars would do, but libc++ 14 has no floating-point
// overload, and strtof depends on the global locale.
#pragma once

#include <array>
#include <cstdint>
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

}  // namespace corvane::detail
