#include "corvane/guid.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <iomanip>
#include <sstream>
#include <unordered_set>

namespace corvane {
namespace {

TEST(Guid, DebugTextIsEightUppercaseHexDigits) {
  EXPECT_EQ(debug_string(Guid{256}), "0x00000100");
  EXPECT_EQ(debug_string(Guid{0xA9B40019}), "0xA9B40019");
  EXPECT_EQ(debug_string(Guid{0}), "0x00000000");
  EXPECT_EQ(debug_string(Guid{0xFFFFFFFF}), "0xFFFFFFFF");
  // Against the C library over a spread of values.
  for (std::uint64_t raw = 0; raw <= 0xFFFFFFFFu; raw += 0x01234567u) {
    char expected[16];
    std::snprintf(expected, sizeof expected, "0x%08X", static_cast<unsigned>(raw));
    EXPECT_EQ(debug_string(Guid{static_cast<std::uint32_t>(raw)}), expected);
  }
}

TEST(Guid, StreamWritesDebugTextAndLeavesStreamStateAlone) {
  std::ostringstream os;
  os << std::hex << std::setw(12) << Guid{0xDA550000} << 255;
  EXPECT_EQ(os.str(), "0xDA550000ff");
}

TEST(Guid, FieldsComeOutAsPlainIntegers) {
  const Guid id{0xA9B40019};
  EXPECT_EQ(id >> 24, 0xA9u);
  EXPECT_EQ(id >> 16, 0xA9B4u);
  EXPECT_EQ(id & 0xFFFFu, 0x0019u);
  EXPECT_EQ(static_cast<std::uint32_t>(id), 0xA9B40019u);
  static_assert(std::is_same_v<decltype(id >> 24), std::uint32_t>);
  static_assert(std::is_same_v<decltype(id & 1u), std::uint32_t>);
}

TEST(Guid, ShiftOfThirtyTwoOrMoreGivesZero) {
  const Guid id{0xFFFFFFFF};
  EXPECT_EQ(id >> 31, 1u);
  EXPECT_EQ(id >> 32, 0u);
  EXPECT_EQ(id >> 33, 0u);
  EXPECT_EQ(id >> 0xFFFFFFFFu, 0u);
  static_assert((Guid{0x80000000} >> 40) == 0u);
}

TEST(Guid, EqualityHashingAndOrderFollowTheRawValue) {
  EXPECT_EQ(Guid{7}, Guid{7});
  EXPECT_NE(Guid{7}, Guid{8});
  EXPECT_LT(Guid{7}, Guid{8});
  std::unordered_set<Guid> set{Guid{1}, Guid{2}, Guid{1}};
  EXPECT_EQ(set.size(), 2u);
}

}  // namespace
}  // namespace corvane
