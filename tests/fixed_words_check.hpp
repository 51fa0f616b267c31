// The vector kernels' fixed-point words against the scalar writer, for the
// batch test (a sweep) and the exhaustive check (every pattern): each word
// must give write_fixed_padded's text, and a value must have a word exactly
// when it is below 2^23 and its text has at most seven digits.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <utility>

#include "batch/fixed_words.hpp"
#include "corvane/detail/bit_cast.hpp"
#include "text/fixed_word.hpp"

namespace corvane_test {

/// Mismatches among the `count` patterns first, first + stride, ... (taken
/// modulo 2^32) at `precision`; the first few are printed.
template <std::size_t P>
std::uint64_t fixed_word_mismatches(corvane::detail::FixedWordsKernel kernel, std::uint64_t first,
                                    std::uint64_t stride, std::uint64_t count) {
  namespace d = corvane::detail;
  constexpr std::size_t kBlock = 1024;
  constexpr std::size_t kRoom = d::max_fixed_chars(P) + d::kFixedPadding;
  std::array<float, kBlock> values;
  std::array<std::uint64_t, kBlock> words;
  std::uint64_t mismatches = 0;
  for (std::uint64_t done = 0; done < count;) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, count - done));
    for (std::size_t i = 0; i < n; ++i) {
      values[i] = d::bit_cast<float>(static_cast<std::uint32_t>(first + (done + i) * stride));
    }
    kernel(values.data(), words.data(), n);
    for (std::size_t i = 0; i < n; ++i) {
      char expected[kRoom], got[kRoom];
      const std::string_view expected_text(
          expected,
          static_cast<std::size_t>(d::write_fixed_padded<P>(expected, values[i]) - expected));
      const std::string_view got_text(
          got, static_cast<std::size_t>(d::write_fixed_word<P>(got, words[i], values[i]) - got));
      const auto digits = std::count_if(expected_text.begin(), expected_text.end(),
                                        [](char c) { return c >= '0' && c <= '9'; });
      const bool below_2_23 = (d::bit_cast<std::uint32_t>(values[i]) & 0x7FFFFFFFu) < 0x4B000000u;
      const bool has_word = below_2_23 && digits <= 7;
      if (got_text != expected_text || (words[i] != 0) != has_word) {
        if (++mismatches <= 5) {
          std::printf("fixed word of %08X at precision %zu: %.*s (word %016llX) vs %.*s\n",
                      d::bit_cast<std::uint32_t>(values[i]), P, static_cast<int>(got_text.size()),
                      got_text.data(), static_cast<unsigned long long>(words[i]),
                      static_cast<int>(expected_text.size()), expected_text.data());
        }
      }
    }
    done += n;
  }
  return mismatches;
}

/// The same at a precision given at run time, up to kMaxFixedWordPrecision.
inline std::uint64_t fixed_word_mismatches(corvane::detail::FixedWordsKernel kernel,
                                           std::size_t precision, std::uint64_t first,
                                           std::uint64_t stride, std::uint64_t count) {
  return [&]<std::size_t... P>(std::index_sequence<P...>) {
    std::uint64_t mismatches = 0;
    ((precision == P ? (mismatches = fixed_word_mismatches<P>(kernel, first, stride, count), 0)
                     : 0),
     ...);
    return mismatches;
  }
  (std::make_index_sequence<corvane::detail::kMaxFixedWordPrecision + 1>{});
}

}  // namespace corvane_test
