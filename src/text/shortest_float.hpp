// The shortest decimal text of a float that reads back to the same float.
#pragma once

#include <cstddef>

namespace corvane::detail {

/// Most characters write_shortest_float writes: a sign, nine significant
/// digits, a point and an exponent ("-1.2345678e-38" is 14), or a sign, 16
/// integer digits and ".0" below the exponent threshold ("-1234567900000000.0"
/// is 19).
inline constexpr std::size_t kMaxShortestFloatChars = 24;

/// Writes the debug form of a float at `out` and returns the end: the shortest
/// decimal that reads back to the same float, with at least one digit after
/// the point ("1.0", "-2.5", "-0.0"); exponent form for magnitudes of 1e16 or
/// more and non-zero magnitudes below 1e-4 ("1e-5", "2.5e16"); "NaN", "inf",
/// "-inf". `out` must have room for kMaxShortestFloatChars characters.
char* write_shortest_float(char* out, float value) noexcept;

}  // namespace corvane::detail
