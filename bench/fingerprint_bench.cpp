// SixDp computed exactly against the two text round trips it replaces, and
// the FNV-1a fold per word against a byte-wise loop. Every benchmark walks
// the same 2^16 inputs per iteration; `per_value` is the time per input.
// Results are XOR-combined and kept once per iteration, so the loop measures
// the conversions' throughput rather than a store per value.
// (A short input list repeated every iteration would let the branch
// predictor learn it, which real bakes do not allow.)
#include <benchmark/benchmark.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "corvane/bake_fingerprint.hpp"

namespace {

constexpr std::size_t kValues = std::size_t{1} << 16;

// What baked scenery holds: mostly unit quaternion components, positions
// inside a 192 m landblock, heights, a few zeros and tiny export noise.
const std::vector<float>& mixture() {
  static const std::vector<float> values = [] {
    std::mt19937 rng(20261208);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_real_distribution<float> offset(0.0f, 192.0f);
    std::uniform_real_distribution<float> height(-50.0f, 400.0f);
    std::uniform_real_distribution<float> noise(-1e-6f, 1e-6f);
    std::vector<float> v;
    v.reserve(kValues);
    for (std::size_t i = 0; i < kValues; ++i) {
      const unsigned pick = static_cast<unsigned>(rng() % 100);
      if (pick < 60) {
        v.push_back(unit(rng));
      } else if (pick < 80) {
        v.push_back(offset(rng));
      } else if (pick < 90) {
        v.push_back(height(rng));
      } else if (pick < 95) {
        v.push_back(0.0f);
      } else {
        v.push_back(noise(rng));
      }
    }
    return v;
  }();
  return values;
}

void set_counters(benchmark::State& state) {
  state.counters["per_value"] = benchmark::Counter(
      static_cast<double>(kValues), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The text definition with the C++ conversions (NaN handling omitted: the
// mixture has none).
std::uint32_t six_dp_to_chars(float v) {
  if (v == 0.0f) v = 0.0f;
  char text[64];
  const auto written = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, 6);
  float parsed = v;
  std::from_chars(text, written.ptr, parsed);
  return std::bit_cast<std::uint32_t>(parsed);
}

// The text definition with the C library.
std::uint32_t six_dp_snprintf(float v) {
  if (v == 0.0f) v = 0.0f;
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", static_cast<double>(v));
  return std::bit_cast<std::uint32_t>(std::strtof(text, nullptr));
}

void BM_SixDpExact(benchmark::State& state) {
  const auto& values = mixture();
  for (auto _ : state) {
    std::uint32_t combined = 0;
    for (const float v : values) combined ^= corvane::fingerprint_f32_bits(v, corvane::FloatCanon::SixDp);
    benchmark::DoNotOptimize(combined);
  }
  set_counters(state);
}
BENCHMARK(BM_SixDpExact);

void BM_SixDpToCharsFromChars(benchmark::State& state) {
  const auto& values = mixture();
  for (auto _ : state) {
    std::uint32_t combined = 0;
    for (const float v : values) combined ^= six_dp_to_chars(v);
    benchmark::DoNotOptimize(combined);
  }
  set_counters(state);
}
BENCHMARK(BM_SixDpToCharsFromChars);

void BM_SixDpSnprintfStrtof(benchmark::State& state) {
  const auto& values = mixture();
  for (auto _ : state) {
    std::uint32_t combined = 0;
    for (const float v : values) combined ^= six_dp_snprintf(v);
    benchmark::DoNotOptimize(combined);
  }
  set_counters(state);
}
BENCHMARK(BM_SixDpSnprintfStrtof);

void BM_Lossless(benchmark::State& state) {
  const auto& values = mixture();
  for (auto _ : state) {
    std::uint32_t combined = 0;
    for (const float v : values) combined ^= corvane::fingerprint_f32_bits(v, corvane::FloatCanon::Lossless);
    benchmark::DoNotOptimize(combined);
  }
  set_counters(state);
}
BENCHMARK(BM_Lossless);

// A fingerprint is one dependent chain of folds: the latency of four
// multiplies per word bounds it.
void BM_Fnv1aFoldPerWord(benchmark::State& state) {
  std::vector<std::uint32_t> words(kValues);
  for (std::size_t i = 0; i < kValues; ++i) words[i] = std::bit_cast<std::uint32_t>(mixture()[i]);
  for (auto _ : state) {
    std::uint64_t h = corvane::FNV1A_OFFSET_BASIS;
    for (const std::uint32_t w : words) h = corvane::fnv1a_fold(h, w);
    benchmark::DoNotOptimize(h);
  }
  set_counters(state);
}
BENCHMARK(BM_Fnv1aFoldPerWord);

void BM_Fnv1aByteWiseLoop(benchmark::State& state) {
  std::vector<unsigned char> bytes(4 * kValues);
  std::memcpy(bytes.data(), mixture().data(), bytes.size());  // little-endian host
  for (auto _ : state) {
    std::uint64_t h = corvane::FNV1A_OFFSET_BASIS;
    for (const unsigned char b : bytes) {
      h ^= b;
      h *= corvane::FNV1A_PRIME;
    }
    benchmark::DoNotOptimize(h);
  }
  set_counters(state);
}
BENCHMARK(BM_Fnv1aByteWiseLoop);

// The whole pipeline: canonicalise and fold.
void BM_FingerprintSixDpValues(benchmark::State& state) {
  const auto& values = mixture();
  for (auto _ : state) {
    std::uint64_t h = corvane::FNV1A_OFFSET_BASIS;
    for (const float v : values) h = corvane::fnv1a_fold(h, corvane::wire_f32_bits(v));
    benchmark::DoNotOptimize(h);
  }
  set_counters(state);
}
BENCHMARK(BM_FingerprintSixDpValues);

}  // namespace
