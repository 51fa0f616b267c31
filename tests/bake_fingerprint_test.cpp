#include "corvane/bake_fingerprint.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <span>
#include <sstream>
#include <string_view>
#include <type_traits>
#include <vector>

#include "six_dp_reference.hpp"

namespace {

using corvane::FloatCanon;
using corvane::fingerprint_f32_bits;
using corvane::fnv1a_fold;
using corvane::FNV1A_OFFSET_BASIS;
using corvane::wire_f32_bits;
using corvane_test::six_dp_by_text;

float from_bits(std::uint32_t bits) { return std::bit_cast<float>(bits); }
std::uint32_t bits_of(float v) { return std::bit_cast<std::uint32_t>(v); }

std::uint32_t six_dp(std::uint32_t bits) {
  return fingerprint_f32_bits(from_bits(bits), FloatCanon::SixDp);
}
std::uint32_t lossless(std::uint32_t bits) {
  return fingerprint_f32_bits(from_bits(bits), FloatCanon::Lossless);
}

// The float nearest to a decimal text, parsed by the C library.
std::uint32_t strtof_bits(const char* text) { return bits_of(std::strtof(text, nullptr)); }

// Checks the library against the text definition, and wire_f32_bits against
// fingerprint_f32_bits, for every pattern given.
void expect_matches_text(std::span<const std::uint32_t> inputs) {
  for (const std::uint32_t bits : inputs) {
    const std::uint32_t expected = six_dp_by_text(bits);
    ASSERT_EQ(six_dp(bits), expected) << std::hex << "input 0x" << bits;
    ASSERT_EQ(wire_f32_bits(from_bits(bits)), expected) << std::hex << "input 0x" << bits;
  }
}

// Adds each pattern and its neighbours one and two ulps away on both sides.
void add_with_neighbours(std::vector<std::uint32_t>& out, std::uint32_t bits) {
  for (std::uint32_t d = 0; d <= 2; ++d) {
    out.push_back(bits + d);
    out.push_back(bits - d);
  }
}

// ---------------------------------------------------------------------------
// FloatCanon

static_assert(sizeof(FloatCanon) == 1);
static_assert(std::is_same_v<std::underlying_type_t<FloatCanon>, std::uint8_t>);
static_assert(static_cast<int>(FloatCanon::SixDp) == 0);
static_assert(static_cast<int>(FloatCanon::Lossless) == 1);

TEST(FloatCanonText, BareMemberNameIgnoringWidthAndFill) {
  EXPECT_EQ(debug_string(FloatCanon::SixDp), "SixDp");
  EXPECT_EQ(debug_string(FloatCanon::Lossless), "Lossless");
  EXPECT_EQ(debug_string(static_cast<FloatCanon>(7)), "7");

  std::ostringstream os;
  os.width(12);
  os.fill('*');
  os << FloatCanon::Lossless;
  EXPECT_EQ(os.str(), "Lossless");
  // The width is used up as by any formatted output, so it does not pad the
  // next output either; the fill stays.
  os << 7;
  EXPECT_EQ(os.str(), "Lossless7");
  EXPECT_EQ(os.fill(), '*');
  EXPECT_EQ(corvane::from_repr<FloatCanon>(1), FloatCanon::Lossless);
  EXPECT_FALSE(corvane::from_repr<FloatCanon>(2).has_value());
  EXPECT_EQ(corvane::members<FloatCanon>().size(), 2u);
}

// ---------------------------------------------------------------------------
// Lossless

TEST(Lossless, MergesOnlyTheZeros) {
  EXPECT_EQ(lossless(0x0000'0000u), 0x0000'0000u);
  EXPECT_EQ(lossless(0x8000'0000u), 0x0000'0000u);
  for (const std::uint32_t bits : {0x3F9E'0652u, 0xB3D6'BF95u, 0x0000'0001u, 0x8000'0001u,
                                   0x7F80'0000u, 0xFF80'0000u, 0x7FC0'0000u, 0xFFC0'0000u,
                                   0x7F80'0001u, 0xFFBF'FFFFu, 0x7F7F'FFFFu}) {
    EXPECT_EQ(lossless(bits), bits) << std::hex << bits;
  }
  std::mt19937 rng(7);
  for (int i = 0; i < 100'000; ++i) {
    const std::uint32_t bits = static_cast<std::uint32_t>(rng());
    ASSERT_EQ(lossless(bits), bits == 0x8000'0000u ? 0u : bits);
  }
}

TEST(Lossless, OutOfRangeCanonIsSixDp) {
  const float v = from_bits(0x3F9E'0652u);
  EXPECT_EQ(fingerprint_f32_bits(v, static_cast<FloatCanon>(2)), wire_f32_bits(v));
  EXPECT_EQ(fingerprint_f32_bits(v, static_cast<FloatCanon>(255)), wire_f32_bits(v));
}

// ---------------------------------------------------------------------------
// SixDp: worked values

TEST(SixDp, ZerosMergeAndTinyValuesKeepTheirSign) {
  EXPECT_EQ(six_dp(0x0000'0000u), 0x0000'0000u);
  EXPECT_EQ(six_dp(0x8000'0000u), 0x0000'0000u);
  EXPECT_EQ(wire_f32_bits(-0.0f), wire_f32_bits(0.0f));
  // 1e-7 rounds to no decimal digit at all: "0.000000" and "-0.000000".
  EXPECT_EQ(six_dp(bits_of(1e-7f)), 0x0000'0000u);
  EXPECT_EQ(six_dp(bits_of(-1e-7f)), 0x8000'0000u);
  EXPECT_EQ(lossless(bits_of(-1e-7f)), bits_of(-1e-7f));
  EXPECT_EQ(six_dp(0x0000'0001u), 0x0000'0000u);  // smallest subnormal
  EXPECT_EQ(six_dp(0x8000'0001u), 0x8000'0000u);
  // 5e-7 is not a float: the floats on either side of it round to 0 and 1e-6.
  float lo = 5e-7f;
  float hi = 5e-7f;
  if (static_cast<double>(lo) < 5e-7) {
    hi = std::nextafter(lo, 1.0f);
  } else {
    lo = std::nextafter(hi, 0.0f);
  }
  EXPECT_EQ(six_dp(bits_of(lo)), 0x0000'0000u);
  EXPECT_EQ(six_dp(bits_of(-lo)), 0x8000'0000u);
  EXPECT_EQ(six_dp(bits_of(hi)), strtof_bits("0.000001"));
  EXPECT_EQ(six_dp(bits_of(-hi)), strtof_bits("-0.000001"));
}

TEST(SixDp, WorkedValues) {
  // 0.7071068 is written "0.707107".
  EXPECT_EQ(six_dp(0x3F35'04F4u), 0x3F35'04F7u);
  EXPECT_EQ(six_dp(0x3F35'04F4u), strtof_bits("0.707107"));
  // 1.2345679 is written "1.234568" and reads back to a different float.
  EXPECT_EQ(lossless(0x3F9E'0652u), 0x3F9E'0652u);
  EXPECT_EQ(six_dp(0x3F9E'0652u), strtof_bits("1.234568"));
  EXPECT_NE(six_dp(0x3F9E'0652u), 0x3F9E'0652u);
  // 0.0078125 = 1/128 lies exactly halfway: written 0.007812 (even digit).
  EXPECT_EQ(six_dp(bits_of(0.0078125f)), strtof_bits("0.007812"));
  EXPECT_EQ(six_dp(bits_of(-0.0078125f)), strtof_bits("-0.007812"));
  // 3/128 = 0.0234375 lies halfway with an odd digit before it: rounds up.
  EXPECT_EQ(six_dp(bits_of(0.0234375f)), strtof_bits("0.023438"));

  for (const float v : {0.0f, 1.0f, -1.5f, from_bits(0x3F35'04F4u), from_bits(0x3F9E'0652u),
                        192.0f, -0.000001f, 1000000.0f}) {
    EXPECT_EQ(wire_f32_bits(v), fingerprint_f32_bits(v, FloatCanon::SixDp)) << v;
  }
}

TEST(SixDp, SixteenAndAboveAndInfinitiesComeBackUnchanged) {
  for (const float v : {16.0f, -16.0f, 192.0f, 1000000.0f, 16.000002f, -12345.678f, 1e20f,
                        std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
                        std::numeric_limits<float>::infinity(),
                        -std::numeric_limits<float>::infinity()}) {
    EXPECT_EQ(six_dp(bits_of(v)), bits_of(v)) << v;
  }
  EXPECT_EQ(six_dp(0x7F80'0000u), 0x7F80'0000u);
  EXPECT_EQ(six_dp(0xFF80'0000u), 0xFF80'0000u);
  // Just below 16 the spacing is 2^-20 < 1e-6: the pattern changes.
  EXPECT_EQ(six_dp(bits_of(std::nextafter(16.0f, 0.0f))), strtof_bits("15.999999"));
}

TEST(SixDp, EveryNanBecomesTheQuietNan) {
  for (const std::uint32_t nan : {0x7FC0'0000u, 0xFFC0'0000u, 0x7F80'0001u, 0xFF80'0001u,
                                  0x7FFF'FFFFu, 0xFFFF'FFFFu, 0x7FA5'5555u, 0xFFC0'1234u}) {
    EXPECT_EQ(six_dp(nan), 0x7FC0'0000u) << std::hex << nan;
    EXPECT_EQ(wire_f32_bits(from_bits(nan)), 0x7FC0'0000u) << std::hex << nan;
    EXPECT_EQ(lossless(nan), nan) << std::hex << nan;
  }
}

// ---------------------------------------------------------------------------
// SixDp against the text definition

TEST(SixDpAgainstText, ReferenceAgreesWithTheCLibrary) {
  // The reference's writing half, checked against printf("%.6f"), which is
  // independent of std::to_chars.
  std::mt19937 rng(11);
  char text[64];
  for (int i = 0; i < 200'000; ++i) {
    std::uint32_t bits = static_cast<std::uint32_t>(rng());
    if (i % 2 == 0) bits = (bits & 0x8000'0000u) | (bits % 0x4180'0000u);  // |v| < 16
    const float v = from_bits(bits);
    if (std::isnan(v)) continue;
    std::snprintf(text, sizeof text, "%.6f", static_cast<double>(v == 0.0f ? 0.0f : v));
    ASSERT_EQ(six_dp_by_text(bits), strtof_bits(text)) << std::hex << bits << ' ' << text;
  }
}

TEST(SixDpAgainstText, EveryClassOfInput) {
  std::vector<std::uint32_t> inputs;
  const auto both_signs = [&](std::uint32_t bits) {
    add_with_neighbours(inputs, bits);
    add_with_neighbours(inputs, bits ^ 0x8000'0000u);
  };
  // Zeros, subnormals and the smallest normals.
  for (const std::uint32_t bits : {0x0000'0000u, 0x0000'0002u, 0x0000'1234u, 0x0040'0000u,
                                   0x007F'FFFDu, 0x0080'0002u, 0x0123'4567u}) {
    both_signs(bits);
  }
  // Tiny values, where the text switches between 0.000000, 0.000001 and
  // 0.000002: 256 floats on each side of every odd multiple of 5e-7 there,
  // plus a sweep with a prime stride from 2^-24 to 3e-6.
  for (const double boundary : {5e-7, 1.5e-6, 2.5e-6}) {
    const std::uint32_t centre = bits_of(static_cast<float>(boundary));
    for (std::uint32_t bits = centre - 256; bits <= centre + 256; ++bits) both_signs(bits);
  }
  for (std::uint32_t bits = bits_of(0x1p-24f); bits <= bits_of(3e-6f); bits += 4099) both_signs(bits);
  // Exact ties: v * 10^6 has fraction one half exactly when v = odd / 128.
  for (int odd = 1; odd < 16 * 128; odd += 2) both_signs(bits_of(static_cast<float>(odd) / 128.0f));
  // Every multiple of 1e-6 near the decimal round numbers and powers of two.
  for (const float v : {0.1f, 0.5f, 0.999999f, 1.0f, 2.0f, 4.0f, 8.0f, 10.0f, 0.25f, 0.125f,
                        0.0625f, 0.03125f, 1.5f, 3.1415927f, 2.7182817f, 0.70710677f}) {
    for (int i = -40; i <= 40; ++i) both_signs(bits_of(v) + static_cast<std::uint32_t>(i));
  }
  // Magnitudes around 16: the last 4096 floats below it and the first above.
  for (std::uint32_t bits = 0x4180'0000u - 4096; bits < 0x4180'0000u + 4096; ++bits) {
    inputs.push_back(bits);
    inputs.push_back(bits ^ 0x8000'0000u);
  }
  // Large values, the largest finite float, infinities and NaN payloads.
  for (const std::uint32_t bits : {0x4B80'0000u, 0x5F00'0000u, 0x7F7F'FFFFu, 0x7F80'0000u,
                                   0x7F80'0001u, 0x7FC0'0000u, 0x7FC0'0001u, 0x7FFF'FFFFu,
                                   0x7FA0'0000u}) {
    both_signs(bits);
  }
  expect_matches_text(inputs);
}

TEST(SixDpAgainstText, TenMillionPseudoRandomPatterns) {
  // Half uniform over all patterns, half restricted to |v| < 16 where the
  // rounding actually happens.
  std::mt19937_64 rng(0x5EED'F00Du);
  std::vector<std::uint32_t> inputs(1u << 20);
  for (int round = 0; round < 10; ++round) {
    for (std::size_t i = 0; i < inputs.size(); ++i) {
      const std::uint64_t r = rng();
      const auto bits = static_cast<std::uint32_t>(r);
      inputs[i] = (i % 2 == 0) ? bits : (bits & 0x8000'0000u) | static_cast<std::uint32_t>((r >> 32) % 0x4180'0000u);
    }
    expect_matches_text(inputs);
    if (HasFatalFailure()) return;
  }
}

TEST(SixDpAgainstText, Idempotent) {
  std::mt19937 rng(3);
  for (int i = 0; i < 1'000'000; ++i) {
    const std::uint32_t once = six_dp(static_cast<std::uint32_t>(rng()) % 0x4180'0000u);
    ASSERT_EQ(six_dp(once), once) << std::hex << once;
    ASSERT_EQ(six_dp_by_text(once), once) << std::hex << once;
  }
}

// ---------------------------------------------------------------------------
// FNV-1a

// Byte-wise 64-bit FNV-1a over a byte string, written from its definition.
std::uint64_t fnv1a_bytes(std::span<const unsigned char> bytes) {
  std::uint64_t h = 0xcbf29ce484222325u;
  for (const unsigned char b : bytes) {
    h ^= b;
    h *= 0x100000001b3u;
  }
  return h;
}

std::uint64_t fnv1a_text(std::string_view text) {
  return fnv1a_bytes({reinterpret_cast<const unsigned char*>(text.data()), text.size()});
}

// The fold is usable in constant expressions.
static_assert(fnv1a_fold(FNV1A_OFFSET_BASIS, 0) != FNV1A_OFFSET_BASIS);

TEST(Fnv1a, ByteWiseReferenceMatchesPublishedVectors) {
  EXPECT_EQ(fnv1a_text(""), 0xcbf29ce484222325u);
  EXPECT_EQ(fnv1a_text("a"), 0xaf63dc4c8601ec8cu);
  EXPECT_EQ(fnv1a_text("foobar"), 0x85944171f73967e8u);
  EXPECT_EQ(FNV1A_OFFSET_BASIS, fnv1a_text(""));
}

TEST(Fnv1a, FoldsLittleEndianBytesOfEachWord) {
  // The word whose little-endian bytes spell "foob".
  const unsigned char foob[] = {'f', 'o', 'o', 'b'};
  const std::uint32_t foob_word = 'f' | ('o' << 8) | ('o' << 16) | (std::uint32_t{'b'} << 24);
  EXPECT_EQ(fnv1a_fold(FNV1A_OFFSET_BASIS, foob_word), fnv1a_bytes(foob));

  const unsigned char example[] = {0x78, 0x56, 0x34, 0x12, 0xF0, 0xDE, 0xBC, 0x9A};
  const std::uint64_t forward = fnv1a_fold(fnv1a_fold(FNV1A_OFFSET_BASIS, 0x12345678u), 0x9abcdef0u);
  EXPECT_EQ(forward, fnv1a_bytes(example));
  EXPECT_NE(forward, fnv1a_fold(fnv1a_fold(FNV1A_OFFSET_BASIS, 0x9abcdef0u), 0x12345678u));

  const unsigned char zeros[] = {0, 0, 0, 0};
  EXPECT_EQ(fnv1a_fold(FNV1A_OFFSET_BASIS, 0), fnv1a_bytes(zeros));
  EXPECT_NE(fnv1a_fold(FNV1A_OFFSET_BASIS, 0), FNV1A_OFFSET_BASIS);
}

TEST(Fnv1a, RandomWordSequencesMatchByteWiseHash) {
  std::mt19937 rng(5);
  for (int trial = 0; trial < 2000; ++trial) {
    const std::size_t words = rng() % 40;
    std::vector<unsigned char> bytes;
    std::uint64_t h = FNV1A_OFFSET_BASIS;
    for (std::size_t i = 0; i < words; ++i) {
      const auto word = static_cast<std::uint32_t>(rng());
      for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<unsigned char>(word >> (8 * b)));
      h = fnv1a_fold(h, word);
    }
    ASSERT_EQ(h, fnv1a_bytes(bytes));
  }
}

TEST(Fnv1a, FingerprintOfFloatsUsesCanonicalBits) {
  // -0 and +0 give one fingerprint; 0.7071068 and 0.707107 agree under
  // SixDp but not under Lossless.
  const auto fingerprint = [](std::span<const float> values, FloatCanon canon) {
    std::uint64_t h = FNV1A_OFFSET_BASIS;
    for (const float v : values) h = fnv1a_fold(h, fingerprint_f32_bits(v, canon));
    return h;
  };
  const float a[] = {1.0f, -0.0f, from_bits(0x3F35'04F4u)};
  const float b[] = {1.0f, 0.0f, from_bits(0x3F35'04F7u)};
  EXPECT_EQ(fingerprint(a, FloatCanon::SixDp), fingerprint(b, FloatCanon::SixDp));
  EXPECT_NE(fingerprint(a, FloatCanon::Lossless), fingerprint(b, FloatCanon::Lossless));
}

}  // namespace
