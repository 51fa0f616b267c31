// A text built on the stack, and the compile-time count that sizes it.
//
// A writer is a function template over its output: run against a StackText it
// writes; run against a CharBound in a constant expression it counts the most
// characters each piece can take. The capacity is thus computed from the
// writer itself and cannot fall short of it, provided the writer does not
// choose its pieces by the value it writes (a writer that does, as for a
// variant, sizes its buffer as the largest of its alternatives).
#pragma once

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "text/decimal_digits.hpp"
#include "text/hex.hpp"
#include "text/shortest_float.hpp"

namespace corvane::detail {

/// Most characters of an unsigned 64-bit number in decimal.
inline constexpr std::size_t kMaxDecimalChars = kMaxUint64Digits;

/// Text of at most N characters on the stack, written without allocating.
template <std::size_t N>
class StackText {
 public:
  static constexpr std::size_t capacity = N;

  StackText& operator<<(std::string_view text) noexcept {
    assert(text.size() <= N - size_);
    std::memcpy(buffer_.data() + size_, text.data(), text.size());
    size_ += text.size();
    return *this;
  }
  StackText& operator<<(char c) noexcept {
    assert(size_ < N);
    buffer_[size_++] = c;
    return *this;
  }
  /// Appends the shortest text of a float (write_shortest_float).
  StackText& append_float(float value) noexcept {
    assert(kMaxShortestFloatChars <= N - size_);
    end_at(write_shortest_float(buffer_.data() + size_, value));
    return *this;
  }
  /// Appends an unsigned integer in decimal.
  StackText& append_decimal(std::uint64_t value) noexcept {
    assert(kMaxDecimalChars <= N - size_);
    end_at(write_decimal(buffer_.data() + size_, value));
    return *this;
  }
  /// Appends the low `digits` hexadecimal digits of `value`, uppercase,
  /// zero-padded.
  StackText& append_hex(std::uint64_t value, std::size_t digits) noexcept {
    assert(digits <= N - size_);
    end_at(write_hex(buffer_.data() + size_, value, digits));
    return *this;
  }

  [[nodiscard]] std::string_view view() const noexcept { return {buffer_.data(), size_}; }

 private:
  void end_at(const char* end) noexcept { size_ = static_cast<std::size_t>(end - buffer_.data()); }

  std::array<char, N> buffer_;
  std::size_t size_ = 0;
};

/// The output a writer is run against at compile time: counts, for every
/// piece, the most characters it can take.
class CharBound {
 public:
  constexpr CharBound& operator<<(std::string_view text) noexcept {
    count_ += text.size();
    return *this;
  }
  constexpr CharBound& operator<<(char) noexcept {
    ++count_;
    return *this;
  }
  constexpr CharBound& append_float(float) noexcept {
    count_ += kMaxShortestFloatChars;
    return *this;
  }
  constexpr CharBound& append_decimal(std::uint64_t) noexcept {
    count_ += kMaxDecimalChars;
    return *this;
  }
  constexpr CharBound& append_hex(std::uint64_t, std::size_t digits) noexcept {
    count_ += digits;
    return *this;
  }

  [[nodiscard]] constexpr std::size_t count() const noexcept { return count_; }

 private:
  std::size_t count_ = 0;
};

}  // namespace corvane::detail
