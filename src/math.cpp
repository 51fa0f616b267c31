// Compiled with -ffp-contract=off: every line below rounds each operation to
// float in the order written, and nothing is fused into a multiply-add.
#include "corvane/math.hpp"

#include <cmath>
#include <ostream>

// The rotation matrix is computed in SSE2 lanes where the target has them,
// unless the build asks for the portable path (CORVANE_PORTABLE_MATH, which
// CI builds too, so that both paths stay tested on x86-64).
#if defined(__SSE2__) && !defined(CORVANE_PORTABLE_MATH)
#define CORVANE_ROTATION_LANES 1
#include <emmintrin.h>
#else
#define CORVANE_ROTATION_LANES 0
#endif

#include "corvane/detail/bit_cast.hpp"
#include "debug_text.hpp"
#include "crmath/cr_math.hpp"
#include "heading.hpp"
#include "batch/scalar_lanes.hpp"
#include "nan_rule.hpp"
#include "text/unpadded.hpp"

namespace corvane {

// ---- Vector3 ---------------------------------------------------------------

float Vector3::dot(const Vector3& o) const noexcept {
  return detail::with_canonical_nan((x * o.x + y * o.y) + z * o.z);
}

Vector3 Vector3::cross(const Vector3& o) const noexcept {
  return detail::with_canonical_nan(Vector3{y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x});
}

// Out of line like every other operation, so that a NaN it creates is the
// canonical one whatever CPU and compiler flags the caller has.
Vector3 operator-(const Vector3& a, const Vector3& b) noexcept {
  return detail::with_canonical_nan(Vector3{a.x - b.x, a.y - b.y, a.z - b.z});
}

float Vector3::length_squared() const noexcept { return dot(*this); }

float Vector3::length() const noexcept { return detail::cr_sqrt(length_squared()); }

float Vector3::distance(const Vector3& other) const noexcept { return (*this - other).length(); }

namespace {

// The one test for points too close to have a heading between them. Written
// this way round so that a NaN squared length goes on to atan2.
bool coincide_for_heading(const Vector3& diff) noexcept {
  return HEADING_COINCIDENCE_SQUARED > diff.length_squared();
}

}  // namespace

float Vector3::heading_to(const Vector3& target) const noexcept {
  const Vector3 diff = target - *this;
  if (coincide_for_heading(diff)) return 0.0f;
  const float math_rad = detail::cr_atan2(-diff.x, diff.y);
  return detail::with_canonical_nan(
      detail::radians(detail::reduce_heading_degrees(450.0f - detail::degrees(math_rad))));
}

HeadingCase Vector3::heading_case(const Vector3& target) const noexcept {
  const Vector3 diff = target - *this;
  if (coincide_for_heading(diff)) return HeadingCase::SamePoint;
  // atan2 of two zeros: a fixed angle, whatever the height step.
  if (diff.x == 0.0f && diff.y == 0.0f) {
    return diff.z < 0.0f ? HeadingCase::StraightDown : HeadingCase::StraightUp;
  }
  return HeadingCase::Direction;
}

// ---- Quaternion ------------------------------------------------------------

float Quaternion::dot(const Quaternion& o) const noexcept {
  return detail::with_canonical_nan(((w * o.w + x * o.x) + y * o.y) + z * o.z);
}

// The quaternion formulas are those of the batch kernels, run one float at a
// time, so that each is written once.
namespace {

namespace lanes = detail::lanes::scalar;

lanes::Columns columns(const Quaternion& q) noexcept { return {q.w, q.x, q.y, q.z}; }

Quaternion quaternion(const lanes::Columns& c) noexcept { return {c.w, c.x, c.y, c.z}; }

}  // namespace

Quaternion Quaternion::multiply(const Quaternion& b) const noexcept {
  return quaternion(lanes::multiply(columns(*this), columns(b)));
}

// No threshold: any positive magnitude is divided through; 0 and NaN are not.
Quaternion Quaternion::normalize() const noexcept {
  return quaternion(lanes::normalize(columns(*this)));
}

namespace {

#if CORVANE_ROTATION_LANES

// The three columns of the rotation matrix in lanes 0 to 2 (lane 3 is
// scratch): the formula of rotation_matrix (quaternion_lanes.inc), arranged
// three coefficients to a register for one quaternion. Each lane performs
// exactly its scalar operations, in the same order and with the same operands
// first, so the bits are the same (rotation_lanes_test compares the two).
struct RotationColumns {
  __m128 c0, c1, c2;
};

RotationColumns rotation_columns(const Quaternion& q) noexcept {
  const __m128 wxyz = _mm_setr_ps(q.w, q.x, q.y, q.z);
  const __m128 two = _mm_set1_ps(2.0f);
  const __m128 one = _mm_set1_ps(1.0f);
  const __m128 x_x_y = _mm_shuffle_ps(wxyz, wxyz, _MM_SHUFFLE(0, 2, 1, 1));
  const __m128 y_z_z = _mm_shuffle_ps(wxyz, wxyz, _MM_SHUFFLE(0, 3, 3, 2));
  const __m128 w_w_w = _mm_shuffle_ps(wxyz, wxyz, _MM_SHUFFLE(0, 0, 0, 0));
  const __m128 z_y_x = _mm_shuffle_ps(wxyz, wxyz, _MM_SHUFFLE(0, 1, 2, 3));
  const __m128 x_y_z = _mm_shuffle_ps(wxyz, wxyz, _MM_SHUFFLE(0, 3, 2, 1));
  const __m128 xy_xz_yz = _mm_mul_ps(x_x_y, y_z_z);
  const __m128 wz_wy_wx = _mm_mul_ps(w_w_w, z_y_x);
  const __m128 xx_yy_zz = _mm_mul_ps(x_y_z, x_y_z);
  const __m128 yy_xx_xx = _mm_shuffle_ps(xx_yy_zz, xx_yy_zz, _MM_SHUFFLE(0, 0, 0, 1));
  const __m128 zz_zz_yy = _mm_shuffle_ps(xx_yy_zz, xx_yy_zz, _MM_SHUFFLE(0, 1, 2, 2));
  // m00, m11, m22: 1 - 2 * (yy + zz), 1 - 2 * (xx + zz), 1 - 2 * (xx + yy).
  const __m128 diag = _mm_sub_ps(one, _mm_mul_ps(two, _mm_add_ps(yy_xx_xx, zz_zz_yy)));
  // m10, m02, m21: 2 * (xy + wz), 2 * (xz + wy), 2 * (yz + wx).
  const __m128 sums = _mm_mul_ps(two, _mm_add_ps(xy_xz_yz, wz_wy_wx));
  // m01, m20, m12: 2 * (xy - wz), 2 * (xz - wy), 2 * (yz - wx).
  const __m128 diffs = _mm_mul_ps(two, _mm_sub_ps(xy_xz_yz, wz_wy_wx));
  const __m128 m00_m10 = _mm_unpacklo_ps(diag, sums);    // m00 m10 m11 m02
  const __m128 m01_m11 = _mm_unpacklo_ps(diffs, diag);   // m01 m00 m20 m11
  const __m128 m02_m12 = _mm_shuffle_ps(sums, diffs, _MM_SHUFFLE(2, 2, 1, 1));  // m02 m02 m12 m12
  return {
      _mm_shuffle_ps(m00_m10, diffs, _MM_SHUFFLE(1, 1, 1, 0)),    // m00 m10 m20
      _mm_shuffle_ps(m01_m11, sums, _MM_SHUFFLE(2, 2, 3, 0)),     // m01 m11 m21
      _mm_shuffle_ps(m02_m12, diag, _MM_SHUFFLE(2, 2, 2, 0)),     // m02 m12 m22
  };
}

#endif

}  // namespace

Vector3 Quaternion::rotate_vector(const Vector3& v) const noexcept {
#if CORVANE_ROTATION_LANES
  // Lane i: (v.x * m_i0 + v.y * m_i1) + v.z * m_i2, as in the portable version.
  const RotationColumns m = rotation_columns(*this);
  const __m128 r = _mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_set1_ps(v.x), m.c0),
                                         _mm_mul_ps(_mm_set1_ps(v.y), m.c1)),
                              _mm_mul_ps(_mm_set1_ps(v.z), m.c2));
  return detail::with_canonical_nan(
      Vector3{_mm_cvtss_f32(r), _mm_cvtss_f32(_mm_shuffle_ps(r, r, _MM_SHUFFLE(1, 1, 1, 1))),
              _mm_cvtss_f32(_mm_movehl_ps(r, r))});
#else
  const lanes::Rotation m = lanes::rotation_matrix(w, x, y, z);
  return Vector3{lanes::rotate_row(v.x, v.y, v.z, m.m00, m.m01, m.m02),
                 lanes::rotate_row(v.x, v.y, v.z, m.m10, m.m11, m.m12),
                 lanes::rotate_row(v.x, v.y, v.z, m.m20, m.m21, m.m22)};
#endif
}

std::array<float, 9> Quaternion::to_rotation_matrix() const noexcept {
#if CORVANE_ROTATION_LANES
  const RotationColumns m = rotation_columns(*this);
  alignas(16) float c[12];
  _mm_store_ps(c, m.c0);
  _mm_store_ps(c + 4, m.c1);
  _mm_store_ps(c + 8, m.c2);
  return detail::with_canonical_nan(std::array<float, 9>{c[0], c[1], c[2], c[4], c[5], c[6], c[8], c[9], c[10]});
#else
  const lanes::Rotation m = lanes::rotation_matrix(w, x, y, z);
  return detail::with_canonical_nan(
      std::array<float, 9>{m.m00, m.m10, m.m20, m.m01, m.m11, m.m21, m.m02, m.m12, m.m22});
#endif
}

// Shoemake's conversion (K. Shoemake, "Quaternion Calculus and Fast
// Animation", SIGGRAPH 1987 course notes): from the trace when it is
// positive, otherwise from the largest diagonal entry, so that the component
// taken from the square root is never small and the other three are found by
// dividing by it. Here s is four times that component.
Quaternion Quaternion::from_rotation_matrix(const std::array<float, 9>& m) noexcept {
  const float m00 = m[0], m10 = m[1], m20 = m[2];
  const float m01 = m[3], m11 = m[4], m21 = m[5];
  const float m02 = m[6], m12 = m[7], m22 = m[8];
  const float trace = (m00 + m11) + m22;
  Quaternion q;
  // Strict comparisons: a tie goes to the later branch.
  if (trace > 0.0f) {
    const float s = detail::cr_sqrt(trace + 1.0f) * 2.0f;
    q = {0.25f * s, (m21 - m12) / s, (m02 - m20) / s, (m10 - m01) / s};
  } else if (m00 > m11 && m00 > m22) {
    const float s = detail::cr_sqrt((1.0f + m00) - m11 - m22) * 2.0f;
    q = {(m21 - m12) / s, 0.25f * s, (m01 + m10) / s, (m02 + m20) / s};
  } else if (m11 > m22) {
    const float s = detail::cr_sqrt((1.0f + m11) - m00 - m22) * 2.0f;
    q = {(m02 - m20) / s, (m01 + m10) / s, 0.25f * s, (m12 + m21) / s};
  } else {
    const float s = detail::cr_sqrt((1.0f + m22) - m00 - m11) * 2.0f;
    q = {(m10 - m01) / s, (m02 + m20) / s, (m12 + m21) / s, 0.25f * s};
  }
  return q.normalize();
}

// Spherical linear interpolation (K. Shoemake, "Animating Rotation with
// Quaternion Curves", SIGGRAPH 1985): from * sin((1 - t) omega) / sin omega +
// to * sin(t omega) / sin omega, with cos omega = from . to. Negating `to` for
// the shorter arc and blending linearly when the two nearly coincide are the
// usual additions; the result is normalised.
Quaternion Quaternion::slerp(const Quaternion& from, const Quaternion& to_in, float t) noexcept {
  // 0.0002f is the pattern 0x3951B717.
  static constexpr float kNearlyIdentical = 0.0002f;
  static_assert(detail::bit_cast<std::uint32_t>(kNearlyIdentical) == 0x3951B717u);

  Quaternion to = to_in;
  float cosom = from.dot(to);
  if (cosom < 0.0f) {  // take the shorter arc
    cosom = -cosom;
    to = {-to.w, -to.x, -to.y, -to.z};
  }
  float scale0 = 1.0f - t;
  float scale1 = t;
  if (1.0f - cosom > kNearlyIdentical) {
    const float omega = detail::cr_acos(cosom);
    const float inv_sin = 1.0f / detail::cr_sin(omega);
    const float s0 = detail::cr_sin(omega * (1.0f - t)) * inv_sin;
    const float s1 = detail::cr_sin(omega * t) * inv_sin;
    // Outside [0, 1] the arc would extrapolate; keep the straight blend then.
    if (s0 >= 0.0f && s0 <= 1.0f && s1 >= 0.0f && s1 <= 1.0f) {
      scale0 = s0;
      scale1 = s1;
    }
  }
  const Quaternion blend{
      scale0 * from.w + scale1 * to.w,
      scale0 * from.x + scale1 * to.x,
      scale0 * from.y + scale1 * to.y,
      scale0 * from.z + scale1 * to.z,
  };
  return blend.normalize();
}

float Quaternion::to_heading() const noexcept {
  const float sin_theta = (w + w) * z;
  const float cos_theta = 1.0f - (z + z) * z;
  const float rad = detail::cr_atan2(sin_theta, cos_theta);
  return detail::with_canonical_nan(
      detail::radians(detail::reduce_heading_degrees(450.0f - detail::degrees(rad))));
}

Quaternion Quaternion::from_heading(float heading_rad) noexcept {
  const float heading_deg = detail::degrees(heading_rad);
  const float rad = detail::radians(450.0f - heading_deg);
  const float half_theta = rad * 0.5f;
  float qw = detail::cr_cos(half_theta);
  float qz = detail::cr_sin(half_theta);
  if (qw < 0.0f) {  // never a negative scalar part
    qw = -qw;
    qz = -qz;
  }
  return detail::with_canonical_nan(Quaternion{qw, 0.0f, 0.0f, qz});
}

// ---- Plane and Triangle ----------------------------------------------------

std::optional<Plane> Plane::from_triangle(const Vector3& v0, const Vector3& v1,
                                          const Vector3& v2) noexcept {
  // 1e-12f is the pattern 0x2B8CBCCC.
  static constexpr float kMinCrossLengthSquared = 1e-12f;
  static_assert(detail::bit_cast<std::uint32_t>(kMinCrossLengthSquared) == 0x2B8CBCCCu);

  const Vector3 cross = (v1 - v0).cross(v2 - v0);
  const float length_sq = cross.length_squared();
  // Written this way round so that a NaN goes on and yields a NaN plane.
  if (kMinCrossLengthSquared > length_sq) return std::nullopt;
  const float length = detail::cr_sqrt(length_sq);
  const Vector3 normal{cross.x / length, cross.y / length, cross.z / length};
  return Plane{detail::with_canonical_nan(normal), detail::with_canonical_nan(-normal.dot(v0))};
}

float Plane::distance_to_point(const Vector3& point) const noexcept {
  return detail::with_canonical_nan(normal.dot(point) + d);
}

std::optional<Plane> Triangle::plane() const noexcept { return Plane::from_triangle(v0, v1, v2); }

bool Triangle::contains_xy(float x, float y) const noexcept {
  static constexpr float kTolerance = 1e-4f;
  // Twice the signed area of (a, b, p): positive when p is left of a -> b.
  const auto edge = [x, y](const Vector3& a, const Vector3& b) noexcept {
    return (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x);
  };
  const float d0 = edge(v0, v1);
  const float d1 = edge(v1, v2);
  const float d2 = edge(v2, v0);
  const bool has_neg = d0 < -kTolerance || d1 < -kTolerance || d2 < -kTolerance;
  const bool has_pos = d0 > kTolerance || d1 > kTolerance || d2 > kTolerance;
  return !(has_neg && has_pos);
}

std::optional<float> Triangle::z_at_xy(float x, float y) const noexcept {
  const std::optional<Plane> p = plane();
  if (!p) return std::nullopt;
  if (std::fabs(p->normal.z) < 1e-4f) return std::nullopt;  // vertical: no single height
  return detail::with_canonical_nan(-((x * p->normal.x + y * p->normal.y) + p->d) / p->normal.z);
}

// Ericson's ClosestPtPointTriangle (C. Ericson, Real-Time Collision Detection,
// Morgan Kaufmann 2005, section 5.1.5): the Voronoi regions of the vertices,
// then of the edges, then the face, told apart by the dot products d1 to d6
// and the barycentric terms va, vb, vc, in the book's order and names.
Vector3 Triangle::closest_point(const Vector3& p) const noexcept {
  // The first region test that holds gives the answer. A NaN fails every test
  // and ends on the face.
  const Vector3& a = v0;
  const Vector3& b = v1;
  const Vector3& c = v2;
  const Vector3 ab = b - a;
  const Vector3 ac = c - a;
  const Vector3 ap = p - a;
  const float d1 = ab.dot(ap);
  const float d2 = ac.dot(ap);
  if (d1 <= 0.0f && d2 <= 0.0f) return a;

  const Vector3 bp = p - b;
  const float d3 = ab.dot(bp);
  const float d4 = ac.dot(bp);
  if (d3 >= 0.0f && d4 <= d3) return b;

  const float vc = d1 * d4 - d3 * d2;
  if (vc <= 0.0f && d1 >= 0.0f && d3 <= 0.0f) {
    const float v = d1 / (d1 - d3);
    return detail::with_canonical_nan(Vector3{a.x + v * ab.x, a.y + v * ab.y, a.z + v * ab.z});
  }

  const Vector3 cp = p - c;
  const float d5 = ab.dot(cp);
  const float d6 = ac.dot(cp);
  if (d6 >= 0.0f && d5 <= d6) return c;

  const float vb = d5 * d2 - d1 * d6;
  if (vb <= 0.0f && d2 >= 0.0f && d6 <= 0.0f) {
    const float w = d2 / (d2 - d6);
    return detail::with_canonical_nan(Vector3{a.x + w * ac.x, a.y + w * ac.y, a.z + w * ac.z});
  }

  const float va = d3 * d6 - d5 * d4;
  if (va <= 0.0f && (d4 - d3) >= 0.0f && (d5 - d6) >= 0.0f) {
    const float w = (d4 - d3) / ((d4 - d3) + (d5 - d6));
    return detail::with_canonical_nan(
        Vector3{b.x + (c.x - b.x) * w, b.y + (c.y - b.y) * w, b.z + (c.z - b.z) * w});
  }

  const float denom = 1.0f / ((va + vb) + vc);
  const float v = vb * denom;
  const float w = vc * denom;
  return detail::with_canonical_nan(
      Vector3{a.x + ab.x * v + ac.x * w, a.y + ab.y * v + ac.y * w, a.z + ab.z * v + ac.z * w});
}

// ---- Debug texts -----------------------------------------------------------

namespace detail {

template <class Out>
constexpr void append_debug(Out& out, const Plane& p) {
  append_struct(out, "Plane", field("normal", p.normal), field("d", p.d));
}

template <class Out>
constexpr void append_debug(Out& out, const Triangle& t) {
  append_struct(out, "Triangle", field("v0", t.v0), field("v1", t.v1), field("v2", t.v2));
}

}  // namespace detail

std::ostream& operator<<(std::ostream& os, const Vector3& v) {
  return detail::write_unpadded(os, detail::debug_text(v).view());
}
std::string debug_string(const Vector3& v) { return std::string(detail::debug_text(v).view()); }
std::ostream& operator<<(std::ostream& os, const Quaternion& q) {
  return detail::write_unpadded(os, detail::debug_text(q).view());
}
std::string debug_string(const Quaternion& q) { return std::string(detail::debug_text(q).view()); }
std::ostream& operator<<(std::ostream& os, const Plane& p) {
  return detail::write_unpadded(os, detail::debug_text(p).view());
}
std::string debug_string(const Plane& p) { return std::string(detail::debug_text(p).view()); }
std::ostream& operator<<(std::ostream& os, const Triangle& t) {
  return detail::write_unpadded(os, detail::debug_text(t).view());
}
std::string debug_string(const Triangle& t) { return std::string(detail::debug_text(t).view()); }

}  // namespace corvane
