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

/// Drawing choices.
struct PlotOptions {
  /// Write each position's map text (and label) next to it.
  bool labels = true;
};

/// `text` escaped for XML character data and attribute values: markup
/// characters as entities, and characters XML 1.0 forbids (control
/// characters, U+FFFE, U+FFFF) replaced by U+FFFD. At most `max_chars`
/// characters are kept, then "...".
std::string xml_escape(std::string_view text, std::size_t max_chars = 80);

/// The SVG document: the 256 x 256 landblock grid drawn faintly, map-degree
/// graticule lines every 10 degrees labelled "10N", "20E", ..., outdoor
/// positions as dots, indoor positions as squares at their landblock's
/// south-west corner, each labelled with its map text.
std::string render_svg(std::span<const PlotPoint> points, const PlotOptions& options);

/// Reads positions (ID X Y Z, a trailing comment becomes the label; offsets
/// must be finite) from `source`. Bad lines are reported on `err` as
/// "corvane: line N: ..." and left out. Returns the good points; `failed`
/// counts the bad lines.
std::vector<PlotPoint> read_plot_points(const InputSource& source, std::ostream& err,
                                        std::size_t& failed);

}  // namespace corvane::cli
