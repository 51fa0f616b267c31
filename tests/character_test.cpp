#include "corvane/character.hpp"

#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>
#include <string>
#include <utility>

namespace corvane {
namespace {

TEST(PropertyAttribute2nd, ValuesNamesAndDefault) {
  const std::pair<PropertyAttribute2nd, std::string_view> expected[] = {
      {PropertyAttribute2nd::None, "None"},          {PropertyAttribute2nd::MaxHealth, "MaxHealth"},
      {PropertyAttribute2nd::Health, "Health"},      {PropertyAttribute2nd::MaxStamina, "MaxStamina"},
      {PropertyAttribute2nd::Stamina, "Stamina"},    {PropertyAttribute2nd::MaxMana, "MaxMana"},
      {PropertyAttribute2nd::Mana, "Mana"},
  };
  ASSERT_EQ(members<PropertyAttribute2nd>().size(), std::size(expected));
  for (std::uint16_t v = 0; v < std::size(expected); ++v) {
    EXPECT_EQ(repr(expected[v].first), v);
    EXPECT_EQ(from_repr<PropertyAttribute2nd>(v), expected[v].first);
    EXPECT_EQ(name(expected[v].first), expected[v].second);
    EXPECT_EQ(members<PropertyAttribute2nd>()[v], expected[v].first);
  }
  EXPECT_EQ(from_repr<PropertyAttribute2nd>(7), std::nullopt);
  EXPECT_EQ(from_repr<PropertyAttribute2nd>(255), std::nullopt);
  EXPECT_EQ(from_repr<PropertyAttribute2nd>(65535), std::nullopt);
  EXPECT_EQ(default_value<PropertyAttribute2nd>(), PropertyAttribute2nd::None);
}

TEST(PropertyAttribute2nd, MaxAndCurrentSplitEveryVitalPair) {
  for (const PropertyAttribute2nd a : members<PropertyAttribute2nd>()) {
    EXPECT_NE(is_max(a), is_current(a)) << a;
    // A maximum's name is "Max" followed by the name of its current value,
    // which sits at the next value.
    if (is_max(a)) {
      const auto current = from_repr<PropertyAttribute2nd>(static_cast<std::uint16_t>(repr(a) + 1));
      ASSERT_TRUE(current.has_value()) << a;
      EXPECT_TRUE(is_current(*current));
      EXPECT_EQ("Max" + std::string(name(*current)), name(a));
    }
  }
  EXPECT_TRUE(is_max(PropertyAttribute2nd::MaxHealth));
  EXPECT_TRUE(is_max(PropertyAttribute2nd::MaxStamina));
  EXPECT_TRUE(is_max(PropertyAttribute2nd::MaxMana));
  EXPECT_TRUE(is_current(PropertyAttribute2nd::None));
  EXPECT_FALSE(is_max(PropertyAttribute2nd::None));
  static_assert(is_current(PropertyAttribute2nd::Mana));
}

TEST(PropertyAttribute2nd, DebugTextIgnoresWidthAndFill) {
  std::ostringstream os;
  os << std::setw(15) << std::setfill('-') << std::right << PropertyAttribute2nd::MaxStamina;
  EXPECT_EQ(os.str(), "MaxStamina");
  EXPECT_EQ(debug_string(PropertyAttribute2nd::MaxStamina), "MaxStamina");
}

}  // namespace
}  // namespace corvane
