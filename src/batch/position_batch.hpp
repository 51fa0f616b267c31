// Internal: the batch position kernels for each vector path. The public
// overloads check sizes and call these with the best path; tests call them
// with every path the CPU supports and compare with the scalar operations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "batch/simd_path.hpp"
#include "corvane/position.hpp"

namespace corvane::detail {

void to_world_coords_batch(SimdPath path, std::span<const WorldPosition> in,
                           std::span<WorldCoordinates> out) noexcept;
void to_world_coords_batch(SimdPath path, std::span<const std::uint32_t> ids,
                           std::span<const float> xyz, const MapCoordinateColumns& out) noexcept;

/// Latitude and longitude of positions as if outdoors, from rows or from
/// columns; the kernels of one path (position_lanes.inc over its adapter)
/// handle whole vectors and return how many positions they did.
struct PositionKernels {
  std::size_t (*rows)(const WorldPosition*, float* lat, float* lon, std::size_t) noexcept;
  std::size_t (*columns)(const std::uint32_t* ids, const float* xyz, float* lat, float* lon,
                         std::size_t) noexcept;
};

/// The kernels of `path`; the portable ones run the same code one float at a time.
PositionKernels position_kernels(SimdPath path) noexcept;

#if CORVANE_X86_64_KERNELS
PositionKernels position_kernels_sse2() noexcept;
PositionKernels position_kernels_avx2() noexcept;
PositionKernels position_kernels_avx512() noexcept;
#endif

}  // namespace corvane::detail
