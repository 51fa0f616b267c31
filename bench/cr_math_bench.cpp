// The library's correctly rounded sin, cos, acos and atan2 against the C
// library's single-precision functions, on the same seeded arguments: angles
// within a few turns (the headings and half-angles the library takes), cosines
// in [-1, 1] and coordinate differences within a landblock's reach.
//
// Two orders of the same arguments. Shuffled: 65536 of them, a sequence no
// branch predictor learns, as arguments arrive in use. Sorted: every branch
// predictable, the best case for code that branches on the argument's range
// (the C library's sinf takes 2.6 ns per call sorted and 7 ns shuffled here;
// a short batch repeated, such as 1024 arguments, is learnt and lands in
// between).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "bench_inputs.hpp"
#include "crmath/cr_math.hpp"

namespace {

constexpr std::size_t kBatch = 65536;

enum class Order { Shuffled, Sorted };

std::vector<float> uniform(float lo, float hi, std::uint32_t salt, Order order = Order::Shuffled) {
  auto gen = corvane_bench::rng(salt);
  std::uniform_real_distribution<float> d(lo, hi);
  std::vector<float> out(kBatch);
  for (float& v : out) v = d(gen);
  if (order == Order::Sorted) std::sort(out.begin(), out.end());
  return out;
}

template <float (*F)(float), Order O = Order::Shuffled>
void unary(benchmark::State& state, float lo, float hi, std::uint32_t salt) {
  const std::vector<float> in = uniform(lo, hi, salt, O);
  for (auto _ : state) {
    for (float x : in) benchmark::DoNotOptimize(F(x));
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kBatch));
}

template <float (*F)(float, float), Order O = Order::Shuffled>
void binary(benchmark::State& state) {
  // Sorted by angle: the pairs' quadrants and octants come in runs.
  std::vector<float> ys = uniform(-400.0f, 400.0f, 41), xs = uniform(-400.0f, 400.0f, 42);
  if (O == Order::Sorted) {
    std::vector<std::size_t> order(kBatch);
    for (std::size_t i = 0; i < kBatch; ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
      return std::atan2(double{ys[a]}, double{xs[a]}) < std::atan2(double{ys[b]}, double{xs[b]});
    });
    std::vector<float> sy(kBatch), sx(kBatch);
    for (std::size_t i = 0; i < kBatch; ++i) sy[i] = ys[order[i]], sx[i] = xs[order[i]];
    ys.swap(sy);
    xs.swap(sx);
  }
  for (auto _ : state) {
    for (std::size_t i = 0; i < kBatch; ++i) benchmark::DoNotOptimize(F(ys[i], xs[i]));
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kBatch));
}

float c_sin(float x) { return std::sin(x); }
float c_cos(float x) { return std::cos(x); }
float c_acos(float x) { return std::acos(x); }
float c_atan2(float y, float x) { return std::atan2(y, x); }

constexpr auto kSorted = Order::Sorted;
using corvane::detail::cr_acos, corvane::detail::cr_atan2, corvane::detail::cr_cos, corvane::detail::cr_sin;

void BM_Sin_Corvane(benchmark::State& s) { unary<cr_sin>(s, -20.0f, 20.0f, 31); }
void BM_Sin_Libm(benchmark::State& s) { unary<c_sin>(s, -20.0f, 20.0f, 31); }
void BM_Cos_Corvane(benchmark::State& s) { unary<cr_cos>(s, -20.0f, 20.0f, 32); }
void BM_Cos_Libm(benchmark::State& s) { unary<c_cos>(s, -20.0f, 20.0f, 32); }
void BM_Acos_Corvane(benchmark::State& s) { unary<cr_acos>(s, -1.0f, 1.0f, 33); }
void BM_Acos_Libm(benchmark::State& s) { unary<c_acos>(s, -1.0f, 1.0f, 33); }
void BM_Atan2_Corvane(benchmark::State& s) { binary<cr_atan2>(s); }
void BM_Atan2_Libm(benchmark::State& s) { binary<c_atan2>(s); }

void BM_SinSorted_Corvane(benchmark::State& s) { unary<cr_sin, kSorted>(s, -20.0f, 20.0f, 31); }
void BM_SinSorted_Libm(benchmark::State& s) { unary<c_sin, kSorted>(s, -20.0f, 20.0f, 31); }
void BM_CosSorted_Corvane(benchmark::State& s) { unary<cr_cos, kSorted>(s, -20.0f, 20.0f, 32); }
void BM_CosSorted_Libm(benchmark::State& s) { unary<c_cos, kSorted>(s, -20.0f, 20.0f, 32); }
void BM_AcosSorted_Corvane(benchmark::State& s) { unary<cr_acos, kSorted>(s, -1.0f, 1.0f, 33); }
void BM_AcosSorted_Libm(benchmark::State& s) { unary<c_acos, kSorted>(s, -1.0f, 1.0f, 33); }
void BM_Atan2Sorted_Corvane(benchmark::State& s) { binary<cr_atan2, kSorted>(s); }
void BM_Atan2Sorted_Libm(benchmark::State& s) { binary<c_atan2, kSorted>(s); }

}  // namespace

BENCHMARK(BM_Sin_Corvane);
BENCHMARK(BM_Sin_Libm);
BENCHMARK(BM_Cos_Corvane);
BENCHMARK(BM_Cos_Libm);
BENCHMARK(BM_Acos_Corvane);
BENCHMARK(BM_Acos_Libm);
BENCHMARK(BM_Atan2_Corvane);
BENCHMARK(BM_Atan2_Libm);
BENCHMARK(BM_SinSorted_Corvane);
BENCHMARK(BM_SinSorted_Libm);
BENCHMARK(BM_CosSorted_Corvane);
BENCHMARK(BM_CosSorted_Libm);
BENCHMARK(BM_AcosSorted_Corvane);
BENCHMARK(BM_AcosSorted_Libm);
BENCHMARK(BM_Atan2Sorted_Corvane);
BENCHMARK(BM_Atan2Sorted_Libm);
