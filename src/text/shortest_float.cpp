// The shortest digits come from Dragonbox: Junekey Jeon, "Dragonbox: A New
// Floating-Point Binary-to-Decimal Conversion Algorithm" (2020), with its
// binary32 parameters (kappa = 1, a 64-bit table). The float's interval of
// decimals that read back to it is scaled by a power of 10 so that it holds
// one or two multiples of 10; one multiplication by the table's entry gives
// its upper end, and the answer is the multiple of 100 below that end when
// it lies inside, else the multiple of 10 nearest the float, ties to even.
// The digits are those of every other correct shortest writer
// (std::to_chars gives the same).
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

// Unsigned integers of up to 256 bits, enough for 10^46 and for 2^(63 + 103)
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

// The powers 10^k by which the floats c * 2^e are scaled: k = 1 - floor(e *
// log10 2), or -floor(log10(3/4 * 2^e)) at the bottom of a binade.
constexpr int kMinCacheK = -31;
constexpr int kMaxCacheK = 46;

// phi(k) = ceil(10^k * 2^(63 - floor(log2 10^k))), in [2^63, 2^64): 10^k to
// 64 bits, rounded up.
constexpr auto kCache = [] {
  std::array<std::uint64_t, kMaxCacheK - kMinCacheK + 1> table{};
  for (int k = kMinCacheK; k <= kMaxCacheK; ++k) {
    std::uint64_t phi = 0;
    if (k >= 0) {
      // 10^k is an integer: its top 64 bits, plus one when any bit below is set.
      const Big p = power_of_10(k);
      const int length = p.bit_length();
      bool below = false;
      for (int bit = length - 1; bit >= 0; --bit) {
        if (bit >= length - 64) {
          phi = (phi << 1) | (p.bit(bit) ? 1u : 0u);
        } else {
          below = below || p.bit(bit);
        }
      }
      if (length < 64) phi <<= 64 - length;
      phi += below ? 1u : 0u;
    } else {
      // 2^(63 + length of 10^-k) / 10^-k by binary long division, rounded up
      // (10^-k divides no power of two).
      const Big divisor = power_of_10(-k);
      const int top = 63 + divisor.bit_length();
      Big remainder;
      for (int bit = top; bit >= 0; --bit) {
        remainder.doubled_plus(bit == top ? 1u : 0u);
        phi <<= 1;
        if (remainder.at_least(divisor)) {
          remainder.subtract(divisor);
          phi |= 1u;
        }
      }
      phi += 1;
    }
    table[static_cast<std::size_t>(k - kMinCacheK)] = phi;
  }
  return table;
}();
static_assert(kCache[0 - kMinCacheK] == std::uint64_t{1} << 63);
static_assert(kCache[1 - kMinCacheK] == std::uint64_t{0xA} << 60);
static_assert(log2_pow10(kMaxCacheK) == power_of_10(kMaxCacheK).bit_length() - 1);
static_assert(log2_pow10(kMinCacheK) == -power_of_10(-kMinCacheK).bit_length());

// ---- the digits -----------------------------------------------------------

// digits * 10^exponent: up to nine digits, trailing zeros included (the
// writer drops them).
struct Decimal {
  std::uint32_t digits;
  int exponent;
};

// The upper 64 bits of the 96-bit product of x and y.
constexpr std::uint64_t upper_64_of_96(std::uint32_t x, std::uint64_t y) noexcept {
  return std::uint64_t{x} * (y >> 32) + (std::uint64_t{x} * (y & 0xFFFFFFFFu) >> 32);
}

// For two_f * 2^(e-1) * 10^k, scaled by the table entry of 10^k and 2^beta:
// the lowest bit of its integer part, and whether it is an integer.
struct Parity {
  bool parity;
  bool integer;
};
constexpr Parity parity_of(std::uint32_t two_f, std::uint64_t cache, int beta) noexcept {
  const std::uint64_t low = two_f * cache;
  return {((low >> (64 - beta)) & 1u) != 0, static_cast<std::uint32_t>(low >> (32 - beta)) == 0};
}

// The shortest decimal of c * 2^e (two_fc = 2c) when the interval reaches as
// far down as up. Its ends belong to it when c is even (round-to-even reading).
[[gnu::always_inline]] inline Decimal nearest_shortest(int e, std::uint32_t two_fc) noexcept {
  const bool closed = (two_fc & 2u) == 0;
  const int minus_k = log10_pow2(e) - 1;
  const std::uint64_t cache = kCache[static_cast<std::size_t>(-minus_k - kMinCacheK)];
  const int beta = e + log2_pow10(-minus_k);  // 3 to 6

  // The interval's half-width and its upper end z = (2c + 1) * 2^(e-1) * 10^k,
  // scaled: each is the top of a product with the table's entry.
  const auto delta = static_cast<std::uint32_t>(cache >> (63 - beta));
  const std::uint64_t z_product = upper_64_of_96(static_cast<std::uint32_t>((two_fc | 1u) << beta), cache);
  const auto z = static_cast<std::uint32_t>(z_product >> 32);
  const bool z_integer = static_cast<std::uint32_t>(z_product) == 0;

  std::uint32_t significand = z / 100;
  std::uint32_t r = z - 100 * significand;
  if (r < delta) {
    // The multiple of 100 below z is inside, unless it is z itself, an
    // excluded end.
    if (r != 0 || !z_integer || closed) return {significand, minus_k + 2};
    --significand;
    r = 100;
  } else if (r == delta) {
    // On the lower end, as far as the integer parts tell: the fractions
    // decide whether the multiple lies inside.
    const auto [parity, integer] = parity_of(two_fc - 1, cache, beta);
    if (parity || (integer && closed)) return {significand, minus_k + 2};
  }

  // No multiple of 100 inside: the multiple of 10 nearest the float, which
  // the remainder places within one; the float's own parity settles it when
  // the estimate is a tie or one too high. Ties go to even.
  significand *= 10;
  const std::uint32_t dist = r - delta / 2 + 5;
  const bool approx_y_parity = ((dist ^ 5u) & 1u) != 0;
  const std::uint32_t tenths = dist / 10;
  significand += tenths;
  if (tenths * 10 == dist) {
    const auto [parity, integer] = parity_of(two_fc, cache, beta);
    if (parity != approx_y_parity || (integer && (significand & 1u) != 0)) --significand;
  }
  return {significand, minus_k + 1};
}

// The shortest decimal of 2^23 * 2^e, at the bottom of a binade (not 2^-126,
// whose gaps below and above are equal), where the interval reaches half as
// far down as up. Its ends, scaled, come straight from the table's entry;
// the multiple of 10 between them when there is one, else the integer
// nearest the float.
Decimal binade_bottom_shortest(int e) noexcept {
  const int minus_k = log10_three_quarters_pow2(e);
  const std::uint64_t cache = kCache[static_cast<std::size_t>(-minus_k - kMinCacheK)];
  const int beta = e + log2_pow10(-minus_k);
  const int shift = 40 - beta;
  std::uint64_t xi = (cache - (cache >> 25)) >> shift;
  const std::uint64_t zi = (cache + (cache >> 24)) >> shift;
  // The lower end is an integer only for e of 2 and 3; it belongs to the
  // interval (c is even), so a fraction rounds it up.
  if (e < 2 || e > 3) ++xi;
  const std::uint64_t tens = zi / 10;
  if (tens * 10 >= xi) return {static_cast<std::uint32_t>(tens * 10), minus_k};
  auto nearest = static_cast<std::uint32_t>(((cache >> (shift - 1)) + 1) / 2);
  // A tie between two integers happens at e = -35 only: to even.
  if (e == -35 && (nearest & 1u) != 0) {
    --nearest;
  } else if (nearest < xi) {
    ++nearest;
  }
  return {nearest, minus_k};
}

// The shortest decimal that reads back to the positive finite float `bits`,
// nearest the float's value among those, ties to an even last digit.
Decimal shortest_decimal(std::uint32_t bits) noexcept {
  const std::uint32_t fraction = bits & 0x7FFFFFu;
  const std::uint32_t biased_exponent = bits >> 23;
  if (biased_exponent == 0) return nearest_shortest(-149, fraction << 1);
  const std::uint32_t c = fraction | 0x800000u;
  const int shift = 150 - static_cast<int>(biased_exponent);
  // Integers below 2^24 are their own shortest digits.
  if (shift > 0 && shift < 24 && (c & ((1u << shift) - 1u)) == 0) return {c >> shift, 0};
  if (fraction == 0 && biased_exponent > 1) return binade_bottom_shortest(-shift);
  return nearest_shortest(-shift, c << 1);
}

}  // namespace

// The writers run once per value in bulk, so they are marked hot: the compiler
// gathers hot functions together, where the code of a loop over values stays
// in the instruction cache.
[[gnu::hot]]
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

namespace corvane::detail {
namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101u;
constexpr std::uint64_t kHighs = kOnes * 0x80;

// Whether a byte of `word` lies outside '-' to '9' (the lowest such byte is
// always found; borrows and carries only add bytes above it).
constexpr bool outside_minus_to_nine(std::uint64_t word) noexcept {
  return (((word - kOnes * '-') | (word + kOnes * (0x7F - '9')) | word) & kHighs) != 0;
}

// The high bit of the lowest zero byte of `word` (and maybe of bytes above
// it), or 0 when it has none.
constexpr std::uint64_t zero_bytes(std::uint64_t word) noexcept {
  return (word - kOnes) & ~word & kHighs;
}

// The text's characters as two words, the first character lowest: for 8 to
// 16 characters its first eight and its last eight (which overlap), for 1 to
// 7 all of them in one word (both), with '0' above them. False for other
// lengths. Only the text's own bytes are read.
[[gnu::always_inline]] inline bool load_text_words(std::string_view text, std::uint64_t& head,
                                                   std::uint64_t& tail) noexcept {
  const std::size_t n = text.size();
  if (n - 1 > 15) return false;
  const char* const p = text.data();
  if (n >= 8) {
    head = load_bytes_low_first(p);
    tail = load_bytes_low_first(p + n - 8);
    return true;
  }
  std::uint64_t chars = 0;
  if (n >= 4) {
    // Two halves that overlap.
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    std::memcpy(&first, p, 4);
    std::memcpy(&last, p + n - 4, 4);
    if constexpr (std::endian::native == std::endian::big) {
      first = __builtin_bswap32(first);
      last = __builtin_bswap32(last);
    }
    chars = first | std::uint64_t{last} << (8 * (n - 4));
  } else {
    // The first, middle and last characters are all of them.
    const auto byte = [&](std::size_t i) {
      return std::uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
    };
    chars = byte(0) | byte(n / 2) | byte(n - 1);
  }
  head = chars | (kOnes * '0') << (8 * n);
  tail = head;
  return true;
}

// Whether `text` (whose characters are `head` and `tail`, as load_text_words
// gives them) is the writer's text of `value`, the float it reads as.
[[gnu::always_inline]] inline bool is_writer_text(std::string_view text, std::uint64_t head,
                                                  std::uint64_t tail, float value) noexcept {
  const std::uint32_t bits = bit_cast<std::uint32_t>(value);
  const std::uint32_t magnitude = bits & 0x7FFFFFFFu;
  if (magnitude - 1u >= 0x7F7FFFFFu) return false;  // 0, infinities and NaNs
  const char* at = text.data();
  const char* const end = at + text.size();
  if ((*at == '-') != (bits >> 31 != 0)) return false;
  at += bits >> 31;

  // The writer's fixed form, for a first digit from 10^-4 to 10^15: digits,
  // a point, digits; no leading zero but the one of "0.", at most three zeros
  // after "0.", at most nine significant digits (the shortest never has
  // more), and a last digit of 0 only in "d.0". Only the place of the last
  // significant digit matters below, not the digits' value. The text is a
  // number text, so when each character lies from '-' to '9' it is a sign,
  // digits and at most one point.
  if (outside_minus_to_nine(head) || outside_minus_to_nine(tail)) return false;
  const char* point = nullptr;
  if (const std::uint64_t dot = zero_bytes(head ^ kOnes * '.'); dot != 0) {
    point = text.data() + std::countr_zero(dot) / 8;
  } else if (const std::uint64_t tail_dot = zero_bytes(tail ^ kOnes * '.'); tail_dot != 0) {
    point = end - 8 + std::countr_zero(tail_dot) / 8;
  } else {
    return false;
  }
  const auto integer_digits = point - at;
  const auto fraction_digits = end - point - 1;
  if (integer_digits == 0 || fraction_digits == 0) return false;
  const bool below_one = *at == '0';
  if (below_one && integer_digits != 1) return false;
  int exponent = 0;  // of the last significant digit
  if (fraction_digits == 1 && point[1] == '0' && !below_one) {
    // "d.0": the integer's digits, up to their trailing zeros.
    const char* nonzero = point - 1;
    while (*nonzero == '0') --nonzero;
    exponent = static_cast<int>(point - 1 - nonzero);
    // More than nine significant digits, or 1e16 and up (the exponent form).
    if (nonzero - at >= 9 || integer_digits > 16) return false;
  } else {
    if (end[-1] == '0') return false;
    exponent = static_cast<int>(-fraction_digits);
    if (below_one) {
      const char* first = point + 1;
      while (*first == '0') ++first;
      if (first - point > 4 || end - first > 9) return false;  // below 1e-4: the exponent form
    } else if (integer_digits + fraction_digits > 9) {
      return false;
    }
  }

  // The text is a decimal that reads as `value`. When 10^exponent exceeds
  // the gap above the float, which no interval of decimals reading as it is
  // wider than, no other decimal with as few digits reads as it: the text is
  // the shortest, and so the writer's.
  const std::uint32_t biased_exponent = magnitude >> 23;
  const int gap_exponent = biased_exponent == 0 ? -149 : static_cast<int>(biased_exponent) - 150;
  return exponent > log10_pow2(gap_exponent);
}

// The same for texts of 17 to kMaxShortestFloatChars characters (the
// writer's "-1234567900000000.0"): three words.
bool is_long_writer_text(std::string_view text, float value) noexcept {
  if (text.size() <= 16 || text.size() > kMaxShortestFloatChars) return false;
  const std::uint64_t middle = load_bytes_low_first(text.data() + 8);
  if (outside_minus_to_nine(middle)) return false;
  return is_writer_text(text, load_bytes_low_first(text.data()),
                        load_bytes_low_first(text.data() + text.size() - 8), value);
}

}  // namespace

[[gnu::hot]]
bool is_shortest_float_text(std::string_view text, float value) noexcept {
  std::uint64_t head = 0;
  std::uint64_t tail = 0;
  if (load_text_words(text, head, tail)) return is_writer_text(text, head, tail, value);
  return is_long_writer_text(text, value);
}

[[gnu::hot]]
char* write_shortest_float(char* out, float value, std::string_view read_from) noexcept {
  std::uint64_t head = 0;
  std::uint64_t tail = 0;
  const std::size_t n = read_from.size();
  if (load_text_words(read_from, head, tail)) {
    if (is_writer_text(read_from, head, tail, value)) {
      // The words hold the text; `out` has room for a word past its end.
      store_bytes_low_first(out, head);
      if (n > 8) store_bytes_low_first(out + n - 8, tail);
      return out + n;
    }
  } else if (is_long_writer_text(read_from, value)) {
    std::memcpy(out, read_from.data(), n);
    return out + n;
  }
  return write_shortest_float(out, value);
}

}  // namespace corvane::detail
