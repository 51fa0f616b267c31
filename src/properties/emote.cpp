#include "corvane/properties/emote.hpp"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <string>

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

}  // namespace

bool is_user_visible(EmoteType type) noexcept {
  const std::uint32_t v = repr(type);
  return v < 128 && ((kUserVisible[v / 64] >> (v % 64)) & 1u) != 0;
}

std::ostream& operator<<(std::ostream& os, EmoteCategory category) {
  // Written as a string is: padded to the width, unlike the other enumerations.
  return os << debug_string(category);
}

}  // namespace corvane
