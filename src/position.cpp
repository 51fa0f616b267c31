// Compiled with -ffp-contract=off: every line below rounds each operation to
// float in the order written, and nothing is fused into a multiply-add.
#include "corvane/position.hpp"

#include <array>
#include <cassert>
#include <cmath>
#include <cstring>
#include <limits>
#include <ostream>
#include <stdexcept>

#include "debug_text.hpp"
#include "fixed_text.hpp"
#include "map_text_magnitude.hpp"

namespace corvane {
namespace {

float clamp_local(float v) noexcept {
  if (v < 0.0f) return 0.0f;
  if (v > MAX_LOCAL) return MAX_LOCAL;
  return v;  // NaN stays NaN
}

// Truncation of a value known to lie in [0, 8) or be NaN; NaN gives 0 instead
// of the undefined behaviour of a plain conversion.
std::uint32_t cell_coordinate(float local) noexcept {
  const float cell = local / CELL_LENGTH;
  return std::isnan(cell) ? 0u : static_cast<std::uint32_t>(cell);
}

// One axis of the rebucketing: step whole landblocks while the offset lies
// outside [0, 192), then clamp if the world's edge stopped the stepping.
void rebucket_axis(float& offset, std::uint32_t& landblock, bool& moved) noexcept {
  while (offset >= LANDBLOCK_LENGTH && landblock < 255u) {
    ++landblock;
    offset -= LANDBLOCK_LENGTH;
    moved = true;
  }
  while (offset < 0.0f && landblock > 0u) {
    --landblock;
    offset += LANDBLOCK_LENGTH;
    moved = true;
  }
  if (offset < 0.0f) {
    offset = 0.0f;
  } else if (offset >= LANDBLOCK_LENGTH) {
    offset = MAX_LOCAL;
  }
}

float world_metres(std::uint8_t landblock, float offset) noexcept {
  return static_cast<float>(landblock) * LANDBLOCK_LENGTH + offset;
}

// ---- text --------------------------------------------------------------------

constexpr std::size_t kMaxPositionDebugChars =
    32 + 10 + detail::kMaxVector3DebugChars + detail::kMaxQuaternionDebugChars + 16;

detail::FixedText<kMaxPositionDebugChars> position_text(const WorldPosition& p) noexcept {
  detail::FixedText<kMaxPositionDebugChars> text;
  text << "WorldPosition { landblock_id: ";
  detail::append_debug(text, p.landblock_id);
  text << ", coords: ";
  detail::append_debug(text, p.coords);
  text << ", rotation: ";
  detail::append_debug(text, p.rotation);
  text << " }";
  return text;
}

constexpr std::size_t kMaxCoordinatesDebugChars = 24 + 3 * detail::kMaxShortestFloatChars;

detail::FixedText<kMaxCoordinatesDebugChars> indoor_text(
    const WorldCoordinates::Indoor& indoor) noexcept {
  detail::FixedText<kMaxCoordinatesDebugChars> text;
  text << "Indoor { landblock: ";
  text.append_decimal(indoor.landblock) << " }";
  return text;
}

detail::FixedText<kMaxCoordinatesDebugChars> outdoor_text(
    const WorldCoordinates::Outdoor& outdoor) noexcept {
  detail::FixedText<kMaxCoordinatesDebugChars> text;
  text << "Outdoor { lat: ";
  text.append_float(outdoor.lat) << ", lon: ";
  text.append_float(outdoor.lon) << ", alt: ";
  text.append_float(outdoor.alt) << " }";
  return text;
}

detail::FixedText<kMaxCoordinatesDebugChars> coordinates_text(
    const WorldCoordinates& coordinates) noexcept {
  if (const auto* indoor = coordinates.indoor()) return indoor_text(*indoor);
  return outdoor_text(*coordinates.outdoor());
}

// Bound of the map text's characters other than the 2 * precision digits.
std::size_t map_text_head_bound(float lat, float lon, float alt) noexcept {
  // "N, ", "E, " and "Z" besides the numbers.
  return detail::fixed_chars_bound(lat, 0) + detail::fixed_chars_bound(lon, 0) +
         detail::fixed_chars_bound(alt, 1) + 7;
}

// The longest text form (precision 1): three numbers of at most 42 characters
// and the letters and separators.
constexpr std::size_t kMaxTextFormChars = 3 * 42 + 7;

// `lat` and `lon` are the display magnitudes; the letters follow the signs of
// the coordinates themselves.
char* write_map_text(char* out, const WorldCoordinates::Outdoor& outdoor, float lat, float lon,
                     std::size_t precision) noexcept {
  out = detail::write_fixed(out, lat, precision);
  *out++ = outdoor.lat >= 0.0f ? 'N' : 'S';
  *out++ = ',';
  *out++ = ' ';
  out = detail::write_fixed(out, lon, precision);
  *out++ = outdoor.lon >= 0.0f ? 'E' : 'W';
  *out++ = ',';
  *out++ = ' ';
  out = detail::write_fixed(out, outdoor.alt, 1);
  *out++ = 'Z';
  return out;
}

constexpr std::size_t kIndoorTextChars = 14;

// "Indoors [01AD]".
char* write_indoor_text(char* out, std::uint16_t cell) noexcept {
  std::memcpy(out, "Indoors [", 9);
  for (int i = 0; i < 4; ++i) out[9 + i] = detail::kUpperHexDigits[(cell >> (12 - 4 * i)) & 0xF];
  out[13] = ']';
  return out + kIndoorTextChars;
}

std::string outdoor_map_text(const WorldCoordinates::Outdoor& outdoor, std::size_t precision) {
  const float lat = detail::map_text_magnitude(outdoor.lat, precision);
  const float lon = detail::map_text_magnitude(outdoor.lon, precision);
  const std::size_t head = map_text_head_bound(lat, lon, outdoor.alt);
  if (precision > (std::numeric_limits<std::size_t>::max() - head) / 2) {
    throw std::length_error("corvane::WorldCoordinates::to_string_with_precision: precision");
  }
  // Sized once from the bound (throws std::length_error beyond max_size()),
  // written in place, then cut to the length written.
  std::string text(head + 2 * precision, '\0');
  const char* end = write_map_text(text.data(), outdoor, lat, lon, precision);
  text.resize(static_cast<std::size_t>(end - text.data()));
  return text;
}

}  // namespace

float detail::map_text_magnitude(float degrees, std::size_t precision) noexcept {
  // The downward lean of the one-digit text (bits 0x3D4CCCCD); a magnitude
  // below it would go negative and reads 0.0, so that no minus sign stands
  // before a hemisphere letter.
  constexpr float kOneDigitShift = 0.05f;
  float magnitude = std::fabs(degrees);
  if (precision == 1) {
    magnitude = magnitude - kOneDigitShift;
    if (magnitude < 0.0f) magnitude = 0.0f;
  }
  return magnitude;
}

// ---- WorldPosition -------------------------------------------------------------

Vector3 WorldPosition::global_coords() const noexcept {
  const auto [landblock_x, landblock_y] = landblock_coords();
  return {world_metres(landblock_x, coords.x), world_metres(landblock_y, coords.y), coords.z};
}

float WorldPosition::distance_to(const WorldPosition& other) const noexcept {
  if (landblock_id == other.landblock_id) return coords.distance(other.coords);
  return (global_coords() - other.global_coords()).length();
}

float WorldPosition::heading_to(const WorldPosition& other) const noexcept {
  if (landblock_id == other.landblock_id) return coords.heading_to(other.coords);
  return global_coords().heading_to(other.global_coords());
}

std::optional<std::uint32_t> WorldPosition::derived_outdoor_cell_id() const noexcept {
  if (landblock_id.raw == 0 || is_indoors()) return std::nullopt;
  const std::uint32_t cell_x = cell_coordinate(clamp_local(coords.x));
  const std::uint32_t cell_y = cell_coordinate(clamp_local(coords.y));
  return cell_x * 8u + cell_y + 1u;
}

WorldPosition WorldPosition::normalize_outdoor_cell() const noexcept {
  WorldPosition result = *this;
  if (const auto cell = derived_outdoor_cell_id()) {
    result.landblock_id = Guid{(landblock_id & 0xFFFF0000u) | *cell};
  }
  return result;
}

WorldPosition WorldPosition::rebucket_outdoor_landblock() const noexcept {
  if (is_indoors() || landblock_id.raw == 0) return *this;
  float x = coords.x;
  float y = coords.y;
  std::uint32_t landblock_x = landblock_id >> 24;
  std::uint32_t landblock_y = (landblock_id >> 16) & 0xFFu;
  bool moved = false;
  rebucket_axis(x, landblock_x, moved);
  rebucket_axis(y, landblock_y, moved);
  // Without a step even an edge clamp is dropped: the caller's offsets stand.
  if (!moved) return *this;

  WorldPosition result = *this;
  result.coords.x = x;
  result.coords.y = y;
  result.landblock_id = Guid{(landblock_x << 24) | (landblock_y << 16) | (landblock_id & 0xFFFFu)};
  // An id that came out as 0 means "no landblock" and has no cell to derive;
  // normalize_outdoor_cell leaves it alone.
  return result.normalize_outdoor_cell();
}

WorldCoordinates WorldPosition::to_world_coords() const noexcept {
  if (is_indoors()) {
    return {WorldCoordinates::Indoor{static_cast<std::uint16_t>(landblock_id & 0xFFFFu)}};
  }
  const Vector3 world = global_coords();
  const float lon = world.x / METRES_PER_MAP_DEGREE - MAP_ORIGIN_DEGREES;
  const float lat = world.y / METRES_PER_MAP_DEGREE - MAP_ORIGIN_DEGREES;
  return {WorldCoordinates::Outdoor{lat, lon, coords.z}};
}

std::ostream& operator<<(std::ostream& os, const WorldPosition& position) {
  return detail::write_text(os, position_text(position));
}

std::string debug_string(const WorldPosition& position) {
  return detail::to_string(position_text(position));
}

// ---- WorldCoordinates ----------------------------------------------------------

std::string WorldCoordinates::to_string_with_precision(std::size_t precision) const {
  if (const auto* in = indoor()) {
    std::string text(kIndoorTextChars, '\0');
    write_indoor_text(text.data(), in->landblock);
    return text;
  }
  return outdoor_map_text(*outdoor(), precision);
}

// The text form writes from the stack: at precision 1 its length is bounded.
std::ostream& operator<<(std::ostream& os, const WorldCoordinates& coordinates) {
  std::array<char, kMaxTextFormChars> text;
  const char* end = nullptr;
  if (const auto* in = coordinates.indoor()) {
    end = write_indoor_text(text.data(), in->landblock);
  } else {
    const auto& outdoor = *coordinates.outdoor();
    const float lat = detail::map_text_magnitude(outdoor.lat, 1);
    const float lon = detail::map_text_magnitude(outdoor.lon, 1);
    assert(map_text_head_bound(lat, lon, outdoor.alt) + 2 <= text.size());
    end = write_map_text(text.data(), outdoor, lat, lon, 1);
  }
  return detail::write_text(
      os, std::string_view(text.data(), static_cast<std::size_t>(end - text.data())));
}

void append_map_text(std::string& out, std::span<const WorldCoordinates> coordinates,
                     std::size_t precision, char separator) {
  // One pass for a bound of the whole text, so that `out` grows once and a
  // text too long for a string is refused before anything is written.
  constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max();
  std::size_t bound = 0;
  for (const WorldCoordinates& coordinate : coordinates) {
    std::size_t item = kIndoorTextChars;
    if (const auto* outdoor = coordinate.outdoor()) {
      const std::size_t head =
          map_text_head_bound(detail::map_text_magnitude(outdoor->lat, precision),
                              detail::map_text_magnitude(outdoor->lon, precision), outdoor->alt);
      if (precision > (kMax - head) / 2) {
        throw std::length_error("corvane::append_map_text: precision");
      }
      item = head + 2 * precision;
    }
    if (item >= kMax - bound) throw std::length_error("corvane::append_map_text: text length");
    bound += item + 1;
  }
  const std::size_t start = out.size();
  if (bound > out.max_size() - start) {
    throw std::length_error("corvane::append_map_text: text length");
  }
  out.resize(start + bound);
  char* end = out.data() + start;
  for (const WorldCoordinates& coordinate : coordinates) {
    if (const auto* in = coordinate.indoor()) {
      end = write_indoor_text(end, in->landblock);
    } else {
      const auto& outdoor = *coordinate.outdoor();
      end = write_map_text(end, outdoor, detail::map_text_magnitude(outdoor.lat, precision),
                           detail::map_text_magnitude(outdoor.lon, precision), precision);
    }
    *end++ = separator;
  }
  out.resize(static_cast<std::size_t>(end - out.data()));
}

std::string debug_string(const WorldCoordinates& coordinates) {
  return detail::to_string(coordinates_text(coordinates));
}

std::ostream& operator<<(std::ostream& os, const WorldCoordinates::Indoor& indoor) {
  return detail::write_text(os, indoor_text(indoor));
}

std::string debug_string(const WorldCoordinates::Indoor& indoor) {
  return detail::to_string(indoor_text(indoor));
}

std::ostream& operator<<(std::ostream& os, const WorldCoordinates::Outdoor& outdoor) {
  return detail::write_text(os, outdoor_text(outdoor));
}

std::string debug_string(const WorldCoordinates::Outdoor& outdoor) {
  return detail::to_string(outdoor_text(outdoor));
}

}  // namespace corvane
