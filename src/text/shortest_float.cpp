// The shortest digits come from Schubfach: Raffaello Giulietti, "The
// Schubfach way to render doubles" (2020), with its binary32 parameters. The
// float and the two ends of the interval of decimals that read back to it are
// scaled by 10^-k (k = floor(q * log10 2) for a float c * 2^q) to four times
// their value, each rounded to odd by one 64-bit multiplication; then only
// two candidates can be the answer at each of two lengths, the multiples of
// 10 around the float and the integers around it, and a few comparisons pick
// the shortest, nearest the float, ties to even. The digits are those of every
// other correct shortest writer (std::to_chars gives the same).
#include "text/shortest_float.hpp"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "corvane/detail/bit_cast.hpp"
#include "text/decimal_digits.hpp"

namespace corvane::detail {
namespace {

// ---- the table, computed at compile time ---------------------------------

// floor(e * log10 2), floor(log10(3/4 * 2^e)) and floor(e * log2 10), exact
// for the exponents of binary32.
constexpr int log10_pow2(int e) noexcept {
  return static_cast<int>((std::int64_t{e} * 661971961083) >> 41);
}
constexpr int log10_three_quarters_pow2(int e) noexcept {
  return static_cast<int>((std::int64_t{e} * 661971961083 - 274743187321) >> 41);
}
constexpr int log2_pow10(int e) noexcept {
  return static_cast<int>((std::int64_t{e} * 913124641741) >> 38);
}

// The float is c * 2^q with q from -149 to 104, so k = floor(q * log10 2)
// (or the three-quarters form, at the bottom of a binade) runs over these.
constexpr int kMinK = -45;
constexpr int kMaxK = 31;

// Unsigned integers of up to 256 bits, enough for 10^45 and for 2^(62 + 104)
// divided by 10^31, with the few operations the table needs.
struct Big {
  std::array<std::uint32_t, 8> words{};

  constexpr void times(std::uint32_t factor) noexcept {
    std::uint64_t carry = 0;
    for (std::uint32_t& w : words) {
      const std::uint64_t product = std::uint64_t{w} * factor + carry;
      w = static_cast<std::uint32_t>(product);
      carry = product >> 32;
    }
  }
  constexpr void doubled_plus(std::uint32_t bit) noexcept {
    for (std::uint32_t& w : words) {
      const std::uint32_t top = w >> 31;
      w = (w << 1) | bit;
      bit = top;
    }
  }
  [[nodiscard]] constexpr bool at_least(const Big& other) const noexcept {
    for (std::size_t i = words.size(); i-- > 0;) {
      if (words[i] != other.words[i]) return words[i] > other.words[i];
    }
    return true;
  }
  constexpr void subtract(const Big& other) noexcept {
    std::uint64_t borrow = 0;
    for (std::size_t i = 0; i < words.size(); ++i) {
      const std::uint64_t difference = std::uint64_t{words[i]} - other.words[i] - borrow;
      words[i] = static_cast<std::uint32_t>(difference);
      borrow = (difference >> 32) & 1u;
    }
  }
  [[nodiscard]] constexpr int bit_length() const noexcept {
    for (std::size_t i = words.size(); i-- > 0;) {
      if (words[i] != 0) return static_cast<int>(32 * i) + 32 - std::countl_zero(words[i]);
    }
    return 0;
  }
  [[nodiscard]] constexpr bool bit(int i) const noexcept {
    return ((words[static_cast<std::size_t>(i / 32)] >> (i % 32)) & 1u) != 0;
  }
};

constexpr Big power_of_10(int e) noexcept {
  Big p;
  p.words[0] = 1;
  for (int i = 0; i < e; ++i) p.times(10);
  return p;
}

// g(k) = floor(10^-k * 2^(62 - floor(log2 10^-k))) + 1, in [2^62, 2^63]: the
// scale by 10^-k to 63 bits, rounded up.
constexpr auto kScales = [] {
  std::array<std::uint64_t, kMaxK - kMinK + 1> table{};
  for (int k = kMinK; k <= kMaxK; ++k) {
    std::uint64_t g = 0;
    if (k <= 0) {
      // 10^-k is an integer: its top 63 bits.
      const Big p = power_of_10(-k);
      const int length = p.bit_length();
      for (int bit = length - 1; bit >= length - 63; --bit) g = (g << 1) | (bit >= 0 && p.bit(bit));
    } else {
      // 2^(62 + length of 10^k) / 10^k by binary long division.
      const Big divisor = power_of_10(k);
      const int top = 62 + divisor.bit_length();
      Big remainder;
      for (int bit = top; bit >= 0; --bit) {
        remainder.doubled_plus(bit == top ? 1u : 0u);
        g <<= 1;
        if (remainder.at_least(divisor)) {
          remainder.subtract(divisor);
          g |= 1u;
        }
      }
    }
    table[static_cast<std::size_t>(k - kMinK)] = g + 1;
  }
  return table;
}();
static_assert(kScales[0 - kMinK] == (std::uint64_t{1} << 62) + 1);
static_assert(log2_pow10(45) == power_of_10(45).bit_length() - 1);
static_assert(log2_pow10(-31) == -power_of_10(31).bit_length());

// ---- the digits -----------------------------------------------------------

// The high 64 bits of a 128-bit product.
constexpr std::uint64_t multiply_high(std::uint64_t a, std::uint64_t b) noexcept {
#if defined(__SIZEOF_INT128__)
  __extension__ using Wide = unsigned __int128;  // a compiler extension; -Wpedantic says so
  return static_cast<std::uint64_t>((static_cast<Wide>(a) * b) >> 64);
#else
  const std::uint64_t a_low = a & 0xFFFFFFFFu, a_high = a >> 32;
  const std::uint64_t b_low = b & 0xFFFFFFFFu, b_high = b >> 32;
  const std::uint64_t low_low = a_low * b_low;
  const std::uint64_t high_low = a_high * b_low;
  const std::uint64_t low_high = a_low * b_high;
  const std::uint64_t middle = (low_low >> 32) + (high_low & 0xFFFFFFFFu) + (low_high & 0xFFFFFFFFu);
  return a_high * b_high + (high_low >> 32) + (low_high >> 32) + (middle >> 32);
#endif
}

// g * cp / 2^95, rounded to odd: the integer part with its lowest bit set
// when anything was cut off.
constexpr std::uint32_t scaled_to_odd(std::uint64_t g, std::uint64_t cp) noexcept {
  const std::uint64_t product = multiply_high(g, cp);
  return static_cast<std::uint32_t>((product >> 31) | (((product & 0xFFFFFFFFu) + 0xFFFFFFFFu) >> 32));
}

// digits * 10^exponent: up to nine digits, trailing zeros included (the
// writer drops them).
struct Decimal {
  std::uint32_t digits;
  int exponent;
};

// The shortest decimal that reads back to c * 2^q (c below 2^24, not 0).
Decimal shortest_of(int q, std::uint32_t c) noexcept {
  constexpr std::uint32_t kBinadeBottom = std::uint32_t{1} << 23;
  constexpr int kMinQ = -149;
  // Round-to-even reading: the interval's ends belong to it when c is even.
  const std::uint32_t open = c & 1u;
  const std::uint64_t cb = std::uint64_t{c} << 2;
  const std::uint64_t cb_right = cb + 2;
  std::uint64_t cb_left = cb - 2;
  int k = 0;
  if (c != kBinadeBottom || q == kMinQ) {
    k = log10_pow2(q);
  } else {
    // The gap below a power of two is half the one above.
    cb_left = cb - 1;
    k = log10_three_quarters_pow2(q);
  }
  const int h = q + log2_pow10(-k) + 33;  // so that cb << h stays below 2^60
  const std::uint64_t g = kScales[static_cast<std::size_t>(k - kMinK)];
  const std::uint32_t v = scaled_to_odd(g, cb << h);
  const std::uint32_t left = scaled_to_odd(g, cb_left << h);
  const std::uint32_t right = scaled_to_odd(g, cb_right << h);

  // Every candidate is worked out and one selected, without branches: which
  // one it is depends on the float's last bits, so a branch would guess
  // wrong often. The integers around the float: the one in the interval, or
  // when both are, the nearer, ties to even.
  const std::uint32_t s = v >> 2;
  const std::uint32_t t = s + 1;
  const bool s_in = left + open <= s << 2;
  const bool t_in = (t << 2) + open <= right;
  const auto against_middle = static_cast<std::int64_t>(v) - 2 * (std::int64_t{s} + t);
  const bool s_nearer = against_middle < 0 || (against_middle == 0 && (s & 1u) == 0);
  const std::uint32_t integer = s_in && (!t_in || s_nearer) ? s : t;
  // One digit shorter, when exactly one multiple of 10 around the float lies
  // in the interval (at most one can). Java's writer, which the paper
  // describes, keeps two digits at least and tries this from 100 only; the
  // shortest text may have one.
  const std::uint32_t s10 = s / 10 * 10;
  const std::uint32_t t10 = s10 + 10;
  const bool s10_in = left + open <= s10 << 2;
  const bool t10_in = (t10 << 2) + open <= right;
  const std::uint32_t shorter = s10_in ? s10 : t10;
  return {s >= 10 && s10_in != t10_in ? shorter : integer, k};
}

// The shortest decimal that reads back to the positive finite float `bits`,
// nearest the float's value among those, ties to an even last digit.
Decimal shortest_decimal(std::uint32_t bits) noexcept {
  const std::uint32_t fraction = bits & 0x7FFFFFu;
  const std::uint32_t biased_exponent = bits >> 23;
  if (biased_exponent == 0) return shortest_of(-149, fraction);
  const std::uint32_t c = fraction | 0x800000u;
  const int shift = 150 - static_cast<int>(biased_exponent);
  // Integers below 2^24 are their own shortest digits.
  if (shift > 0 && shift < 24 && (c & ((1u << shift) - 1u)) == 0) return {c >> shift, 0};
  return shortest_of(-shift, c);
}

}  // namespace

char* write_shortest_float(char* out, float value) noexcept {
  const std::uint32_t bits = bit_cast<std::uint32_t>(value);
  const std::uint32_t magnitude = bits & 0x7FFFFFFFu;
  if (magnitude - 1u >= 0x7F7FFFFFu) [[unlikely]] {
    // 0, infinities and NaNs.
    if (magnitude > 0x7F800000u) {
      std::memcpy(out, "NaN", 3);
      return out + 3;
    }
    *out = '-';
    out += bits >> 31;
    std::memcpy(out, magnitude == 0 ? "0.0" : "inf", 3);
    return out + 3;
  }
  *out = '-';
  out += bits >> 31;

  // The shortest digits d1 d2 ... dn, worth d1.d2...dn * 10^exponent, as
  // sixteen characters in two words, first character lowest, zeros after
  // the digits: the placements below store whole words and keep what they
  // need (`out` has room for kMaxShortestFloatChars). The digits are moved
  // up to fill nine places, so that the last eight are one word whose high
  // zero characters count the trailing zeros, which are not written.
  const Decimal decimal = shortest_decimal(magnitude);
  const auto length = static_cast<int>(decimal_length(decimal.digits));  // 1 to 9
  const auto aligned =
      static_cast<std::uint32_t>(decimal.digits * kPowersOf10[static_cast<std::size_t>(9 - length)]);
  const std::uint32_t first = aligned / 100000000u;
  const std::uint64_t rest = eight_digits(aligned - first * 100000000u);
  constexpr std::uint64_t kZeros = 0x3030303030303030u;
  const int count = 9 - std::countl_zero(rest ^ kZeros) / 8;  // 1 to 9
  const std::uint64_t low = ('0' + first) | rest << 8;
  const std::uint64_t high = (kZeros << 8) | rest >> 56;
  // The eight characters from character i (1 to 8).
  const auto from = [&](int i) { return i == 8 ? high : low >> (8 * i) | high << (64 - 8 * i); };
  const int exponent = decimal.exponent + length - 1;

  // Exponent form from 1e16 up and below 1e-4: the shortest digits are on
  // the same side of each as the float, which each power reads back to.
  if (exponent >= 16 || exponent < -4) {
    *out = static_cast<char>(low);
    if (count > 1) {
      out[1] = '.';
      store_bytes_low_first(out + 2, from(1));
      out += count + 1;
    } else {
      ++out;
    }
    *out++ = 'e';
    if (exponent < 0) *out++ = '-';
    const int power = exponent < 0 ? -exponent : exponent;  // at most 45
    if (power >= 10) {
      std::memcpy(out, kDigitPairs.data() + 2 * power, 2);
      return out + 2;
    }
    *out = static_cast<char>('0' + power);
    return out + 1;
  }
  if (exponent < 0) {
    // 0.000ddd: at most three zeros after the point.
    std::memcpy(out, "0.000000", 8);
    const int zeros = -exponent - 1;
    store_bytes_low_first(out + 2 + zeros, low);
    store_bytes_low_first(out + 10 + zeros, high);
    return out + 2 + zeros + count;
  }
  const int integer_digits = exponent + 1;  // 1 to 16
  store_bytes_low_first(out, low);
  store_bytes_low_first(out + 8, high);
  if (count > integer_digits) {
    out[integer_digits] = '.';
    store_bytes_low_first(out + integer_digits + 1, from(integer_digits));
    return out + count + 1;
  }
  out[integer_digits] = '.';
  out[integer_digits + 1] = '0';
  return out + integer_digits + 2;
}

}  // namespace corvane::detail
