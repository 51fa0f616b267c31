// rotate_vector and to_rotation_matrix compute several matrix entries at once
// (SIMD lanes on x86-64). Each entry and each rotated component must still be
// the scalar steps in their fixed order: checked here for every entry, against
// single-precision steps done in double and rounded back (exact for + - *),
// on ordinary values and on arbitrary bit patterns (NaN, infinities,
// subnormals).
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

#include "corvane/math.hpp"

namespace corvane {
namespace {

float add(float a, float b) { return static_cast<float>(double{a} + double{b}); }
float sub(float a, float b) { return static_cast<float>(double{a} - double{b}); }
float mul(float a, float b) { return static_cast<float>(double{a} * double{b}); }

// The matrix column by column, as documented: products once, sums doubled.
std::array<float, 9> reference_matrix(const Quaternion& q) {
  const float xx = mul(q.x, q.x), yy = mul(q.y, q.y), zz = mul(q.z, q.z);
  const float xy = mul(q.x, q.y), xz = mul(q.x, q.z), yz = mul(q.y, q.z);
  const float wx = mul(q.w, q.x), wy = mul(q.w, q.y), wz = mul(q.w, q.z);
  const float m00 = sub(1.0f, mul(2.0f, add(yy, zz)));
  const float m01 = mul(2.0f, sub(xy, wz));
  const float m02 = mul(2.0f, add(xz, wy));
  const float m10 = mul(2.0f, add(xy, wz));
  const float m11 = sub(1.0f, mul(2.0f, add(xx, zz)));
  const float m12 = mul(2.0f, sub(yz, wx));
  const float m20 = mul(2.0f, sub(xz, wy));
  const float m21 = mul(2.0f, add(yz, wx));
  const float m22 = sub(1.0f, mul(2.0f, add(xx, yy)));
  return {m00, m10, m20, m01, m11, m21, m02, m12, m22};
}

Vector3 reference_rotate(const Quaternion& q, const Vector3& v) {
  const auto m = reference_matrix(q);
  return {add(add(mul(v.x, m[0]), mul(v.y, m[3])), mul(v.z, m[6])),
          add(add(mul(v.x, m[1]), mul(v.y, m[4])), mul(v.z, m[7])),
          add(add(mul(v.x, m[2]), mul(v.y, m[5])), mul(v.z, m[8]))};
}

// Same bits, or both NaN: the double steps may quiet a NaN differently from
// the float instructions, and the library promises NaN, not a payload.
::testing::AssertionResult same(float actual, float expected) {
  if (std::bit_cast<std::uint32_t>(actual) == std::bit_cast<std::uint32_t>(expected)) {
    return ::testing::AssertionSuccess();
  }
  if (std::isnan(actual) && std::isnan(expected)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << std::hexfloat << actual << " instead of " << expected;
}

void check(const Quaternion& q, const Vector3& v) {
  const auto m = q.to_rotation_matrix();
  const auto expected_m = reference_matrix(q);
  for (std::size_t i = 0; i < 9; ++i) ASSERT_TRUE(same(m[i], expected_m[i])) << "entry " << i;
  const Vector3 r = q.rotate_vector(v);
  const Vector3 e = reference_rotate(q, v);
  ASSERT_TRUE(same(r.x, e.x));
  ASSERT_TRUE(same(r.y, e.y));
  ASSERT_TRUE(same(r.z, e.z));
}

TEST(RotationLanes, EveryEntryOnOrdinaryValues) {
  std::mt19937 engine(11);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  std::uniform_real_distribution<float> metres(-500.0f, 500.0f);
  for (int i = 0; i < 200000; ++i) {
    const Quaternion q{unit(engine), unit(engine), unit(engine), unit(engine)};
    check(q, {metres(engine), metres(engine), metres(engine)});
    check(q.normalize(), {metres(engine), metres(engine), metres(engine)});
  }
}

TEST(RotationLanes, EveryEntryOnArbitraryBitPatterns) {
  std::mt19937 engine(12);
  const auto any = [&engine] { return std::bit_cast<float>(static_cast<std::uint32_t>(engine())); };
  for (int i = 0; i < 200000; ++i) {
    check({any(), any(), any(), any()}, {any(), any(), any()});
  }
}

}  // namespace
}  // namespace corvane
