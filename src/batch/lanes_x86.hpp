// Internal: the x86-64 vector adapters that the batch kernels are written
// over, one namespace per instruction set: a float vector `V` of kWidth lanes,
// an integer vector `I`, and the operations the kernels use (add, sub, mul,
// div, sqrt, set1, loadu, storeu, select_positive, canonical_nan, transpose4,
// gather, load_ids, landblock_x/y, load_position_rows, and integer, mask and
// double-lane operations, and the 64-bit lanes of the fixed words). A kernel file
// includes its lanes .inc once per namespace, inside that set's target region
// (CORVANE_TARGET_BEGIN/END), so the rest of the library keeps the baseline
// instruction set. Portable code uses the same kernels over scalar_lanes.hpp.
// The .inc files: position_lanes.inc, fingerprint_lanes.inc, quaternion_lanes.inc,
// fixed_words_lanes.inc (SSE2 and AVX2 only: AVX-512 processors run AVX2's).
#pragma once

#include "batch/simd_path.hpp"

#if CORVANE_X86_64_KERNELS

// GCC 12's AVX-512 intrinsics start from a deliberately undefined register
// (`__m512i __Y = __Y;`), which -Wmaybe-uninitialized reports wherever they
// are inlined (so in the including kernel file too); the value is never read.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "corvane/position.hpp"
#include "nan_bits.hpp"

#if defined(__clang__)
#define CORVANE_PRAGMA(x) _Pragma(#x)
#define CORVANE_TARGET_BEGIN(isa) \
  CORVANE_PRAGMA(clang attribute push(__attribute__((target(isa))), apply_to = function))
#define CORVANE_TARGET_END() CORVANE_PRAGMA(clang attribute pop)
#else
#define CORVANE_PRAGMA(x) _Pragma(#x)
#define CORVANE_TARGET_BEGIN(isa) CORVANE_PRAGMA(GCC push_options) CORVANE_PRAGMA(GCC target(isa))
#define CORVANE_TARGET_END() CORVANE_PRAGMA(GCC pop_options)
#endif

namespace corvane::detail::lanes {

// x86's created NaN, and the bit that turns it into the canonical one.
inline constexpr int kCreatedNan = static_cast<int>(kX86CreatedNanBits);
inline constexpr int kCreatedToCanonical = static_cast<int>(kX86CreatedNanBits ^ kCanonicalNanBits);

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
  const __m128i created = _mm_cmpeq_epi32(bits, _mm_set1_epi32(kCreatedNan));
  return _mm_castsi128_ps(
      _mm_xor_si128(bits, _mm_and_si128(created, _mm_set1_epi32(kCreatedToCanonical))));
}
template <std::size_t Stride>
inline V gather(const float* p) noexcept {
  return _mm_setr_ps(p[0], p[Stride], p[2 * Stride], p[3 * Stride]);
}

using I = __m128i;
inline I load_ids(const std::uint32_t* p) noexcept {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
// Landblock x (bits 31..24) and y (23..16) of each id, converted exactly.
inline V landblock_x(I id) noexcept { return _mm_cvtepi32_ps(_mm_srli_epi32(id, 24)); }
inline V landblock_y(I id) noexcept {
  return _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(id, 16), _mm_set1_epi32(0xFF)));
}
// The id and offset (the first 16 bytes) of kWidth positions, as columns.
inline void load_position_rows(const WorldPosition* p, I& id, V& x, V& y) noexcept {
  const auto row = [p](int k) { return _mm_loadu_ps(reinterpret_cast<const float*>(p + k)); };
  V ids = row(0), xs = row(1), ys = row(2), zs = row(3);
  transpose4(ids, xs, ys, zs);
  id = _mm_castps_si128(ids);
  x = xs;
  y = ys;
}

// Integer lanes, their masks (all ones where true), and doubles of half the lanes.
using M = __m128i;
using D = __m128d;
inline I load_bits(const float* p) noexcept {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void store_bits(std::uint32_t* p, I v) noexcept {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}
inline I set1_i(std::uint32_t v) noexcept { return _mm_set1_epi32(static_cast<int>(v)); }
inline I and_i(I a, I b) noexcept { return _mm_and_si128(a, b); }
inline I or_i(I a, I b) noexcept { return _mm_or_si128(a, b); }
inline M eq_i(I a, I b) noexcept { return _mm_cmpeq_epi32(a, b); }
inline M gt_i(I a, I b) noexcept { return _mm_cmpgt_epi32(a, b); }  // signed
inline I select_i(M m, I a, I b) noexcept {
  return _mm_or_si128(_mm_and_si128(m, a), _mm_andnot_si128(m, b));
}
inline V as_float(I v) noexcept { return _mm_castsi128_ps(v); }
inline I as_bits(V v) noexcept { return _mm_castps_si128(v); }
inline D set1_d(double v) noexcept { return _mm_set1_pd(v); }
inline D add_d(D a, D b) noexcept { return _mm_add_pd(a, b); }
inline D sub_d(D a, D b) noexcept { return _mm_sub_pd(a, b); }
inline D mul_d(D a, D b) noexcept { return _mm_mul_pd(a, b); }
inline D widen_low(V v) noexcept { return _mm_cvtps_pd(v); }
inline D widen_high(V v) noexcept { return _mm_cvtps_pd(_mm_movehl_ps(v, v)); }
inline V narrow(D low, D high) noexcept {
  return _mm_movelh_ps(_mm_cvtpd_ps(low), _mm_cvtpd_ps(high));
}

// Fixed words (fixed_words_lanes.inc): kWordLanes floats' bits in the low
// 32-bit lanes of `F`, their doubles in `D`, and 64-bit integer lanes `W`.
constexpr std::size_t kWordLanes = 2;
using F = __m128i;
using W = __m128i;
inline F load_word_floats(const float* p) noexcept {
  return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}
inline F set1_f(std::uint32_t v) noexcept { return _mm_set1_epi32(static_cast<int>(v)); }
inline F and_f(F a, F b) noexcept { return _mm_and_si128(a, b); }
inline F less_f(F a, F b) noexcept { return _mm_cmplt_epi32(a, b); }  // signed
inline D doubles_of(F bits) noexcept { return _mm_cvtps_pd(_mm_castsi128_ps(bits)); }
inline D min_d(D a, D b) noexcept { return _mm_min_pd(a, b); }
// To the nearest integer, ties to even, for 0 <= x < 2^52: the sum with 2^52
// keeps no bits below the units (in the default rounding mode).
inline D round_even_d(D x) noexcept {
  const D two_52 = _mm_set1_pd(4503599627370496.0);
  return _mm_sub_pd(_mm_add_pd(x, two_52), two_52);
}
inline W less_d(D a, D b) noexcept { return _mm_castpd_si128(_mm_cmplt_pd(a, b)); }
// Integers below 2^31 held in doubles, into 64-bit lanes.
inline W words_of(D integers) noexcept {
  return _mm_unpacklo_epi32(_mm_cvtpd_epi32(integers), _mm_setzero_si128());
}
inline W widen_mask(F mask) noexcept { return _mm_unpacklo_epi32(mask, mask); }
inline void store_words(std::uint64_t* p, W v) noexcept {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}
inline W set1_w(std::uint64_t v) noexcept { return _mm_set1_epi64x(static_cast<long long>(v)); }
inline W set1_w16(std::uint16_t v) noexcept { return _mm_set1_epi16(static_cast<short>(v)); }
inline W set1_w8(char v) noexcept { return _mm_set1_epi8(v); }
inline W and_w(W a, W b) noexcept { return _mm_and_si128(a, b); }
inline W andnot_w(W a, W b) noexcept { return _mm_andnot_si128(a, b); }
inline W or_w(W a, W b) noexcept { return _mm_or_si128(a, b); }
inline W sub_w64(W a, W b) noexcept { return _mm_sub_epi64(a, b); }
inline W sub_w16(W a, W b) noexcept { return _mm_sub_epi16(a, b); }
inline W add_w8(W a, W b) noexcept { return _mm_add_epi8(a, b); }
inline W mul_w32(W a, W b) noexcept { return _mm_mul_epu32(a, b); }  // low halves, full products
inline W mulhi_w16(W a, W b) noexcept { return _mm_mulhi_epu16(a, b); }
inline W mullo_w16(W a, W b) noexcept { return _mm_mullo_epi16(a, b); }
template <int N> inline W shr_w64(W a) noexcept { return _mm_srli_epi64(a, N); }
template <int N> inline W shl_w64(W a) noexcept { return _mm_slli_epi64(a, N); }
template <int N> inline W shl_w32(W a) noexcept { return _mm_slli_epi32(a, N); }
template <int N> inline W shr_w16(W a) noexcept { return _mm_srli_epi16(a, N); }
template <int N> inline W shl_w16(W a) noexcept { return _mm_slli_epi16(a, N); }

}  // namespace sse2

// ---- AVX2 --------------------------------------------------------------------

CORVANE_TARGET_BEGIN("avx2")

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
  const __m256i created = _mm256_cmpeq_epi32(bits, _mm256_set1_epi32(kCreatedNan));
  return _mm256_castsi256_ps(_mm256_xor_si256(
      bits, _mm256_and_si256(created, _mm256_set1_epi32(kCreatedToCanonical))));
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

using I = __m256i;
inline I load_ids(const std::uint32_t* p) noexcept {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
inline V landblock_x(I id) noexcept { return _mm256_cvtepi32_ps(_mm256_srli_epi32(id, 24)); }
inline V landblock_y(I id) noexcept {
  return _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srli_epi32(id, 16), _mm256_set1_epi32(0xFF)));
}
// Positions p + k and p + 4 + k in the two halves, transposed in each half:
// lane j is then position j.
inline void load_position_rows(const WorldPosition* p, I& id, V& x, V& y) noexcept {
  const auto rows = [p](int k) {
    return _mm256_insertf128_ps(
        _mm256_castps128_ps256(_mm_loadu_ps(reinterpret_cast<const float*>(p + k))),
        _mm_loadu_ps(reinterpret_cast<const float*>(p + k + 4)), 1);
  };
  V ids = rows(0), xs = rows(1), ys = rows(2), zs = rows(3);
  transpose4(ids, xs, ys, zs);
  id = _mm256_castps_si256(ids);
  x = xs;
  y = ys;
}

using M = __m256i;
using D = __m256d;
inline I load_bits(const float* p) noexcept {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
inline void store_bits(std::uint32_t* p, I v) noexcept {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}
inline I set1_i(std::uint32_t v) noexcept { return _mm256_set1_epi32(static_cast<int>(v)); }
inline I and_i(I a, I b) noexcept { return _mm256_and_si256(a, b); }
inline I or_i(I a, I b) noexcept { return _mm256_or_si256(a, b); }
inline M eq_i(I a, I b) noexcept { return _mm256_cmpeq_epi32(a, b); }
inline M gt_i(I a, I b) noexcept { return _mm256_cmpgt_epi32(a, b); }  // signed
inline I select_i(M m, I a, I b) noexcept { return _mm256_blendv_epi8(b, a, m); }
inline V as_float(I v) noexcept { return _mm256_castsi256_ps(v); }
inline I as_bits(V v) noexcept { return _mm256_castps_si256(v); }
inline D set1_d(double v) noexcept { return _mm256_set1_pd(v); }
inline D add_d(D a, D b) noexcept { return _mm256_add_pd(a, b); }
inline D sub_d(D a, D b) noexcept { return _mm256_sub_pd(a, b); }
inline D mul_d(D a, D b) noexcept { return _mm256_mul_pd(a, b); }
inline D widen_low(V v) noexcept { return _mm256_cvtps_pd(_mm256_castps256_ps128(v)); }
inline D widen_high(V v) noexcept { return _mm256_cvtps_pd(_mm256_extractf128_ps(v, 1)); }
inline V narrow(D low, D high) noexcept {
  return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm256_cvtpd_ps(low)), _mm256_cvtpd_ps(high), 1);
}

// Fixed words (fixed_words_lanes.inc), as for SSE2 with four lanes.
constexpr std::size_t kWordLanes = 4;
using F = __m128i;
using W = __m256i;
inline F load_word_floats(const float* p) noexcept {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline F set1_f(std::uint32_t v) noexcept { return _mm_set1_epi32(static_cast<int>(v)); }
inline F and_f(F a, F b) noexcept { return _mm_and_si128(a, b); }
inline F less_f(F a, F b) noexcept { return _mm_cmplt_epi32(a, b); }  // signed
inline D doubles_of(F bits) noexcept { return _mm256_cvtps_pd(_mm_castsi128_ps(bits)); }
inline D min_d(D a, D b) noexcept { return _mm256_min_pd(a, b); }
inline D round_even_d(D x) noexcept {
  return _mm256_round_pd(x, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
}
inline W less_d(D a, D b) noexcept {
  return _mm256_castpd_si256(_mm256_cmp_pd(a, b, _CMP_LT_OQ));
}
inline W words_of(D integers) noexcept { return _mm256_cvtepu32_epi64(_mm256_cvtpd_epi32(integers)); }
inline W widen_mask(F mask) noexcept { return _mm256_cvtepi32_epi64(mask); }
inline void store_words(std::uint64_t* p, W v) noexcept {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}
inline W set1_w(std::uint64_t v) noexcept { return _mm256_set1_epi64x(static_cast<long long>(v)); }
inline W set1_w16(std::uint16_t v) noexcept { return _mm256_set1_epi16(static_cast<short>(v)); }
inline W set1_w8(char v) noexcept { return _mm256_set1_epi8(v); }
inline W and_w(W a, W b) noexcept { return _mm256_and_si256(a, b); }
inline W andnot_w(W a, W b) noexcept { return _mm256_andnot_si256(a, b); }
inline W or_w(W a, W b) noexcept { return _mm256_or_si256(a, b); }
inline W sub_w64(W a, W b) noexcept { return _mm256_sub_epi64(a, b); }
inline W sub_w16(W a, W b) noexcept { return _mm256_sub_epi16(a, b); }
inline W add_w8(W a, W b) noexcept { return _mm256_add_epi8(a, b); }
inline W mul_w32(W a, W b) noexcept { return _mm256_mul_epu32(a, b); }
inline W mulhi_w16(W a, W b) noexcept { return _mm256_mulhi_epu16(a, b); }
inline W mullo_w16(W a, W b) noexcept { return _mm256_mullo_epi16(a, b); }
template <int N> inline W shr_w64(W a) noexcept { return _mm256_srli_epi64(a, N); }
template <int N> inline W shl_w64(W a) noexcept { return _mm256_slli_epi64(a, N); }
template <int N> inline W shl_w32(W a) noexcept { return _mm256_slli_epi32(a, N); }
template <int N> inline W shr_w16(W a) noexcept { return _mm256_srli_epi16(a, N); }
template <int N> inline W shl_w16(W a) noexcept { return _mm256_slli_epi16(a, N); }

}  // namespace avx2

CORVANE_TARGET_END()

// ---- AVX-512 F -----------------------------------------------------------------

CORVANE_TARGET_BEGIN("avx512f")

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
  const __mmask16 created = _mm512_cmpeq_epi32_mask(bits, _mm512_set1_epi32(kCreatedNan));
  return _mm512_castsi512_ps(
      _mm512_mask_xor_epi32(bits, created, bits, _mm512_set1_epi32(kCreatedToCanonical)));
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

using I = __m512i;
inline I load_ids(const std::uint32_t* p) noexcept { return _mm512_loadu_si512(p); }
inline V landblock_x(I id) noexcept { return _mm512_cvtepi32_ps(_mm512_srli_epi32(id, 24)); }
inline V landblock_y(I id) noexcept {
  return _mm512_cvtepi32_ps(_mm512_and_si512(_mm512_srli_epi32(id, 16), _mm512_set1_epi32(0xFF)));
}
// Positions p + k, p + 4 + k, p + 8 + k and p + 12 + k in the four quarters,
// transposed in each quarter: lane j is then position j.
inline void load_position_rows(const WorldPosition* p, I& id, V& x, V& y) noexcept {
  const auto rows = [p](int k) {
    const auto row = [p, k](int q) {
      return _mm_loadu_ps(reinterpret_cast<const float*>(p + k + 4 * q));
    };
    V r = _mm512_castps128_ps512(row(0));
    r = _mm512_insertf32x4(r, row(1), 1);
    r = _mm512_insertf32x4(r, row(2), 2);
    return _mm512_insertf32x4(r, row(3), 3);
  };
  V ids = rows(0), xs = rows(1), ys = rows(2), zs = rows(3);
  transpose4(ids, xs, ys, zs);
  id = _mm512_castps_si512(ids);
  x = xs;
  y = ys;
}

using M = __mmask16;
using D = __m512d;
inline I load_bits(const float* p) noexcept { return _mm512_loadu_si512(p); }
inline void store_bits(std::uint32_t* p, I v) noexcept { _mm512_storeu_si512(p, v); }
inline I set1_i(std::uint32_t v) noexcept { return _mm512_set1_epi32(static_cast<int>(v)); }
inline I and_i(I a, I b) noexcept { return _mm512_and_si512(a, b); }
inline I or_i(I a, I b) noexcept { return _mm512_or_si512(a, b); }
inline M eq_i(I a, I b) noexcept { return _mm512_cmpeq_epi32_mask(a, b); }
inline M gt_i(I a, I b) noexcept { return _mm512_cmpgt_epi32_mask(a, b); }  // signed
inline I select_i(M m, I a, I b) noexcept { return _mm512_mask_blend_epi32(m, b, a); }
inline V as_float(I v) noexcept { return _mm512_castsi512_ps(v); }
inline I as_bits(V v) noexcept { return _mm512_castps_si512(v); }
inline D set1_d(double v) noexcept { return _mm512_set1_pd(v); }
inline D add_d(D a, D b) noexcept { return _mm512_add_pd(a, b); }
inline D sub_d(D a, D b) noexcept { return _mm512_sub_pd(a, b); }
inline D mul_d(D a, D b) noexcept { return _mm512_mul_pd(a, b); }
inline D widen_low(V v) noexcept { return _mm512_cvtps_pd(_mm512_castps512_ps256(v)); }
inline D widen_high(V v) noexcept {
  return _mm512_cvtps_pd(_mm256_castsi256_ps(_mm512_extracti64x4_epi64(_mm512_castps_si512(v), 1)));
}
inline V narrow(D low, D high) noexcept {
  return _mm512_castsi512_ps(_mm512_inserti64x4(
      _mm512_castsi256_si512(_mm256_castps_si256(_mm512_cvtpd_ps(low))),
      _mm256_castps_si256(_mm512_cvtpd_ps(high)), 1));
}

}  // namespace avx512

CORVANE_TARGET_END()

}  // namespace corvane::detail::lanes

#endif  // CORVANE_X86_64_KERNELS
