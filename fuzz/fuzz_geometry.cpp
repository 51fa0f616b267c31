// Arbitrary vectors, quaternions and triangles through every Vector3,
// Quaternion, Plane and Triangle operation.
//
// The first byte picks how floats are read: raw bit patterns (NaN, infinities,
// subnormals, huge values), bounded finite values, or a grid of quarter-units
// that makes exact ties, collinear and coincident vertices likely. On every
// input the exact invariants are checked (sign flips, identities, debug text
// that reads back); on bounded input the results are also compared with
// double-precision references and must be finite where the inputs are not
// degenerate.
//
// Whatever input is left after that is read as more quaternion pairs and
// vectors, which go with the first ones through the batch multiply,
// rotate_vector and normalize on every vector path the CPU supports; each
// element must equal the single-value result (two NaNs count as equal: which
// payload survives where two meet is not fixed).
#include <array>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "batch/math_batch.hpp"
#include "batch/simd_path.hpp"

#include "corvane/math.hpp"
#include "fuzz_support.hpp"

namespace {

using corvane::Plane;
using corvane::Quaternion;
using corvane::Triangle;
using corvane::Vector3;

// The float nearest to 2*pi lies above 2*pi: a heading must stay below it.
constexpr float kTwoPi = 6.2831855f;

enum class Mode { Raw, Bounded, Grid };

struct Reader {
  fuzz::Input& in;
  Mode mode;

  float f() {
    switch (mode) {
      case Mode::Raw:
        return in.bits();
      case Mode::Grid:
        return static_cast<float>(static_cast<std::int8_t>(in.u8())) / 4.0f;
      case Mode::Bounded:
        break;
    }
    const std::uint32_t bits = in.u32();
    float v = std::bit_cast<float>(bits);
    if (!std::isfinite(v)) v = static_cast<float>(static_cast<std::int32_t>(bits) >> 8) / 64.0f;
    if (std::fabs(v) > 1e4f) v = std::fmod(v, 1e4f);
    return v;
  }
  Vector3 vec() {
    const float x = f();
    const float y = f();
    return {x, y, f()};
  }
  Quaternion quat() {
    const float w = f();
    const float x = f();
    const float y = f();
    return {w, x, y, f()};
  }
};

struct D3 {
  double x, y, z;
};
D3 d3(const Vector3& v) { return {v.x, v.y, v.z}; }
D3 sub(const D3& a, const D3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
D3 add(const D3& a, const D3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
D3 scale(const D3& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dot(const D3& a, const D3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
D3 cross(const D3& a, const D3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double norm(const D3& a) { return std::sqrt(dot(a, a)); }
bool finite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
bool finite(const Quaternion& q) {
  return std::isfinite(q.w) && std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z);
}
double qdot(const Quaternion& a, const Quaternion& b) {
  return double{a.w} * b.w + double{a.x} * b.x + double{a.y} * b.y + double{a.z} * b.z;
}
double qnorm(const Quaternion& q) { return std::sqrt(qdot(q, q)); }
double max_abs(const Vector3& v) {
  return std::fmax(std::fabs(v.x), std::fmax(std::fabs(v.y), std::fabs(v.z)));
}

// ---- debug text ------------------------------------------------------------

template <typename T>
std::string streamed(const T& value) {
  std::ostringstream os;
  os << value;
  return os.str();
}

void check_texts(const Vector3& v, const Quaternion& q, const Triangle& t) {
  const std::string vt = corvane::debug_string(v);
  fuzz::check_struct_text<3>(vt, "Vector3", {"x", "y", "z"}, {v.x, v.y, v.z});
  FUZZ_CHECK(streamed(v) == vt, "operator<< differs from debug_string: %s", vt.c_str());
  const std::string qt = corvane::debug_string(q);
  fuzz::check_struct_text<4>(qt, "Quaternion", {"w", "x", "y", "z"}, {q.w, q.x, q.y, q.z});
  FUZZ_CHECK(streamed(q) == qt, "operator<< differs from debug_string: %s", qt.c_str());
  const std::string tt = corvane::debug_string(t);
  const std::string expected = "Triangle { v0: " + corvane::debug_string(t.v0) +
                               ", v1: " + corvane::debug_string(t.v1) +
                               ", v2: " + corvane::debug_string(t.v2) + " }";
  FUZZ_CHECK(tt == expected && streamed(t) == tt, "triangle text: %s", tt.c_str());
  const Plane p{v, q.w};
  const std::string pt = corvane::debug_string(p);
  const std::string head = "Plane { normal: " + vt + ", d: ";
  FUZZ_CHECK(pt.size() > head.size() + 2 && pt.compare(0, head.size(), head) == 0 &&
                 pt.compare(pt.size() - 2, 2, " }") == 0,
             "plane text: %s", pt.c_str());
  fuzz::check_float_text(std::string_view(pt).substr(head.size(), pt.size() - head.size() - 2), q.w);
  FUZZ_CHECK(streamed(p) == pt, "operator<< differs from debug_string: %s", pt.c_str());
}

// ---- vectors ---------------------------------------------------------------

void check_vectors(const Vector3& a, const Vector3& b, bool bounded) {
  const Vector3 diff = b - a;
  const float h = a.heading_to(b);
  // NaN exactly when the horizontal difference is NaN; otherwise in range,
  // even for infinite differences (atan2 of infinities is finite).
  FUZZ_CHECK(std::isnan(h) == (std::isnan(diff.x) || std::isnan(diff.y)),
             "heading %08X for difference (%08X, %08X)", fuzz::hex(h), fuzz::hex(diff.x),
             fuzz::hex(diff.y));
  if (!std::isnan(h)) FUZZ_CHECK(h >= 0.0f && h < kTwoPi, "heading %08X out of [0, 2pi)", fuzz::hex(h));
  if (finite(a)) FUZZ_CHECK(fuzz::hex(a.heading_to(a)) == 0, "heading to itself is not +0");

  const float ls = a.length_squared();
  const float len = a.length();
  FUZZ_CHECK(std::isnan(ls) || !std::signbit(ls), "negative squared length");
  FUZZ_CHECK(std::isnan(len) || !std::signbit(len), "negative length");
  const float ab = a.distance(b);
  const float ba = b.distance(a);
  FUZZ_CHECK(fuzz::hex(ab) == fuzz::hex(ba) || (std::isnan(ab) && std::isnan(ba)),
             "distance not symmetric: %08X vs %08X", fuzz::hex(ab), fuzz::hex(ba));

  if (!bounded) return;
  const D3 da = d3(a), db = d3(b);
  const Vector3 c = a.cross(b);
  FUZZ_CHECK(finite(c) && std::isfinite(a.dot(b)) && std::isfinite(len) && std::isfinite(ab),
             "non-finite result from bounded vectors");
  const double mag = norm(da) * norm(db);
  double abs_products = std::fabs(da.x * db.x) + std::fabs(da.y * db.y) + std::fabs(da.z * db.z);
  FUZZ_CHECK(std::fabs(a.dot(b) - dot(da, db)) <= 4e-7 * abs_products + 1e-37, "dot off");
  const D3 dc = d3(c);
  const double cross_tol = 4e-7 * mag + 1e-37;
  const D3 ref = cross(da, db);
  FUZZ_CHECK(std::fabs(dc.x - ref.x) <= cross_tol && std::fabs(dc.y - ref.y) <= cross_tol &&
                 std::fabs(dc.z - ref.z) <= cross_tol,
             "cross off");
  FUZZ_CHECK(std::fabs(len - norm(da)) <= 4e-7 * norm(da) + 1e-19, "length off");
  // The heading from the double-precision angle of the same float difference.
  const D3 dd = d3(diff);
  if (dot(dd, dd) > 2e-6) {
    const double deg = std::fmod(450.0 - std::atan2(-dd.x, dd.y) * 180.0 / 3.141592653589793, 360.0);
    const double expected = deg * 3.141592653589793 / 180.0;
    FUZZ_CHECK(fuzz::angle_gap(h, expected) <= 1e-5, "heading %.9g, reference %.9g", double{h},
               expected);
  } else if (dot(dd, dd) < 5e-7) {
    FUZZ_CHECK(h == 0.0f, "heading of a near-zero difference is %.9g", double{h});
  }
}

// ---- quaternions -----------------------------------------------------------

void check_quaternions(const Quaternion& q, const Quaternion& r, float t, float heading,
                       const Vector3& v, bool bounded) {
  const Quaternion c = q.conjugate();
  FUZZ_CHECK(fuzz::hex(c.w) == fuzz::hex(q.w) && fuzz::hex(c.x) == (fuzz::hex(q.x) ^ 0x80000000u) &&
                 fuzz::hex(c.y) == (fuzz::hex(q.y) ^ 0x80000000u) &&
                 fuzz::hex(c.z) == (fuzz::hex(q.z) ^ 0x80000000u),
             "conjugate is not a sign flip");
  if (finite(q)) {
    FUZZ_CHECK(Quaternion::identity().multiply(q) == q && q.multiply(Quaternion::identity()) == q,
               "the identity does not leave a finite quaternion unchanged");
  }

  // Rotation matrix columns are the images of the basis vectors, exactly.
  const std::array<float, 9> m = q.to_rotation_matrix();
  bool matrix_finite = true;
  for (const float e : m) matrix_finite = matrix_finite && std::isfinite(e);
  if (matrix_finite) {
    const Vector3 cols[3] = {q.rotate_vector({1, 0, 0}), q.rotate_vector({0, 1, 0}),
                             q.rotate_vector({0, 0, 1})};
    for (std::size_t k = 0; k < 3; ++k) {
      FUZZ_CHECK((cols[k] == Vector3{m[3 * k], m[3 * k + 1], m[3 * k + 2]}),
                 "matrix column %zu is not the rotated basis vector", k);
    }
  }

  // from_heading: a unit turn about Z with a non-negative scalar part.
  const Quaternion fh = Quaternion::from_heading(heading);
  if (std::isfinite(heading) && std::fabs(heading) <= 1e30f) {
    FUZZ_CHECK(finite(fh) && fh.w >= 0.0f && fh.x == 0.0f && fh.y == 0.0f &&
                   std::fabs(qnorm(fh) - 1.0) <= 1e-6,
               "from_heading(%08X) = (%g, %g, %g, %g)", fuzz::hex(heading), double{fh.w},
               double{fh.x}, double{fh.y}, double{fh.z});
    const float back = fh.to_heading();
    FUZZ_CHECK(back >= 0.0f && back < kTwoPi, "to_heading %08X out of range", fuzz::hex(back));
    // The round trip loses what the float products lose at this magnitude.
    const double tol = 1e-4 + 3e-7 * std::fabs(double{heading}) * 57.3;
    FUZZ_CHECK(fuzz::angle_gap(back, heading) <= tol, "heading %.9g came back as %.9g",
               double{heading}, double{back});
  } else if (std::isnan(heading) || std::isinf(heading)) {
    FUZZ_CHECK(std::isnan(fh.w) && std::isnan(fh.z), "from_heading of non-finite is not NaN");
  }
  const float qh = q.to_heading();
  if (std::isnan(q.w) || std::isnan(q.z)) {
    FUZZ_CHECK(std::isnan(qh), "to_heading of a NaN w or z is %08X", fuzz::hex(qh));
  }
  if (std::fabs(q.w) <= 1e18f && std::fabs(q.z) <= 1e18f) {
    FUZZ_CHECK(qh >= 0.0f && qh < kTwoPi, "to_heading %08X out of range", fuzz::hex(qh));
  }

  const Quaternion n = q.normalize();
  if (!bounded) {
    if (finite(q)) FUZZ_CHECK(finite(n), "normalize of a finite quaternion is not finite");
    return;
  }

  // Bounded input from here on.
  const double qn = qnorm(q), rn = qnorm(r);
  const Quaternion qr = q.multiply(r);
  FUZZ_CHECK(finite(qr), "product of bounded quaternions not finite");
  FUZZ_CHECK(std::fabs(qnorm(qr) - qn * rn) <= 1e-5 * qn * rn + 1e-30,
             "|q r| = %.9g, |q| |r| = %.9g", qnorm(qr), qn * rn);
  FUZZ_CHECK(std::isfinite(q.dot(r)), "dot not finite");
  FUZZ_CHECK(finite(n), "normalize not finite");
  if (qn >= 1e-18) {
    FUZZ_CHECK(std::fabs(qnorm(n) - 1.0) <= 1e-6, "normalize gives length %.9g", qnorm(n));
  } else {
    // Squares in the subnormal range round coarsely; still no blow-up.
    FUZZ_CHECK(qnorm(n) <= 1.5, "normalize of a tiny quaternion gives length %.9g", qnorm(n));
  }
  if (qn < 1e-18 || rn < 1e-18) return;

  const Quaternion u = n;
  const Quaternion w = r.normalize();
  // A unit quaternion rotates without changing lengths; its matrix is a
  // rotation and turns back into the same rotation.
  const Vector3 rv = u.rotate_vector(v);
  const double vn = norm(d3(v));
  FUZZ_CHECK(finite(rv) && std::fabs(norm(d3(rv)) - vn) <= 1e-5 * vn + 1e-30,
             "rotation changed a length from %.9g to %.9g", vn, norm(d3(rv)));
  const std::array<float, 9> um = u.to_rotation_matrix();
  const D3 c0{um[0], um[1], um[2]}, c1{um[3], um[4], um[5]}, c2{um[6], um[7], um[8]};
  FUZZ_CHECK(std::fabs(dot(c0, c0) - 1) <= 1e-5 && std::fabs(dot(c1, c1) - 1) <= 1e-5 &&
                 std::fabs(dot(c2, c2) - 1) <= 1e-5 && std::fabs(dot(c0, c1)) <= 1e-5 &&
                 std::fabs(dot(c0, c2)) <= 1e-5 && std::fabs(dot(c1, c2)) <= 1e-5 &&
                 std::fabs(dot(cross(c0, c1), c2) - 1) <= 1e-5,
             "matrix of a unit quaternion is not a rotation");
  const Quaternion back = Quaternion::from_rotation_matrix(um);
  FUZZ_CHECK(finite(back) && std::fabs(std::fabs(qdot(back, u)) - 1.0) <= 2e-5,
             "matrix round trip: |dot| = %.9g", std::fabs(qdot(back, u)));

  // slerp stays on the unit sphere and, for t in [0, 1], between its ends.
  const Quaternion s = Quaternion::slerp(u, w, t);
  if (std::fabs(t) <= 100.0f) {
    FUZZ_CHECK(finite(s) && std::fabs(qnorm(s) - 1.0) <= 1e-5, "slerp(t=%.9g) has length %.9g",
               double{t}, qnorm(s));
  }
  if (t >= 0.0f && t <= 1.0f) {
    const double ends = std::fabs(qdot(u, w));
    FUZZ_CHECK(std::fabs(qdot(s, u)) >= ends - 1e-5 && std::fabs(qdot(s, w)) >= ends - 1e-5,
               "slerp(t=%.9g) left the arc between its ends", double{t});
  }
  const Quaternion s0 = Quaternion::slerp(u, w, 0.0f);
  const Quaternion s1 = Quaternion::slerp(u, w, 1.0f);
  FUZZ_CHECK(std::fabs(qdot(s0, u)) >= 1.0 - 1e-5 && std::fabs(qdot(s1, w)) >= 1.0 - 1e-5,
             "slerp does not start at its first and end at its second operand");
}

// ---- planes and triangles --------------------------------------------------

// Distance from p to the filled triangle, computed independently in double:
// the projection onto the face when it falls inside, else the nearest edge.
double reference_distance(const D3& p, const D3& a, const D3& b, const D3& c) {
  const auto segment = [&p](const D3& s, const D3& e) {
    const D3 se = sub(e, s);
    const double len2 = dot(se, se);
    double k = len2 > 0 ? dot(sub(p, s), se) / len2 : 0.0;
    k = std::fmin(1.0, std::fmax(0.0, k));
    return norm(sub(p, add(s, scale(se, k))));
  };
  const D3 nrm = cross(sub(b, a), sub(c, a));
  const double n2 = dot(nrm, nrm);
  if (n2 > 0) {
    const D3 proj = sub(p, scale(nrm, dot(sub(p, a), nrm) / n2));
    const double w0 = dot(cross(sub(b, a), sub(proj, a)), nrm);
    const double w1 = dot(cross(sub(c, b), sub(proj, b)), nrm);
    const double w2 = dot(cross(sub(a, c), sub(proj, c)), nrm);
    if (w0 >= 0 && w1 >= 0 && w2 >= 0) return norm(sub(p, proj));
  }
  return std::fmin(segment(a, b), std::fmin(segment(b, c), segment(c, a)));
}

void check_triangle(const Triangle& t, const Vector3& p, float x, float y, bool bounded) {
  // Exact on every input: a vertex lies over its triangle, and the answer
  // does not depend on which vertex comes first.
  for (const Vector3& v : {t.v0, t.v1, t.v2}) {
    FUZZ_CHECK(t.contains_xy(v.x, v.y), "vertex (%08X, %08X) not contained", fuzz::hex(v.x),
               fuzz::hex(v.y));
  }
  const bool inside = t.contains_xy(x, y);
  const Triangle rotated1{t.v1, t.v2, t.v0};
  const Triangle rotated2{t.v2, t.v0, t.v1};
  FUZZ_CHECK(rotated1.contains_xy(x, y) == inside && rotated2.contains_xy(x, y) == inside,
             "contains_xy depends on the first vertex");

  const std::optional<Plane> plane = t.plane();
  const std::optional<float> z = t.z_at_xy(x, y);
  FUZZ_CHECK(z.has_value() == (plane.has_value() && !(std::fabs(plane->normal.z) < 1e-4f)),
             "z_at_xy present without a non-vertical plane, or absent with one");
  const Vector3 e1 = t.v1 - t.v0;
  const Vector3 e2 = t.v2 - t.v0;
  if (finite(e1) && finite(e2) && finite(t.v0)) {
    FUZZ_CHECK(t.closest_point(t.v0) == t.v0, "closest point of the first vertex moved");
  }

  if (!bounded) {
    (void)t.closest_point(p);
    if (plane) (void)plane->distance_to_point(p);
    return;
  }

  const D3 a = d3(t.v0), b = d3(t.v1), c = d3(t.v2);
  const D3 de1 = sub(b, a), de2 = sub(c, a);
  const D3 nrm = cross(de1, de2);
  // How far from a sliver: twice the area over the square of the longest
  // edge (small for any thin triangle, whatever its angle at v0). Rounding
  // errors of the float results grow as this shrinks.
  const double longest = std::fmax(norm(de1), std::fmax(norm(de2), norm(sub(c, b))));
  const double sine = longest > 0 ? norm(nrm) / (longest * longest) : 0.0;
  const double scale_m = std::fmax(max_abs(t.v0), std::fmax(max_abs(t.v1), max_abs(t.v2)));

  if (plane) {
    FUZZ_CHECK(finite(plane->normal) && std::isfinite(plane->d) &&
                   std::fabs(norm(d3(plane->normal)) - 1.0) <= 1e-5,
               "plane of a bounded triangle: not a unit normal");
    FUZZ_CHECK(std::isfinite(plane->distance_to_point(p)), "distance not finite");
  }
  if (sine >= 1e-2) {
    const double n2 = dot(nrm, nrm);
    if (n2 >= 2e-12) FUZZ_CHECK(plane.has_value(), "well-shaped triangle without a plane");
    if (n2 <= 5e-13) FUZZ_CHECK(!plane.has_value(), "tiny triangle has a plane");
  }
  if (plane && sine >= 1e-1) {
    FUZZ_CHECK(dot(d3(plane->normal), nrm) > 0, "normal against the right-hand rule");
    const double tol = 1e-5 * (scale_m + 1);
    for (const Vector3& v : {t.v0, t.v1, t.v2}) {
      FUZZ_CHECK(std::fabs(plane->distance_to_point(v)) <= tol,
                 "vertex %.9g off its plane", double{plane->distance_to_point(v)});
    }
    if (z && std::fabs(plane->normal.z) >= 0.1f) {
      const double ref = a.z - (nrm.x * (x - a.x) + nrm.y * (y - a.y)) / nrm.z;
      const double ztol = 1e-4 * (scale_m + std::fabs(x) + std::fabs(y) + 1) / std::fabs(plane->normal.z);
      FUZZ_CHECK(std::isfinite(*z) && std::fabs(*z - ref) <= ztol, "z_at_xy %.9g, reference %.9g",
                 double{*z}, ref);
    }
    // The closest point: nothing can be nearer, and it lies on the triangle.
    const Vector3 cp = t.closest_point(p);
    const D3 dp = d3(p);
    const double ref = reference_distance(dp, a, b, c);
    const double got = norm(sub(dp, d3(cp)));
    const double ctol = 1e-4 * (scale_m + max_abs(p) + 1);
    FUZZ_CHECK(finite(cp) && std::fabs(got - ref) <= ctol, "closest point at %.9g, reference %.9g",
               got, ref);
    FUZZ_CHECK(reference_distance(d3(cp), a, b, c) <= ctol, "closest point is off the triangle");
  }

  // Seen from above: a well-shaped triangle holds its centroid and not the
  // point mirrored through a vertex, whichever the winding.
  const double area2 = de1.x * de2.y - de1.y * de2.x;
  const double longest2 = std::fmax(std::hypot(de1.x, de1.y),
                                    std::fmax(std::hypot(de2.x, de2.y), std::hypot(c.x - b.x, c.y - b.y)));
  if (std::fabs(area2) >= 1e-2 && std::fabs(area2) >= 1e-1 * longest2 * longest2) {
    const float cx = static_cast<float>((a.x + b.x + c.x) / 3);
    const float cy = static_cast<float>((a.y + b.y + c.y) / 3);
    const float ox = static_cast<float>(2 * a.x - (a.x + b.x + c.x) / 3);
    const float oy = static_cast<float>(2 * a.y - (a.y + b.y + c.y) / 3);
    const Triangle reversed{t.v0, t.v2, t.v1};
    FUZZ_CHECK(t.contains_xy(cx, cy) && reversed.contains_xy(cx, cy), "centroid not contained");
    FUZZ_CHECK(!t.contains_xy(ox, oy) && !reversed.contains_xy(ox, oy),
               "point beyond a vertex contained");
  }
}

}  // namespace

bool same_or_both_nan(float a, float b) {
  return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b) ||
         (std::isnan(a) && std::isnan(b));
}
bool same_or_both_nan(const Quaternion& a, const Quaternion& b) {
  return same_or_both_nan(a.w, b.w) && same_or_both_nan(a.x, b.x) && same_or_both_nan(a.y, b.y) &&
         same_or_both_nan(a.z, b.z);
}
bool same_or_both_nan(const Vector3& a, const Vector3& b) {
  return same_or_both_nan(a.x, b.x) && same_or_both_nan(a.y, b.y) && same_or_both_nan(a.z, b.z);
}

void check_batch(const std::vector<Quaternion>& qa, const std::vector<Quaternion>& qb,
                 const std::vector<Vector3>& v) {
  using corvane::detail::SimdPath;
  const std::size_t n = qa.size();
  std::vector<Quaternion> product(n), unit(n);
  std::vector<Vector3> rotated(n);
  for (const SimdPath path : corvane::detail::kAllSimdPaths) {
    if (!corvane::detail::simd_path_supported(path)) continue;
    const char* name = corvane::detail::simd_path_name(path);
    corvane::detail::multiply_batch(path, qa, qb, product);
    corvane::detail::normalize_batch(path, qa, unit);
    corvane::detail::rotate_vector_batch(path, qa, v, rotated);
    for (std::size_t i = 0; i < n; ++i) {
      FUZZ_CHECK(same_or_both_nan(product[i], qa[i].multiply(qb[i])), "%s batch multiply at %zu",
                 name, i);
      FUZZ_CHECK(same_or_both_nan(unit[i], qa[i].normalize()), "%s batch normalize at %zu", name,
                 i);
      FUZZ_CHECK(same_or_both_nan(rotated[i], qa[i].rotate_vector(v[i])),
                 "%s batch rotate_vector at %zu", name, i);
    }
  }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const std::uint8_t mode_byte = in.u8();
  const Mode mode = mode_byte % 3 == 0 ? Mode::Raw : mode_byte % 3 == 1 ? Mode::Bounded : Mode::Grid;
  const bool bounded = mode != Mode::Raw;
  Reader r{in, mode};

  const Vector3 a = r.vec();
  const Vector3 b = r.vec();
  const Quaternion q = r.quat();
  const Quaternion q2 = r.quat();
  const Triangle t{r.vec(), r.vec(), r.vec()};
  const Vector3 p = r.vec();
  const float x = r.f();
  const float y = r.f();
  // slerp's t: raw bits, or a fraction in [0, 1] for the other modes.
  const float st = mode == Mode::Raw ? in.bits() : static_cast<float>(in.u16()) / 65535.0f;
  const float heading = r.f();

  check_texts(a, q, t);
  check_vectors(a, b, bounded);
  check_quaternions(q, q2, st, heading, b, bounded);
  check_triangle(t, p, x, y, bounded);

  std::vector<Quaternion> qa{q, q2};
  std::vector<Quaternion> qb{q2, q};
  std::vector<Vector3> v{a, b};
  while (in.remaining() > 0) {
    qa.push_back(r.quat());
    qb.push_back(r.quat());
    v.push_back(r.vec());
  }
  check_batch(qa, qb, v);
  return 0;
}
