// The fingerprint subcommand: values folded into the 64-bit FNV-1a hash.
#pragma once

#include <cstdint>
#include <string_view>
#include <variant>

#include "corvane/bake_fingerprint.hpp"
#include "input.hpp"
#include "stream.hpp"

namespace corvane::cli {

/// One value of a fingerprint: a 32-bit word folded as it is, or a float
/// folded by its canonical bit pattern.
struct FingerprintValue {
  enum class Kind { Word, Float } kind = Kind::Word;
  std::uint32_t word = 0;  // Kind::Word
  float value = 0.0f;      // Kind::Float
};

/// Reads one value. An integer ("7", "0x1F", "-1") is a 32-bit word; a
/// negative integer down to -2147483648 is folded as its two's-complement
/// word. Anything with a point, an exponent, "nan" or "inf" is a float, as is
/// a hexadecimal float with a 'p' exponent. Prefixes force the reading:
/// "u:7" a word, "f:7" a float, "bits:0x3F3504F4" the float with that bit
/// pattern (NaN payloads included).
std::variant<FingerprintValue, Error> parse_fingerprint_value(std::string_view token);

/// "sixdp" or "lossless"; empty for anything else.
std::optional<FloatCanon> parse_canon(std::string_view name) noexcept;

/// The fingerprint of each line's values, from the offset basis; with
/// `explain`, also every word's bits and the running hash.
Command make_fingerprint_command(FloatCanon canon, bool explain);

}  // namespace corvane::cli
