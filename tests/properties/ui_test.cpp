#include "corvane/properties/ui.hpp"

#include <gtest/gtest.h>

#include "member_lookup.hpp"

#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvane {
namespace {

using test_support::by_name;

std::uint32_t value_of(std::string_view n) {
  const auto m = by_name<ClientAction>(n);
  EXPECT_TRUE(m.has_value()) << n;
  return m ? repr(*m) : 0;
}

bool starts_with(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// The client actions are checked against facts independent of how the table
// was typed: the count, the holes, values given for single members and the
// value ranges of the families.

TEST(ClientAction, CountAndHoles) {
  EXPECT_EQ(members<ClientAction>().size(), 294u);
  std::set<std::uint32_t> holes = {0x10000084, 0x10000111, 0x10000126, 0x1000012B};
  for (std::uint32_t v = 0x100000F4; v <= 0x10000101; ++v) holes.insert(v);
  for (std::uint32_t v = 0x10000106; v <= 0x1000010C; ++v) holes.insert(v);
  ASSERT_EQ(holes.size(), 25u);
  for (std::uint32_t v = 0x0FFFFF00; v <= 0x10000240; ++v) {
    const bool member = v >= 0x10000001 && v <= 0x1000013F && holes.count(v) == 0;
    EXPECT_EQ(from_repr<ClientAction>(v).has_value(), member) << std::hex << v;
  }
  EXPECT_EQ(from_repr<ClientAction>(0), std::nullopt);
  EXPECT_EQ(from_repr<ClientAction>(0x10000000), std::nullopt);
  EXPECT_EQ(from_repr<ClientAction>(0x10000140), std::nullopt);
  EXPECT_EQ(from_repr<ClientAction>(0xFFFFFFFFu), std::nullopt);
  EXPECT_EQ(from_repr<ClientAction>(0x10000001), ClientAction::ToggleCasPanel);
  EXPECT_EQ(from_repr<ClientAction>(0x1000013F), ClientAction::PlayerOption_HearPKDeaths);
  EXPECT_EQ(default_value<ClientAction>(), ClientAction::ToggleCasPanel);
}

TEST(ClientAction, ReferenceValues) {
  const std::pair<std::string_view, std::uint32_t> reference[] = {
      {"ToggleCasPanel", 0x10000001},
      {"USE", 0x10000025},
      {"LOGOUT", 0x10000026},
      {"EXITGAME", 0x10000027},
      {"START_COMMAND", 0x10000028},
      {"START_ALIAS", 0x10000029},
      {"UseQuickSlot_1", 0x10000042},
      {"UseQuickSlot_12", 0x1000004D},
      {"SelectQuickSlot_1", 0x1000004E},
      {"SelectQuickSlot_12", 0x10000059},
      {"CombatHighAttack", 0x1000005F},
      {"PlayerOption_SalvageMultiple", 0x10000093},
      {"HaveASeat", 0x100000AB},
      {"YMCA", 0x100000EE},
      {"CombatDecreaseMissileAccuracy", 0x100000EF},
      {"CombatAimHigh", 0x100000F3},
      {"CombatFirstSpell", 0x10000102},
      {"CombatLastSpellTab", 0x10000105},
      {"CreateShortcut", 0x1000010D},
      {"PlayerOption_HearGeneralChat", 0x1000010E},
      {"ToggleOptionsMenu", 0x10000131},
      {"PlayerOption_HearPKDeaths", 0x1000013F},
  };
  for (const auto& [n, v] : reference) EXPECT_EQ(value_of(n), v) << n;
  // Spellings that differ from the usual pattern stay as listed.
  for (const std::string_view n :
       {"ATOYOT", "ToggleFloatingChatWindow1", "ToggleFloatingChatWindow4", "UseQuickSlot_18",
        "PlayerOption_SideBySideVitals", "TalktotheHandState", "SitCrossleggedState",
        "PlayerOption_HearLFGChat", "AFKState"}) {
    EXPECT_TRUE(by_name<ClientAction>(n).has_value()) << n;
  }
}

TEST(ClientAction, NumberedFamiliesSitAtTheirValues) {
  for (std::uint32_t i = 1; i <= 18; ++i) {
    const std::uint32_t use = i <= 12 ? 0x10000041 + i : 0x10000132 + (i - 13);
    const std::uint32_t select = i <= 12 ? 0x1000004D + i : 0x10000138 + (i - 13);
    EXPECT_EQ(value_of("UseQuickSlot_" + std::to_string(i)), use) << i;
    EXPECT_EQ(value_of("SelectQuickSlot_" + std::to_string(i)), select) << i;
  }
  for (std::uint32_t i = 1; i <= 12; ++i) {
    EXPECT_EQ(value_of("UseSpellSlot_" + std::to_string(i)), 0x10000064 + i) << i;
  }
  for (std::uint32_t i = 1; i <= 4; ++i) {
    EXPECT_EQ(value_of("ToggleFloatingChatWindow" + std::to_string(i)), 0x10000113 + i) << i;
  }
}

TEST(ClientAction, FamilyRanges) {
  auto names_in = [](std::uint32_t lo, std::uint32_t hi) {
    std::vector<std::string_view> out;
    for (std::uint32_t v = lo; v <= hi; ++v) {
      if (const auto m = from_repr<ClientAction>(v)) out.push_back(name(*m));
    }
    return out;
  };
  for (const auto n : names_in(0x10000001, 0x1000001F)) {
    EXPECT_TRUE(starts_with(n, "Toggle") && n.substr(n.size() - 5) == "Panel") << n;
  }
  EXPECT_EQ(names_in(0x10000025, 0x10000029),
            (std::vector<std::string_view>{"USE", "LOGOUT", "EXITGAME", "START_COMMAND",
                                           "START_ALIAS"}));
  const auto selections = names_in(0x1000002A, 0x10000041);
  EXPECT_EQ(selections.size(), 24u);
  for (const auto n : selections) EXPECT_TRUE(starts_with(n, "Selection")) << n;
  for (const auto n : names_in(0x1000005A, 0x10000064)) EXPECT_TRUE(starts_with(n, "Combat")) << n;
  const auto options = names_in(0x10000071, 0x10000093);
  EXPECT_EQ(options.size(), 34u);  // 35 values, one hole
  for (const auto n : options) EXPECT_TRUE(starts_with(n, "PlayerOption_")) << n;
  const auto gestures = names_in(0x10000094, 0x100000EE);
  EXPECT_EQ(gestures.size(), 91u);
  EXPECT_EQ(gestures.front(), "Ready");
  EXPECT_EQ(gestures.back(), "YMCA");
  for (const auto n : gestures) {
    EXPECT_FALSE(starts_with(n, "Combat") || starts_with(n, "PlayerOption_") ||
                 starts_with(n, "Toggle"))
        << n;
  }
  for (const auto n : names_in(0x100000EF, 0x100000F3)) EXPECT_TRUE(starts_with(n, "Combat")) << n;
  EXPECT_EQ(names_in(0x10000102, 0x10000105),
            (std::vector<std::string_view>{"CombatFirstSpell", "CombatLastSpell",
                                           "CombatFirstSpellTab", "CombatLastSpellTab"}));
  // Outside the listed families no name starts like a family prefix it does
  // not belong to: every PlayerOption_ member after 0x10000093 sits in the
  // mixed block.
  for (const ClientAction a : members<ClientAction>()) {
    if (starts_with(name(a), "PlayerOption_") && repr(a) > 0x10000093) {
      EXPECT_GE(repr(a), 0x1000010Du) << a;
    }
  }
}

TEST(RootElementId, SparseMembers) {
  const std::pair<RootElementId, std::uint32_t> expected[] = {
      {RootElementId::LogOut, 0x10000026},          {RootElementId::CharacterInfo, 0x10000183},
      {RootElementId::PositiveEffects, 0x10000184}, {RootElementId::NegativeEffects, 0x10000185},
      {RootElementId::LinkStatus, 0x10000187},      {RootElementId::MiniGame, 0x10000188},
      {RootElementId::Vitae, 0x1000018A},           {RootElementId::Indicators, 0x10000611},
      {RootElementId::Radar, 0x100006D2},
  };
  ASSERT_EQ(members<RootElementId>().size(), std::size(expected));
  for (const auto& [m, v] : expected) {
    EXPECT_EQ(repr(m), v);
    EXPECT_EQ(from_repr<RootElementId>(v), m);
  }
  EXPECT_EQ(from_repr<RootElementId>(0x10000186), std::nullopt);
  EXPECT_EQ(from_repr<RootElementId>(0x10000189), std::nullopt);
  EXPECT_EQ(repr(RootElementId::LogOut), repr(ClientAction::LOGOUT));
  EXPECT_EQ(debug_string(RootElementId::LogOut), "LogOut");
  EXPECT_EQ(debug_string(ClientAction::LOGOUT), "LOGOUT");
}

TEST(FriendsUpdateType, FullIsTheEmptyMask) {
  EXPECT_EQ(FriendsUpdateType::FULL.bits(), 0u);
  EXPECT_EQ(FriendsUpdateType::ADDED.bits(), 1u);
  EXPECT_EQ(FriendsUpdateType::REMOVED.bits(), 2u);
  EXPECT_EQ(FriendsUpdateType::LOGIN_CHANGE.bits(), 4u);
  const auto u = FriendsUpdateType::ADDED | FriendsUpdateType::LOGIN_CHANGE;
  EXPECT_EQ(u.bits(), 5u);
  EXPECT_TRUE(u.contains(FriendsUpdateType::ADDED));
  EXPECT_TRUE(u.contains(FriendsUpdateType::LOGIN_CHANGE));
  EXPECT_FALSE(u.contains(FriendsUpdateType::REMOVED));
  EXPECT_TRUE(FriendsUpdateType::FULL.is_empty());
  EXPECT_TRUE(u.contains(FriendsUpdateType::FULL));
  EXPECT_NE(u, FriendsUpdateType::FULL);
  std::vector<std::string_view> names;
  for (const auto& [n, flag] : FriendsUpdateType::all().iter_names()) names.push_back(n);
  EXPECT_EQ(names, (std::vector<std::string_view>{"ADDED", "REMOVED", "LOGIN_CHANGE"}));
}

}  // namespace
}  // namespace corvane
