#include "corvane/properties/object.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string_view>
#include <utility>

namespace corvane {
namespace {

TEST(ObjectClass, CountReferenceValuesAndDefault) {
  EXPECT_EQ(members<ObjectClass>().size(), 45u);
  for (std::uint32_t v = 0; v <= 44; ++v) EXPECT_TRUE(from_repr<ObjectClass>(v).has_value()) << v;
  EXPECT_EQ(from_repr<ObjectClass>(45), std::nullopt);
  EXPECT_EQ(from_repr<ObjectClass>(100), std::nullopt);
  EXPECT_EQ(default_value<ObjectClass>(), ObjectClass::Unknown);
  const std::pair<ObjectClass, std::uint32_t> reference[] = {
      {ObjectClass::Unknown, 0},        {ObjectClass::MeleeWeapon, 1},
      {ObjectClass::Jewelry, 4},        {ObjectClass::Monster, 5},
      {ObjectClass::MissileWeapon, 9},  {ObjectClass::Container, 10},
      {ObjectClass::Portal, 14},        {ObjectClass::BaseCooking, 18},
      {ObjectClass::CraftedFletching, 23}, {ObjectClass::Player, 24},
      {ObjectClass::Vendor, 25},        {ObjectClass::Corpse, 27},
      {ObjectClass::Lifestone, 28},     {ObjectClass::WandStaffOrb, 31},
      {ObjectClass::Npc, 37},           {ObjectClass::Foci, 38},
      {ObjectClass::Salvage, 39},       {ObjectClass::Ust, 40},
      {ObjectClass::Bindstone, 43},     {ObjectClass::Static, 44},
  };
  for (const auto& [m, v] : reference) EXPECT_EQ(repr(m), v) << m;
  EXPECT_EQ(debug_string(ObjectClass::WandStaffOrb), "WandStaffOrb");
  EXPECT_EQ(debug_string(ObjectClass::Npc), "Npc");
  EXPECT_EQ(debug_string(ObjectClass::Ust), "Ust");
}

TEST(ObjectClass, CraftingFamiliesAreInOrder) {
  // Base, then crafted, each in the order cooking, alchemy, fletching.
  const std::string_view family[] = {"BaseCooking",    "BaseAlchemy",    "BaseFletching",
                                     "CraftedCooking", "CraftedAlchemy", "CraftedFletching"};
  for (std::uint32_t i = 0; i < std::size(family); ++i) {
    EXPECT_EQ(name(*from_repr<ObjectClass>(18 + i)), family[i]);
  }
}

}  // namespace
}  // namespace corvane
