#include "corvane/bake_fingerprint.hpp"

#include <bit>
#include <ostream>
#include <string_view>

namespace corvane {
namespace {

constexpr std::uint32_t kSignBit = 0x8000'0000u;
constexpr std::uint32_t kInfinityBits = 0x7F80'0000u;
constexpr std::uint32_t kCanonicalNanBits = 0x7FC0'0000u;
constexpr std::uint32_t kSixteenBits = 0x4180'0000u;  // 16.0f

// SixDp is defined as "print with six decimals, parse back to the nearest
// float". Formatting and parsing cost ~50 ns; the same result follows from
// two exact steps on integers and one double product:
//
// 1. |v| = m * 2^-k with a 24-bit integer m. Below 16, k >= 20, so
//    n = round_half_even(m * 10^6 / 2^k) is an exact integer shift of a
//    product below 2^44: n is the six-decimal text read as an integer.
// 2. The answer is the float nearest to x = n / 10^6, with 1 <= n <= 1.6e7.
//    If 5^6 divides n, x = j / 64 with j <= 1024, an exact float. Otherwise
//    x is not a dyadic rational and differs from every float midpoint M/2^g
//    (M < 2^25 odd) by |n*2^g - M*10^6| / (10^6 * 2^g) >= 1 / (10^6 * 2^g),
//    a relative gap above 2^-45. The double product n * 1e-6 is within
//    2^-52 (relative) of x, so it lies on the same side of every midpoint
//    as x and rounds to the same float. Exhaustively checked against the
//    text definition over all 2^32 inputs.
//
// At 16 and above the float spacing (>= 2^-19) exceeds twice the largest
// rounding step (5e-7), so the text reads back as the input itself.
std::uint32_t six_dp_bits(std::uint32_t bits) noexcept {
  const std::uint32_t magnitude = bits & ~kSignBit;
  if (magnitude >= kSixteenBits) {
    return magnitude > kInfinityBits ? kCanonicalNanBits : bits;
  }
  if (magnitude == 0) return 0;  // the zero merge comes first: -0 -> +0
  const std::uint32_t sign = bits & kSignBit;

  const std::uint32_t biased_exponent = magnitude >> 23;
  const std::uint64_t significand =
      (magnitude & 0x7F'FFFFu) | (biased_exponent != 0 ? 0x80'0000u : 0u);
  // |v| = significand * 2^-k; subnormals share the exponent of the smallest normal.
  const std::uint32_t k = 150u - (biased_exponent != 0 ? biased_exponent : 1u);
  // Beyond 2^-40 the scaled value is far below one half: the text is
  // "0.000000" or "-0.000000". This also keeps the shifts below 64.
  if (k >= 64) return sign;

  const std::uint64_t scaled = significand * 1'000'000u;  // < 2^44, exact
  const std::uint64_t half_minus_one = (std::uint64_t{1} << (k - 1)) - 1;
  const std::uint64_t odd = (scaled >> k) & 1u;
  // Round half to even: a tie rounds up only when the truncated quotient is odd.
  const std::uint64_t n = (scaled + half_minus_one + odd) >> k;
  if (n == 0) return sign;  // "-0.000000" parses to -0

  const double x = static_cast<double>(n) * 1e-6;
  return std::bit_cast<std::uint32_t>(static_cast<float>(x)) | sign;
}

constexpr std::string_view canon_name(FloatCanon canon) noexcept {
  switch (canon) {
    case FloatCanon::SixDp: return "SixDp";
    case FloatCanon::Lossless: return "Lossless";
  }
  return {};
}

}  // namespace

std::uint32_t fingerprint_f32_bits(float v, FloatCanon canon) noexcept {
  const auto bits = std::bit_cast<std::uint32_t>(v);
  if (canon == FloatCanon::Lossless) return bits == kSignBit ? 0u : bits;
  return six_dp_bits(bits);
}

std::uint32_t wire_f32_bits(float v) noexcept {
  return six_dp_bits(std::bit_cast<std::uint32_t>(v));
}

std::ostream& operator<<(std::ostream& os, FloatCanon canon) {
  const std::string_view name = canon_name(canon);
  if (name.empty()) {
    const std::string number = std::to_string(static_cast<unsigned>(canon));
    return os.write(number.data(), static_cast<std::streamsize>(number.size()));
  }
  return os.write(name.data(), static_cast<std::streamsize>(name.size()));
}

std::string debug_string(FloatCanon canon) {
  const std::string_view name = canon_name(canon);
  if (name.empty()) return std::to_string(static_cast<unsigned>(canon));
  return std::string(name);
}

}  // namespace corvane
