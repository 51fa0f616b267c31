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
using corvane::OutdoorCellCoords;
using corvane::outdoor_cell_coords;
using corvane::outdoor_cell_id;

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

WorldCoordinates outdoor_at(float lat, float lon, float alt) {
  return {WorldCoordinates::Outdoor{lat, lon, alt}};
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

TEST(OutdoorCell, ColumnAndRowOfEachCell) {
  // Every column and row is a cell's, each cell's the one it was made from,
  // and the centre of cell (x, y) derives that cell.
  std::vector<bool> seen(65);
  for (std::uint8_t x = 0; x < 8; ++x) {
    for (std::uint8_t y = 0; y < 8; ++y) {
      const std::uint32_t cell = outdoor_cell_id({x, y});
      ASSERT_TRUE(cell >= 1 && cell <= 64 && !seen[cell]) << cell;
      seen[cell] = true;
      EXPECT_EQ(outdoor_cell_coords(cell), (OutdoorCellCoords{x, y}));
      const float centre_x = CELL_LENGTH * (static_cast<float>(x) + 0.5f);
      const float centre_y = CELL_LENGTH * (static_cast<float>(y) + 0.5f);
      EXPECT_EQ(at(0x12340000, centre_x, centre_y).derived_outdoor_cell_id(), cell);
    }
  }
  for (const std::uint32_t other : {0u, 65u, 0x100u, 0xFFFFu, 0xFFFFFFFFu}) {
    EXPECT_EQ(outdoor_cell_coords(other), std::nullopt) << other;
  }
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

}  // namespace
