// The AVX-512 kernel of the batch FNV-1a folds: sixteen records side by side.
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

namespace corvane::detail {

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
