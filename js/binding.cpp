// The C functions the JavaScript package calls: thin wrappers over the
// library's column operations, map-text reader and vocabulary tables. Arrays
// live in the module's memory, allocated by the caller with malloc; results
// that have no caller-sized buffer (texts, messages, names) stay in static
// storage here until the next call of the same kind. Arguments arrive checked
// by the JavaScript side (types, ranges, matching lengths), so nothing here
// throws: the module is built without exception support and a throw would
// abort it.
#include <emscripten/emscripten.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "corvane/bake_fingerprint.hpp"
#include "corvane/position.hpp"
#include "corvane/properties/vocabularies.hpp"

using namespace corvane;

namespace {

// What parse and locate report, read by the JavaScript side as 32-bit words.
struct MapTextResult {
  std::uint32_t status;  // a Status
  std::uint32_t cell;    // Indoor: the cell word
  float lat, lon, alt;
  std::uint32_t lat_precision, lon_precision;
  std::uint32_t error_part, error_offset;
  const char* message;  // the rejection, as MapTextError::message() writes it
  std::uint32_t message_size;
  std::uint32_t id;  // located: the position
  float x, y, z;
  float degrees_outside;  // outdoors but not located: how far outside
  const char* reason;     // the rejection's reason alone (static text)
  std::uint32_t reason_size;
};
enum Status : std::uint32_t { kOutdoor = 0, kIndoor = 1, kRejected = 2, kOutside = 3 };
// api.js reads the fields as words 0 to 17, in this order.
static_assert(sizeof(const char*) == 4 && offsetof(MapTextResult, message) == 9 * 4 &&
              offsetof(MapTextResult, id) == 11 * 4 && offsetof(MapTextResult, reason) == 16 * 4 &&
              sizeof(MapTextResult) == 18 * 4);

MapTextResult g_map_text;
std::string g_message;
std::string g_texts;
std::vector<std::size_t> g_ends;
std::string g_names;

void read_map_text(const char* text, std::size_t size) {
  g_map_text = {};
  const ParsedMapText parsed = WorldCoordinates::parse(std::string_view(text, size));
  if (!parsed.coordinates) {
    g_message = parsed.error.message();
    g_map_text.status = kRejected;
    g_map_text.error_part = static_cast<std::uint32_t>(parsed.error.part);
    g_map_text.error_offset = static_cast<std::uint32_t>(parsed.error.offset);
    g_map_text.message = g_message.data();
    g_map_text.message_size = static_cast<std::uint32_t>(g_message.size());
    g_map_text.reason = parsed.error.reason.data();
    g_map_text.reason_size = static_cast<std::uint32_t>(parsed.error.reason.size());
    return;
  }
  if (const auto* indoor = parsed.coordinates->indoor()) {
    g_map_text.status = kIndoor;
    g_map_text.cell = indoor->landblock;
    return;
  }
  const auto& outdoor = *parsed.coordinates->outdoor();
  g_map_text.status = kOutdoor;
  g_map_text.lat = outdoor.lat;
  g_map_text.lon = outdoor.lon;
  g_map_text.alt = outdoor.alt;
  g_map_text.lat_precision = static_cast<std::uint32_t>(parsed.lat_precision);
  g_map_text.lon_precision = static_cast<std::uint32_t>(parsed.lon_precision);
}

// ---- Vocabularies, addressed by their position in all_vocabularies --------

struct VocabularyEntry {
  std::string_view type_name;
  bool flag_set;
  unsigned bits;
  std::size_t size;
  bool has_display_names;
  bool has_default;
  std::uint32_t default_value;
  std::string_view (*member_name)(std::size_t i);
  std::string_view (*member_display_name)(std::size_t i);
  std::uint32_t (*member_value)(std::size_t i);
  // Enumerations: whether raw is a member. Flag sets: always.
  bool (*is_member)(std::uint32_t raw);
  // Enumerations: the member's name. Flag sets: the text form of the mask.
  std::string (*text)(std::uint32_t raw);
  // The member's display name / the flags' names or display names, '\0' after each.
  std::string (*names)(std::uint32_t raw, bool display);
  std::uint32_t (*truncate)(std::uint32_t raw);
};

template <Enumeration E>
VocabularyEntry enumeration_entry() {
  using U = std::underlying_type_t<E>;
  static_assert(std::is_unsigned_v<U> && sizeof(U) <= 4);
  VocabularyEntry v{};
  v.type_name = enumeration_traits<E>::type_name;
  v.flag_set = false;
  v.bits = storage_bits_v<E>;
  v.size = members<E>().size();
  v.has_display_names = EnumerationWithDisplayNames<E>;
  if constexpr (EnumerationWithDefault<E>) {
    v.has_default = true;
    v.default_value = repr(default_value<E>());
  }
  v.member_name = [](std::size_t i) { return name(members<E>()[i]); };
  v.member_display_name = [](std::size_t i) -> std::string_view {
    if constexpr (EnumerationWithDisplayNames<E>) {
      return display_name(members<E>()[i]);
    } else {
      return name(members<E>()[i]);
    }
  };
  v.member_value = [](std::size_t i) -> std::uint32_t { return repr(members<E>()[i]); };
  v.is_member = [](std::uint32_t raw) {
    return raw <= std::numeric_limits<U>::max() && from_repr<E>(static_cast<U>(raw)).has_value();
  };
  v.text = [](std::uint32_t raw) { return std::string(name(static_cast<E>(raw))); };
  v.names = [](std::uint32_t raw, bool display) {
    if constexpr (EnumerationWithDisplayNames<E>) {
      if (display) return std::string(display_name(static_cast<E>(raw)));
    }
    return std::string(name(static_cast<E>(raw)));
  };
  v.truncate = [](std::uint32_t raw) { return raw; };
  return v;
}

template <FlagSetType F>
VocabularyEntry flag_set_entry() {
  using traits = flag_set_traits<F>;
  VocabularyEntry v{};
  v.type_name = traits::type_name;
  v.flag_set = true;
  v.bits = 32;
  v.size = traits::flags.size();
  v.has_display_names = traits::has_display_names;
  v.member_name = [](std::size_t i) { return traits::flags[i].name; };
  v.member_display_name = [](std::size_t i) {
    const flag_entry& e = traits::flags[i];
    return e.display_name.empty() ? e.name : e.display_name;
  };
  v.member_value = [](std::size_t i) { return traits::flags[i].value; };
  v.is_member = [](std::uint32_t) { return true; };
  v.text = [](std::uint32_t raw) { return debug_string(F::from_bits_retain(raw)); };
  v.names = [](std::uint32_t raw, bool display) {
    std::string out;
    const F f = F::from_bits_retain(raw);
    auto append = [&](std::string_view flag_name) {
      out.append(flag_name);
      out.push_back('\0');
    };
    if constexpr (traits::has_display_names) {
      if (display) {
        for (std::string_view n : f.iter_display_names()) append(n);
        return out;
      }
    }
    for (const auto& named : f.iter_names()) append(named.first);
    return out;
  };
  v.truncate = [](std::uint32_t raw) { return F::from_bits_truncate(raw).bits(); };
  return v;
}

const std::vector<VocabularyEntry>& vocabularies() {
  static const std::vector<VocabularyEntry> all = [] {
    std::vector<VocabularyEntry> v;
    for_each_vocabulary([&]<class V>(std::string_view) {
      if constexpr (Enumeration<V>) {
        v.push_back(enumeration_entry<V>());
      } else {
        v.push_back(flag_set_entry<V>());
      }
    });
    return v;
  }();
  return all;
}

// A string_view handed out as pointer and size.
std::string_view g_view;
const char* hand_out(std::string_view s) {
  g_view = s;
  return s.data();
}

}  // namespace

extern "C" {

// ---- Positions as columns ----------------------------------------------------

EMSCRIPTEN_KEEPALIVE void corvane_to_world_coords(const std::uint32_t* ids, const float* xyz,
                                                  std::size_t n, float* lat, float* lon, float* alt,
                                                  std::uint8_t* indoor, std::uint16_t* cell) {
  to_world_coords(std::span(ids, n), std::span(xyz, 3 * n),
                  MapCoordinateColumns{std::span(lat, n), std::span(lon, n), std::span(alt, n),
                                       std::span(indoor, n), std::span(cell, n)});
}

/// The largest precision map text is written with, the limit of every surface.
EMSCRIPTEN_KEEPALIVE std::size_t corvane_max_map_text_precision() {
  return MAX_MAP_TEXT_PRECISION;
}

/// The texts end to end; corvane_texts_data/size and corvane_text_ends read them.
EMSCRIPTEN_KEEPALIVE void corvane_map_text(const std::uint32_t* ids, const float* xyz,
                                           std::size_t n, std::size_t precision) {
  g_texts.clear();
  g_ends.resize(n);
  append_map_text(g_texts, std::span(ids, n), std::span(xyz, 3 * n), precision, std::span(g_ends));
}
EMSCRIPTEN_KEEPALIVE const char* corvane_texts_data() {
  return g_texts.data();
}
EMSCRIPTEN_KEEPALIVE std::size_t corvane_texts_size() {
  return g_texts.size();
}
EMSCRIPTEN_KEEPALIVE const std::size_t* corvane_text_ends() {
  return g_ends.data();
}
/// Gives back the texts' memory after a large batch.
EMSCRIPTEN_KEEPALIVE void corvane_release_texts() {
  std::string().swap(g_texts);
  std::vector<std::size_t>().swap(g_ends);
}

EMSCRIPTEN_KEEPALIVE void corvane_rebucket_outdoor_landblock(const std::uint32_t* ids,
                                                             const float* xyz, std::size_t n,
                                                             std::uint32_t* ids_out,
                                                             float* xyz_out) {
  rebucket_outdoor_landblock(std::span(ids, n), std::span(xyz, 3 * n), std::span(ids_out, n),
                             std::span(xyz_out, 3 * n));
}

// ---- Map text read back -------------------------------------------------------

EMSCRIPTEN_KEEPALIVE const MapTextResult* corvane_parse_map_text(const char* text,
                                                                 std::size_t size) {
  read_map_text(text, size);
  return &g_map_text;
}

EMSCRIPTEN_KEEPALIVE const MapTextResult* corvane_locate(const char* text, std::size_t size) {
  read_map_text(text, size);
  if (g_map_text.status != kOutdoor) return &g_map_text;
  const WorldCoordinates wc{
      WorldCoordinates::Outdoor{g_map_text.lat, g_map_text.lon, g_map_text.alt}};
  const std::optional<WorldPosition> located = WorldPosition::from_world_coords(wc);
  if (!located) {
    g_map_text.status = kOutside;
    g_map_text.degrees_outside = wc.degrees_outside_world();
    return &g_map_text;
  }
  g_map_text.id = located->landblock_id.raw;
  g_map_text.x = located->coords.x;
  g_map_text.y = located->coords.y;
  g_map_text.z = located->coords.z;
  return &g_map_text;
}

// ---- Fingerprints -----------------------------------------------------------

EMSCRIPTEN_KEEPALIVE void corvane_fingerprint_f32_bits(const float* in, std::size_t n,
                                                       std::uint32_t canon, std::uint32_t* out) {
  fingerprint_f32_bits(std::span(in, n), static_cast<FloatCanon>(canon), std::span(out, n));
}

/// h is read from and written to two words, low first.
EMSCRIPTEN_KEEPALIVE void corvane_fnv1a_fold(std::uint32_t* h, const std::uint32_t* words,
                                             std::size_t n) {
  const std::uint64_t in = std::uint64_t{h[0]} | (std::uint64_t{h[1]} << 32);
  const std::uint64_t out = fnv1a_fold(in, std::span(words, n));
  h[0] = static_cast<std::uint32_t>(out);
  h[1] = static_cast<std::uint32_t>(out >> 32);
}

// ---- Vocabularies -------------------------------------------------------------

EMSCRIPTEN_KEEPALIVE std::size_t corvane_vocabulary_count() {
  return vocabularies().size();
}
/// Bit 0: flag set; bit 1: display names; bit 2: a default member; bits 8..15: storage bits.
EMSCRIPTEN_KEEPALIVE std::uint32_t corvane_vocabulary_kind(std::size_t v) {
  const VocabularyEntry& e = vocabularies()[v];
  return (e.flag_set ? 1u : 0u) | (e.has_display_names ? 2u : 0u) | (e.has_default ? 4u : 0u) |
         (e.bits << 8);
}
EMSCRIPTEN_KEEPALIVE std::uint32_t corvane_vocabulary_default(std::size_t v) {
  return vocabularies()[v].default_value;
}
EMSCRIPTEN_KEEPALIVE std::size_t corvane_vocabulary_size(std::size_t v) {
  return vocabularies()[v].size;
}
EMSCRIPTEN_KEEPALIVE const char* corvane_vocabulary_name(std::size_t v) {
  return hand_out(vocabularies()[v].type_name);
}
EMSCRIPTEN_KEEPALIVE const char* corvane_member_name(std::size_t v, std::size_t i, bool display) {
  const VocabularyEntry& e = vocabularies()[v];
  return hand_out(display ? e.member_display_name(i) : e.member_name(i));
}
EMSCRIPTEN_KEEPALIVE std::uint32_t corvane_member_value(std::size_t v, std::size_t i) {
  return vocabularies()[v].member_value(i);
}
EMSCRIPTEN_KEEPALIVE bool corvane_is_member(std::size_t v, std::uint32_t raw) {
  return vocabularies()[v].is_member(raw);
}
EMSCRIPTEN_KEEPALIVE const char* corvane_vocabulary_text(std::size_t v, std::uint32_t raw) {
  g_names = vocabularies()[v].text(raw);
  return hand_out(g_names);
}
EMSCRIPTEN_KEEPALIVE const char* corvane_vocabulary_names(std::size_t v, std::uint32_t raw,
                                                          bool display) {
  g_names = vocabularies()[v].names(raw, display);
  return hand_out(g_names);
}
EMSCRIPTEN_KEEPALIVE std::uint32_t corvane_flags_truncate(std::size_t v, std::uint32_t raw) {
  return vocabularies()[v].truncate(raw);
}
/// Size of the text the last name call handed out.
EMSCRIPTEN_KEEPALIVE std::size_t corvane_handed_out_size() {
  return g_view.size();
}

}  // extern "C"
