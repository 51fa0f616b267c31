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
#include "quad_rounding.hpp"

namespace corvane::detail {
namespace {

float quieted(float nan) { return std::bit_cast<float>(std::bit_cast<std::uint32_t>(nan) | 0x00400000u); }

using corvane_quad::bracket;

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
  if (v == 0 || bracket(v).decided()) return static_cast<float>(v);
  float tie = 0.0f;
  if (!corvane_quad::atan2_tiny_ratio(y, x, v, tie)) std::abort();
  return tie;
}

float cr_fmod(float x, float y) noexcept {
  if (std::isnan(x)) return quieted(x);
  if (std::isnan(y)) return quieted(y);
  if (std::isinf(x) || y == 0.0f) return canonical_nan();
  return static_cast<float>(fmodq(x, y));  // exact
}

float cr_sqrt(float x) noexcept { return x < 0.0f ? canonical_nan() : static_cast<float>(sqrtq(x)); }

}  // namespace corvane::detail
