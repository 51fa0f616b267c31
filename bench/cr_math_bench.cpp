// The library's correctly rounded sin, cos, acos and atan2 against the C
// library's single-precision functions, on the same seeded arguments: angles
// within a few turns (the headings and half-angles the library takes), cosines
// in [-1, 1] and coordinate differences within a landblock's reach.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "bench_inputs.hpp"
#include "crmath/cr_math.hpp"

namespace {

constexpr std::size_t kBatch = 1024;

std::vector<float> uniform(float lo, float hi, std::uint32_t salt) {
  auto gen = corvane_bench::rng(salt);
  std::uniform_real_distribution<float> d(lo, hi);
  std::vector<float> out(kBatch);
  for (float& v : out) v = d(gen);
  return out;
}

template <float (*F)(float)>
void unary(benchmark::State& state, float lo, float hi, std::uint32_t salt) {
  const std::vector<float> in = uniform(lo, hi, salt);
  for (auto _ : state) {
    for (float x : in) benchmark::DoNotOptimize(F(x));
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kBatch));
}

template <float (*F)(float, float)>
void binary(benchmark::State& state) {
  const std::vector<float> ys = uniform(-400.0f, 400.0f, 41), xs = uniform(-400.0f, 400.0f, 42);
  for (auto _ : state) {
    for (std::size_t i = 0; i < kBatch; ++i) benchmark::DoNotOptimize(F(ys[i], xs[i]));
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kBatch));
}

float c_sin(float x) { return std::sin(x); }
float c_cos(float x) { return std::cos(x); }
float c_acos(float x) { return std::acos(x); }
float c_atan2(float y, float x) { return std::atan2(y, x); }

void BM_Sin_Corvane(benchmark::State& s) { unary<corvane::detail::cr_sin>(s, -20.0f, 20.0f, 31); }
void BM_Sin_Libm(benchmark::State& s) { unary<c_sin>(s, -20.0f, 20.0f, 31); }
void BM_Cos_Corvane(benchmark::State& s) { unary<corvane::detail::cr_cos>(s, -20.0f, 20.0f, 32); }
void BM_Cos_Libm(benchmark::State& s) { unary<c_cos>(s, -20.0f, 20.0f, 32); }
void BM_Acos_Corvane(benchmark::State& s) { unary<corvane::detail::cr_acos>(s, -1.0f, 1.0f, 33); }
void BM_Acos_Libm(benchmark::State& s) { unary<c_acos>(s, -1.0f, 1.0f, 33); }
void BM_Atan2_Corvane(benchmark::State& s) { binary<corvane::detail::cr_atan2>(s); }
void BM_Atan2_Libm(benchmark::State& s) { binary<c_atan2>(s); }

}  // namespace

BENCHMARK(BM_Sin_Corvane);
BENCHMARK(BM_Sin_Libm);
BENCHMARK(BM_Cos_Corvane);
BENCHMARK(BM_Cos_Libm);
BENCHMARK(BM_Acos_Corvane);
BENCHMARK(BM_Acos_Libm);
BENCHMARK(BM_Atan2_Corvane);
BENCHMARK(BM_Atan2_Libm);
