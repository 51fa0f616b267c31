// The C++ side of bench/python_bench.py: the library's batch operations at the
// sizes the Python targets name, on the same generated inputs (see
// python_inputs below and `inputs` in the script), so that the script can
// state the Python cost per element as a ratio to the C++ cost per element.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <span>
#include <vector>

#include "corvane/bake_fingerprint.hpp"
#include "corvane/position.hpp"

namespace {

// A multiplicative hash of the index: the same numbers in numpy and here.
std::uint32_t mix(std::uint64_t i, std::uint64_t k) {
  return static_cast<std::uint32_t>((i * 2654435761u + k) & 0xFFFF'FFFFu);
}
float unit(std::uint64_t i, std::uint64_t k) {
  return static_cast<float>(static_cast<double>(mix(i, k)) / 4294967296.0);
}

std::vector<float> python_values(std::size_t n) {
  std::vector<float> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<float>(unit(i, 1) * 400.0f - 200.0f);
  return v;
}

std::vector<corvane::WorldPosition> python_positions(std::size_t n) {
  std::vector<corvane::WorldPosition> p(n);
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t id = (mix(i, 2) & 0xFFFF'0000u) | (mix(i, 3) % 65u);
    p[i] = corvane::WorldPosition{corvane::Guid{id},
                                  corvane::Vector3{unit(i, 4) * 300.0f - 50.0f,
                                                   unit(i, 5) * 300.0f - 50.0f,
                                                   unit(i, 6) * 100.0f},
                                  {}};
  }
  return p;
}

void BM_FingerprintSixDpBatch(benchmark::State& state) {
  const auto in = python_values(static_cast<std::size_t>(state.range(0)));
  std::vector<std::uint32_t> out(in.size());
  for (auto _ : state) {
    corvane::fingerprint_f32_bits(in, corvane::FloatCanon::SixDp, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FingerprintSixDpBatch)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

void BM_ToWorldCoordsBatch(benchmark::State& state) {
  const auto in = python_positions(static_cast<std::size_t>(state.range(0)));
  std::vector<corvane::WorldCoordinates> out(in.size());
  for (auto _ : state) {
    corvane::to_world_coords(in, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ToWorldCoordsBatch)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_RebucketBatch(benchmark::State& state) {
  const auto in = python_positions(static_cast<std::size_t>(state.range(0)));
  std::vector<corvane::WorldPosition> out(in.size());
  for (auto _ : state) {
    corvane::rebucket_outdoor_landblock(in, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RebucketBatch)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace
