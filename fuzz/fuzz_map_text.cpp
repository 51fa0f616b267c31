// Arbitrary positions and map coordinates through to_world_coords and the map
// text at precisions 0 to 20 (now and then far beyond), compared with the C
// library's "%.*f" on the same floats, and with the hemisphere letters and
// the downward shift of the one-digit text built here from their rules.
//
// The text read back: each position's text, read and located, prints the same
// text again; and the whole input, read as a map text, never crashes, and
// whatever it reads prints back to a text that reads the same.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iomanip>
#include <sstream>
#include <string>
#include <string_view>
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

bool same(const WorldCoordinates& a, const WorldCoordinates& b) {
  if (a.is_indoors() || b.is_indoors()) return a == b;
  const auto& x = *a.outdoor();
  const auto& y = *b.outdoor();
  return same_bits(x.lat, y.lat) && same_bits(x.lon, y.lon) && same_bits(x.alt, y.alt);
}

// A located position is an ordinary outdoor one: offsets inside the
// landblock, its own cell, no turn, the altitude as z; and it shows
// coordinates within a step of the positions' values of the ones given.
void check_located(const WorldCoordinates& c, const WorldPosition& p) {
  const auto& o = *c.outdoor();
  FUZZ_CHECK(p.coords.x >= 0.0f && p.coords.x < corvane::LANDBLOCK_LENGTH &&
                 p.coords.y >= 0.0f && p.coords.y < corvane::LANDBLOCK_LENGTH &&
                 same_bits(p.coords.z, o.alt) && p.rotation == Quaternion::identity() &&
                 p.landblock_id.raw != 0 && (p.landblock_id & 0xFFFFu) == p.derived_outdoor_cell_id(),
             "located %s as %s", corvane::debug_string(c).c_str(), corvane::debug_string(p).c_str());
  const WorldCoordinates shown_coordinates = p.to_world_coords();
  const auto& shown = *shown_coordinates.outdoor();
  FUZZ_CHECK(std::fabs(shown.lat - o.lat) <= 0x1p-16f && std::fabs(shown.lon - o.lon) <= 0x1p-16f,
             "located %s as %s", corvane::debug_string(c).c_str(), corvane::debug_string(p).c_str());
}

// Every outdoor position inside its landblock: its text, read and located,
// prints the same text.
void check_round_trip(const WorldPosition& p, std::size_t precision) {
  if (p.is_indoors() || !(p.coords.x >= 0.0f && p.coords.x < corvane::LANDBLOCK_LENGTH) ||
      !(p.coords.y >= 0.0f && p.coords.y < corvane::LANDBLOCK_LENGTH) || !std::isfinite(p.coords.z)) {
    return;
  }
  const std::string text = p.to_world_coords().to_string_with_precision(precision);
  const auto read = WorldCoordinates::from_string(text);
  FUZZ_CHECK(read.has_value(), "'%s' does not read back", text.c_str());
  const auto located = WorldPosition::from_world_coords(*read);
  FUZZ_CHECK(located.has_value(), "'%s' reads as %s, not located", text.c_str(),
             corvane::debug_string(*read).c_str());
  check_located(*read, *located);
  const std::string again = located->to_world_coords().to_string_with_precision(precision);
  FUZZ_CHECK(again == text, "'%s' located as %s, which prints '%s'", text.c_str(),
             corvane::debug_string(*located).c_str(), again.c_str());
}

// Printed at `precision` and read again: the same latitude (or longitude),
// the same altitude where `exact_altitude`, and once more the same text.
void check_prints_back(const WorldCoordinates& c, std::size_t precision, bool latitude,
                       bool exact_altitude) {
  if (const auto* o = c.outdoor(); o != nullptr && precision == 0) {
    // The other part, printed at this part's precision, may round up to
    // 100000 degrees, which is out of range ("99999.995W" read with "85N").
    const float other = latitude ? o->lon : o->lat;
    if (std::fabs(other) >= 99999.5f) return;
  }
  const std::string text = c.to_string_with_precision(precision);
  const auto again = WorldCoordinates::from_string(text);
  FUZZ_CHECK(again.has_value(), "%s prints as '%s', which does not read",
             corvane::debug_string(c).c_str(), text.c_str());
  bool equal = *again == c;
  if (const auto* o = c.outdoor()) {
    const auto& a = *again->outdoor();
    // Float equality: a zero band too narrow for any float but 0 reads as
    // -0.0 on the south or west side, which prints with the other letter.
    equal = (latitude ? a.lat == o->lat : a.lon == o->lon) &&
            (!exact_altitude || same_bits(a.alt, o->alt));
  }
  FUZZ_CHECK(equal, "%s prints as '%s', which reads %s", corvane::debug_string(c).c_str(),
             text.c_str(), corvane::debug_string(*again).c_str());
  const std::string once_more = again->to_string_with_precision(precision);
  FUZZ_CHECK(once_more == text, "'%s' reads %s, which prints '%s'", text.c_str(),
             corvane::debug_string(*again).c_str(), once_more.c_str());
}

// The whole input as a map text.
void check_reading(std::string_view text) {
  const corvane::ParsedMapText parsed = WorldCoordinates::parse(text);
  const auto plain = WorldCoordinates::from_string(text);
  FUZZ_CHECK(parsed.coordinates.has_value() == plain.has_value() &&
                 (!plain || same(*plain, *parsed.coordinates)),
             "parse and from_string disagree");
  if (!parsed.coordinates) {
    FUZZ_CHECK(!parsed.error.reason.empty() && parsed.error.offset <= text.size(),
               "rejected without a reason, or beyond the text (%zu of %zu)", parsed.error.offset,
               text.size());
    return;
  }
  const WorldCoordinates& c = *parsed.coordinates;
  if (c.is_indoors()) {
    check_prints_back(c, 0, true, true);
    FUZZ_CHECK(!WorldPosition::from_world_coords(c), "indoor coordinates located");
    return;
  }
  const auto& o = *c.outdoor();
  FUZZ_CHECK(std::fabs(o.lat) < 100000.0f && std::fabs(o.lon) < 100000.0f && std::isfinite(o.alt),
             "read %s", corvane::debug_string(c).c_str());
  // The altitude, the number before Z, reads exactly as written where it has
  // at most one digit after its point.
  bool short_altitude = true;
  if (const std::size_t z = text.find_last_of("zZ"); z != std::string_view::npos) {
    std::size_t end = z;
    while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    std::size_t start = end;
    while (start > 0 && (text[start - 1] == '.' || (text[start - 1] >= '0' && text[start - 1] <= '9'))) {
      --start;
    }
    const std::string_view number = text.substr(start, end - start);
    const std::size_t point = number.find('.');
    short_altitude = point == std::string_view::npos || number.size() - point <= 2;
  }
  check_prints_back(c, parsed.lat_precision, true, short_altitude);
  check_prints_back(c, parsed.lon_precision, false, short_altitude);
  if (const auto located = WorldPosition::from_world_coords(c)) {
    check_located(c, *located);
  } else {
    FUZZ_CHECK(!(c.degrees_outside_world() == 0.0f), "%s inside the world but not located",
               corvane::debug_string(c).c_str());
  }
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
  check_round_trip(p, precision);

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

  check_reading(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
