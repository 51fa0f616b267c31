#include "plot.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <system_error>
#include <utility>

#include "output.hpp"
#include "positions.hpp"

namespace corvane::cli {

namespace {

// Layout in pixels: 5 per landblock, so the world is 1280 square.
constexpr double kPixelsPerLandblock = 5.0;
constexpr double kWorld = 256.0 * kPixelsPerLandblock;
constexpr double kLeft = 64.0;
constexpr double kTop = 56.0;
constexpr double kRight = 24.0;
constexpr double kBottom = 48.0;
constexpr double kMetresPerLandblock = LANDBLOCK_LENGTH;
constexpr double kMetresPerDegree = METRES_PER_MAP_DEGREE;
constexpr double kDegreeOffset = MAP_ORIGIN_DEGREES;

double px(double world_x) { return kLeft + world_x * (kPixelsPerLandblock / kMetresPerLandblock); }
double py(double world_y) {
  return kTop + kWorld - world_y * (kPixelsPerLandblock / kMetresPerLandblock);
}

/// A coordinate for an attribute: two decimals, kept within a sane range so
/// that a far-off point cannot make a hundred-digit number.
std::string num(double v) {
  v = std::clamp(v, -1e6, 1e6);
  char buf[32];
  const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 2);
  std::string s(buf, ec == std::errc{} ? ptr : buf);
  while (s.size() > 1 && s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

std::string degree_label(int degrees, char positive, char negative) {
  if (degrees == 0) return "0";
  return std::to_string(degrees < 0 ? -degrees : degrees) + (degrees < 0 ? negative : positive);
}

}  // namespace

std::string xml_escape(std::string_view text, std::size_t max_chars) {
  std::string out;
  std::size_t chars = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (chars == max_chars) {
      out += "...";
      break;
    }
    const auto b = static_cast<unsigned char>(text[i]);
    std::size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    len = std::min(len, text.size() - i);
    const std::string_view ch = text.substr(i, len);
    i += len;
    ++chars;
    if (len == 1) {
      switch (ch[0]) {
        case '&': out += "&amp;"; continue;
        case '<': out += "&lt;"; continue;
        case '>': out += "&gt;"; continue;
        case '"': out += "&quot;"; continue;
        case '\'': out += "&apos;"; continue;
        default: break;
      }
      if (b < 0x20 || b == 0x7F) {
        out += "\xEF\xBF\xBD";
        continue;
      }
    } else if (ch == "\xEF\xBF\xBE" || ch == "\xEF\xBF\xBF") {
      out += "\xEF\xBF\xBD";
      continue;
    }
    out += ch;
  }
  return out;
}

std::string render_svg(std::span<const PlotPoint> points, const PlotOptions& options) {
  const double width = kLeft + kWorld + kRight;
  const double height = kTop + kWorld + kBottom;
  std::string svg;
  svg.reserve(64 * 1024 + points.size() * 200);
  svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(width) + "\" height=\"" +
         num(height) + "\" viewBox=\"0 0 " + num(width) + ' ' + num(height) +
         "\" font-family=\"sans-serif\">\n";
  svg += "<title>corvane plot: " + std::to_string(points.size()) + " position" +
         (points.size() == 1 ? "" : "s") + "</title>\n";
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
  svg += "<rect x=\"" + num(kLeft) + "\" y=\"" + num(kTop) + "\" width=\"" + num(kWorld) +
         "\" height=\"" + num(kWorld) + "\" fill=\"#f3efe2\"/>\n";

  // The landblock grid, one path of 257 + 257 lines.
  svg += "<path id=\"landblocks\" fill=\"none\" stroke=\"#000000\" stroke-opacity=\"0.08\" "
         "stroke-width=\"0.5\" d=\"";
  for (int i = 0; i <= 256; ++i) {
    const double at = kLeft + i * kPixelsPerLandblock;
    svg += 'M' + num(at) + ' ' + num(kTop) + 'V' + num(kTop + kWorld);
  }
  for (int i = 0; i <= 256; ++i) {
    const double at = kTop + i * kPixelsPerLandblock;
    svg += 'M' + num(kLeft) + ' ' + num(at) + 'H' + num(kLeft + kWorld);
  }
  svg += "\"/>\n";

  // Graticule every 10 map degrees, inside the world (-102 to about 102.8).
  svg += "<g id=\"graticule\" stroke=\"#3b6ea5\" stroke-opacity=\"0.55\" stroke-width=\"1\">\n";
  for (int deg = -100; deg <= 100; deg += 10) {
    const double metres = (deg + kDegreeOffset) * kMetresPerDegree;
    const std::string extra = deg == 0 ? " stroke-width=\"1.8\"" : "";
    svg += "<line x1=\"" + num(px(metres)) + "\" y1=\"" + num(kTop) + "\" x2=\"" +
           num(px(metres)) + "\" y2=\"" + num(kTop + kWorld) + "\"" + extra + "/>\n";
    svg += "<line x1=\"" + num(kLeft) + "\" y1=\"" + num(py(metres)) + "\" x2=\"" +
           num(kLeft + kWorld) + "\" y2=\"" + num(py(metres)) + "\"" + extra + "/>\n";
  }
  svg += "</g>\n<g id=\"graticule-labels\" font-size=\"12\" fill=\"#3b6ea5\">\n";
  for (int deg = -100; deg <= 100; deg += 10) {
    const double metres = (deg + kDegreeOffset) * kMetresPerDegree;
    svg += "<text x=\"" + num(px(metres)) + "\" y=\"" + num(kTop + kWorld + 18) +
           "\" text-anchor=\"middle\">" + degree_label(deg, 'E', 'W') + "</text>\n";
    svg += "<text x=\"" + num(kLeft - 6) + "\" y=\"" + num(py(metres) + 4) +
           "\" text-anchor=\"end\">" + degree_label(deg, 'N', 'S') + "</text>\n";
  }
  svg += "</g>\n";
  svg += "<rect x=\"" + num(kLeft) + "\" y=\"" + num(kTop) + "\" width=\"" + num(kWorld) +
         "\" height=\"" + num(kWorld) + "\" fill=\"none\" stroke=\"#444444\"/>\n";

  // Title and legend.
  svg += "<text x=\"" + num(kLeft) + "\" y=\"24\" font-size=\"16\" font-weight=\"bold\">"
         "World map: " + std::to_string(points.size()) + " position" +
         (points.size() == 1 ? "" : "s") + "</text>\n";
  svg += "<circle cx=\"" + num(kLeft + 6) + "\" cy=\"42\" r=\"4\" fill=\"#c0392b\"/>";
  svg += "<text x=\"" + num(kLeft + 14) + "\" y=\"46\" font-size=\"12\">outdoors</text>\n";
  svg += "<rect x=\"" + num(kLeft + 82) + "\" y=\"38\" width=\"8\" height=\"8\" "
         "fill=\"#1f5fa8\"/>";
  svg += "<text x=\"" + num(kLeft + 96) + "\" y=\"46\" font-size=\"12\">indoors (at the "
         "landblock's south-west corner)</text>\n";
  svg += "<text x=\"" + num(kLeft + kWorld) + "\" y=\"46\" font-size=\"12\" "
         "text-anchor=\"end\" fill=\"#666666\">grid: landblocks of 192 m; lines every 10 "
         "map degrees</text>\n";

  svg += "<g id=\"positions\">\n";
  for (const PlotPoint& point : points) {
    const WorldPosition& p = point.position;
    const bool indoors = p.is_indoors();
    double x = 0.0;
    double y = 0.0;
    if (indoors) {
      const auto [lb_x, lb_y] = p.landblock_coords();
      x = px(lb_x * kMetresPerLandblock);
      y = py(lb_y * kMetresPerLandblock);
    } else {
      const Vector3 g = p.global_coords();
      x = px(static_cast<double>(g.x));
      y = py(static_cast<double>(g.y));
    }
    std::string text = p.to_world_coords().to_string_with_precision(1);
    if (!point.label.empty()) text = point.label + ": " + text;
    const std::string title = xml_escape(format_position(p) + " = " + text, 200);
    if (indoors) {
      svg += "<rect x=\"" + num(x - 4) + "\" y=\"" + num(y - 4) +
             "\" width=\"8\" height=\"8\" fill=\"#1f5fa8\" stroke=\"#ffffff\" "
             "stroke-width=\"1\"><title>" + title + "</title></rect>\n";
    } else {
      svg += "<circle cx=\"" + num(x) + "\" cy=\"" + num(y) +
             "\" r=\"4\" fill=\"#c0392b\" stroke=\"#ffffff\" stroke-width=\"1\"><title>" +
             title + "</title></circle>\n";
    }
    if (options.labels) {
      svg += "<text x=\"" + num(x + 7) + "\" y=\"" + num(y + 4) +
             "\" font-size=\"11\" stroke=\"#ffffff\" stroke-width=\"3\" "
             "paint-order=\"stroke\">" + xml_escape(text) + "</text>\n";
    }
  }
  svg += "</g>\n</svg>\n";
  return svg;
}

std::vector<PlotPoint> read_plot_points(const InputSource& source, std::ostream& err,
                                        std::size_t& failed) {
  auto points = std::make_shared<std::vector<PlotPoint>>();
  Command command;
  command.name = "plot";
  command.process = [points](std::span<const std::string_view> fields)
      -> std::variant<Record, Error> {
    auto parsed = parse_position(fields, NonFinite::Reject);
    if (auto* error = std::get_if<Error>(&parsed)) return std::move(*error);
    points->push_back(PlotPoint{std::get<WorldPosition>(parsed), {}});
    return Record{};
  };
  failed = 0;
  while (std::optional<InputItem> item = source()) {
    const LineOutcome outcome = process_line(command, item->line);
    if (const auto* error = std::get_if<Error>(&outcome)) {
      ++failed;
      err << "corvane: " << item->where << ": " << error->message << '\n' << std::flush;
    } else if (const auto* record = std::get_if<Record>(&outcome)) {
      if (record->comment) points->back().label = *record->comment;
    }
  }
  return std::move(*points);
}

}  // namespace corvane::cli
