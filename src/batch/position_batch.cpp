// The batch position operations: size checks, the choice of vector path for
// the map coordinates, and plain loops over the single-value operations for
// the rest (their cost is their own branching, not the call).
#include "batch/position_batch.hpp"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace corvane {
namespace detail {
namespace {

// The scalar form of the map-degree kernels, for the portable path and the
// elements after the last whole vector: the arithmetic of to_world_coords.
void map_degrees_portable(const WorldPosition* in, float* lat, float* lon, std::size_t n) noexcept {
  for (std::size_t i = 0; i < n; ++i) {
    const auto [landblock_x, landblock_y] = in[i].landblock_coords();
    lon[i] = (static_cast<float>(landblock_x) * LANDBLOCK_LENGTH + in[i].coords.x) /
                 METRES_PER_MAP_DEGREE -
             MAP_ORIGIN_DEGREES;
    lat[i] = (static_cast<float>(landblock_y) * LANDBLOCK_LENGTH + in[i].coords.y) /
                 METRES_PER_MAP_DEGREE -
             MAP_ORIGIN_DEGREES;
  }
}

std::size_t map_degrees_vector(SimdPath path, const WorldPosition* in, float* lat, float* lon,
                               std::size_t n) noexcept {
#if CORVANE_X86_64_KERNELS
  switch (path) {
    case SimdPath::Avx512:
      return map_degrees_avx512(in, lat, lon, n);
    case SimdPath::Avx2:
      return map_degrees_avx2(in, lat, lon, n);
    case SimdPath::Sse2:
      return map_degrees_sse2(in, lat, lon, n);
    case SimdPath::Portable:
      break;
  }
#else
  (void)path, (void)in, (void)lat, (void)lon, (void)n;
#endif
  return 0;
}

template <class Result, class Op>
void pairwise(std::span<const WorldPosition> from, std::span<const WorldPosition> to,
              std::span<Result> out, const char* what, Op op) {
  if (from.size() != to.size() || from.size() != out.size()) throw std::invalid_argument(what);
  for (std::size_t i = 0; i < from.size(); ++i) out[i] = op(from[i], to[i]);
}

template <class Op>
void each(std::span<const WorldPosition> in, std::span<WorldPosition> out, const char* what,
          Op op) {
  if (in.size() != out.size()) throw std::invalid_argument(what);
  for (std::size_t i = 0; i < in.size(); ++i) out[i] = op(in[i]);
}

}  // namespace

// Positions are taken a block at a time: the degrees computed for all of them
// on whole vectors (indoor ones too, then dropped), then each result written
// as the alternative it is.
void to_world_coords_batch(SimdPath path, std::span<const WorldPosition> in,
                           std::span<WorldCoordinates> out) noexcept {
  constexpr std::size_t kBlock = 64;
  std::array<float, kBlock> lat, lon;
  for (std::size_t base = 0; base < in.size(); base += kBlock) {
    const std::size_t n = std::min(kBlock, in.size() - base);
    const WorldPosition* block = in.data() + base;
    const std::size_t done = map_degrees_vector(path, block, lat.data(), lon.data(), n);
    map_degrees_portable(block + done, lat.data() + done, lon.data() + done, n - done);
    for (std::size_t i = 0; i < n; ++i) {
      if (block[i].is_indoors()) {
        const auto cell = static_cast<std::uint16_t>(block[i].landblock_id & 0xFFFFu);
        out[base + i] = {WorldCoordinates::Indoor{cell}};
      } else {
        out[base + i] = {WorldCoordinates::Outdoor{lat[i], lon[i], block[i].coords.z}};
      }
    }
  }
}

}  // namespace detail

void to_world_coords(std::span<const WorldPosition> in, std::span<WorldCoordinates> out) {
  if (in.size() != out.size()) {
    throw std::invalid_argument("corvane::to_world_coords: input and output sizes differ");
  }
  detail::to_world_coords_batch(detail::best_simd_path(), in, out);
}

void normalize_outdoor_cell(std::span<const WorldPosition> in, std::span<WorldPosition> out) {
  detail::each(in, out, "corvane::normalize_outdoor_cell: input and output sizes differ",
               [](const WorldPosition& p) { return p.normalize_outdoor_cell(); });
}

void rebucket_outdoor_landblock(std::span<const WorldPosition> in, std::span<WorldPosition> out) {
  detail::each(in, out, "corvane::rebucket_outdoor_landblock: input and output sizes differ",
               [](const WorldPosition& p) { return p.rebucket_outdoor_landblock(); });
}

void distance_to(std::span<const WorldPosition> from, std::span<const WorldPosition> to,
                 std::span<float> out) {
  detail::pairwise(from, to, out, "corvane::distance_to: the three spans differ in size",
                   [](const WorldPosition& a, const WorldPosition& b) { return a.distance_to(b); });
}

void heading_to(std::span<const WorldPosition> from, std::span<const WorldPosition> to,
                std::span<float> out) {
  detail::pairwise(from, to, out, "corvane::heading_to: the three spans differ in size",
                   [](const WorldPosition& a, const WorldPosition& b) { return a.heading_to(b); });
}

}  // namespace corvane
