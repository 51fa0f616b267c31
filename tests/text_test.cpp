#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "float_text_reference.hpp"
#include "text/decimal_digits.hpp"
#include "text/decimal_to_float.hpp"
#include "text/hex.hpp"
#include "text/shortest_float.hpp"
#include "text/stack_text.hpp"

namespace corvane::detail {
namespace {

std::string shortest(float v) {
  char buffer[kMaxShortestFloatChars];
  return {buffer, write_shortest_float(buffer, v)};
}

float from_bits(std::uint32_t bits) { return std::bit_cast<float>(bits); }

TEST(ShortestFloat, Examples) {
  EXPECT_EQ(shortest(1.0f), "1.0");
  EXPECT_EQ(shortest(-2.5f), "-2.5");
  EXPECT_EQ(shortest(0.0f), "0.0");
  EXPECT_EQ(shortest(-0.0f), "-0.0");
  EXPECT_EQ(shortest(7.1f), "7.1");
  EXPECT_EQ(shortest(84.0f), "84.0");
  EXPECT_EQ(shortest(-33.550003f), "-33.550003");
  EXPECT_EQ(shortest(72.75f), "72.75");
  EXPECT_EQ(shortest(1e-5f), "1e-5");
  EXPECT_EQ(shortest(-1.5e-7f), "-1.5e-7");
  EXPECT_EQ(shortest(2.5e16f), "2.5e16");
  EXPECT_EQ(shortest(std::numeric_limits<float>::max()), "3.4028235e38");
  EXPECT_EQ(shortest(std::numeric_limits<float>::denorm_min()), "1e-45");
  EXPECT_EQ(shortest(std::numeric_limits<float>::infinity()), "inf");
  EXPECT_EQ(shortest(-std::numeric_limits<float>::infinity()), "-inf");
  EXPECT_EQ(shortest(std::numeric_limits<float>::quiet_NaN()), "NaN");
  EXPECT_EQ(shortest(from_bits(0xFFC00001u)), "NaN");  // sign and payload do not show
}

TEST(ShortestFloat, ExponentFormBoundaries) {
  // 1e16 and above, and non-zero magnitudes below 1e-4, use the exponent form.
  EXPECT_EQ(shortest(1e16f), "1e16");
  EXPECT_EQ(shortest(std::nextafter(1e16f, 0.0f)), "9999999000000000.0");
  EXPECT_EQ(shortest(7212154500000.0f), "7212154500000.0");  // not every exact integer digit
  EXPECT_EQ(shortest(1e-4f), "0.0001");
  EXPECT_EQ(shortest(std::nextafter(1e-4f, 0.0f)), "9.999999e-5");
  EXPECT_EQ(shortest(0.00012345f), "0.00012345");
  EXPECT_EQ(shortest(123456.79f), "123456.79");
}

// Every finite pattern of a pseudo-random sample reads back to the same bits,
// uses the layout rules, and has no shorter decimal that also reads back.
TEST(ShortestFloat, RoundTripsAndIsShortestOnRandomPatterns) {
  std::uint32_t state = 2463534242u;
  for (int i = 0; i < 300'000; ++i) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    const float v = from_bits(state);
    if (!std::isfinite(v)) continue;
    const std::string text = shortest(v);
    ASSERT_LE(text.size(), kMaxShortestFloatChars) << text;

    // Read back by the C library's correctly rounded strtof ("C" locale).
    char* end = nullptr;
    const float back = std::strtof(text.c_str(), &end);
    ASSERT_EQ(end, text.c_str() + text.size()) << text;
    ASSERT_EQ(std::bit_cast<std::uint32_t>(back), state) << text;

    const float magnitude = std::fabs(v);
    const bool exponent_form = magnitude >= 1e16f || (magnitude != 0.0f && magnitude < 1e-4f);
    ASSERT_EQ(text.find('e') != std::string::npos, exponent_form) << text;
    if (!exponent_form) {
      const auto point = text.find('.');
      ASSERT_NE(point, std::string::npos) << text;
      ASSERT_LT(point + 1, text.size()) << text;
    }

    // Count significant digits and check that one fewer never round-trips,
    // using the C library's correctly rounded %.*e as the reference.
    int significant = 0;
    bool leading = true;
    for (char c : text.substr(0, text.find('e'))) {
      if (c < '0' || c > '9') continue;
      if (leading && c == '0') continue;
      leading = false;
      ++significant;
    }
    // Trailing zeros of the plain form (".0" or integer padding) are not significant.
    if (!exponent_form) {
      std::string digits;
      for (char c : text) {
        if (c >= '0' && c <= '9') digits += c;
      }
      const auto first = digits.find_first_not_of('0');
      const auto last = digits.find_last_not_of('0');
      significant = static_cast<int>(last - first + 1);
    }
    if (significant > 1) {
      char fewer[64];
      std::snprintf(fewer, sizeof fewer, "%.*e", significant - 2, static_cast<double>(v));
      ASSERT_NE(std::bit_cast<std::uint32_t>(std::strtof(fewer, nullptr)), state)
          << text << " could be written as " << fewer;
    }
  }
}

// std::to_chars' shortest digits laid out as the debug form: pseudo-random
// patterns, and each binade's first and last patterns
// (powers of two, where the gap below halves, their neighbours, the
// subnormals' ends, the largest float), with both signs.
TEST(ShortestFloat, SameDigitsAsToChars) {
  std::vector<std::uint32_t> patterns;
  for (std::uint32_t binade = 0; binade < 255; ++binade) {
    for (std::uint32_t step = 0; step < 4; ++step) {
      patterns.push_back((binade << 23) | step);
      patterns.push_back((binade << 23) | (0x7FFFFFu - step));
    }
  }
  std::mt19937 rng(23);
  for (int i = 0; i < 200'000; ++i) patterns.push_back(rng() & 0x7F7FFFFFu);
  for (const std::uint32_t magnitude : patterns) {
    for (const std::uint32_t bits : {magnitude, magnitude | 0x80000000u}) {
      const float v = from_bits(bits);
      ASSERT_EQ(shortest(v), corvane_test::shortest_text_reference(v))
          << corvane_test::to_chars_scientific(v);
    }
  }
}

// A text is taken for the writer's own only when it is, and always when it
// is and has at most six significant digits, and the writer given the text
// writes its own: random decimal texts of every
// shape the writer does and does not use (leading and trailing zeros, too
// many digits, exponents, signs, no point, whole numbers on both sides of
// 1e16), each against the writer's text of the float it reads as.
TEST(ShortestFloat, TextIsTakenForTheWritersOnlyWhenItIs) {
  std::mt19937 rng(2026);
  const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const auto digits = [&](int n) {
    std::string d;
    for (int i = 0; i < n; ++i) d += static_cast<char>('0' + pick(10));
    return d;
  };
  int taken = 0;
  for (int i = 0; i < 400'000; ++i) {
    std::string text = pick(4) == 0 ? "-" : "";
    switch (pick(7)) {
      case 0:  // below one, with zeros after the point
        text += "0." + std::string(static_cast<std::size_t>(pick(6)), '0') + digits(1 + pick(10));
        break;
      case 1:  // the writer's own text of a random float
        text = shortest(from_bits(static_cast<std::uint32_t>(rng())));
        break;
      case 2:  // exponents, signs and other shapes the writer never uses
        text += std::vector<std::string>{"+", ".", "", "0"}[static_cast<std::size_t>(pick(4))] +
                digits(1 + pick(4)) + std::vector<std::string>{"e1", ".", "", ".0e-2", "x"}[static_cast<std::size_t>(pick(5))];
        break;
      case 3:  // a whole number of 1 to 20 digits, mostly zeros: "d.0" up to and past 1e16
        text += std::to_string(1 + pick(9)) + digits(pick(3)) +
                std::string(static_cast<std::size_t>(pick(18)), '0') + ".0";
        break;
      default:  // an integer part of 1 to 17 digits and a fraction of 0 to 11
        text += digits(1 + pick(17)) + "." + digits(pick(12));
        break;
    }
    const auto reading = read_float_text(text);
    if (!reading) continue;
    const bool writers = shortest(reading->value) == text;
    const bool is_taken = is_shortest_float_text(text, reading->value);
    if (is_taken) {
      ASSERT_TRUE(writers) << text;
    }
    // Copied or written, the text of the float read is the writer's.
    char out[kMaxShortestFloatChars];
    ASSERT_EQ(std::string(out, write_shortest_float(out, reading->value, text)),
              shortest(reading->value))
        << text;
    std::string significant;
    for (const char c : text) {
      if (c >= '0' && c <= '9' && (c != '0' || !significant.empty())) significant += c;
    }
    while (!significant.empty() && significant.back() == '0') significant.pop_back();
    if (writers && !significant.empty() && significant.size() <= 6 && text.find('e') == std::string::npos) {
      ASSERT_TRUE(is_taken) << text;
    }
    taken += is_taken ? 1 : 0;
  }
  EXPECT_GT(taken, 50'000);  // the sweep reaches both answers often
}

// Against the C library's "%0*llX": every width, both cases, the digit count.
// The word-at-a-time digit makers against printf: every value of four_digits
// and its zero-filled upper half, and eight_digits on every value below 10^6
// and a stride through the rest, each as stored on this machine's byte order.
TEST(DecimalDigits, WordsMatchPrintf) {
  const auto stored = [](std::uint64_t word) {
    char text[8];
    corvane::detail::store_bytes_low_first(text, word);
    return std::string(text, 8);
  };
  char expected[16];
  for (std::uint32_t v = 0; v < 10000; ++v) {
    std::snprintf(expected, sizeof expected, "0000%04u", v);
    ASSERT_EQ(stored(corvane::detail::four_digits(v) << 32 | 0x30303030u), expected) << v;
  }
  for (std::uint32_t v = 0; v < 100000000; v += v < 1000000 ? 1 : 997) {
    std::snprintf(expected, sizeof expected, "%08u", v);
    ASSERT_EQ(stored(corvane::detail::eight_digits(v)), expected) << v;
  }
}

TEST(Hex, MatchesPrintfAtEveryWidth) {
  std::mt19937_64 rng(11);
  for (int i = 0; i < 20'000; ++i) {
    const std::uint64_t v = rng() >> (rng() % 64);
    char upper[32], lower[32], bare[32];
    std::snprintf(upper, sizeof upper, "%024llX", static_cast<unsigned long long>(v));
    std::snprintf(lower, sizeof lower, "%024llx", static_cast<unsigned long long>(v));
    const int bare_length = std::snprintf(bare, sizeof bare, "%llX", static_cast<unsigned long long>(v));
    ASSERT_EQ(hex_digit_count(v), static_cast<std::size_t>(bare_length)) << bare;
    for (std::size_t digits = 0; digits <= 24; ++digits) {
      char out[24];
      ASSERT_EQ(std::string_view(out, write_hex(out, v, digits)),
                std::string_view(upper + 24 - digits, digits));
      ASSERT_EQ(std::string_view(out, write_hex(out, v, digits, HexCase::Lower)),
                std::string_view(lower + 24 - digits, digits));
    }
  }
}

TEST(StackText, BuildsTextWithoutAllocating) {
  StackText<64> text;
  text << "a: ";
  text.append_float(0.5f) << ", n: ";
  text.append_decimal(0) << '/';
  text.append_decimal(18446744073709551615u);
  EXPECT_EQ(text.view(), "a: 0.5, n: 0/18446744073709551615");
}

}  // namespace
}  // namespace corvane::detail
