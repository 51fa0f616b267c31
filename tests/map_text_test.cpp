// Map text: written from coordinates, read back into coordinates, and located as a position.
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
#include "text/fixed_point.hpp"

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

WorldPosition at(std::uint32_t id, float x, float y, float z = 0.0f) {
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

// ---- writing map text -----------------------------------------------------------

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

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

// The compile-time writer's text, checking that it stays within its bound
// and padding: every byte beyond them keeps its fill.
std::string write_fixed_padded(float value, std::size_t precision) {
  const std::size_t room = corvane::detail::fixed_chars_bound(value, precision) +
                           corvane::detail::kFixedPadding;
  std::string text(room + 16, '#');
  char* end = nullptr;
  corvane::detail::with_fast_precision(precision, [&](auto p) {
    end = corvane::detail::write_fixed_padded<decltype(p)::value>(text.data(), value);
  });
  EXPECT_EQ(text.substr(room), std::string(16, '#')) << bits(value) << " at " << precision;
  text.resize(static_cast<std::size_t>(end - text.data()));
  return text;
}

WorldCoordinates outdoor_at(float lat, float lon, float alt) {
  return {WorldCoordinates::Outdoor{lat, lon, alt}};
}

std::string map_text(float lat, float lon, float alt, std::size_t precision) {
  return outdoor_at(lat, lon, alt).to_string_with_precision(precision);
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
      if (precision <= corvane::detail::kMaxFastFixedPrecision) {
        ASSERT_EQ(write_fixed_padded(v, precision), expected) << bits(v) << " at " << precision;
      }
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
