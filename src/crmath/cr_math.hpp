// Internal: correctly rounded single-precision elementary functions, the same
// bits on every machine and with every C library.
//
// Each function returns the float nearest to the exact mathematical result
// (ties cannot occur: the results are transcendental except at the trivial
// points sin 0, cos 0, acos 1). The value is first computed in double with a
// known error bound; when that bracket straddles a float rounding boundary the
// function recomputes in double-double, about 100 bits. Only IEEE-754 double
// arithmetic and integer arithmetic are used, compiled without contraction, so
// every machine with binary64 doubles evaluated in double (FLT_EVAL_METHOD 0)
// takes the same steps and gets the same bits.
//
// NaNs: a NaN argument comes back as that NaN, quietened (bit 22 set); a NaN
// that a function creates (sin or cos of an infinity, acos beyond [-1, 1], fmod
// by zero or of an infinity) is always 0x7FC00000.
#pragma once

#include <cstdint>

#include "corvane/detail/bit_cast.hpp"
#include "nan_bits.hpp"

namespace corvane::detail {

inline constexpr float canonical_nan() noexcept { return bit_cast<float>(kCanonicalNanBits); }

/// The NaN an x86 CPU creates (sign set); the only created NaN that differs
/// between machines. Results that may hold one pass through this.
inline float with_canonical_nan(float v) noexcept {
  return bit_cast<std::uint32_t>(v) == kX86CreatedNanBits ? canonical_nan() : v;
}

float cr_sin(float x) noexcept;
float cr_cos(float x) noexcept;
float cr_acos(float x) noexcept;
/// atan2 with the IEEE-754 special cases (signed zeros, infinities).
float cr_atan2(float y, float x) noexcept;
/// x − y·trunc(x / y), exactly, with the sign of x.
float cr_fmod(float x, float y) noexcept;
/// IEEE square root, which is correctly rounded everywhere; only the NaN of a
/// negative argument is made canonical.
float cr_sqrt(float x) noexcept;

}  // namespace corvane::detail
