// The fixed-point words of four floats at a time on AVX2 (256-bit lanes of
// doubles and 64-bit integers): the same rounding as the scalar writer, done
// exactly in doubles, and the digits split lane by lane as eight_digits splits
// them in one word.
#include "batch/fixed_words.hpp"

#include <array>
#include <cstring>
#include <utility>

#include "text/decimal_digits.hpp"
#include "text/fixed_word.hpp"

#if CORVANE_X86_64_KERNELS

#include "batch/lanes_x86.hpp"

namespace corvane::detail {
namespace {

CORVANE_TARGET_BEGIN("avx2")

// The words of values[0..3].
template <std::size_t P>
inline __m256i four_words(const float* values) noexcept {
  // Lanes of 2^23 and more (and infinities and NaNs) are made 0 first, so no
  // lane raises a floating-point exception, and get no word at the end.
  const __m128i magnitude_bits = _mm_and_si128(
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(values)), _mm_set1_epi32(0x7FFFFFFF));
  const __m128i below_2_23 = _mm_cmplt_epi32(magnitude_bits, _mm_set1_epi32(0x4B000000));
  const __m128 magnitude = _mm_castsi128_ps(_mm_and_si128(magnitude_bits, below_2_23));
  // Exact in a double (24 bits times 5^6), then rounded to the nearest
  // integer, ties to even, whatever the rounding mode.
  const __m256d scaled = _mm256_mul_pd(_mm256_cvtps_pd(magnitude),
                                       _mm256_set1_pd(static_cast<double>(kPowersOf10[P])));
  const __m256d rounded = _mm256_min_pd(
      _mm256_round_pd(scaled, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC), _mm256_set1_pd(1e7));
  const __m256i has_word = _mm256_and_si256(
      _mm256_cvtepi32_epi64(below_2_23),
      _mm256_castpd_si256(_mm256_cmp_pd(rounded, _mm256_set1_pd(1e7), _CMP_LT_OQ)));

  // Below 10^7: the top three digits and the low four in the two halves of
  // each 64-bit lane (x * 0xD1B71759 >> 45 is x / 10^4 below 2^32).
  const __m256i value = _mm256_cvtepu32_epi64(_mm256_cvtpd_epi32(rounded));
  const __m256i high =
      _mm256_srli_epi64(_mm256_mul_epu32(value, _mm256_set1_epi64x(0xD1B71759)), 45);
  const __m256i low = _mm256_sub_epi64(value, _mm256_mul_epu32(high, _mm256_set1_epi64x(10000)));
  __m256i lanes = _mm256_or_si256(high, _mm256_slli_epi64(low, 32));
  // 32-bit lanes below 10^4, held in their low 16 bits: x * 5243 >> 19 is
  // x / 100 there.
  const __m256i hundreds = _mm256_srli_epi16(_mm256_mulhi_epu16(lanes, _mm256_set1_epi16(5243)), 3);
  lanes = _mm256_or_si256(
      hundreds,
      _mm256_slli_epi32(
          _mm256_sub_epi16(lanes, _mm256_mullo_epi16(hundreds, _mm256_set1_epi16(100))), 16));
  // 16-bit lanes below 100: x * 103 >> 10 is x / 10.
  const __m256i tens = _mm256_srli_epi16(_mm256_mullo_epi16(lanes, _mm256_set1_epi16(103)), 10);
  lanes = _mm256_or_si256(
      tens, _mm256_slli_epi16(
                _mm256_sub_epi16(lanes, _mm256_mullo_epi16(tens, _mm256_set1_epi16(10))), 8));
  // Eight digits, the first always 0: drop it, leaving seven and a zero byte.
  __m256i word = _mm256_srli_epi64(_mm256_add_epi8(lanes, _mm256_set1_epi8('0')), 8);
  if constexpr (P > 0) {
    // The last P digits move up a byte and the point goes before them.
    const __m256i integer_bytes =
        _mm256_set1_epi64x(static_cast<long long>((std::uint64_t{1} << (8 * (7 - P))) - 1));
    word = _mm256_or_si256(
        _mm256_or_si256(_mm256_and_si256(word, integer_bytes),
                        _mm256_slli_epi64(_mm256_andnot_si256(integer_bytes, word), 8)),
        _mm256_set1_epi64x(static_cast<long long>(std::uint64_t{'.'} << (8 * (7 - P)))));
  }
  return _mm256_and_si256(word, has_word);
}

template <std::size_t P>
void fixed_words_avx2(const float* values, std::uint64_t* words, std::size_t n) noexcept {
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(words + i), four_words<P>(values + i));
  }
  if (i < n) {
    // The last one to three through a vector of their own, zero-filled.
    std::array<float, 4> rest{};
    std::array<std::uint64_t, 4> rest_words;
    std::memcpy(rest.data(), values + i, (n - i) * sizeof(float));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(rest_words.data()), four_words<P>(rest.data()));
    std::memcpy(words + i, rest_words.data(), (n - i) * sizeof(std::uint64_t));
  }
}

CORVANE_TARGET_END()

template <std::size_t... P>
constexpr std::array<FixedWordsKernel, sizeof...(P)> avx2_kernels(std::index_sequence<P...>) {
  return {&fixed_words_avx2<P>...};
}

}  // namespace

FixedWordsKernel fixed_words_kernel(SimdPath path, std::size_t precision) noexcept {
  static constexpr auto kAvx2 =
      avx2_kernels(std::make_index_sequence<kMaxFixedWordPrecision + 1>{});
  // AVX-512 F processors have AVX2 too.
  const bool avx2 =
      (path == SimdPath::Avx2 || path == SimdPath::Avx512) && simd_path_supported(path);
  return avx2 && precision <= kMaxFixedWordPrecision ? kAvx2[precision] : nullptr;
}

}  // namespace corvane::detail

#else

namespace corvane::detail {

FixedWordsKernel fixed_words_kernel(SimdPath, std::size_t) noexcept {
  return nullptr;
}

}  // namespace corvane::detail

#endif  // CORVANE_X86_64_KERNELS
