#include "text/shortest_float.hpp"

#include <charconv>
#include <cmath>
#include <cstring>

namespace corvane::detail {

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

  // The shortest round-trip digits and their exponent, as "d[.ddd]e[+-]xx".
  char sci[32];
  const auto [sci_end, ec] =
      std::to_chars(sci, sci + sizeof sci, magnitude, std::chars_format::scientific);
  (void)ec;  // 32 characters always suffice for a float
  char digits[16];
  int digit_count = 0;
  const char* p = sci;
  for (; p != sci_end && *p != 'e'; ++p) {
    if (*p != '.') digits[digit_count++] = *p;
  }
  int exponent = 0;
  std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), sci_end, exponent);

  if (magnitude >= 1e16f || magnitude < 1e-4f) {
    *out++ = digits[0];
    if (digit_count > 1) {
      *out++ = '.';
      std::memcpy(out, digits + 1, static_cast<std::size_t>(digit_count - 1));
      out += digit_count - 1;
    }
    *out++ = 'e';
    return std::to_chars(out, out + 8, exponent).ptr;
  }

  if (exponent < 0) {
    // 0.000ddd: at most three zeros after the point, since magnitude >= 1e-4.
    *out++ = '0';
    *out++ = '.';
    for (int i = -1; i > exponent; --i) *out++ = '0';
    std::memcpy(out, digits, static_cast<std::size_t>(digit_count));
    return out + digit_count;
  }
  const int integer_digits = exponent + 1;
  for (int i = 0; i < integer_digits; ++i) *out++ = i < digit_count ? digits[i] : '0';
  *out++ = '.';
  if (digit_count > integer_digits) {
    std::memcpy(out, digits + integer_digits,
                static_cast<std::size_t>(digit_count - integer_digits));
    return out + (digit_count - integer_digits);
  }
  *out++ = '0';
  return out;
}

}  // namespace corvane::detail
