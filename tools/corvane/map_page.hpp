// The HTML map: one self-contained page to explore positions in a browser.
#pragma once

#include <span>
#include <string>

#include "plot.hpp"

namespace corvane::cli {

/// A page built on Leaflet over the 256 x 256 landblock world (one map unit a
/// metre, north up): the landblock grid and a graticule drawn for the view
/// at every zoom, each position as a marker (clustered where crowded, spread
/// out where positions share a spot) whose tooltip shows its map text, id and
/// offset and label (cut and isolated as shown_label says), a search box that
/// flies to an id or a map text, a scale bar, the view fitted as
/// `options.extent` says. Leaflet, the style of Leaflet.markercluster, their
/// licences and the positions (packed, and deflated where the tool has zlib)
/// are all inside the page: it opens from disk with no network. No label or
/// id can end or alter the page's scripts.
std::string render_html(std::span<const PlotPoint> points, const PlotOptions& options);

}  // namespace corvane::cli
