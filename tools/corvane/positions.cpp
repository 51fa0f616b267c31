#include "positions.hpp"

#include <charconv>
#include <cmath>
#include <cstring>
#include <numbers>
#include <optional>
#include <system_error>
#include <utility>

#include "output.hpp"
#include "text/hex.hpp"
#include "text/shortest_float.hpp"

namespace corvane::cli {

namespace {

constexpr std::string_view kLayout = "ID X Y Z";

std::string fixed(double value, int digits) {
  char buf[64];
  const auto [ptr, ec] =
      std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, digits);
  return ec == std::errc{} ? std::string(buf, ptr) : format_float(static_cast<float>(value));
}

/// Fields that every position result starts with: the id and offset read.
void add_position_fields(nlohmann::ordered_json& fields, const WorldPosition& p) {
  fields["id"] = hex32(p.landblock_id.raw);
  fields["x"] = json_float(p.coords.x);
  fields["y"] = json_float(p.coords.y);
  fields["z"] = json_float(p.coords.z);
}

// Per-line functions, and the per-line lambdas kept out of line, are hot
// (see LineReader::next).
[[gnu::hot]]
std::variant<WorldPosition, Error> one_position(std::span<const std::string_view> fields) {
  if (auto bad = expect_fields(fields, 4, kLayout)) return *bad;
  return parse_position(fields, NonFinite::Accept);
}

std::string cell_text(const WorldPosition& p) {
  const auto cell = static_cast<std::uint32_t>(p.landblock_id & 0xFFFFu);
  return hex32(cell, 4) + (p.is_indoors() ? " (indoors)" : " (outdoors)");
}

std::string derived_text(const WorldPosition& p) {
  const std::optional<std::uint32_t> cell = p.derived_outdoor_cell_id();
  if (!cell) return p.is_indoors() ? "none (indoors)" : "none (id 0: no landblock)";
  const OutdoorCellCoords at = *outdoor_cell_coords(*cell);
  return hex32(*cell, 4) + " (cell x " + std::to_string(at.x) + ", cell y " + std::to_string(at.y) + ")";
}

std::variant<Record, Error> transform(std::span<const std::string_view> fields,
                                      WorldPosition (WorldPosition::*op)() const noexcept) {
  auto parsed = one_position(fields);
  if (auto* error = std::get_if<Error>(&parsed)) return std::move(*error);
  const WorldPosition in = std::get<WorldPosition>(parsed);
  const WorldPosition out = (in.*op)();
  Record r;
  add_position_fields(r.fields, out);
  // Bitwise sameness, so that a NaN offset that came back untouched counts
  // as unchanged.
  const bool changed = out.landblock_id != in.landblock_id ||
                       std::memcmp(&out.coords, &in.coords, sizeof in.coords) != 0;
  r.fields["changed"] = changed;
  r.text = format_position(out);
  return r;
}

/// The compass word for `heading`, except where the library's heading is one
/// of its fixed numbers, which name no direction.
std::string compass_text(const WorldPosition& a, const WorldPosition& b, float heading) {
  switch (a.heading_case(b)) {
    case HeadingCase::SamePoint:
      return "same point";
    case HeadingCase::StraightUp:
      return "straight up";
    case HeadingCase::StraightDown:
      return "straight down";
    case HeadingCase::Direction:
      break;
  }
  return std::string(compass_word(heading));
}

}  // namespace

[[gnu::hot]]
std::variant<WorldPosition, Error> parse_position(std::span<const std::string_view> fields,
                                                  NonFinite non_finite) {
  if (auto bad = expect_fields(fields, 4, kLayout)) return *bad;
  auto id = parse_u32(fields[0], "id");
  if (auto* error = std::get_if<Error>(&id)) return std::move(*error);
  float xyz[3] = {};
  static constexpr std::string_view kNames[3] = {"x offset", "y offset", "z offset"};
  for (std::size_t i = 0; i < 3; ++i) {
    auto v = parse_f32(fields[i + 1], kNames[i], non_finite);
    if (auto* error = std::get_if<Error>(&v)) return std::move(*error);
    xyz[i] = std::get<float>(v);
  }
  return WorldPosition{Guid{std::get<std::uint32_t>(id)}, Vector3{xyz[0], xyz[1], xyz[2]},
                       Quaternion::identity()};
}

void append_position(std::string& out, const WorldPosition& p) {
  char text[10 + 3 * (1 + detail::kMaxShortestFloatChars)] = {'0', 'x'};
  detail::write_hex(text + 2, p.landblock_id.raw, 8);
  char* end = text + 10;
  for (const float v : {p.coords.x, p.coords.y, p.coords.z}) {
    *end++ = ' ';
    end = detail::write_shortest_float(end, v);
  }
  out.append(text, end);
}

std::string format_position(const WorldPosition& p) {
  std::string out;
  append_position(out, p);
  return out;
}

std::string_view compass_word(float heading_radians) noexcept {
  static constexpr std::string_view kWords[8] = {"west", "north-west", "north", "north-east",
                                                 "east", "south-east", "south", "south-west"};
  if (std::isnan(heading_radians)) return {};
  const double eighths = static_cast<double>(heading_radians) / (std::numbers::pi / 4.0);
  const double wrapped = std::fmod(std::round(eighths), 8.0);
  const int index = static_cast<int>(wrapped < 0 ? wrapped + 8.0 : wrapped);
  return kWords[index];
}

Command make_coords_command(std::size_t precision) {
  enum Column : std::size_t { kId, kX, kY, kZ, kIndoors, kCell, kLat, kLon, kAlt, kText };
  Command c;
  c.name = "coords";
  c.columns = {"id", "x", "y", "z", "indoors", "cell", "lat", "lon", "alt", "text"};
  return with_flat_processor(
      std::move(c),
      [precision](std::span<const std::string_view> fields, FlatRecord& r)
          __attribute__((hot, noinline)) -> std::optional<Error> {
        auto parsed = one_position(fields);
        if (auto* error = std::get_if<Error>(&parsed)) return std::move(*error);
        const WorldPosition p = std::get<WorldPosition>(parsed);
        const WorldCoordinates wc = p.to_world_coords();
        append_map_text(r.text, std::span(&wc, 1), precision, '\n');
        r.text.pop_back();
        if (!r.want_fields) return std::nullopt;
        FieldList& f = r.fields;
        f.hex(kId, p.landblock_id.raw);
        f.number(kX, p.coords.x, fields[1]);
        f.number(kY, p.coords.y, fields[2]);
        f.number(kZ, p.coords.z, fields[3]);
        f.boolean(kIndoors, wc.is_indoors());
        if (const auto* in = wc.indoor()) {
          f.hex(kCell, in->landblock, 4);
        } else if (const auto* out = wc.outdoor()) {
          f.number(kLat, out->lat);
          f.number(kLon, out->lon);
          f.number(kAlt, out->alt);
        }
        f.text(kText, r.text);
        return std::nullopt;
      });
}

Command make_inspect_command() {
  Command c;
  c.name = "inspect";
  c.columns = {"id",           "x",           "y",          "z",
               "landblock_x",  "landblock_y", "cell",       "indoors",
               "derived_cell", "normalized",  "rebucketed", "world_x",
               "world_y",      "world_z",     "map",        "map_2dp",
               "coordinates",  "debug"};
  c.process = [](std::span<const std::string_view> fields) -> std::variant<Record, Error> {
    auto parsed = one_position(fields);
    if (auto* error = std::get_if<Error>(&parsed)) return std::move(*error);
    const WorldPosition p = std::get<WorldPosition>(parsed);
    const auto [lb_x, lb_y] = p.landblock_coords();
    const std::optional<std::uint32_t> derived = p.derived_outdoor_cell_id();
    const WorldPosition normalized = p.normalize_outdoor_cell();
    const WorldPosition rebucketed = p.rebucket_outdoor_landblock();
    const Vector3 world = p.global_coords();
    const WorldCoordinates wc = p.to_world_coords();
    const std::string map = wc.to_string_with_precision(1);
    const std::string map2 = wc.to_string_with_precision(2);

    Record r;
    add_position_fields(r.fields, p);
    r.fields["landblock_x"] = lb_x;
    r.fields["landblock_y"] = lb_y;
    r.fields["cell"] = hex32(p.landblock_id & 0xFFFFu, 4);
    r.fields["indoors"] = p.is_indoors();
    r.fields["derived_cell"] = derived ? nlohmann::ordered_json(hex32(*derived, 4)) : nullptr;
    r.fields["normalized"] = format_position(normalized);
    r.fields["rebucketed"] = format_position(rebucketed);
    r.fields["world_x"] = json_float(world.x);
    r.fields["world_y"] = json_float(world.y);
    r.fields["world_z"] = json_float(world.z);
    r.fields["map"] = map;
    r.fields["map_2dp"] = map2;
    r.fields["coordinates"] = debug_string(wc);
    r.fields["debug"] = debug_string(p);

    const auto row = [&r](std::string_view label, const std::string& value) {
      if (!r.text.empty()) r.text += '\n';
      r.text += label;
      r.text.append(label.size() < 15 ? 15 - label.size() : 1, ' ');
      r.text += value;
    };
    row("position", format_position(p));
    row("landblock", "x " + std::to_string(lb_x) + ", y " + std::to_string(lb_y) + " (" +
                         hex32(p.landblock_id >> 16, 4) + ")");
    row("cell", cell_text(p));
    row("derived cell", derived_text(p));
    row("normalized", format_position(normalized) +
                          (normalized.landblock_id == p.landblock_id ? " (unchanged)" : ""));
    row("rebucketed", format_position(rebucketed) + (rebucketed == p ? " (unchanged)" : ""));
    row("world", format_float(world.x) + ' ' + format_float(world.y) + ' ' + format_float(world.z));
    row("map", map);
    row("map, 2 digits", map2);
    row("coordinates", debug_string(wc));
    row("debug", debug_string(p));
    return r;
  };
  return c;
}

Command make_rebucket_command() {
  Command c;
  c.name = "rebucket";
  c.columns = {"id", "x", "y", "z", "changed"};
  c.process = [](std::span<const std::string_view> fields) {
    return transform(fields, &WorldPosition::rebucket_outdoor_landblock);
  };
  return c;
}

Command make_normalize_command() {
  Command c;
  c.name = "normalize";
  c.columns = {"id", "x", "y", "z", "changed"};
  c.process = [](std::span<const std::string_view> fields) {
    return transform(fields, &WorldPosition::normalize_outdoor_cell);
  };
  return c;
}

std::vector<std::size_t> map_text_groups(const std::vector<std::string>& arguments) {
  // The longest run of arguments that the library reads as one map text
  // makes one text; an argument that starts none is a text of its own, to be
  // reported. A text is a handful of words, so a few runs are tried at most.
  constexpr std::size_t kMostWords = 16;
  std::vector<std::size_t> sizes;
  std::string joined;
  for (std::size_t at = 0; at < arguments.size();) {
    std::size_t take = 1;
    joined.clear();
    for (std::size_t n = 1; n <= kMostWords && at + n <= arguments.size(); ++n) {
      if (n > 1) joined += ' ';
      joined += arguments[at + n - 1];
      if (WorldCoordinates::parse(joined).coordinates) take = n;
    }
    sizes.push_back(take);
    at += take;
  }
  return sizes;
}

Command make_locate_command() {
  enum Column : std::size_t { kId, kX, kY, kZ, kLat, kLon, kAlt };
  Command c;
  c.name = "locate";
  c.columns = {"id", "x", "y", "z", "lat", "lon", "alt"};
  // The library reads the text as given, so that the places in its messages
  // count in the line.
  c.whole_text = true;
  return with_flat_processor(
      std::move(c),
      [](std::span<const std::string_view> fields, FlatRecord& r)
          __attribute__((hot, noinline)) -> std::optional<Error> {
        const std::string_view text = fields.front();
        const ParsedMapText parsed = WorldCoordinates::parse(text);
        if (!parsed.coordinates) {
          return error_of({"map text ", quote(text), ": ", parsed.error.message()});
        }
        const WorldCoordinates& wc = *parsed.coordinates;
        if (wc.is_indoors()) {
          return error_of({"map text ", quote(text),
                           " is indoors: it names a cell but no landblock, so no position"});
        }
        const std::optional<WorldPosition> located = WorldPosition::from_world_coords(wc);
        if (!located) {
          return error_of({"map text ", quote(text), " lies ",
                           fixed(static_cast<double>(wc.degrees_outside_world()), 2),
                           " map degrees outside the world"});
        }
        append_position(r.text, *located);
        if (!r.want_fields) return std::nullopt;
        FieldList& f = r.fields;
        f.hex(kId, located->landblock_id.raw);
        f.number(kX, located->coords.x);
        f.number(kY, located->coords.y);
        f.number(kZ, located->coords.z);
        const auto* out = wc.outdoor();
        f.number(kLat, out->lat);
        f.number(kLon, out->lon);
        f.number(kAlt, out->alt);
        return std::nullopt;
      });
}

Command make_measure_command() {
  Command c;
  c.name = "measure";
  c.columns = {"distance", "heading_rad", "heading_deg", "compass", "landblocks"};
  c.process = [](std::span<const std::string_view> fields) -> std::variant<Record, Error> {
    if (auto bad = expect_fields(fields, 8, "ID X Y Z ID X Y Z")) return *bad;
    auto from = parse_position(fields.subspan(0, 4), NonFinite::Accept);
    if (auto* error = std::get_if<Error>(&from)) return std::move(*error);
    auto to = parse_position(fields.subspan(4, 4), NonFinite::Accept);
    if (auto* error = std::get_if<Error>(&to)) return std::move(*error);
    const WorldPosition& a = std::get<WorldPosition>(from);
    const WorldPosition& b = std::get<WorldPosition>(to);
    const float distance = a.distance_to(b);
    const float heading = a.heading_to(b);
    const std::optional<std::uint8_t> landblocks = a.landblock_chebyshev_distance_to(b);
    const double degrees = static_cast<double>(heading) * (180.0 / std::numbers::pi);
    const std::string compass = compass_text(a, b, heading);

    Record r;
    r.fields["distance"] = json_float(distance);
    r.fields["heading_rad"] = json_float(heading);
    r.fields["heading_deg"] = json_float(static_cast<float>(degrees));
    r.fields["compass"] =
        compass.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(compass);
    r.fields["landblocks"] =
        landblocks ? nlohmann::ordered_json(*landblocks) : nlohmann::ordered_json(nullptr);
    r.text = "distance " + format_float(distance) + " m, heading " + format_float(heading) +
             " rad (" + (std::isnan(degrees) ? std::string("nan") : fixed(degrees, 1)) + " deg" +
             (compass.empty() ? std::string() : ", " + compass) + "), landblock distance " +
             (landblocks ? std::to_string(*landblocks) : std::string("none"));
    return r;
  };
  return c;
}

}  // namespace corvane::cli
