// Subcommands about world positions: coords, inspect, rebucket, normalize,
// measure.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "corvane/position.hpp"
#include "input.hpp"
#include "stream.hpp"

namespace corvane::cli {

/// Largest precision `coords` accepts, the library's limit for every surface.
inline constexpr std::size_t kMaxPrecision = MAX_MAP_TEXT_PRECISION;

/// A position from the four fields ID X Y Z: the id a 32-bit number (decimal
/// or 0x hex), the offsets floats; the rotation is the identity. Non-finite
/// offsets are accepted or rejected as `non_finite` says.
std::variant<WorldPosition, Error> parse_position(std::span<const std::string_view> fields,
                                                  NonFinite non_finite);

/// "0xDA550000 84.0 108.0 0.0": the id and offset as the tool writes them and
/// reads them back.
std::string format_position(const WorldPosition& position);
/// The same appended to `out`.
void append_position(std::string& out, const WorldPosition& position);

/// The compass word of a heading in the world's convention (0 west, pi/2
/// north, pi east, 3pi/2 south): the nearest of the eight points, "west",
/// "north-west", "north", ... Empty for a NaN heading.
std::string_view compass_word(float heading_radians) noexcept;

/// Map coordinates at `precision` digits: text, indoors or lat/lon/alt.
Command make_coords_command(std::size_t precision);
/// Everything about one position, for a person.
Command make_inspect_command();
/// Positions moved into the landblock that contains their offset.
Command make_rebucket_command();
/// Positions with their outdoor cell number derived from the offset.
Command make_normalize_command();
/// Map texts located: the outdoor position whose map coordinates a text
/// gives, written as "ID X Y Z" (so that coords reads it back to the same
/// text at the precision it was written with).
Command make_locate_command();
/// Map texts given as arguments, in groups of one text each: a quoted text
/// is one argument, and "33.5S, 72.7E, 0.0Z" typed unquoted is three. The
/// library decides: each group is the longest run it reads as one text.
std::vector<std::size_t> map_text_groups(const std::vector<std::string>& arguments);
/// Distance, heading and landblock distance between two positions.
Command make_measure_command();

}  // namespace corvane::cli
