// World positions: a packed landblock-and-cell id, an offset inside the
// landblock and a rotation; outdoor cell maintenance; map coordinates and the
// map text shown to players.
//
// The world is 256 x 256 landblocks of LANDBLOCK_LENGTH metres, landblock x
// growing east and y growing north. A landblock id packs landblock x in bits
// 31..24, landblock y in bits 23..16 and the cell number in bits 15..0: a cell
// below 0x100 is outdoors (cells 1 to 64 on an 8 x 8 grid of 24 m, cell 0 also
// occurs), from 0x100 up it is an interior cell. An id of 0 means no landblock.
//
// Float arithmetic lives in the compiled library (no fused multiply-add), so
// results do not depend on the flags a consumer compiles with.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "corvane/detail/bit_cast.hpp"
#include "corvane/export.hpp"
#include "corvane/guid.hpp"
#include "corvane/math.hpp"

namespace corvane {

// ---- The world's constants ----------------------------------------------------

/// Edge of a landblock in metres; an offset is inside its landblock when
/// 0 <= x < LANDBLOCK_LENGTH (same for y).
inline constexpr float LANDBLOCK_LENGTH = 192.0f;

/// Edge of an outdoor cell in metres: a landblock holds 8 x 8 cells.
inline constexpr float CELL_LENGTH = 24.0f;

/// The column (x, west to east) and row (y, south to north), each 0 to 7, of
/// an outdoor cell.
struct OutdoorCellCoords {
  std::uint8_t x;
  std::uint8_t y;
  friend constexpr bool operator==(const OutdoorCellCoords&, const OutdoorCellCoords&) = default;
};

/// The outdoor cell number of column `x` and row `y` (each 0 to 7):
/// x * 8 + y + 1, from 1 to 64.
[[nodiscard]] constexpr std::uint32_t outdoor_cell_id(OutdoorCellCoords cell) noexcept {
  return std::uint32_t{cell.x} * 8u + cell.y + 1u;
}

/// The column and row of outdoor cell `cell` (1 to 64); empty for any other
/// number (cell 0 and interior cells have none).
[[nodiscard]] constexpr std::optional<OutdoorCellCoords> outdoor_cell_coords(std::uint32_t cell) noexcept {
  if (cell < 1 || cell > 64) return std::nullopt;
  return OutdoorCellCoords{static_cast<std::uint8_t>((cell - 1) / 8), static_cast<std::uint8_t>((cell - 1) % 8)};
}

/// The largest offset used for cell derivation and for the clamp at the
/// world's edge: 192 - 7 * 2^-16 = 191.9998931884765625 (bits 0x433FFFF9).
/// Deliberately neither 192 nor the float just below it.
inline constexpr float MAX_LOCAL = detail::bit_cast<float>(0x433FFFF9u);

/// Metres in one map degree of latitude or longitude; a landblock spans 0.8.
inline constexpr float METRES_PER_MAP_DEGREE = 240.0f;

/// Map degrees from the world's south-west corner to map coordinates 0, 0:
/// latitude = world y / METRES_PER_MAP_DEGREE - MAP_ORIGIN_DEGREES (longitude
/// likewise from x), so the corner lies at 102S, 102W.
inline constexpr float MAP_ORIGIN_DEGREES = 102.0f;

/// The largest precision (digits after the point) that the tool and the
/// bindings accept for map text: more than the exact value of any float in
/// map degrees needs (above 1 it has at most 23 fractional digits; the
/// smallest magnitudes the world prints need a few more). The library itself
/// writes any precision a string can hold.
inline constexpr std::size_t MAX_MAP_TEXT_PRECISION = 60;

struct ParsedMapText;

/// Map coordinates, the player-facing form of a WorldPosition: an interior
/// cell number, or latitude and longitude in map degrees (240 m each; 0, 0 is
/// world position (24480, 24480)) and the unconverted altitude.
struct CORVANE_EXPORT WorldCoordinates {
  /// An interior place. `landblock` holds the cell word (the low 16 bits of
  /// the landblock id), not landblock x and y.
  // No default member initialisers in the two alternatives: with them, the
  // variant below could not be default-constructed inside this class. The
  // variant value-initialises its first alternative, so the fields still
  // start at zero.
  struct Indoor {
    std::uint16_t landblock;
    friend constexpr bool operator==(const Indoor&, const Indoor&) noexcept = default;
  };
  /// Outdoors: latitude (north positive), longitude (east positive), altitude.
  /// Equality is float equality: a NaN field is never equal, 0 equals -0.
  struct Outdoor {
    float lat;
    float lon;
    float alt;
    friend constexpr bool operator==(const Outdoor&, const Outdoor&) noexcept = default;
  };

  std::variant<Indoor, Outdoor> value;

  /// Whether this is the Indoor alternative.
  [[nodiscard]] constexpr bool is_indoors() const noexcept {
    return std::holds_alternative<Indoor>(value);
  }
  /// The Indoor alternative, or nullptr when outdoors.
  [[nodiscard]] constexpr const Indoor* indoor() const noexcept {
    return std::get_if<Indoor>(&value);
  }
  /// The Outdoor alternative, or nullptr when indoors.
  [[nodiscard]] constexpr const Outdoor* outdoor() const noexcept {
    return std::get_if<Outdoor>(&value);
  }

  /// The map text with `precision` digits after the point for latitude and
  /// longitude (no point at all for 0); altitude always has one digit.
  ///
  /// Indoor: "Indoors [01AD]", four uppercase hex digits; `precision` ignored.
  /// Outdoor: "33.55S, 72.75E, 0.0Z". The magnitude of latitude and longitude
  /// is printed, followed by N when lat >= 0 (-0 included) and S otherwise
  /// (NaN gives S), E when lon >= 0 and W otherwise (NaN gives W). Numbers are
  /// the exact float value rounded to the digits asked for, ties to even,
  /// byte for byte what printf's "%.*f" gives; the altitude keeps its sign,
  /// also when it rounds to zero ("-0.0Z").
  ///
  /// At precision 1 alone, 0.05 is subtracted from each magnitude before
  /// printing, so that the text leans downwards (33.55 reads 33.5). A
  /// magnitude below 0.05 would go negative there; it is printed as 0.0 so
  /// that a negative number never stands before a hemisphere letter (0.01
  /// south reads "0.0S").
  ///
  /// Non-finite values read as printf writes them, except that a NaN never
  /// carries a minus sign: "inf", "nan" for latitude and longitude (their
  /// magnitude is printed), "inf", "-inf", "nan" for the altitude.
  ///
  /// Allocates only the returned text. A precision whose text cannot be held
  /// by a std::string throws std::length_error (as std::string itself does);
  /// one that exceeds the available memory throws std::bad_alloc.
  [[nodiscard]] std::string to_string_with_precision(std::size_t precision) const;

  /// Reads a map text back: what to_string_with_precision writes at any
  /// precision ("33.55S, 72.75E, 0.0Z", "42N, 33E, 94.0Z", "Indoors [01AD]"),
  /// and what people type: no altitude ("33.5S, 72.7E" reads altitude 0),
  /// blanks, a comma or nothing between the parts, blanks before a letter,
  /// lower-case letters, one to four hexadecimal digits indoors, blanks around
  /// the whole text. Empty for anything else; parse() says why.
  ///
  /// A text stands for the band of values that print as it, and reads as the
  /// middle of that band, so that a reader's estimate is not biased:
  /// - "33.55S" (two digits or more): 33.55 south, the decimal itself.
  /// - "33.5S": 33.55 south. The one-digit text leans downwards; it stands
  ///   for 33.5 to 33.6.
  /// - A zero before its letter stands for half a band: "0N" is 0.25 north,
  ///   "0.00S" 0.0025 south ("0.0N" is 0.05 north, as above).
  /// Where positions print the text (inside the world, up to six digits),
  /// the middle is that of the part of the band inside the world ("103N" is
  /// about 102.65 north, "102S" 101.75 south), and the value read is the one
  /// shown by the position nearest it, within 2^-16 degrees ("33.55S" reads
  /// -33.550003): locating it finds that very position. Otherwise the value
  /// read is the float nearest the middle ("102.0S", which no position
  /// prints, reads -102.05, just outside the world).
  /// Latitude and longitude carry no sign (their letter gives the direction)
  /// and must stay below 100000 in magnitude; the altitude may carry a minus
  /// sign ("-0.0Z" reads -0.0) and reads as the nearest float, any finite
  /// one. Non-finite numbers ("inf", "nan") are rejected. Each part may have
  /// its own number of digits.
  ///
  /// Whatever parses prints back (latitude and longitude at the precision
  /// they were written with) to a text that parses to the same latitude and
  /// longitude, and to the same altitude where that had at most one digit
  /// after the point. Allocates nothing.
  [[nodiscard]] static std::optional<WorldCoordinates> from_string(std::string_view text) noexcept;

  /// from_string with the details: the digits written after the point, or
  /// which part of the text was rejected, why, and where.
  [[nodiscard]] static ParsedMapText parse(std::string_view text) noexcept;

  /// How far outdoor coordinates lie outside the world, in map degrees: 0
  /// inside (latitude and longitude each from 102S/W to the largest value a
  /// position in the world converts to, about 102.8N/E), otherwise the larger
  /// of the two excesses; NaN when either is NaN. 0 for Indoor.
  [[nodiscard]] float degrees_outside_world() const noexcept;

  /// Same variant and every field equal.
  friend constexpr bool operator==(const WorldCoordinates&,
                                   const WorldCoordinates&) noexcept = default;
};

/// Where something is: landblock and cell, offset inside the landblock, and
/// facing. A plain value; no invariant is enforced on construction.
struct CORVANE_EXPORT WorldPosition {
  /// Landblock x (bits 31..24), landblock y (23..16) and cell (15..0).
  Guid landblock_id;
  /// Offset from the landblock's south-west corner: x east, y north, z height.
  /// A normalised outdoor position has x and y in [0, 192).
  Vector3 coords;
  /// Orientation; only equality and the debug text read it.
  Quaternion rotation;

  /// Whether the cell number (low 16 bits) is 0x100 or above.
  [[nodiscard]] constexpr bool is_indoors() const noexcept {
    return (landblock_id & 0xFFFFu) >= 0x100u;
  }

  /// (landblock x, landblock y), read from the id whether indoors or not.
  /// An id of 0 reads as (0, 0).
  [[nodiscard]] constexpr std::pair<std::uint8_t, std::uint8_t> landblock_coords() const noexcept {
    return {static_cast<std::uint8_t>(landblock_id >> 24),
            static_cast<std::uint8_t>((landblock_id >> 16) & 0xFFu)};
  }

  /// The offset in one continuous world space: landblock x * 192 + coords.x,
  /// landblock y * 192 + coords.y, coords.z (indoor positions too).
  [[nodiscard]] Vector3 global_coords() const noexcept;

  /// Distance in metres: between the offsets when both ids are equal (all 32
  /// bits), otherwise between the global coordinates. Non-finite offsets give
  /// non-finite distances.
  [[nodiscard]] float distance_to(const WorldPosition& other) const noexcept;

  /// Heading toward `other` (radians in [0, 2*pi), 0 west, pi/2 north, pi
  /// east), between offsets when the ids are equal, between global coordinates
  /// otherwise; exactly 0 when the two points (nearly) coincide.
  [[nodiscard]] float heading_to(const WorldPosition& other) const noexcept;
  /// Which answer heading_to(other) gives (see Vector3::heading_case), between
  /// the same two points.
  [[nodiscard]] HeadingCase heading_case(const WorldPosition& other) const noexcept;

  /// How many landblocks apart the two positions are: the larger of the
  /// differences of landblock x and of landblock y. Empty when either id is 0;
  /// cells, offsets and indoor status play no part.
  [[nodiscard]] constexpr std::optional<std::uint8_t> landblock_chebyshev_distance_to(
      const WorldPosition& other) const noexcept {
    if (landblock_id.raw == 0 || other.landblock_id.raw == 0) return std::nullopt;
    const auto [x, y] = landblock_coords();
    const auto [ox, oy] = other.landblock_coords();
    const int dx = x > ox ? x - ox : ox - x;
    const int dy = y > oy ? y - oy : oy - y;
    return static_cast<std::uint8_t>((std::max)(dx, dy));
  }

  /// The outdoor cell (1 to 64) that the offset falls in: column x from west
  /// to east, then y from south to north, cell = cell_x * 8 + cell_y + 1.
  /// Offsets are clamped to [0, 191.99989] first (an offset of 192 lies in the
  /// last column, a negative one in the first); a NaN offset gives cell
  /// coordinate 0; z plays no part. Empty for an indoor position or id 0.
  [[nodiscard]] std::optional<std::uint32_t> derived_outdoor_cell_id() const noexcept;

  /// A copy with the cell number replaced by derived_outdoor_cell_id();
  /// landblock x and y, offset and rotation unchanged. Indoor positions and
  /// id 0 come back exactly as they went in.
  [[nodiscard]] WorldPosition normalize_outdoor_cell() const noexcept;

  /// A copy moved into the landblock that contains its offset: landblocks are
  /// stepped one at a time (x axis first, then y) while the offset is outside
  /// [0, 192), and the offset re-expressed there; at the world's edge
  /// (landblock 0 or 255) the offset is clamped to [0, 191.99989] instead.
  /// When any landblock step was taken the cell number is recomputed (unless
  /// the new id is 0); when none was, the position comes back unchanged, even
  /// if an offset was out of range at the edge. A NaN offset takes no step;
  /// infinities step to the edge and are clamped. Indoor positions and id 0
  /// are returned unchanged.
  [[nodiscard]] WorldPosition rebucket_outdoor_landblock() const noexcept;

  /// Map coordinates: Indoor with the cell word when indoors, otherwise
  /// latitude (landblock y * 192 + y) / 240 - 102, longitude likewise from x,
  /// and altitude z. Id 0 converts as landblock (0, 0).
  [[nodiscard]] WorldCoordinates to_world_coords() const noexcept;

  /// The outdoor position whose map coordinates these are: the landblock and
  /// the offset inside it (x and y in [0, 192)) from latitude and longitude,
  /// z from the altitude, the cell as derived_outdoor_cell_id gives it, the
  /// identity rotation. Its to_world_coords() is the latitude and longitude
  /// nearest to the ones given that any position gives, on the same side of
  /// 0, and among those positions the one nearest to the exact inverse.
  /// Empty for Indoor (its cell word names no landblock), and for latitude or
  /// longitude outside the world or NaN (degrees_outside_world() says how far).
  ///
  /// With from_string, for every outdoor position p whose offset lies in its
  /// landblock and whose z is finite: the text of p at precision k, read and
  /// located, gives a position whose text at precision k is the same, and
  /// which lies in the middle of the positions that print that text.
  [[nodiscard]] static std::optional<WorldPosition> from_world_coords(
      const WorldCoordinates& coordinates) noexcept;

  /// Id, offset and rotation equal (float equality for the components).
  friend constexpr bool operator==(const WorldPosition& a, const WorldPosition& b) noexcept {
    return a.landblock_id == b.landblock_id && a.coords == b.coords && a.rotation == b.rotation;
  }
};

/// Why a map text was rejected by WorldCoordinates::parse.
struct CORVANE_EXPORT MapTextError {
  /// The part of the text at fault.
  enum class Part : std::uint8_t { Text, Latitude, Longitude, Altitude, Indoor };

  Part part = Part::Text;
  /// What was wrong ("expected N or S"), static text; empty when nothing was.
  std::string_view reason;
  /// Byte offset in the text where it went wrong.
  std::size_t offset = 0;

  /// "latitude: expected N or S (at character 6)", the offset counted from 1.
  [[nodiscard]] std::string message() const;
};

/// What WorldCoordinates::parse read.
struct ParsedMapText {
  /// The coordinates; empty when the text was rejected.
  std::optional<WorldCoordinates> coordinates;
  /// Digits after the decimal point of latitude and longitude as written (0
  /// without a point, and for Indoor): the precision to print them back at.
  std::size_t lat_precision = 0;
  std::size_t lon_precision = 0;
  /// Why the text was rejected; reason is empty when it was read.
  MapTextError error;
};

// ---- Many positions at once ---------------------------------------------------
//
// Each batch overload gives, bit for bit, what the single-value operation gives
// for each element in order; the loop runs in the library (to_world_coords on
// the widest vector unit the CPU has). Sizes that differ throw
// std::invalid_argument before anything is written; empty spans do nothing.
// Only append_map_text allocates, and only its text.

/// out[i] = in[i].to_world_coords().
CORVANE_EXPORT void to_world_coords(std::span<const WorldPosition> in,
                                    std::span<WorldCoordinates> out);
/// out[i] = in[i].normalize_outdoor_cell(). `out` may be the span `in` itself
/// (in place), but must not overlap it otherwise.
CORVANE_EXPORT void normalize_outdoor_cell(std::span<const WorldPosition> in,
                                           std::span<WorldPosition> out);
/// out[i] = in[i].rebucket_outdoor_landblock(). `out` may be the span `in`
/// itself (in place), but must not overlap it otherwise.
CORVANE_EXPORT void rebucket_outdoor_landblock(std::span<const WorldPosition> in,
                                               std::span<WorldPosition> out);
/// out[i] = from[i].distance_to(to[i]).
CORVANE_EXPORT void distance_to(std::span<const WorldPosition> from,
                                std::span<const WorldPosition> to, std::span<float> out);
/// out[i] = from[i].heading_to(to[i]).
CORVANE_EXPORT void heading_to(std::span<const WorldPosition> from,
                               std::span<const WorldPosition> to, std::span<float> out);

/// Appends the map text of each coordinate at `precision`, each followed by
/// `separator` ('\n' gives one line per coordinate): the same characters as
/// to_string_with_precision(precision) per element, written straight into
/// `out`, which grows at most once. When the texts cannot be held by a
/// std::string it throws std::length_error (or std::bad_alloc beyond the
/// available memory) and leaves `out` as it was.
CORVANE_EXPORT void append_map_text(std::string& out,
                                    std::span<const WorldCoordinates> coordinates,
                                    std::size_t precision, char separator);

// ---- Many positions as columns ---------------------------------------------
//
// The same operations over positions held as columns, as numpy, Arrow and
// typed arrays hold them: `ids` one landblock id per position and `xyz` its
// offset as three floats x, y, z (xyz.size() == 3 * ids.size()); the rotation
// plays no part. Results are bit for bit those of the single-value operation
// on WorldPosition{ids[i], {xyz[3i], xyz[3i+1], xyz[3i+2]}}. Sizes that
// differ throw std::invalid_argument before anything is written; outputs must
// not overlap inputs unless an operation says so.

/// Map coordinates as columns, each with one element per position.
struct MapCoordinateColumns {
  /// Latitude, longitude and altitude of outdoor positions; NaN (0x7FC00000)
  /// for indoor ones.
  std::span<float> lat, lon, alt;
  /// 1 for an indoor position, 0 otherwise.
  std::span<std::uint8_t> indoor;
  /// The cell word of an indoor position (what Indoor holds), 0 otherwise.
  std::span<std::uint16_t> cell;
};

/// The map coordinates of each position, alternative by alternative.
CORVANE_EXPORT void to_world_coords(std::span<const std::uint32_t> ids, std::span<const float> xyz,
                                    const MapCoordinateColumns& out);

/// Appends the map text of each position at `precision`, with nothing between
/// them, and sets ends[i] to out.size() just after text i, so that text i is
/// out[ends[i - 1], ends[i]) (from the old out.size() for i = 0). The same
/// characters as to_world_coords().to_string_with_precision(precision). On
/// std::length_error or std::bad_alloc `out` is left as it was.
CORVANE_EXPORT void append_map_text(std::string& out, std::span<const std::uint32_t> ids,
                                    std::span<const float> xyz, std::size_t precision,
                                    std::span<std::size_t> ends);

/// ids_out[i], xyz_out[3i..3i+2] = the id and offset of the position
/// rebucket_outdoor_landblock() gives. The outputs may be the inputs
/// themselves (in place), but must not overlap them otherwise.
CORVANE_EXPORT void rebucket_outdoor_landblock(std::span<const std::uint32_t> ids,
                                               std::span<const float> xyz,
                                               std::span<std::uint32_t> ids_out,
                                               std::span<float> xyz_out);
/// The same for normalize_outdoor_cell(), whose offsets are those given.
CORVANE_EXPORT void normalize_outdoor_cell(std::span<const std::uint32_t> ids,
                                           std::span<const float> xyz,
                                           std::span<std::uint32_t> ids_out,
                                           std::span<float> xyz_out);

/// Debug text: "WorldPosition { landblock_id: 0xA9B40019, coords: Vector3 {
/// x: 84.0, y: 7.1, z: 94.0 }, rotation: Quaternion { w: 1.0, x: 0.0, y: 0.0,
/// z: 0.0 } }" (on one line).
CORVANE_EXPORT std::ostream& operator<<(std::ostream& os, const WorldPosition& position);
CORVANE_EXPORT std::string debug_string(const WorldPosition& position);

/// The map text at precision 1 ("33.5S, 72.7E, 0.0Z", "Indoors [0100]"),
/// written unpadded whatever the stream's width; allocates nothing.
CORVANE_EXPORT std::ostream& operator<<(std::ostream& os, const WorldCoordinates& coordinates);
/// Debug text of the alternative held: "Indoor { landblock: 256 }" or
/// "Outdoor { lat: -33.550003, lon: 72.75, alt: 0.0 }".
CORVANE_EXPORT std::string debug_string(const WorldCoordinates& coordinates);

/// Debug text "Indoor { landblock: 256 }" (the cell word in decimal).
CORVANE_EXPORT std::ostream& operator<<(std::ostream& os, const WorldCoordinates::Indoor& indoor);
CORVANE_EXPORT std::string debug_string(const WorldCoordinates::Indoor& indoor);
/// Debug text "Outdoor { lat: -33.550003, lon: 72.75, alt: 0.0 }".
CORVANE_EXPORT std::ostream& operator<<(std::ostream& os,
                                        const WorldCoordinates::Outdoor& outdoor);
CORVANE_EXPORT std::string debug_string(const WorldCoordinates::Outdoor& outdoor);

}  // namespace corvane
