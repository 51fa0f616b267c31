// Rounding a quad-precision value to float only where that is certain: shared
// by the exhaustive checks and by the quad-precision stand-ins for the
// library's elementary functions.
#pragma once

#include <quadmath.h>

#include <bit>
#include <cmath>
#include <cstdint>

namespace corvane_quad {

/// The floats the ends of q's error bracket (2^-110 of q) round to.
struct Bracket {
  float low, high;
  bool decided() const { return std::bit_cast<std::uint32_t>(low) == std::bit_cast<std::uint32_t>(high); }
};

inline Bracket bracket(__float128 q) {
  const __float128 m = fabsq(q) * static_cast<__float128>(0x1p-110);
  return {static_cast<float>(q - m), static_cast<float>(q + m)};
}

/// atan2(y, x) with x > 0 and a tiny ratio t = y/x is atan t, just short of t
/// in magnitude (by t^3/3). Quad precision cannot tell it from t, so when t
/// itself is exactly halfway between two floats the correct result is the one
/// nearer zero. (Any other t lies at least 2^-50 of t away from a midpoint,
/// far more than t^3/3, and quad decides.) Whether q = atan2q(y, x) is that
/// case; if so, `out` is the result.
inline bool atan2_tiny_ratio(float y, float x, __float128 q, float& out) {
  const Bracket b = bracket(q);
  const __float128 mid = (static_cast<__float128>(b.low) + static_cast<__float128>(b.high)) / 2;
  out = std::fabs(b.low) < std::fabs(b.high) ? b.low : b.high;
  return x > 0.0f && fabsq(q) < static_cast<__float128>(0x1p-30) &&
         mid * static_cast<__float128>(x) == static_cast<__float128>(y);  // exact: 49 bits
}

}  // namespace corvane_quad
