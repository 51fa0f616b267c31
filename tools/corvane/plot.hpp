// The plot subcommand: positions drawn on an SVG map of the whole world.
#pragma once

#include <cstddef>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "corvane/position.hpp"
#include "stream.hpp"

namespace corvane::cli {

/// A position to draw and the text next to it (the line's comment, if any).
struct PlotPoint {
  WorldPosition position;
  std::string label;
};

/// The part of the world a map shows.
enum class Extent {
  /// The whole world, 256 x 256 landblocks.
  World,
  /// A square around the positions, with a margin, inside the world.
  Data,
};

/// Drawing choices.
struct PlotOptions {
  /// Write each position's map text (and label) next to it.
  bool labels = true;
  Extent extent = Extent::World;
};

/// Where a position is drawn, in world metres east and north of the world's
/// south-west corner: outdoor positions at their global coordinates, indoor
/// ones at their landblock's south-west corner.
struct PlanePoint {
  double x = 0.0;
  double y = 0.0;
};
PlanePoint plane_point(const WorldPosition& position);

/// Edge of the world in metres (256 landblocks).
inline constexpr double kWorldLength = 256.0 * LANDBLOCK_LENGTH;

/// `text` escaped for XML character data and attribute values: markup
/// characters as entities, and characters XML 1.0 forbids (control
/// characters, U+FFFE, U+FFFF) replaced by U+FFFD. At most `max_chars`
/// characters are kept, then "...".
std::string xml_escape(std::string_view text, std::size_t max_chars = 80);

/// Characters of a label shown on a map; longer ones are cut and end in "...".
inline constexpr std::size_t kMaxLabelChars = 80;

/// A label as both maps show it: valid UTF-8 (each invalid byte as U+FFFD),
/// control characters and paragraph separators as U+FFFD, at most
/// kMaxLabelChars characters, and wrapped in U+2068 ... U+2069 (first strong
/// isolate, pop directional isolate) with every isolate it opens closed and
/// every stray closer dropped, so that no character of it can reorder the
/// text it is shown beside. Empty stays empty.
std::string shown_label(std::string_view label);

/// The SVG document: the landblock grid drawn faintly, map-degree graticule
/// lines labelled "10N", "20E", ... (every 10 degrees over the whole world,
/// closer when the view is smaller), a scale bar, outdoor positions as dots,
/// indoor positions as squares at their landblock's south-west corner, each
/// labelled with its map text. Labels are placed beside their point where
/// they overlap no other label and stay inside the map; a label that fits
/// nowhere is left out (the point keeps its tooltip).
std::string render_svg(std::span<const PlotPoint> points, const PlotOptions& options);

/// Reads positions (ID X Y Z, a trailing comment becomes the label; offsets
/// must be finite, and outdoor positions must lie in the world) from `source`. Bad lines are reported on `err` as
/// "corvane: line N: ..." and left out. Returns the good points; `failed`
/// counts the bad lines.
std::vector<PlotPoint> read_plot_points(const InputSource& source, std::ostream& err,
                                        std::size_t& failed);

}  // namespace corvane::cli
