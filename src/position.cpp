// Compiled with -ffp-contract=off: every line below rounds each operation to
// float in the order written, and nothing is fused into a multiply-add.
#include "corvane/position.hpp"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <cstring>
#include <limits>
#include <ostream>
#include <stdexcept>

#include "debug_text.hpp"
#include "map_text_magnitude.hpp"
#include "text/fixed_point.hpp"
#include "text/hex.hpp"
#include "text/unpadded.hpp"

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

}  // namespace

// ---- text --------------------------------------------------------------------

namespace detail {

template <class Out>
constexpr void append_debug(Out& out, const WorldPosition& p) {
  append_struct(out, "WorldPosition", field("landblock_id", p.landblock_id),
                field("coords", p.coords), field("rotation", p.rotation));
}

template <class Out>
constexpr void append_debug(Out& out, const WorldCoordinates::Indoor& indoor) {
  append_struct(out, "Indoor", field("landblock", indoor.landblock));
}

template <class Out>
constexpr void append_debug(Out& out, const WorldCoordinates::Outdoor& outdoor) {
  append_struct(out, "Outdoor", field("lat", outdoor.lat), field("lon", outdoor.lon),
                field("alt", outdoor.alt));
}

}  // namespace detail

namespace {

// Either alternative's debug text: sized for the longer of the two.
using CoordinatesDebugText =
    detail::StackText<std::max(detail::max_debug_chars<WorldCoordinates::Indoor>(),
                               detail::max_debug_chars<WorldCoordinates::Outdoor>())>;

CoordinatesDebugText coordinates_text(const WorldCoordinates& coordinates) noexcept {
  CoordinatesDebugText text;
  if (const auto* indoor = coordinates.indoor()) {
    detail::append_debug(text, *indoor);
  } else {
    detail::append_debug(text, *coordinates.outdoor());
  }
  return text;
}

// "N, ", "E, " and "Z" besides the three numbers.
constexpr std::size_t kMapTextLetters = 7;
// The longest text form (precision 1: the altitude's precision too).
constexpr std::size_t kMaxTextFormChars = 3 * detail::max_fixed_chars(1) + kMapTextLetters;

// Bound of the map text's characters other than the 2 * precision digits.
std::size_t map_text_head_bound(float lat, float lon, float alt) noexcept {
  return detail::fixed_chars_bound(lat, 0) + detail::fixed_chars_bound(lon, 0) +
         detail::fixed_chars_bound(alt, 1) + kMapTextLetters;
}

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
  detail::write_hex(out + 9, cell, 4);
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
  return detail::write_unpadded(os, detail::debug_text(position).view());
}

std::string debug_string(const WorldPosition& position) {
  return std::string(detail::debug_text(position).view());
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
    end = write_map_text(text.data(), outdoor, lat, lon, 1);
  }
  return detail::write_unpadded(
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
  return std::string(coordinates_text(coordinates).view());
}

std::ostream& operator<<(std::ostream& os, const WorldCoordinates::Indoor& indoor) {
  return detail::write_unpadded(os, detail::debug_text(indoor).view());
}

std::string debug_string(const WorldCoordinates::Indoor& indoor) {
  return std::string(detail::debug_text(indoor).view());
}

std::ostream& operator<<(std::ostream& os, const WorldCoordinates::Outdoor& outdoor) {
  return detail::write_unpadded(os, detail::debug_text(outdoor).view());
}

std::string debug_string(const WorldCoordinates::Outdoor& outdoor) {
  return std::string(detail::debug_text(outdoor).view());
}

}  // namespace corvane
