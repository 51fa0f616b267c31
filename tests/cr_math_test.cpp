// The correctly rounded elementary functions on whatever machine runs the
// tests: the IEEE special cases, the NaN rule, arguments that need the
// double-double path, and sweeps against the C library's double functions
// wherever those decide the float rounding. (The proof over every argument
// is tests/exhaustive/cr_math_exhaustive.cpp.)
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "corvane/math.hpp"
#include "corvane/position.hpp"
#include "crmath/cr_math.hpp"

namespace {

using namespace corvane::detail;

std::uint32_t bits(float f) { return std::bit_cast<std::uint32_t>(f); }
float from_bits(std::uint32_t b) { return std::bit_cast<float>(b); }

constexpr float kInf = std::numeric_limits<float>::infinity();

// The float every value within 2^-50 of v rounds to, if there is one. The
// C library's double functions are within 1 ulp (2^-52) of the exact value.
bool decides(double v, float& out) {
  out = static_cast<float>(v);
  const double m = std::fabs(v) * 0x1p-50;
  return v == 0.0 || bits(static_cast<float>(v - m)) == bits(static_cast<float>(v + m));
}

TEST(CrMath, SpecialValues) {
  struct Case {
    float y, x;
    std::uint32_t want;
  };
  // atan2 along the axes and at infinity: signed zeros, rounded pi, pi/2,
  // pi/4 and 3pi/4.
  const Case atan2_cases[] = {
      {0.0f, 1.0f, 0x00000000u},     {-0.0f, 1.0f, 0x80000000u},   {0.0f, 0.0f, 0x00000000u},
      {-0.0f, 0.0f, 0x80000000u},    {0.0f, -0.0f, 0x40490FDBu},   {-0.0f, -0.0f, 0xC0490FDBu},
      {0.0f, -2.0f, 0x40490FDBu},    {-0.0f, -2.0f, 0xC0490FDBu},  {3.0f, 0.0f, 0x3FC90FDBu},
      {-3.0f, -0.0f, 0xBFC90FDBu},   {kInf, 5.0f, 0x3FC90FDBu},    {-kInf, -5.0f, 0xBFC90FDBu},
      {kInf, kInf, 0x3F490FDBu},     {-kInf, kInf, 0xBF490FDBu},   {kInf, -kInf, 0x4016CBE4u},
      {-kInf, -kInf, 0xC016CBE4u},   {7.0f, kInf, 0x00000000u},    {-7.0f, kInf, 0x80000000u},
      {7.0f, -kInf, 0x40490FDBu},    {-7.0f, -kInf, 0xC0490FDBu},  {1.0f, 1.0f, 0x3F490FDBu},
  };
  for (const Case& c : atan2_cases) {
    EXPECT_EQ(bits(cr_atan2(c.y, c.x)), c.want) << c.y << ", " << c.x;
  }
  EXPECT_EQ(bits(cr_sin(0.0f)), 0x00000000u);
  EXPECT_EQ(bits(cr_sin(-0.0f)), 0x80000000u);
  EXPECT_EQ(bits(cr_cos(-0.0f)), 0x3F800000u);
  EXPECT_EQ(bits(cr_acos(1.0f)), 0x00000000u);
  EXPECT_EQ(bits(cr_acos(-1.0f)), 0x40490FDBu);
  EXPECT_EQ(bits(cr_acos(0.0f)), 0x3FC90FDBu);
  EXPECT_EQ(bits(cr_fmod(-720.0f, 360.0f)), 0x80000000u);
  EXPECT_EQ(bits(cr_fmod(5.0f, kInf)), bits(5.0f));
}

TEST(CrMath, NanRule) {
  // Created NaNs are 0x7FC00000; NaN arguments come back quietened.
  const float created[] = {cr_sin(kInf),        cr_sin(-kInf),         cr_cos(kInf),
                           cr_cos(-kInf),       cr_acos(1.0000001f),   cr_acos(-kInf),
                           cr_fmod(kInf, 2.0f), cr_fmod(1.0f, 0.0f),   cr_fmod(1.0f, -0.0f),
                           cr_sqrt(-1.0f),      cr_sqrt(-kInf)};
  for (float v : created) EXPECT_EQ(bits(v), kCanonicalNanBits);
  for (std::uint32_t nan : {0x7FC00000u, 0xFFC00000u, 0x7FC12345u, 0xFFFFFFFFu, 0x7F800001u}) {
    const float x = from_bits(nan);
    const std::uint32_t quiet = nan | 0x00400000u;
    EXPECT_EQ(bits(cr_sin(x)), quiet);
    EXPECT_EQ(bits(cr_cos(x)), quiet);
    EXPECT_EQ(bits(cr_acos(x)), quiet);
    EXPECT_EQ(bits(cr_atan2(x, from_bits(0x7FC0BEEFu))), quiet);  // the ordinate's NaN wins
    EXPECT_EQ(bits(cr_atan2(1.0f, x)), quiet);
    EXPECT_EQ(bits(cr_fmod(x, 360.0f)), quiet);
    EXPECT_EQ(bits(cr_fmod(360.0f, x)), quiet);
  }

  // Through the library: arithmetic that creates a NaN gives 0x7FC00000 on
  // every machine, and a NaN coming in keeps its payload.
  using corvane::Quaternion;
  using corvane::Vector3;
  const Vector3 origin{};
  EXPECT_EQ(bits(Vector3{kInf, 0, 0}.heading_to(Vector3{kInf, 1, 0})), kCanonicalNanBits);
  EXPECT_EQ(bits(Vector3{kInf, 0, 0}.dot(Vector3{0, 1, 1})), kCanonicalNanBits);
  EXPECT_EQ(bits(Vector3{kInf, 0, 0}.distance(Vector3{kInf, 0, 0})), kCanonicalNanBits);
  const Quaternion turned = Quaternion::from_heading(3e38f);
  EXPECT_EQ(bits(turned.w), kCanonicalNanBits);
  EXPECT_EQ(bits(turned.z), kCanonicalNanBits);
  EXPECT_EQ(bits(Quaternion{kInf, 0, 0, 0}.normalize().w), kCanonicalNanBits);
  EXPECT_EQ(bits(Quaternion::from_rotation_matrix({kInf, 0, 0, 0, -kInf, 0, 0, 0, 0}).x),
            kCanonicalNanBits);
  // The span forms follow the same rule on every vector path.
  std::vector<Quaternion> huge(37, Quaternion{kInf, 0, 0, 0}), unit(37);
  corvane::normalize(huge, unit);
  for (const Quaternion& q : unit) EXPECT_EQ(bits(q.w), kCanonicalNanBits);
  const float heading = origin.heading_to(Vector3{from_bits(0x7FC12345u), 1, 0});
  EXPECT_EQ(bits(heading) & 0x7FFFFFFFu, 0x7FC12345u);
}

TEST(CrMath, ArgumentsNearRoundingBoundaries) {
  // Within 2^-46 of a float rounding boundary, so the double-double path
  // answers; expected values from quad precision. They cover the three
  // argument reductions (none, Cody-Waite, Payne-Hanek).
  struct Case {
    std::uint32_t x, want;
  };
  const Case sin_cases[] = {{0xBFB53332u, 0xBF7CEC97u}, {0xCB63B142u, 0xBDEE584Cu},
                            {0x49A07D9Fu, 0x3F4F1F0Fu}, {0x39E89769u, 0x39E89768u},
                            {0xDFF28FBFu, 0xBF5264CDu}, {0x4C5B80AEu, 0xBE6873C7u}};
  const Case cos_cases[] = {{0xDC840F17u, 0x3F2BF81Fu}, {0xF2A4A047u, 0xBE84FE24u},
                            {0x3B434E12u, 0x3F7FFFB5u}, {0xF0612C5Au, 0xBF77813Au},
                            {0xC07D1661u, 0xBF2FF936u}, {0x59D3094Eu, 0x3EA638D2u}};
  const Case acos_cases[] = {{0x3E0B7255u, 0x3FB793A7u}, {0x341110B4u, 0x3FC90FDAu},
                             {0x3544442Du, 0x3FC90FD5u}, {0xB55BBBD3u, 0x3FC90FE2u},
                             {0x3D4F8F40u, 0x3FC292ABu}, {0x3E2100CCu, 0x3FB4DA4Au}};
  for (const Case& c : sin_cases) EXPECT_EQ(bits(cr_sin(from_bits(c.x))), c.want) << std::hex << c.x;
  for (const Case& c : cos_cases) EXPECT_EQ(bits(cr_cos(from_bits(c.x))), c.want) << std::hex << c.x;
  for (const Case& c : acos_cases) EXPECT_EQ(bits(cr_acos(from_bits(c.x))), c.want) << std::hex << c.x;
  struct Pair {
    std::uint32_t y, x, want;
  };
  const Pair atan2_cases[] = {{0xC1BAAA94u, 0x41F8D020u, 0xBF24C606u},
                              {0xC23282D2u, 0x42166FECu, 0xBF5EDB73u},
                              {0x42666F3Cu, 0xC1FFBEECu, 0x4004F447u},
                              {0xC25A61F3u, 0x41C0566Cu, 0xBF93F72Fu},
                              {0x40F98540u, 0x428E9A9Cu, 0x3DDF14B3u},
                              {0xC296FF49u, 0x4267ACA4u, 0xBF6A99E3u},
                              // 2^-126 / 2^24 is exactly halfway to the least subnormal;
                              // atan lies just below it.
                              {0x00800000u, 0x4B800000u, 0x00000000u}};
  for (const Pair& c : atan2_cases) {
    EXPECT_EQ(bits(cr_atan2(from_bits(c.y), from_bits(c.x))), c.want) << std::hex << c.y << ", " << c.x;
  }
}

TEST(CrMath, AgreesWithTheDoubleFunctionsWhereTheyDecide) {
  int undecided = 0;
  const auto check = [&](std::uint32_t b) {
    const float x = from_bits(b);
    if (!std::isfinite(x)) return;
    float want;
    if (decides(std::sin(double{x}), want)) {
      ASSERT_EQ(bits(cr_sin(x)), bits(want)) << "sin " << std::hex << b;
    } else {
      ++undecided;
    }
    if (decides(std::cos(double{x}), want)) {
      ASSERT_EQ(bits(cr_cos(x)), bits(want)) << "cos " << std::hex << b;
    } else {
      ++undecided;
    }
    if (std::fabs(x) <= 1.0f && decides(std::acos(double{x}), want)) {
      ASSERT_EQ(bits(cr_acos(x)), bits(want)) << "acos " << std::hex << b;
    }
  };
  // Every 4093rd bit pattern (all exponents and both signs).
  for (std::uint64_t b = 0x00000123u; b < (std::uint64_t{1} << 32); b += 4093) {
    check(static_cast<std::uint32_t>(b));
  }
  // Every pattern within 4096 of a magnitude where the evaluation changes
  // path: sin's shortcut below 2^-12, the first step pi/128, the reductions'
  // bound 2^21, acos's change of node at 0.70703125, and 1.
  for (const std::uint32_t edge : {0x39800000u, 0x3CC90FDBu, 0x4A000000u, 0x3F350000u, 0x3F800000u}) {
    for (std::uint32_t b = edge - 4096; b <= edge + 4096; ++b) {
      check(b);
      check(b | 0x80000000u);
    }
  }
  // Then random pairs.
  std::mt19937_64 rng(17);
  for (int i = 0; i < 1'000'000; ++i) {
    const float y = from_bits(static_cast<std::uint32_t>(rng()));
    const float x = i % 2 ? from_bits(static_cast<std::uint32_t>(rng()))
                          : std::uniform_real_distribution<float>(-1e4f, 1e4f)(rng);
    if (std::isnan(y) || std::isnan(x)) continue;
    float want;
    if (decides(std::atan2(double{y}, double{x}), want)) {
      ASSERT_EQ(bits(cr_atan2(y, x)), bits(want)) << std::hex << bits(y) << ", " << bits(x);
    }
    // fmod is exact in every C library.
    const float rest = std::fmod(y, x);
    ASSERT_EQ(bits(cr_fmod(y, x)), std::isnan(rest) ? kCanonicalNanBits : bits(rest))
        << std::hex << bits(y) << ", " << bits(x);
  }
  EXPECT_LT(undecided, 8);  // 2^-25 of the arguments, in theory
}

}  // namespace
