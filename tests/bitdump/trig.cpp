#include <cstdint>
#include <string>

#include "bitdump.hpp"
#include "corvane/detail/bit_cast.hpp"

// The elementary functions are internal: a consumer built against an
// installed library cannot reach them, and its dump leaves this section out.
#if __has_include("crmath/cr_math.hpp")
#include "crmath/cr_math.hpp"

namespace bitdump {

void dump_trig(Dump& dump) {
  std::vector<float> f = sample_floats();
  // Every 2^23-th bit pattern plus an odd offset: all exponents, both signs,
  // NaNs and infinities, arguments near multiples of pi/2 and beyond 2^25.
  for (std::uint32_t k = 0; k < 512; ++k)
    f.push_back(corvane::detail::bit_cast<float>(0x00012345u + k * 0x00800001u));
  const std::size_t n = f.size();
  for (std::size_t i = 0; i < n; ++i) {
    const std::string id = std::to_string(i);
    dump("sin" + id, corvane::detail::cr_sin(f[i]));
    dump("cos" + id, corvane::detail::cr_cos(f[i]));
    dump("acos" + id, corvane::detail::cr_acos(f[i]));
    dump("atan2_" + id, corvane::detail::cr_atan2(f[i], f[(i * 7 + 3) % n]));
    dump("fmod" + id, corvane::detail::cr_fmod(f[i], 360.0f));
  }
}

}  // namespace bitdump

#else

namespace bitdump {

void dump_trig(Dump&) {}

}  // namespace bitdump

#endif
