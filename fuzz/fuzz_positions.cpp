// Arbitrary landblock ids and offsets (NaN, infinities, subnormals, huge
// values) through every WorldPosition operation: indoor test, landblock
// coordinates, world coordinates, distance, heading, Chebyshev distance,
// derived cell, cell normalisation and rebucketing.
//
// Rebucketing is compared with a reference that works in double precision on
// the whole world at once (which landblock holds the world coordinate, where
// in it, clamped at the world's edge) rather than stepping one landblock at
// a time; the derived cell with one that compares the offset with the cell
// boundaries instead of dividing.
//
// Whatever input is left after the two positions is read as more of them,
// which go with the first two through the batch overloads (to_world_coords on
// every vector path the CPU supports, cell normalisation and rebucketing in
// place, distances and headings to the list reversed); each element must
// equal the single-value result bit for bit.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "batch/position_batch.hpp"
#include "batch/simd_path.hpp"

#include "corvane/position.hpp"
#include "fuzz_support.hpp"

namespace {

using corvane::Guid;
using corvane::Quaternion;
using corvane::Vector3;
using corvane::WorldPosition;

constexpr float kTwoPi = 6.2831855f;
using corvane::CELL_LENGTH;
using corvane::MAX_LOCAL;
// In double, for the whole-world references.
constexpr double kLandblock = corvane::LANDBLOCK_LENGTH;

bool same_bits(float a, float b) { return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b); }
bool same_bits(const Vector3& a, const Vector3& b) {
  return same_bits(a.x, b.x) && same_bits(a.y, b.y) && same_bits(a.z, b.z);
}
bool same_bits(const Quaternion& a, const Quaternion& b) {
  return same_bits(a.w, b.w) && same_bits(a.x, b.x) && same_bits(a.y, b.y) && same_bits(a.z, b.z);
}
bool same_bits(const WorldPosition& a, const WorldPosition& b) {
  return a.landblock_id.raw == b.landblock_id.raw && same_bits(a.coords, b.coords) &&
         same_bits(a.rotation, b.rotation);
}

// Offsets: raw bits, or values around one landblock (a few landblocks either
// way), or grid values that hit cell and landblock boundaries exactly.
float offset(fuzz::Input& in, std::uint8_t mode) {
  switch (mode % 4) {
    case 0:
      return in.bits();
    case 1:
      return static_cast<float>(static_cast<std::int16_t>(in.u16())) / 8.0f;  // +-4096
    case 2:
      return static_cast<float>(static_cast<std::int8_t>(in.u8())) * 12.0f;  // cell edges
    default: {
      // A boundary nudged by a few ulps: 0, 24 k, 192 k.
      const float base = static_cast<float>(static_cast<std::int8_t>(in.u8())) * CELL_LENGTH;
      float v = base;
      const int steps = static_cast<std::int8_t>(in.u8()) % 4;
      for (int i = 0; i < (steps < 0 ? -steps : steps); ++i) {
        v = std::nextafter(v, steps < 0 ? -1e30f : 1e30f);
      }
      return v;
    }
  }
}

// The cell coordinate of an offset by comparison with the cell edges.
std::uint32_t cell_coordinate(float v) {
  if (std::isnan(v)) return 0;
  const float local = std::clamp(v, 0.0f, MAX_LOCAL);
  std::uint32_t cell = 0;
  for (std::uint32_t k = 1; k < 8; ++k) {
    if (local >= CELL_LENGTH * static_cast<float>(k)) cell = k;
  }
  return cell;
}

std::optional<std::uint32_t> reference_cell(const WorldPosition& p) {
  if (p.landblock_id.raw == 0 || (p.landblock_id.raw & 0xFFFFu) >= 0x100u) return std::nullopt;
  return cell_coordinate(p.coords.x) * 8 + cell_coordinate(p.coords.y) + 1;
}

// One axis of rebucketing, whole-world: the landblock that holds the world
// coordinate (clamped to the grid) and the offset in it (clamped to the
// landblock at the world's edge). NaN stays put.
struct Axis {
  std::uint32_t landblock;
  float offset;
  bool moved;
};
Axis reference_axis(std::uint32_t landblock, float v) {
  if (std::isnan(v)) return {landblock, v, false};
  std::uint32_t target = landblock;
  double local = v;
  if (v >= corvane::LANDBLOCK_LENGTH && landblock < 255) {
    // floor(v / 192) is exact in double for a float v (no quotient of a
    // float just below a multiple of 192 rounds up to the integer).
    const double steps = std::isinf(v) ? 255.0 : std::floor(double{v} / kLandblock);
    target = static_cast<std::uint32_t>(std::min(255.0, landblock + steps));
    local = double{v} - kLandblock * (target - landblock);
  } else if (v < 0.0f && landblock > 0) {
    const double steps = std::isinf(v) ? 255.0 : std::ceil(-double{v} / kLandblock);
    target = static_cast<std::uint32_t>(std::max(0.0, landblock - steps));
    local = double{v} + kLandblock * (landblock - target);
  }
  // One rounding to float (a tiny negative offset plus 192 becomes 192.0),
  // then the clamp of whatever is still outside the landblock.
  float out = static_cast<float>(local);
  if (!(out >= 0.0f && out < corvane::LANDBLOCK_LENGTH)) out = std::clamp(out, 0.0f, MAX_LOCAL);
  return {target, out, target != landblock};
}

void check_rebucket(const WorldPosition& p) {
  const WorldPosition r = p.rebucket_outdoor_landblock();
  const std::uint32_t id = p.landblock_id.raw;
  if (id == 0 || p.is_indoors()) {
    FUZZ_CHECK(same_bits(r, p), "rebucketing changed an indoor or null position %08X", id);
    return;
  }
  const Axis ax = reference_axis(id >> 24, p.coords.x);
  const Axis ay = reference_axis((id >> 16) & 0xFFu, p.coords.y);
  if (!ax.moved && !ay.moved) {
    FUZZ_CHECK(same_bits(r, p), "rebucketing changed %08X (%08X, %08X) without a step", id,
               fuzz::hex(p.coords.x), fuzz::hex(p.coords.y));
    return;
  }
  const std::uint32_t upper = (ax.landblock << 24) | (ay.landblock << 16);
  WorldPosition expected{Guid{upper | (id & 0xFFFFu)}, Vector3{ax.offset, ay.offset, p.coords.z},
                         p.rotation};
  if (expected.landblock_id.raw != 0) {
    expected.landblock_id = Guid{upper | *reference_cell(expected)};
  }
  FUZZ_CHECK(same_bits(r, expected),
             "rebucket %08X (%08X, %08X): got %08X (%08X, %08X), expected %08X (%08X, %08X)", id,
             fuzz::hex(p.coords.x), fuzz::hex(p.coords.y), r.landblock_id.raw,
             fuzz::hex(r.coords.x), fuzz::hex(r.coords.y), expected.landblock_id.raw,
             fuzz::hex(expected.coords.x), fuzz::hex(expected.coords.y));
  FUZZ_CHECK(same_bits(r.rebucket_outdoor_landblock(), r), "rebucketing twice moved again");
}

void check_one(const WorldPosition& p) {
  const std::uint32_t id = p.landblock_id.raw;
  FUZZ_CHECK(p.is_indoors() == ((id & 0xFFFFu) >= 0x100u), "is_indoors of %08X", id);
  const auto [lx, ly] = p.landblock_coords();
  FUZZ_CHECK(lx == (id >> 24) && ly == ((id >> 16) & 0xFFu), "landblock_coords of %08X", id);

  // World coordinates: byte times 192 is exact, so one rounding of the
  // double sum gives the single-precision addition.
  const Vector3 g = p.global_coords();
  FUZZ_CHECK(same_bits(g.x, static_cast<float>(lx * kLandblock + double{p.coords.x})) &&
                 same_bits(g.y, static_cast<float>(ly * kLandblock + double{p.coords.y})) &&
                 same_bits(g.z, p.coords.z),
             "global_coords of %08X", id);

  const std::optional<std::uint32_t> cell = p.derived_outdoor_cell_id();
  const std::optional<std::uint32_t> ref = reference_cell(p);
  FUZZ_CHECK(cell == ref, "derived cell of %08X at (%08X, %08X): %d, boundaries give %d", id,
             fuzz::hex(p.coords.x), fuzz::hex(p.coords.y), cell ? static_cast<int>(*cell) : -1,
             ref ? static_cast<int>(*ref) : -1);
  if (cell) FUZZ_CHECK(*cell >= 1 && *cell <= 64, "cell %u out of 1..64", *cell);

  const WorldPosition n = p.normalize_outdoor_cell();
  if (cell) {
    FUZZ_CHECK(n.landblock_id.raw == ((id & 0xFFFF0000u) | *cell) && same_bits(n.coords, p.coords) &&
                   same_bits(n.rotation, p.rotation),
               "normalize_outdoor_cell of %08X gave %08X", id, n.landblock_id.raw);
    FUZZ_CHECK(same_bits(n.normalize_outdoor_cell(), n), "normalising twice changed %08X", id);
  } else {
    FUZZ_CHECK(same_bits(n, p), "normalize_outdoor_cell changed %08X", id);
  }
  check_rebucket(p);
}

void check_pair(const WorldPosition& a, const WorldPosition& b) {
  const bool same_id = a.landblock_id == b.landblock_id;
  const Vector3 pa = same_id ? a.coords : a.global_coords();
  const Vector3 pb = same_id ? b.coords : b.global_coords();
  const Vector3 diff = pb - pa;

  const float d = a.distance_to(b);
  const float back = b.distance_to(a);
  FUZZ_CHECK(same_bits(d, back) || (std::isnan(d) && std::isnan(back)),
             "distance not symmetric: %08X vs %08X", fuzz::hex(d), fuzz::hex(back));
  const bool finite_diff = std::isfinite(diff.x) && std::isfinite(diff.y) && std::isfinite(diff.z);
  if (finite_diff) {
    const double ref = std::sqrt(double{diff.x} * diff.x + double{diff.y} * diff.y + double{diff.z} * diff.z);
    if (ref < 1e18) {
      FUZZ_CHECK(std::fabs(d - ref) <= 3e-7 * ref + 1e-22, "distance %.9g, reference %.9g",
                 double{d}, ref);
    }
  }
  if (std::isnan(d)) FUZZ_CHECK(!finite_diff, "NaN distance from a finite difference");

  const float h = a.heading_to(b);
  FUZZ_CHECK(std::isnan(h) == (std::isnan(diff.x) || std::isnan(diff.y)),
             "heading %08X for a difference (%08X, %08X)", fuzz::hex(h), fuzz::hex(diff.x),
             fuzz::hex(diff.y));
  if (!std::isnan(h)) FUZZ_CHECK(h >= 0.0f && h < kTwoPi, "heading %08X out of range", fuzz::hex(h));

  const auto cheb = a.landblock_chebyshev_distance_to(b);
  if (a.landblock_id.raw == 0 || b.landblock_id.raw == 0) {
    FUZZ_CHECK(!cheb.has_value(), "Chebyshev distance with a null id");
  } else {
    const auto [ax, ay] = a.landblock_coords();
    const auto [bx, by] = b.landblock_coords();
    const int expected = std::max(std::abs(ax - bx), std::abs(ay - by));
    FUZZ_CHECK(cheb.has_value() && *cheb == expected, "Chebyshev distance %d, expected %d",
               cheb ? *cheb : -1, expected);
    FUZZ_CHECK(b.landblock_chebyshev_distance_to(a) == cheb, "Chebyshev distance not symmetric");
  }
  FUZZ_CHECK((a == b) == (a.landblock_id == b.landblock_id && a.coords == b.coords &&
                          a.rotation == b.rotation),
             "equality is not field by field");
}

WorldPosition read_position(fuzz::Input& in, std::uint8_t mode) {
  std::uint32_t id = in.u32();
  // Half the time an outdoor cell word, so that the outdoor paths are busy.
  if (mode & 0x10u) id &= 0xFFFF00FFu;
  const float x = offset(in, mode);
  const float y = offset(in, static_cast<std::uint8_t>(mode >> 2));
  const float z = in.bits();
  const Quaternion q{in.bits(), in.bits(), in.bits(), in.bits()};
  return {Guid{id}, Vector3{x, y, z}, q};
}

}  // namespace

bool same_coordinates(const corvane::WorldCoordinates& a, const corvane::WorldCoordinates& b) {
  if (a.is_indoors() || b.is_indoors()) {
    return a.is_indoors() && b.is_indoors() && a.indoor()->landblock == b.indoor()->landblock;
  }
  return same_bits(a.outdoor()->lat, b.outdoor()->lat) &&
         same_bits(a.outdoor()->lon, b.outdoor()->lon) &&
         same_bits(a.outdoor()->alt, b.outdoor()->alt);
}

void check_batch(const std::vector<WorldPosition>& p) {
  using corvane::detail::SimdPath;
  const std::size_t n = p.size();
  std::vector<corvane::WorldCoordinates> coords(n);
  for (const SimdPath path : corvane::detail::kAllSimdPaths) {
    if (!corvane::detail::simd_path_supported(path)) continue;
    corvane::detail::to_world_coords_batch(path, p, coords);
    for (std::size_t i = 0; i < n; ++i) {
      FUZZ_CHECK(same_coordinates(coords[i], p[i].to_world_coords()),
                 "%s batch to_world_coords of %08X at %zu", corvane::detail::simd_path_name(path),
                 p[i].landblock_id.raw, i);
    }
  }
  std::vector<WorldPosition> normalized = p, rebucketed = p;
  corvane::normalize_outdoor_cell(normalized, normalized);
  corvane::rebucket_outdoor_landblock(rebucketed, rebucketed);
  const std::vector<WorldPosition> reversed(p.rbegin(), p.rend());
  std::vector<float> distances(n), headings(n);
  corvane::distance_to(p, reversed, distances);
  corvane::heading_to(p, reversed, headings);
  for (std::size_t i = 0; i < n; ++i) {
    FUZZ_CHECK(same_bits(normalized[i], p[i].normalize_outdoor_cell()), "batch normalize at %zu", i);
    FUZZ_CHECK(same_bits(rebucketed[i], p[i].rebucket_outdoor_landblock()), "batch rebucket at %zu", i);
    FUZZ_CHECK(same_bits(distances[i], p[i].distance_to(reversed[i])), "batch distance at %zu", i);
    FUZZ_CHECK(same_bits(headings[i], p[i].heading_to(reversed[i])), "batch heading at %zu", i);
  }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const std::uint8_t mode_a = in.u8();
  const std::uint8_t mode_b = in.u8();
  const WorldPosition a = read_position(in, mode_a);
  WorldPosition b = read_position(in, mode_b);
  if (mode_b & 0x20u) b.landblock_id = a.landblock_id;  // the local-space path
  check_one(a);
  check_one(b);
  check_pair(a, b);
  check_pair(a, a.rebucket_outdoor_landblock());

  std::vector<WorldPosition> more{a, b};
  while (in.remaining() > 0) {
    const std::uint8_t mode = in.u8();
    more.push_back(read_position(in, mode));
  }
  check_batch(more);
  return 0;
}
