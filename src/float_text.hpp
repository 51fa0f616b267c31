// Internal text helpers shared by the debug texts of every module.
#pragma once

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace corvane::detail {

/// Uppercase hexadecimal digits, for ids and cell words.
inline constexpr char kUpperHexDigits[] = "0123456789ABCDEF";

/// Longest text write_shortest_float can produce ("-1234567900000000.0" is 19).
inline constexpr std::size_t kMaxShortestFloatChars = 24;

/// Writes the debug form of a float at `out` and returns the end: the shortest
/// decimal that reads back to the same float, with at least one digit after
/// the point ("1.0", "-2.5", "-0.0"); exponent form for magnitudes of 1e16 or
/// more and non-zero magnitudes below 1e-4 ("1e-5", "2.5e16"); "NaN", "inf",
/// "-inf". `out` must have room for kMaxShortestFloatChars characters.
char* write_shortest_float(char* out, float value) noexcept;

/// A fixed-capacity text built on the stack, so that debug texts are written
/// to a stream in one call without allocating. Capacities are chosen per type
/// from the longest text it can produce.
template <std::size_t N>
class FixedText {
 public:
  FixedText& operator<<(std::string_view text) noexcept {
    assert(size_ + text.size() <= N);
    std::memcpy(buffer_.data() + size_, text.data(), text.size());
    size_ += text.size();
    return *this;
  }
  FixedText& operator<<(char c) noexcept {
    assert(size_ < N);
    buffer_[size_++] = c;
    return *this;
  }
  /// Appends the debug form of a float.
  FixedText& append_float(float value) noexcept {
    assert(size_ + kMaxShortestFloatChars <= N);
    size_ = static_cast<std::size_t>(write_shortest_float(buffer_.data() + size_, value) -
                                     buffer_.data());
    return *this;
  }
  /// Appends an unsigned integer in decimal.
  FixedText& append_decimal(std::uint64_t value) noexcept {
    char digits[20];
    std::size_t n = 0;
    do {
      digits[n++] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value != 0);
    assert(size_ + n <= N);
    while (n > 0) buffer_[size_++] = digits[--n];
    return *this;
  }
  /// Appends the low `digits` hexadecimal digits of `value`, uppercase,
  /// zero-padded.
  FixedText& append_hex(std::uint32_t value, int digits) noexcept {
    assert(digits >= 0 && size_ + static_cast<std::size_t>(digits) <= N);
    for (int i = digits - 1; i >= 0; --i)
      buffer_[size_++] = kUpperHexDigits[(value >> (4 * i)) & 0xFu];
    return *this;
  }
  [[nodiscard]] std::string_view view() const noexcept { return {buffer_.data(), size_}; }

 private:
  std::array<char, N> buffer_;
  std::size_t size_ = 0;
};

}  // namespace corvane::detail
