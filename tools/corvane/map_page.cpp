#include "map_page.hpp"

#include <nlohmann/json.hpp>
#include <string_view>

#include "map_assets.hpp"
#include "positions.hpp"

namespace corvane::cli {

namespace {

/// A bundled script or style without its source-map reference, which would
/// name a file the page does not have.
std::string without_source_map(std::string_view text) {
  for (const std::string_view marker : {"\n//# sourceMappingURL=", "\n/*# sourceMappingURL="}) {
    const std::size_t at = text.find(marker);
    if (at == std::string_view::npos) continue;
    const std::size_t end = text.find('\n', at + 1);
    return std::string(text.substr(0, at + 1)) +
           (end == std::string_view::npos ? "" : std::string(text.substr(end + 1)));
  }
  return std::string(text);
}

/// A licence text inside an HTML comment, which "--" must not appear in.
std::string as_comment(std::string_view text) {
  std::string out = "<!--\n";
  for (const char c : text) {
    if (c == '-' && !out.empty() && out.back() == '-') out += ' ';
    out += c;
  }
  if (out.back() == '-') out += ' ';
  return out + "-->\n";
}

/// JSON that can sit inside a <script> element: "</" would end it.
std::string script_json(const nlohmann::json& data) {
  const std::string text = data.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text[i] == '<' && i + 1 < text.size() && text[i + 1] == '/') out += '\\';
  }
  return out;
}

}  // namespace

std::string render_html(std::span<const PlotPoint> points, const PlotOptions& options) {
  const MapAssets& assets = map_assets();
  nlohmann::json data;
  // The world's numbers as the library has them, so the page reads map text
  // with the same constants.
  data["world"] = kWorldLength;
  data["landblock"] = LANDBLOCK_LENGTH;
  data["metresPerDegree"] = METRES_PER_MAP_DEGREE;
  data["originDegrees"] = MAP_ORIGIN_DEGREES;
  data["extent"] = options.extent == Extent::World ? "world" : "data";
  nlohmann::json& rows = data["points"] = nlohmann::json::array();
  for (const PlotPoint& point : points) {
    const WorldPosition& p = point.position;
    const PlanePoint at = plane_point(p);
    rows.push_back({at.x, at.y, p.is_indoors(), p.to_world_coords().to_string_with_precision(1),
                    format_position(p), point.label});
  }

  std::string html;
  html.reserve(assets.leaflet_js.size() + assets.cluster_js.size() + 64 * 1024 +
               points.size() * 96);
  html += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
          "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
  html += "<title>corvane map: " + std::to_string(points.size()) + " position" +
          (points.size() == 1 ? "" : "s") + "</title>\n";
  html += "<!-- Leaflet and Leaflet.markercluster are embedded below under these terms. -->\n";
  html += as_comment(assets.leaflet_licence);
  html += as_comment(assets.cluster_licence);
  html += "<style>\n" + without_source_map(assets.leaflet_css) + "\n" +
          without_source_map(assets.cluster_css) + "\n" +
          without_source_map(assets.cluster_default_css) + "\n" + std::string(assets.page_css) +
          "</style>\n</head>\n<body>\n";
  html += "<div id=\"map\"></div>\n"
          "<form id=\"search\" autocomplete=\"off\"><input id=\"search-text\" type=\"search\" "
          "placeholder=\"id or map text, e.g. 0xDA550000 or 33.5S, 72.7E\" "
          "aria-label=\"Search by id or map text\"><button type=\"submit\">Go</button>"
          "<div id=\"search-status\" role=\"status\"></div></form>\n";
  html += "<script>\n" + without_source_map(assets.leaflet_js) + "\n</script>\n";
  html += "<script>\n" + without_source_map(assets.cluster_js) + "\n</script>\n";
  html += "<script>\nconst CORVANE_MAP = " + script_json(data) + ";\n</script>\n";
  html += "<script>\n" + std::string(assets.page_js) + "</script>\n</body>\n</html>\n";
  return html;
}

}  // namespace corvane::cli
