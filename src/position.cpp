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
#include "batch/scalar_lanes.hpp"
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
std::uint8_t cell_coordinate(float local) noexcept {
  const float cell = local / CELL_LENGTH;
  return std::isnan(cell) ? std::uint8_t{0} : static_cast<std::uint8_t>(cell);
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

}  // namespace

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

// Between the same two points as heading_to.
HeadingCase WorldPosition::heading_case(const WorldPosition& other) const noexcept {
  if (landblock_id == other.landblock_id) return coords.heading_case(other.coords);
  return global_coords().heading_case(other.global_coords());
}

std::optional<std::uint32_t> WorldPosition::derived_outdoor_cell_id() const noexcept {
  if (landblock_id.raw == 0 || is_indoors()) return std::nullopt;
  return outdoor_cell_id({cell_coordinate(clamp_local(coords.x)), cell_coordinate(clamp_local(coords.y))});
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

// Hot: run per position in bulk, beside the text writers (see write_shortest_float).
[[gnu::hot]]
WorldCoordinates WorldPosition::to_world_coords() const noexcept {
  if (is_indoors()) {
    return {WorldCoordinates::Indoor{static_cast<std::uint16_t>(landblock_id & 0xFFFFu)}};
  }
  const auto [landblock_x, landblock_y] = landblock_coords();
  const float lon = detail::lanes::scalar::map_degree(static_cast<float>(landblock_x), coords.x);
  const float lat = detail::lanes::scalar::map_degree(static_cast<float>(landblock_y), coords.y);
  return {WorldCoordinates::Outdoor{lat, lon, coords.z}};
}

std::ostream& operator<<(std::ostream& os, const WorldPosition& position) {
  return detail::write_unpadded(os, detail::debug_text(position).view());
}

std::string debug_string(const WorldPosition& position) {
  return std::string(detail::debug_text(position).view());
}

// ---- WorldCoordinates ----------------------------------------------------------

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
