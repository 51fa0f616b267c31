// Shared pieces of the fuzz targets: a reader that turns the fuzzer's bytes
// into numbers, and a check that reports a broken invariant and aborts, so
// that libFuzzer keeps the input as a finding.
#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzz {

/// Reads the input front to back; past the end every read yields zeros, so a
/// short input is still a complete (mostly zero) case.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) noexcept : data_(data), size_(size) {}

  [[nodiscard]] std::size_t remaining() const noexcept { return size_ - pos_; }

  std::uint8_t u8() noexcept { return pos_ < size_ ? data_[pos_++] : 0; }

  std::uint16_t u16() noexcept {
    const auto lo = u8();
    return static_cast<std::uint16_t>(lo | (u8() << 8));
  }

  std::uint32_t u32() noexcept {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(u8()) << (8 * i);
    return v;
  }

  std::uint64_t u64() noexcept {
    const std::uint64_t lo = u32();
    return lo | (static_cast<std::uint64_t>(u32()) << 32);
  }

  /// Any bit pattern: NaN payloads, infinities, subnormals, both zeros.
  float bits() noexcept { return std::bit_cast<float>(u32()); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

[[noreturn, gnu::format(printf, 3, 4)]] inline void fail(const char* file, int line,
                                                         const char* format, ...) {
  std::fprintf(stderr, "\n%s:%d: invariant broken: ", file, line);
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
  std::abort();
}

/// Bits of a float for messages.
inline unsigned hex(float v) noexcept { return std::bit_cast<std::uint32_t>(v); }

/// Circular distance between two angles in radians.
inline double angle_gap(double a, double b) noexcept {
  const double two_pi = 6.283185307179586;
  double d = std::fmod(std::fabs(a - b), two_pi);
  return d > two_pi / 2 ? two_pi - d : d;
}

#define FUZZ_CHECK(cond, ...)                                   \
  do {                                                          \
    if (!(cond)) ::fuzz::fail(__FILE__, __LINE__, __VA_ARGS__); \
  } while (0)

// One float of a debug text: "NaN", or text that reads back to the same bits,
// laid out as the shortest digits (no trailing zero after the point except
// the single one of "1.0", at most nine significant digits).
inline void check_float_text(std::string_view text, float expected) {
  const std::string s(text);
  if (std::isnan(expected)) {
    FUZZ_CHECK(s == "NaN", "NaN written as '%s'", s.c_str());
    return;
  }
  char* end = nullptr;
  const float back = std::strtof(s.c_str(), &end);
  FUZZ_CHECK(end == s.c_str() + s.size(), "'%s' does not read as one float", s.c_str());
  FUZZ_CHECK(hex(back) == hex(expected), "'%s' reads back as %08X, not %08X",
             s.c_str(), hex(back), hex(expected));
  if (std::isinf(expected)) return;
  const std::size_t e = s.find('e');
  const std::string mantissa = s.substr(0, e);
  const std::size_t point = mantissa.find('.');
  if (e == std::string::npos) {
    FUZZ_CHECK(point != std::string::npos && point + 1 < mantissa.size(),
               "'%s' lacks a digit after the point", s.c_str());
  }
  if (point != std::string::npos) {
    const std::string fraction = mantissa.substr(point + 1);
    FUZZ_CHECK(fraction == "0" || fraction.back() != '0', "'%s' is not the shortest form",
               s.c_str());
  }
  // A float never needs more than nine significant digits.
  std::string digits;
  for (const char c : mantissa) {
    if (c >= '0' && c <= '9') digits += c;
  }
  digits.erase(0, digits.find_first_not_of('0'));
  digits.erase(digits.find_last_not_of('0') + 1);
  FUZZ_CHECK(digits.size() <= 9, "'%s' has too many digits", s.c_str());
}

// Splits "Type { a: 1.0, b: 2.0 }" at the given field names and checks each.
template <std::size_t N>
void check_struct_text(const std::string& text, std::string_view type,
                       const std::array<std::string_view, N>& names,
                       const std::array<float, N>& values) {
  std::string_view rest = text;
  const std::string head = std::string(type) + " { ";
  FUZZ_CHECK(rest.substr(0, head.size()) == head, "bad head: %s", text.c_str());
  rest.remove_prefix(head.size());
  for (std::size_t i = 0; i < N; ++i) {
    const std::string label = std::string(names[i]) + ": ";
    FUZZ_CHECK(rest.substr(0, label.size()) == label, "missing '%s' in %s", label.c_str(),
               text.c_str());
    rest.remove_prefix(label.size());
    const std::string_view sep = i + 1 < N ? std::string_view(", ") : std::string_view(" }");
    const std::size_t at = rest.find(sep);
    FUZZ_CHECK(at != std::string_view::npos, "unterminated field in %s", text.c_str());
    check_float_text(rest.substr(0, at), values[i]);
    rest.remove_prefix(at + sep.size());
  }
  FUZZ_CHECK(rest.empty(), "trailing text in %s", text.c_str());
}

}  // namespace fuzz
