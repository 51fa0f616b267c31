// The x86-64 kernels of the batch fingerprints. Each function carries its own
// target attribute, so this file compiles with the baseline flags and nothing
// here runs unless the CPU reported the feature (see simd_path.cpp).
//
// SixDp in each lane is the scalar computation of fingerprint_kernels.hpp,
// operation for operation: |v| widened to double, times 1e6, rounded to an
// integer by adding and removing 2^52, times 1e-6, rounded to float; then the
// same selects for the sign, the large values and NaN. Vector and scalar
// double operations round alike (both IEEE, nearest-even, no contraction), so
// the bits are the same; the exhaustive check runs every path over all 2^32
// patterns.
#include "batch/fingerprint_batch.hpp"

#if CORVANE_X86_64_KERNELS

// GCC 12's AVX-512 intrinsics start from a deliberately undefined register
// (`__m512i __Y = __Y;`), which -Wmaybe-uninitialized reports wherever they
// are inlined; the value is never read.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <immintrin.h>

#include <algorithm>

#include "fingerprint_kernels.hpp"

namespace corvane::detail {
namespace {

constexpr int kAbsMask = 0x7FFF'FFFF;
constexpr int kSignMask = static_cast<int>(kSignBit);
constexpr int kInfinity = static_cast<int>(kInfinityBits);
constexpr int kCanonicalNan = static_cast<int>(kCanonicalNanBits);
constexpr int kBelowSixteen = static_cast<int>(kSixteenBits - 1);
constexpr double kMillion = 1e6;
constexpr double kMicro = 1e-6;
constexpr double kRoundingShift = 0x1p52;

// ---- SSE2 --------------------------------------------------------------------

__m128d round_six_decimals_sse2(__m128d magnitude) noexcept {
  const __m128d scaled = _mm_mul_pd(magnitude, _mm_set1_pd(kMillion));
  const __m128d shift = _mm_set1_pd(kRoundingShift);
  const __m128d n = _mm_sub_pd(_mm_add_pd(scaled, shift), shift);
  return _mm_mul_pd(n, _mm_set1_pd(kMicro));
}

}  // namespace

std::size_t six_dp_sse2(const float* in, std::uint32_t* out, std::size_t n) noexcept {
  const __m128i abs_mask = _mm_set1_epi32(kAbsMask);
  const __m128i sign_mask = _mm_set1_epi32(kSignMask);
  const __m128i infinity = _mm_set1_epi32(kInfinity);
  const __m128i canonical_nan = _mm_set1_epi32(kCanonicalNan);
  const __m128i below_sixteen = _mm_set1_epi32(kBelowSixteen);
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i bits = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    const __m128i magnitude = _mm_and_si128(bits, abs_mask);
    const __m128 magnitude_f = _mm_castsi128_ps(magnitude);
    const __m128d lo = round_six_decimals_sse2(_mm_cvtps_pd(magnitude_f));
    const __m128d hi = round_six_decimals_sse2(_mm_cvtps_pd(_mm_movehl_ps(magnitude_f, magnitude_f)));
    const __m128 rounded = _mm_movelh_ps(_mm_cvtpd_ps(lo), _mm_cvtpd_ps(hi));
    const __m128i is_zero = _mm_cmpeq_epi32(magnitude, _mm_setzero_si128());
    const __m128i sign = _mm_andnot_si128(is_zero, _mm_and_si128(bits, sign_mask));
    const __m128i small = _mm_or_si128(_mm_castps_si128(rounded), sign);
    const __m128i is_nan = _mm_cmpgt_epi32(magnitude, infinity);
    const __m128i large = _mm_or_si128(_mm_and_si128(is_nan, canonical_nan),
                                       _mm_andnot_si128(is_nan, bits));
    const __m128i is_large = _mm_cmpgt_epi32(magnitude, below_sixteen);
    const __m128i result = _mm_or_si128(_mm_and_si128(is_large, large),
                                        _mm_andnot_si128(is_large, small));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), result);
  }
  return i;
}

std::size_t lossless_sse2(const float* in, std::uint32_t* out, std::size_t n) noexcept {
  const __m128i sign_mask = _mm_set1_epi32(kSignMask);
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i bits = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    const __m128i result = _mm_andnot_si128(_mm_cmpeq_epi32(bits, sign_mask), bits);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), result);
  }
  return i;
}

// ---- AVX2 --------------------------------------------------------------------

namespace {

__attribute__((target("avx2"))) __m128 round_six_decimals_avx2(__m128 magnitude) noexcept {
  const __m256d scaled = _mm256_mul_pd(_mm256_cvtps_pd(magnitude), _mm256_set1_pd(kMillion));
  const __m256d shift = _mm256_set1_pd(kRoundingShift);
  const __m256d n = _mm256_sub_pd(_mm256_add_pd(scaled, shift), shift);
  return _mm256_cvtpd_ps(_mm256_mul_pd(n, _mm256_set1_pd(kMicro)));
}

}  // namespace

__attribute__((target("avx2"))) std::size_t six_dp_avx2(const float* in, std::uint32_t* out,
                                                        std::size_t n) noexcept {
  const __m256i abs_mask = _mm256_set1_epi32(kAbsMask);
  const __m256i sign_mask = _mm256_set1_epi32(kSignMask);
  const __m256i infinity = _mm256_set1_epi32(kInfinity);
  const __m256i canonical_nan = _mm256_set1_epi32(kCanonicalNan);
  const __m256i below_sixteen = _mm256_set1_epi32(kBelowSixteen);
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i bits = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
    const __m256i magnitude = _mm256_and_si256(bits, abs_mask);
    const __m256 magnitude_f = _mm256_castsi256_ps(magnitude);
    const __m128 lo = round_six_decimals_avx2(_mm256_castps256_ps128(magnitude_f));
    const __m128 hi = round_six_decimals_avx2(_mm256_extractf128_ps(magnitude_f, 1));
    const __m256 rounded = _mm256_insertf128_ps(_mm256_castps128_ps256(lo), hi, 1);
    const __m256i is_zero = _mm256_cmpeq_epi32(magnitude, _mm256_setzero_si256());
    const __m256i sign = _mm256_andnot_si256(is_zero, _mm256_and_si256(bits, sign_mask));
    const __m256i small = _mm256_or_si256(_mm256_castps_si256(rounded), sign);
    const __m256i is_nan = _mm256_cmpgt_epi32(magnitude, infinity);
    const __m256i large = _mm256_blendv_epi8(bits, canonical_nan, is_nan);
    const __m256i is_large = _mm256_cmpgt_epi32(magnitude, below_sixteen);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i),
                        _mm256_blendv_epi8(small, large, is_large));
  }
  return i;
}

__attribute__((target("avx2"))) std::size_t lossless_avx2(const float* in, std::uint32_t* out,
                                                          std::size_t n) noexcept {
  const __m256i sign_mask = _mm256_set1_epi32(kSignMask);
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i bits = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
    const __m256i result = _mm256_andnot_si256(_mm256_cmpeq_epi32(bits, sign_mask), bits);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), result);
  }
  return i;
}

// ---- AVX-512 F -----------------------------------------------------------------

namespace {

__attribute__((target("avx512f"))) __m256 round_six_decimals_avx512(__m256i magnitude) noexcept {
  const __m512d wide = _mm512_cvtps_pd(_mm256_castsi256_ps(magnitude));
  const __m512d scaled = _mm512_mul_pd(wide, _mm512_set1_pd(kMillion));
  const __m512d shift = _mm512_set1_pd(kRoundingShift);
  const __m512d n = _mm512_sub_pd(_mm512_add_pd(scaled, shift), shift);
  return _mm512_cvtpd_ps(_mm512_mul_pd(n, _mm512_set1_pd(kMicro)));
}

}  // namespace

__attribute__((target("avx512f"))) std::size_t six_dp_avx512(const float* in,
                                                             std::uint32_t* out,
                                                             std::size_t n) noexcept {
  const __m512i abs_mask = _mm512_set1_epi32(kAbsMask);
  const __m512i sign_mask = _mm512_set1_epi32(kSignMask);
  const __m512i infinity = _mm512_set1_epi32(kInfinity);
  const __m512i canonical_nan = _mm512_set1_epi32(kCanonicalNan);
  const __m512i below_sixteen = _mm512_set1_epi32(kBelowSixteen);
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m512i bits = _mm512_loadu_si512(in + i);
    const __m512i magnitude = _mm512_and_si512(bits, abs_mask);
    const __m256 lo = round_six_decimals_avx512(_mm512_castsi512_si256(magnitude));
    const __m256 hi = round_six_decimals_avx512(_mm512_extracti64x4_epi64(magnitude, 1));
    const __m512i rounded = _mm512_inserti64x4(
        _mm512_castsi256_si512(_mm256_castps_si256(lo)), _mm256_castps_si256(hi), 1);
    const __mmask16 nonzero = _mm512_test_epi32_mask(magnitude, magnitude);
    const __m512i sign = _mm512_maskz_and_epi32(nonzero, bits, sign_mask);
    const __m512i small = _mm512_or_si512(rounded, sign);
    const __mmask16 is_nan = _mm512_cmpgt_epi32_mask(magnitude, infinity);
    const __m512i large = _mm512_mask_blend_epi32(is_nan, bits, canonical_nan);
    const __mmask16 is_large = _mm512_cmpgt_epi32_mask(magnitude, below_sixteen);
    _mm512_storeu_si512(out + i, _mm512_mask_blend_epi32(is_large, small, large));
  }
  return i;
}

__attribute__((target("avx512f"))) std::size_t lossless_avx512(const float* in,
                                                               std::uint32_t* out,
                                                               std::size_t n) noexcept {
  const __m512i sign_mask = _mm512_set1_epi32(kSignMask);
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m512i bits = _mm512_loadu_si512(in + i);
    const __mmask16 negative_zero = _mm512_cmpeq_epi32_mask(bits, sign_mask);
    _mm512_storeu_si512(out + i, _mm512_mask_blend_epi32(negative_zero, bits,
                                                         _mm512_setzero_si512()));
  }
  return i;
}

// ---- FNV-1a, many records side by side --------------------------------------------
//
// h * prime modulo 2^64 with prime = 2^40 + 0x1b3, from 32 x 32 -> 64-bit
// multiplies: h * 0x1b3 = lo(h) * 0x1b3 + ((hi(h) * 0x1b3) << 32), plus
// h << 40. Two vectors of chains run interleaved to cover the multiplies'
// latency; a lane whose record has ended keeps its hash (masked update).
// With four lanes (AVX2) the three multiplies per step and the gathers lost
// to eight plain 64-bit chains, so only AVX-512 has a kernel.

namespace {

constexpr long long kPrimeLow = 0x1b3;
static_assert(FNV1A_PRIME == (std::uint64_t{1} << 40) + kPrimeLow);

__attribute__((target("avx512f"))) __m512i fold_byte_avx512(__m512i h, __m512i byte) noexcept {
  const __m512i prime_low = _mm512_set1_epi64(kPrimeLow);
  h = _mm512_xor_si512(h, byte);
  const __m512i low = _mm512_mul_epu32(h, prime_low);
  const __m512i high = _mm512_slli_epi64(_mm512_mul_epu32(_mm512_srli_epi64(h, 32), prime_low), 32);
  return _mm512_add_epi64(_mm512_add_epi64(low, high), _mm512_slli_epi64(h, 40));
}

__attribute__((target("avx512f"))) __m512i fold_word_avx512(__m512i h, __m512i word) noexcept {
  const __m512i byte_mask = _mm512_set1_epi64(0xFF);
  h = fold_byte_avx512(h, _mm512_and_si512(word, byte_mask));
  h = fold_byte_avx512(h, _mm512_and_si512(_mm512_srli_epi64(word, 8), byte_mask));
  h = fold_byte_avx512(h, _mm512_and_si512(_mm512_srli_epi64(word, 16), byte_mask));
  return fold_byte_avx512(h, _mm512_srli_epi64(word, 24));
}

std::size_t longest_record(const std::size_t* starts, const std::size_t* ends,
                           std::size_t lanes) noexcept {
  std::size_t longest = 0;
  for (std::size_t l = 0; l < lanes; ++l) longest = std::max(longest, ends[l] - starts[l]);
  return longest;
}

}  // namespace

__attribute__((target("avx512f"))) void fold_group_avx512(const std::uint32_t* words,
                                                         const std::size_t* starts,
                                                         const std::size_t* ends,
                                                         std::uint64_t* hashes) noexcept {
  const __m512i start_a = _mm512_loadu_si512(starts);
  const __m512i start_b = _mm512_loadu_si512(starts + 8);
  const __m512i length_a = _mm512_sub_epi64(_mm512_loadu_si512(ends), start_a);
  const __m512i length_b = _mm512_sub_epi64(_mm512_loadu_si512(ends + 8), start_b);
  __m512i h_a = _mm512_loadu_si512(hashes);
  __m512i h_b = _mm512_loadu_si512(hashes + 8);
  const std::size_t longest = longest_record(starts, ends, 16);
  for (std::size_t j = 0; j < longest; ++j) {
    const __m512i step = _mm512_set1_epi64(static_cast<long long>(j));
    const __mmask8 active_a = _mm512_cmplt_epu64_mask(step, length_a);
    const __mmask8 active_b = _mm512_cmplt_epu64_mask(step, length_b);
    const __m512i word_a = _mm512_cvtepu32_epi64(_mm512_mask_i64gather_epi32(
        _mm256_setzero_si256(), active_a, _mm512_add_epi64(start_a, step), words, 4));
    const __m512i word_b = _mm512_cvtepu32_epi64(_mm512_mask_i64gather_epi32(
        _mm256_setzero_si256(), active_b, _mm512_add_epi64(start_b, step), words, 4));
    h_a = _mm512_mask_mov_epi64(h_a, active_a, fold_word_avx512(h_a, word_a));
    h_b = _mm512_mask_mov_epi64(h_b, active_b, fold_word_avx512(h_b, word_b));
  }
  _mm512_storeu_si512(hashes, h_a);
  _mm512_storeu_si512(hashes + 8, h_b);
}

}  // namespace corvane::detail

#endif  // CORVANE_X86_64_KERNELS
