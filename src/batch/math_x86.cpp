// The x86-64 kernels of the batch quaternion operations: quaternion_lanes.inc
// compiled three times, for SSE2 (the baseline), AVX2 and AVX-512 F, each copy
// in its own namespace and target region, so the rest of the library keeps the
// baseline instruction set.
#include "batch/math_batch.hpp"

#if CORVANE_X86_64_KERNELS

// See fingerprint_x86.cpp: GCC 12's AVX-512 intrinsics trip this warning.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <immintrin.h>

#include <cstddef>

namespace corvane::detail {
namespace {

// ---- SSE2 --------------------------------------------------------------------

namespace sse2 {

using V = __m128;
constexpr std::size_t kWidth = 4;

inline V add(V a, V b) noexcept { return _mm_add_ps(a, b); }
inline V sub(V a, V b) noexcept { return _mm_sub_ps(a, b); }
inline V mul(V a, V b) noexcept { return _mm_mul_ps(a, b); }
inline V div(V a, V b) noexcept { return _mm_div_ps(a, b); }
inline V sqrt(V a) noexcept { return _mm_sqrt_ps(a); }
inline V set1(float f) noexcept { return _mm_set1_ps(f); }
inline V loadu(const float* p) noexcept { return _mm_loadu_ps(p); }
inline void storeu(float* p, V v) noexcept { _mm_storeu_ps(p, v); }
// Lanes where `mag` > 0 (false for NaN) take `a`, the others `b`.
inline V select_positive(V mag, V a, V b) noexcept {
  const V positive = _mm_cmpgt_ps(mag, _mm_setzero_ps());
  return _mm_or_ps(_mm_and_ps(positive, a), _mm_andnot_ps(positive, b));
}
inline void transpose4(V& r0, V& r1, V& r2, V& r3) noexcept { _MM_TRANSPOSE4_PS(r0, r1, r2, r3); }
// Lanes holding x86's created NaN 0xFFC00000 become 0x7FC00000, as in math.cpp.
inline V canonical_nan(V v) noexcept {
  const __m128i bits = _mm_castps_si128(v);
  const __m128i created = _mm_cmpeq_epi32(bits, _mm_set1_epi32(static_cast<int>(0xFFC00000u)));
  return _mm_castsi128_ps(
      _mm_xor_si128(bits, _mm_and_si128(created, _mm_set1_epi32(static_cast<int>(0x80000000u)))));
}
template <std::size_t Stride>
inline V gather(const float* p) noexcept {
  return _mm_setr_ps(p[0], p[Stride], p[2 * Stride], p[3 * Stride]);
}

#include "batch/quaternion_lanes.inc"

}  // namespace sse2

// ---- AVX2 --------------------------------------------------------------------

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

namespace avx2 {

using V = __m256;
constexpr std::size_t kWidth = 8;

inline V add(V a, V b) noexcept { return _mm256_add_ps(a, b); }
inline V sub(V a, V b) noexcept { return _mm256_sub_ps(a, b); }
inline V mul(V a, V b) noexcept { return _mm256_mul_ps(a, b); }
inline V div(V a, V b) noexcept { return _mm256_div_ps(a, b); }
inline V sqrt(V a) noexcept { return _mm256_sqrt_ps(a); }
inline V set1(float f) noexcept { return _mm256_set1_ps(f); }
inline V loadu(const float* p) noexcept { return _mm256_loadu_ps(p); }
inline void storeu(float* p, V v) noexcept { _mm256_storeu_ps(p, v); }
inline V select_positive(V mag, V a, V b) noexcept {
  return _mm256_blendv_ps(b, a, _mm256_cmp_ps(mag, _mm256_setzero_ps(), _CMP_GT_OQ));
}
inline V canonical_nan(V v) noexcept {
  const __m256i bits = _mm256_castps_si256(v);
  const __m256i created = _mm256_cmpeq_epi32(bits, _mm256_set1_epi32(static_cast<int>(0xFFC00000u)));
  return _mm256_castsi256_ps(_mm256_xor_si256(
      bits, _mm256_and_si256(created, _mm256_set1_epi32(static_cast<int>(0x80000000u)))));
}
// A 4 x 4 transpose in each 128-bit half.
inline void transpose4(V& r0, V& r1, V& r2, V& r3) noexcept {
  const V t0 = _mm256_unpacklo_ps(r0, r1), t1 = _mm256_unpacklo_ps(r2, r3);
  const V t2 = _mm256_unpackhi_ps(r0, r1), t3 = _mm256_unpackhi_ps(r2, r3);
  r0 = _mm256_shuffle_ps(t0, t1, _MM_SHUFFLE(1, 0, 1, 0));
  r1 = _mm256_shuffle_ps(t0, t1, _MM_SHUFFLE(3, 2, 3, 2));
  r2 = _mm256_shuffle_ps(t2, t3, _MM_SHUFFLE(1, 0, 1, 0));
  r3 = _mm256_shuffle_ps(t2, t3, _MM_SHUFFLE(3, 2, 3, 2));
}
template <std::size_t Stride>
inline V gather(const float* p) noexcept {
  constexpr int s = static_cast<int>(Stride);
  return _mm256_i32gather_ps(p, _mm256_setr_epi32(0, s, 2 * s, 3 * s, 4 * s, 5 * s, 6 * s, 7 * s), 4);
}

#include "batch/quaternion_lanes.inc"

}  // namespace avx2

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

// ---- AVX-512 F -----------------------------------------------------------------

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx512f"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx512f")
#endif

namespace avx512 {

using V = __m512;
constexpr std::size_t kWidth = 16;

inline V add(V a, V b) noexcept { return _mm512_add_ps(a, b); }
inline V sub(V a, V b) noexcept { return _mm512_sub_ps(a, b); }
inline V mul(V a, V b) noexcept { return _mm512_mul_ps(a, b); }
inline V div(V a, V b) noexcept { return _mm512_div_ps(a, b); }
inline V sqrt(V a) noexcept { return _mm512_sqrt_ps(a); }
inline V set1(float f) noexcept { return _mm512_set1_ps(f); }
inline V loadu(const float* p) noexcept { return _mm512_loadu_ps(p); }
inline void storeu(float* p, V v) noexcept { _mm512_storeu_ps(p, v); }
inline V select_positive(V mag, V a, V b) noexcept {
  return _mm512_mask_blend_ps(_mm512_cmp_ps_mask(mag, _mm512_setzero_ps(), _CMP_GT_OQ), b, a);
}
inline V canonical_nan(V v) noexcept {
  const __m512i bits = _mm512_castps_si512(v);
  const __mmask16 created = _mm512_cmpeq_epi32_mask(bits, _mm512_set1_epi32(static_cast<int>(0xFFC00000u)));
  return _mm512_castsi512_ps(
      _mm512_mask_xor_epi32(bits, created, bits, _mm512_set1_epi32(static_cast<int>(0x80000000u))));
}
// A 4 x 4 transpose in each 128-bit quarter.
inline void transpose4(V& r0, V& r1, V& r2, V& r3) noexcept {
  const V t0 = _mm512_unpacklo_ps(r0, r1), t1 = _mm512_unpacklo_ps(r2, r3);
  const V t2 = _mm512_unpackhi_ps(r0, r1), t3 = _mm512_unpackhi_ps(r2, r3);
  r0 = _mm512_shuffle_ps(t0, t1, _MM_SHUFFLE(1, 0, 1, 0));
  r1 = _mm512_shuffle_ps(t0, t1, _MM_SHUFFLE(3, 2, 3, 2));
  r2 = _mm512_shuffle_ps(t2, t3, _MM_SHUFFLE(1, 0, 1, 0));
  r3 = _mm512_shuffle_ps(t2, t3, _MM_SHUFFLE(3, 2, 3, 2));
}
template <std::size_t Stride>
inline V gather(const float* p) noexcept {
  const __m512i index = _mm512_mullo_epi32(
      _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15),
      _mm512_set1_epi32(static_cast<int>(Stride)));
  return _mm512_i32gather_ps(index, p, 4);
}

#include "batch/quaternion_lanes.inc"

}  // namespace avx512

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

}  // namespace

QuaternionKernels quaternion_kernels_sse2() noexcept {
  return {sse2::multiply_block, sse2::rotate_vector_block, sse2::normalize_block};
}

QuaternionKernels quaternion_kernels_avx2() noexcept {
  return {avx2::multiply_block, avx2::rotate_vector_block, avx2::normalize_block};
}

QuaternionKernels quaternion_kernels_avx512() noexcept {
  return {avx512::multiply_block, avx512::rotate_vector_block, avx512::normalize_block};
}

}  // namespace corvane::detail

#endif  // CORVANE_X86_64_KERNELS
