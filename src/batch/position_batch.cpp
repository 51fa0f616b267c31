// The batch position operations: size checks, the choice of vector path for
// the map coordinates, and plain loops over the single-value operations for
// the rest (their cost is their own branching, not the call).
#include "batch/position_batch.hpp"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "batch/scalar_lanes.hpp"
#include "nan_bits.hpp"

namespace corvane {
namespace detail {
namespace {

constexpr std::uint32_t kCellMask = 0xFFFFu;
constexpr std::uint32_t kFirstIndoorCell = 0x100u;

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

// The column form of `each`: each position rebuilt from its columns, and its
// id and offset written back (in place allowed: element i is read before it
// is written).
template <class Op>
void each_column(std::span<const std::uint32_t> ids, std::span<const float> xyz,
                 std::span<std::uint32_t> ids_out, std::span<float> xyz_out, const char* what,
                 Op op) {
  if (xyz.size() / 3 != ids.size() || xyz.size() % 3 != 0 || ids_out.size() != ids.size() ||
      xyz_out.size() != xyz.size()) {
    throw std::invalid_argument(what);
  }
  for (std::size_t i = 0; i < ids.size(); ++i) {
    const WorldPosition p =
        op(WorldPosition{Guid{ids[i]}, Vector3{xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2]}, {}});
    ids_out[i] = p.landblock_id.raw;
    xyz_out[3 * i] = p.coords.x;
    xyz_out[3 * i + 1] = p.coords.y;
    xyz_out[3 * i + 2] = p.coords.z;
  }
}

}  // namespace

PositionKernels position_kernels(SimdPath path) noexcept {
#if CORVANE_X86_64_KERNELS
  switch (path) {
    case SimdPath::Avx512:
      return position_kernels_avx512();
    case SimdPath::Avx2:
      return position_kernels_avx2();
    case SimdPath::Sse2:
      return position_kernels_sse2();
    case SimdPath::Portable:
      break;
  }
#else
  (void)path;
#endif
  return {lanes::scalar::map_degrees_rows, lanes::scalar::map_degrees_columns};
}

// Positions are taken a block at a time: the degrees computed for all of them
// on whole vectors (indoor ones too, then dropped), then each result written
// as the alternative it is.
void to_world_coords_batch(SimdPath path, std::span<const WorldPosition> in,
                           std::span<WorldCoordinates> out) noexcept {
  const PositionKernels kernels = position_kernels(path);
  constexpr std::size_t kBlock = 64;
  std::array<float, kBlock> lat, lon;
  for (std::size_t base = 0; base < in.size(); base += kBlock) {
    const std::size_t n = std::min(kBlock, in.size() - base);
    const WorldPosition* block = in.data() + base;
    const std::size_t done = kernels.rows(block, lat.data(), lon.data(), n);
    lanes::scalar::map_degrees_rows(block + done, lat.data() + done, lon.data() + done, n - done);
    for (std::size_t i = 0; i < n; ++i) {
      if (block[i].is_indoors()) {
        const auto cell = static_cast<std::uint16_t>(block[i].landblock_id & kCellMask);
        out[base + i] = {WorldCoordinates::Indoor{cell}};
      } else {
        out[base + i] = {WorldCoordinates::Outdoor{lat[i], lon[i], block[i].coords.z}};
      }
    }
  }
}

// The degrees of every position straight into the output columns, then one
// pass that sets the indoor rows apart.
void to_world_coords_batch(SimdPath path, std::span<const std::uint32_t> ids,
                           std::span<const float> xyz, const MapCoordinateColumns& out) noexcept {
  const std::size_t n = ids.size();
  const std::size_t done =
      position_kernels(path).columns(ids.data(), xyz.data(), out.lat.data(), out.lon.data(), n);
  lanes::scalar::map_degrees_columns(ids.data() + done, xyz.data() + 3 * done,
                                     out.lat.data() + done, out.lon.data() + done, n - done);
  const float nan = canonical_nan();
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t cell = ids[i] & kCellMask;
    const bool indoor = cell >= kFirstIndoorCell;
    out.indoor[i] = indoor ? 1 : 0;
    out.cell[i] = static_cast<std::uint16_t>(indoor ? cell : 0);
    out.alt[i] = indoor ? nan : xyz[3 * i + 2];
    if (indoor) out.lat[i] = out.lon[i] = nan;
  }
}

}  // namespace detail

void to_world_coords(std::span<const WorldPosition> in, std::span<WorldCoordinates> out) {
  if (in.size() != out.size()) {
    throw std::invalid_argument("corvane::to_world_coords: input and output sizes differ");
  }
  detail::to_world_coords_batch(detail::best_simd_path(), in, out);
}

void to_world_coords(std::span<const std::uint32_t> ids, std::span<const float> xyz,
                     const MapCoordinateColumns& out) {
  const std::size_t n = ids.size();
  if (xyz.size() / 3 != n || xyz.size() % 3 != 0 || out.lat.size() != n || out.lon.size() != n ||
      out.alt.size() != n || out.indoor.size() != n || out.cell.size() != n) {
    throw std::invalid_argument("corvane::to_world_coords: the columns differ in size");
  }
  detail::to_world_coords_batch(detail::best_simd_path(), ids, xyz, out);
}

void normalize_outdoor_cell(std::span<const WorldPosition> in, std::span<WorldPosition> out) {
  detail::each(in, out, "corvane::normalize_outdoor_cell: input and output sizes differ",
               [](const WorldPosition& p) { return p.normalize_outdoor_cell(); });
}

void rebucket_outdoor_landblock(std::span<const WorldPosition> in, std::span<WorldPosition> out) {
  detail::each(in, out, "corvane::rebucket_outdoor_landblock: input and output sizes differ",
               [](const WorldPosition& p) { return p.rebucket_outdoor_landblock(); });
}

void normalize_outdoor_cell(std::span<const std::uint32_t> ids, std::span<const float> xyz,
                            std::span<std::uint32_t> ids_out, std::span<float> xyz_out) {
  detail::each_column(ids, xyz, ids_out, xyz_out,
                      "corvane::normalize_outdoor_cell: the columns differ in size",
                      [](const WorldPosition& p) { return p.normalize_outdoor_cell(); });
}

void rebucket_outdoor_landblock(std::span<const std::uint32_t> ids, std::span<const float> xyz,
                                std::span<std::uint32_t> ids_out, std::span<float> xyz_out) {
  detail::each_column(ids, xyz, ids_out, xyz_out,
                      "corvane::rebucket_outdoor_landblock: the columns differ in size",
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
