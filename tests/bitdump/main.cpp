#include <cmath>
#include <limits>
#include <string_view>

#include "bitdump.hpp"

namespace bitdump {

std::vector<float> sample_floats() {
  std::vector<float> values = {
      0.0f,        -0.0f,        1.0f,       -1.0f,         0.5f,         3.0f,
      -2.5f,       0.1f,         0.7071068f, 1.2345679f,    192.0f,       -50.0f,
      84.0f,       7.1f,         94.0f,      1e-7f,         -3e-5f,       12345.678f,
      1e20f,       -7.5e15f,     0.33333334f, 2.7182817f,  3.1415927f,   -0.99999994f,
      std::numeric_limits<float>::denorm_min(), std::numeric_limits<float>::max(),
      std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
      std::numeric_limits<float>::quiet_NaN(),
  };
  // A deterministic spread of ordinary magnitudes (xorshift, fixed seed).
  std::uint32_t state = 0x9E3779B9u;
  for (int i = 0; i < 24; ++i) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    values.push_back(static_cast<float>(static_cast<std::int32_t>(state)) * 1e-7f);
  }
  return values;
}

}  // namespace bitdump

// --public-only leaves out what only an in-tree build can reach, for comparison
// with a consumer built against an installed library.
int main(int argc, char** argv) {
  const bool public_only = argc > 1 && std::string_view(argv[1]) == "--public-only";
  bitdump::Dump dump;
  bitdump::dump_math(dump);
  bitdump::dump_position(dump);
  bitdump::dump_fingerprint(dump);
  bitdump::dump_coverage(dump);
  bitdump::dump_batch(dump);
  if (!public_only) bitdump::dump_trig(dump);
}
