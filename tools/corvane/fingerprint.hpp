// The fingerprint subcommand: values folded into the 64-bit FNV-1a hash.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
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

/// Values folded one at a time from the offset basis; with `explain`, every
/// word's bits and the running hash are kept for the record, or written at
/// once to `live` when given (a whole stream's explanation is not kept).
class FingerprintFold {
 public:
  FingerprintFold(FloatCanon canon, bool explain, std::ostream* live = nullptr);
  /// Folds `v`, read from the text `input`.
  void add(const FingerprintValue& v, std::string_view input);
  [[nodiscard]] std::uint64_t hash() const noexcept { return hash_; }
  [[nodiscard]] std::size_t count() const noexcept { return count_; }
  /// Fields canon, count, fingerprint (and words); the text is the
  /// fingerprint, after the explanation when it was kept.
  [[nodiscard]] Record record() const;

 private:
  FloatCanon canon_;
  bool explain_;
  std::ostream* live_;
  std::uint64_t hash_ = FNV1A_OFFSET_BASIS;
  std::size_t count_ = 0;
  nlohmann::ordered_json words_ = nlohmann::ordered_json::array();
  std::string lines_;
};

/// The fingerprint of each line's values, from the offset basis; with
/// `explain`, also every word's bits and the running hash.
Command make_fingerprint_command(FloatCanon canon, bool explain);

/// Raw little-endian 32-bit words: floats or integer words.
enum class BinaryWords { F32, U32 };

/// How a whole-stream fingerprint is taken and written.
struct FingerprintSettings {
  FloatCanon canon = FloatCanon::SixDp;
  bool explain = false;
  Format format = Format::Text;
  BinaryWords binary = BinaryWords::U32;
};

/// One fingerprint of every value of every item of `source` (lines of text,
/// or arguments one at a time), with no limit on their number. Bad values are
/// reported on `err` where they are ("line 7: value 3: ..."); when there are
/// any, no fingerprint is written but an error. Returns the exit status.
int fingerprint_whole_text(const InputSource& source, const FingerprintSettings& settings,
                           std::ostream& out, std::ostream& err);

/// One fingerprint of the raw words of the input files: every 4 bytes one
/// little-endian word, folded as a float (canonicalised) or as it is. A
/// partial word at the end is an error. Returns the exit status.
int fingerprint_whole_binary(const Inputs& inputs, const FingerprintSettings& settings,
                             std::ostream& out, std::ostream& err);

}  // namespace corvane::cli
