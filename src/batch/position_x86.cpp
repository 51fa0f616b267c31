// The x86-64 kernels of the batch map coordinates. Each lane computes, as the
// single-value to_world_coords does, (landblock * 192 + offset) / 240 - 102:
// the landblock byte converted exactly to float, then one rounding per
// operation in that order, without contraction.
#include "batch/position_batch.hpp"

#if CORVANE_X86_64_KERNELS

// See fingerprint_x86.cpp: GCC 12's AVX-512 intrinsics trip this warning.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <immintrin.h>

#include <cstddef>

namespace corvane::detail {

// The first 16 bytes of a WorldPosition are its id and offset: (id, x, y, z).
static_assert(offsetof(WorldPosition, landblock_id) == 0 && offsetof(WorldPosition, coords) == 4 &&
              sizeof(Guid) == 4 && sizeof(WorldPosition) == 32);

std::size_t map_degrees_sse2(const WorldPosition* in, float* lat, float* lon,
                             std::size_t n) noexcept {
  const __m128 landblock_length = _mm_set1_ps(LANDBLOCK_LENGTH);
  const __m128 metres_per_degree = _mm_set1_ps(METRES_PER_MAP_DEGREE);
  const __m128 origin = _mm_set1_ps(MAP_ORIGIN_DEGREES);
  const __m128i byte = _mm_set1_epi32(0xFF);
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    // Rows (id, x, y, z) of four positions turned into columns.
    __m128 id = _mm_loadu_ps(reinterpret_cast<const float*>(in + i));
    __m128 x = _mm_loadu_ps(reinterpret_cast<const float*>(in + i + 1));
    __m128 y = _mm_loadu_ps(reinterpret_cast<const float*>(in + i + 2));
    __m128 z = _mm_loadu_ps(reinterpret_cast<const float*>(in + i + 3));
    _MM_TRANSPOSE4_PS(id, x, y, z);
    const __m128i ids = _mm_castps_si128(id);
    const __m128 landblock_x = _mm_cvtepi32_ps(_mm_srli_epi32(ids, 24));
    const __m128 landblock_y = _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(ids, 16), byte));
    const __m128 world_x = _mm_add_ps(_mm_mul_ps(landblock_x, landblock_length), x);
    const __m128 world_y = _mm_add_ps(_mm_mul_ps(landblock_y, landblock_length), y);
    _mm_storeu_ps(lon + i, _mm_sub_ps(_mm_div_ps(world_x, metres_per_degree), origin));
    _mm_storeu_ps(lat + i, _mm_sub_ps(_mm_div_ps(world_y, metres_per_degree), origin));
  }
  return i;
}

namespace {

// (id, x, y, z) of positions p and p + 4 in the two halves of one register.
__attribute__((target("avx2"))) __m256 load_pair(const WorldPosition* p) noexcept {
  return _mm256_insertf128_ps(
      _mm256_castps128_ps256(_mm_loadu_ps(reinterpret_cast<const float*>(p))),
      _mm_loadu_ps(reinterpret_cast<const float*>(p + 4)), 1);
}

}  // namespace

__attribute__((target("avx2"))) std::size_t map_degrees_avx2(const WorldPosition* in, float* lat,
                                                             float* lon, std::size_t n) noexcept {
  const __m256 landblock_length = _mm256_set1_ps(LANDBLOCK_LENGTH);
  const __m256 metres_per_degree = _mm256_set1_ps(METRES_PER_MAP_DEGREE);
  const __m256 origin = _mm256_set1_ps(MAP_ORIGIN_DEGREES);
  const __m256i byte = _mm256_set1_epi32(0xFF);
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    // Lane j of the low half is position i + j, of the high half i + 4 + j.
    const __m256 r0 = load_pair(in + i), r1 = load_pair(in + i + 1);
    const __m256 r2 = load_pair(in + i + 2), r3 = load_pair(in + i + 3);
    const __m256 t0 = _mm256_unpacklo_ps(r0, r1), t1 = _mm256_unpacklo_ps(r2, r3);
    const __m256 t2 = _mm256_unpackhi_ps(r0, r1), t3 = _mm256_unpackhi_ps(r2, r3);
    const __m256i ids = _mm256_castps_si256(_mm256_shuffle_ps(t0, t1, _MM_SHUFFLE(1, 0, 1, 0)));
    const __m256 x = _mm256_shuffle_ps(t0, t1, _MM_SHUFFLE(3, 2, 3, 2));
    const __m256 y = _mm256_shuffle_ps(t2, t3, _MM_SHUFFLE(1, 0, 1, 0));
    const __m256 landblock_x = _mm256_cvtepi32_ps(_mm256_srli_epi32(ids, 24));
    const __m256 landblock_y = _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srli_epi32(ids, 16), byte));
    const __m256 world_x = _mm256_add_ps(_mm256_mul_ps(landblock_x, landblock_length), x);
    const __m256 world_y = _mm256_add_ps(_mm256_mul_ps(landblock_y, landblock_length), y);
    _mm256_storeu_ps(lon + i, _mm256_sub_ps(_mm256_div_ps(world_x, metres_per_degree), origin));
    _mm256_storeu_ps(lat + i, _mm256_sub_ps(_mm256_div_ps(world_y, metres_per_degree), origin));
  }
  return i;
}

namespace {

// (id, x, y, z) of positions p, p + 4, p + 8 and p + 12 in the four quarters.
__attribute__((target("avx512f"))) __m512 load_quad(const WorldPosition* p) noexcept {
  const auto row = [p](int k) { return _mm_loadu_ps(reinterpret_cast<const float*>(p + 4 * k)); };
  __m512 r = _mm512_castps128_ps512(row(0));
  r = _mm512_insertf32x4(r, row(1), 1);
  r = _mm512_insertf32x4(r, row(2), 2);
  return _mm512_insertf32x4(r, row(3), 3);
}

}  // namespace

__attribute__((target("avx512f"))) std::size_t map_degrees_avx512(const WorldPosition* in,
                                                                  float* lat, float* lon,
                                                                  std::size_t n) noexcept {
  const __m512 landblock_length = _mm512_set1_ps(LANDBLOCK_LENGTH);
  const __m512 metres_per_degree = _mm512_set1_ps(METRES_PER_MAP_DEGREE);
  const __m512 origin = _mm512_set1_ps(MAP_ORIGIN_DEGREES);
  const __m512i byte = _mm512_set1_epi32(0xFF);
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    // Lane j of quarter k is position i + 4k + j.
    const __m512 r0 = load_quad(in + i), r1 = load_quad(in + i + 1);
    const __m512 r2 = load_quad(in + i + 2), r3 = load_quad(in + i + 3);
    const __m512 t0 = _mm512_unpacklo_ps(r0, r1), t1 = _mm512_unpacklo_ps(r2, r3);
    const __m512 t2 = _mm512_unpackhi_ps(r0, r1), t3 = _mm512_unpackhi_ps(r2, r3);
    const __m512i ids = _mm512_castps_si512(_mm512_shuffle_ps(t0, t1, _MM_SHUFFLE(1, 0, 1, 0)));
    const __m512 x = _mm512_shuffle_ps(t0, t1, _MM_SHUFFLE(3, 2, 3, 2));
    const __m512 y = _mm512_shuffle_ps(t2, t3, _MM_SHUFFLE(1, 0, 1, 0));
    const __m512 landblock_x = _mm512_cvtepi32_ps(_mm512_srli_epi32(ids, 24));
    const __m512 landblock_y = _mm512_cvtepi32_ps(_mm512_and_si512(_mm512_srli_epi32(ids, 16), byte));
    const __m512 world_x = _mm512_add_ps(_mm512_mul_ps(landblock_x, landblock_length), x);
    const __m512 world_y = _mm512_add_ps(_mm512_mul_ps(landblock_y, landblock_length), y);
    _mm512_storeu_ps(lon + i, _mm512_sub_ps(_mm512_div_ps(world_x, metres_per_degree), origin));
    _mm512_storeu_ps(lat + i, _mm512_sub_ps(_mm512_div_ps(world_y, metres_per_degree), origin));
  }
  return i;
}

}  // namespace corvane::detail

#endif  // CORVANE_X86_64_KERNELS
