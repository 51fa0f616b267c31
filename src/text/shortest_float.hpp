// The shortest decimal text of a float that reads back to the same float.
#pragma once

#include <cstddef>
#include <string_view>

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

/// The same text as write_shortest_float(out, value), copied from
/// `read_from` when that is the text already (see is_shortest_float_text),
/// where `value` is what `read_from` reads as (correctly rounded): a reader
/// that writes back the numbers it read copies most of them.
char* write_shortest_float(char* out, float value, std::string_view read_from) noexcept;

/// Whether `text` is, as far as a cheap test tells, exactly what
/// write_shortest_float writes for `value`, where `value` is what `text`
/// reads as (correctly rounded): a caller that read the float from the text
/// may then copy the text instead of writing the float. True only when it
/// is; always for the writer's texts of at most six significant digits, and
/// for any of its texts whose last digit is worth more than the gap between
/// the float and the next (a float read from a text with four decimals
/// below 2^16, say); false for exponent forms, zeros, infinities and NaNs.
bool is_shortest_float_text(std::string_view text, float value) noexcept;

}  // namespace corvane::detail
