// The six-decimal canonical float, computed the slow way: write the value
// with std::to_chars (fixed, precision 6) and read it back with the C
// library's strtof (correctly rounded, "C" locale). The library computes the
// same thing without text; this is the independent definition it is checked
// against.
#pragma once

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <system_error>

namespace corvane_test {

inline std::uint32_t six_dp_by_text(std::uint32_t bits) {
  float v = std::bit_cast<float>(bits);
  if (v == 0.0f) v = 0.0f;  // zero merge first: -0 becomes +0

  // to_chars writes a negative NaN as "-nan", which would read back as
  // 0xFFC00000; the text form has one NaN, the positive quiet one.
  if (std::isnan(v)) return 0x7FC0'0000u;
  char buffer[64];
  const auto written =
      std::to_chars(buffer, buffer + sizeof buffer - 1, v, std::chars_format::fixed, 6);
  if (written.ec != std::errc{}) return std::bit_cast<std::uint32_t>(v);  // 47 chars at most
  *written.ptr = '\0';
  char* end = nullptr;
  const float truncated = std::strtof(buffer, &end);
  return std::bit_cast<std::uint32_t>(end == written.ptr ? truncated : v);
}

}  // namespace corvane_test
