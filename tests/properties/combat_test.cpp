#include "corvane/properties/combat.hpp"

#include <gtest/gtest.h>

#include "member_lookup.hpp"

#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#pragma push_macro("None")
#undef None

namespace corvane {
namespace {

using test_support::by_name;

bool ends_with(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

TEST(SpellType, ContiguousMembersAndDefault) {
  const char* const names[] = {"None",          "Enchantment",         "Projectile",
                               "Boost",         "Transfer",            "PortalLink",
                               "PortalRecall",  "PortalSummon",        "PortalSending",
                               "Dispel",        "LifeProjectile",      "FellowBoost",
                               "FellowEnchantment", "FellowPortalSending", "FellowDispel",
                               "EnchantmentProjectile"};
  ASSERT_EQ(members<SpellType>().size(), std::size(names));
  for (std::uint32_t v = 0; v < std::size(names); ++v) {
    const auto m = from_repr<SpellType>(v);
    ASSERT_TRUE(m.has_value()) << v;
    EXPECT_EQ(name(*m), names[v]);
  }
  EXPECT_EQ(from_repr<SpellType>(16), std::nullopt);
  EXPECT_EQ(from_repr<SpellType>(0xFFFFFFFFu), std::nullopt);
  EXPECT_EQ(default_value<SpellType>(), SpellType::None);
  EXPECT_EQ(debug_string(SpellType::FellowPortalSending), "FellowPortalSending");
}

TEST(SpellComponentType, ContiguousMembersAndDefault) {
  const char* const names[] = {"Undef",  "Scarab",   "Herb",  "Powder",
                               "Potion", "Talisman", "Taper", "PotionPea"};
  ASSERT_EQ(members<SpellComponentType>().size(), std::size(names));
  for (std::uint32_t v = 0; v < std::size(names); ++v) {
    EXPECT_EQ(name(*from_repr<SpellComponentType>(v)), names[v]);
  }
  EXPECT_EQ(repr(SpellComponentType::Talisman), 5u);
  EXPECT_EQ(repr(SpellComponentType::PotionPea), 7u);
  EXPECT_EQ(from_repr<SpellComponentType>(8), std::nullopt);
  EXPECT_EQ(default_value<SpellComponentType>(), SpellComponentType::Undef);
}

TEST(SpellFlags, OneFlagPerBitZeroToSeventeen) {
  const auto& table = flag_set_traits<SpellFlags>::flags;
  ASSERT_EQ(table.size(), 18u);
  for (std::size_t i = 0; i < table.size(); ++i) {
    EXPECT_EQ(table[i].value, std::uint32_t{1} << i) << table[i].name;
  }
  EXPECT_EQ(SpellFlags::BENEFICIAL.bits(), 4u);
  const SpellFlags both = SpellFlags::from_bits_retain(8) | SpellFlags::BENEFICIAL;
  EXPECT_EQ(both.bits(), 12u);
  EXPECT_TRUE(both.contains(SpellFlags::BENEFICIAL));
  EXPECT_EQ(SpellFlags::all().bits(), 0x3FFFFu);
}

TEST(SpellBookFilterOptions, EmptyFilterThenBitsZeroToThirteen) {
  const auto& table = flag_set_traits<SpellBookFilterOptions>::flags;
  ASSERT_EQ(table.size(), 15u);
  EXPECT_EQ(table[0].value, 0u);
  EXPECT_EQ(SpellBookFilterOptions::NONE.bits(), 0u);
  for (std::size_t i = 1; i < table.size(); ++i) {
    EXPECT_EQ(table[i].value, std::uint32_t{1} << (i - 1)) << table[i].name;
  }
  EXPECT_EQ(SpellBookFilterOptions::WAR.bits(), 8u);
  EXPECT_EQ(SpellBookFilterOptions::LEVEL_3.bits(), 64u);
  const auto u = SpellBookFilterOptions::WAR | SpellBookFilterOptions::LEVEL_3;
  EXPECT_EQ(u.bits(), 72u);
  EXPECT_TRUE(u.contains(SpellBookFilterOptions::WAR));
  EXPECT_TRUE(u.contains(SpellBookFilterOptions::LEVEL_3));
  // The empty filter is never named by the walk, even over every bit.
  for (const auto& [n, flag] : SpellBookFilterOptions::from_bits_retain(0xFFFFFFFFu).iter_names()) {
    EXPECT_NE(n, "NONE");
    EXPECT_FALSE(flag.is_empty());
  }
}

// The spell categories are checked against facts that do not depend on how the
// table was typed: counts, holes, the Raising/Lowering census and values
// given for individual members.

TEST(SpellCategory, CountAndHoles) {
  const auto all = members<SpellCategory>();
  EXPECT_EQ(all.size(), 729u);
  std::vector<std::uint32_t> holes;
  for (std::uint32_t v = 0; v <= 0xFFFF; ++v) {
    if (!from_repr<SpellCategory>(static_cast<std::uint16_t>(v)) && v <= 800) holes.push_back(v);
  }
  std::vector<std::uint32_t> want = {622, 700, 701, 702, 703};
  for (std::uint32_t v = 734; v <= 800; ++v) want.push_back(v);
  EXPECT_EQ(holes, want);
  EXPECT_EQ(from_repr<SpellCategory>(0), SpellCategory::None);
  EXPECT_EQ(from_repr<SpellCategory>(733), SpellCategory::GauntletCriticalDamageReductionRatingRaising);
  EXPECT_EQ(from_repr<SpellCategory>(734), std::nullopt);
  EXPECT_EQ(from_repr<SpellCategory>(65535), std::nullopt);
  EXPECT_EQ(from_repr<SpellCategory>(621), SpellCategory::AetheriaDamageReductionRaising);
  EXPECT_EQ(from_repr<SpellCategory>(623), SpellCategory::AetheriaHealthRaising);
  EXPECT_EQ(from_repr<SpellCategory>(699), SpellCategory::SetSummoningRaising);
  EXPECT_EQ(from_repr<SpellCategory>(704), SpellCategory::ParagonEnduranceRaising);
  EXPECT_EQ(debug_string(SpellCategory::GauntletCriticalDamageReductionRatingRaising),
            "GauntletCriticalDamageReductionRatingRaising");
}

TEST(SpellCategory, RaisingAndLoweringCensus) {
  int raising = 0;
  int lowering = 0;
  std::set<std::string_view> names;
  for (const SpellCategory c : members<SpellCategory>()) {
    raising += ends_with(name(c), "Raising");
    lowering += ends_with(name(c), "Lowering");
    EXPECT_TRUE(names.insert(name(c)).second) << "duplicate " << name(c);
  }
  EXPECT_EQ(raising, 291);
  EXPECT_EQ(lowering, 149);
}

TEST(SpellCategory, ReferenceValues) {
  const std::pair<std::string_view, std::uint16_t> reference[] = {
      {"None", 0},
      {"StrengthRaising", 1},
      {"SelfLowering", 12},
      {"AxeRaising", 17},
      {"WarMagicLowering", 50},
      {"LeadershipRaising", 71},
      {"HealthTransfertocaster", 87},
      {"HealthTransferfromcaster", 88},
      {"ManaDecelerating", 98},
      {"AcidMissile", 117},
      {"SlashingScatter", 151},
      {"PortalTie", 200},
      {"PortalRecall", 201},
      {"PortalSending", 214},
      {"LifestoneSending", 215},
      {"StrengthIncrease", 261},
      {"LessorIntellectLowering", 278},
      {"StrengthofEarthRaising", 305},
      {"ACTDPurchaseRewardSpell", 519},
      {"ACTDPurchaseRewardSpellHealth", 520},
      {"SetSwordRaising", 538},
      {"SetGearCraftRaising", 606},
      {"AetheriaDamageRatingRaising", 620},
      {"NetherMissile", 640},
      {"ParagonEnduranceRaising", 704},
      {"ParagonTwoHandedRaising", 727},
      {"GauntletDamageReductionRatingRaising", 728},
      {"GauntletCriticalDamageReductionRatingRaising", 733},
  };
  for (const auto& [n, v] : reference) {
    const auto m = by_name<SpellCategory>(n);
    ASSERT_TRUE(m.has_value()) << n;
    EXPECT_EQ(repr(*m), v) << n;
  }
  // Names whose spelling is easy to "correct" by mistake.
  for (const std::string_view n :
       {"StaminaTransferfromcaster", "StrengthIncrease2", "AttributesIncreaseCantrip1",
        "NetherDamageOverTimeRaising2", "NetherDamageOverTimeRaising3",
        "RareDamageRatingRaising2", "DFAttackSkillDebuff", "TrinketXPRaising", "HealthDoT",
        "LifeGiverMhoire"}) {
    EXPECT_TRUE(by_name<SpellCategory>(n).has_value()) << n;
  }
}

TEST(SpellCategory, RaisingLoweringPairsOfTheFirstBlockAlternate) {
  // From StrengthRaising (1) to WarMagicLowering (50) and on to RunLowering
  // (78) the list alternates a Raising member with its Lowering partner,
  // except for the four focus variants at 13 to 16.
  for (std::uint16_t v = 1; v <= 78; v += 2) {
    if (v == 13 || v == 15) continue;
    const std::string_view up = name(*from_repr<SpellCategory>(v));
    const std::string_view down = name(*from_repr<SpellCategory>(static_cast<std::uint16_t>(v + 1)));
    ASSERT_TRUE(ends_with(up, "Raising")) << v;
    ASSERT_TRUE(ends_with(down, "Lowering")) << v;
    EXPECT_EQ(up.substr(0, up.size() - 7), down.substr(0, down.size() - 8)) << v;
  }
}

}  // namespace
}  // namespace corvane

#pragma pop_macro("None")
