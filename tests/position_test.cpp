#include "corvane/position.hpp"

#include <gtest/gtest.h>

#include <type_traits>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iomanip>
#include <limits>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "text/fixed_point.hpp"

namespace {

using corvane::Guid;
using corvane::Quaternion;
using corvane::Vector3;
using corvane::WorldCoordinates;
using corvane::WorldPosition;

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kPi = 3.14159265358979f;
using corvane::CELL_LENGTH;
using corvane::LANDBLOCK_LENGTH;
using corvane::MAX_LOCAL;

// The world's constants, pinned once to the values the stored data and the
// map text were made with; everything below reads them by name.
static_assert(LANDBLOCK_LENGTH == 192.0f && CELL_LENGTH == 24.0f);
static_assert(std::bit_cast<std::uint32_t>(MAX_LOCAL) == 0x433FFFF9u);
static_assert(corvane::METRES_PER_MAP_DEGREE == 240.0f && corvane::MAP_ORIGIN_DEGREES == 102.0f);
static_assert(corvane::HEADING_COINCIDENCE_SQUARED == 1e-6f);

WorldPosition at(std::uint32_t id, float x, float y, float z = 0.0f) {
  return {Guid{id}, Vector3{x, y, z}, Quaternion::identity()};
}

std::uint32_t bits(float v) { return std::bit_cast<std::uint32_t>(v); }

// printf's "%.*f": the independent reference for every fixed-point text.
std::string printf_fixed(float value, std::size_t precision) {
  const int n = std::snprintf(nullptr, 0, "%.*f", static_cast<int>(precision),
                              static_cast<double>(value));
  std::string text(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(text.data(), text.size(), "%.*f", static_cast<int>(precision),
                static_cast<double>(value));
  text.pop_back();
  return text;
}

std::string write_fixed(float value, std::size_t precision, bool exact_path = false) {
  const std::size_t bound = corvane::detail::fixed_chars_bound(value, precision);
  std::string text(bound, '#');
  char* end = exact_path
                  ? corvane::detail::write_fixed_exact(text.data(), value, precision)
                  : corvane::detail::write_fixed(text.data(), value, precision);
  const auto written = static_cast<std::size_t>(end - text.data());
  EXPECT_LE(written, bound) << bits(value) << " at " << precision;
  EXPECT_LE(bound, written + 3) << "loose bound for " << bits(value);
  EXPECT_LE(bound, corvane::detail::max_fixed_chars(precision)) << bits(value);
  text.resize(written);
  return text;
}

WorldCoordinates outdoor_at(float lat, float lon, float alt) {
  return {WorldCoordinates::Outdoor{lat, lon, alt}};
}

std::string map_text(float lat, float lon, float alt, std::size_t precision) {
  return outdoor_at(lat, lon, alt).to_string_with_precision(precision);
}

// ---- the position model ----------------------------------------------------------

TEST(WorldPosition, ReadsTheLandblockIdFields) {
  for (std::uint32_t id : {0x00000100u, 0x860201ADu, 0x016C0155u}) EXPECT_TRUE(at(id, 0, 0).is_indoors());
  for (std::uint32_t id : {0xDA550000u, 0xA9B400FFu}) EXPECT_FALSE(at(id, 0, 0).is_indoors());
  EXPECT_EQ(at(0xA9B40019, 0, 0).landblock_coords(), std::make_pair(std::uint8_t{169}, std::uint8_t{180}));
  EXPECT_EQ(at(0xDA550000, 0, 0).landblock_coords(), std::make_pair(std::uint8_t{218}, std::uint8_t{85}));
  EXPECT_EQ(at(0xFFFF0100, 0, 0).landblock_coords(), std::make_pair(std::uint8_t{255}, std::uint8_t{255}));
}

TEST(WorldPosition, DistanceIsLocalOnlyForIdenticalIds) {
  EXPECT_NEAR(at(0x01020000, 0, 0).distance_to(at(0x01020000, 3, 4)), 5.0f, 1e-6f);
  EXPECT_NEAR(at(0x01000000, 0, 0).distance_to(at(0, 0, 0)), 192.0f, 1e-6f);
  // Same landblock, neighbouring cells: world space, 16 along y.
  EXPECT_NEAR(at(0xDA55001C, 84, 84).distance_to(at(0xDA55001D, 84, 100)), 16.0f, 1e-4f);
  // An indoor position sits by its landblock's corner like any other.
  EXPECT_NEAR(at(0x01000100, 0, 0).distance_to(at(0, 0, 0)), 192.0f, 1e-6f);
  // Symmetric, and far across the world.
  EXPECT_NEAR(at(0xFFFF0000, 0, 0).distance_to(at(0, 0, 0)), 255.0f * 192.0f * std::sqrt(2.0f), 0.01f);
  EXPECT_TRUE(std::isnan(at(0x01010000, kNaN, 0).distance_to(at(0x01010000, 0, 0))));
}

TEST(WorldPosition, HeadingFollowsTheWorldConvention) {
  EXPECT_NEAR(at(0, 10, 10).heading_to(at(0x01000000, 10, 10)), kPi, 1e-6f);
  // Local path: the target is north within the same id...
  EXPECT_NEAR(at(0x05050001, 10, 10).heading_to(at(0x05050001, 10, 50)), kPi / 2, 1e-6f);
  // ...and world path: one landblock south outweighs the local offset.
  EXPECT_NEAR(at(0x05050001, 10, 10).heading_to(at(0x05040001, 10, 50)), 3 * kPi / 2, 1e-6f);
  EXPECT_EQ(at(0x05050001, 10, 10).heading_to(at(0x05050001, 10, 10)), 0.0f);
}

TEST(WorldPosition, ChebyshevDistanceCountsLandblocks) {
  EXPECT_EQ(at(0x01010000, 0, 0).landblock_chebyshev_distance_to(at(0x02020000, 0, 0)), 1);
  EXPECT_EQ(at(0x01010000, 0, 0).landblock_chebyshev_distance_to(at(0x03010000, 0, 0)), 2);
  EXPECT_EQ(at(0x01010000, 0, 0).landblock_chebyshev_distance_to(at(0, 0, 0)), std::nullopt);
  EXPECT_EQ(at(0, 0, 0).landblock_chebyshev_distance_to(at(0x01010000, 0, 0)), std::nullopt);
  // The full range, in both directions; cells and offsets do not count.
  EXPECT_EQ(at(0x00FF0001, 0, 0).landblock_chebyshev_distance_to(at(0xFF000140, 500, 0)), 255);
  EXPECT_EQ(at(0xFF000140, 0, 0).landblock_chebyshev_distance_to(at(0x00FF0001, 0, 0)), 255);
  EXPECT_EQ(at(0x10200001, 0, 0).landblock_chebyshev_distance_to(at(0x10200140, 0, 0)), 0);
}

TEST(WorldPosition, EqualityComparesEveryField) {
  const WorldPosition p = at(0xA9B40019, 84, 7.1f, 94);
  EXPECT_EQ(p, at(0xA9B40019, 84, 7.1f, 94));
  EXPECT_NE(p, at(0xA9B4001A, 84, 7.1f, 94));
  WorldPosition turned = p;
  turned.rotation = Quaternion{};
  EXPECT_NE(p, turned);
  EXPECT_EQ(at(1, 0.0f, 0), at(1, -0.0f, 0));
  const WorldPosition lost = at(1, kNaN, 0);
  EXPECT_NE(lost, lost);
}

TEST(WorldPosition, DebugText) {
  const WorldPosition p = at(0xA9B40019, 84, 7.1f, 94);
  const std::string expected =
      "WorldPosition { landblock_id: 0xA9B40019, coords: Vector3 { x: 84.0, y: 7.1, z: 94.0 }, "
      "rotation: Quaternion { w: 1.0, x: 0.0, y: 0.0, z: 0.0 } }";
  EXPECT_EQ(debug_string(p), expected);
  std::ostringstream os;
  os << p;
  EXPECT_EQ(os.str(), expected);
  // The longest values fit: no truncated or overflowing text.
  const WorldPosition wide{Guid{0xFFFFFFFF}, Vector3{-1.2345678e-38f, -3.4028235e38f, kNaN},
                           Quaternion{-kInf, -1.1754944e-38f, -7.5e15f, -0.33333334f}};
  EXPECT_EQ(debug_string(wide),
            "WorldPosition { landblock_id: 0xFFFFFFFF, coords: Vector3 { x: -1.2345678e-38, "
            "y: -3.4028235e38, z: NaN }, rotation: Quaternion { w: -inf, x: -1.1754944e-38, "
            "y: -7500000000000000.0, z: -0.33333334 } }");
}

// ---- outdoor cells ---------------------------------------------------------------

TEST(OutdoorCell, DerivedColumnByColumnFromTheClampedOffset) {
  EXPECT_EQ(at(0x34190039, 0.3076171875f, 58.29931640625f, 13.145146f).derived_outdoor_cell_id(), 3u);
  EXPECT_EQ(at(0x12340000, 0, 0).derived_outdoor_cell_id(), 1u);
  EXPECT_EQ(at(0x12340000, 0, 191).derived_outdoor_cell_id(), 8u);      // north-west
  EXPECT_EQ(at(0x12340000, 30, 0).derived_outdoor_cell_id(), 9u);       // x first
  EXPECT_EQ(at(0x12340000, 191, 191).derived_outdoor_cell_id(), 64u);   // north-east
  // Cell borders: a multiple of 24 starts the next cell, the float below it not.
  for (std::uint32_t k = 1; k < 8; ++k) {
    const float border = CELL_LENGTH * static_cast<float>(k);
    EXPECT_EQ(at(0x12340000, border, 0).derived_outdoor_cell_id(), k * 8 + 1);
    EXPECT_EQ(at(0x12340000, std::nextafter(border, 0.0f), 0).derived_outdoor_cell_id(), k * 8 - 7);
    EXPECT_EQ(at(0x12340000, 0, border).derived_outdoor_cell_id(), k + 1);
  }
  // Out of range: 192 and beyond clamp into the last column, below 0 into the
  // first; NaN gives 0; the offset itself stays.
  EXPECT_EQ(at(0x12340000, 192, 192).derived_outdoor_cell_id(), 64u);
  EXPECT_EQ(at(0x12340000, MAX_LOCAL, kInf).derived_outdoor_cell_id(), 64u);
  EXPECT_EQ(at(0x12340000, std::nextafter(LANDBLOCK_LENGTH, 0.0f), 1e30f).derived_outdoor_cell_id(), 64u);
  EXPECT_EQ(at(0x12340000, -5, -kInf).derived_outdoor_cell_id(), 1u);
  EXPECT_EQ(at(0x12340000, -0.0f, 100).derived_outdoor_cell_id(), 5u);
  EXPECT_EQ(at(0x12340000, kNaN, 100).derived_outdoor_cell_id(), 5u);
  EXPECT_EQ(at(0x12340000, 100, -kNaN).derived_outdoor_cell_id(), 33u);
  // No cell indoors or without a landblock; the z offset plays no part.
  EXPECT_EQ(at(0x016C0155, 12, 60).derived_outdoor_cell_id(), std::nullopt);
  EXPECT_EQ(at(0, 12, 60).derived_outdoor_cell_id(), std::nullopt);
  EXPECT_EQ(at(0x00000001, 12, 60, kNaN).derived_outdoor_cell_id(), 3u);
}

TEST(OutdoorCell, NormalizeReplacesOnlyTheCellWord) {
  const WorldPosition p = at(0x34190039, 0.3076171875f, 58.29931640625f, 13.145146f);
  const WorldPosition n = p.normalize_outdoor_cell();
  EXPECT_EQ(n.landblock_id, Guid{0x34190003});
  EXPECT_EQ(n.coords, p.coords);
  EXPECT_EQ(n.rotation, p.rotation);
  EXPECT_EQ(p.landblock_id, Guid{0x34190039});  // the original is untouched
  // Cell 0 and any outdoor cell word above 64 are rewritten too.
  EXPECT_EQ(at(0xDA550000, 84, 108).normalize_outdoor_cell().landblock_id, Guid{0xDA55001D});
  EXPECT_EQ(at(0xDA5500FF, 191, 191).normalize_outdoor_cell().landblock_id, Guid{0xDA550040});
  // Indoors and id 0 come back bit for bit, NaN offsets included.
  for (const WorldPosition& q : {at(0x016C0155, 12, -60, 0), at(0, 50, 50), at(0x01000100, kNaN, 0)}) {
    const WorldPosition r = q.normalize_outdoor_cell();
    EXPECT_EQ(r.landblock_id, q.landblock_id);
    EXPECT_EQ(bits(r.coords.x), bits(q.coords.x));
    EXPECT_EQ(bits(r.coords.y), bits(q.coords.y));
  }
}

TEST(Rebucket, StepsIntoNeighbouringLandblocks) {
  WorldPosition r = at(0xA9B40019, 94, 200, 94).rebucket_outdoor_landblock();
  EXPECT_EQ(r.landblock_id, Guid{0xA9B50019});
  EXPECT_NEAR(r.coords.y, 8.0f, 1e-3f);

  r = at(0xA9B40019, 84, 207, 94).rebucket_outdoor_landblock();
  EXPECT_EQ(r.landblock_id, Guid{0xA9B50019});
  EXPECT_NEAR(r.coords.y, 15.0f, 1e-3f);

  r = at(0xA9B40019, -50, -10, 94).rebucket_outdoor_landblock();
  EXPECT_EQ(r.landblock_id, Guid{0xA8B30030});
  EXPECT_NEAR(r.coords.x, 142.0f, 1e-3f);
  EXPECT_NEAR(r.coords.y, 182.0f, 1e-3f);
  EXPECT_EQ(r.coords.z, 94.0f);
  EXPECT_EQ(r.rotation, Quaternion::identity());

  // Several landblocks at once, one step at a time.
  r = at(0x10100001, 192.0f * 5 + 10, -192.0f * 3 + 20).rebucket_outdoor_landblock();
  EXPECT_EQ(r.landblock_id, Guid{0x150D0001});
  EXPECT_EQ(r.coords.x, 10.0f);
  EXPECT_EQ(r.coords.y, 20.0f);

  // Exactly 192 moves east; 0 and -0 stay.
  r = at(0x10100001, 192.0f, 5).rebucket_outdoor_landblock();
  EXPECT_EQ(r.landblock_id, Guid{0x11100001});
  EXPECT_EQ(bits(r.coords.x), bits(0.0f));
  r = at(0x10100001, -0.0f, 0.0f).rebucket_outdoor_landblock();
  EXPECT_EQ(r.landblock_id, Guid{0x10100001});
  EXPECT_EQ(bits(r.coords.x), bits(-0.0f));
}

TEST(Rebucket, LeavesPositionsThatTakeNoStepAlone) {
  // Inside its landblock: not even the stale cell number is touched.
  WorldPosition r = at(0xA9B40019, 84, 7.1f, 94).rebucket_outdoor_landblock();
  EXPECT_EQ(r, at(0xA9B40019, 84, 7.1f, 94));
  r = at(0xA9B40001, 100, 100).rebucket_outdoor_landblock();
  EXPECT_EQ(r.landblock_id, Guid{0xA9B40001});
  // Indoors, even with a negative offset, and id 0.
  EXPECT_EQ(at(0x860201AD, 12.32f, -28.48f, 0.005f).rebucket_outdoor_landblock(),
            at(0x860201AD, 12.32f, -28.48f, 0.005f));
  EXPECT_EQ(at(0, -500, 900).rebucket_outdoor_landblock(), at(0, -500, 900));
  // At the west edge without a step the out-of-range offset stays...
  r = at(0x00400001, -5, 100).rebucket_outdoor_landblock();
  EXPECT_EQ(r, at(0x00400001, -5, 100));
  r = at(0xFFFF0001, 1e30f, kInf).rebucket_outdoor_landblock();
  EXPECT_EQ(r, at(0xFFFF0001, 1e30f, kInf));
  // ...and NaN takes no step.
  r = at(0x10100001, kNaN, kNaN).rebucket_outdoor_landblock();
  EXPECT_EQ(r.landblock_id, Guid{0x10100001});
  EXPECT_TRUE(std::isnan(r.coords.x) && std::isnan(r.coords.y));
}

TEST(Rebucket, ClampsAtTheWorldsEdgeOnceItMoved) {
  // West edge: the y step lets the clamp of x stand.
  WorldPosition r = at(0x00400001, -5, 200).rebucket_outdoor_landblock();
  EXPECT_EQ(r.landblock_id, Guid{0x00410001});
  EXPECT_EQ(bits(r.coords.x), bits(0.0f));
  EXPECT_NEAR(r.coords.y, 8.0f, 1e-4f);
  // East and north edges clamp to exactly MAX_LOCAL, not to 192 or the float
  // just below it.
  r = at(0xFEFE0001, 500, 1e9f).rebucket_outdoor_landblock();
  EXPECT_EQ(r.landblock_id, Guid{0xFFFF0040});
  EXPECT_EQ(bits(r.coords.x), bits(MAX_LOCAL));
  EXPECT_EQ(bits(r.coords.y), bits(MAX_LOCAL));
  // Infinities run to the edge and clamp; NaN on the other axis stays NaN.
  r = at(0x10100001, kInf, kNaN).rebucket_outdoor_landblock();
  EXPECT_EQ(r.landblock_id, Guid{0xFF100039});  // cell x 7; the NaN y gives cell y 0
  EXPECT_EQ(bits(r.coords.x), bits(MAX_LOCAL));
  EXPECT_TRUE(std::isnan(r.coords.y));
  r = at(0x10100001, -kInf, 3).rebucket_outdoor_landblock();
  EXPECT_EQ(r.landblock_id, Guid{0x00100001});
  EXPECT_EQ(bits(r.coords.x), bits(0.0f));
  // A tiny negative offset steps west, and the sum rounds up to exactly 192:
  // the clamp keeps the offset inside the landblock.
  r = at(0x10100001, -1e-6f, 3).rebucket_outdoor_landblock();
  EXPECT_EQ(r.landblock_id, Guid{0x0F100039});
  EXPECT_EQ(bits(r.coords.x), bits(MAX_LOCAL));
}

TEST(Rebucket, ANewIdOfZeroIsNotRenormalised) {
  const WorldPosition r = at(0x01000000, -10, 5).rebucket_outdoor_landblock();
  EXPECT_EQ(r.landblock_id, Guid{0});
  EXPECT_EQ(r.coords.x, 182.0f);
  EXPECT_EQ(r.coords.y, 5.0f);
  // With a cell word the id is not 0 and the cell is rewritten as usual.
  EXPECT_EQ(at(0x01000001, -10, 5).rebucket_outdoor_landblock().landblock_id, Guid{0x00000039});
}

// Against exact arithmetic: the landblock is the one whose span holds the
// offset (or the edge), the new offset lies inside it, the cell matches the
// offset, and the point in world space does not move unless the edge clamped it.
TEST(Rebucket, AgreesWithExactArithmeticOnRandomPositions) {
  std::mt19937 rng(20261208);
  std::uniform_int_distribution<std::uint32_t> landblock(0, 255);
  std::uniform_int_distribution<std::uint32_t> cell(0, 0xFF);
  std::uniform_real_distribution<float> offset(-LANDBLOCK_LENGTH * 40, LANDBLOCK_LENGTH * 40);
  for (int i = 0; i < 20000; ++i) {
    const std::uint32_t id = (landblock(rng) << 24) | (landblock(rng) << 16) | cell(rng);
    if (id == 0) continue;
    const WorldPosition p = at(id, offset(rng), i % 3 == 0 ? offset(rng) / 40 : offset(rng), 1.5f);
    const WorldPosition r = p.rebucket_outdoor_landblock();
    bool stepped = false;
    bool clamped = false;
    bool in_landblock = true;
    for (int axis = 0; axis < 2; ++axis) {
      const double v = axis == 0 ? p.coords.x : p.coords.y;
      const double start = axis == 0 ? p.landblock_coords().first : p.landblock_coords().second;
      const double target = start + std::floor(v / LANDBLOCK_LENGTH);
      const double got_landblock = axis == 0 ? r.landblock_coords().first : r.landblock_coords().second;
      const double got = axis == 0 ? r.coords.x : r.coords.y;
      stepped = stepped || std::max(0.0, std::min(255.0, target)) != start;
      if (target < 0 || target > 255) {
        clamped = true;
        EXPECT_EQ(got_landblock, std::max(0.0, std::min(255.0, target)));
      } else {
        EXPECT_EQ(got_landblock, target) << debug_string(p);
      }
      in_landblock = in_landblock && got >= 0.0 && got < LANDBLOCK_LENGTH;
    }
    if (!stepped) {
      EXPECT_EQ(r, p);
      continue;
    }
    // Once anything moved, both offsets lie inside the landblock, clamped or not.
    EXPECT_TRUE(in_landblock) << debug_string(p) << " -> " << debug_string(r);
    EXPECT_EQ(r.landblock_id & 0xFFFFu, r.derived_outdoor_cell_id().value_or(0)) << debug_string(p);
    EXPECT_EQ(r.coords.z, 1.5f);
    if (!clamped) {
      const Vector3 before = p.global_coords();
      const Vector3 after = r.global_coords();
      EXPECT_NEAR(after.x, before.x, 0.02f) << debug_string(p);
      EXPECT_NEAR(after.y, before.y, 0.02f) << debug_string(p);
    }
  }
}

// ---- map coordinates ------------------------------------------------------------

TEST(WorldCoordinates, ConvertsPositions) {
  const WorldCoordinates indoor = at(0x00000100, 0, 0).to_world_coords();
  ASSERT_TRUE(indoor.is_indoors());
  EXPECT_EQ(indoor.indoor()->landblock, 0x0100);
  EXPECT_EQ(indoor.outdoor(), nullptr);
  EXPECT_EQ(at(0x860201AD, 5, 5).to_world_coords(), WorldCoordinates{WorldCoordinates::Indoor{0x01AD}});

  const WorldCoordinates outdoor = at(0xDA550000, 84, 108, 0).to_world_coords();
  ASSERT_NE(outdoor.outdoor(), nullptr);
  EXPECT_NEAR(outdoor.outdoor()->lat, -33.55f, 1e-4f);
  EXPECT_NEAR(outdoor.outdoor()->lon, 72.75f, 1e-4f);
  EXPECT_EQ(outdoor.outdoor()->alt, 0.0f);

  EXPECT_EQ(at(0, 0, 0).to_world_coords(), outdoor_at(-102.0f, -102.0f, 0.0f));
  EXPECT_EQ(at(0x7F7F0000, 96, 96, -5).to_world_coords(), outdoor_at(0.0f, 0.0f, -5.0f));
  // The north-east edge of the world.
  const WorldCoordinates north_east = at(0xFFFF0040, 192, 192).to_world_coords();
  const auto* edge = north_east.outdoor();
  ASSERT_NE(edge, nullptr);
  EXPECT_NEAR(edge->lat, 102.8f, 1e-4f);
  EXPECT_NEAR(edge->lon, 102.8f, 1e-4f);
}

TEST(WorldCoordinates, EqualityNeedsTheSameVariantAndFields) {
  using C = WorldCoordinates;
  EXPECT_EQ(C{C::Indoor{0x100}}, C{C::Indoor{0x100}});
  EXPECT_NE(C{C::Indoor{0x100}}, C{C::Indoor{0x101}});
  EXPECT_NE(C{C::Indoor{0}}, outdoor_at(0, 0, 0));
  EXPECT_EQ(outdoor_at(0.0f, 1, 2), outdoor_at(-0.0f, 1, 2));
  EXPECT_NE(outdoor_at(0.0f, 1, 2), outdoor_at(0.0f, 1, 3));
  const C lost = outdoor_at(1, kNaN, 2);
  EXPECT_NE(lost, lost);
}

TEST(WorldCoordinates, DefaultIsIndoorCellZero) {
  static_assert(std::is_default_constructible_v<WorldCoordinates>);
  const WorldCoordinates c;
  EXPECT_EQ(c, WorldCoordinates{WorldCoordinates::Indoor{0}});
  EXPECT_EQ(WorldCoordinates::Outdoor{}, (WorldCoordinates::Outdoor{0.0f, 0.0f, 0.0f}));
}

TEST(WorldCoordinates, DebugText) {
  const WorldCoordinates indoor{WorldCoordinates::Indoor{0x100}};
  const WorldCoordinates outdoor = at(0xDA550000, 84, 108, 0).to_world_coords();
  EXPECT_EQ(debug_string(indoor), "Indoor { landblock: 256 }");
  EXPECT_EQ(debug_string(outdoor), "Outdoor { lat: -33.550003, lon: 72.75, alt: 0.0 }");
  EXPECT_EQ(debug_string(*outdoor.outdoor()), debug_string(outdoor));
  EXPECT_EQ(debug_string(WorldCoordinates{WorldCoordinates::Indoor{0xFFFF}}),
            "Indoor { landblock: 65535 }");
  std::ostringstream os;
  os << *indoor.indoor() << " / " << *outdoor.outdoor();
  EXPECT_EQ(os.str(), "Indoor { landblock: 256 } / Outdoor { lat: -33.550003, lon: 72.75, alt: 0.0 }");
}

TEST(MapText, ReadsAsThePlayerSeesIt) {
  const WorldCoordinates c = at(0xDA550000, 84, 108, 0).to_world_coords();
  EXPECT_EQ(c.to_string_with_precision(0), "34S, 73E, 0.0Z");
  EXPECT_EQ(c.to_string_with_precision(1), "33.5S, 72.7E, 0.0Z");
  EXPECT_EQ(c.to_string_with_precision(2), "33.55S, 72.75E, 0.0Z");
  EXPECT_EQ(c.to_string_with_precision(3), "33.550S, 72.750E, 0.0Z");
  std::ostringstream os;
  os << std::setw(40) << c;
  EXPECT_EQ(os.str(), "33.5S, 72.7E, 0.0Z");

  const WorldCoordinates corner = at(0, 0, 0).to_world_coords();
  EXPECT_EQ(corner.to_string_with_precision(2), "102.00S, 102.00W, 0.0Z");
  EXPECT_EQ(corner.to_string_with_precision(1), "101.9S, 101.9W, 0.0Z");
  EXPECT_EQ(at(0x7F7F0000, 96, 96, -5).to_world_coords().to_string_with_precision(2),
            "0.00N, 0.00E, -5.0Z");
}

TEST(MapText, IndoorIgnoresThePrecision) {
  for (std::size_t precision : {0u, 1u, 2u, 9u, 10000u}) {
    EXPECT_EQ(WorldCoordinates{WorldCoordinates::Indoor{0x100}}.to_string_with_precision(precision),
              "Indoors [0100]");
    EXPECT_EQ(WorldCoordinates{WorldCoordinates::Indoor{0x1AD}}.to_string_with_precision(precision),
              "Indoors [01AD]");
  }
  EXPECT_EQ(WorldCoordinates{WorldCoordinates::Indoor{0xBEEF}}.to_string_with_precision(SIZE_MAX),
            "Indoors [BEEF]");
  std::ostringstream os;
  os << WorldCoordinates{WorldCoordinates::Indoor{0xABCD}};
  EXPECT_EQ(os.str(), "Indoors [ABCD]");
}

TEST(MapText, SmallMagnitudesAtOneDigitNeverReadNegative) {
  EXPECT_EQ(map_text(0.0f, -0.0f, 0, 1), "0.0N, 0.0E, 0.0Z");
  EXPECT_EQ(map_text(-0.01f, 0.049f, 0, 1), "0.0S, 0.0E, 0.0Z");
  EXPECT_EQ(map_text(0.05f, -0.05f, 0, 1), "0.0N, 0.0W, 0.0Z");
  EXPECT_EQ(map_text(-std::numeric_limits<float>::denorm_min(), 0.0f, 0, 1), "0.0S, 0.0E, 0.0Z");
  // Past the shift the digits appear, leaning downwards: 0.19 - 0.05 rounds
  // to 0.1, while 0.2 - 0.05 is a little above the tie 0.15.
  EXPECT_EQ(map_text(0.2f, -0.19f, 0, 1), "0.2N, 0.1W, 0.0Z");
  // Other precisions print the magnitude as it is.
  EXPECT_EQ(map_text(-0.01f, 0.01f, 0, 2), "0.01S, 0.01E, 0.0Z");
  EXPECT_EQ(map_text(-0.004f, 0.004f, 0, 0), "0S, 0E, 0.0Z");
}

TEST(MapText, NonFiniteValues) {
  EXPECT_EQ(map_text(kInf, -kInf, kInf, 1), "infN, infW, infZ");
  EXPECT_EQ(map_text(kNaN, -kNaN, -kInf, 2), "nanS, nanW, -infZ");
  EXPECT_EQ(map_text(1.0f, 2.0f, -kNaN, 0), "1N, 2E, nanZ");
  // The altitude keeps its own sign, also when it rounds to zero.
  EXPECT_EQ(map_text(1.0f, 2.0f, -0.0f, 0), "1N, 2E, -0.0Z");
  EXPECT_EQ(map_text(1.0f, 2.0f, -0.04f, 0), "1N, 2E, -0.0Z");
  // The longest text form fits its buffer.
  const float big = std::numeric_limits<float>::max();
  std::ostringstream os;
  os << outdoor_at(-big, -big, -big);
  const std::string digits = printf_fixed(big - 0.05f, 1);
  EXPECT_EQ(os.str(), digits + "S, " + digits + "W, -" + digits + "Z");
}

// The hemisphere letters follow the signs, and no magnitude reads negative.
TEST(MapText, LettersFollowTheSignsOnRandomCoordinates) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<std::uint32_t> any_bits;
  std::uniform_real_distribution<float> degrees(-0.3f, 0.3f);
  for (int i = 0; i < 20000; ++i) {
    const bool small = i % 2 == 0;
    const float lat = small ? degrees(rng) : std::bit_cast<float>(any_bits(rng));
    const float lon = small ? -degrees(rng) : std::bit_cast<float>(any_bits(rng));
    const std::size_t precision = static_cast<std::size_t>(i % 4);
    const std::string text = map_text(lat, lon, 0.0f, precision);
    if (precision == 1) {  // the text form, written from its own buffer
      std::ostringstream os;
      os << outdoor_at(lat, lon, -std::abs(lon));
      EXPECT_EQ(os.str(), map_text(lat, lon, -std::abs(lon), 1));
    }
    const auto first_letter = text.find_first_of("NS");
    const auto comma = text.find(", ");
    ASSERT_EQ(first_letter + 1, comma) << text;
    EXPECT_EQ(text[first_letter], lat >= 0.0f ? 'N' : 'S') << text;
    const auto second_letter = text.find_first_of("EW", comma);
    EXPECT_EQ(text[second_letter], lon >= 0.0f ? 'E' : 'W') << text;
    EXPECT_NE(text[0], '-') << text;
    EXPECT_NE(text[comma + 2], '-') << text;
  }
}

// The whole outdoor text against printf, with the shift computed here.
TEST(MapText, MatchesPrintfOfTheDisplayedValues) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> degrees(-110.0f, 110.0f);
  for (int i = 0; i < 5000; ++i) {
    const float lat = degrees(rng);
    const float lon = degrees(rng);
    const float alt = degrees(rng) * 100.0f;
    for (std::size_t precision : {0u, 1u, 2u, 3u, 6u, 40u}) {
      float shown_lat = std::fabs(lat);
      float shown_lon = std::fabs(lon);
      if (precision == 1) {
        shown_lat = std::max(shown_lat - std::bit_cast<float>(0x3D4CCCCDu), 0.0f);
        shown_lon = std::max(shown_lon - std::bit_cast<float>(0x3D4CCCCDu), 0.0f);
      }
      const std::string expected = printf_fixed(shown_lat, precision) + (lat >= 0 ? "N, " : "S, ") +
                                   printf_fixed(shown_lon, precision) + (lon >= 0 ? "E, " : "W, ") +
                                   printf_fixed(alt, 1) + "Z";
      ASSERT_EQ(map_text(lat, lon, alt, precision), expected);
    }
  }
}

TEST(MapText, ImpossiblePrecisionsThrowLengthError) {
  const WorldCoordinates c = outdoor_at(-33.55f, 72.75f, 0.0f);
  EXPECT_THROW((void)c.to_string_with_precision(SIZE_MAX), std::length_error);
  EXPECT_THROW((void)c.to_string_with_precision(SIZE_MAX / 2), std::length_error);
  EXPECT_THROW((void)c.to_string_with_precision(std::string{}.max_size() / 2), std::length_error);
  // Beyond int, where printf-style precisions end, the text is still exact.
  const std::string large = c.to_string_with_precision(70000);
  EXPECT_EQ(large.size(), 2 * (2 + 1 + 70000) + 2 * 3 + 3 + 1);
  EXPECT_EQ(large.substr(0, 6), "33.549");
}

// ---- fixed-point text -----------------------------------------------------------

std::vector<float> fixed_samples() {
  std::vector<float> values = {0.0f, -0.0f, 0.5f, -0.5f, 1.5f, 2.5f, 0.125f, 0.375f, -0.625f,
                               9.5f, 99.95f, 9.96f, 0.05f, 33.55f, -33.550003f, 72.75f, 1e-45f,
                               -1.1754944e-38f, 8589934592.0f, 8589934591.0f, 1.7179869e10f,
                               16777215.0f, 4294967296.0f, 3.4028235e38f, -3.4028235e38f,
                               0.0009765625f, 1e9f, 999999.94f};
  // Exact ties at every precision up to 9: odd multiples of 2^-k round at k-1.
  for (int k = 1; k <= 12; ++k) {
    for (int m = 1; m < 64; m += 2) values.push_back(std::ldexp(static_cast<float>(m), -k));
  }
  // Each binade's first and last patterns, both signs: powers of two, their
  // neighbours, the subnormals' ends and the largest float.
  for (std::uint32_t binade = 0; binade < 255; ++binade) {
    for (std::uint32_t step = 0; step < 3; ++step) {
      for (const std::uint32_t sign : {0u, 0x80000000u}) {
        values.push_back(std::bit_cast<float>(sign | (binade << 23) | step));
        values.push_back(std::bit_cast<float>(sign | (binade << 23) | (0x7FFFFFu - step)));
      }
    }
  }
  std::mt19937 rng(42);
  std::uniform_int_distribution<std::uint32_t> any_bits;
  std::uniform_real_distribution<float> world(-1000.0f, 1000.0f);
  for (int i = 0; i < 3000; ++i) {
    const float v = std::bit_cast<float>(any_bits(rng));
    if (std::isfinite(v)) values.push_back(v);
    values.push_back(world(rng));
  }
  return values;
}

TEST(FixedText, MatchesPrintfForEveryPrecision) {
  const std::vector<float> values = fixed_samples();
  for (std::size_t precision :
       {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 10u, 17u, 19u, 40u, 149u, 150u, 200u}) {
    for (const float v : values) {
      const std::string expected = printf_fixed(v, precision);
      ASSERT_EQ(write_fixed(v, precision), expected) << bits(v) << " at " << precision;
      ASSERT_EQ(write_fixed(v, precision, true), expected) << bits(v) << " at " << precision;
    }
  }
  for (std::size_t i = 0; i < values.size(); i += 7) {
    ASSERT_EQ(write_fixed(values[i], 10000), printf_fixed(values[i], 10000)) << bits(values[i]);
  }
}

TEST(FixedText, NonFiniteValues) {
  EXPECT_EQ(write_fixed(kInf, 3), "inf");
  EXPECT_EQ(write_fixed(-kInf, 0), "-inf");
  EXPECT_EQ(write_fixed(kNaN, 200), "nan");
  EXPECT_EQ(write_fixed(-kNaN, 1), "nan");
  EXPECT_EQ(write_fixed(std::bit_cast<float>(0xFFC00001u), 1, true), "nan");
}

}  // namespace
