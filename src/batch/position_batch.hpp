// Internal: the batch position kernels for each vector path. The public
// overloads check sizes and call these with the best path; tests call them
// with every path the CPU supports and compare with the scalar operations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "batch/simd_path.hpp"
#include "corvane/position.hpp"

namespace corvane::detail {

void to_world_coords_batch(SimdPath path, std::span<const WorldPosition> in,
                           std::span<WorldCoordinates> out) noexcept;

#if CORVANE_X86_64_KERNELS
// Latitude and longitude of each position as if outdoors (position_x86.cpp),
// whole vectors only; returns how many it did.
std::size_t map_degrees_sse2(const WorldPosition* in, float* lat, float* lon,
                             std::size_t n) noexcept;
std::size_t map_degrees_avx2(const WorldPosition* in, float* lat, float* lon,
                             std::size_t n) noexcept;
std::size_t map_degrees_avx512(const WorldPosition* in, float* lat, float* lon,
                               std::size_t n) noexcept;
#endif

}  // namespace corvane::detail
