#include "corvane/math.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <sstream>

namespace corvane {
namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Single-precision steps done in double and rounded back: exact for + - * / and
// sqrt, so these give the bits each operation must produce in the stated order.
float rnd(double v) { return static_cast<float>(v); }
float add(float a, float b) { return rnd(double{a} + double{b}); }
float sub(float a, float b) { return rnd(double{a} - double{b}); }
float mul(float a, float b) { return rnd(double{a} * double{b}); }
float dvd(float a, float b) { return rnd(double{a} / double{b}); }
float sqr(float a) { return rnd(std::sqrt(double{a})); }

std::uint32_t bits(float v) { return std::bit_cast<std::uint32_t>(v); }

// Bitwise equality, so that NaN results compare too.
#define EXPECT_SAME_FLOAT(a, b) EXPECT_EQ(bits(a), bits(b))

Quaternion turn_degrees(float degrees) {
  const float half = degrees * (kPi / 180.0f) * 0.5f;
  return {std::cos(half), 0.0f, 0.0f, std::sin(half)};
}

Quaternion tilt() {
  const float s = std::sin(25.0f * kPi / 180.0f) / std::sqrt(2.0f);
  return Quaternion{std::cos(25.0f * kPi / 180.0f), s, s, 0.0f}.normalize();
}

void expect_matrix_near(const std::array<float, 9>& a, const std::array<float, 9>& b, float tol) {
  for (std::size_t i = 0; i < 9; ++i) EXPECT_NEAR(a[i], b[i], tol) << "element " << i;
}

float heading_degrees_of(float radians) {
  float deg = radians * 180.0f / kPi;
  deg = std::fmod(deg, 360.0f);
  if (deg < 0.0f) deg += 360.0f;
  return deg;
}

class RandomFloats {
 public:
  explicit RandomFloats(unsigned seed) : engine_(seed) {}
  float operator()(float lo = -100.0f, float hi = 100.0f) {
    return std::uniform_real_distribution<float>(lo, hi)(engine_);
  }
  Vector3 vector(float lo = -100.0f, float hi = 100.0f) {
    return {(*this)(lo, hi), (*this)(lo, hi), (*this)(lo, hi)};
  }
  Quaternion quaternion() { return {(*this)(-1, 1), (*this)(-1, 1), (*this)(-1, 1), (*this)(-1, 1)}; }

 private:
  std::mt19937 engine_;
};

// ---- Vector3 ---------------------------------------------------------------

TEST(Vector3, ArithmeticRoundsEachStepInOrder) {
  RandomFloats random(1);
  for (int i = 0; i < 20000; ++i) {
    const Vector3 a = random.vector();
    const Vector3 b = random.vector();
    const float dot = add(add(mul(a.x, b.x), mul(a.y, b.y)), mul(a.z, b.z));
    EXPECT_SAME_FLOAT(a.dot(b), dot);
    const Vector3 c = a.cross(b);
    EXPECT_SAME_FLOAT(c.x, sub(mul(a.y, b.z), mul(a.z, b.y)));
    EXPECT_SAME_FLOAT(c.y, sub(mul(a.z, b.x), mul(a.x, b.z)));
    EXPECT_SAME_FLOAT(c.z, sub(mul(a.x, b.y), mul(a.y, b.x)));
    const float dx = sub(a.x, b.x), dy = sub(a.y, b.y), dz = sub(a.z, b.z);
    EXPECT_SAME_FLOAT(a.distance(b), sqr(add(add(mul(dx, dx), mul(dy, dy)), mul(dz, dz))));
    EXPECT_SAME_FLOAT(a.length(), sqr(a.length_squared()));
  }
}

// A NaN that an operation creates is 0x7FC00000 whatever the CPU makes (x86
// makes 0xFFC00000), for the operators as for the methods.
TEST(Vector3, CreatedNaNsAreCanonical) {
  const float inf = std::numeric_limits<float>::infinity();
  const Vector3 a{inf, -inf, 0.0f};
  const Vector3 b{inf, -inf, inf};
  const Vector3 d = a - b;
  EXPECT_EQ(std::bit_cast<std::uint32_t>(d.x), 0x7FC00000u);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(d.y), 0x7FC00000u);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(d.z), std::bit_cast<std::uint32_t>(-inf));
  EXPECT_EQ(std::bit_cast<std::uint32_t>(a.dot(Vector3{0.0f, 0.0f, 1.0f})), 0x7FC00000u);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(a.distance(b)), 0x7FC00000u);
}

TEST(Vector3, EqualityIsExactFloatComparison) {
  EXPECT_EQ((Vector3{0.0f, 1.0f, 2.0f}), (Vector3{-0.0f, 1.0f, 2.0f}));
  EXPECT_NE((Vector3{kNaN, 1.0f, 2.0f}), (Vector3{kNaN, 1.0f, 2.0f}));
  EXPECT_NE((Vector3{1.0f, 1.0f, 2.0f}), (Vector3{1.0f, 1.0f, std::nextafter(2.0f, 3.0f)}));
  EXPECT_EQ(Vector3::zero(), (Vector3{0, 0, 0}));
}

TEST(Vector3, HeadingConvention) {
  const Vector3 origin{};
  EXPECT_EQ(origin.heading_to({-1, 0, 0}), 0.0f);
  EXPECT_NEAR(origin.heading_to({0, 1, 0}), kPi / 2, 1e-6);
  EXPECT_NEAR(origin.heading_to({1, 0, 0}), kPi, 1e-6);
  EXPECT_NEAR(origin.heading_to({0, -1, 0}), 3 * kPi / 2, 1e-6);
  EXPECT_NEAR(origin.heading_to({1, 1, 0}), 3 * kPi / 4, 1e-6);  // north-east
  // Nearly coincident points: exactly 0. A pure height difference: pi/2.
  EXPECT_EQ((Vector3{5, 5, 5}).heading_to({5.0005f, 5.0005f, 5}), 0.0f);
  EXPECT_NEAR((Vector3{5, 5, 0}).heading_to({5, 5, 0.001f}), kPi / 2, 1e-6);
  EXPECT_NEAR((Vector3{5, 5, 5}).heading_to({5, 5, -100}), kPi / 2, 1e-6);
  // A NaN difference passes the guard and propagates.
  EXPECT_TRUE(std::isnan(origin.heading_to({kNaN, 0, 0})));
}

TEST(Vector3, HeadingMatchesDoublePrecisionConvention) {
  RandomFloats random(2);
  for (int i = 0; i < 20000; ++i) {
    const Vector3 a = random.vector();
    const Vector3 b = random.vector();
    const float h = a.heading_to(b);
    ASSERT_GE(h, 0.0f);
    ASSERT_LT(h, 2 * kPi);
    const double dx = double{b.x} - a.x, dy = double{b.y} - a.y;
    double expected = std::fmod(450.0 - std::atan2(-dx, dy) * 180.0 / std::numbers::pi, 360.0);
    if (expected < 0) expected += 360.0;
    double diff = std::fabs(heading_degrees_of(h) - expected);
    diff = std::min(diff, 360.0 - diff);
    ASSERT_LT(diff, 1e-3) << h;
  }
}

TEST(Vector3, DebugText) {
  EXPECT_EQ(debug_string(Vector3{1.0f, -2.5f, 0.0f}), "Vector3 { x: 1.0, y: -2.5, z: 0.0 }");
  EXPECT_EQ(debug_string(Vector3{84.0f, 7.1f, 94.0f}), "Vector3 { x: 84.0, y: 7.1, z: 94.0 }");
  EXPECT_EQ(debug_string(Vector3{kNaN, kInf, -1e-5f}), "Vector3 { x: NaN, y: inf, z: -1e-5 }");
  // Width is ignored and used up, so it pads neither this value nor the next.
  std::ostringstream os;
  os.width(40);
  os << Vector3{1, 2, 3} << 7;
  EXPECT_EQ(os.str(), "Vector3 { x: 1.0, y: 2.0, z: 3.0 }7");
}

// ---- Quaternion --------------------------------------------------------------

TEST(Quaternion, DefaultIsZeroAndIdentityIsOne) {
  EXPECT_EQ(Quaternion{}, (Quaternion{0, 0, 0, 0}));
  EXPECT_EQ(Quaternion::identity(), (Quaternion{1, 0, 0, 0}));
  EXPECT_EQ(debug_string(Quaternion::identity()), "Quaternion { w: 1.0, x: 0.0, y: 0.0, z: 0.0 }");
}

TEST(Quaternion, ProductsAndNormalizeRoundEachStepInOrder) {
  RandomFloats random(3);
  for (int i = 0; i < 20000; ++i) {
    const Quaternion a = random.quaternion();
    const Quaternion b = random.quaternion();
    const Quaternion p = a.multiply(b);
    EXPECT_SAME_FLOAT(p.w, sub(sub(sub(mul(a.w, b.w), mul(a.x, b.x)), mul(a.y, b.y)), mul(a.z, b.z)));
    EXPECT_SAME_FLOAT(p.x, sub(add(add(mul(a.w, b.x), mul(a.x, b.w)), mul(a.y, b.z)), mul(a.z, b.y)));
    EXPECT_SAME_FLOAT(p.y, add(add(sub(mul(a.w, b.y), mul(a.x, b.z)), mul(a.y, b.w)), mul(a.z, b.x)));
    EXPECT_SAME_FLOAT(p.z, add(sub(add(mul(a.w, b.z), mul(a.x, b.y)), mul(a.y, b.x)), mul(a.z, b.w)));
    EXPECT_SAME_FLOAT(a.dot(b),
                      add(add(add(mul(a.w, b.w), mul(a.x, b.x)), mul(a.y, b.y)), mul(a.z, b.z)));

    const float mag =
        sqr(add(add(add(mul(a.w, a.w), mul(a.x, a.x)), mul(a.y, a.y)), mul(a.z, a.z)));
    const Quaternion n = a.normalize();
    EXPECT_SAME_FLOAT(n.w, dvd(a.w, mag));
    EXPECT_SAME_FLOAT(n.z, dvd(a.z, mag));

    // rotate_vector: nine shared products, doubled sums, rows summed left to right.
    const Vector3 v = random.vector();
    const float xx = mul(a.x, a.x), yy = mul(a.y, a.y), zz = mul(a.z, a.z);
    const float xy = mul(a.x, a.y), xz = mul(a.x, a.z), wy = mul(a.w, a.y), wz = mul(a.w, a.z);
    const float m00 = sub(1.0f, mul(2.0f, add(yy, zz)));
    const float m01 = mul(2.0f, sub(xy, wz));
    const float m02 = mul(2.0f, add(xz, wy));
    const Vector3 r = a.rotate_vector(v);
    EXPECT_SAME_FLOAT(r.x, add(add(mul(v.x, m00), mul(v.y, m01)), mul(v.z, m02)));
    const auto m = a.to_rotation_matrix();
    EXPECT_SAME_FLOAT(m[0], m00);
    EXPECT_SAME_FLOAT(m[3], m01);
    EXPECT_SAME_FLOAT(m[6], m02);
    EXPECT_SAME_FLOAT(m[4], sub(1.0f, mul(2.0f, add(xx, zz))));
  }
}

TEST(Quaternion, ConjugateFlipsSignBits) {
  const Quaternion c = Quaternion{1.0f, 0.0f, -2.0f, kNaN}.conjugate();
  EXPECT_EQ(bits(c.w), bits(1.0f));
  EXPECT_EQ(bits(c.x), bits(-0.0f));
  EXPECT_EQ(bits(c.y), bits(2.0f));
  EXPECT_TRUE(std::signbit(c.z));
}

TEST(Quaternion, NormalizeLeavesZeroAndNaNMagnitudesAlone) {
  const Quaternion unit = Quaternion{2, 0, 0, 0}.normalize();
  EXPECT_NEAR(unit.w, 1.0f, 1e-6);
  EXPECT_EQ(Quaternion{}.normalize(), Quaternion{});
  // A magnitude whose square underflows to 0 is left as it was.
  const Quaternion tiny{1e-30f, 0, 0, 0};
  EXPECT_EQ(tiny.normalize(), tiny);
  // Any positive magnitude is divided through, however small.
  EXPECT_NEAR((Quaternion{1e-19f, 0, 0, 0}).normalize().w, 1.0f, 1e-6);
  const Quaternion with_nan = Quaternion{kNaN, 1, 0, 0}.normalize();
  EXPECT_TRUE(std::isnan(with_nan.w));
  EXPECT_EQ(with_nan.x, 1.0f);
}

TEST(Quaternion, Composition) {
  const Quaternion q90 = turn_degrees(90);
  const Quaternion back = q90.multiply(q90.conjugate()).normalize();
  EXPECT_NEAR(back.w, 1, 1e-5);
  EXPECT_NEAR(back.z, 0, 1e-5);

  const Quaternion q37 = turn_degrees(37);
  for (const Quaternion& p : {Quaternion::identity().multiply(q37), q37.multiply(Quaternion::identity())}) {
    EXPECT_NEAR(p.w, q37.w, 1e-6);
    EXPECT_NEAR(p.z, q37.z, 1e-6);
  }
  const Quaternion sum = turn_degrees(30).multiply(turn_degrees(60)).normalize();
  EXPECT_NEAR(sum.w, turn_degrees(90).w, 1e-5);
  EXPECT_NEAR(sum.z, turn_degrees(90).z, 1e-5);

  const Vector3 r = q90.rotate_vector({1, 0, 0});
  EXPECT_NEAR(r.x, 0, 1e-5);
  EXPECT_NEAR(r.y, 1, 1e-5);
  EXPECT_NEAR(r.z, 0, 1e-5);
}

TEST(Quaternion, HeadingRoundTrips) {
  for (int deg = 0; deg < 360; deg += 45) {
    const float h = static_cast<float>(deg) * kPi / 180.0f;
    const float back = Quaternion::from_heading(h).to_heading();
    float diff = std::fabs(heading_degrees_of(back) - static_cast<float>(deg));
    diff = std::min(diff, 360.0f - diff);
    EXPECT_LT(diff, 1e-4) << deg;
  }
  for (int deg : {0, 90, 180, 270}) {
    const float back = Quaternion::from_heading(static_cast<float>(deg) * kPi / 180.0f).to_heading();
    EXPECT_NEAR(back * 180.0f / kPi, static_cast<float>(deg), 1e-4) << deg;
  }
  // The scalar part is never negative.
  for (int deg = -720; deg <= 720; deg += 15) {
    EXPECT_GE(Quaternion::from_heading(static_cast<float>(deg) * kPi / 180.0f).w, 0.0f) << deg;
  }
}

TEST(Quaternion, HeadingAgreesWithVectorHeading) {
  // The turn facing a heading carries +Y onto the direction with that heading.
  for (int deg = 0; deg < 360; deg += 5) {
    const float h = static_cast<float>(deg) * kPi / 180.0f;
    const Vector3 facing = Quaternion::from_heading(h).rotate_vector({0, 1, 0});
    const float measured = Vector3{}.heading_to(facing);
    float diff = std::fabs(heading_degrees_of(measured) - static_cast<float>(deg));
    diff = std::min(diff, 360.0f - diff);
    EXPECT_LT(diff, 1e-3) << deg;
  }
}

TEST(Quaternion, HeadingOfDegenerateQuaternions) {
  EXPECT_NEAR(Quaternion{}.to_heading(), kPi / 2, 1e-6);
  EXPECT_TRUE(std::isnan((Quaternion{kNaN, 0, 0, 0}).to_heading()));
  EXPECT_TRUE(std::isnan((Quaternion{1, 0, 0, kNaN}).to_heading()));
  // x and y are ignored.
  EXPECT_EQ((Quaternion{0.5f, 7.0f, -3.0f, 0.25f}).to_heading(),
            (Quaternion{0.5f, 0.0f, 0.0f, 0.25f}).to_heading());
  EXPECT_TRUE(std::isnan(Quaternion::from_heading(kNaN).w));
}

TEST(Quaternion, MatrixRoundTripCoversEveryBranch) {
  const Quaternion cases[] = {Quaternion::identity(), turn_degrees(90), turn_degrees(180),
                              Quaternion{0, 1, 0, 0}, Quaternion{0, 0, 1, 0}, tilt(),
                              Quaternion{0, 0, 0, 1}};
  for (const Quaternion& q : cases) {
    const auto m = q.to_rotation_matrix();
    expect_matrix_near(Quaternion::from_rotation_matrix(m).to_rotation_matrix(), m, 1e-5f);
  }
  // Branch 2 returns a negative w for this matrix; the sign is left alone.
  EXPECT_LT(Quaternion::from_rotation_matrix((Quaternion{-0.1f, 0.9f, 0.3f, 0.2f}).normalize().to_rotation_matrix()).w, 0.0f);
}

TEST(Quaternion, MatrixColumnsAreRotatedBasisVectors) {
  for (const Quaternion& q : {Quaternion::identity(), turn_degrees(90), turn_degrees(217), tilt()}) {
    const auto m = q.to_rotation_matrix();
    const Vector3 cols[] = {q.rotate_vector({1, 0, 0}), q.rotate_vector({0, 1, 0}),
                            q.rotate_vector({0, 0, 1})};
    std::array<float, 9> expected{};
    for (std::size_t c = 0; c < 3; ++c) {
      expected[3 * c] = cols[c].x;
      expected[3 * c + 1] = cols[c].y;
      expected[3 * c + 2] = cols[c].z;
    }
    expect_matrix_near(m, expected, 1e-5f);
  }
}

TEST(Quaternion, NonRotationMatricesFollowTheFormulas) {
  // A scaled rotation still comes back as the unit quaternion of its rotation.
  const Quaternion q = Quaternion::from_rotation_matrix({3, 0, 0, 0, 3, 0, 0, 0, 3});
  EXPECT_NEAR(q.w, 1.0f, 1e-6);
  EXPECT_NEAR(q.dot(q), 1.0f, 1e-6);
  // NaN propagates instead of being replaced by a default.
  const Quaternion n = Quaternion::from_rotation_matrix({kNaN, 0, 0, 0, 1, 0, 0, 0, 1});
  EXPECT_TRUE(std::isnan(n.w) || std::isnan(n.x) || std::isnan(n.y) || std::isnan(n.z));
}

TEST(Quaternion, SlerpFollowsTheShorterArc) {
  expect_matrix_near(Quaternion::slerp(Quaternion::identity(), turn_degrees(90), 0.5f).to_rotation_matrix(),
                     turn_degrees(45).to_rotation_matrix(), 1e-5f);
  expect_matrix_near(Quaternion::slerp(Quaternion::identity(), turn_degrees(270), 0.5f).to_rotation_matrix(),
                     turn_degrees(315).to_rotation_matrix(), 1e-5f);
  const Quaternion a = turn_degrees(20);
  const Quaternion b = tilt();
  expect_matrix_near(Quaternion::slerp(a, b, 0.0f).to_rotation_matrix(), a.to_rotation_matrix(), 1e-5f);
  expect_matrix_near(Quaternion::slerp(a, b, 1.0f).to_rotation_matrix(), b.to_rotation_matrix(), 1e-5f);
  // Nearly identical rotations take the straight blend and stay finite.
  const Quaternion near = Quaternion::slerp(turn_degrees(30), turn_degrees(30.01f), 0.5f);
  for (float c : {near.w, near.x, near.y, near.z}) EXPECT_TRUE(std::isfinite(c));
  EXPECT_NEAR(near.w, turn_degrees(30).w, 1e-3);
  EXPECT_NEAR(near.z, turn_degrees(30).z, 1e-3);
}

TEST(Quaternion, SlerpNeverExtrapolates) {
  // Outside [0, 1] the result is the normalised straight blend.
  const Quaternion a = Quaternion::identity();
  const Quaternion b = turn_degrees(90);
  for (float t : {-0.5f, 1.5f, 3.0f}) {
    const Quaternion expected =
        Quaternion{(1 - t) * a.w + t * b.w, 0, 0, (1 - t) * a.z + t * b.z}.normalize();
    const Quaternion got = Quaternion::slerp(a, b, t);
    EXPECT_NEAR(got.w, expected.w, 1e-6) << t;
    EXPECT_NEAR(got.z, expected.z, 1e-6) << t;
  }
  // Unit results on random inputs within [0, 1].
  RandomFloats random(4);
  for (int i = 0; i < 2000; ++i) {
    const Quaternion s = Quaternion::slerp(random.quaternion().normalize(),
                                           random.quaternion().normalize(), random(0, 1));
    EXPECT_NEAR(s.dot(s), 1.0f, 1e-5);
  }
}

// ---- Plane and Triangle ------------------------------------------------------

TEST(Plane, FromTriangle) {
  const auto plane = Plane::from_triangle({0, 0, 2}, {1, 0, 2}, {0, 1, 2});
  ASSERT_TRUE(plane.has_value());
  EXPECT_NEAR(plane->normal.z, 1, 1e-4);
  EXPECT_NEAR(plane->normal.x, 0, 1e-4);
  EXPECT_NEAR(plane->normal.y, 0, 1e-4);
  EXPECT_NEAR(plane->distance_to_point({0.5f, 0.5f, 2}), 0, 1e-4);
  EXPECT_NEAR(plane->distance_to_point({0.5f, 0.5f, 5}), 3, 1e-4);
  // Clockwise winding flips the normal.
  EXPECT_NEAR(Plane::from_triangle({0, 0, 2}, {0, 1, 2}, {1, 0, 2})->normal.z, -1, 1e-4);

  EXPECT_FALSE(Plane::from_triangle({0, 0, 0}, {1, 0, 0}, {2, 0, 0}).has_value());
  EXPECT_FALSE(Plane::from_triangle({3, 3, 3}, {3, 3, 3}, {3, 3, 3}).has_value());
  // Area about 5e-7 m^2 is the threshold: 1e-3 x 1e-3 has a plane, 1e-4 x 1e-4 has none.
  EXPECT_TRUE(Plane::from_triangle({0, 0, 0}, {1e-3f, 0, 0}, {0, 1e-3f, 0}).has_value());
  EXPECT_FALSE(Plane::from_triangle({0, 0, 0}, {1e-4f, 0, 0}, {0, 1e-4f, 0}).has_value());
  // NaN is not degenerate: it gives a NaN plane.
  const auto nan_plane = Plane::from_triangle({kNaN, 0, 0}, {1, 0, 0}, {0, 1, 0});
  ASSERT_TRUE(nan_plane.has_value());
  EXPECT_TRUE(std::isnan(nan_plane->d));
}

TEST(Plane, FromTriangleRoundsEachStepInOrder) {
  RandomFloats random(5);
  for (int i = 0; i < 20000; ++i) {
    const Vector3 a = random.vector(), b = random.vector(), c = random.vector();
    const auto plane = Plane::from_triangle(a, b, c);
    ASSERT_TRUE(plane.has_value());
    const Vector3 c1 = (b - a).cross(c - a);
    const float len = sqr(c1.length_squared());
    const Vector3 n{dvd(c1.x, len), dvd(c1.y, len), dvd(c1.z, len)};
    EXPECT_SAME_FLOAT(plane->normal.x, n.x);
    EXPECT_SAME_FLOAT(plane->normal.z, n.z);
    EXPECT_SAME_FLOAT(plane->d, -add(add(mul(n.x, a.x), mul(n.y, a.y)), mul(n.z, a.z)));
    // Every vertex lies on it, up to float error relative to the coordinates.
    for (const Vector3& v : {a, b, c}) EXPECT_NEAR(plane->distance_to_point(v), 0, 1e-3);
  }
}

TEST(Triangle, ContainsXY) {
  const Triangle t{{0, 0, 0}, {2, 0, 0}, {0, 2, 0}};
  EXPECT_TRUE(t.contains_xy(0.5f, 0.5f));
  EXPECT_TRUE(t.contains_xy(0, 0));
  EXPECT_TRUE(t.contains_xy(1, 1));  // on the hypotenuse
  EXPECT_FALSE(t.contains_xy(2, 2));
  EXPECT_FALSE(t.contains_xy(-1, 0.5f));
  const Triangle reversed{t.v0, t.v2, t.v1};
  EXPECT_TRUE(reversed.contains_xy(0.5f, 0.5f));
  EXPECT_FALSE(reversed.contains_xy(2, 2));
  EXPECT_TRUE(t.contains_xy(kNaN, 0.5f));

  const Triangle point{{1, 1, 0}, {1, 1, 5}, {1, 1, -5}};
  EXPECT_TRUE(point.contains_xy(100, -100));
  const Triangle line{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}};
  EXPECT_TRUE(line.contains_xy(7, 0));
  EXPECT_FALSE(line.contains_xy(1, 0.5f));
}

TEST(Triangle, ContainsXYAgreesWithBarycentricCoordinates) {
  RandomFloats random(6);
  int inside = 0, outside = 0;
  for (int i = 0; i < 20000; ++i) {
    const Triangle t{random.vector(-10, 10), random.vector(-10, 10), random.vector(-10, 10)};
    const float x = random(-10, 10), y = random(-10, 10);
    const double x0 = t.v0.x, y0 = t.v0.y, x1 = t.v1.x, y1 = t.v1.y, x2 = t.v2.x, y2 = t.v2.y;
    const double det = (y1 - y2) * (x0 - x2) + (x2 - x1) * (y0 - y2);
    if (std::fabs(det) < 1.0) continue;
    const double l0 = ((y1 - y2) * (x - x2) + (x2 - x1) * (y - y2)) / det;
    const double l1 = ((y2 - y0) * (x - x2) + (x0 - x2) * (y - y2)) / det;
    const double l2 = 1 - l0 - l1;
    const double margin = std::min({l0, l1, l2});
    if (margin > 1e-3) {
      EXPECT_TRUE(t.contains_xy(x, y));
      ++inside;
    } else if (margin < -1e-3) {
      EXPECT_FALSE(t.contains_xy(x, y));
      ++outside;
    }
  }
  EXPECT_GT(inside, 1000);
  EXPECT_GT(outside, 1000);
}

TEST(Triangle, HeightAtXY) {
  const Triangle sloped{{0, 0, 0}, {4, 0, 4}, {0, 4, 0}};
  ASSERT_TRUE(sloped.z_at_xy(2, 2).has_value());
  EXPECT_NEAR(*sloped.z_at_xy(2, 2), 2, 1e-3);
  EXPECT_NEAR(*sloped.z_at_xy(10, -3), 10, 1e-3);  // the infinite plane, not just the face
  EXPECT_FALSE((Triangle{{0, 0, 0}, {2, 0, 0}, {0, 0, 3}}).z_at_xy(1, 0).has_value());
  EXPECT_FALSE((Triangle{{0, 0, 0}, {1, 1, 1}, {2, 2, 2}}).z_at_xy(1, 1).has_value());

  RandomFloats random(7);
  for (int i = 0; i < 5000; ++i) {
    const Triangle t{random.vector(-50, 50), random.vector(-50, 50), random.vector(-50, 50)};
    const auto plane = t.plane();
    if (!plane || std::fabs(plane->normal.z) < 0.2f) continue;
    // The height at a vertex's x and y is that vertex's z.
    EXPECT_NEAR(*t.z_at_xy(t.v1.x, t.v1.y), t.v1.z, 1e-2);
  }
}

TEST(Triangle, ClosestPoint) {
  const Triangle t{{0, 0, 0}, {2, 0, 0}, {0, 2, 0}};
  const Vector3 above = t.closest_point({0.5f, 0.5f, 5});
  EXPECT_NEAR(above.x, 0.5, 1e-3);
  EXPECT_NEAR(above.y, 0.5, 1e-3);
  EXPECT_NEAR(above.z, 0, 1e-3);
  EXPECT_EQ(t.closest_point({-5, -5, 0}), t.v0);
  EXPECT_EQ(t.closest_point({10, 0, 0}), t.v1);
  EXPECT_EQ(t.closest_point({0, 10, 0}), t.v2);
  const Vector3 edge = t.closest_point({2, 2, 0});
  EXPECT_NEAR(edge.x, 1, 1e-3);
  EXPECT_NEAR(edge.y, 1, 1e-3);
  const Vector3 ab = t.closest_point({1, -3, 1});
  EXPECT_NEAR(ab.x, 1, 1e-3);
  EXPECT_NEAR(ab.y, 0, 1e-3);
}

TEST(Triangle, ClosestPointIsNoFartherThanAnySampledPoint) {
  RandomFloats random(8);
  for (int i = 0; i < 500; ++i) {
    const Triangle t{random.vector(-10, 10), random.vector(-10, 10), random.vector(-10, 10)};
    if (!t.plane()) continue;
    const Vector3 p = random.vector(-20, 20);
    const Vector3 c = t.closest_point(p);
    const double got = std::sqrt(std::pow(double{c.x} - p.x, 2) + std::pow(double{c.y} - p.y, 2) +
                                 std::pow(double{c.z} - p.z, 2));
    double best = 1e30;
    constexpr int kSteps = 60;
    for (int u = 0; u <= kSteps; ++u) {
      for (int v = 0; u + v <= kSteps; ++v) {
        const double a = double(u) / kSteps, b = double(v) / kSteps, w = 1 - a - b;
        const double x = w * t.v0.x + a * t.v1.x + b * t.v2.x;
        const double y = w * t.v0.y + a * t.v1.y + b * t.v2.y;
        const double z = w * t.v0.z + a * t.v1.z + b * t.v2.z;
        best = std::min(best, std::sqrt((x - p.x) * (x - p.x) + (y - p.y) * (y - p.y) +
                                        (z - p.z) * (z - p.z)));
      }
    }
    EXPECT_LE(got, best + 1e-3) << i;
    // And the answer lies on the triangle's plane.
    EXPECT_NEAR(t.plane()->distance_to_point(c), 0, 1e-3);
  }
}

TEST(Triangle, DegenerateClosestPointDoesNotCrash) {
  const Triangle point{{1, 1, 1}, {1, 1, 1}, {1, 1, 1}};
  const Vector3 c = point.closest_point({3, 3, 3});
  EXPECT_EQ(c, point.v0);
  const Vector3 n = Triangle{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}.closest_point({kNaN, 0, 0});
  EXPECT_TRUE(std::isnan(n.x) || std::isnan(n.y) || std::isnan(n.z));
}

TEST(PlaneTriangle, DebugText) {
  EXPECT_EQ(debug_string(Plane{{0, 0, 1}, -2}),
            "Plane { normal: Vector3 { x: 0.0, y: 0.0, z: 1.0 }, d: -2.0 }");
  EXPECT_EQ(debug_string(Triangle{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}),
            "Triangle { v0: Vector3 { x: 0.0, y: 0.0, z: 0.0 }, v1: Vector3 { x: 1.0, y: 0.0, z: "
            "0.0 }, v2: Vector3 { x: 0.0, y: 1.0, z: 0.0 } }");
}

}  // namespace
}  // namespace corvane
