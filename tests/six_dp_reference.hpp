// The six-decimal canonical float, computed the slow way: write the value
// with std::to_chars (fixed, precision 6) and read it back with
// std::from_chars. The library computes the same thing without text; this is
// the independent definition it is checked against.
#pragma once

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <system_error>

namespace corvane_test {

inline std::uint32_t six_dp_by_text(std::uint32_t bits) {
  float v = std::bit_cast<float>(bits);
  if (v == 0.0f) v = 0.0f;  // zero merge first: -0 becomes +0

  // to_chars writes a negative NaN as "-nan", which would read back as
  // 0xFFC00000; every NaN is written as the one text "NaN" instead.
  char buffer[64];
  std::string_view text = "NaN";
  if (!std::isnan(v)) {
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 6);
    if (written.ec != std::errc{}) return bits;  // cannot happen: 47 chars at most
    text = std::string_view(buffer, static_cast<std::size_t>(written.ptr - buffer));
  }

  float truncated = v;
  if (text == "NaN") {
    truncated = std::bit_cast<float>(std::uint32_t{0x7FC0'0000u});
  } else {
    float parsed = 0.0f;
    const auto read = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (read.ec == std::errc{} && read.ptr == text.data() + text.size()) truncated = parsed;
  }
  return std::bit_cast<std::uint32_t>(truncated);
}

}  // namespace corvane_test
