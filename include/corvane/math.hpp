// Single-precision geometry: vectors, rotation quaternions, planes and triangles.
//
// World axes: +X east, +Y north, +Z up, lengths in metres. Headings are radians
// in [0, 2*pi) for finite input: 0 toward west (-X), pi/2 north, pi east,
// 3*pi/2 south, growing clockwise seen from above.
//
// Every operation rounds each product, sum and quotient to float in a fixed
// order, without fused multiply-add. That is why the arithmetic lives in the
// compiled library and not inline here: the results do not depend on the flags
// a consumer compiles with. Sine, cosine, arc-cosine and arc-tangent are the
// library's own, correctly rounded; square root is IEEE's. The bits are the
// same on every machine and C library. NaN and infinities pass through; a NaN
// that the arithmetic itself creates is always 0x7FC00000.
#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>

#include "corvane/export.hpp"

namespace corvane {

/// Two points whose squared distance is below this (in square metres) count
/// as one point for a heading: Vector3::heading_to gives exactly 0 there.
inline constexpr float HEADING_COINCIDENCE_SQUARED = 1e-6f;

/// How Vector3::heading_to answers for two points: with the direction of the
/// horizontal step between them, or with a number that names no direction.
enum class HeadingCase : std::uint8_t {
  /// The heading of the horizontal step (NaN when the step is unknown).
  Direction,
  /// The squared 3-D distance is below HEADING_COINCIDENCE_SQUARED: the
  /// heading is exactly 0.
  SamePoint,
  /// No horizontal step at all (both steps zero) and the target not lower
  /// (higher, or its height step NaN): the heading is pi/2, or 3pi/2 when the
  /// y step is -0, which is no compass direction.
  StraightUp,
  /// The same with the target lower.
  StraightDown,
};

/// A point or offset in metres.
struct CORVANE_EXPORT Vector3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  /// (0, 0, 0).
  static constexpr Vector3 zero() noexcept { return {}; }

  /// (x*o.x + y*o.y) + z*o.z.
  [[nodiscard]] float dot(const Vector3& other) const noexcept;
  /// The right-handed cross product self x other.
  [[nodiscard]] Vector3 cross(const Vector3& other) const noexcept;
  /// dot(self).
  [[nodiscard]] float length_squared() const noexcept;
  /// Square root of length_squared().
  [[nodiscard]] float length() const noexcept;
  /// (self - other).length().
  [[nodiscard]] float distance(const Vector3& other) const noexcept;
  /// Heading from self toward `target`, radians in [0, 2*pi). Exactly 0 when the
  /// squared 3-D distance is below HEADING_COINCIDENCE_SQUARED; a pure height
  /// difference gives pi/2.
  [[nodiscard]] float heading_to(const Vector3& target) const noexcept;
  /// Which answer heading_to(target) gives: a direction, or one of its fixed
  /// numbers.
  [[nodiscard]] HeadingCase heading_case(const Vector3& target) const noexcept;

  /// Component-wise difference (one rounding per component); inf - inf is
  /// the NaN 0x7FC00000 on every machine, as for every other operation.
  friend CORVANE_EXPORT Vector3 operator-(const Vector3& a, const Vector3& b) noexcept;
  /// Exact float comparison per component: NaN is never equal, 0 equals -0.
  friend constexpr bool operator==(const Vector3& a, const Vector3& b) noexcept {
    return a.x == b.x && a.y == b.y && a.z == b.z;
  }
};

/// A rotation as a quaternion, scalar part first. The default value is all
/// zeros, not the identity. Nothing enforces unit length: rotate_vector and
/// to_rotation_matrix use the unit-length formulas on whatever they are given.
struct CORVANE_EXPORT Quaternion {
  float w = 0.0f;
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  /// (1, 0, 0, 0).
  static constexpr Quaternion identity() noexcept { return {1.0f, 0.0f, 0.0f, 0.0f}; }

  /// ((w*o.w + x*o.x) + y*o.y) + z*o.z.
  [[nodiscard]] float dot(const Quaternion& other) const noexcept;
  /// The Hamilton product self*other (rotating by it applies `other` first);
  /// not normalised.
  [[nodiscard]] Quaternion multiply(const Quaternion& other) const noexcept;
  /// (w, -x, -y, -z): each negation flips the sign bit.
  [[nodiscard]] constexpr Quaternion conjugate() const noexcept { return {w, -x, -y, -z}; }
  /// A unit-length copy. A magnitude of 0 or NaN returns the quaternion
  /// unchanged (the zero quaternion stays zero; no division by zero).
  [[nodiscard]] Quaternion normalize() const noexcept;
  /// `v` rotated by this quaternion (not normalised first).
  [[nodiscard]] Vector3 rotate_vector(const Vector3& v) const noexcept;
  /// The rotation matrix column by column: m00, m10, m20, m01, m11, m21, m02,
  /// m12, m22. Column c is the image of the c-th basis vector.
  [[nodiscard]] std::array<float, 9> to_rotation_matrix() const noexcept;
  /// The normalised quaternion of a column-major rotation matrix. The sign is
  /// not made canonical: w may come out negative. A matrix that is not a
  /// rotation gives whatever the formulas produce (possibly NaN).
  [[nodiscard]] static Quaternion from_rotation_matrix(const std::array<float, 9>& m) noexcept;
  /// Spherical interpolation along the shorter arc, normalised. Nearly
  /// identical rotations, NaN and `t` outside [0, 1] fall back to the
  /// normalised straight blend: the result never extrapolates along the arc.
  [[nodiscard]] static Quaternion slerp(const Quaternion& from, const Quaternion& to,
                                        float t) noexcept;
  /// Heading of the rotation's turn about Z, radians in [0, 2*pi); reads only
  /// w and z. The all-zero quaternion gives pi/2; a NaN w or z gives NaN.
  [[nodiscard]] float to_heading() const noexcept;
  /// The turn about Z facing `heading_rad`, with a non-negative scalar part.
  [[nodiscard]] static Quaternion from_heading(float heading_rad) noexcept;

  /// Exact float comparison per component.
  friend constexpr bool operator==(const Quaternion& a, const Quaternion& b) noexcept {
    return a.w == b.w && a.x == b.x && a.y == b.y && a.z == b.z;
  }
};

/// A plane: the points p with normal.dot(p) + d == 0.
struct CORVANE_EXPORT Plane {
  Vector3 normal;
  float d = 0.0f;

  /// The plane through three points, normal by the right-hand rule over
  /// v0 -> v1 -> v2 (counter-clockwise seen from above gives +z). Empty when the
  /// squared length of the edge cross product is below 1e-12 (a degenerate
  /// triangle); a NaN vertex gives a NaN plane, not an empty one.
  [[nodiscard]] static std::optional<Plane> from_triangle(const Vector3& v0, const Vector3& v1,
                                                          const Vector3& v2) noexcept;
  /// Signed distance normal.dot(point) + d: positive on the side the normal
  /// points to.
  [[nodiscard]] float distance_to_point(const Vector3& point) const noexcept;

  friend constexpr bool operator==(const Plane& a, const Plane& b) noexcept {
    return a.normal == b.normal && a.d == b.d;
  }
};

/// A triangle of world geometry (a piece of floor, a ramp, a wall). It may be
/// degenerate; each operation says what it does then.
struct CORVANE_EXPORT Triangle {
  Vector3 v0;
  Vector3 v1;
  Vector3 v2;

  /// Plane::from_triangle(v0, v1, v2).
  [[nodiscard]] std::optional<Plane> plane() const noexcept;
  /// Whether (x, y) lies over the triangle seen from above, either winding,
  /// with an edge tolerance of 1e-4 (an area: it scales with edge length).
  /// Points on an edge count as inside; a NaN coordinate gives true; a
  /// triangle whose vertices coincide contains every point.
  [[nodiscard]] bool contains_xy(float x, float y) const noexcept;
  /// Height of the triangle's infinite plane at (x, y). Empty for a degenerate
  /// triangle or one whose normal has |z| below 1e-4 (vertical). Does not ask
  /// whether (x, y) lies over the triangle: call contains_xy for that.
  [[nodiscard]] std::optional<float> z_at_xy(float x, float y) const noexcept;
  /// The point of the filled triangle nearest to `p` in three dimensions. A
  /// degenerate triangle may give infinities or NaN.
  [[nodiscard]] Vector3 closest_point(const Vector3& p) const noexcept;

  friend constexpr bool operator==(const Triangle& a, const Triangle& b) noexcept {
    return a.v0 == b.v0 && a.v1 == b.v1 && a.v2 == b.v2;
  }
};

// ---- Many values at once ------------------------------------------------------
//
// Each batch overload gives, bit for bit, what the single-value operation gives
// for each element in order (where two NaN operands meet, either payload may
// come out, as in the single-value operation itself); the loop runs in the
// library, on the widest vector unit the CPU has. `out` may be the very span of an input (in place),
// but must not overlap one otherwise. Sizes that differ throw
// std::invalid_argument before anything is written; empty spans do nothing.
// Nothing allocates.

/// out[i] = a[i].multiply(b[i]).
CORVANE_EXPORT void multiply(std::span<const Quaternion> a, std::span<const Quaternion> b,
                             std::span<Quaternion> out);
/// out[i] = q[i].rotate_vector(v[i]).
CORVANE_EXPORT void rotate_vector(std::span<const Quaternion> q, std::span<const Vector3> v,
                                  std::span<Vector3> out);
/// out[i] = in[i].normalize().
CORVANE_EXPORT void normalize(std::span<const Quaternion> in, std::span<Quaternion> out);

/// Debug text: "Vector3 { x: 1.0, y: -2.5, z: 0.0 }", each value the shortest
/// decimal that reads back to the same float.
CORVANE_EXPORT std::ostream& operator<<(std::ostream& os, const Vector3& v);
CORVANE_EXPORT std::string debug_string(const Vector3& v);
/// Debug text: "Quaternion { w: 1.0, x: 0.0, y: 0.0, z: 0.0 }".
CORVANE_EXPORT std::ostream& operator<<(std::ostream& os, const Quaternion& q);
CORVANE_EXPORT std::string debug_string(const Quaternion& q);
/// Debug text: "Plane { normal: Vector3 { ... }, d: 0.0 }".
CORVANE_EXPORT std::ostream& operator<<(std::ostream& os, const Plane& p);
CORVANE_EXPORT std::string debug_string(const Plane& p);
/// Debug text: "Triangle { v0: Vector3 { ... }, v1: ..., v2: ... }".
CORVANE_EXPORT std::ostream& operator<<(std::ostream& os, const Triangle& t);
CORVANE_EXPORT std::string debug_string(const Triangle& t);

}  // namespace corvane
