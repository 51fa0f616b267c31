// Shared pieces of the fuzz targets: a reader that turns the fuzzer's bytes
// into numbers, and a check that reports a broken invariant and aborts, so
// that libFuzzer keeps the input as a finding.
#pragma once

#include <bit>
#include <cmath>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

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

}  // namespace fuzz

#define FUZZ_CHECK(cond, ...)                                   \
  do {                                                          \
    if (!(cond)) ::fuzz::fail(__FILE__, __LINE__, __VA_ARGS__); \
  } while (0)
