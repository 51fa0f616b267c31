// The standard library's float texts, as the references for the library's
// own writers, and a reading of any decimal text down to its sign,
// significant digits and decimal exponent, so that texts laid out
// differently ("0.00125", "1.25e-03") compare by value.
#pragma once

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>

namespace corvane_test {

/// "%.*f" by std::to_chars at `out`, which has room for 1 + 39 + 1 +
/// `precision` characters; returns the end. Past 149 digits a float's text
/// only gains zeros. A NaN is "nan" whatever its sign, as the library writes it.
inline char* to_chars_fixed(char* out, float value, std::size_t precision) {
  if (std::isnan(value)) {
    std::memcpy(out, "nan", 3);
    return out + 3;
  }
  const std::size_t exact = std::min<std::size_t>(precision, 149);
  const auto [end, ec] = std::to_chars(out, out + 1 + 39 + 1 + exact, value,
                                       std::chars_format::fixed, static_cast<int>(exact));
  assert(ec == std::errc{});
  (void)ec;
  std::memset(end, '0', precision - exact);
  return end + (precision - exact);
}

inline std::string to_chars_fixed(float value, std::size_t precision) {
  std::string text(1 + 39 + 1 + precision, '\0');
  text.resize(
      static_cast<std::size_t>(to_chars_fixed(text.data(), value, precision) - text.data()));
  return text;
}

/// The shortest round-trip digits in std::to_chars' scientific form.
inline std::string to_chars_scientific(float value) {
  char text[32];
  const auto [end, ec] =
      std::to_chars(text, text + sizeof text, value, std::chars_format::scientific);
  assert(ec == std::errc{});
  (void)ec;
  return std::string(text, end);
}

/// The debug form of a finite float built from std::to_chars' shortest
/// digits, laid out as the library's rules say: exponent form ("2.5e16",
/// "1e-5") from 1e16 up and for non-zero magnitudes below 1e-4, otherwise
/// plain with at least one digit after the point ("84.0", "0.0001").
inline std::string shortest_text_reference(float value) {
  const std::string scientific = to_chars_scientific(value);  // "-8.41234e+01"
  std::string text;
  std::size_t i = 0;
  if (scientific[0] == '-') {
    text.push_back('-');
    i = 1;
  }
  const std::size_t e = scientific.find('e');
  std::string digits;
  for (std::size_t j = i; j < e; ++j) {
    if (scientific[j] != '.') digits.push_back(scientific[j]);
  }
  const int exponent = std::stoi(scientific.substr(e + 1));
  const float magnitude = value < 0 ? -value : value;
  if (magnitude == 0.0f) return text.append("0.0");
  if (magnitude >= 1e16f || magnitude < 1e-4f) {
    text.push_back(digits[0]);
    if (digits.size() > 1) text.append(".").append(digits, 1);
    return text.append("e").append(std::to_string(exponent));
  }
  if (exponent < 0) {
    return text.append("0.").append(static_cast<std::size_t>(-exponent - 1), '0').append(digits);
  }
  const auto integer_digits = static_cast<std::size_t>(exponent) + 1;
  if (digits.size() <= integer_digits) {
    return text.append(digits).append(integer_digits - digits.size(), '0').append(".0");
  }
  return text.append(digits, 0, integer_digits).append(".").append(digits, integer_digits);
}


}  // namespace corvane_test
