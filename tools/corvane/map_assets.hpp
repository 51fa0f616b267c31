// The files the HTML map embeds, compiled into the tool from a source that
// the build generates (map_assets.cmake), so that the page it writes needs
// nothing but a browser.
#pragma once

#include <string_view>

namespace corvane::cli {

/// Each file's bytes as installed, in the order map_assets.cmake lists them.
struct MapAssets {
  std::string_view leaflet_js;
  std::string_view leaflet_css;
  /// Leaflet's Debian copyright file (BSD-2-clause).
  std::string_view leaflet_licence;
  std::string_view cluster_css;
  std::string_view cluster_default_css;
  /// Leaflet.markercluster's Debian copyright file (Expat).
  std::string_view cluster_licence;
  /// The library compiled to WebAssembly as one classic script defining
  /// `corvaneReady` (assets/corvane_page_module.js): the page reads map text
  /// through it.
  std::string_view page_module;
  /// The page's own script (tools/corvane/map_page.js) and style.
  std::string_view page_js;
  std::string_view page_css;
};

const MapAssets& map_assets();

}  // namespace corvane::cli
