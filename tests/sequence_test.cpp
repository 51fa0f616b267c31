#include "corvane/sequence.hpp"

#include <gtest/gtest.h>

#include <cstdint>

namespace corvane {
namespace {

// The rule stated in wider arithmetic: the forward distance from current to
// candidate, with the half-range tie broken towards the smaller raw value.
bool newer_u16_reference(std::uint32_t candidate, std::uint32_t current) {
  const std::uint32_t forward = (candidate + 0x10000u - current) % 0x10000u;
  if (forward == 0) return false;
  if (forward == 0x8000u) return candidate < current;
  return forward < 0x8000u;
}

bool newer_u32_reference(std::uint64_t candidate, std::uint64_t current) {
  const std::uint64_t forward = (candidate + 0x1'0000'0000u - current) % 0x1'0000'0000u;
  return forward != 0 && forward < 0x8000'0000u;
}

TEST(Sequence, WrapAroundAndPlainOrder) {
  EXPECT_TRUE(is_newer_u16(0, 65535));
  EXPECT_TRUE(is_newer_u16(1, 65535));
  EXPECT_FALSE(is_newer_u16(65535, 0));
  EXPECT_TRUE(is_newer_u32(0, 0xFFFFFFFFu));
  EXPECT_TRUE(is_newer_u32(1, 0xFFFFFFFFu));
  EXPECT_FALSE(is_newer_u32(0xFFFFFFFFu, 0));
  EXPECT_TRUE(is_newer_u16(11, 10));
  EXPECT_FALSE(is_newer_u16(10, 11));
  EXPECT_FALSE(is_newer_u16(10, 10));
  EXPECT_TRUE(is_newer_u32(11, 10));
  EXPECT_FALSE(is_newer_u32(10, 11));
  EXPECT_FALSE(is_newer_u32(10, 10));
}

TEST(Sequence, HalfRangeTies) {
  // 16 bits: the smaller raw value is newer, so exactly one direction holds.
  EXPECT_TRUE(is_newer_u16(0, 0x8000));
  EXPECT_FALSE(is_newer_u16(0x8000, 0));
  EXPECT_TRUE(is_newer_u16(0x1234, 0x9234));
  EXPECT_FALSE(is_newer_u16(0x9234, 0x1234));
  // 32 bits: neither is newer.
  EXPECT_FALSE(is_newer_u32(0x80000000u, 0));
  EXPECT_FALSE(is_newer_u32(0, 0x80000000u));
  EXPECT_FALSE(is_newer_u32(0x90000000u, 0x10000000u));
  EXPECT_FALSE(is_newer_u32(0x10000000u, 0x90000000u));
}

// Every candidate against a spread of current values (the full 2^32 pairs run
// in the exhaustive suite).
TEST(Sequence, U16MatchesWiderArithmetic) {
  for (std::uint32_t current = 0; current < 0x10000u; current += 257) {
    for (std::uint32_t candidate = 0; candidate < 0x10000u; ++candidate) {
      ASSERT_EQ(is_newer_u16(static_cast<std::uint16_t>(candidate),
                             static_cast<std::uint16_t>(current)),
                newer_u16_reference(candidate, current))
          << candidate << " vs " << current;
    }
  }
}

TEST(Sequence, U16IsAStrictOrderLocally) {
  // Antisymmetry: never both directions; totality: exactly one unless equal.
  for (std::uint32_t a = 0; a < 0x10000u; a += 97) {
    for (std::uint32_t b = 0; b < 0x10000u; b += 89) {
      const auto x = static_cast<std::uint16_t>(a);
      const auto y = static_cast<std::uint16_t>(b);
      if (x == y) {
        ASSERT_FALSE(is_newer_u16(x, y));
      } else {
        ASSERT_NE(is_newer_u16(x, y), is_newer_u16(y, x)) << a << " " << b;
      }
    }
  }
}

TEST(Sequence, U32MatchesWiderArithmetic) {
  const std::uint32_t probes[] = {0,          1,          2,          0x7FFFFFFEu, 0x7FFFFFFFu,
                                  0x80000000u, 0x80000001u, 0xFFFFFFFEu, 0xFFFFFFFFu, 0x12345678u};
  for (const std::uint32_t current : probes) {
    for (const std::uint32_t offset : probes) {
      const std::uint32_t candidate = current + offset;
      EXPECT_EQ(is_newer_u32(candidate, current), newer_u32_reference(candidate, current))
          << candidate << " vs " << current;
    }
  }
  std::uint64_t state = 88172645463325252u;
  for (int i = 0; i < 1'000'000; ++i) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    const auto a = static_cast<std::uint32_t>(state);
    const auto b = static_cast<std::uint32_t>(state >> 32);
    ASSERT_EQ(is_newer_u32(a, b), newer_u32_reference(a, b)) << a << " vs " << b;
  }
}

static_assert(is_newer_u16(0, 65535) && !is_newer_u16(65535, 0), "usable at compile time");
static_assert(is_newer_u32(1, 0xFFFFFFFFu) && !is_newer_u32(0x80000000u, 0));

}  // namespace
}  // namespace corvane
