// Quaternion and heading operations against glm's equivalents, on the same
// seeded inputs. Our results are bit-exact with a fixed order of operations and
// compiled out of line; glm's are inlined templates free to reorder (within
// the benchmark's own flags). Every benchmark works through a batch of inputs
// per iteration, as a client does per tick, and reports items per second.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <vector>

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>
#include <glm/gtx/norm.hpp>

#include "bench_inputs.hpp"
#include "call_floor.hpp"
#include "corvane/math.hpp"

namespace {

using corvane::Quaternion;
using corvane::Vector3;

constexpr std::size_t kBatch = 1024;

// Mostly unit rotations about random axes; 3 % edges (identity, zero, twice
// unit length) and 1 % NaN components.
std::vector<Quaternion> quaternion_mixture(std::uint32_t salt) {
  auto gen = corvane_bench::rng(salt);
  std::normal_distribution<float> axis(0.0f, 1.0f);
  std::uniform_real_distribution<float> angle(-3.14159f, 3.14159f);
  std::uniform_int_distribution<int> pick(0, 99);
  std::vector<Quaternion> out(kBatch);
  for (Quaternion& q : out) {
    const int p = pick(gen);
    if (p == 0) {
      q = Quaternion{std::nanf(""), 0.5f, 0.5f, 0.5f};
      continue;
    }
    if (p == 1) {
      q = Quaternion::identity();
      continue;
    }
    if (p == 2) {
      q = Quaternion{};
      continue;
    }
    const double ax = axis(gen), ay = axis(gen), az = axis(gen);
    const double len = std::sqrt(ax * ax + ay * ay + az * az) + 1e-9;
    const double half = angle(gen) / 2.0;
    const double s = std::sin(half) / len * (p == 3 ? 2.0 : 1.0);
    q = Quaternion{static_cast<float>(std::cos(half) * (p == 3 ? 2.0 : 1.0)),
                   static_cast<float>(ax * s), static_cast<float>(ay * s),
                   static_cast<float>(az * s)};
  }
  return out;
}

std::vector<Vector3> vector_mixture(float range, std::uint32_t salt) {
  const std::vector<float> f = corvane_bench::float_mixture(3 * kBatch, range, salt);
  std::vector<Vector3> out(kBatch);
  for (std::size_t i = 0; i < kBatch; ++i) out[i] = {f[3 * i], f[3 * i + 1], f[3 * i + 2]};
  return out;
}

glm::quat to_glm(const Quaternion& q) { return glm::quat{q.w, q.x, q.y, q.z}; }
glm::vec3 to_glm(const Vector3& v) { return glm::vec3{v.x, v.y, v.z}; }

struct Inputs {
  std::vector<Quaternion> a = quaternion_mixture(1);
  std::vector<Quaternion> b = quaternion_mixture(2);
  std::vector<Vector3> v = vector_mixture(200.0f, 3);
  std::vector<Vector3> w = vector_mixture(200.0f, 4);
  std::vector<float> t = corvane_bench::float_mixture(kBatch, 1.0f, 5);
  std::vector<glm::quat> ga, gb;
  std::vector<glm::vec3> gv, gw;

  Inputs() {
    for (std::size_t i = 0; i < kBatch; ++i) {
      ga.push_back(to_glm(a[i]));
      gb.push_back(to_glm(b[i]));
      gv.push_back(to_glm(v[i]));
      gw.push_back(to_glm(w[i]));
      // Interpolation parameters are in [0, 1] in real use; keep the mixture's
      // edges but fold the ordinary values in.
      t[i] = std::isfinite(t[i]) ? std::fabs(t[i]) : t[i];
    }
  }
};

const Inputs& inputs() {
  static const Inputs in;
  return in;
}

// Runs `op(i)` over the batch and keeps every result alive.
template <typename Result, typename Op>
void run_batch(benchmark::State& state, Op op) {
  std::vector<Result> out(kBatch);
  for (auto _ : state) {
    for (std::size_t i = 0; i < kBatch; ++i) out[i] = op(i);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  corvane_bench::set_items(state, kBatch);
}

void BM_QuatMultiply_Corvane(benchmark::State& state) {
  const Inputs& in = inputs();
  run_batch<Quaternion>(state, [&](std::size_t i) { return in.a[i].multiply(in.b[i]); });
}
void BM_QuatMultiply_Glm(benchmark::State& state) {
  const Inputs& in = inputs();
  run_batch<glm::quat>(state, [&](std::size_t i) { return in.ga[i] * in.gb[i]; });
}

// The call alone: an out-of-line function of the same signature that returns
// its argument. What remains of a gap to glm above this floor is arithmetic.
void BM_QuatCallFloor(benchmark::State& state) {
  const Inputs& in = inputs();
  run_batch<Quaternion>(state,
                        [&](std::size_t i) { return corvane_bench::pass_quaternion(in.a[i], in.b[i]); });
}
void BM_VectorCallFloor(benchmark::State& state) {
  const Inputs& in = inputs();
  run_batch<Vector3>(state,
                     [&](std::size_t i) { return corvane_bench::pass_vector(in.a[i], in.v[i]); });
}

void BM_QuatRotateVector_Corvane(benchmark::State& state) {
  const Inputs& in = inputs();
  run_batch<Vector3>(state, [&](std::size_t i) { return in.a[i].rotate_vector(in.v[i]); });
}
void BM_QuatRotateVector_Glm(benchmark::State& state) {
  const Inputs& in = inputs();
  run_batch<glm::vec3>(state, [&](std::size_t i) { return glm::rotate(in.ga[i], in.gv[i]); });
}

void BM_QuatNormalize_Corvane(benchmark::State& state) {
  const Inputs& in = inputs();
  run_batch<Quaternion>(state, [&](std::size_t i) { return in.a[i].normalize(); });
}
void BM_QuatNormalize_Glm(benchmark::State& state) {
  const Inputs& in = inputs();
  run_batch<glm::quat>(state, [&](std::size_t i) { return glm::normalize(in.ga[i]); });
}

void BM_QuatSlerp_Corvane(benchmark::State& state) {
  const Inputs& in = inputs();
  run_batch<Quaternion>(state,
                        [&](std::size_t i) { return Quaternion::slerp(in.a[i], in.b[i], in.t[i]); });
}
// glm::slerp does not normalise its result; ours does.
void BM_QuatSlerp_Glm(benchmark::State& state) {
  const Inputs& in = inputs();
  run_batch<glm::quat>(state, [&](std::size_t i) { return glm::slerp(in.ga[i], in.gb[i], in.t[i]); });
}

// glm's slerp followed by glm's normalize: the same contract as ours (a unit
// result), for the notes.
void BM_QuatSlerpNormalized_Glm(benchmark::State& state) {
  const Inputs& in = inputs();
  run_batch<glm::quat>(state, [&](std::size_t i) {
    return glm::normalize(glm::slerp(in.ga[i], in.gb[i], in.t[i]));
  });
}

void BM_QuatToRotationMatrix_Corvane(benchmark::State& state) {
  const Inputs& in = inputs();
  run_batch<std::array<float, 9>>(state, [&](std::size_t i) { return in.a[i].to_rotation_matrix(); });
}
void BM_QuatToRotationMatrix_Glm(benchmark::State& state) {
  const Inputs& in = inputs();
  run_batch<glm::mat3>(state, [&](std::size_t i) { return glm::mat3_cast(in.ga[i]); });
}

void BM_HeadingTo_Corvane(benchmark::State& state) {
  const Inputs& in = inputs();
  run_batch<float>(state, [&](std::size_t i) { return in.v[i].heading_to(in.w[i]); });
}
// The same heading written with glm's functions: atan of the ground-plane
// offset, turned into the clockwise-from-west convention in degrees and back.
void BM_HeadingTo_Glm(benchmark::State& state) {
  const Inputs& in = inputs();
  run_batch<float>(state, [&](std::size_t i) {
    const glm::vec3 d = in.gw[i] - in.gv[i];
    if (glm::length2(d) < 1e-6f) return 0.0f;
    float deg = std::fmod(450.0f - glm::degrees(glm::atan(-d.x, d.y)), 360.0f);
    if (deg < 0.0f) deg += 360.0f;
    return glm::radians(deg);
  });
}

}  // namespace

BENCHMARK(BM_QuatMultiply_Corvane);
BENCHMARK(BM_QuatMultiply_Glm);
BENCHMARK(BM_QuatCallFloor);
BENCHMARK(BM_VectorCallFloor);
BENCHMARK(BM_QuatRotateVector_Corvane);
BENCHMARK(BM_QuatRotateVector_Glm);
BENCHMARK(BM_QuatNormalize_Corvane);
BENCHMARK(BM_QuatNormalize_Glm);
BENCHMARK(BM_QuatSlerp_Corvane);
BENCHMARK(BM_QuatSlerp_Glm);
BENCHMARK(BM_QuatSlerpNormalized_Glm);
BENCHMARK(BM_QuatToRotationMatrix_Corvane);
BENCHMARK(BM_QuatToRotationMatrix_Glm);
BENCHMARK(BM_HeadingTo_Corvane);
BENCHMARK(BM_HeadingTo_Glm);

