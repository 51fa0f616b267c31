// Map text read back into coordinates and located as a position.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "corvane/position.hpp"
#include "decimal_to_float.hpp"

namespace {

using corvane::Guid;
using corvane::LANDBLOCK_LENGTH;
using corvane::MapTextError;
using corvane::Quaternion;
using corvane::Vector3;
using corvane::WorldCoordinates;
using corvane::WorldPosition;
using Part = MapTextError::Part;

std::uint32_t bits(float v) { return std::bit_cast<std::uint32_t>(v); }

float read_decimal(const std::string& digits, std::int64_t exponent) {
  return corvane::detail::decimal_to_float({{digits, {}, {}}, exponent});
}

// The C library's strtof is correctly rounded: the reference for every digit
// string, long ones and those at the halfway point between two floats above all.
TEST(DecimalToFloat, AgreesWithStrtof) {
  std::mt19937_64 rng(16);
  std::vector<std::string> texts = {"0", "000", "1", "0.5", "3.4028235e38", "3.4028236e38",
                                    "1e39", "7.006e-46", "7.007e-46", "1.4e-45", "1e-46"};
  for (int i = 0; i < 20000; ++i) {
    // A float's halfway point to its upper neighbour, written exactly (glibc
    // prints every digit), then as is, nudged in its last digit, or extended.
    const float f = std::bit_cast<float>(static_cast<std::uint32_t>(rng() % 0x7F7FFFFFu));
    const double halfway = (double{f} + double{std::nextafter(f, std::numeric_limits<float>::infinity())}) / 2;
    char exact[200];
    std::snprintf(exact, sizeof exact, "%.120e", halfway);
    std::string text(exact);
    const std::size_t e = text.find('e');
    std::string mantissa = text.substr(0, e);
    while (mantissa.back() == '0') mantissa.pop_back();
    const std::string exponent = text.substr(e);
    texts.push_back(mantissa + exponent);
    texts.push_back(mantissa + "0000000000000000000000001" + exponent);
    std::string below = mantissa;
    if (below.back() != '.' && below.back() != '0') --below.back();
    texts.push_back(below + exponent);
    // And plain random digit strings of every length.
    std::string random = std::to_string(rng() % 1000) + ".";
    for (std::uint64_t n = rng() % 60; n-- > 0;) random += static_cast<char>('0' + rng() % 10);
    texts.push_back(random + "e" + std::to_string(static_cast<int>(rng() % 90) - 60));
  }
  for (const std::string& text : texts) {
    // Split into digits and a power of ten for the reader.
    std::string digits;
    std::int64_t exponent = 0;
    std::size_t i = 0;
    bool after_point = false;
    for (; i < text.size() && text[i] != 'e'; ++i) {
      if (text[i] == '.') {
        after_point = true;
      } else {
        digits += text[i];
        exponent -= after_point ? 1 : 0;
      }
    }
    if (i < text.size()) exponent += std::stoll(text.substr(i + 1));
    EXPECT_EQ(bits(read_decimal(digits, exponent)), bits(std::strtof(text.c_str(), nullptr))) << text;
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
      {"33.5S, 72.7E", -33.55f, 72.75f, 0.0f, 1, 1},
      {"  33.5s 72.7e\t", -33.55f, 72.75f, 0.0f, 1, 1},
      {"33.5 S,72.75 W , 12 z", -33.55f, -72.75f, 12.0f, 1, 2},
      {"33.55S72.75E-1.5Z", -33.55f, 72.75f, -1.5f, 2, 2},
      {"0033.50S, 72.75E, 0.0Z", -33.5f, 72.75f, 0.0f, 2, 2},
      // Zero before its letter: the half band on its side; -0.0 altitude kept.
      {"0N, 0.00W, -0.0Z", 0.25f, -0.0025f, -0.0f, 0, 2},
      {"0.0S, 0.0E", -0.05f, 0.05f, 0.0f, 1, 1},
      // The world's edge: the middle of the part of the band inside it.
      {"103N, 102W", 102.65f, -101.75f, 0.0f, 0, 0},
      {"102.7N, 101.9W", 102.75f, -101.95f, 0.0f, 1, 1},
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
  // Outside the world, or with more digits than any position's value has,
  // the float nearest the middle.
  EXPECT_EQ(WorldCoordinates::from_string("500.5N, 99999.99E"), outdoor(500.55f, 99999.99f, 0.0f));
  EXPECT_EQ(WorldCoordinates::from_string("0.01234567891S, 1000.00W"),
            outdoor(-0.01234567891f, -1000.0f, 0.0f));
  for (const char* text : {"Indoors [01AD]", " indoors[ 1ad ] ", "INDOORS [1AD]"}) {
    EXPECT_EQ(WorldCoordinates::from_string(text), WorldCoordinates{WorldCoordinates::Indoor{0x01AD}}) << text;
  }
  EXPECT_EQ(WorldCoordinates::from_string("Indoors [FFFF]"), WorldCoordinates{WorldCoordinates::Indoor{0xFFFF}});
}

TEST(MapText, RejectsAnythingElseSayingWhereAndWhy) {
  struct Case {
    const char* text;
    Part part;
    std::size_t offset;
  };
  const Case cases[] = {
      {"", Part::Text, 0},
      {"   ", Part::Text, 3},
      {"-33.5, 72.7", Part::Latitude, 0},
      {"33.5, 72.7", Part::Latitude, 4},
      {"72.7E, 33.5S", Part::Latitude, 4},
      {"33.5S, 72.7N", Part::Longitude, 11},
      {"33.S, 72.7E", Part::Latitude, 3},
      {".5S, 72.7E", Part::Latitude, 0},
      {"infS, 72.7E", Part::Latitude, 0},
      {"100000N, 1E", Part::Latitude, 0},
      {"33.5S, 72.7E, 5", Part::Altitude, 15},
      {"33.5S, 72.7E, ", Part::Altitude, 14},
      {"33.5S, 72.7E, 1e39Z", Part::Altitude, 15},
      {"33.5S, 72.7E, 9999999999999999999999999999999999999999Z", Part::Altitude, 14},
      {"33.5S, 72.7E, 0.0Z x", Part::Text, 19},
      {"33.5S, 72.7E, +1.0Z", Part::Altitude, 14},
      {"Indoors 01AD", Part::Indoor, 8},
      {"Indoors [01AD", Part::Indoor, 13},
      {"Indoors [101AD]", Part::Indoor, 9},
      {"Indoors []", Part::Indoor, 9},
      {"Indoors [01AD] 3", Part::Text, 15},
  };
  for (const Case& c : cases) {
    const corvane::ParsedMapText parsed = WorldCoordinates::parse(c.text);
    EXPECT_FALSE(parsed.coordinates) << c.text;
    EXPECT_EQ(parsed.error.part, c.part) << c.text << ": " << parsed.error.message();
    EXPECT_EQ(parsed.error.offset, c.offset) << c.text << ": " << parsed.error.message();
    EXPECT_FALSE(parsed.error.reason.empty()) << c.text;
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
  EXPECT_EQ(located->to_world_coords().to_string_with_precision(k), text) << p << " -> " << *located;
  EXPECT_EQ(*located, located->rebucket_outdoor_landblock().normalize_outdoor_cell()) << *located;
  EXPECT_EQ(located->rotation, Quaternion::identity());
}

TEST(MapText, EveryPositionsTextLocatesToAPositionWithTheSameText) {
  const float last = std::nextafter(LANDBLOCK_LENGTH, 0.0f);
  const float offsets[] = {0.0f, 1e-30f, 0.3f, 23.99f, 24.0f, 95.999f, 96.0f, 100.7f, 191.5f, last};
  for (std::uint32_t landblock = 0; landblock < 256; ++landblock) {
    const std::uint32_t other = (landblock * 37 + 11) % 256;
    for (const float offset : offsets) {
      for (std::size_t k = 0; k <= 6; ++k) {
        expect_round_trip(at((landblock << 24) | (other << 16) | 1u, offset, last - offset, 5.5f), k);
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
    expect_round_trip(at(id, offset(rng), offset(rng), height(rng)), static_cast<std::size_t>(i % 7));
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
  EXPECT_FALSE(WorldPosition::from_world_coords(WorldCoordinates{WorldCoordinates::Indoor{0x100}}));
  EXPECT_EQ(WorldCoordinates{WorldCoordinates::Indoor{0x100}}.degrees_outside_world(), 0.0f);
  // The corners: 102S 102W exactly, and the largest value a position gives.
  const WorldCoordinates north_east = at(0xFFFF0001, 191.99999f, 191.99999f, 0).to_world_coords();
  const float high = north_east.outdoor()->lat;
  for (const WorldCoordinates& c : {outdoor(-102.0f, -102.0f, 7.0f), north_east}) {
    EXPECT_EQ(c.degrees_outside_world(), 0.0f);
    const auto p = WorldPosition::from_world_coords(c);
    ASSERT_TRUE(p) << debug_string(c);
    EXPECT_EQ(p->to_world_coords(), c) << *p;
  }
  EXPECT_EQ(*WorldPosition::from_world_coords(outdoor(-102.0f, -102.0f, 7.0f)),
            at(0x00000001, 0.0f, 0.0f, 7.0f));
  // Map coordinates 0, 0 lie at offset (96, 96) of landblock (127, 127).
  EXPECT_EQ(*WorldPosition::from_world_coords(outdoor(0.0f, 0.0f, 0.0f)), at(0x7F7F0025, 96.0f, 96.0f, 0.0f));
  // Just outside, and how far.
  const float below = std::nextafter(-102.0f, -200.0f);
  EXPECT_FALSE(WorldPosition::from_world_coords(outdoor(below, 0.0f, 0.0f)));
  EXPECT_EQ(outdoor(below, 0.0f, 0.0f).degrees_outside_world(), -102.0f - below);
  EXPECT_FALSE(WorldPosition::from_world_coords(outdoor(0.0f, std::nextafter(high, 200.0f), 0.0f)));
  EXPECT_EQ(outdoor(110.0f, -105.0f, 0.0f).degrees_outside_world(), 110.0f - high);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_TRUE(std::isnan(outdoor(nan, 0.0f, 0.0f).degrees_outside_world()));
  EXPECT_FALSE(WorldPosition::from_world_coords(outdoor(0.0f, nan, 0.0f)));
}

// Coordinates anywhere (world or not, any precision): the text read back
// prints as itself.
TEST(MapText, ReadsBackWhatItPrints) {
  std::mt19937 rng(72);
  std::uniform_real_distribution<float> degrees(-99999.0f, 99999.0f);
  std::uniform_real_distribution<float> near_world(-104.0f, 104.0f);
  for (int i = 0; i < 50000; ++i) {
    const float lat = i % 2 ? degrees(rng) : near_world(rng);
    const float lon = i % 3 ? near_world(rng) / static_cast<float>(1 + i % 1000) : degrees(rng);
    const WorldCoordinates c = outdoor(lat, lon, degrees(rng));
    const std::size_t k = static_cast<std::size_t>(i % 9);
    const std::string text = c.to_string_with_precision(k);
    const auto read = WorldCoordinates::from_string(text);
    ASSERT_TRUE(read) << text;
    EXPECT_EQ(read->to_string_with_precision(k), text);
  }
}

}  // namespace
