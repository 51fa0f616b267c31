// Internal: the constants of the fingerprints' canonicalisation and why its
// arithmetic is exact. The computation itself is written once, over vector
// lanes, in batch/fingerprint_lanes.inc: the single-value functions run it
// one float at a time (batch/scalar_lanes.hpp). Included only by sources
// compiled with the library's strict float flags (no contraction, no
// fast-math).
#pragma once

#include <cfloat>
#include <cstdint>

#include "nan_bits.hpp"

namespace corvane::detail {

inline constexpr std::uint32_t kSignBit = 0x8000'0000u;
inline constexpr std::uint32_t kInfinityBits = 0x7F80'0000u;
inline constexpr std::uint32_t kSixteenBits = 0x4180'0000u;  // 16.0f

/// The rounding of |v| * 10^6 to an integer in double, and back.
inline constexpr double kMillion = 1e6;
inline constexpr double kMicro = 1e-6;
inline constexpr double kRoundingShift = 0x1p52;

// The double arithmetic of SixDp must round every operation to double.
static_assert(FLT_EVAL_METHOD == 0, "SixDp needs double arithmetic without excess precision");

// SixDp is defined as "print with six decimals, parse back to the nearest
// float". Formatting and parsing cost ~50 ns; the same result follows from
// three exact or provably harmless double operations:
//
// 1. a = |v| * 10^6 is exact in double: a 24-bit significand times the
//    14-bit significand of 10^6 fits in 53 bits, at any float magnitude.
// 2. n = round_half_even(a) by adding and removing 2^52: for 0 <= a < 2^52
//    the sum lands in the binade whose spacing is 1 and rounds to the nearest
//    integer, ties to even; the subtraction is exact. n is the six-decimal
//    text read as an integer. (A fused a*b+c would change nothing: a is exact.)
// 3. The answer is the float nearest to x = n / 10^6, n <= 1.6e7 below 16.
//    If 5^6 divides n, x = j / 64 with j <= 1024, an exact float. Otherwise
//    x is not a dyadic rational and differs from every float midpoint M/2^g
//    (M < 2^25 odd) by |n*2^g - M*10^6| / (10^6 * 2^g) >= 1 / (10^6 * 2^g),
//    a relative gap above 2^-45. The double product n * 1e-6 is within
//    2^-52 (relative) of x, so it lies on the same side of every midpoint
//    as x and rounds to the same float. n = 0 gives +0.
// Exhaustively checked against the text definition over all 2^32 inputs.
//
// At 16 and above the float spacing (>= 2^-19) exceeds twice the largest
// rounding step (5e-7), so the text reads back as the input itself.
//
// Scenery data mixes values above and below 16 unpredictably, so the classes
// are told apart with selects rather than branches: every input runs the
// arithmetic (harmless for the ones that discard it: no traps, no undefined
// behaviour) and the answer is picked at the end.

}  // namespace corvane::detail
