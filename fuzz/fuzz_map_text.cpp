// Arbitrary positions and map coordinates through to_world_coords and the map
// text at precisions 0 to 20 (now and then far beyond), compared with the C
// library's "%.*f" on the same floats, and with the hemisphere letters and
// the downward shift of the one-digit text built here from their rules.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "corvane/position.hpp"
#include "fuzz_support.hpp"

namespace {

using corvane::Guid;
using corvane::Quaternion;
using corvane::Vector3;
using corvane::WorldCoordinates;
using corvane::WorldPosition;

bool same_bits(float a, float b) { return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b); }

std::string printf_fixed(double v, std::size_t precision) {
  std::vector<char> buf(precision + 400);
  const int n = std::snprintf(buf.data(), buf.size(), "%.*f", static_cast<int>(precision), v);
  FUZZ_CHECK(n > 0 && static_cast<std::size_t>(n) < buf.size(), "printf failed");
  return std::string(buf.data(), static_cast<std::size_t>(n));
}

// Latitude or longitude as shown: its magnitude, leaned down by the float
// 0.05 at one digit. A magnitude that the lean takes below zero reads as
// zero, so that no minus sign stands before a hemisphere letter.
std::string magnitude_text(float v, std::size_t precision) {
  if (std::isnan(v)) return "nan";
  float m = std::fabs(v);
  if (precision == 1) {
    m = m - 0.05f;
    if (m < 0.0f) m = 0.0f;
  }
  return printf_fixed(m, precision);
}

std::string expected_text(const WorldCoordinates::Outdoor& o, std::size_t precision) {
  const std::string alt = std::isnan(o.alt) ? "nan" : printf_fixed(o.alt, 1);
  return magnitude_text(o.lat, precision) + (o.lat >= 0.0f ? "N" : "S") + ", " +
         magnitude_text(o.lon, precision) + (o.lon >= 0.0f ? "E" : "W") + ", " + alt + "Z";
}

void check_text(const WorldCoordinates& c, std::size_t precision) {
  const std::string text = c.to_string_with_precision(precision);
  std::string expected;
  if (const auto* indoor = c.indoor()) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "Indoors [%04X]", static_cast<unsigned>(indoor->landblock));
    expected = buf;
    FUZZ_CHECK(corvane::debug_string(c) == "Indoor { landblock: " + std::to_string(indoor->landblock) + " }",
               "indoor debug text: %s", corvane::debug_string(c).c_str());
  } else {
    const auto& o = *c.outdoor();
    expected = expected_text(o, precision);
    fuzz::check_struct_text<3>(corvane::debug_string(c), "Outdoor", {"lat", "lon", "alt"},
                               {o.lat, o.lon, o.alt});
  }
  FUZZ_CHECK(text == expected, "precision %zu: '%s', expected '%s'", precision, text.c_str(),
             expected.c_str());

  // The display form is precision 1 and ignores the stream's width and fill.
  std::ostringstream os;
  os << std::setw(60) << std::setfill('*') << c;
  FUZZ_CHECK(os.str() == c.to_string_with_precision(1), "display text '%s'", os.str().c_str());
}

// Latitude and longitude by the rule, one float rounding per step: the byte
// times 192 is exact, so rounding the double result of each step once gives
// the single-precision operation.
float map_degrees(std::uint32_t landblock, float offset) {
  const float metres =
      static_cast<float>(landblock * double{corvane::LANDBLOCK_LENGTH} + double{offset});
  const float degrees = static_cast<float>(double{metres} / double{corvane::METRES_PER_MAP_DEGREE});
  return static_cast<float>(double{degrees} - double{corvane::MAP_ORIGIN_DEGREES});
}

void check_position(const WorldPosition& p) {
  const WorldCoordinates c = p.to_world_coords();
  const std::uint32_t id = p.landblock_id.raw;
  if ((id & 0xFFFFu) >= 0x100u) {
    FUZZ_CHECK(c.indoor() != nullptr && c.indoor()->landblock == (id & 0xFFFFu),
               "indoor %08X did not convert to its cell word", id);
  } else {
    FUZZ_CHECK(c.outdoor() != nullptr, "outdoor %08X converted to Indoor", id);
    const auto& o = *c.outdoor();
    FUZZ_CHECK(same_bits(o.lon, map_degrees(id >> 24, p.coords.x)) &&
                   same_bits(o.lat, map_degrees((id >> 16) & 0xFFu, p.coords.y)) &&
                   same_bits(o.alt, p.coords.z),
               "map coordinates of %08X (%08X, %08X, %08X)", id, fuzz::hex(p.coords.x),
               fuzz::hex(p.coords.y), fuzz::hex(p.coords.z));
  }
  // The position's own debug text nests the debug texts of its fields.
  char head[64];
  std::snprintf(head, sizeof head, "WorldPosition { landblock_id: 0x%08X, coords: ", id);
  const std::string expected = head + corvane::debug_string(p.coords) +
                               ", rotation: " + corvane::debug_string(p.rotation) + " }";
  FUZZ_CHECK(corvane::debug_string(p) == expected, "position debug text: %s",
             corvane::debug_string(p).c_str());
  std::ostringstream os;
  os << p;
  FUZZ_CHECK(os.str() == expected, "position operator<<: %s", os.str().c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const std::uint8_t mode = in.u8();
  std::size_t precision = in.u8();
  precision = precision >= 0xF0 ? 21 + in.u8() : precision % 21;

  // A position, with offsets as raw bits or as values near the map's
  // rounding points (tenths of a map degree are 24 m).
  std::uint32_t id = in.u32();
  if (mode & 1u) id &= 0xFFFF00FFu;
  float x, y;
  if (mode & 2u) {
    x = static_cast<float>(static_cast<std::int16_t>(in.u16())) / 64.0f;
    y = static_cast<float>(static_cast<std::int16_t>(in.u16())) / 64.0f;
  } else {
    x = in.bits();
    y = in.bits();
  }
  const WorldPosition p{Guid{id}, Vector3{x, y, in.bits()}, Quaternion{in.bits(), in.bits(), in.bits(), in.bits()}};
  check_position(p);
  check_text(p.to_world_coords(), precision);

  // Coordinates straight from bits, whatever to_world_coords could produce.
  const WorldCoordinates raw{WorldCoordinates::Outdoor{in.bits(), in.bits(), in.bits()}};
  check_text(raw, precision);
  const WorldCoordinates indoor{WorldCoordinates::Indoor{in.u16()}};
  check_text(indoor, precision);

  // The batch text of the three, twice over, equals their single texts in order.
  const std::vector<WorldCoordinates> all{p.to_world_coords(), raw, indoor, indoor, raw,
                                          p.to_world_coords()};
  std::string expected = "head";
  for (const WorldCoordinates& c : all) expected += c.to_string_with_precision(precision) + '\n';
  std::string text = "head";
  corvane::append_map_text(text, all, precision, '\n');
  FUZZ_CHECK(text == expected, "append_map_text at precision %zu: '%s', singly '%s'", precision,
             text.c_str(), expected.c_str());
  return 0;
}
