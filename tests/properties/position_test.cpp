#include "corvane/properties/position.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string_view>

namespace corvane {
namespace {

TEST(PropertyPosition, MembersFromOneToTwentySeven) {
  const std::string_view names[] = {
      "Location",         "Destination",     "Instantiation",   "Sanctuary",
      "Home",             "ActivationMove",  "Target",          "LinkedPortalOne",
      "LastPortal",       "PortalStorm",     "CrashAndTurn",    "PortalSummonLoc",
      "HouseBoot",        "LastOutsideDeath", "LinkedLifestone", "LinkedPortalTwo",
      "Save1",            "Save2",           "Save3",           "Save4",
      "Save5",            "Save6",           "Save7",           "Save8",
      "Save9",            "RelativeDestination", "TeleportedCharacter"};
  ASSERT_EQ(members<PropertyPosition>().size(), std::size(names));
  for (std::uint32_t v = 1; v <= 27; ++v) {
    const auto m = from_repr<PropertyPosition>(v);
    ASSERT_TRUE(m.has_value()) << v;
    EXPECT_EQ(name(*m), names[v - 1]);
  }
  EXPECT_EQ(from_repr<PropertyPosition>(0), std::nullopt);
  EXPECT_EQ(from_repr<PropertyPosition>(28), std::nullopt);
  EXPECT_EQ(default_value<PropertyPosition>(), PropertyPosition::Location);
}

TEST(PropertyPosition, Classifications) {
  const std::set<std::uint32_t> recall = {4, 8, 9, 15, 16};
  for (const PropertyPosition p : members<PropertyPosition>()) {
    const std::uint32_t v = repr(p);
    EXPECT_EQ(is_recall_target(p), recall.count(v) == 1) << p;
    EXPECT_EQ(is_admin_save_slot(p), name(p).substr(0, 4) == "Save") << p;
    EXPECT_EQ(is_admin_save_slot(p), v >= 17 && v <= 25) << p;
    EXPECT_FALSE(is_recall_target(p) && is_admin_save_slot(p)) << p;
  }
  EXPECT_FALSE(is_recall_target(PropertyPosition::Home));
  EXPECT_FALSE(is_recall_target(PropertyPosition::Location));
  // Values that are no member, below and above the save slots.
  for (const std::uint32_t v : {0u, 16u, 26u, 0xFFFFFFFFu, 0x80000011u}) {
    EXPECT_FALSE(is_admin_save_slot(static_cast<PropertyPosition>(v))) << v;
  }
}

}  // namespace
}  // namespace corvane
