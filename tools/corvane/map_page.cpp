#include "map_page.hpp"

#include <nlohmann/json.hpp>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>
#ifdef CORVANE_HAVE_ZLIB
#include <zlib.h>
#endif

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

/// JSON that can sit inside a <script> element whatever its strings hold:
/// no "<" (so nothing can end the element, open a comment or a nested
/// script), no ">" or "&", and no U+2028 or U+2029 (line ends in older
/// JavaScript).
std::string script_json(const nlohmann::json& data) {
  const std::string text = data.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '<') {
      out += "\\u003c";
    } else if (c == '>') {
      out += "\\u003e";
    } else if (c == '&') {
      out += "\\u0026";
    } else if (c == '\xE2' && i + 2 < text.size() && text[i + 1] == '\x80' &&
               (text[i + 2] == '\xA8' || text[i + 2] == '\xA9')) {
      out += text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

/// Where a marker goes, in centimetres (fine enough for the closest zoom),
/// with the top bit of x set for an indoor position.
constexpr double kPlaneUnitsPerMetre = 100.0;
constexpr std::uint32_t kIndoorBit = 0x80000000u;

/// The positions as the page reads them: each one's plane x, then each one's
/// plane y (32-bit little-endian integers stored byte plane by byte plane,
/// which compresses better), then each one's map text, position and shown
/// label, every text ended by a line feed (none holds one). Ordered by rows of
/// the plane, so that neighbours share their texts' heads.
std::string positions_payload(std::span<const PlotPoint> points) {
  struct Row {
    std::uint32_t x, y;
    std::size_t index;
  };
  std::vector<Row> rows;
  rows.reserve(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    const PlanePoint at = plane_point(points[i].position);
    const auto units = [](double metres) {
      return static_cast<std::uint32_t>(std::lround(std::clamp(metres, 0.0, kWorldLength) * kPlaneUnitsPerMetre));
    };
    rows.push_back({units(at.x) | (points[i].position.is_indoors() ? kIndoorBit : 0u), units(at.y), i});
  }
  constexpr std::uint32_t kRow = 24 * 100;  // an outdoor cell's height
  std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
    return std::pair(a.y / kRow, a.x & ~kIndoorBit) < std::pair(b.y / kRow, b.x & ~kIndoorBit);
  });
  std::string out;
  out.reserve(points.size() * 72);
  for (const auto member : {&Row::x, &Row::y}) {
    for (int shift = 0; shift < 32; shift += 8) {
      for (const Row& row : rows) out += static_cast<char>((row.*member >> shift) & 0xFFu);
    }
  }
  for (const Row& row : rows) {
    out += points[row.index].position.to_world_coords().to_string_with_precision(1);
    out += '\n';
  }
  for (const Row& row : rows) {
    out += format_position(points[row.index].position);
    out += '\n';
  }
  for (const Row& row : rows) {
    out += shown_label(points[row.index].label);
    out += '\n';
  }
  return out;
}

#ifdef CORVANE_HAVE_ZLIB
/// zlib's format, which browsers inflate natively (DecompressionStream).
std::optional<std::string> deflated(const std::string& bytes) {
  uLongf size = compressBound(static_cast<uLong>(bytes.size()));
  std::string out(size, '\0');
  if (bytes.size() > std::numeric_limits<uLong>::max() ||
      compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uLong>(bytes.size()),
                Z_DEFAULT_COMPRESSION) != Z_OK) {
    return std::nullopt;
  }
  out.resize(size);
  return out;
}
#else
std::optional<std::string> deflated(const std::string&) { return std::nullopt; }
#endif

std::string base64(std::string_view bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
    std::uint32_t word = 0;
    for (std::size_t k = 0; k < 3; ++k) {
      word = (word << 8) | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
    }
    for (std::size_t k = 0; k < 4; ++k) {
      out += k <= n ? kDigits[(word >> (18 - 6 * k)) & 0x3F] : '=';
    }
  }
  return out;
}

}  // namespace

std::string render_html(std::span<const PlotPoint> points, const PlotOptions& options) {
  const MapAssets& assets = map_assets();
  nlohmann::json data;
  // The world's numbers as the library has them, for drawing the grid and
  // graticule.
  data["world"] = kWorldLength;
  data["landblock"] = LANDBLOCK_LENGTH;
  data["metresPerDegree"] = METRES_PER_MAP_DEGREE;
  data["originDegrees"] = MAP_ORIGIN_DEGREES;
  data["extent"] = options.extent == Extent::World ? "world" : "data";
  data["count"] = points.size();
  data["planeUnitsPerMetre"] = kPlaneUnitsPerMetre;
  const std::string payload = positions_payload(points);
  const std::optional<std::string> packed = deflated(payload);
  data["deflated"] = packed.has_value();
  const std::string encoded = base64(packed ? *packed : payload);

  std::string html;
  html.reserve(assets.leaflet_js.size() + assets.page_module.size() + 64 * 1024 + encoded.size());
  html += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
          "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
  html += "<title>corvane map: " + std::to_string(points.size()) + " position" +
          (points.size() == 1 ? "" : "s") + "</title>\n";
  html += "<!-- Leaflet and the style of Leaflet.markercluster are embedded below under these terms. -->\n";
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
  // Base64 in a script element the browser does not run: no JavaScript
  // parser reads its tens of megabytes, and no character of it can matter.
  html += "<script id=\"corvane-positions\" type=\"application/octet-stream\">";
  html += encoded;
  html += "</script>\n";
  html += "<script>\nconst CORVANE_MAP = " + script_json(data) + ";\n</script>\n";
  html += "<script>\n" + std::string(assets.page_module) + "</script>\n";
  html += "<script>\n" + std::string(assets.page_js) + "</script>\n</body>\n</html>\n";
  return html;
}

}  // namespace corvane::cli
