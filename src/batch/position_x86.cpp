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

namespace corvane::detail {

std::size_t map_degrees_sse2(const std::uint32_t* ids, const float* x, const float* y, float* lat,
                             float* lon, std::size_t n) noexcept {
  const __m128 landblock_length = _mm_set1_ps(LANDBLOCK_LENGTH);
  const __m128 metres_per_degree = _mm_set1_ps(METRES_PER_MAP_DEGREE);
  const __m128 origin = _mm_set1_ps(MAP_ORIGIN_DEGREES);
  const __m128i byte = _mm_set1_epi32(0xFF);
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i id = _mm_loadu_si128(reinterpret_cast<const __m128i*>(ids + i));
    const __m128 landblock_x = _mm_cvtepi32_ps(_mm_srli_epi32(id, 24));
    const __m128 landblock_y = _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(id, 16), byte));
    const __m128 world_x = _mm_add_ps(_mm_mul_ps(landblock_x, landblock_length), _mm_loadu_ps(x + i));
    const __m128 world_y = _mm_add_ps(_mm_mul_ps(landblock_y, landblock_length), _mm_loadu_ps(y + i));
    _mm_storeu_ps(lon + i, _mm_sub_ps(_mm_div_ps(world_x, metres_per_degree), origin));
    _mm_storeu_ps(lat + i, _mm_sub_ps(_mm_div_ps(world_y, metres_per_degree), origin));
  }
  return i;
}

__attribute__((target("avx2"))) std::size_t map_degrees_avx2(const std::uint32_t* ids,
                                                             const float* x, const float* y,
                                                             float* lat, float* lon,
                                                             std::size_t n) noexcept {
  const __m256 landblock_length = _mm256_set1_ps(LANDBLOCK_LENGTH);
  const __m256 metres_per_degree = _mm256_set1_ps(METRES_PER_MAP_DEGREE);
  const __m256 origin = _mm256_set1_ps(MAP_ORIGIN_DEGREES);
  const __m256i byte = _mm256_set1_epi32(0xFF);
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i id = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(ids + i));
    const __m256 landblock_x = _mm256_cvtepi32_ps(_mm256_srli_epi32(id, 24));
    const __m256 landblock_y = _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srli_epi32(id, 16), byte));
    const __m256 world_x =
        _mm256_add_ps(_mm256_mul_ps(landblock_x, landblock_length), _mm256_loadu_ps(x + i));
    const __m256 world_y =
        _mm256_add_ps(_mm256_mul_ps(landblock_y, landblock_length), _mm256_loadu_ps(y + i));
    _mm256_storeu_ps(lon + i, _mm256_sub_ps(_mm256_div_ps(world_x, metres_per_degree), origin));
    _mm256_storeu_ps(lat + i, _mm256_sub_ps(_mm256_div_ps(world_y, metres_per_degree), origin));
  }
  return i;
}

__attribute__((target("avx512f"))) std::size_t map_degrees_avx512(const std::uint32_t* ids,
                                                                  const float* x, const float* y,
                                                                  float* lat, float* lon,
                                                                  std::size_t n) noexcept {
  const __m512 landblock_length = _mm512_set1_ps(LANDBLOCK_LENGTH);
  const __m512 metres_per_degree = _mm512_set1_ps(METRES_PER_MAP_DEGREE);
  const __m512 origin = _mm512_set1_ps(MAP_ORIGIN_DEGREES);
  const __m512i byte = _mm512_set1_epi32(0xFF);
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m512i id = _mm512_loadu_si512(ids + i);
    const __m512 landblock_x = _mm512_cvtepi32_ps(_mm512_srli_epi32(id, 24));
    const __m512 landblock_y = _mm512_cvtepi32_ps(_mm512_and_si512(_mm512_srli_epi32(id, 16), byte));
    const __m512 world_x =
        _mm512_add_ps(_mm512_mul_ps(landblock_x, landblock_length), _mm512_loadu_ps(x + i));
    const __m512 world_y =
        _mm512_add_ps(_mm512_mul_ps(landblock_y, landblock_length), _mm512_loadu_ps(y + i));
    _mm512_storeu_ps(lon + i, _mm512_sub_ps(_mm512_div_ps(world_x, metres_per_degree), origin));
    _mm512_storeu_ps(lat + i, _mm512_sub_ps(_mm512_div_ps(world_y, metres_per_degree), origin));
  }
  return i;
}

}  // namespace corvane::detail

#endif  // CORVANE_X86_64_KERNELS
