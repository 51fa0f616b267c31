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

// Inside the world a text reads as the value of the position nearest the
// middle of its band, which lies within a step of the positions' values
// (under 2^-16 degrees) of that middle; outside, as the float nearest it.
TEST(MapText, ReadsWhatIsWrittenAndWhatPeopleType) {
  struct Case {
    const char* text;
    float lat, lon, alt;  // the middle of the band
    std::size_t lat_precision, lon_precision;
  };
  const Case cases[] = {
      // Two digits and more: the decimal itself; one digit: the middle of
      // the band it leans down from; no digits: the decimal.
      {"33.55S, 72.75E, 0.0Z", -33.55f, 72.75f, 0.0f, 2, 2},
      {"33.5S, 72.7E, 0.0Z", -33.55f, 72.75f, 0.0f, 1, 1},
      {"42N, 33E, 94.0Z", 42.0f, 33.0f, 94.0f, 0, 0},
      {"12.345678N, 0.000001W, -5.25Z", 12.345678f, -0.000001f, -5.25f, 6, 6},
      // What people type: no altitude, blanks or nothing between the parts,
      // lower case, blanks around, mixed precisions.
      {"33.5 S,72.75 W , 12 z", -33.55f, -72.75f, 12.0f, 1, 2},
      {" 0033.55s72.75e-1.5Z\t", -33.55f, 72.75f, -1.5f, 2, 2},
      // Zero before its letter: the half band on its side; -0.0 altitude kept.
      {"0N, 0.00W, -0.0Z", 0.25f, -0.0025f, -0.0f, 0, 2},
      {"0.0S, 0.0E", -0.05f, 0.05f, 0.0f, 1, 1},
      // The world's edge: the middle of the part of the band inside it.
      {"103N, 102W", 102.65f, -101.75f, 0.0f, 0, 0},
      {"102.7N, 101.9W", 102.75f, -101.95f, 0.0f, 1, 1},
      // No position prints "102.0S" (the corner prints 101.9S): the plain
      // middle, outside the world.
      {"102.0S, 0E", -102.05f, 0.25f, 0.0f, 1, 0},
      // Outside the world: map coordinates all the same.
      {"500.5N, 99999.99E", 500.55f, 99999.99f, 0.0f, 1, 2},
      {"0.01234567891S, 1000.00W, 1000.0z", -0.01234567891f, -1000.0f, 1000.0f, 11, 2},
  };
  for (const Case& c : cases) {
    const corvane::ParsedMapText parsed = WorldCoordinates::parse(c.text);
    ASSERT_TRUE(parsed.coordinates) << c.text << ": " << parsed.error.message();
    const WorldCoordinates::Outdoor& read = *parsed.coordinates->outdoor();
    EXPECT_NEAR(read.lat, c.lat, 1e-5f) << c.text;
    EXPECT_NEAR(read.lon, c.lon, 1e-5f) << c.text;
    EXPECT_EQ(bits(read.alt), bits(c.alt)) << c.text;
    EXPECT_EQ(parsed.lat_precision, c.lat_precision) << c.text;
    EXPECT_EQ(parsed.lon_precision, c.lon_precision) << c.text;
    EXPECT_EQ(WorldCoordinates::from_string(c.text), parsed.coordinates) << c.text;
    // Inside the world, where positions print the text: exactly what the
    // located position shows.
    const auto p = WorldPosition::from_world_coords(*parsed.coordinates);
    if (p && c.lat_precision < 6 && c.lon_precision < 6) {
      EXPECT_EQ(p->to_world_coords(), *parsed.coordinates) << c.text;
    }
  }
  // Outside the world, or with more digits than positions' values have: the
  // float nearest the middle.
  EXPECT_EQ(WorldCoordinates::from_string("500.5N, 0.01234567891W"),
            outdoor(500.55f, -0.01234567891f, 0));
  for (const char* text : {"Indoors [01AD]", " indoors[ 1ad ] "}) {
    EXPECT_EQ(WorldCoordinates::from_string(text),
              WorldCoordinates{WorldCoordinates::Indoor{0x01AD}})
        << text;
  }
}

TEST(MapText, RejectsAnythingElseSayingWhereAndWhy) {
  struct Case {
    const char* text;
    Part part;
    std::size_t offset;
  };
  const Case cases[] = {
      {"", Part::Text, 0},
      {"-33.5, 72.7", Part::Latitude, 0},
      {"33.5, 72.7", Part::Latitude, 4},
      {"72.7E, 33.5S", Part::Latitude, 4},
      {"33.5S, 72.7N", Part::Longitude, 11},
      {"33.S, 72.7E", Part::Latitude, 3},
      {"infS, 72.7E", Part::Latitude, 0},
      {"100000N, 1E", Part::Latitude, 0},
      {"85 N99999.999999980W", Part::Longitude, 4},
      {"33.5S, 72.7E, 5", Part::Altitude, 15},
      {"33.5S, 72.7E, 9999999999999999999999999999999999999999Z", Part::Altitude, 14},
      {"33.5S, 72.7E, 0.0Z x", Part::Text, 19},
      {"33.5S, 72.7E, +1.0Z", Part::Altitude, 14},
      {"Indoors 01AD", Part::Indoor, 8},
      {"Indoors [101AD]", Part::Indoor, 9},
  };
  for (const Case& c : cases) {
    const corvane::ParsedMapText parsed = WorldCoordinates::parse(c.text);
    EXPECT_FALSE(parsed.coordinates) << c.text;
    EXPECT_EQ(parsed.error.part, c.part) << c.text << ": " << parsed.error.message();
    EXPECT_EQ(parsed.error.offset, c.offset) << c.text << ": " << parsed.error.message();
    EXPECT_FALSE(WorldCoordinates::from_string(c.text)) << c.text;
  }
  EXPECT_EQ(WorldCoordinates::parse("33.5S, 72.7N").error.message(),
            "longitude: expected E or W: longitude comes second (at character 12)");
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
