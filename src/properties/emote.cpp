#include "corvane/properties/emote.hpp"

#include <array>
#include <cstdint>
#include <initializer_list>

namespace corvane {
namespace {

using Emote = EmoteType;

// The steps a player sees happen. Kept as a list of members rather than a rule
// on the names: `Give` and `Turn` are invisible although they sound otherwise.
constexpr std::array<std::uint64_t, 2> visible_bits(std::initializer_list<EmoteType> visible) {
  std::array<std::uint64_t, 2> bits{};
  for (const EmoteType t : visible) bits[repr(t) / 64] |= std::uint64_t{1} << (repr(t) % 64);
  return bits;
}

constexpr std::array<std::uint64_t, 2> kUserVisible = visible_bits({
    Emote::Act,
    Emote::AwardXP,
    Emote::Motion,
    Emote::Move,
    Emote::PhysScript,
    Emote::Say,
    Emote::Sound,
    Emote::Tell,
    Emote::TextDirect,
    Emote::CastSpell,
    Emote::WorldBroadcast,
    Emote::LocalBroadcast,
    Emote::DirectBroadcast,
    Emote::CastSpellInstant,
    Emote::AwardSkillXP,
    Emote::AwardSkillPoints,
    Emote::AddCharacterTitle,
    Emote::AwardLevelProportionalXP,
    Emote::AwardLevelProportionalSkillXP,
    Emote::ForceMotion,
    Emote::CreateTreasure,
    Emote::AwardNoShareXP,
    Emote::TellFellow,
    Emote::FellowBroadcast,
    Emote::Goto,
    Emote::PopUp,
    Emote::Generate,
    Emote::PetCastSpellOnOwner,
    Emote::TakeItems,
    Emote::MoveToPos,
    Emote::TeleportTarget,
    Emote::TeleportSelf,
    Emote::StartBarber,
    Emote::SpendLuminance,
    Emote::AwardLuminance,
    Emote::OpenMe,
    Emote::CloseMe,
    Emote::AddContract,
    Emote::RemoveContract,
});
static_assert(members<EmoteType>().size() <= 128, "the bitmap covers values 0 to 127");

// One string with NUL separators plus offsets: no relocation per name.
#define CORVANE_DETAIL_DISPLAY(member, value, display) display "\0"
constexpr char kDisplayNames[] = CORVANE_EMOTE_CATEGORY_MEMBERS(CORVANE_DETAIL_DISPLAY);
#undef CORVANE_DETAIL_DISPLAY

constexpr std::size_t kCategories = members<EmoteCategory>().size();
static_assert(repr(members<EmoteCategory>().back()) + 1 == kCategories,
              "display names are indexed by value");

constexpr std::array<std::uint16_t, kCategories + 1> kDisplayOffsets = [] {
  std::array<std::uint16_t, kCategories + 1> offsets{};
  std::size_t count = 0;
  for (std::size_t i = 0; i + 1 < sizeof(kDisplayNames); ++i) {
    if (kDisplayNames[i] == '\0') offsets[++count] = static_cast<std::uint16_t>(i + 1);
  }
  return offsets;
}();
static_assert(kDisplayOffsets[kCategories] + 1 == sizeof(kDisplayNames),
              "one display name per member");

}  // namespace

bool is_user_visible(EmoteType type) noexcept {
  const std::uint32_t v = repr(type);
  return v < 128 && ((kUserVisible[v / 64] >> (v % 64)) & 1u) != 0;
}

std::string_view display_name(EmoteCategory category) noexcept {
  const std::uint32_t v = repr(category);
  if (v >= kCategories) return {};
  return {kDisplayNames + kDisplayOffsets[v],
          static_cast<std::size_t>(kDisplayOffsets[v + 1] - kDisplayOffsets[v] - 1)};
}

}  // namespace corvane
