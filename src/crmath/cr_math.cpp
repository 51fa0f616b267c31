// Correctly rounded sin, cos, acos and atan2 for float, and an exact fmod.
//
// Compiled with -ffp-contract=off and without fast-math: every error bound
// below assumes that each double operation is rounded to nearest on its own.
//
// Method (Ziv's strategy): evaluate in double with a known relative error
// bound; when the double's bits below float precision lie farther from the
// halfway pattern than that bound, its rounding to float is the correct one.
// Otherwise evaluate again, more precisely, and finally in double-double (error
// about 2^-100). sin, cos and acos first try a short table-driven evaluation
// (error below 2^-40, so its test turns away about 2^-14 of the arguments), then, for sin
// and cos, a longer one (2^-50). tests/exhaustive/cr_math_exhaustive.cpp
// checks every float argument against quad precision.
#include "crmath/cr_math.hpp"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

// x87 precision would round twice and change results between machines.
#if defined(__FLT_EVAL_METHOD__) && __FLT_EVAL_METHOD__ != 0
#error "corvane_common needs float and double evaluated in their own precision (FLT_EVAL_METHOD 0): on 32-bit x86 build with -msse2 -mfpmath=sse"
#endif
static_assert(std::numeric_limits<double>::is_iec559 && DBL_MANT_DIG == 53,
              "corvane_common needs IEEE-754 binary64 doubles");
static_assert(std::numeric_limits<float>::is_iec559, "corvane_common needs IEEE-754 binary32 floats");

namespace corvane::detail {
namespace {

// ---- Double-double arithmetic (Dekker, Knuth): exact without fused multiply-add.

struct DD {
  double hi, lo;
};

constexpr DD fast_two_sum(double a, double b) noexcept {  // needs |a| >= |b| or a == 0
  const double s = a + b;
  return {s, b - (s - a)};
}

constexpr DD two_sum(double a, double b) noexcept {
  const double s = a + b;
  const double bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}

constexpr DD split(double a) noexcept {  // two halves of 26 bits
  const double t = 134217729.0 * a;    // 2^27 + 1
  const double hi = t - (t - a);
  return {hi, a - hi};
}

constexpr DD two_prod(double a, double b) noexcept {
  const double p = a * b;
  const DD as = split(a), bs = split(b);
  return {p, ((as.hi * bs.hi - p) + as.hi * bs.lo + as.lo * bs.hi) + as.lo * bs.lo};
}

constexpr DD neg(DD a) noexcept { return {-a.hi, -a.lo}; }

constexpr DD add(DD a, DD b) noexcept {
  DD s = two_sum(a.hi, b.hi);
  const DD t = two_sum(a.lo, b.lo);
  s = fast_two_sum(s.hi, s.lo + t.hi);
  return fast_two_sum(s.hi, s.lo + t.lo);
}

constexpr DD sub(DD a, DD b) noexcept { return add(a, neg(b)); }

constexpr DD mul(DD a, DD b) noexcept {
  const DD p = two_prod(a.hi, b.hi);
  return fast_two_sum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

constexpr DD mul(DD a, double b) noexcept {
  const DD p = two_prod(a.hi, b);
  return fast_two_sum(p.hi, p.lo + a.lo * b);
}

constexpr DD div(DD a, DD b) noexcept {
  const double q1 = a.hi / b.hi;
  DD r = sub(a, mul(b, q1));
  const double q2 = r.hi / b.hi;
  r = sub(r, mul(b, q2));
  const double q3 = r.hi / b.hi;
  return add(fast_two_sum(q1, q2), DD{q3, 0.0});
}

DD sqrt_dd(DD a) noexcept {  // a >= 0
  if (a.hi == 0.0) return {0.0, 0.0};
  const double s = std::sqrt(a.hi);  // IEEE: correctly rounded on every machine
  const DD e = sub(a, two_prod(s, s));
  return fast_two_sum(s, e.hi / (2.0 * s));
}

// 1/n! with its sign pattern, computed at compile time by exact steps.
constexpr DD inverse_factorial(int n) noexcept {
  DD v{1.0, 0.0};
  for (int k = 2; k <= n; ++k) v = div(v, DD{static_cast<double>(k), 0.0});
  return v;
}

// ---- Constants.

// pi/2 and pi, rounded to double-double (from Machin's formula in exact
// integer arithmetic).
constexpr DD kHalfPi{0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54};
constexpr DD kPi{0x1.921fb54442d18p+1, 0x1.1a62633145c07p-53};

// pi/2 = kHalfPi1 + kHalfPi2 + kHalfPi3 + O(2^-113): the first two have at most
// 28 significant bits, so k * kHalfPi1 and k * kHalfPi2 are exact for |k| < 2^25.
constexpr double kHalfPi1 = 0x1.921fb54p+0;
constexpr double kHalfPi2 = 0x1.10b4612p-30;
constexpr double kHalfPi3 = -0x1.676733ae8fe48p-60;

// The first 320 bits of 2/pi, most significant first (Machin's formula in exact
// integer arithmetic), after a zero word for its (zero) integer part.
constexpr std::uint32_t kTwoOverPiBits[11] = {
    0x00000000, 0xA2F9836E, 0x4E441529, 0xFC2757D1, 0xF534DDC0, 0xDB629599,
    0x3C439041, 0xFE5163AB, 0xDEBBC561, 0xB7246E3A, 0x424DD2E0,
};

// atan(i/16) for i = 0..16, rounded to double-double (Euler's series in exact
// rational arithmetic; the tests check it against quad precision).
constexpr DD kAtanTable[17] = {
    {0.0, 0.0},
    {0x1.ff55bb72cfdeap-5, -0x1.c934d86d23f1dp-60},
    {0x1.fd5ba9aac2f6ep-4, -0x1.cd37686760c17p-59},
    {0x1.7b97b4bce5b02p-3, 0x1.347b0b4f881cap-58},
    {0x1.f5b75f92c80ddp-3, 0x1.8ab6e3cf7afbdp-57},
    {0x1.362773707ebccp-2, -0x1.963a544b672d8p-57},
    {0x1.6f61941e4def1p-2, -0x1.c63aae6f6e918p-56},
    {0x1.a64eec3cc23fdp-2, -0x1.24dec1b50b7ffp-56},
    {0x1.dac670561bb4fp-2, 0x1.a2b7f222f65e2p-56},
    {0x1.0657e94db30d0p-1, -0x1.d5b495f6349e6p-56},
    {0x1.1e00babdefeb4p-1, -0x1.928df287a668fp-58},
    {0x1.345f01cce37bbp-1, 0x1.1021137c71102p-55},
    {0x1.4978fa3269ee1p-1, 0x1.2419a87f2a458p-56},
    {0x1.5d58987169b18p-1, 0x1.0028e4bc5e7cap-57},
    {0x1.700a7c5784634p-1, -0x1.8c34d25aadef6p-56},
    {0x1.819d0b7158a4dp-1, -0x1.bf76229d3b917p-56},
    {0x1.921fb54442d18p-1, 0x1.1a62633145c07p-55},
};

// The double evaluations' error (the second attempt of sin and cos, the first
// of atan2) stays below 2^-50 relative (a few roundings of 2^-53 each,
// truncation of the series below 2^-58); this bound, 8 times as wide, decides
// where the float conversion test below is used.
constexpr double kDoubleRelativeError = 0x1p-47;

// ---- Rounding.

float quieted(float nan) noexcept {
  return bit_cast<float>(bit_cast<std::uint32_t>(nan) | 0x00400000u);
}

/// The float v rounds to, if every value within kDoubleRelativeError of v
/// rounds to it too.
bool round_if_decided(double v, float& out) noexcept {
  if (v == 0.0) {  // exact: sin and atan2 of a signed zero, acos 1
    out = static_cast<float>(v);
    return true;
  }
  const double margin = std::fabs(v) * kDoubleRelativeError;
  const float below = static_cast<float>(v - margin);
  const float above = static_cast<float>(v + margin);
  if (bit_cast<std::uint32_t>(below) != bit_cast<std::uint32_t>(above)) return false;
  out = below;
  return true;
}

/// Whether v alone settles its rounding to float: v's biased exponent is at
/// least `min_exponent` and its 29 bits below float precision lie more than
/// `slack` units of its last place from the halfway pattern.
inline bool rounding_settled(double v, std::int64_t slack, unsigned min_exponent) noexcept {
  const std::uint64_t b = bit_cast<std::uint64_t>(v);
  const bool large = (b << 1) >= (std::uint64_t{min_exponent} << 53);  // the sign shifted out
  // The dropped bits, shifted so that the unsettled band around halfway
  // becomes [0, 2 * slack].
  const std::uint64_t from_band = (b - static_cast<std::uint64_t>(0x10000000 - slack)) & 0x1FFFFFFFu;
  return large && from_band > static_cast<std::uint64_t>(2 * slack);
}

/// For the double evaluations: an error below 2^-47 of v is less than 64
/// units, and v must have a normal float's magnitude.
inline bool double_settled(double v) noexcept { return rounding_settled(v, 128, 1023 - 126); }

/// The float next to f on the side of target (f is target rounded).
float next_float_toward(float f, double target) noexcept {
  if (f == 0.0f) return bit_cast<float>((target < 0.0 ? 0x80000000u : 0u) | 1u);
  const std::uint32_t bits = bit_cast<std::uint32_t>(f);
  return bit_cast<float>(std::fabs(target) > std::fabs(static_cast<double>(f)) ? bits + 1
                                                                                    : bits - 1);
}

/// hi + lo rounded to the nearest float. hi alone decides unless it lies
/// exactly halfway between two floats; then the sign of lo does.
float round_to_float(DD v) noexcept {
  const float f = static_cast<float>(v.hi);
  if (static_cast<double>(f) == v.hi || v.lo == 0.0) return f;
  const float g = next_float_toward(f, v.hi);
  if (static_cast<double>(f) + static_cast<double>(g) != 2.0 * v.hi) return f;
  const bool want_larger = v.lo > 0.0;
  return (want_larger == (g > f)) ? g : f;
}

// ---- Reduction of sin and cos arguments: x = k * pi/32 + r, |r| <~ pi/64.

struct Reduced {
  DD r;
  unsigned k;  // modulo 64
};

// pi/32 = kStep1 + kStep2 + kStep3 + O(2^-117), the first two with at most 28
// significant bits (pi/2 pieces over 16, exact).
constexpr double kStep1 = kHalfPi1 / 16;
constexpr double kStep2 = kHalfPi2 / 16;
constexpr double kStep3 = kHalfPi3 / 16;
constexpr double kStepsPerRadian = 0x1.45f306dc9c883p+3;  // 32/pi

// |x| in [pi/64, 2^21): Cody-Waite. k < 2^25, so k * kStep1 and k * kStep2 are
// exact, and so is x - k * kStep1 (both multiples of 2^-30, the difference
// below 2^-4).
Reduced reduce_medium(double x) noexcept {
  const double k = (x * kStepsPerRadian + 0x1.8p52) - 0x1.8p52;  // nearest integer
  const double r1 = x - k * kStep1;
  const DD r2 = two_sum(r1, -(k * kStep2));
  const DD r = two_sum(r2.hi, r2.lo - k * kStep3);
  return {r, static_cast<unsigned>(static_cast<std::int64_t>(k)) & 63u};
}

// |x| >= 2^21, x = m * 2^e with m < 2^24 and e >= -2: Payne-Hanek. Bits of 2/pi
// worth 4 quarter turns or more (times m * 2^e) only add whole turns and are
// skipped; the next 128 bits times m give the quarter turns, the sixteenths
// within them and a 122-bit fraction of a sixteenth, short of the exact one by
// less than 2^-98.
Reduced reduce_large(std::uint32_t magnitude_bits) noexcept {
  const std::uint32_t m = (magnitude_bits & 0x7FFFFFu) | 0x800000u;
  const int e = static_cast<int>(magnitude_bits >> 23) - 150;
  const int first = e + 30;  // bit e - 1 after the point, counted from 0 in the table
  const int word = first / 32, shift = first % 32;
  std::uint32_t window[4];
  for (int j = 0; j < 4; ++j) {
    const std::uint32_t high = kTwoOverPiBits[word + j];
    const std::uint32_t low = kTwoOverPiBits[word + j + 1];
    window[j] = shift == 0 ? high : (high << shift) | (low >> (32 - shift));
  }
  // product = m * window, five 32-bit limbs, most significant first; its value
  // in quarter turns is product * 2^-126.
  std::uint32_t product[5];
  std::uint64_t carry = 0;
  for (int j = 3; j >= 0; --j) {
    const std::uint64_t acc = std::uint64_t{m} * window[j] + carry;
    product[j + 1] = static_cast<std::uint32_t>(acc);
    carry = acc >> 32;
  }
  product[0] = static_cast<std::uint32_t>(carry);
  // Bits 127..122: k modulo 64 in sixteenths of a quarter turn (pi/32).
  unsigned k = product[1] >> 26;
  // The 122-bit fraction of a step, shifted to fill 128 bits.
  std::uint32_t frac[4] = {
      (product[1] << 6) | (product[2] >> 26),
      (product[2] << 6) | (product[3] >> 26),
      (product[3] << 6) | (product[4] >> 26),
      product[4] << 6,
  };
  const bool upper_half = (frac[0] & 0x80000000u) != 0;
  if (upper_half) {  // fraction - 1, negated: the distance to the next step
    ++k;
    std::uint64_t borrow = 1;
    for (int j = 3; j >= 0; --j) {
      const std::uint64_t v = std::uint64_t{static_cast<std::uint32_t>(~frac[j])} + borrow;
      frac[j] = static_cast<std::uint32_t>(v);
      borrow = v >> 32;
    }
  }
  const std::uint64_t high = (std::uint64_t{frac[0]} << 32) | frac[1];
  const std::uint64_t low = (std::uint64_t{frac[2]} << 32) | frac[3];
  const double high_rounded = static_cast<double>(high);  // high < 2^63
  const std::int64_t high_rest =
      static_cast<std::int64_t>(high) - static_cast<std::int64_t>(high_rounded);
  const DD steps = fast_two_sum(high_rounded * 0x1p-64,
                                static_cast<double>(high_rest) * 0x1p-64 +
                                    static_cast<double>(low) * 0x1p-128);
  DD r = mul(steps, DD{kHalfPi.hi / 16, kHalfPi.lo / 16});
  if (upper_half) r = neg(r);
  return {r, k & 63u};
}

Reduced reduce(float x) noexcept {
  const std::uint32_t magnitude_bits = bit_cast<std::uint32_t>(x) & 0x7FFFFFFFu;
  Reduced red;
  if (magnitude_bits < 0x3D490FDBu) {  // |x| < pi/64
    red = {{std::fabs(static_cast<double>(x)), 0.0}, 0};
  } else if (magnitude_bits < 0x4A000000u) {  // |x| < 2^21
    red = reduce_medium(std::fabs(static_cast<double>(x)));
  } else {
    red = reduce_large(magnitude_bits);
  }
  if (std::signbit(x)) red = {neg(red.r), (64u - red.k) & 63u};
  return red;
}

// ---- sin and cos of a step k * pi/32 plus a small r.

// Taylor series in double-double: sin a for |a| <= pi/2, to the term below 2^-110.
constexpr DD sin_series(DD a) noexcept {
  const DD z = mul(a, a);
  DD term = a, sum = a;
  for (int n = 1; n <= 22; ++n) {
    term = div(mul(term, neg(z)), DD{static_cast<double>((2 * n) * (2 * n + 1)), 0.0});
    sum = add(sum, term);
  }
  return sum;
}

// sin(2 pi k / N) for k = 0..N-1, computed at compile time from the series on
// the first quarter turn and its symmetries; the cosine is entry k + N/4.
template <int N>
struct SineSteps {
  static constexpr int kQuarter = N / 4;
  DD sin[N];
  constexpr SineSteps() : sin{} {
    for (int k = 0; k <= kQuarter; ++k) {
      const DD s = k == kQuarter ? DD{1.0, 0.0} : sin_series(mul(kHalfPi, k / double{kQuarter}));
      sin[k] = s;
      sin[2 * kQuarter - k] = s;
      sin[(2 * kQuarter + k) % N] = neg(s);
      sin[(N - k) % N] = neg(s);
    }
    sin[0] = sin[2 * kQuarter] = DD{0.0, 0.0};
  }
};
// Steps of pi/32.
constexpr SineSteps<64> kSteps;

// sin(k pi/32 + r) = sin(k pi/32) cos r + cos(k pi/32) sin r, |r| <= 0.0491:
// the series to r^9 and r^8 leave less than 2^-60. r = rh + rl, |rl| tiny.
double sin_step_double(unsigned k, double rh, double rl) noexcept {
  const double s = kSteps.sin[k].hi, c = kSteps.sin[(k + 16) & 63u].hi;
  const double z = rh * rh;
  const double z2 = z * z;
  const double sin_poly = (-1.0 / 6 + z * (1.0 / 120)) + z2 * (-1.0 / 5040 + z * (1.0 / 362880));
  const double cos_poly = (-0.5 + z * (1.0 / 24)) + z2 * (-1.0 / 720 + z * (1.0 / 40320));
  const double sin_rest = rl + rh * z * sin_poly;  // sin r - rh
  const double cos_rest = z * cos_poly - rh * rl;  // cos r - 1
  return s + (c * rh + (c * sin_rest + s * cos_rest));
}

template <int First, int Count>
struct SeriesCoefficients {
  DD c[Count];
  constexpr SeriesCoefficients() : c{} {
    for (int n = 0; n < Count; ++n) {
      const DD v = inverse_factorial(First + 2 * n);
      c[n] = (n % 2 == 0) ? v : neg(v);
    }
  }
};
// 1/1!, -1/3!, 1/5!, -1/7! and 1/0!, -1/2!, 1/4!, -1/6!: the terms that need
// double-double for |r| <= 0.0491; the rest (to 1/17!, 1/16!) fit in double.
constexpr SeriesCoefficients<1, 4> kSinCoefficients;
constexpr SeriesCoefficients<0, 4> kCosCoefficients;

DD series_dd(const DD (&c)[4], DD z, double tail) noexcept {
  DD acc{tail, 0.0};
  for (int n = 3; n >= 0; --n) acc = add(c[n], mul(acc, z));
  return acc;
}

DD sin_step_dd(unsigned k, DD r) noexcept {
  const DD z = mul(r, r);
  const double zh = z.hi;
  const double sin_tail = 1.0 / 362880 + zh * (-1.0 / 39916800 + zh * (1.0 / 6227020800.0 +
                          zh * (-1.0 / 1307674368000.0 + zh * (1.0 / 355687428096000.0))));
  const double cos_tail = 1.0 / 40320 + zh * (-1.0 / 3628800 + zh * (1.0 / 479001600 +
                          zh * (-1.0 / 87178291200.0 + zh * (1.0 / 20922789888000.0))));
  const DD sin_r = mul(r, series_dd(kSinCoefficients.c, z, sin_tail));
  const DD cos_r = series_dd(kCosCoefficients.c, z, cos_tail);
  return add(mul(kSteps.sin[k], cos_r), mul(kSteps.sin[(k + 16) & 63u], sin_r));
}

// Arguments beyond 2^21 and results the first attempt cannot round: out of
// line, so that the common path needs no stack frame.
#if defined(__GNUC__)
#define CORVANE_COLD __attribute__((noinline, cold))
#else
#define CORVANE_COLD
#endif

CORVANE_COLD float sin_shifted_slow(float x, unsigned shift) noexcept {
  const Reduced red = reduce(x);
  const unsigned k = (red.k + shift) & 63u;
  const double v = sin_step_double(k, red.r.hi, red.r.lo);
  if (double_settled(v)) return static_cast<float>(v);
  return round_to_float(sin_step_dd(k, red.r));
}

// ---- The first attempt: x = k * pi/64 + r, |r| <= pi/128, and a Taylor
// polynomial of degree 5 about k * pi/64 whose coefficients are tabled.

// sin, cos, -sin/2, -cos/6, sin/24 and cos/120 of k * pi/64, k = 0..127.
// One per cache line, and a shift for an index.
struct alignas(64) FastStep {
  double c0, c1, c2, c3, c4, c5;
};
struct FastStepTable {
  FastStep step[128];
  constexpr FastStepTable() : step{} {
    const SineSteps<128> sines;
    for (int k = 0; k < 128; ++k) {
      const DD s = sines.sin[k], c = sines.sin[(k + 32) % 128];
      step[k] = {s.hi,
                 c.hi,
                 -0.5 * s.hi,
                 div(neg(c), DD{6.0, 0.0}).hi,
                 div(s, DD{24.0, 0.0}).hi,
                 div(c, DD{120.0, 0.0}).hi};
    }
  }
};
constexpr FastStepTable kFastSteps;

// pi/64 in the same pieces as pi/32 above; the last two folded into one double
// (k < 2^26 here, so k * kFastStep1 is exact).
constexpr double kFastStep1 = kHalfPi1 / 32;
constexpr double kFastStep23 = (kHalfPi2 + kHalfPi3) / 32;
constexpr double kFastStepsPerRadian = 0x1.45f306dc9c883p+4;  // 64/pi

// Error of the first attempt, relative: truncation below sin * r^6/720, that
// is 2^-41 of the result (the result is at least half the tabled sine when
// k != 0, and for k = 0 the first omitted term is r^7/5040); a few roundings
// of 2^-53; and the reduction's absolute error below 2^-61, which is 2^-40 of
// the result while |result| >= 2^-21. Together below 2^-40: 2^13 units of the
// double's last place. The slack doubles it.
constexpr std::int64_t kFirstAttemptSlack = 1 << 14;

/// Whether a first attempt v, within 2^-40 of the exact value, settles the
/// float; |v| >= 2^-21 keeps the reduction's error relatively small.
inline bool first_attempt_settled(double v) noexcept {
  return rounding_settled(v, kFirstAttemptSlack, 1023 - 21);
}

/// sin(x), or cos(x) = sin(x + pi/2); |x| < 2^21 (sin: |x| >= 2^-12).
inline float sin_or_cos(float x, bool cosine) noexcept {
  const double xd = x;
  const double shifted = xd * kFastStepsPerRadian + 0x1.8p52;  // k in the low bits
  const double kd = shifted - 0x1.8p52;
  const double r = (xd - kd * kFastStep1) - kd * kFastStep23;
  const unsigned k = static_cast<unsigned>(bit_cast<std::uint64_t>(shifted)) +
                     (cosine ? 32u : 0u);
  const FastStep& t = kFastSteps.step[k & 127u];
  // Estrin's scheme: a shorter chain of dependent operations than Horner's.
  const double r2 = r * r;
  const double r4 = r2 * r2;
  const double v = ((t.c0 + r * t.c1) + r2 * (t.c2 + r * t.c3)) + r4 * (t.c4 + r * t.c5);
  if (first_attempt_settled(v)) return static_cast<float>(v);
  return sin_shifted_slow(x, cosine ? 16u : 0u);
}

// ---- atan2 of finite doubles, not both zero.

// atan(t) = atan(i/16) + atan(u), u = (t - i/16) / (1 + t i/16), |u| <= 1/32;
// the odd series to u^11 leaves less than 2^-60 of u.
double atan2_double(double y, double x) noexcept {
  const double ay = std::fabs(y), ax = std::fabs(x);
  const bool swap = ay > ax;
  const double t = swap ? ax / ay : ay / ax;
  const int i = static_cast<int>(t * 16.0 + 0.5);
  const double c = i * 0.0625;
  const double u = (t - c) / (1.0 + t * c);
  const double z = u * u;
  const double p =
      u + u * (z * (-1.0 / 3 + z * (1.0 / 5 + z * (-1.0 / 7 + z * (1.0 / 9 + z * (-1.0 / 11))))));
  double a = kAtanTable[i].hi + (kAtanTable[i].lo + p);
  if (swap) a = (kHalfPi.hi - a) + kHalfPi.lo;
  if (x < 0.0) a = (kPi.hi - a) + kPi.lo;
  return y < 0.0 ? -a : a;
}

constexpr DD inverse_odd(int n) noexcept {
  const DD v = div(DD{1.0, 0.0}, DD{static_cast<double>(2 * n + 1), 0.0});
  return n % 2 == 0 ? v : neg(v);
}
constexpr DD kAtanSeries[5] = {inverse_odd(0), inverse_odd(1), inverse_odd(2), inverse_odd(3),
                               inverse_odd(4)};

constexpr DD abs_dd(DD a) noexcept { return a.hi < 0.0 ? neg(a) : a; }

// The same steps in double-double; terms from u^11 on in double.
constexpr DD atan2_dd(DD y, DD x) noexcept {
  const DD ay = abs_dd(y), ax = abs_dd(x);
  const bool swap = ay.hi > ax.hi;
  const DD t = swap ? div(ax, ay) : div(ay, ax);
  const int i = static_cast<int>(t.hi * 16.0 + 0.5);
  const double c = i * 0.0625;
  const DD u = div(add(t, DD{-c, 0.0}), add(DD{1.0, 0.0}, mul(t, c)));
  const DD z = mul(u, u);
  const double zh = z.hi;
  const double tail = -1.0 / 11 + zh * (1.0 / 13 + zh * (-1.0 / 15 + zh * (1.0 / 17 +
                      zh * (-1.0 / 19 + zh * (1.0 / 21)))));
  DD acc{tail, 0.0};
  for (int n = 4; n >= 0; --n) acc = add(kAtanSeries[n], mul(acc, z));
  DD a = add(kAtanTable[i], mul(u, acc));
  if (swap) a = sub(kHalfPi, a);
  if (x.hi < 0.0) a = sub(kPi, a);
  return y.hi < 0.0 ? neg(a) : a;
}

// ---- acos x = theta_j + asin(sin(acos x - theta_j)) about a tabled angle
// theta_j = atan2(s_j, c_j), where sin(acos x - theta_j) = s c_j - x s_j with
// s = sqrt(1 - x^2): no division. Nodes lie 1/64 apart in x where
// |x| <= 1/sqrt(2), and 1/64 apart in s nearer to 1 and -1, so that
// |acos x - theta_j| <= 0.011 everywhere.

struct AcosNode {
  double c, s, theta;
};

// sqrt for the table, a in [0.48, 1], by Newton's method. The node's angle is
// computed from the stored c and s, so their rounding does not matter.
constexpr double node_sqrt(double a) noexcept {
  double y = 1.0;
  for (int i = 0; i < 8; ++i) y = 0.5 * (y + a / y);
  return y;
}

constexpr int kAcosSpan = 46;  // j = -46..46 by x, and 0..46 by s on either side
constexpr int kAcosMiddle = kAcosSpan;
constexpr int kAcosNearOne = 3 * kAcosSpan + 1;
constexpr int kAcosNearMinusOne = 4 * kAcosSpan + 2;

struct AcosNodeTable {
  AcosNode node[5 * kAcosSpan + 3];
  constexpr AcosNodeTable() : node{} {
    const auto make = [](double c, double s) {
      return AcosNode{c, s, atan2_dd(DD{s, 0.0}, DD{c, 0.0}).hi};
    };
    for (int j = -kAcosSpan; j <= kAcosSpan; ++j) {
      const double c = j / 64.0;
      node[kAcosMiddle + j] = make(c, node_sqrt(1.0 - c * c));
    }
    for (int j = 0; j <= kAcosSpan; ++j) {
      const double s = j / 64.0;
      const double c = node_sqrt(1.0 - s * s);
      node[kAcosNearOne + j] = make(c, s);
      node[kAcosNearMinusOne + j] = make(-c, s);
    }
  }
};
constexpr AcosNodeTable kAcosNodes;

/// offset + round(v), for offset + round(v) in [0, 2^31): one addition
/// leaves it in the low bits.
template <int Offset>
inline std::uint32_t offset_nearest(double v) noexcept {
  return static_cast<std::uint32_t>(bit_cast<std::uint64_t>(v + (0x1.8p52 + Offset)));
}

}  // namespace

float cr_sin(float x) noexcept {
  const std::uint32_t magnitude_bits = bit_cast<std::uint32_t>(x) & 0x7FFFFFFFu;
  if (magnitude_bits - 0x39800000u >= 0x4A000000u - 0x39800000u) {  // not in [2^-12, 2^21)
    // sin x = x - x^3/6 + ..., and x^3/6 is less than half a unit of x's last place.
    if (magnitude_bits < 0x39800000u) return x;
    if (magnitude_bits >= 0x7F800000u) return std::isnan(x) ? quieted(x) : canonical_nan();
    return sin_shifted_slow(x, 0);
  }
  return sin_or_cos(x, false);
}

float cr_cos(float x) noexcept {
  const std::uint32_t magnitude_bits = bit_cast<std::uint32_t>(x) & 0x7FFFFFFFu;
  if (magnitude_bits >= 0x4A000000u) {  // |x| >= 2^21, or not finite
    if (magnitude_bits >= 0x7F800000u) return std::isnan(x) ? quieted(x) : canonical_nan();
    return sin_shifted_slow(x, 16);
  }
  return sin_or_cos(x, true);
}

namespace {

CORVANE_COLD float acos_slow(double x) noexcept {
  const DD s = sqrt_dd(two_sum(1.0, -(x * x)));
  return round_to_float(atan2_dd(s, DD{x, 0.0}));
}

CORVANE_COLD float atan2_slow(double y, double x, double v) noexcept {
  float out;
  if (round_if_decided(v, out)) return out;  // a subnormal float result
  return round_to_float(atan2_dd(DD{y, 0.0}, DD{x, 0.0}));
}

}  // namespace

float cr_acos(float x) noexcept {
  const std::uint32_t bits = bit_cast<std::uint32_t>(x);
  const std::uint32_t magnitude_bits = bits & 0x7FFFFFFFu;
  if (magnitude_bits > 0x3F800000u) return std::isnan(x) ? quieted(x) : canonical_nan();  // |x| > 1
  // x^2 is exact in double, and so is 1 - x^2 where it matters (|x| near 1).
  const double xd = x;
  const double s = std::sqrt(1.0 - xd * xd);
  // The node by x where |x| <= 0.70703125 (0x3F350000), else by s on x's
  // side. (A branch: measured faster than a mask even on unpredictable
  // arguments, since the node by x need not wait for the square root.)
  std::uint32_t j = offset_nearest<kAcosMiddle>(xd * 64.0);
  if (magnitude_bits > 0x3F350000u) {
    j = offset_nearest<kAcosNearOne>(s * 64.0) +
        (bits >> 31) * static_cast<std::uint32_t>(kAcosNearMinusOne - kAcosNearOne);
  }
  const AcosNode& n = kAcosNodes.node[j];
  // w = sin(acos x - theta_j); asin w = w + w^3/6 + 3w^5/40 leaves 5w^7/112,
  // less than 2^-46 of the result.
  const double w = s * n.c - xd * n.s;
  const double z = w * w;
  const double v = n.theta + (w + (w * z) * (1.0 / 6 + z * 0.075));
  if (first_attempt_settled(v)) return static_cast<float>(v);
  return acos_slow(xd);  // also acos 1 = 0
}

float cr_atan2(float y, float x) noexcept {
  const std::uint32_t ay = bit_cast<std::uint32_t>(y) & 0x7FFFFFFFu;
  const std::uint32_t ax = bit_cast<std::uint32_t>(x) & 0x7FFFFFFFu;
  if (ay - 1u >= 0x7F7FFFFFu || ax - 1u >= 0x7F7FFFFFu) {  // a zero, infinity or NaN
    if (std::isnan(y)) return quieted(y);
    if (std::isnan(x)) return quieted(x);
    const float sign = std::signbit(y) ? -1.0f : 1.0f;
    // Rounded pi, pi/2, pi/4 and 3pi/4 (none lies near a float rounding boundary).
    const float pi = static_cast<float>(kPi.hi);
    const float half_pi = static_cast<float>(kHalfPi.hi);
    if (std::isinf(y)) {
      if (std::isinf(x)) return sign * static_cast<float>(x > 0.0f ? kHalfPi.hi / 2 : 3 * kHalfPi.hi / 2);
      return sign * half_pi;
    }
    if (std::isinf(x) || y == 0.0f) {
      // Along the x axis: +0 side gives a signed zero, the -0 side a signed pi.
      return std::signbit(x) ? sign * pi : sign * 0.0f;
    }
    return sign * half_pi;  // x is a zero
  }
  const double v = atan2_double(y, x);
  if (double_settled(v)) return static_cast<float>(v);
  return atan2_slow(y, x, v);
}

float cr_fmod(float x, float y) noexcept {
  if (std::isnan(x)) return quieted(x);
  if (std::isnan(y)) return quieted(y);
  if (std::isinf(x) || y == 0.0f) return canonical_nan();
  const std::uint32_t xbits = bit_cast<std::uint32_t>(x);
  const std::uint32_t ax = xbits & 0x7FFFFFFFu;
  const std::uint32_t ay = bit_cast<std::uint32_t>(y) & 0x7FFFFFFFu;
  if (ax < ay) return x;  // also y infinite
  // |x| = mx * 2^ex and |y| = my * 2^ey with integer significands.
  const auto significand = [](std::uint32_t a) {
    return a < 0x800000u ? a : (a & 0x7FFFFFu) | 0x800000u;
  };
  const auto exponent = [](std::uint32_t a) {
    return a < 0x800000u ? -149 : static_cast<int>(a >> 23) - 150;
  };
  const std::uint32_t my = significand(ay);
  std::uint64_t rest = significand(ax) % my;
  // (mx * 2^(ex - ey)) mod my, 32 bits of the shift at a time.
  for (int left = exponent(ax) - exponent(ay); left > 0;) {
    const int step = left < 32 ? left : 32;
    rest = (rest << step) % my;
    left -= step;
  }
  // rest * 2^ey is exact: rest < my < 2^24 and 2^ey >= 2^-149.
  const int ey = exponent(ay);
  const float scale = bit_cast<float>(ey >= -126 ? static_cast<std::uint32_t>(ey + 127) << 23
                                                 : 1u << (ey + 149));
  const float magnitude = static_cast<float>(rest) * scale;
  return bit_cast<float>(bit_cast<std::uint32_t>(magnitude) | (xbits & 0x80000000u));
}

float cr_sqrt(float x) noexcept {
  if (x < 0.0f) return canonical_nan();
  return std::sqrt(x);
}

}  // namespace corvane::detail
