// Map text read back into coordinates and located as a position.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "corvane/position.hpp"
#include "case_table.hpp"
#include "text/decimal_to_float.hpp"

namespace {

using corvane::Guid;
using corvane::LANDBLOCK_LENGTH;
using corvane::MapTextError;
using corvane::Quaternion;
using corvane::Vector3;
using corvane::WorldCoordinates;
using corvane::WorldPosition;
using Part = MapTextError::Part;

std::uint32_t bits(float v) {
  return std::bit_cast<std::uint32_t>(v);
}

// The C library's strtof is correctly rounded: the reference for digit
// strings of every length, above all those at or next to the halfway point
// between two floats. `mantissa` is "d.ddd", the value mantissa * 10^exponent.
void expect_strtof(std::string mantissa, int exponent) {
  const std::string text = mantissa + "e" + std::to_string(exponent);
  const std::size_t point = mantissa.find('.');
  const auto fraction =
      static_cast<std::int64_t>(point == std::string::npos ? 0 : mantissa.size() - point - 1);
  if (point != std::string::npos) mantissa.erase(point, 1);
  const float got = corvane::detail::decimal_to_float({{mantissa, {}, {}}, exponent - fraction});
  EXPECT_EQ(bits(got), bits(std::strtof(text.c_str(), nullptr))) << text;
}

TEST(DecimalToFloat, AgreesWithStrtof) {
  for (const auto& [m, e] : {std::pair{"0", 0},
                             {"000", 5},
                             {"3.4028235", 38},
                             {"3.4028236", 38},
                             {"1", 39},
                             {"7.006", -46},
                             {"7.007", -46},
                             {"1.4", -45},
                             {"1", -46}}) {
    expect_strtof(m, e);
  }
  std::mt19937_64 rng(16);
  for (int i = 0; i < 20000; ++i) {
    // A float's halfway point to its upper neighbour, every digit (glibc
    // prints them exactly), then nudged down in its last digit or just above.
    const float f = std::bit_cast<float>(static_cast<std::uint32_t>(rng() % 0x7F7FFFFFu));
    char exact[200];
    std::snprintf(exact, sizeof exact, "%.120e",
                  (double{f} + double{std::nextafter(f, 1.0f + f * 2)}) / 2);
    std::string mantissa(exact, std::strchr(exact, 'e'));
    const int exponent = std::atoi(std::strchr(exact, 'e') + 1);
    while (mantissa.back() == '0') mantissa.pop_back();
    expect_strtof(mantissa, exponent);
    expect_strtof(mantissa + "000000000000000000001", exponent);
    if (mantissa.back() != '.') {
      --mantissa.back();
      expect_strtof(mantissa, exponent);
    }
    // And random digit strings.
    std::string random = std::to_string(rng() % 10) + ".";
    for (std::uint64_t n = rng() % 60; n-- > 0;) random += static_cast<char>('0' + rng() % 10);
    expect_strtof(random, static_cast<int>(rng() % 88) - 48);
  }
}

WorldCoordinates outdoor(float lat, float lon, float alt) {
  return WorldCoordinates{WorldCoordinates::Outdoor{lat, lon, alt}};
}

// Every case of the shared table: what is read (or why not, and where), the
// digits it was written with, and the position it locates.
TEST(MapText, GivesTheSharedTablesAnswers) {
  using corvane::test::table_float;
  using corvane::test::table_hex;
  static constexpr std::string_view kPartNames[] = {"map text", "latitude", "longitude",
                                                    "altitude", "indoor cell"};
  const auto table = corvane::test::load_case_table("map_text.json");
  ASSERT_GE(table.at("cases").size(), 40u);
  for (const auto& c : table.at("cases")) {
    const std::string text = c.at("text").get<std::string>();
    SCOPED_TRACE(text);
    const corvane::ParsedMapText parsed = WorldCoordinates::parse(text);
    EXPECT_EQ(WorldCoordinates::from_string(text), parsed.coordinates);
    if (c.contains("error")) {
      const auto& error = c.at("error");
      ASSERT_FALSE(parsed.coordinates);
      EXPECT_EQ(kPartNames[static_cast<int>(parsed.error.part)], error.at("part").get<std::string>());
      EXPECT_EQ(parsed.error.reason, error.at("reason").get<std::string>());
      EXPECT_EQ(parsed.error.offset, error.at("offset").get<std::size_t>());
      continue;
    }
    ASSERT_TRUE(parsed.coordinates) << parsed.error.message();
    EXPECT_TRUE(parsed.error.reason.empty());
    if (c.contains("indoor")) {
      EXPECT_EQ(*parsed.coordinates,
                WorldCoordinates{WorldCoordinates::Indoor{
                    static_cast<std::uint16_t>(table_hex(c.at("indoor")))}});
    } else {
      const WorldCoordinates::Outdoor& read = *parsed.coordinates->outdoor();
      EXPECT_EQ(bits(read.lat), bits(table_float(c.at("lat"))));
      EXPECT_EQ(bits(read.lon), bits(table_float(c.at("lon"))));
      EXPECT_EQ(bits(read.alt), bits(table_float(c.at("alt"))));
      EXPECT_EQ(parsed.lat_precision, c.at("lat_precision").get<std::size_t>());
      EXPECT_EQ(parsed.lon_precision, c.at("lon_precision").get<std::size_t>());
    }
    const auto located = WorldPosition::from_world_coords(*parsed.coordinates);
    if (c.at("located").is_null()) {
      EXPECT_FALSE(located);
    } else {
      ASSERT_TRUE(located);
      const auto& p = c.at("located");
      EXPECT_EQ(located->landblock_id.raw, table_hex(p.at("id")));
      EXPECT_EQ(bits(located->coords.x), bits(table_float(p.at("x"))));
      EXPECT_EQ(bits(located->coords.y), bits(table_float(p.at("y"))));
      EXPECT_EQ(bits(located->coords.z), bits(table_float(p.at("z"))));
    }
  }
  EXPECT_EQ(WorldCoordinates::parse("33.5S, 72.7N").error.message(),
            "longitude: expected E or W: longitude comes second (at character 12)");
}

// Near the middle of each band: inside the world a text reads as the value of
// the position nearest the middle of its band, which lies within a step of the
// positions' values (under 2^-16 degrees) of that middle; outside, the float
// nearest it.
TEST(MapText, ReadsTheMiddleOfTheBand) {
  struct Case {
    const char* text;
    float lat, lon;
  };
  const Case cases[] = {
      {"33.55S, 72.75E, 0.0Z", -33.55f, 72.75f}, {"33.5S, 72.7E, 0.0Z", -33.55f, 72.75f},
      {"0N, 0.00W, -0.0Z", 0.25f, -0.0025f},     {"0.0S, 0.0E", -0.05f, 0.05f},
      {"103N, 102W", 102.65f, -101.75f},         {"102.7N, 101.9W", 102.75f, -101.95f},
      {"102.0S, 0E", -102.05f, 0.25f},           {"500.5N, 99999.99E", 500.55f, 99999.99f},
  };
  for (const Case& c : cases) {
    const auto read = WorldCoordinates::from_string(c.text);
    ASSERT_TRUE(read) << c.text;
    EXPECT_NEAR(read->outdoor()->lat, c.lat, 1e-5f) << c.text;
    EXPECT_NEAR(read->outdoor()->lon, c.lon, 1e-5f) << c.text;
  }
}

WorldPosition at(std::uint32_t id, float x, float y, float z) {
  return {Guid{id}, Vector3{x, y, z}, Quaternion::identity()};
}

// The defining property: every outdoor position, printed at precision k, read
// and located, prints the same text, and the located position is normalised.
void expect_round_trip(const WorldPosition& p, std::size_t k) {
  const std::string text = p.to_world_coords().to_string_with_precision(k);
  const auto coordinates = WorldCoordinates::from_string(text);
  ASSERT_TRUE(coordinates) << text;
  const auto located = WorldPosition::from_world_coords(*coordinates);
  ASSERT_TRUE(located) << text << " from " << p;
  EXPECT_EQ(located->to_world_coords().to_string_with_precision(k), text)
      << p << " -> " << *located;
  EXPECT_EQ(*located, located->rebucket_outdoor_landblock().normalize_outdoor_cell()) << *located;
  EXPECT_EQ(located->rotation, Quaternion::identity());
  // Coordinates anywhere (far outside the world too) read back as they print.
  const WorldCoordinates far{
      WorldCoordinates::Outdoor{p.coords.x * 500, -p.coords.y / 7, p.coords.z}};
  EXPECT_EQ(
      WorldCoordinates::from_string(far.to_string_with_precision(k))->to_string_with_precision(k),
      far.to_string_with_precision(k));
}

TEST(MapText, EveryPositionsTextLocatesToAPositionWithTheSameText) {
  const float last = std::nextafter(LANDBLOCK_LENGTH, 0.0f);
  const float offsets[] = {0.0f, 1e-30f, 0.3f, 23.99f, 24.0f, 95.999f, 96.0f, 100.7f, 191.5f, last};
  for (std::uint32_t landblock = 0; landblock < 256; ++landblock) {
    const std::uint32_t other = (landblock * 37 + 11) % 256;
    for (const float offset : offsets) {
      for (std::size_t k = 0; k <= 6; ++k) {
        expect_round_trip(at((landblock << 24) | (other << 16) | 1u, offset, last - offset, 5.5f),
                          k);
        expect_round_trip(at((other << 24) | (landblock << 16), offset / 3, offset, -0.04f), k);
      }
    }
  }
  std::mt19937 rng(1608);
  std::uniform_int_distribution<std::uint32_t> landblock(0, 255);
  std::uniform_real_distribution<float> offset(0.0f, LANDBLOCK_LENGTH);
  std::uniform_real_distribution<float> height(-2000.0f, 2000.0f);
  for (int i = 0; i < 100000; ++i) {
    const std::uint32_t id = (landblock(rng) << 24) | (landblock(rng) << 16) | (i & 0x3F);
    expect_round_trip(at(id, offset(rng), offset(rng), height(rng)),
                      static_cast<std::size_t>(i % 7));
  }
}

// Global metres along y as a position, for measuring the band of a text.
WorldPosition at_metres(double metres) {
  const double landblock = std::min(255.0, std::floor(metres / LANDBLOCK_LENGTH));
  const float offset = std::min(static_cast<float>(metres - landblock * LANDBLOCK_LENGTH),
                                std::nextafter(LANDBLOCK_LENGTH, 0.0f));
  return at(0x80000001u | (static_cast<std::uint32_t>(landblock) << 16), 10.0f, offset, 0.0f);
}

// The band of positions that print a text, measured by bisection along y
// from a position inside it; the located position lies in its middle.
TEST(MapText, LocatesTheMiddleOfTheBandThatPrintsTheText) {
  const double world = 256.0 * LANDBLOCK_LENGTH;
  std::mt19937 rng(33);
  std::uniform_real_distribution<double> metres(0.0, world);
  std::vector<double> starts = {0.0, 1.0, 24470.0, 24480.0, 24490.0, world - 1.0, world};
  for (int i = 0; i < 300; ++i) starts.push_back(metres(rng));
  for (std::size_t k = 0; k <= 3; ++k) {
    const double width = 240.0 * std::pow(10.0, -static_cast<double>(k));
    for (const double start : starts) {
      const std::string text = at_metres(start).to_world_coords().to_string_with_precision(k);
      const auto prints_text = [&](double m) {
        return at_metres(m).to_world_coords().to_string_with_precision(k) == text;
      };
      // The last metre coordinate that still prints the text, inside the world.
      const auto edge = [&](double direction) {
        double inside = start;
        double outside = std::clamp(start + direction * 2 * width, 0.0, world);
        if (prints_text(outside)) return outside;
        for (int step = 0; step < 60; ++step) {
          const double middle = (inside + outside) / 2;
          (prints_text(middle) ? inside : outside) = middle;
        }
        return inside;
      };
      const double middle = (edge(-1) + edge(1)) / 2;
      const auto located = WorldPosition::from_world_coords(*WorldCoordinates::from_string(text));
      ASSERT_TRUE(located) << text;
      const double got = located->global_coords().y;
      // The float resolution of world metres (2^-8 m up there) blurs the edges.
      EXPECT_NEAR(got, middle, 0.01 + width * 1e-3) << text << " at precision " << k;
    }
  }
}

TEST(MapText, LocatesOnlyOutdoorCoordinatesInsideTheWorld) {
  const WorldCoordinates cellar{WorldCoordinates::Indoor{0x100}};
  EXPECT_FALSE(WorldPosition::from_world_coords(cellar));
  EXPECT_EQ(cellar.degrees_outside_world(), 0.0f);
  // The corners (102S 102W, and the largest value a position shows) and map
  // coordinates 0, 0 at offset (96, 96) of landblock (127, 127).
  const float high = at(0xFFFF0001, 191.99999f, 191.99999f, 0).to_world_coords().outdoor()->lat;
  EXPECT_EQ(*WorldPosition::from_world_coords(outdoor(-102.0f, -102.0f, 7.0f)),
            at(0x00000001, 0, 0, 7.0f));
  EXPECT_EQ(WorldPosition::from_world_coords(outdoor(high, high, 0))->to_world_coords(),
            outdoor(high, high, 0));
  EXPECT_EQ(*WorldPosition::from_world_coords(outdoor(0, 0, 0)), at(0x7F7F0025, 96.0f, 96.0f, 0));
  // Just outside, and how far; NaN is nowhere.
  const float below = std::nextafter(-102.0f, -200.0f);
  EXPECT_FALSE(WorldPosition::from_world_coords(outdoor(below, 0, 0)));
  EXPECT_FALSE(WorldPosition::from_world_coords(outdoor(0, std::nextafter(high, 200.0f), 0)));
  EXPECT_EQ(outdoor(below, 0, 0).degrees_outside_world(), -102.0f - below);
  EXPECT_EQ(outdoor(110.0f, -105.0f, 0).degrees_outside_world(), 110.0f - high);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_TRUE(std::isnan(outdoor(nan, 0, 0).degrees_outside_world()));
  EXPECT_FALSE(WorldPosition::from_world_coords(outdoor(0, nan, 0)));
}

}  // namespace
