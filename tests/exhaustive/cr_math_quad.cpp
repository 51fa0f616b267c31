// The library's elementary functions computed in quad precision and rounded
// once to float: linked into a second bit-dump program in place of the
// library's own, so that every trigonometric result the bit dump prints is
// checked against quad precision (their outputs must be identical), and, under
// other names, into the checker of recorded atan2 arguments.
#include <quadmath.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "crmath/cr_math.hpp"

namespace corvane::detail {
namespace {

float quieted(float nan) { return std::bit_cast<float>(std::bit_cast<std::uint32_t>(nan) | 0x00400000u); }

// The floats the ends of v's error bracket round to.
struct Bracket {
  float low, high;
  bool decided() const { return std::bit_cast<std::uint32_t>(low) == std::bit_cast<std::uint32_t>(high); }
};
Bracket bracket(__float128 v) {
  const __float128 m = fabsq(v) * static_cast<__float128>(0x1p-110);
  return {static_cast<float>(v - m), static_cast<float>(v + m)};
}

// Refuses a result that quad precision cannot round with certainty.
float rounded(__float128 v) {
  if (v != 0 && !bracket(v).decided()) std::abort();
  return static_cast<float>(v);
}

}  // namespace

float cr_sin(float x) noexcept {
  if (std::isnan(x)) return quieted(x);
  return std::isinf(x) ? canonical_nan() : rounded(sinq(x));
}

float cr_cos(float x) noexcept {
  if (std::isnan(x)) return quieted(x);
  return std::isinf(x) ? canonical_nan() : rounded(cosq(x));
}

float cr_acos(float x) noexcept {
  if (std::isnan(x)) return quieted(x);
  return std::fabs(x) <= 1.0f ? rounded(acosq(x)) : canonical_nan();
}

float cr_atan2(float y, float x) noexcept {
  if (std::isnan(y)) return quieted(y);
  if (std::isnan(x)) return quieted(x);
  const __float128 v = atan2q(y, x);
  const Bracket b = bracket(v);
  if (v == 0 || b.decided()) return static_cast<float>(v);
  // x > 0 and a tiny ratio t = y/x: atan2 is atan t, short of t by about t^3/3,
  // which quad precision cannot resolve. It cannot decide only where t lies
  // exactly halfway between two floats; the result is then the one nearer zero.
  const __float128 mid = (static_cast<__float128>(b.low) + static_cast<__float128>(b.high)) / 2;
  if (!(x > 0.0f && fabsq(v) < static_cast<__float128>(0x1p-30) && mid * x == y)) std::abort();
  return std::fabs(b.low) < std::fabs(b.high) ? b.low : b.high;
}

float cr_fmod(float x, float y) noexcept {
  if (std::isnan(x)) return quieted(x);
  if (std::isnan(y)) return quieted(y);
  if (std::isinf(x) || y == 0.0f) return canonical_nan();
  return static_cast<float>(fmodq(x, y));  // exact
}

float cr_sqrt(float x) noexcept { return x < 0.0f ? canonical_nan() : static_cast<float>(sqrtq(x)); }

}  // namespace corvane::detail
