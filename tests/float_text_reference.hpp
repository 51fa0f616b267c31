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

struct Significand {
  bool negative = false;
  std::string digits;  // no leading or trailing zeros; empty for zero
  int exponent = 0;    // of the first digit
  bool operator==(const Significand&) const = default;
};

/// Reads "[-]ddd[.ddd][e[+-]dd]".
inline Significand significand_of(std::string_view text) {
  Significand s;
  if (!text.empty() && text.front() == '-') {
    s.negative = true;
    text.remove_prefix(1);
  }
  const std::size_t e = text.find('e');
  int exponent = 0;
  if (e != std::string_view::npos) {
    std::string_view power = text.substr(e + 1);
    if (!power.empty() && power.front() == '+') power.remove_prefix(1);
    std::from_chars(power.data(), power.data() + power.size(), exponent);
    text = text.substr(0, e);
  }
  const std::size_t point = std::min(text.find('.'), text.size());
  int position = static_cast<int>(point);  // digits before the point
  for (const char c : text) {
    if (c == '.') continue;
    --position;
    if (c == '0' && s.digits.empty()) continue;
    if (s.digits.empty()) s.exponent = position + exponent;
    s.digits += c;
  }
  while (!s.digits.empty() && s.digits.back() == '0') s.digits.pop_back();
  if (s.digits.empty()) s.exponent = 0;
  return s;
}

}  // namespace corvane_test
