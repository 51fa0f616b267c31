#include "corvane/properties/emote.hpp"

#include <gtest/gtest.h>

#include "member_lookup.hpp"

#include <cctype>
#include <iomanip>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>

namespace corvane {
namespace {

using test_support::by_name;

TEST(EmoteType, ContiguousReferenceValuesAndDefault) {
  EXPECT_EQ(members<EmoteType>().size(), 122u);
  for (std::uint32_t v = 0; v < 122; ++v) EXPECT_TRUE(from_repr<EmoteType>(v).has_value()) << v;
  EXPECT_EQ(from_repr<EmoteType>(122), std::nullopt);
  EXPECT_EQ(from_repr<EmoteType>(121), EmoteType::InqContractsFull);
  EXPECT_EQ(default_value<EmoteType>(), EmoteType::Invalid);
  const std::pair<std::string_view, std::uint32_t> reference[] = {
      {"Invalid", 0},          {"Act", 1},
      {"AwardXP", 2},          {"Motion", 5},
      {"Say", 8},              {"Sound", 9},
      {"Tell", 10},            {"CastSpell", 14},
      {"UpdateQuest", 20},     {"EraseQuest", 31},
      {"InqBoolStat", 35},     {"InqStringStat", 38},
      {"SetIntStat", 53},      {"CreateTreasure", 56},
      {"SetSanctuaryPosition", 63}, {"Goto", 67},
      {"IncrementMyQuest", 85}, {"TeleportTarget", 99},
      {"TeleportSelf", 100},   {"InqQuestBitsOn", 102},
      {"SetMyQuestBitsOff", 109}, {"SpendLuminance", 112},
      {"OpenMe", 116},         {"AddContract", 119},
      {"InqContractsFull", 121},
  };
  for (const auto& [n, v] : reference) {
    const auto m = by_name<EmoteType>(n);
    ASSERT_TRUE(m.has_value()) << n;
    EXPECT_EQ(repr(*m), v) << n;
  }
}

TEST(EmoteType, UserVisibleIsExactlyTheFixedList) {
  // Values of the visible steps, as listed with the members.
  const std::set<std::uint32_t> visible = {1,  2,  5,  6,  7,  8,  9,   10,  13,  14,
                                           16, 17, 18, 19, 28, 29, 34,  49,  50,  52,
                                           56, 62, 64, 65, 67, 68, 72,  73,  74,  87,
                                           99, 100, 101, 112, 113, 116, 117, 119, 120};
  ASSERT_EQ(visible.size(), 39u);
  int count = 0;
  for (const EmoteType t : members<EmoteType>()) {
    EXPECT_EQ(is_user_visible(t), visible.count(repr(t)) == 1) << t;
    count += is_user_visible(t);
    // No query step is visible.
    if (name(t).substr(0, 3) == "Inq") {
      EXPECT_FALSE(is_user_visible(t)) << t;
    }
  }
  EXPECT_EQ(count, 39);
  for (const EmoteType t : {EmoteType::Motion, EmoteType::Say, EmoteType::CastSpell,
                            EmoteType::PhysScript, EmoteType::TeleportSelf, EmoteType::AwardXP}) {
    EXPECT_TRUE(is_user_visible(t)) << t;
  }
  for (const EmoteType t :
       {EmoteType::Invalid, EmoteType::InqQuest, EmoteType::StampQuest, EmoteType::SetIntStat,
        EmoteType::EraseQuest, EmoteType::InqBoolStat, EmoteType::SetSanctuaryPosition,
        EmoteType::Give, EmoteType::Turn, EmoteType::SetEyeTexture, EmoteType::SetHeadPalette}) {
    EXPECT_FALSE(is_user_visible(t)) << t;
  }
  // Values that are no member are not visible, and reading them is safe.
  EXPECT_FALSE(is_user_visible(static_cast<EmoteType>(122)));
  EXPECT_FALSE(is_user_visible(static_cast<EmoteType>(0xFFFFFFFFu)));
}

TEST(EmoteCategory, ValuesAndDefault) {
  EXPECT_EQ(members<EmoteCategory>().size(), 39u);
  EXPECT_EQ(from_repr<EmoteCategory>(6), EmoteCategory::Give);
  EXPECT_EQ(from_repr<EmoteCategory>(38), EmoteCategory::ReceiveTalkDirect);
  EXPECT_EQ(from_repr<EmoteCategory>(39), std::nullopt);
  EXPECT_EQ(default_value<EmoteCategory>(), EmoteCategory::Invalid);
  EXPECT_EQ(repr(EmoteCategory::Refuse), 1u);
  EXPECT_EQ(repr(EmoteCategory::Vendor), 2u);
  EXPECT_EQ(repr(EmoteCategory::HeartBeat), 5u);
  EXPECT_EQ(repr(EmoteCategory::WoundedTaunt), 15u);
  EXPECT_EQ(repr(EmoteCategory::HearChat), 24u);
}

// The display name is the member name with a blank before every capital that
// starts a new word; UnWield alone is hyphenated.
std::string spaced(std::string_view member) {
  std::string out;
  for (std::size_t i = 0; i < member.size(); ++i) {
    if (i > 0 && std::isupper(static_cast<unsigned char>(member[i]))) out += ' ';
    out += member[i];
  }
  return out;
}

TEST(EmoteCategory, DisplayNames) {
  for (const EmoteCategory c : members<EmoteCategory>()) {
    const std::string want = c == EmoteCategory::UnWield ? "Un-Wield" : spaced(name(c));
    EXPECT_EQ(display_name(c), want);
  }
  EXPECT_EQ(display_name(EmoteCategory::HeartBeat), "Heart Beat");
  EXPECT_EQ(display_name(EmoteCategory::QuestSuccess), "Quest Success");
  EXPECT_EQ(display_name(EmoteCategory::ReceiveTalkDirect), "Receive Talk Direct");
  EXPECT_EQ(display_name(EmoteCategory::UnWield), "Un-Wield");
  EXPECT_TRUE(display_name(static_cast<EmoteCategory>(39)).empty());
}

TEST(EmoteCategory, DisplayPadsLikeAStringWhileDebugStaysBare) {
  auto shown = [](auto manip) {
    std::ostringstream os;
    manip(os);
    return os.str();
  };
  EXPECT_EQ(shown([](std::ostream& os) { os << EmoteCategory::Refuse; }), "Refuse");
  EXPECT_EQ(shown([](std::ostream& os) { os << EmoteCategory::HeartBeat; }), "HeartBeat");
  EXPECT_EQ(shown([](std::ostream& os) { os << std::setw(12) << EmoteCategory::HeartBeat; }),
            "   HeartBeat");
  EXPECT_EQ(shown([](std::ostream& os) {
              os << std::left << std::setfill('.') << std::setw(12) << EmoteCategory::Give << '|';
            }),
            "Give........|");
  // Width smaller than the name: nothing is cut.
  EXPECT_EQ(shown([](std::ostream& os) { os << std::setw(2) << EmoteCategory::Taunt; }), "Taunt");
  // The width is consumed by the member.
  EXPECT_EQ(shown([](std::ostream& os) { os << std::setw(6) << EmoteCategory::Use << 7; }),
            "   Use7");
  EXPECT_EQ(debug_string(EmoteCategory::HeartBeat), "HeartBeat");
  // EmoteType keeps the unpadded writer.
  EXPECT_EQ(shown([](std::ostream& os) { os << std::setw(8) << EmoteType::Say; }), "Say");
}

TEST(EmoteCategory, NonMemberWritesItsNumberPaddedLikeAName) {
  std::ostringstream os;
  os << std::setw(5) << static_cast<EmoteCategory>(39) << '|' << static_cast<EmoteCategory>(40);
  EXPECT_EQ(os.str(), "   39|40");
  EXPECT_EQ(debug_string(static_cast<EmoteCategory>(39)), "39");
}

}  // namespace
}  // namespace corvane
