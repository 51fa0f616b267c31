// Every operation of the library called from several threads at once on
// shared read-only inputs. Each thread writes a transcript of its results
// (float bit patterns, integers, texts); all transcripts must equal the one
// made on a single thread first. Run under ThreadSanitizer (the `tsan`
// preset) this also proves that no call touches shared mutable state.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <latch>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "corvane/guid.hpp"
#include "corvane/math.hpp"
#include "corvane/sequence.hpp"

namespace corvane {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Appends results in a form that compares exactly.
class Transcript {
 public:
  void add(float v) { append_hex(std::bit_cast<std::uint32_t>(v)); }
  void add(std::uint64_t v) { append_hex(v); }
  void add(bool v) { text_ += v ? "T " : "F "; }
  void add(const Vector3& v) {
    add(v.x);
    add(v.y);
    add(v.z);
  }
  void add(const Quaternion& q) {
    add(q.w);
    add(q.x);
    add(q.y);
    add(q.z);
  }
  template <typename T>
  void add(const std::optional<T>& v) {
    if (v) {
      add(*v);
    } else {
      text_ += "- ";
    }
  }
  void add(const std::string& s) {
    text_ += s;
    text_ += '\n';
  }
  template <typename T>
  void streamed(const T& v) {
    std::ostringstream os;
    os << v;
    add(os.str());
  }
  [[nodiscard]] const std::string& text() const { return text_; }

 private:
  void append_hex(std::uint64_t v) {
    char buf[20];
    std::snprintf(buf, sizeof buf, "%llx ", static_cast<unsigned long long>(v));
    text_ += buf;
  }
  std::string text_;
};

// Shared inputs: ordinary values, signed zeros, subnormals, huge and
// non-finite values, built once and only read by every thread.
struct Inputs {
  std::vector<float> floats;
  std::vector<Vector3> vectors;
  std::vector<Quaternion> quaternions;
  std::vector<std::uint32_t> words;

  Inputs() {
    floats = {0.0f,   -0.0f,  1.0f,  -1.5f,   0.7071068f, 1.2345679f, 192.0f,
              -50.0f, 207.0f, 1e-7f, -3e-5f,  1e20f,      -1e30f,     kNaN,
              kInf,   -kInf,  std::numeric_limits<float>::denorm_min(), 3.1415927f};
    const std::size_t n = floats.size();
    for (std::size_t i = 0; i < n; ++i) {
      vectors.push_back({floats[i], floats[(i + 3) % n], floats[(i + 7) % n]});
      quaternions.push_back({floats[(i + 1) % n], floats[(i + 5) % n], floats[(i + 2) % n],
                             floats[(i + 11) % n]});
    }
    quaternions.push_back(Quaternion::identity());
    quaternions.push_back(Quaternion{0.9238795f, 0.0f, 0.0f, 0.38268343f});
    words = {0u,          1u,          0x100u,      0xFFFFu,     0x10000u,   0x7FFFFFFFu,
             0x80000000u, 0xA9B40019u, 0xDA550000u, 0x860201ADu, 0xFFFFFFFFu, 0x1000013Fu};
  }
};

void geometry(const Inputs& in, Transcript& out) {
  const auto& v = in.vectors;
  const auto& q = in.quaternions;
  for (std::size_t i = 0; i < v.size(); ++i) {
    const Vector3& a = v[i];
    const Vector3& b = v[(i + 1) % v.size()];
    const Vector3& c = v[(i + 5) % v.size()];
    out.add(a.dot(b));
    out.add(a.cross(b));
    out.add(a.length_squared());
    out.add(a.length());
    out.add(a.distance(b));
    out.add(a.heading_to(b));
    out.add(a - b);
    out.add(a == b);
    out.add(debug_string(a));
    out.streamed(a);

    const auto plane = Plane::from_triangle(a, b, c);
    if (plane) {
      out.add(plane->normal);
      out.add(plane->d);
      out.add(plane->distance_to_point(c));
      out.add(debug_string(*plane));
      out.streamed(*plane);
    }
    const Triangle t{a, b, c};
    out.add(t.plane().has_value());
    out.add(t.contains_xy(b.y, c.x));
    out.add(t.z_at_xy(a.x, c.y));
    out.add(t.closest_point(v[(i + 9) % v.size()]));
    out.add(t == Triangle{a, b, c});
    out.add(debug_string(t));
    out.streamed(t);
  }
  for (std::size_t i = 0; i < q.size(); ++i) {
    const Quaternion& a = q[i];
    const Quaternion& b = q[(i + 1) % q.size()];
    out.add(a.dot(b));
    out.add(a.multiply(b));
    out.add(a.conjugate());
    out.add(a.normalize());
    out.add(a.rotate_vector(v[i % v.size()]));
    const std::array<float, 9> m = a.to_rotation_matrix();
    for (const float e : m) out.add(e);
    out.add(Quaternion::from_rotation_matrix(m));
    out.add(Quaternion::slerp(a.normalize(), b.normalize(), in.floats[i % in.floats.size()]));
    out.add(Quaternion::slerp(a, b, 0.3f));
    out.add(a.to_heading());
    out.add(Quaternion::from_heading(in.floats[i % in.floats.size()]));
    out.add(a == b);
    out.add(debug_string(a));
    out.streamed(a);
  }
}

void identifiers(const Inputs& in, Transcript& out) {
  for (const std::uint32_t w : in.words) {
    const Guid g{w};
    out.add(std::uint64_t{static_cast<std::uint32_t>(g)});
    out.add(std::uint64_t{g >> 24});
    out.add(std::uint64_t{g & 0xFFFFu});
    out.add(std::uint64_t{std::hash<Guid>{}(g)});
    out.add(g == Guid{0xA9B40019u});
    out.add(debug_string(g));
    out.streamed(g);
    for (const std::uint32_t other : in.words) {
      out.add(is_newer_u16(static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(other)));
      out.add(is_newer_u32(w, other));
    }
  }
}

// Every module's operations, in a fixed order.
std::string transcript(const Inputs& in) {
  Transcript out;
  identifiers(in, out);
  geometry(in, out);
  return out.text();
}

TEST(ThreadSafety, ConcurrentCallsGiveTheSingleThreadedResults) {
  const Inputs inputs;
  const std::string expected = transcript(inputs);
  ASSERT_GT(expected.size(), 1000u);

  constexpr int kThreads = 4;
  constexpr int kRounds = 25;
  std::vector<std::string> results(kThreads);
  std::vector<int> mismatches(kThreads, 0);
  std::latch start(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      start.arrive_and_wait();  // all threads call into the library together
      for (int round = 0; round < kRounds; ++round) {
        if (transcript(inputs) != expected) ++mismatches[static_cast<std::size_t>(t)];
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(mismatches[static_cast<std::size_t>(t)], 0) << "thread " << t;
  }
}

}  // namespace
}  // namespace corvane
