#include <limits>
#include <string>

#include "bitdump.hpp"
#include "corvane/math.hpp"

namespace bitdump {

using corvane::Quaternion;
using corvane::Triangle;
using corvane::Vector3;

namespace {

void dump_vector(Dump& dump, const std::string& label, const Vector3& v) {
  dump(label + ".x", v.x);
  dump(label + ".y", v.y);
  dump(label + ".z", v.z);
}

void dump_quaternion(Dump& dump, const std::string& label, const Quaternion& q) {
  dump(label + ".w", q.w);
  dump(label + ".x", q.x);
  dump(label + ".y", q.y);
  dump(label + ".z", q.z);
}

}  // namespace

void dump_math(Dump& dump) {
  const std::vector<float> f = sample_floats();
  const std::size_t n = f.size();
  for (std::size_t i = 0; i + 5 < n; i += 3) {
    const std::string id = std::to_string(i);
    const Vector3 a{f[i], f[i + 1], f[i + 2]};
    const Vector3 b{f[i + 3], f[(i + 7) % n], f[(i + 11) % n]};
    dump("dot" + id, a.dot(b));
    dump_vector(dump, "cross" + id, a.cross(b));
    dump("length" + id, a.length());
    dump("distance" + id, a.distance(b));
    dump("heading_to" + id, a.heading_to(b));

    const Quaternion q{f[i], f[(i + 5) % n], f[(i + 9) % n], f[(i + 13) % n]};
    const Quaternion r{f[(i + 2) % n], f[(i + 4) % n], f[(i + 8) % n], f[(i + 16) % n]};
    dump_quaternion(dump, "multiply" + id, q.multiply(r));
    dump_quaternion(dump, "normalize" + id, q.normalize());
    dump_vector(dump, "rotate" + id, q.rotate_vector(a));
    const auto m = q.normalize().to_rotation_matrix();
    for (std::size_t k = 0; k < m.size(); ++k) dump("matrix" + id + "." + std::to_string(k), m[k]);
    dump_quaternion(dump, "from_matrix" + id, Quaternion::from_rotation_matrix(m));
    dump_quaternion(dump, "slerp" + id, Quaternion::slerp(q.normalize(), r.normalize(), f[(i + 6) % n]));
    dump_quaternion(dump, "slerp_half" + id, Quaternion::slerp(q.normalize(), r.normalize(), 0.25f));
    dump("to_heading" + id, q.to_heading());
    dump_quaternion(dump, "from_heading" + id, Quaternion::from_heading(f[i]));

    const Triangle t{a, b, Vector3{f[(i + 10) % n], f[(i + 12) % n], f[(i + 14) % n]}};
    if (const auto plane = t.plane()) {
      dump_vector(dump, "plane_normal" + id, plane->normal);
      dump("plane_d" + id, plane->d);
      dump("plane_distance" + id, plane->distance_to_point(b));
    }
    dump("z_at_xy" + id, t.z_at_xy(f[(i + 1) % n], f[(i + 3) % n]));
    dump_vector(dump, "closest" + id, t.closest_point(Vector3{f[(i + 15) % n], f[(i + 17) % n], f[(i + 19) % n]}));
    dump.text("contains" + id, t.contains_xy(f[(i + 2) % n], f[(i + 4) % n]) ? "true" : "false");
  }
  // NaNs that the arithmetic creates from non-NaN operands (inf - inf, 0 * inf,
  // inf / inf): x86 makes 0xFFC00000 where other CPUs make 0x7FC00000, and
  // every operation must give the same bits on all of them.
  const float inf = std::numeric_limits<float>::infinity();
  const float specials[] = {inf, -inf, 0.0f, -0.0f, 1.0f};
  int k = 0;
  for (const float p : specials) {
    for (const float s : specials) {
      const std::string id = "created_nan" + std::to_string(k++);
      const Vector3 a{p, s, p};
      const Vector3 b{p, p, s};
      dump_vector(dump, "minus" + id, a - b);
      dump("dot" + id, a.dot(b));
      dump_vector(dump, "cross" + id, a.cross(b));
      dump("length" + id, a.length());
      dump("distance" + id, a.distance(b));
      dump("heading_to" + id, a.heading_to(b));
      const Quaternion q{p, s, p, s};
      const Quaternion r{s, p, p, 1.0f};
      dump_quaternion(dump, "multiply" + id, q.multiply(r));
      dump_quaternion(dump, "normalize" + id, q.normalize());
      dump_vector(dump, "rotate" + id, q.rotate_vector(b));
      const auto m = q.to_rotation_matrix();
      for (std::size_t j = 0; j < m.size(); ++j) dump("matrix" + id + "." + std::to_string(j), m[j]);
      dump_quaternion(dump, "from_matrix" + id, Quaternion::from_rotation_matrix(m));
      dump_quaternion(dump, "slerp" + id, Quaternion::slerp(q, r, s));
      dump("to_heading" + id, q.to_heading());
      dump_quaternion(dump, "from_heading" + id, Quaternion::from_heading(p));
      const Triangle t{a, b, Vector3{s, p, 1.0f}};
      dump("z_at_xy" + id, t.z_at_xy(p, s));
      dump_vector(dump, "closest" + id, t.closest_point(Vector3{s, s, p}));
    }
  }
  // Ordinary geometry too, where cancellation makes fused arithmetic visible.
  // The inputs themselves are built without any multiply followed by an add,
  // so that this file's own arithmetic cannot be contracted.
  for (k = 0; k < 64; ++k) {
    const float s = static_cast<float>(k * 37 - 1100) / 100.0f;
    const Vector3 a{s, s / 3.0f, 2.0f - s};
    const Vector3 b{1.0f / (s + 0.5f), s * s, 0.1f * s};
    const std::string id = "g" + std::to_string(k);
    dump("dot" + id, a.dot(b));
    dump_vector(dump, "cross" + id, a.cross(b));
    dump("heading_to" + id, a.heading_to(b));
    const Quaternion q = Quaternion{s, 0.2f, -0.7f * s, 1.1f}.normalize();
    dump_vector(dump, "rotate" + id, q.rotate_vector(b));
    dump("to_heading" + id, q.to_heading());
    dump_quaternion(dump, "from_heading" + id, Quaternion::from_heading(s));
    const Triangle t{a, b, Vector3{s, -s, 0.5f}};
    dump("z_at_xy" + id, t.z_at_xy(0.25f * s, 3.0f));
    dump_vector(dump, "closest" + id, t.closest_point(Vector3{s, 1.0f, -2.0f}));
  }
}

}  // namespace bitdump
