// The bit-dump program prints the bit patterns of many float results over
// fixed inputs. It is compiled twice, once with the project's flags and once as
// a consumer would with -O3 -march=native and contraction allowed; the two
// outputs must be identical, proving that no result depends on how the caller
// compiles.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

#include "corvane/detail/bit_cast.hpp"

namespace bitdump {

class Dump {
 public:
  void operator()(std::string_view label, float v) {
    std::printf("%.*s %08X\n", static_cast<int>(label.size()), label.data(),
                corvane::detail::bit_cast<std::uint32_t>(v));
  }
  void operator()(std::string_view label, std::optional<float> v) {
    if (v) {
      (*this)(label, *v);
    } else {
      std::printf("%.*s empty\n", static_cast<int>(label.size()), label.data());
    }
  }
  void operator()(std::string_view label, std::uint64_t v) {
    std::printf("%.*s %016llX\n", static_cast<int>(label.size()), label.data(),
                static_cast<unsigned long long>(v));
  }
  void text(std::string_view label, std::string_view text) {
    std::printf("%.*s %.*s\n", static_cast<int>(label.size()), label.data(),
                static_cast<int>(text.size()), text.data());
  }
};

/// A fixed, varied set of floats: ordinary values, near-cancellations,
/// signed zeros, subnormals, large magnitudes and non-finite values.
std::vector<float> sample_floats();

void dump_math(Dump& dump);
void dump_position(Dump& dump);
void dump_fingerprint(Dump& dump);
/// Operations the module dumps leave out (quaternion dot, cell derivation).
void dump_coverage(Dump& dump);
/// The batch (span) operations; appended after everything else.
void dump_batch(Dump& dump);
/// The elementary functions themselves over every exponent and sign.
void dump_trig(Dump& dump);

}  // namespace bitdump
