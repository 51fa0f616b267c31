#include "commands.hpp"

#include <charconv>

#include "fingerprint.hpp"
#include "positions.hpp"
#include "vocabularies.hpp"

namespace corvane::cli {

std::optional<Command> command_named(std::string_view name) {
  if (name == "coords") return make_coords_command(1);
  if (name.starts_with("coords-p")) {
    std::size_t precision = 0;
    const std::string_view digits = name.substr(8);
    const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), precision);
    if (ec != std::errc{} || ptr != digits.data() + digits.size() || precision > kMaxPrecision) {
      return std::nullopt;
    }
    return make_coords_command(precision);
  }
  if (name == "inspect") return make_inspect_command();
  if (name == "rebucket") return make_rebucket_command();
  if (name == "normalize") return make_normalize_command();
  if (name == "measure") return make_measure_command();
  if (name == "fingerprint") return make_fingerprint_command(FloatCanon::SixDp, true);
  if (name == "fingerprint-lossless") return make_fingerprint_command(FloatCanon::Lossless, true);
  if (name.starts_with("enum:")) {
    for (const EnumVocabulary& v : enum_vocabularies()) {
      if (v.name == name.substr(5)) return make_enum_command(v);
    }
  }
  if (name.starts_with("flags:")) {
    for (const FlagVocabulary& v : flag_vocabularies()) {
      if (v.name == name.substr(6)) return make_flags_command(v);
    }
  }
  return std::nullopt;
}

std::vector<std::string> command_names() {
  std::vector<std::string> names = {"coords",  "coords-p0",   "coords-p3",
                                    "inspect", "rebucket",    "normalize",
                                    "measure", "fingerprint", "fingerprint-lossless"};
  for (const EnumVocabulary& v : enum_vocabularies()) names.push_back("enum:" + std::string(v.name));
  for (const FlagVocabulary& v : flag_vocabularies()) names.push_back("flags:" + std::string(v.name));
  return names;
}

}  // namespace corvane::cli
