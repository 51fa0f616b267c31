// Map text: the player-facing text of map coordinates, one coordinate at a
// time and many at once (rows or columns).
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <ostream>
#include <stdexcept>

#include "batch/fixed_words.hpp"
#include "batch/position_batch.hpp"
#include "corvane/position.hpp"
#include "map_text.hpp"
#include "text/fixed_point.hpp"
#include "text/fixed_word.hpp"
#include "text/hex.hpp"
#include "text/unpadded.hpp"

namespace corvane {
namespace {

// "N, ", "E, " and "Z" besides the three numbers.
constexpr std::size_t kMapTextLetters = 7;

// "N, " with the letter given, returning what follows.
char* write_letter_comma_space(char* out, char letter) noexcept {
  out[0] = letter;
  out[1] = ',';
  out[2] = ' ';
  return out + 3;
}

// Bound of the map text's characters other than the 2 * precision digits.
std::size_t map_text_head_bound(float lat, float lon, float alt) noexcept {
  return detail::fixed_chars_bound(lat, 0) + detail::fixed_chars_bound(lon, 0) +
         detail::fixed_chars_bound(alt, 1) + kMapTextLetters;
}

// The map text around its three numbers: `lat` and `lon` are the display
// magnitudes, written by `degrees`, the altitude by `altitude`, each as
// `char* (char* at, float value, std::uint64_t word)` with the number's fixed
// word where one was made (text/fixed_word.hpp), else 0; the letters follow
// the signs of the coordinates themselves. One callable serves both degrees,
// so that its code is there once.
template <class Degrees, class Altitude>
char* write_map_text_with(char* out, const WorldCoordinates::Outdoor& outdoor, float lat, float lon,
                          const std::array<std::uint64_t, 3>& words, Degrees degrees,
                          Altitude altitude) noexcept {
  out = degrees(out, lat, words[0]);
  out = write_letter_comma_space(out, outdoor.lat >= 0.0f ? 'N' : 'S');
  out = degrees(out, lon, words[1]);
  out = write_letter_comma_space(out, outdoor.lon >= 0.0f ? 'E' : 'W');
  out = altitude(out, outdoor.alt, words[2]);
  *out++ = 'Z';
  return out;
}

constexpr std::array<std::uint64_t, 3> kNoWords{};

// At any precision, through write_fixed.
char* write_map_text(char* out, const WorldCoordinates::Outdoor& outdoor, float lat, float lon,
                     std::size_t precision) noexcept {
  return write_map_text_with(
      out, outdoor, lat, lon, kNoWords,
      [precision](char* at, float degrees, std::uint64_t) {
        return detail::write_fixed(at, degrees, precision);
      },
      [](char* at, float altitude, std::uint64_t) { return detail::write_fixed(at, altitude, 1); });
}

// At a precision known at compile time, through the padded writer: `out`
// needs kFixedPadding bytes of room past the text.
template <std::size_t Precision>
[[gnu::hot]] char* write_map_text_padded(char* out,
                                         const WorldCoordinates::Outdoor& outdoor) noexcept {
  return write_map_text_with(
      out, outdoor, detail::map_text_magnitude(outdoor.lat, Precision),
      detail::map_text_magnitude(outdoor.lon, Precision), kNoWords,
      [](char* at, float degrees, std::uint64_t) {
        return detail::write_fixed_padded<Precision>(at, degrees);
      },
      [](char* at, float altitude, std::uint64_t) {
        return detail::write_fixed_padded<1>(at, altitude);
      });
}

// Places a number's fixed word, or writes it by the padded writer where it
// has none: a callable of write_map_text_with.
template <std::size_t Precision>
struct PlaceWord {
  char* operator()(char* at, float value, std::uint64_t word) const noexcept {
    return detail::write_fixed_word<Precision>(at, word, value);
  }
};

// Most characters of one text written by write_map_text_padded, its padding
// included.
template <std::size_t Precision>
constexpr std::size_t kMaxPaddedMapTextChars =
    2 * detail::max_fixed_chars(Precision) + detail::max_fixed_chars(1) + kMapTextLetters +
    detail::kFixedPadding;

constexpr std::size_t kIndoorTextChars = 14;

// Texts whose numbers are made together, and the fewest worth it.
constexpr std::size_t kWordBlock = 64;
constexpr std::size_t kFewTexts = 8;

// "Indoors [01AD]".
char* write_indoor_text(char* out, std::uint16_t cell) noexcept {
  std::memcpy(out, "Indoors [", 9);
  detail::write_hex(out + 9, cell, 4);
  out[13] = ']';
  return out + kIndoorTextChars;
}

std::string outdoor_map_text(const WorldCoordinates::Outdoor& outdoor, std::size_t precision) {
  // At the padded writer's precisions: written on the stack, then the string
  // made once at its length.
  std::array<char, kMaxPaddedMapTextChars<detail::kMaxFastFixedPrecision>> written;
  std::size_t size = 0;
  if (detail::with_fast_precision(precision, [&](auto p) {
        const char* end = write_map_text_padded<decltype(p)::value>(written.data(), outdoor);
        size = static_cast<std::size_t>(end - written.data());
      })) {
    return std::string(written.data(), size);
  }
  std::string text;
  const float lat = detail::map_text_magnitude(outdoor.lat, precision);
  const float lon = detail::map_text_magnitude(outdoor.lon, precision);
  const std::size_t head = map_text_head_bound(lat, lon, outdoor.alt);
  if (precision > (std::numeric_limits<std::size_t>::max() - head) / 2) {
    throw std::length_error("corvane::WorldCoordinates::to_string_with_precision: precision");
  }
  // Sized once from the bound (throws std::length_error beyond max_size()),
  // written in place, then cut to the length written.
  text.resize(head + 2 * precision);
  const char* end = write_map_text(text.data(), outdoor, lat, lon, precision);
  text.resize(static_cast<std::size_t>(end - text.data()));
  return text;
}

}  // namespace

float detail::map_text_magnitude(float degrees, std::size_t precision) noexcept {
  // The downward lean of the one-digit text (bits 0x3D4CCCCD); a magnitude
  // below it would go negative and reads 0.0, so that no minus sign stands
  // before a hemisphere letter.
  constexpr float kOneDigitShift = 0.05f;
  float magnitude = std::fabs(degrees);
  if (precision == 1) {
    magnitude = magnitude - kOneDigitShift;
    if (magnitude < 0.0f) magnitude = 0.0f;
  }
  return magnitude;
}

// ---- WorldCoordinates ----------------------------------------------------------

std::string WorldCoordinates::to_string_with_precision(std::size_t precision) const {
  if (const auto* in = indoor()) {
    std::string text(kIndoorTextChars, '\0');
    write_indoor_text(text.data(), in->landblock);
    return text;
  }
  return outdoor_map_text(*outdoor(), precision);
}

// The text form writes from the stack: at precision 1 its length is bounded.
std::ostream& operator<<(std::ostream& os, const WorldCoordinates& coordinates) {
  std::array<char, kMaxPaddedMapTextChars<1>> text;
  const char* end = nullptr;
  if (const auto* in = coordinates.indoor()) {
    end = write_indoor_text(text.data(), in->landblock);
  } else {
    end = write_map_text_padded<1>(text.data(), *coordinates.outdoor());
  }
  return detail::write_unpadded(
      os, std::string_view(text.data(), static_cast<std::size_t>(end - text.data())));
}

namespace {

// The characters the text of `coordinate` can take at most: exact digits for
// the precision, a bound for the rest. Throws std::length_error where that
// cannot be counted in a size_t.
std::size_t map_text_bound(const WorldCoordinates& coordinate, std::size_t precision) {
  const auto* outdoor = coordinate.outdoor();
  if (outdoor == nullptr) return kIndoorTextChars;
  const std::size_t head =
      map_text_head_bound(detail::map_text_magnitude(outdoor->lat, precision),
                          detail::map_text_magnitude(outdoor->lon, precision), outdoor->alt);
  if (precision > (std::numeric_limits<std::size_t>::max() - head) / 2) {
    throw std::length_error("corvane::append_map_text: precision");
  }
  return head + 2 * precision;
}

char* write_coordinates(char* end, const WorldCoordinates& coordinate, std::size_t precision) {
  if (const auto* in = coordinate.indoor()) return write_indoor_text(end, in->landblock);
  const auto& outdoor = *coordinate.outdoor();
  return write_map_text(end, outdoor, detail::map_text_magnitude(outdoor.lat, precision),
                        detail::map_text_magnitude(outdoor.lon, precision), precision);
}

// Appends texts 0 to n - 1 (each followed by `separator` when there is one)
// to `out` through a stack buffer, appended whenever the next text might not
// fit, and records where each ends when `ends` is given. The texts come in
// blocks: `prepare(first, count)` runs before each, then `write(at, i)` writes
// text i (at most kMaxText characters, padding included) and returns its end.
template <std::size_t kMaxText, class Prepare, class Write>
[[gnu::hot]] void append_through_buffer(std::string& out, std::size_t n, const char* separator,
                                        std::size_t* ends, Prepare prepare, Write write) {
  std::array<char, 4096> buffer;
  char* const first = buffer.data();
  char* const last = first + buffer.size() - (kMaxText + 1);  // the separator
  char* end = first;
  std::size_t flushed = out.size();
  for (std::size_t block = 0; block < n; block += kWordBlock) {
    const std::size_t count = std::min(kWordBlock, n - block);
    prepare(block, count);
    for (std::size_t i = block; i < block + count; ++i) {
      if (end > last) {
        out.append(first, end);
        flushed = out.size();
        end = first;
      }
      end = write(end, i);
      if (separator != nullptr) *end++ = *separator;
      if (ends != nullptr) ends[i] = flushed + static_cast<std::size_t>(end - first);
    }
  }
  out.append(first, end);
}

// The same texts with the digits of a block's numbers made together on vector
// lanes (the display magnitudes at Precision, the altitudes at 1) and then
// placed; a number without a word is written by the scalar writer.
template <std::size_t Precision>
void append_by_words(std::string& out, std::span<const WorldCoordinates> coordinates,
                     const char* separator, std::size_t* ends,
                     detail::FixedWordsKernel degree_words, detail::FixedWordsKernel altitude_words) {
  std::array<float, 2 * kWordBlock> degrees;  // latitude and longitude of each text
  std::array<float, kWordBlock> altitudes;
  std::array<std::uint64_t, 2 * kWordBlock> degree_word;
  std::array<std::uint64_t, kWordBlock> altitude_word;
  std::size_t block = 0;
  append_through_buffer<kMaxPaddedMapTextChars<Precision>>(
      out, coordinates.size(), separator, ends,
      [&](std::size_t first, std::size_t count) {
        block = first;
        for (std::size_t j = 0; j < count; ++j) {
          const auto* outdoor = coordinates[first + j].outdoor();
          degrees[2 * j] = outdoor ? detail::map_text_magnitude(outdoor->lat, Precision) : 0.0f;
          degrees[2 * j + 1] = outdoor ? detail::map_text_magnitude(outdoor->lon, Precision) : 0.0f;
          altitudes[j] = outdoor ? outdoor->alt : 0.0f;
        }
        degree_words(degrees.data(), degree_word.data(), 2 * count);
        altitude_words(altitudes.data(), altitude_word.data(), count);
      },
      [&](char* end, std::size_t i) {
        const WorldCoordinates& coordinate = coordinates[i];
        if (const auto* in = coordinate.indoor()) return write_indoor_text(end, in->landblock);
        const std::size_t j = i - block;
        return write_map_text_with(
            end, *coordinate.outdoor(), degrees[2 * j], degrees[2 * j + 1],
            {degree_word[2 * j], degree_word[2 * j + 1], altitude_word[j]}, PlaceWord<Precision>{},
            PlaceWord<1>{});
      });
}

// Appends the texts of `coordinates` (each followed by `separator` when there
// is one) to `out` and records where each ends when `ends` is given. At the
// precisions of the padded writer the texts go through a stack buffer, which
// is appended whenever the next text might not fit; at others `out` grows by
// the bound of all the texts, so that a text too long for a string is refused
// before anything is written. On an exception `out` is as it was. Hot, as is
// append_map_text: run per text in bulk (see write_shortest_float).
[[gnu::hot]]
void append_texts(std::string& out, std::span<const WorldCoordinates> coordinates,
                  std::size_t precision, const char* separator, std::size_t* ends) {
  const std::size_t start = out.size();
  try {
    const bool fast = detail::with_fast_precision(precision, [&](auto p) {
      constexpr std::size_t kPrecision = decltype(p)::value;
      if constexpr (detail::kHasFixedWordsKernels &&
                    kPrecision <= detail::kMaxFixedWordPrecision) {
        // A few texts are written faster one number at a time than through
        // the vector words, which are made a vector at a time after a
        // dispatch and read back from memory.
        const detail::SimdPath path =
            coordinates.size() >= kFewTexts ? detail::best_simd_path() : detail::SimdPath::Portable;
        const detail::FixedWordsKernel degree_words = detail::fixed_words_kernel(path, kPrecision);
        const detail::FixedWordsKernel altitude_words = detail::fixed_words_kernel(path, 1);
        if (degree_words != nullptr && altitude_words != nullptr) {
          append_by_words<kPrecision>(out, coordinates, separator, ends, degree_words,
                                      altitude_words);
          return;
        }
      }
      append_through_buffer<kMaxPaddedMapTextChars<kPrecision>>(
          out, coordinates.size(), separator, ends, [](std::size_t, std::size_t) {},
          [&](char* end, std::size_t i) {
            const WorldCoordinates& coordinate = coordinates[i];
            if (const auto* in = coordinate.indoor()) return write_indoor_text(end, in->landblock);
            return write_map_text_padded<kPrecision>(end, *coordinate.outdoor());
          });
    });
    if (fast) return;

    constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max();
    const std::size_t separator_chars = separator != nullptr ? 1 : 0;
    std::size_t bound = 0;
    for (const WorldCoordinates& coordinate : coordinates) {
      const std::size_t item = map_text_bound(coordinate, precision);
      if (item >= kMax - bound - separator_chars) {
        throw std::length_error("corvane::append_map_text: text length");
      }
      bound += item + separator_chars;
    }
    if (bound > out.max_size() - start) {
      throw std::length_error("corvane::append_map_text: text length");
    }
    out.resize(start + bound);
    char* const first = out.data();
    char* end = first + start;
    for (std::size_t i = 0; i < coordinates.size(); ++i) {
      end = write_coordinates(end, coordinates[i], precision);
      if (separator != nullptr) *end++ = *separator;
      if (ends != nullptr) ends[i] = static_cast<std::size_t>(end - first);
    }
    out.resize(static_cast<std::size_t>(end - first));
  } catch (...) {
    out.resize(start);
    throw;
  }
}

}  // namespace

[[gnu::hot]]
void append_map_text(std::string& out, std::span<const WorldCoordinates> coordinates,
                     std::size_t precision, char separator) {
  append_texts(out, coordinates, precision, &separator, nullptr);
}

// A block of positions at a time: their coordinates computed on whole vectors
// as to_world_coords does, then written.
void append_map_text(std::string& out, std::span<const std::uint32_t> ids,
                     std::span<const float> xyz, std::size_t precision,
                     std::span<std::size_t> ends) {
  const std::size_t n = ids.size();
  if (xyz.size() / 3 != n || xyz.size() % 3 != 0 || ends.size() != n) {
    throw std::invalid_argument("corvane::append_map_text: the columns differ in size");
  }
  constexpr std::size_t kBlock = 64;
  std::array<float, kBlock> lat, lon, alt;
  std::array<std::uint8_t, kBlock> indoor;
  std::array<std::uint16_t, kBlock> cell;
  std::array<WorldCoordinates, kBlock> block;
  const detail::SimdPath path = detail::best_simd_path();
  const std::size_t start = out.size();
  try {
    for (std::size_t base = 0; base < n; base += kBlock) {
      const std::size_t count = std::min(kBlock, n - base);
      detail::to_world_coords_batch(path, ids.subspan(base, count), xyz.subspan(3 * base, 3 * count),
                                    MapCoordinateColumns{{lat.data(), count},
                                                         {lon.data(), count},
                                                         {alt.data(), count},
                                                         {indoor.data(), count},
                                                         {cell.data(), count}});
      for (std::size_t i = 0; i < count; ++i) {
        block[i] = indoor[i] != 0 ? WorldCoordinates{WorldCoordinates::Indoor{cell[i]}}
                                  : WorldCoordinates{WorldCoordinates::Outdoor{lat[i], lon[i], alt[i]}};
      }
      append_texts(out, std::span(block.data(), count), precision, nullptr, ends.data() + base);
    }
  } catch (...) {
    out.resize(start);
    throw;
  }
}

}  // namespace corvane
