// Inputs the fuzz targets under fuzz/ stopped on, kept so that the behaviour
// they pinned down stays put. Each case names the target and what it showed.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

#include "corvane/bake_fingerprint.hpp"

namespace corvane {
namespace {

float from_bits(std::uint32_t bits) { return std::bit_cast<float>(bits); }

// fuzz_fingerprint, input word 0x87FFFFFF (about -3.9e-34): SixDp turns a
// negative value above -0.0000005 into -0 ("-0.000000" reads back as -0), and
// -0 itself canonicalises to +0. SixDp is therefore stable under a second
// application only up to that zero merge, not bit for bit.
TEST(FuzzRegression, SixDpOfATinyNegativeIsMinusZeroAndThenPlusZero) {
  for (const std::uint32_t bits : {0x87FFFFFFu, 0xB3000000u /* -2.98e-8 */, 0xB5000000u,
                                   0x80000001u /* -denorm_min */}) {
    const std::uint32_t once = fingerprint_f32_bits(from_bits(bits), FloatCanon::SixDp);
    EXPECT_EQ(once, 0x80000000u) << std::hex << bits;
    EXPECT_EQ(fingerprint_f32_bits(from_bits(once), FloatCanon::SixDp), 0x00000000u) << std::hex << bits;
    EXPECT_EQ(fingerprint_f32_bits(from_bits(once), FloatCanon::Lossless), 0x00000000u);
  }
  // Every other result is a fixed point.
  for (const std::uint32_t bits : {0x3F3504F4u, 0xBF9E0652u, 0x35000000u, 0x7FC00000u}) {
    const std::uint32_t once = fingerprint_f32_bits(from_bits(bits), FloatCanon::SixDp);
    EXPECT_EQ(fingerprint_f32_bits(from_bits(once), FloatCanon::SixDp), once) << std::hex << bits;
  }
}

}  // namespace
}  // namespace corvane
