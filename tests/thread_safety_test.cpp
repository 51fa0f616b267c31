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

#include "corvane/bake_fingerprint.hpp"
#include "corvane/guid.hpp"
#include "corvane/math.hpp"
#include "corvane/position.hpp"
#include "corvane/properties/vocabularies.hpp"
#include "corvane/sequence.hpp"
#include "corvane/traits.hpp"

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

void positions(const Inputs& in, Transcript& out) {
  const std::size_t n = in.vectors.size();
  for (std::size_t i = 0; i < in.words.size(); ++i) {
    for (std::size_t j = 0; j < n; j += 3) {
      const WorldPosition p{Guid{in.words[i]}, in.vectors[j], in.quaternions[j]};
      const WorldPosition other{Guid{in.words[(i + j) % in.words.size()]}, in.vectors[(j + 4) % n],
                                Quaternion::identity()};
      out.add(p.is_indoors());
      const auto [x, y] = p.landblock_coords();
      out.add(std::uint64_t{x} << 8 | y);
      out.add(p.global_coords());
      out.add(p.distance_to(other));
      out.add(p.heading_to(other));
      out.add(p.landblock_chebyshev_distance_to(other).has_value());
      out.add(std::uint64_t{p.landblock_chebyshev_distance_to(other).value_or(0)});
      out.add(p.derived_outdoor_cell_id().has_value());
      out.add(std::uint64_t{p.derived_outdoor_cell_id().value_or(0)});
      const WorldPosition normalized = p.normalize_outdoor_cell();
      out.add(std::uint64_t{normalized.landblock_id.raw});
      const WorldPosition moved = p.rebucket_outdoor_landblock();
      out.add(std::uint64_t{moved.landblock_id.raw});
      out.add(moved.coords);
      out.add(p == other);
      out.add(debug_string(p));
      out.streamed(p);
      const WorldCoordinates c = p.to_world_coords();
      for (const std::size_t precision : {0u, 1u, 2u, 3u, 7u, 12u, 20u}) {
        out.add(c.to_string_with_precision(precision));
      }
      out.add(debug_string(c));
      out.streamed(c);
      out.add(c == other.to_world_coords());
    }
  }
}

void fingerprints(const Inputs& in, Transcript& out) {
  std::uint64_t h = FNV1A_OFFSET_BASIS;
  for (const float f : in.floats) {
    for (const float v : {f, f / 3.0f, f * 1e-6f}) {
      out.add(std::uint64_t{fingerprint_f32_bits(v, FloatCanon::SixDp)});
      out.add(std::uint64_t{fingerprint_f32_bits(v, FloatCanon::Lossless)});
      out.add(std::uint64_t{wire_f32_bits(v)});
      h = fnv1a_fold(h, wire_f32_bits(v));
    }
  }
  for (const std::uint32_t w : in.words) h = fnv1a_fold(h, w);
  out.add(h);
  out.add(debug_string(FloatCanon::SixDp));
  out.streamed(FloatCanon::Lossless);
}

template <class E>
void enumeration(const Inputs& in, Transcript& out) {
  using U = std::underlying_type_t<E>;
  for (const E e : members<E>()) {
    out.add(std::uint64_t{repr(e)});
    out.add(std::string(name(e)));
    out.add(debug_string(e));
    out.streamed(e);
  }
  for (const std::uint32_t w : in.words) {
    for (const U raw : {static_cast<U>(w), static_cast<U>(w + 1), static_cast<U>(w >> 16)}) {
      const std::optional<E> e = from_repr<E>(raw);
      out.add(e.has_value());
      if (e) out.add(std::string(name(*e)));
    }
  }
  if constexpr (EnumerationWithDefault<E>) out.add(std::uint64_t{repr(default_value<E>())});
}

template <class F>
void flag_set(const Inputs& in, Transcript& out) {
  out.add(std::uint64_t{F::all().bits()});
  for (const std::uint32_t w : in.words) {
    const F a = F::from_bits_retain(w);
    const F b = F::from_bits_truncate(w * 2654435761u);
    out.add(std::uint64_t{(a | b).bits()});
    out.add(std::uint64_t{a.difference(b).bits()});
    F r = a;
    r.remove(b);
    r |= F::from_bits_retain(1);
    out.add(std::uint64_t{r.bits()});
    out.add(a.contains(b));
    out.add(a.intersects(b));
    out.add(a.is_empty());
    out.add(a == b);
    for (const auto& [flag_name, flag] : a.iter_names()) {
      out.add(std::string(flag_name));
      out.add(std::uint64_t{flag.bits()});
    }
    if constexpr (flag_set_traits<F>::has_display_names) {
      for (const std::string_view d : a.iter_display_names()) out.add(std::string(d));
    }
    out.add(debug_string(a));
    out.streamed(b);
  }
}

void vocabularies(const Inputs& in, Transcript& out) {
  [&]<class... E>(type_list<E...>) { (enumeration<E>(in, out), ...); }(all_enumerations{});
  [&]<class... F>(type_list<F...>) { (flag_set<F>(in, out), ...); }(all_flag_sets{});
  for (const PropertyAttribute2nd a : members<PropertyAttribute2nd>()) {
    out.add(is_max(a));
    out.add(is_current(a));
  }
  for (const EmoteType t : members<EmoteType>()) out.add(is_user_visible(t));
  for (const EmoteCategory c : members<EmoteCategory>()) out.add(std::string(display_name(c)));
  for (const PropertyPosition p : members<PropertyPosition>()) {
    out.add(is_recall_target(p));
    out.add(is_admin_save_slot(p));
  }
}

struct Event {
  using Key = std::uint32_t;
  std::optional<std::uint32_t> key;
  std::string payload;
  std::optional<Key> dedupe_key() const { return key; }
};

void dedupe(const std::vector<Event>& shared, Transcript& out) {
  std::vector<Event> batch = shared;  // the shared batch is only read
  for (const Event& e : dedupe_events(std::move(batch))) {
    out.add(e.key.has_value());
    out.add(std::uint64_t{e.key.value_or(0)});
    out.add(e.payload);
  }
}

std::vector<Event> make_events(const Inputs& in) {
  std::vector<Event> events;
  for (std::size_t i = 0; i < 200; ++i) {
    const std::uint32_t w = in.words[i % in.words.size()];
    events.push_back({i % 7 == 3 ? std::nullopt : std::optional<std::uint32_t>(w % 13),
                      "event " + std::to_string(i)});
  }
  return events;
}

// Every module's operations, in a fixed order.
std::string transcript(const Inputs& in, const std::vector<Event>& events) {
  Transcript out;
  identifiers(in, out);
  geometry(in, out);
  positions(in, out);
  fingerprints(in, out);
  vocabularies(in, out);
  dedupe(events, out);
  return out.text();
}

TEST(ThreadSafety, ConcurrentCallsGiveTheSingleThreadedResults) {
  const Inputs inputs;
  const std::vector<Event> events = make_events(inputs);
  const std::string expected = transcript(inputs, events);
  ASSERT_GT(expected.size(), 100000u);  // every module contributed

  constexpr int kThreads = 4;
  constexpr int kRounds = 8;
  std::vector<std::string> results(kThreads);
  std::vector<int> mismatches(kThreads, 0);
  std::latch start(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      start.arrive_and_wait();  // all threads call into the library together
      for (int round = 0; round < kRounds; ++round) {
        if (transcript(inputs, events) != expected) ++mismatches[static_cast<std::size_t>(t)];
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
