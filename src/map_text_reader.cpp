// From map text back to coordinates, and from coordinates back to a position.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <tuple>

#include "corvane/detail/bit_cast.hpp"
#include "corvane/position.hpp"
#include "map_text.hpp"
#include "text/decimal_to_float.hpp"
#include "text/fixed_point.hpp"

namespace corvane {
namespace {

using Part = MapTextError::Part;

// ---- the world's extent -------------------------------------------------------

// The float just below 192: the largest offset inside a landblock.
constexpr float kLastOffset =
    detail::bit_cast<float>(detail::bit_cast<std::uint32_t>(LANDBLOCK_LENGTH) - 1u);
constexpr std::uint32_t kLastLandblock = 255;
constexpr float kWorldMetres = LANDBLOCK_LENGTH * (kLastLandblock + 1);

// A place on one axis: a landblock and the offset inside it.
struct AxisPlace {
  std::uint32_t landblock;
  float offset;
};

// Map degrees shown by a position at this landblock and offset on one axis,
// by the conversion itself (both axes share it).
float map_degrees_at(std::uint32_t landblock, float offset) noexcept {
  const WorldPosition p{Guid{(landblock << 24) | 1u}, Vector3{offset, 0.0f, 0.0f}, Quaternion{}};
  return p.to_world_coords().outdoor()->lon;
}

float map_degrees_at(const AxisPlace& place) noexcept {
  return map_degrees_at(place.landblock, place.offset);
}

float world_min_degrees() noexcept {
  return map_degrees_at(0, 0.0f);
}
// About 102.8: the offset just below 192 in the last landblock rounds to the
// world's far edge.
float world_max_degrees() noexcept {
  return map_degrees_at(kLastLandblock, kLastOffset);
}

float degrees_outside(float degrees, float low, float high) noexcept {
  if (std::isnan(degrees)) return degrees;
  if (degrees < low) return low - degrees;
  if (degrees > high) return degrees - high;
  return 0.0f;
}

// ---- locating -----------------------------------------------------------------

// Metres from the world's west (or south) edge, in [0, kWorldMetres], as a
// landblock and an offset inside it.
AxisPlace place_of(float metres) noexcept {
  // In double: a float just below a multiple of 192 does not round up to it.
  const double landblocks = std::floor(static_cast<double>(metres) / LANDBLOCK_LENGTH);
  const auto landblock =
      static_cast<std::uint32_t>(std::min(landblocks, static_cast<double>(kLastLandblock)));
  // Exact: the difference of two multiples of the float's spacing, below 192.
  const auto offset = static_cast<float>(static_cast<double>(metres) -
                                         static_cast<double>(landblock) * LANDBLOCK_LENGTH);
  return {landblock, std::min(offset, kLastOffset)};
}

// The place on one axis whose map degrees come nearest to `degrees` (on the
// same side of 0), nearest to the exact inverse among those. Positions reach
// only some floats near 100 degrees, so the floats of the world coordinate
// around the exact inverse are tried one by one.
AxisPlace locate_axis(double degrees) noexcept {
  const double ideal = (degrees + MAP_ORIGIN_DEGREES) * METRES_PER_MAP_DEGREE;
  // The float nearest the exact inverse first, then its neighbours (for
  // non-negative floats, neighbouring bit patterns).
  const auto ideal_bits =
      detail::bit_cast<std::uint32_t>(std::clamp(static_cast<float>(ideal), 0.0f, kWorldMetres));

  struct Candidate {
    bool other_side;
    double degrees_off;
    double metres_off;
    AxisPlace place;
  };
  Candidate best{true, std::numeric_limits<double>::infinity(), 0.0, {0, 0.0f}};
  float best_degrees = 0.0f;
  for (const int step : {0, -1, 1, -2, 2, -3, 3}) {
    if (step < 0 && ideal_bits < static_cast<std::uint32_t>(-step)) continue;
    const float metres = detail::bit_cast<float>(ideal_bits + static_cast<std::uint32_t>(step));
    if (metres > kWorldMetres) continue;
    const AxisPlace place = place_of(metres);
    const float shown = map_degrees_at(place.landblock, place.offset);
    const Candidate candidate{(shown >= 0.0f) != (degrees >= 0.0f), std::fabs(shown - degrees),
                              std::fabs(static_cast<double>(metres) - ideal), place};
    if (std::tie(candidate.other_side, candidate.degrees_off, candidate.metres_off) <
        std::tie(best.other_side, best.degrees_off, best.metres_off)) {
      best = candidate;
      best_degrees = shown;
    }
    // Showing the very degrees from the nearest float cannot be beaten.
    if (step == 0 && !candidate.other_side && candidate.degrees_off == 0.0) break;
  }
  // Offsets are finer than world coordinates: take the one nearest the exact
  // inverse if it shows the same degrees.
  const double finer = ideal - static_cast<double>(best.place.landblock) * LANDBLOCK_LENGTH;
  if (finer >= 0.0 && finer < LANDBLOCK_LENGTH) {
    const float offset = std::min(static_cast<float>(finer), kLastOffset);
    if (map_degrees_at(best.place.landblock, offset) == best_degrees) best.place.offset = offset;
  }
  return best.place;
}

// ---- reading ------------------------------------------------------------------

// Latitude and longitude from 100000 up are no map coordinates. Below it the
// float spacing stays under 0.01, finer than the one-digit text's lean of
// 0.05, so every text read prints back as itself.
constexpr std::size_t kMaxIntegerDigits = 5;

// Up to this many digits after the point, the positions that print a text
// need not show the float nearest its middle: the text's band is no wider
// than a few steps between the values positions show. With more digits that
// float is the value of the one position that prints the text, if any.
constexpr std::size_t kMaxSnappedDigits = 6;
constexpr std::array<double, kMaxSnappedDigits + 1> kUnits = {1.0,  1e-1, 1e-2, 1e-3,
                                                              1e-4, 1e-5, 1e-6};

bool is_digit(char c) noexcept {
  return c >= '0' && c <= '9';
}
char lower(char c) noexcept {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
bool all_zeros(std::string_view digits) noexcept {
  return std::all_of(digits.begin(), digits.end(), [](char c) { return c == '0'; });
}

struct Number {
  std::string_view integer;   // at least one digit
  std::string_view fraction;  // the digits after the point, if any
};

class Cursor {
 public:
  explicit Cursor(std::string_view text) noexcept : text_(text) {}
  [[nodiscard]] std::size_t pos() const noexcept { return pos_; }
  [[nodiscard]] bool at_end() const noexcept { return pos_ == text_.size(); }
  [[nodiscard]] char peek() const noexcept { return at_end() ? '\0' : text_[pos_]; }
  void skip_blanks() noexcept {
    while (peek() == ' ' || peek() == '\t') ++pos_;
  }
  // Takes the character if it is `wanted`, whatever its case.
  bool take(char wanted) noexcept {
    if (at_end() || lower(text_[pos_]) != wanted) return false;
    ++pos_;
    return true;
  }
  std::string_view take_digits() noexcept {
    const std::size_t start = pos_;
    while (is_digit(peek())) ++pos_;
    return text_.substr(start, pos_ - start);
  }
  std::string_view take_hex_digits() noexcept {
    const std::size_t start = pos_;
    while (is_digit(peek()) || (lower(peek()) >= 'a' && lower(peek()) <= 'f')) ++pos_;
    return text_.substr(start, pos_ - start);
  }
  bool take_word(std::string_view word) noexcept {
    if (text_.size() - pos_ < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
      if (lower(text_[pos_ + i]) != word[i]) return false;
    }
    pos_ += word.size();
    return true;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// Collects the first problem found; the readers below stop at it.
struct Problem {
  MapTextError error;
  bool found = false;
  bool report(Part part, std::string_view reason, std::size_t offset) noexcept {
    if (!found) error = {part, reason, offset};
    found = true;
    return false;
  }
};

bool read_number(Cursor& in, Part part, Number& number, Problem& problem) noexcept {
  const std::size_t start = in.pos();
  number.integer = in.take_digits();
  if (number.integer.empty()) return problem.report(part, "expected a number", start);
  if (in.peek() == '.') {
    in.take('.');
    number.fraction = in.take_digits();
    if (number.fraction.empty()) {
      return problem.report(part, "expected a digit after the decimal point", in.pos());
    }
  }
  return true;
}

std::string_view without_leading_zeros(std::string_view digits) noexcept {
  return digits.substr(std::min(digits.find_first_not_of('0'), digits.size()));
}

// Whether `degrees` prints as `number` and the letter on the side `negative`
// names, at the number's own precision (at most kMaxSnappedDigits).
bool prints_as(float degrees, const Number& number, bool negative) noexcept {
  if (negative == (degrees >= 0.0f)) return false;
  const std::size_t digits = number.fraction.size();
  const float magnitude = detail::map_text_magnitude(degrees, digits);
  std::array<char, 64> text{};
  if (detail::fixed_chars_bound(magnitude, digits) > text.size()) return false;
  const std::string_view written(
      text.data(),
      static_cast<std::size_t>(detail::write_fixed(text.data(), magnitude, digits) - text.data()));
  const std::size_t point = std::min(written.find('.'), written.size());
  const std::string_view fraction = written.substr(std::min(point + 1, written.size()));
  return without_leading_zeros(written.substr(0, point)) == without_leading_zeros(number.integer) &&
         fraction == number.fraction;
}

// The magnitudes that print as `number` at its own precision (at most
// kMaxSnappedDigits), in double: exact enough to find their middle.
struct Band {
  double low;
  double high;
};
Band band_of(const Number& number, bool zero) noexcept {
  const std::size_t digits = number.fraction.size();
  double scaled = 0.0;  // the number times 10^digits: at most 11 digits, exact
  for (const char c : number.integer) scaled = scaled * 10 + (c - '0');
  for (const char c : number.fraction) scaled = scaled * 10 + (c - '0');
  const double unit = kUnits[digits];
  if (digits == 1) return {scaled * unit, (scaled + 1) * unit};
  if (zero) return {0.0, unit / 2};
  return {(scaled - 0.5) * unit, (scaled + 0.5) * unit};
}

// Latitude or longitude: inside the world, the value shown by the position
// nearest the middle of those that print as `number` and its letter;
// otherwise the float nearest the middle of the values that print so.
float angle_value(const Number& number, bool negative) noexcept {
  const std::size_t digits = number.fraction.size();
  const bool zero = all_zeros(number.integer) && all_zeros(number.fraction);
  const auto scale = -static_cast<std::int64_t>(digits);
  detail::DecimalDigits middle;
  if (digits == 1) {
    // The one-digit text leans downwards: "33.5" stands for 33.5 to 33.6.
    middle = {{number.integer, number.fraction, "5"}, scale - 1};
  } else if (zero) {
    // Only the half of the band on this side of 0 prints this letter.
    middle = {{"25", {}, {}}, scale - 2};
  } else {
    middle = {{number.integer, number.fraction, {}}, scale};
  }
  const float plain = detail::decimal_to_float(middle);
  const auto with_sign = [negative](float magnitude) { return negative ? -magnitude : magnitude; };
  if (digits > kMaxSnappedDigits) return with_sign(plain);

  const Band band = band_of(number, zero);
  const double edge = negative ? -static_cast<double>(world_min_degrees()) : world_max_degrees();
  if (band.low > edge) return with_sign(plain);
  // Where the band reaches across the world's edge, the part inside counts.
  const double high = std::min(band.high, edge);
  const double inside_middle = (band.low + high) / 2;
  const float shown = map_degrees_at(locate_axis(negative ? -inside_middle : inside_middle));
  // No position prints the text (only the edge's own value may lie in the
  // part inside): the plain middle, which prints as the text.
  return prints_as(shown, number, negative) ? shown : with_sign(plain);
}

// Latitude (N or S) or longitude (E or W): its number, blanks, its letter.
bool read_angle(Cursor& in, bool latitude, float& value, std::size_t& precision,
                Problem& problem) noexcept {
  const Part part = latitude ? Part::Latitude : Part::Longitude;
  if (in.peek() == '-' || in.peek() == '+') {
    return problem.report(part, "no sign here: the letter after the number gives the direction",
                          in.pos());
  }
  const std::size_t start = in.pos();
  Number number;
  if (!read_number(in, part, number, problem)) return false;
  const std::string_view significant =
      number.integer.substr(std::min(number.integer.find_first_not_of('0'), number.integer.size()));
  if (significant.size() > kMaxIntegerDigits) {
    return problem.report(part, "out of range: 100000 degrees or more", start);
  }
  in.skip_blanks();
  const char positive = latitude ? 'n' : 'e';
  const char negative = latitude ? 's' : 'w';
  const std::size_t letter = in.pos();
  const bool is_negative = in.take(negative);
  if (!is_negative && !in.take(positive)) {
    const char other_first = latitude ? 'e' : 'n';
    const char other_second = latitude ? 'w' : 's';
    const bool swapped = lower(in.peek()) == other_first || lower(in.peek()) == other_second;
    if (latitude) {
      return problem.report(
          part, swapped ? "expected N or S: latitude comes first" : "expected N or S", letter);
    }
    return problem.report(
        part, swapped ? "expected E or W: longitude comes second" : "expected E or W", letter);
  }
  value = angle_value(number, is_negative);
  // Five integer digits can still round up to 100000 ("99999.99999998").
  if (std::fabs(value) >= 100000.0f) {
    return problem.report(part, "out of range: 100000 degrees or more", start);
  }
  precision = number.fraction.size();
  return true;
}

bool read_altitude(Cursor& in, float& value, Problem& problem) noexcept {
  const std::size_t start = in.pos();
  const bool negative = in.take('-');
  Number number;
  if (!read_number(in, Part::Altitude, number, problem)) return false;
  const float magnitude = detail::decimal_to_float(
      {{number.integer, number.fraction, {}}, -static_cast<std::int64_t>(number.fraction.size())});
  if (std::isinf(magnitude))
    return problem.report(Part::Altitude, "out of range for a float", start);
  in.skip_blanks();
  if (!in.take('z'))
    return problem.report(Part::Altitude, "expected Z after the altitude", in.pos());
  value = negative ? -magnitude : magnitude;
  return true;
}

// "Indoors [01AD]".
bool read_indoor(Cursor& in, std::uint16_t& cell, Problem& problem) noexcept {
  if (!in.take_word("indoors")) return problem.report(Part::Indoor, "expected Indoors", in.pos());
  in.skip_blanks();
  if (!in.take('[')) return problem.report(Part::Indoor, "expected [ after Indoors", in.pos());
  in.skip_blanks();
  const std::size_t start = in.pos();
  const std::string_view hex = in.take_hex_digits();
  if (hex.empty()) return problem.report(Part::Indoor, "expected a hexadecimal cell number", start);
  if (hex.size() > 4) return problem.report(Part::Indoor, "at most four hexadecimal digits", start);
  unsigned value = 0;
  for (const char c : hex) {
    value = value * 16 + static_cast<unsigned>(is_digit(c) ? c - '0' : lower(c) - 'a' + 10);
  }
  in.skip_blanks();
  if (!in.take(']'))
    return problem.report(Part::Indoor, "expected ] after the cell number", in.pos());
  cell = static_cast<std::uint16_t>(value);
  return true;
}

// Blanks, then a comma or nothing, then blanks.
void skip_separator(Cursor& in) noexcept {
  in.skip_blanks();
  if (in.peek() == ',') {
    in.take(',');
    in.skip_blanks();
  }
}

bool read_outdoor(Cursor& in, ParsedMapText& out, Problem& problem) noexcept {
  WorldCoordinates::Outdoor outdoor{0.0f, 0.0f, 0.0f};
  if (!read_angle(in, true, outdoor.lat, out.lat_precision, problem)) return false;
  skip_separator(in);
  if (!read_angle(in, false, outdoor.lon, out.lon_precision, problem)) return false;
  in.skip_blanks();
  if (!in.at_end()) {
    skip_separator(in);
    if (!read_altitude(in, outdoor.alt, problem)) return false;
  }
  out.coordinates = WorldCoordinates{outdoor};
  return true;
}

}  // namespace

ParsedMapText WorldCoordinates::parse(std::string_view text) noexcept {
  ParsedMapText out;
  Problem problem;
  Cursor in(text);
  in.skip_blanks();
  if (in.at_end()) {
    problem.report(Part::Text, "empty", in.pos());
  } else if (Cursor probe = in; probe.take_word("indoors")) {
    std::uint16_t cell = 0;
    if (read_indoor(in, cell, problem)) out.coordinates = WorldCoordinates{Indoor{cell}};
  } else {
    read_outdoor(in, out, problem);
  }
  if (!problem.found) {
    in.skip_blanks();
    if (!in.at_end()) problem.report(Part::Text, "unexpected text after the coordinates", in.pos());
  }
  if (problem.found) {
    out = ParsedMapText{};
    out.error = problem.error;
  }
  return out;
}

std::optional<WorldCoordinates> WorldCoordinates::from_string(std::string_view text) noexcept {
  return parse(text).coordinates;
}

float WorldCoordinates::degrees_outside_world() const noexcept {
  const Outdoor* o = outdoor();
  if (o == nullptr) return 0.0f;
  const float low = world_min_degrees();
  const float high = world_max_degrees();
  const float lat = degrees_outside(o->lat, low, high);
  const float lon = degrees_outside(o->lon, low, high);
  if (std::isnan(lat) || std::isnan(lon)) return std::numeric_limits<float>::quiet_NaN();
  return std::max(lat, lon);
}

std::optional<WorldPosition> WorldPosition::from_world_coords(
    const WorldCoordinates& coordinates) noexcept {
  const WorldCoordinates::Outdoor* o = coordinates.outdoor();
  if (o == nullptr || coordinates.degrees_outside_world() != 0.0f) return std::nullopt;
  const AxisPlace x = locate_axis(o->lon);
  const AxisPlace y = locate_axis(o->lat);
  // Any outdoor cell word, so that landblock (0, 0) does not read as id 0;
  // normalising puts the derived cell in its place.
  const WorldPosition located{Guid{(x.landblock << 24) | (y.landblock << 16) | 1u},
                              Vector3{x.offset, y.offset, o->alt}, Quaternion::identity()};
  return located.normalize_outdoor_cell();
}

std::string MapTextError::message() const {
  if (reason.empty()) return {};
  static constexpr std::string_view kPartNames[] = {"map text", "latitude", "longitude", "altitude",
                                                    "indoor cell"};
  std::string text(kPartNames[static_cast<std::size_t>(part)]);
  text += ": ";
  text += reason;
  text += " (at character ";
  text += std::to_string(offset + 1);
  text += ')';
  return text;
}

}  // namespace corvane
