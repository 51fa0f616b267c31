// Emote vocabularies: the kind of each scripted emote step and the occasion an
// emote set answers.
#pragma once

#include <cstdint>
#include <ostream>
#include <string_view>

#include "corvane/export.hpp"
#include "corvane/properties/enumeration.hpp"

namespace corvane {

#include "corvane/properties/emote_type.inc"

/// The kind of one emote step, 32-bit on the wire: 122 members, 0 to 121.
/// Default `Invalid`.
enum class EmoteType : std::uint32_t { CORVANE_EMOTE_TYPE_MEMBERS(CORVANE_DETAIL_ENUMERATOR) };

CORVANE_DETAIL_ENUMERATION_TRAITS(EmoteType, CORVANE_EMOTE_TYPE_MEMBERS,
                                  static constexpr EmoteType default_member = EmoteType::Invalid;)

/// True for the 39 step kinds a player can see happen (a motion, a line said,
/// a spell cast, an award ...); false for queries, bookkeeping and the other
/// invisible steps. A fixed list, not derived from the names; false for a
/// value that is no member.
[[nodiscard]] CORVANE_EXPORT bool is_user_visible(EmoteType type) noexcept;

// Each entry: member, value, display name.
#define CORVANE_EMOTE_CATEGORY_MEMBERS(X)                          \
  X(Invalid, 0, "Invalid")                                         \
  X(Refuse, 1, "Refuse")                                           \
  X(Vendor, 2, "Vendor")                                           \
  X(Death, 3, "Death")                                             \
  X(Portal, 4, "Portal")                                           \
  X(HeartBeat, 5, "Heart Beat")                                    \
  X(Give, 6, "Give")                                               \
  X(Use, 7, "Use")                                                 \
  X(Activation, 8, "Activation")                                   \
  X(Generation, 9, "Generation")                                   \
  X(PickUp, 10, "Pick Up")                                         \
  X(Drop, 11, "Drop")                                              \
  X(QuestSuccess, 12, "Quest Success")                             \
  X(QuestFailure, 13, "Quest Failure")                             \
  X(Taunt, 14, "Taunt")                                            \
  X(WoundedTaunt, 15, "Wounded Taunt")                             \
  X(KillTaunt, 16, "Kill Taunt")                                   \
  X(NewEnemy, 17, "New Enemy")                                     \
  X(Scream, 18, "Scream")                                          \
  X(Homesick, 19, "Homesick")                                      \
  X(ReceiveCritical, 20, "Receive Critical")                       \
  X(ResistSpell, 21, "Resist Spell")                               \
  X(TestSuccess, 22, "Test Success")                               \
  X(TestFailure, 23, "Test Failure")                               \
  X(HearChat, 24, "Hear Chat")                                     \
  X(Wield, 25, "Wield")                                            \
  X(UnWield, 26, "Un-Wield")                                       \
  X(EventSuccess, 27, "Event Success")                             \
  X(EventFailure, 28, "Event Failure")                             \
  X(TestNoQuality, 29, "Test No Quality")                          \
  X(QuestNoFellow, 30, "Quest No Fellow")                          \
  X(TestNoFellow, 31, "Test No Fellow")                            \
  X(GotoSet, 32, "Goto Set")                                       \
  X(NumFellowsSuccess, 33, "Num Fellows Success")                  \
  X(NumFellowsFailure, 34, "Num Fellows Failure")                  \
  X(NumCharacterTitlesSuccess, 35, "Num Character Titles Success") \
  X(NumCharacterTitlesFailure, 36, "Num Character Titles Failure") \
  X(ReceiveLocalSignal, 37, "Receive Local Signal")                \
  X(ReceiveTalkDirect, 38, "Receive Talk Direct")

/// The occasion an emote set answers, 32-bit on the wire: 39 members, 0 to
/// 38. Default `Invalid`. The only enumeration with a display text besides its
/// name: see `display_name` and its `operator<<`.
enum class EmoteCategory : std::uint32_t {
  CORVANE_EMOTE_CATEGORY_MEMBERS(CORVANE_DETAIL_ENUMERATOR)
};

CORVANE_DETAIL_ENUMERATION_TRAITS(
    EmoteCategory, CORVANE_EMOTE_CATEGORY_MEMBERS,
    static constexpr EmoteCategory default_member = EmoteCategory::Invalid;)

/// The human-readable name of the occasion ("Heart Beat", "Un-Wield"); static
/// text valid for the whole program. Empty for a value that is no member.
[[nodiscard]] CORVANE_EXPORT std::string_view display_name(EmoteCategory category) noexcept;

/// Writes the member name (not the display name: `HeartBeat` writes
/// "HeartBeat") as a string is written: padded to the stream's width with its
/// fill, on the side its adjustment flags say. Unlike every other
/// enumeration; `debug_string` stays the bare name.
inline std::ostream& operator<<(std::ostream& os, EmoteCategory category) {
  return os << name(category);
}

}  // namespace corvane
