// The library's sin, cos and acos on every one of the 2^32 float arguments,
// and atan2 on sampled pairs, against quad precision (libquadmath).
//
// Why the proof is cheap and still complete: the C library's double function
// is within 1 ulp (2^-52 relative) of the exact value, so when every value
// within 2^-50 of that double rounds to one float F, the exact value rounds
// to F too. Only where that interval straddles a float rounding boundary, or
// where the library's answer is not F, is the quad-precision function asked;
// its error (2^-112) is again bracketed, and an argument it cannot decide is
// counted as undecided (there are none). NaN, infinite and out-of-domain
// arguments are checked against the NaN rule instead.
//
// Usage: cr_math_exhaustive sin|cos|acos|atan2 [pairs]   (two threads)
// Run with: ctest -L exhaustive
#include <quadmath.h>

#include <atomic>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <random>
#include <string_view>
#include <thread>
#include <vector>

#include "crmath/cr_math.hpp"
#include "quad_rounding.hpp"

namespace {

using corvane::detail::kCanonicalNanBits;

std::uint32_t bits(float f) { return std::bit_cast<std::uint32_t>(f); }

/// The float every value within rel of v rounds to, if there is one.
bool decided(double v, double rel, float& out) {
  out = static_cast<float>(v);
  if (v == 0.0) return true;  // exact zeros keep their sign
  const double m = std::fabs(v) * rel;
  const float a = static_cast<float>(v - m), b = static_cast<float>(v + m);
  out = a;
  return bits(a) == bits(b);
}

bool decided_quad(__float128 v, float& out) {
  out = static_cast<float>(v);
  if (v == 0) return true;
  const corvane_quad::Bracket b = corvane_quad::bracket(v);
  out = b.low;
  return b.decided();
}

struct Tally {
  std::uint64_t checked = 0, quad_consulted = 0, misrounded = 0, undecided = 0, nan_rule = 0;
  void operator+=(const Tally& o) {
    checked += o.checked;
    quad_consulted += o.quad_consulted;
    misrounded += o.misrounded;
    undecided += o.undecided;
    nan_rule += o.nan_rule;
  }
};

std::mutex print_mutex;

// The argument(s) of one call, formatted only when something is reported.
struct Args {
  std::uint32_t first;
  int count;  // 1 or 2
  std::uint32_t second = 0;
};

void print_args(const Args& a) {
  if (a.count == 1) {
    std::printf("%08X", a.first);
  } else {
    std::printf("%08X, %08X", a.first, a.second);
  }
}

void report(const char* what, const Args& args, float got, float want) {
  std::lock_guard lock(print_mutex);
  std::printf("%s(", what);
  print_args(args);
  std::printf("): got %08X, correctly rounded %08X\n", bits(got), bits(want));
}

// Compares got with the correctly rounded value of a function whose double
// reference is ref_d and whose quad reference quad() is asked only if needed.
// Where quad precision cannot decide, a function may know why (see
// corvane_quad::atan2_tiny_ratio); by default it does not.
float no_tie_breaker(__float128, bool& ok) {
  ok = false;
  return 0.0f;
}

template <class Quad, class TieBreaker = decltype(&no_tie_breaker)>
void judge(Tally& t, const char* what, const Args& args, float got, double ref_d, Quad quad,
           TieBreaker tie_breaker = &no_tie_breaker) {
  ++t.checked;
  float want;
  if (decided(ref_d, 0x1p-50, want) && bits(want) == bits(got)) return;
  ++t.quad_consulted;
  const __float128 q = quad();
  bool known = decided_quad(q, want);
  if (!known) want = tie_breaker(q, known);
  if (!known) {
    if (++t.undecided > 10) return;
    std::lock_guard lock(print_mutex);
    std::printf("%s(", what);
    print_args(args);
    std::printf("): quad precision cannot decide\n");
    return;
  }
  if (bits(want) != bits(got)) {
    if (++t.misrounded <= 10) report(what, args, got, want);
  }
}

void expect_nan(Tally& t, const char* what, const Args& args, float got, std::uint32_t want) {
  ++t.checked;
  if (bits(got) != want) {
    if (++t.nan_rule <= 10) report(what, args, got, std::bit_cast<float>(want));
  }
}

float quiet(float x) { return std::bit_cast<float>(bits(x) | 0x00400000u); }

Tally one_argument(std::string_view fn, std::uint64_t begin, std::uint64_t end) {
  Tally t;
  for (std::uint64_t i = begin; i < end; ++i) {
    const float x = std::bit_cast<float>(static_cast<std::uint32_t>(i));
    const double xd = x;
    const Args args{static_cast<std::uint32_t>(i), 1};
    if (std::isnan(x)) {
      const float got = fn == "sin" ? corvane::detail::cr_sin(x)
                        : fn == "cos" ? corvane::detail::cr_cos(x)
                                      : corvane::detail::cr_acos(x);
      expect_nan(t, fn.data(), args, got, bits(quiet(x)));
    } else if (fn == "sin") {
      if (std::isinf(x)) {
        expect_nan(t, "sin", args, corvane::detail::cr_sin(x), kCanonicalNanBits);
      } else {
        judge(t, "sin", args, corvane::detail::cr_sin(x), std::sin(xd),
              [&] { return sinq(static_cast<__float128>(x)); });
      }
    } else if (fn == "cos") {
      if (std::isinf(x)) {
        expect_nan(t, "cos", args, corvane::detail::cr_cos(x), kCanonicalNanBits);
      } else {
        judge(t, "cos", args, corvane::detail::cr_cos(x), std::cos(xd),
              [&] { return cosq(static_cast<__float128>(x)); });
      }
    } else {
      if (!(std::fabs(x) <= 1.0f)) {
        expect_nan(t, "acos", args, corvane::detail::cr_acos(x), kCanonicalNanBits);
      } else {
        judge(t, "acos", args, corvane::detail::cr_acos(x), std::acos(xd),
              [&] { return acosq(static_cast<__float128>(x)); });
      }
    }
  }
  return t;
}

// ---- atan2 pairs, weighted toward the hard cases.

float random_float(std::mt19937_64& rng) { return std::bit_cast<float>(static_cast<std::uint32_t>(rng())); }

float scaled(std::mt19937_64& rng, float v, int max_shift) {
  const int shift = static_cast<int>(rng() % static_cast<std::uint64_t>(2 * max_shift + 1)) - max_shift;
  return std::ldexp(v, shift);
}

constexpr std::uint32_t kSpecials[] = {
    0x00000000u, 0x80000000u, 0x7F800000u, 0xFF800000u, 0x7FC00000u, 0xFFC00000u, 0x7FA00001u,
    0x00000001u, 0x80000001u, 0x007FFFFFu, 0x00800000u, 0x7F7FFFFFu, 0xFF7FFFFFu, 0x3F800000u,
    0xBF800000u, 0x34000000u, 0x4B800000u,
};

std::pair<float, float> sample_pair(std::mt19937_64& rng) {
  const auto special = [&] {
    return std::bit_cast<float>(kSpecials[rng() % std::size(kSpecials)]);
  };
  const auto ordinary = [&] {  // |v| in [2^-20, 2^20], either sign
    return scaled(rng, std::uniform_real_distribution<float>(-2.0f, 2.0f)(rng), 20);
  };
  switch (rng() % 10) {
    case 0: case 1: return {random_float(rng), random_float(rng)};  // every exponent, NaNs, infinities
    case 2: case 3: return {ordinary(), ordinary()};                  // everyday magnitudes
    case 4: {  // tiny and huge ratios
      const float a = ordinary();
      return rng() % 2 ? std::pair{scaled(rng, a, 100), ordinary()} : std::pair{ordinary(), scaled(rng, a, 100)};
    }
    case 5: {  // ratios near 1 and near the table points i/16
      const float x = ordinary();
      const float k = static_cast<float>(rng() % 17) / 16.0f;
      const float y = std::nextafter(x * k, (rng() % 2) ? INFINITY : -INFINITY);
      return rng() % 2 ? std::pair{y, x} : std::pair{x, y};
    }
    case 6: {  // on and near the axes
      const float a = ordinary();
      const float b = rng() % 2 ? std::copysign(0.0f, ordinary()) : scaled(rng, 1e-30f, 30);
      return rng() % 2 ? std::pair{a, b} : std::pair{b, a};
    }
    case 7: return rng() % 2 ? std::pair{special(), random_float(rng)} : std::pair{random_float(rng), special()};
    case 8: return {special(), special()};
    default: {  // headings: differences of world offsets
      std::uniform_real_distribution<float> d(-49152.0f, 49152.0f);
      return {d(rng) - d(rng), d(rng) - d(rng)};
    }
  }
}

Tally atan2_pairs(std::uint64_t seed, std::uint64_t count) {
  Tally t;
  std::mt19937_64 rng(seed);
  for (std::uint64_t i = 0; i < count; ++i) {
    const auto [y, x] = sample_pair(rng);
    const Args args{bits(y), 2, bits(x)};
    const float got = corvane::detail::cr_atan2(y, x);
    if (std::isnan(y) || std::isnan(x)) {
      expect_nan(t, "atan2", args, got, bits(quiet(std::isnan(y) ? y : x)));
    } else {
      judge(t, "atan2", args, got, std::atan2(double{y}, double{x}),
            [&] { return atan2q(static_cast<__float128>(y), static_cast<__float128>(x)); },
            [&](__float128 q, bool& ok) {
              float out = 0.0f;
              ok = corvane_quad::atan2_tiny_ratio(y, x, q, out);
              return out;
            });
    }
  }
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view fn = argc > 1 ? argv[1] : "sin";
  if (fn != "sin" && fn != "cos" && fn != "acos" && fn != "atan2") {
    std::fprintf(stderr, "usage: %s sin|cos|acos|atan2 [pairs]\n", argv[0]);
    return 2;
  }
  const std::uint64_t pairs = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1'000'000'000;
  const auto start = std::chrono::steady_clock::now();
  constexpr int kThreads = 2;
  Tally parts[kThreads];
  std::vector<std::thread> threads;
  for (int k = 0; k < kThreads; ++k) {
    threads.emplace_back([&, k] {
      if (fn == "atan2") {
        parts[k] = atan2_pairs(0x5EED0000u + static_cast<std::uint64_t>(k), pairs / kThreads);
      } else {
        const std::uint64_t n = std::uint64_t{1} << 32;
        parts[k] = one_argument(fn, n * k / kThreads, n * (k + 1) / kThreads);
      }
    });
  }
  for (auto& th : threads) th.join();
  Tally total;
  for (const Tally& p : parts) total += p;
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%s: %llu checked, %llu against quad precision, %llu misrounded, %llu NaN-rule failures, "
              "%llu undecided, %.0f s\n",
              fn.data(), static_cast<unsigned long long>(total.checked),
              static_cast<unsigned long long>(total.quad_consulted),
              static_cast<unsigned long long>(total.misrounded),
              static_cast<unsigned long long>(total.nan_rule),
              static_cast<unsigned long long>(total.undecided), seconds);
  return total.misrounded + total.nan_rule + total.undecided == 0 ? 0 : 1;
}
