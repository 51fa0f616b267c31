// The batch (span) operations against a loop of their single-value forms and
// against the baselines of their targets, at 10^3 to 10^7 elements so that the
// cost curves show where the caches end. Every benchmark reports items per
// second; the report turns that into a cost per element.
#include <benchmark/benchmark.h>

#include <glm/gtc/quaternion.hpp>
#include <glm/gtx/quaternion.hpp>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "batch/fingerprint_batch.hpp"
#include "batch/simd_path.hpp"
#include "bench_inputs.hpp"
#include "corvane/bake_fingerprint.hpp"
#include "corvane/math.hpp"
#include "corvane/position.hpp"
#include "text/fixed_point.hpp"

namespace {

using corvane::FloatCanon;
using corvane::Quaternion;
using corvane::Vector3;
using corvane::WorldCoordinates;
using corvane::WorldPosition;

constexpr std::size_t kLargest = 10'000'000;

std::size_t count(const benchmark::State& state) { return static_cast<std::size_t>(state.range(0)); }

// ---- inputs, built once at the largest size; benchmarks use a prefix ----------

// Baked scenery: unit quaternion components, offsets in a landblock, heights,
// zeros and export noise (the mixture of fingerprint_bench).
const std::vector<float>& scenery_floats() {
  static const std::vector<float> values = [] {
    auto gen = corvane_bench::rng(1401);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f), offset(0.0f, 192.0f),
        height(-50.0f, 400.0f), noise(-1e-6f, 1e-6f);
    std::uniform_int_distribution<int> pick(0, 99);
    std::vector<float> v(kLargest);
    for (float& f : v) {
      const int p = pick(gen);
      f = p < 60 ? unit(gen) : p < 80 ? offset(gen) : p < 90 ? height(gen) : p < 95 ? 0.0f : noise(gen);
    }
    return v;
  }();
  return values;
}

const std::vector<std::uint32_t>& words() {
  static const std::vector<std::uint32_t> w = [] {
    auto gen = corvane_bench::rng(1402);
    std::vector<std::uint32_t> v(kLargest);
    for (auto& x : v) x = static_cast<std::uint32_t>(gen());
    return v;
  }();
  return w;
}

// Positions as a server log holds them: outdoors across the world, offsets
// mostly inside their landblock, one in twenty indoors.
const std::vector<WorldPosition>& positions(std::uint32_t salt) {
  static std::vector<WorldPosition> sets[2];
  std::vector<WorldPosition>& p = sets[salt & 1u];
  if (p.empty()) {
    auto gen = corvane_bench::rng(1403 + salt);
    std::uniform_real_distribution<float> offset(-20.0f, 212.0f), height(-50.0f, 400.0f);
    std::uniform_int_distribution<std::uint32_t> byte(0, 255), cell(1, 64), pick(0, 19);
    p.resize(kLargest);
    for (auto& q : p) {
      const std::uint32_t low = pick(gen) == 0 ? 0x100u + byte(gen) : cell(gen);
      q = {corvane::Guid{(byte(gen) << 24) | (byte(gen) << 16) | low},
           Vector3{offset(gen), offset(gen), height(gen)}, Quaternion::identity()};
    }
  }
  return p;
}

const std::vector<WorldCoordinates>& coordinates() {
  static const std::vector<WorldCoordinates> c = [] {
    const auto& p = positions(0);
    std::vector<WorldCoordinates> v(p.size());
    corvane::to_world_coords(p, v);
    return v;
  }();
  return c;
}

struct Quaternions {
  std::vector<Quaternion> a, b;
  std::vector<Vector3> v;
  std::vector<glm::quat> ga, gb;
  std::vector<glm::vec3> gv;
};

// Unit-length rotations (normalised in double) and vectors of world scale.
const Quaternions& quaternions() {
  static const Quaternions q = [] {
    auto gen = corvane_bench::rng(1404);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f), metres(-200.0f, 200.0f);
    const auto random_rotation = [&] {
      const double w = unit(gen), x = unit(gen), y = unit(gen), z = unit(gen);
      const double n = std::sqrt(w * w + x * x + y * y + z * z);
      return Quaternion{static_cast<float>(w / n), static_cast<float>(x / n),
                        static_cast<float>(y / n), static_cast<float>(z / n)};
    };
    Quaternions r;
    r.a.resize(kLargest);
    r.b.resize(kLargest);
    r.v.resize(kLargest);
    for (std::size_t i = 0; i < kLargest; ++i) {
      r.a[i] = random_rotation();
      r.b[i] = random_rotation();
      r.v[i] = {metres(gen), metres(gen), metres(gen)};
    }
    r.ga.reserve(kLargest);
    r.gb.reserve(kLargest);
    r.gv.reserve(kLargest);
    for (std::size_t i = 0; i < kLargest; ++i) {
      r.ga.emplace_back(r.a[i].w, r.a[i].x, r.a[i].y, r.a[i].z);
      r.gb.emplace_back(r.b[i].w, r.b[i].x, r.b[i].y, r.b[i].z);
      r.gv.emplace_back(r.v[i].x, r.v[i].y, r.v[i].z);
    }
    return r;
  }();
  return q;
}

template <class T>
std::vector<T>& output(std::size_t n) {
  static std::vector<T> out;
  if (out.size() < n) out.resize(n);
  return out;
}

// ---- fingerprints ---------------------------------------------------------------

void BM_BatchSixDp(benchmark::State& state) {
  const std::size_t n = count(state);
  const std::span<const float> in(scenery_floats().data(), n);
  auto& out = output<std::uint32_t>(n);
  for (auto _ : state) {
    corvane::fingerprint_f32_bits(in, FloatCanon::SixDp, {out.data(), n});
    benchmark::ClobberMemory();
  }
  corvane_bench::set_items(state, n);
}

void BM_SixDpSingleLoop(benchmark::State& state) {
  const std::size_t n = count(state);
  const float* in = scenery_floats().data();
  auto& out = output<std::uint32_t>(n);
  for (auto _ : state) {
    for (std::size_t i = 0; i < n; ++i) out[i] = corvane::fingerprint_f32_bits(in[i], FloatCanon::SixDp);
    benchmark::ClobberMemory();
  }
  corvane_bench::set_items(state, n);
}

// The text definition the batch replaces: six decimals by to_chars, read back
// by from_chars.
void BM_SixDpToCharsRoundTrip(benchmark::State& state) {
  const std::size_t n = count(state);
  const float* in = scenery_floats().data();
  auto& out = output<std::uint32_t>(n);
  for (auto _ : state) {
    for (std::size_t i = 0; i < n; ++i) {
      float v = in[i] == 0.0f ? 0.0f : in[i];
      char text[64];
      const auto written = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, 6);
      std::from_chars(text, written.ptr, v);
      out[i] = std::bit_cast<std::uint32_t>(v);
    }
    benchmark::ClobberMemory();
  }
  corvane_bench::set_items(state, n);
}

// One vector path, forced (range 0 is the path, range 1 the count).
void BM_BatchSixDpPath(benchmark::State& state) {
  const auto path = static_cast<corvane::detail::SimdPath>(state.range(0));
  if (!corvane::detail::simd_path_supported(path)) {
    state.SkipWithError("this CPU lacks the path");
    return;
  }
  state.SetLabel(corvane::detail::simd_path_name(path));
  const auto n = static_cast<std::size_t>(state.range(1));
  const std::span<const float> in(scenery_floats().data(), n);
  auto& out = output<std::uint32_t>(n);
  for (auto _ : state) {
    corvane::detail::fingerprint_batch(path, in, FloatCanon::SixDp, {out.data(), n});
    benchmark::ClobberMemory();
  }
  corvane_bench::set_items(state, n);
}

void BM_FoldOneChain(benchmark::State& state) {
  const std::size_t n = count(state);
  const std::span<const std::uint32_t> in(words().data(), n);
  for (auto _ : state) benchmark::DoNotOptimize(corvane::fnv1a_fold(corvane::FNV1A_OFFSET_BASIS, in));
  corvane_bench::set_items(state, n);
}

// 64 records of n / 64 words each, folded side by side (range 1 forces a
// path; -1 is the best one).
void BM_FoldRecords64(benchmark::State& state) {
  const std::size_t n = count(state);
  const std::int64_t forced = state.range(1);
  if (forced >= 0 && !corvane::detail::simd_path_supported(static_cast<corvane::detail::SimdPath>(forced))) {
    state.SkipWithError("this CPU lacks the path");
    return;
  }
  if (forced >= 0) state.SetLabel(corvane::detail::simd_path_name(static_cast<corvane::detail::SimdPath>(forced)));
  constexpr std::size_t kRecords = 64;
  std::vector<std::size_t> ends(kRecords);
  for (std::size_t r = 0; r < kRecords; ++r) ends[r] = n * (r + 1) / kRecords;
  const std::span<const std::uint32_t> in(words().data(), n);
  std::vector<std::uint64_t> hashes(kRecords);
  for (auto _ : state) {
    std::fill(hashes.begin(), hashes.end(), corvane::FNV1A_OFFSET_BASIS);
    if (forced >= 0) {
      corvane::detail::fold_records(static_cast<corvane::detail::SimdPath>(forced), in, ends, hashes);
    } else {
      corvane::fnv1a_fold_records(in, ends, hashes);
    }
    benchmark::DoNotOptimize(hashes.data());
    benchmark::ClobberMemory();
  }
  corvane_bench::set_items(state, n);
}

// ---- positions ------------------------------------------------------------------

void BM_BatchToWorldCoords(benchmark::State& state) {
  const std::size_t n = count(state);
  const std::span<const WorldPosition> in(positions(0).data(), n);
  auto& out = output<WorldCoordinates>(n);
  for (auto _ : state) {
    corvane::to_world_coords(in, {out.data(), n});
    benchmark::ClobberMemory();
  }
  corvane_bench::set_items(state, n);
}

void BM_ToWorldCoordsSingleLoop(benchmark::State& state) {
  const std::size_t n = count(state);
  const WorldPosition* in = positions(0).data();
  auto& out = output<WorldCoordinates>(n);
  for (auto _ : state) {
    for (std::size_t i = 0; i < n; ++i) out[i] = in[i].to_world_coords();
    benchmark::ClobberMemory();
  }
  corvane_bench::set_items(state, n);
}

void BM_BatchRebucket(benchmark::State& state) {
  const std::size_t n = count(state);
  const std::span<const WorldPosition> in(positions(0).data(), n);
  auto& out = output<WorldPosition>(n);
  for (auto _ : state) {
    corvane::rebucket_outdoor_landblock(in, {out.data(), n});
    benchmark::ClobberMemory();
  }
  corvane_bench::set_items(state, n);
}

void BM_BatchNormalizeCell(benchmark::State& state) {
  const std::size_t n = count(state);
  const std::span<const WorldPosition> in(positions(0).data(), n);
  auto& out = output<WorldPosition>(n);
  for (auto _ : state) {
    corvane::normalize_outdoor_cell(in, {out.data(), n});
    benchmark::ClobberMemory();
  }
  corvane_bench::set_items(state, n);
}

void BM_BatchDistance(benchmark::State& state) {
  const std::size_t n = count(state);
  const std::span<const WorldPosition> from(positions(0).data(), n), to(positions(1).data(), n);
  auto& out = output<float>(n);
  for (auto _ : state) {
    corvane::distance_to(from, to, {out.data(), n});
    benchmark::ClobberMemory();
  }
  corvane_bench::set_items(state, n);
}

void BM_BatchHeading(benchmark::State& state) {
  const std::size_t n = count(state);
  const std::span<const WorldPosition> from(positions(0).data(), n), to(positions(1).data(), n);
  auto& out = output<float>(n);
  for (auto _ : state) {
    corvane::heading_to(from, to, {out.data(), n});
    benchmark::ClobberMemory();
  }
  corvane_bench::set_items(state, n);
}

// All the texts, one per line, into one reused string.
void BM_BatchMapText(benchmark::State& state) {
  const std::size_t n = count(state);
  const std::span<const WorldCoordinates> in(coordinates().data(), n);
  std::string text;
  for (auto _ : state) {
    text.clear();
    corvane::append_map_text(text, in, 1, '\n');
    benchmark::DoNotOptimize(text.data());
  }
  corvane_bench::set_items(state, n);
}

// The same text by snprintf, one call per coordinate, into the same kind of
// reused string (checked against ours once before timing).
void map_text_by_snprintf(std::string& text, std::span<const WorldCoordinates> in) {
  char buf[160];
  for (const WorldCoordinates& c : in) {
    int len = 0;
    if (const auto* indoor = c.indoor()) {
      len = std::snprintf(buf, sizeof buf, "Indoors [%04X]", static_cast<unsigned>(indoor->landblock));
    } else {
      const auto& o = *c.outdoor();
      const auto lean = [](float v) {
        const float m = std::fabs(v) - 0.05f;
        return static_cast<double>(m < 0.0f ? 0.0f : m);
      };
      len = std::snprintf(buf, sizeof buf, "%.1f%c, %.1f%c, %.1fZ", lean(o.lat), o.lat >= 0.0f ? 'N' : 'S',
                          lean(o.lon), o.lon >= 0.0f ? 'E' : 'W', static_cast<double>(o.alt));
    }
    text.append(buf, static_cast<std::size_t>(len));
    text.push_back('\n');
  }
}

void BM_MapTextSnprintfLoop(benchmark::State& state) {
  const std::size_t n = count(state);
  const std::span<const WorldCoordinates> in(coordinates().data(), n);
  std::string text, ours;
  map_text_by_snprintf(text, in);
  corvane::append_map_text(ours, in, 1, '\n');
  if (text != ours) {
    state.SkipWithError("snprintf's text differs from the library's");
    return;
  }
  for (auto _ : state) {
    text.clear();
    map_text_by_snprintf(text, in);
    benchmark::DoNotOptimize(text.data());
  }
  corvane_bench::set_items(state, n);
}

// The map text's three numbers alone through the library's scalar
// fixed-point writer at precision 1, into one stack buffer (indoor places
// write nothing).
void BM_MapTextNumbersOnly(benchmark::State& state) {
  const std::size_t n = count(state);
  const WorldCoordinates* in = coordinates().data();
  char buf[256];
  for (auto _ : state) {
    for (std::size_t i = 0; i < n; ++i) {
      if (const auto* o = in[i].outdoor()) {
        char* end = corvane::detail::write_fixed_padded<1>(buf, std::fabs(o->lat) - 0.05f);
        end = corvane::detail::write_fixed_padded<1>(end, std::fabs(o->lon) - 0.05f);
        benchmark::DoNotOptimize(corvane::detail::write_fixed_padded<1>(end, o->alt));
      }
    }
  }
  corvane_bench::set_items(state, n);
}

void BM_MapTextSingleLoop(benchmark::State& state) {
  const std::size_t n = count(state);
  const WorldCoordinates* in = coordinates().data();
  std::string text;
  for (auto _ : state) {
    text.clear();
    for (std::size_t i = 0; i < n; ++i) {
      text += in[i].to_string_with_precision(1);
      text.push_back('\n');
    }
    benchmark::DoNotOptimize(text.data());
  }
  corvane_bench::set_items(state, n);
}

// ---- quaternions ----------------------------------------------------------------

void BM_BatchQuatMultiply(benchmark::State& state) {
  const std::size_t n = count(state);
  const auto& q = quaternions();
  auto& out = output<Quaternion>(n);
  for (auto _ : state) {
    corvane::multiply({q.a.data(), n}, {q.b.data(), n}, {out.data(), n});
    benchmark::ClobberMemory();
  }
  corvane_bench::set_items(state, n);
}

void BM_QuatMultiplySingleLoop(benchmark::State& state) {
  const std::size_t n = count(state);
  const auto& q = quaternions();
  auto& out = output<Quaternion>(n);
  for (auto _ : state) {
    for (std::size_t i = 0; i < n; ++i) out[i] = q.a[i].multiply(q.b[i]);
    benchmark::ClobberMemory();
  }
  corvane_bench::set_items(state, n);
}

void BM_QuatMultiplyGlmLoop(benchmark::State& state) {
  const std::size_t n = count(state);
  const auto& q = quaternions();
  auto& out = output<glm::quat>(n);
  for (auto _ : state) {
    for (std::size_t i = 0; i < n; ++i) out[i] = q.ga[i] * q.gb[i];
    benchmark::ClobberMemory();
  }
  corvane_bench::set_items(state, n);
}

void BM_BatchQuatRotate(benchmark::State& state) {
  const std::size_t n = count(state);
  const auto& q = quaternions();
  auto& out = output<Vector3>(n);
  for (auto _ : state) {
    corvane::rotate_vector({q.a.data(), n}, {q.v.data(), n}, {out.data(), n});
    benchmark::ClobberMemory();
  }
  corvane_bench::set_items(state, n);
}

void BM_QuatRotateSingleLoop(benchmark::State& state) {
  const std::size_t n = count(state);
  const auto& q = quaternions();
  auto& out = output<Vector3>(n);
  for (auto _ : state) {
    for (std::size_t i = 0; i < n; ++i) out[i] = q.a[i].rotate_vector(q.v[i]);
    benchmark::ClobberMemory();
  }
  corvane_bench::set_items(state, n);
}

void BM_QuatRotateGlmLoop(benchmark::State& state) {
  const std::size_t n = count(state);
  const auto& q = quaternions();
  auto& out = output<glm::vec3>(n);
  for (auto _ : state) {
    for (std::size_t i = 0; i < n; ++i) out[i] = glm::rotate(q.ga[i], q.gv[i]);
    benchmark::ClobberMemory();
  }
  corvane_bench::set_items(state, n);
}

void BM_BatchQuatNormalize(benchmark::State& state) {
  const std::size_t n = count(state);
  const auto& q = quaternions();
  auto& out = output<Quaternion>(n);
  for (auto _ : state) {
    corvane::normalize({q.a.data(), n}, {out.data(), n});
    benchmark::ClobberMemory();
  }
  corvane_bench::set_items(state, n);
}

void BM_QuatNormalizeSingleLoop(benchmark::State& state) {
  const std::size_t n = count(state);
  const auto& q = quaternions();
  auto& out = output<Quaternion>(n);
  for (auto _ : state) {
    for (std::size_t i = 0; i < n; ++i) out[i] = q.a[i].normalize();
    benchmark::ClobberMemory();
  }
  corvane_bench::set_items(state, n);
}

void BM_QuatNormalizeGlmLoop(benchmark::State& state) {
  const std::size_t n = count(state);
  const auto& q = quaternions();
  auto& out = output<glm::quat>(n);
  for (auto _ : state) {
    for (std::size_t i = 0; i < n; ++i) out[i] = glm::normalize(q.ga[i]);
    benchmark::ClobberMemory();
  }
  corvane_bench::set_items(state, n);
}

void curve(benchmark::internal::Benchmark* b) {
  for (std::int64_t n = 1000; n <= static_cast<std::int64_t>(kLargest); n *= 10) b->Arg(n);
}

void paths(benchmark::internal::Benchmark* b) {
  for (std::int64_t path = 0; path < 4; ++path) b->Args({path, 10'000});
}

}  // namespace

BENCHMARK(BM_BatchSixDp)->Apply(curve);
BENCHMARK(BM_SixDpSingleLoop)->Apply(curve);
BENCHMARK(BM_SixDpToCharsRoundTrip)->Arg(10'000);
BENCHMARK(BM_BatchSixDpPath)->Apply(paths);
BENCHMARK(BM_FoldOneChain)->Apply(curve);
BENCHMARK(BM_FoldRecords64)->Args({1000, -1})->Args({10'000, -1})->Args({100'000, -1})
    ->Args({1'000'000, -1})->Args({10'000'000, -1})->Args({100'000, 0})->Args({100'000, 3});
BENCHMARK(BM_BatchToWorldCoords)->Apply(curve);
BENCHMARK(BM_ToWorldCoordsSingleLoop)->Apply(curve);
BENCHMARK(BM_BatchRebucket)->Apply(curve);
BENCHMARK(BM_BatchNormalizeCell)->Apply(curve);
BENCHMARK(BM_BatchDistance)->Apply(curve);
BENCHMARK(BM_BatchHeading)->Apply(curve);
BENCHMARK(BM_BatchMapText)->Apply(curve);
BENCHMARK(BM_MapTextSnprintfLoop)->Arg(10'000);
BENCHMARK(BM_MapTextSingleLoop)->Arg(10'000);
BENCHMARK(BM_MapTextNumbersOnly)->Arg(10'000);
BENCHMARK(BM_BatchQuatMultiply)->Apply(curve);
BENCHMARK(BM_QuatMultiplySingleLoop)->Apply(curve);
BENCHMARK(BM_QuatMultiplyGlmLoop)->Apply(curve);
BENCHMARK(BM_BatchQuatRotate)->Apply(curve);
BENCHMARK(BM_QuatRotateSingleLoop)->Apply(curve);
BENCHMARK(BM_QuatRotateGlmLoop)->Apply(curve);
BENCHMARK(BM_BatchQuatNormalize)->Apply(curve);
BENCHMARK(BM_QuatNormalizeSingleLoop)->Apply(curve);
BENCHMARK(BM_QuatNormalizeGlmLoop)->Apply(curve);
