#include "plot.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <system_error>
#include <utility>

#include "output.hpp"
#include "positions.hpp"

namespace corvane::cli {

namespace {

// Layout in pixels: the map area is kMapSize square (5 pixels per landblock
// over the whole world), with margins for the legend, the graticule labels
// and the scale bar.
constexpr double kMapSize = 1280.0;
constexpr double kLeft = 64.0;
constexpr double kTop = 56.0;
constexpr double kRight = 24.0;
constexpr double kBottom = 64.0;
constexpr double kMetresPerLandblock = LANDBLOCK_LENGTH;
constexpr double kMetresPerDegree = METRES_PER_MAP_DEGREE;
constexpr double kDegreeOffset = MAP_ORIGIN_DEGREES;

/// A view fitted to the data is at least this wide, so that one position
/// does not fill the map, and keeps this margin around the outermost ones.
constexpr double kMinDataSpan = 4.0 * kMetresPerLandblock;

/// Room for a cut label, its isolate marks, a map text and a position.
constexpr std::size_t kMaxTitleChars = 200;
constexpr double kDataMargin = 0.06;

/// The world square shown, and its scale.
struct View {
  double x0 = 0.0;
  double y0 = 0.0;
  double span = kWorldLength;
  double scale = kMapSize / kWorldLength;  // pixels per metre

  [[nodiscard]] double px(double x) const { return kLeft + (x - x0) * scale; }
  [[nodiscard]] double py(double y) const { return kTop + (y0 + span - y) * scale; }
};

View fit_view(std::span<const PlotPoint> points, Extent extent) {
  View view;
  if (extent == Extent::World || points.empty()) return view;
  double min_x = kWorldLength, min_y = kWorldLength, max_x = 0.0, max_y = 0.0;
  for (const PlotPoint& point : points) {
    const PlanePoint at = plane_point(point.position);
    min_x = std::min(min_x, at.x);
    max_x = std::max(max_x, at.x);
    min_y = std::min(min_y, at.y);
    max_y = std::max(max_y, at.y);
  }
  const double data_span = std::max(max_x - min_x, max_y - min_y);
  const double span =
      std::min(kWorldLength, std::max(kMinDataSpan, data_span * (1.0 + 2.0 * kDataMargin)));
  // Centred on the data, then slid back inside the world.
  view.span = span;
  view.x0 = std::clamp((min_x + max_x - span) / 2.0, 0.0, kWorldLength - span);
  view.y0 = std::clamp((min_y + max_y - span) / 2.0, 0.0, kWorldLength - span);
  view.scale = kMapSize / span;
  return view;
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

/// "10N", "2.5W", "0": a graticule line's label.
std::string degree_label(double degrees, char positive, char negative) {
  if (degrees == 0.0) return "0";
  return num(std::abs(degrees)) + (degrees < 0 ? negative : positive);
}

/// The graticule spacing: the smallest round step at least this many pixels
/// apart (10 degrees over the whole world).
constexpr double kMinGraticulePixels = 60.0;
double graticule_step(const View& view) {
  for (const double step : {0.1, 0.2, 0.5, 1.0, 2.0, 5.0, 10.0, 20.0}) {
    if (step * kMetresPerDegree * view.scale >= kMinGraticulePixels) return step;
  }
  return 50.0;
}

/// The scale bar's length: 1, 2 or 5 times a power of ten metres, at most a
/// quarter of the map.
double scale_bar_metres(const View& view) {
  const double limit = kMapSize / 4.0 / view.scale;
  double best = 1.0;
  for (double power = 1.0; power <= limit; power *= 10.0) {
    for (const double m : {1.0, 2.0, 5.0}) {
      if (m * power <= limit) best = m * power;
    }
  }
  return best;
}

std::string metres_text(double metres) {
  return metres >= 1000.0 ? num(metres / 1000.0) + " km" : num(metres) + " m";
}

// ---- Label placement ----------------------------------------------------------

// An 11-pixel sans-serif label, measured generously so that the drawn text
// lies inside its box whatever sans-serif font the viewer has: the box runs
// from 11 pixels above the baseline to 3.5 below, and each character is
// given the width of a wide glyph of its kind; glyphs may overhang their
// advance a little at either end.
constexpr double kLabelSize = 11.0;
constexpr double kAscent = 11.0;
constexpr double kDescent = 3.5;
constexpr double kOverhang = 1.5;

double label_width(std::string_view text) {
  double em = 0.0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if ((b & 0xC0) == 0x80) continue;  // UTF-8 continuation byte
    // Directional formatting characters (U+2066 to U+2069, U+202A to
    // U+202E) take no room.
    if (b == 0xE2 && i + 2 < text.size() &&
        ((text[i + 1] == '\x81' && text[i + 2] >= '\xA6' && text[i + 2] <= '\xA9') ||
         (text[i + 1] == '\x80' && text[i + 2] >= '\xAA' && text[i + 2] <= '\xAE'))) {
      i += 2;
      continue;
    }
    if (b >= 0x80) {
      em += 1.05;
    } else if (std::string_view("MWmw@%").find(static_cast<char>(b)) != std::string_view::npos) {
      em += 1.0;
    } else if (b >= 'A' && b <= 'Z') {
      em += 0.8;
    } else {
      em += 0.66;
    }
  }
  return em * kLabelSize;
}

struct Box {
  double left, top, right, bottom;
  [[nodiscard]] bool overlaps(const Box& o) const {
    return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
  }
};

enum class Anchor { Start, Middle, End };

struct LabelPlace {
  double x, y;  // the text's anchor point on its baseline
  Anchor anchor;
};

/// Placed label boxes, bucketed by area so that a check looks at neighbours
/// only.
class LabelIndex {
 public:
  [[nodiscard]] bool free(const Box& box) const {
    for (const std::size_t key : keys(box)) {
      const auto found = buckets_.find(key);
      if (found == buckets_.end()) continue;
      for (const std::size_t i : found->second) {
        if (boxes_[i].overlaps(box)) return false;
      }
    }
    return true;
  }
  void add(const Box& box) {
    for (const std::size_t key : keys(box)) buckets_[key].push_back(boxes_.size());
    boxes_.push_back(box);
  }

 private:
  static constexpr double kBucket = 64.0;
  static std::vector<std::size_t> keys(const Box& box) {
    std::vector<std::size_t> out;
    const auto cell = [](double v) { return static_cast<std::size_t>(std::max(0.0, v) / kBucket); };
    for (std::size_t bx = cell(box.left); bx <= cell(box.right); ++bx) {
      for (std::size_t by = cell(box.top); by <= cell(box.bottom); ++by) out.push_back(bx * 4096 + by);
    }
    return out;
  }
  std::vector<Box> boxes_;
  std::unordered_map<std::size_t, std::vector<std::size_t>> buckets_;
};

/// The first place beside the point (right, left, above, below, then the
/// corners) whose box stays in the map area and overlaps no placed label.
std::optional<LabelPlace> place_label(double x, double y, double width, const Box& area,
                                      LabelIndex& placed) {
  const LabelPlace candidates[] = {
      {x + 7, y + 4, Anchor::Start},  {x - 7, y + 4, Anchor::End},
      {x, y - 8, Anchor::Middle},     {x, y + 16, Anchor::Middle},
      {x + 5, y - 6, Anchor::Start},  {x + 5, y + 14, Anchor::Start},
      {x - 5, y - 6, Anchor::End},    {x - 5, y + 14, Anchor::End},
  };
  for (const LabelPlace& c : candidates) {
    const double left = c.anchor == Anchor::Start    ? c.x
                        : c.anchor == Anchor::Middle ? c.x - width / 2
                                                     : c.x - width;
    const Box box{left - kOverhang, c.y - kAscent, left + width + kOverhang, c.y + kDescent};
    if (box.left < area.left || box.right > area.right || box.top < area.top ||
        box.bottom > area.bottom || !placed.free(box)) {
      continue;
    }
    placed.add(box);
    return c;
  }
  return std::nullopt;
}

/// Why a position cannot be drawn: its offset puts it outside the world.
std::optional<Error> outside_world(const WorldPosition& position) {
  const PlanePoint at = plane_point(position);
  const double dx = std::max({0.0, -at.x, at.x - kWorldLength});
  const double dy = std::max({0.0, -at.y, at.y - kWorldLength});
  if (dx == 0.0 && dy == 0.0) return std::nullopt;
  char buf[32];
  const auto [ptr, ec] =
      std::to_chars(buf, buf + sizeof buf, std::hypot(dx, dy), std::chars_format::general, 6);
  return Error{"offset lies " + std::string(buf, ec == std::errc{} ? ptr : buf) +
               " m outside the world; not drawn"};
}

// One code point of UTF-8 text and the bytes it took; an invalid or cut
// sequence is one byte read as U+FFFD.
struct Decoded {
  char32_t code;
  std::size_t length;
};
Decoded decode_utf8(std::string_view text, std::size_t at) {
  constexpr Decoded kInvalid{0xFFFD, 1};
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char b = byte(at);
  if (b < 0x80) return {b, 1};
  const std::size_t length = b >= 0xC2 && b < 0xE0 ? 2 : b >= 0xE0 && b < 0xF0 ? 3 : b >= 0xF0 && b < 0xF5 ? 4 : 0;
  if (length == 0 || at + length > text.size()) return kInvalid;
  char32_t code = b & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return kInvalid;
    code = (code << 6) | (byte(at + i) & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF.
  if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
      (code >= 0xD800 && code <= 0xDFFF)) {
    return kInvalid;
  }
  return {code, length};
}

void append_utf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

constexpr char32_t kFirstStrongIsolate = 0x2068;
constexpr char32_t kPopDirectionalIsolate = 0x2069;

/// Whether a character starts a directional isolate (LRI, RLI, FSI).
bool opens_isolate(char32_t c) { return c >= 0x2066 && c <= 0x2068; }

}  // namespace

std::string shown_label(std::string_view label) {
  if (label.empty()) return {};
  std::string out;
  append_utf8(out, kFirstStrongIsolate);
  std::size_t open = 0;
  std::size_t chars = 0;
  for (std::size_t i = 0; i < label.size();) {
    if (chars == kMaxLabelChars) {
      out += "...";
      break;
    }
    auto [code, length] = decode_utf8(label, i);
    i += length;
    // Controls, and the paragraph separators that would end the isolate
    // (U+001C to U+001E and U+0085 are among the controls).
    if (code < 0x20 || (code >= 0x7F && code <= 0x9F) || code == 0x2029 || code == 0xFFFE ||
        code == 0xFFFF) {
      code = 0xFFFD;
    }
    if (code == kPopDirectionalIsolate) {
      if (open == 0) continue;  // it would close the isolate around the label
      --open;
    } else if (opens_isolate(code)) {
      ++open;
    }
    append_utf8(out, code);
    ++chars;
  }
  for (; open > 0; --open) append_utf8(out, kPopDirectionalIsolate);
  append_utf8(out, kPopDirectionalIsolate);
  return out;
}

PlanePoint plane_point(const WorldPosition& position) {
  const auto [lb_x, lb_y] = position.landblock_coords();
  PlanePoint at{lb_x * kMetresPerLandblock, lb_y * kMetresPerLandblock};
  if (!position.is_indoors()) {
    at.x += static_cast<double>(position.coords.x);
    at.y += static_cast<double>(position.coords.y);
  }
  return at;
}

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
  const View view = fit_view(points, options.extent);
  const double map_right = kLeft + kMapSize;
  const double map_bottom = kTop + kMapSize;
  const double width = map_right + kRight;
  const double height = map_bottom + kBottom;
  const double x1 = view.x0 + view.span;
  const double y1 = view.y0 + view.span;
  const std::string plural = points.size() == 1 ? "" : "s";
  std::string svg;
  svg.reserve(64 * 1024 + points.size() * 200);
  svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(width) + "\" height=\"" +
         num(height) + "\" viewBox=\"0 0 " + num(width) + ' ' + num(height) +
         "\" font-family=\"sans-serif\">\n";
  svg += "<title>corvane plot: " + std::to_string(points.size()) + " position" + plural +
         "</title>\n";
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
  svg += "<rect x=\"" + num(kLeft) + "\" y=\"" + num(kTop) + "\" width=\"" + num(kMapSize) +
         "\" height=\"" + num(kMapSize) + "\" fill=\"#f3efe2\"/>\n";

  // The landblock grid in view, one path.
  svg += "<path id=\"landblocks\" fill=\"none\" stroke=\"#000000\" stroke-opacity=\"0.08\" "
         "stroke-width=\"0.5\" d=\"";
  const auto first_line = [](double from) { return std::ceil(from / kMetresPerLandblock); };
  for (double i = first_line(view.x0); i * kMetresPerLandblock <= x1; ++i) {
    const double at = view.px(i * kMetresPerLandblock);
    svg += 'M' + num(at) + ' ' + num(kTop) + 'V' + num(map_bottom);
  }
  for (double i = first_line(view.y0); i * kMetresPerLandblock <= y1; ++i) {
    const double at = view.py(i * kMetresPerLandblock);
    svg += 'M' + num(kLeft) + ' ' + num(at) + 'H' + num(map_right);
  }
  svg += "\"/>\n";

  // Graticule lines in view, labelled below and left of the map.
  const double step = graticule_step(view);
  const auto degrees_of = [](double metres) { return metres / kMetresPerDegree - kDegreeOffset; };
  const auto metres_of = [](double degrees) { return (degrees + kDegreeOffset) * kMetresPerDegree; };
  const double lon_first = std::ceil(degrees_of(view.x0) / step);
  const double lon_last = std::floor(degrees_of(x1) / step);
  const double lat_first = std::ceil(degrees_of(view.y0) / step);
  const double lat_last = std::floor(degrees_of(y1) / step);
  std::string lines;
  std::string labels;
  for (double k = lon_first; k <= lon_last; ++k) {
    const double x = view.px(metres_of(k * step));
    lines += "<line x1=\"" + num(x) + "\" y1=\"" + num(kTop) + "\" x2=\"" + num(x) + "\" y2=\"" +
             num(map_bottom) + "\"" + (k == 0 ? " stroke-width=\"1.8\"" : "") + "/>\n";
    labels += "<text x=\"" + num(x) + "\" y=\"" + num(map_bottom + 18) +
              "\" text-anchor=\"middle\">" + degree_label(k * step, 'E', 'W') + "</text>\n";
  }
  for (double k = lat_first; k <= lat_last; ++k) {
    const double y = view.py(metres_of(k * step));
    lines += "<line x1=\"" + num(kLeft) + "\" y1=\"" + num(y) + "\" x2=\"" + num(map_right) +
             "\" y2=\"" + num(y) + "\"" + (k == 0 ? " stroke-width=\"1.8\"" : "") + "/>\n";
    labels += "<text x=\"" + num(kLeft - 6) + "\" y=\"" + num(y + 4) +
              "\" text-anchor=\"end\">" + degree_label(k * step, 'N', 'S') + "</text>\n";
  }
  svg += "<g id=\"graticule\" stroke=\"#3b6ea5\" stroke-opacity=\"0.55\" stroke-width=\"1\">\n" +
         lines + "</g>\n<g id=\"graticule-labels\" font-size=\"12\" fill=\"#3b6ea5\">\n" + labels +
         "</g>\n";
  svg += "<rect x=\"" + num(kLeft) + "\" y=\"" + num(kTop) + "\" width=\"" + num(kMapSize) +
         "\" height=\"" + num(kMapSize) + "\" fill=\"none\" stroke=\"#444444\"/>\n";

  // Scale bar, under the graticule labels.
  const double bar_metres = scale_bar_metres(view);
  const double bar = bar_metres * view.scale;
  const double bar_y = map_bottom + 34;
  svg += "<g id=\"scale-bar\" font-size=\"12\"><path d=\"M" + num(kLeft) + ' ' + num(bar_y) +
         "v6h" + num(bar) + "v-6\" fill=\"none\" stroke=\"#222222\" stroke-width=\"1.5\"/>"
         "<text x=\"" + num(kLeft + bar + 8) + "\" y=\"" + num(bar_y + 8) + "\">" +
         metres_text(bar_metres) + "</text></g>\n";

  // Points first, then the labels that fit, so that no label hides under a
  // later dot's halo.
  const Box area{kLeft, kTop, map_right, map_bottom};
  LabelIndex placed;
  std::vector<std::size_t> label_order;
  if (options.labels) {
    // Named points get the first choice of places.
    for (std::size_t i = 0; i < points.size(); ++i) {
      if (!points[i].label.empty()) label_order.push_back(i);
    }
    for (std::size_t i = 0; i < points.size(); ++i) {
      if (points[i].label.empty()) label_order.push_back(i);
    }
  }
  std::string marks;
  std::string label_texts;
  std::size_t shown = 0;
  std::vector<std::string> texts(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    const WorldPosition& p = points[i].position;
    const PlanePoint at = plane_point(p);
    const double x = view.px(at.x);
    const double y = view.py(at.y);
    texts[i] = p.to_world_coords().to_string_with_precision(1);
    if (!points[i].label.empty()) texts[i] = shown_label(points[i].label) + ": " + texts[i];
    const std::string title = xml_escape(format_position(p) + " = " + texts[i], kMaxTitleChars);
    if (p.is_indoors()) {
      marks += "<rect x=\"" + num(x - 4) + "\" y=\"" + num(y - 4) +
               "\" width=\"8\" height=\"8\" fill=\"#1f5fa8\" stroke=\"#ffffff\" "
               "stroke-width=\"1\"><title>" + title + "</title></rect>\n";
    } else {
      marks += "<circle cx=\"" + num(x) + "\" cy=\"" + num(y) +
               "\" r=\"4\" fill=\"#c0392b\" stroke=\"#ffffff\" stroke-width=\"1\"><title>" +
               title + "</title></circle>\n";
    }
  }
  for (const std::size_t i : label_order) {
    const PlanePoint at = plane_point(points[i].position);
    // The label is already cut to its length; the map text after it is short.
    const std::string text = xml_escape(texts[i], kMaxTitleChars);
    // Measured on the text as shown: escapes count as their one character.
    const auto place = place_label(view.px(at.x), view.py(at.y), label_width(texts[i]), area, placed);
    if (!place) continue;
    ++shown;
    const char* anchor = place->anchor == Anchor::Start    ? "start"
                         : place->anchor == Anchor::Middle ? "middle"
                                                           : "end";
    label_texts += "<text x=\"" + num(place->x) + "\" y=\"" + num(place->y) +
                   "\" text-anchor=\"" + anchor + "\">" + text + "</text>\n";
  }

  // Title and legend.
  svg += "<text x=\"" + num(kLeft) + "\" y=\"24\" font-size=\"16\" font-weight=\"bold\">"
         "World map: " + std::to_string(points.size()) + " position" + plural + "</text>\n";
  svg += "<circle cx=\"" + num(kLeft + 6) + "\" cy=\"42\" r=\"4\" fill=\"#c0392b\"/>";
  svg += "<text x=\"" + num(kLeft + 14) + "\" y=\"46\" font-size=\"12\">outdoors</text>\n";
  svg += "<rect x=\"" + num(kLeft + 82) + "\" y=\"38\" width=\"8\" height=\"8\" "
         "fill=\"#1f5fa8\"/>";
  svg += "<text x=\"" + num(kLeft + 96) + "\" y=\"46\" font-size=\"12\">indoors (at the "
         "landblock's south-west corner)</text>\n";
  std::string note = "grid: landblocks of 192 m; lines every " + num(step) + " map degree" +
                     (step == 1.0 ? "" : "s");
  if (shown < label_order.size()) {
    note += "; " + std::to_string(shown) + " of " + std::to_string(label_order.size()) +
            " labels shown, the rest would overlap";
  }
  svg += "<text x=\"" + num(map_right) + "\" y=\"46\" font-size=\"12\" text-anchor=\"end\" "
         "fill=\"#666666\">" + note + "</text>\n";

  svg += "<g id=\"positions\">\n" + marks + "</g>\n";
  svg += "<g id=\"labels\" font-size=\"11\" stroke=\"#ffffff\" stroke-width=\"3\" "
         "paint-order=\"stroke\">\n" + label_texts + "</g>\n</svg>\n";
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
    if (auto error = outside_world(std::get<WorldPosition>(parsed))) return std::move(*error);
    points->push_back(PlotPoint{std::get<WorldPosition>(parsed), {}});
    return Record{};
  };
  failed = 0;
  while (std::optional<InputItem> item = source()) {
    const LineOutcome outcome = process_line(command, item->line);
    if (const auto* error = std::get_if<Error>(&outcome)) {
      ++failed;
      err << "corvane: " << item->where() << ": " << error->message << '\n' << std::flush;
    } else if (const auto* record = std::get_if<Record>(&outcome)) {
      if (record->comment) points->back().label = *record->comment;
    }
  }
  return std::move(*points);
}

}  // namespace corvane::cli
