// Seeded input mixtures shared by the benchmarks: every run of every binary
// sees the same values, so a baseline and our code always work on the same data.
#pragma once

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace corvane_bench {

/// The one seed of the suite; changing it changes every input.
inline constexpr std::uint32_t kSeed = 0x5EEDu;

/// A deterministic generator for a named input set (the salt keeps the sets of
/// different benchmarks independent while sharing one seed).
inline std::mt19937_64 rng(std::uint32_t salt) { return std::mt19937_64{kSeed ^ (std::uint64_t{salt} << 32)}; }

/// Mostly ordinary magnitudes in [-range, range], with about 3 % edges (zeros
/// of both signs, tiny and huge values) and 1 % non-finite values.
inline std::vector<float> float_mixture(std::size_t n, float range, std::uint32_t salt) {
  auto gen = rng(salt);
  std::uniform_real_distribution<float> ordinary(-range, range);
  std::uniform_int_distribution<int> pick(0, 99);
  static constexpr float kEdges[] = {0.0f, -0.0f, 1e-30f, -3e-39f, 1e30f, -1e20f};
  static constexpr float kNonFinite[] = {std::numeric_limits<float>::quiet_NaN(),
                                         std::numeric_limits<float>::infinity(),
                                         -std::numeric_limits<float>::infinity()};
  std::vector<float> out(n);
  for (float& f : out) {
    const int p = pick(gen);
    if (p < 96) {
      f = ordinary(gen);
    } else if (p < 99) {
      f = kEdges[static_cast<std::size_t>(pick(gen)) % std::size(kEdges)];
    } else {
      f = kNonFinite[static_cast<std::size_t>(pick(gen)) % std::size(kNonFinite)];
    }
  }
  return out;
}

/// Reports `per_iteration` items for each benchmark iteration (items per
/// second is what the results table compares).
inline void set_items(benchmark::State& state, std::size_t per_iteration) {
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(per_iteration));
}

}  // namespace corvane_bench
