// Position slots: the numbered slots in which an object keeps stored positions
// (unrelated to the world-position model of corvane/position.hpp).
#pragma once

#include <cstdint>

#include "corvane/properties/enumeration.hpp"

namespace corvane {

#define CORVANE_PROPERTY_POSITION_MEMBERS(X) \
  X(Location, 1)                             \
  X(Destination, 2)                          \
  X(Instantiation, 3)                        \
  X(Sanctuary, 4)                            \
  X(Home, 5)                                 \
  X(ActivationMove, 6)                       \
  X(Target, 7)                               \
  X(LinkedPortalOne, 8)                      \
  X(LastPortal, 9)                           \
  X(PortalStorm, 10)                         \
  X(CrashAndTurn, 11)                        \
  X(PortalSummonLoc, 12)                     \
  X(HouseBoot, 13)                           \
  X(LastOutsideDeath, 14)                    \
  X(LinkedLifestone, 15)                     \
  X(LinkedPortalTwo, 16)                     \
  X(Save1, 17)                               \
  X(Save2, 18)                               \
  X(Save3, 19)                               \
  X(Save4, 20)                               \
  X(Save5, 21)                               \
  X(Save6, 22)                               \
  X(Save7, 23)                               \
  X(Save8, 24)                               \
  X(Save9, 25)                               \
  X(RelativeDestination, 26)                 \
  X(TeleportedCharacter, 27)

/// A stored-position slot, 32-bit on the wire: 27 members, 1 to 27 (no member
/// of value 0, so `PropertyPosition{}` is not a member). Default `Location`.
enum class PropertyPosition : std::uint32_t {
  CORVANE_PROPERTY_POSITION_MEMBERS(CORVANE_DETAIL_ENUMERATOR)
};

CORVANE_DETAIL_ENUMERATION_TRAITS(PropertyPosition, CORVANE_PROPERTY_POSITION_MEMBERS,
                                  static constexpr PropertyPosition default_member =
                                      PropertyPosition::Location;)

/// True for the slots a recall brings the player back to: `Sanctuary`,
/// `LinkedPortalOne`, `LastPortal`, `LinkedLifestone`, `LinkedPortalTwo`.
/// False for every other value (`Home` included).
[[nodiscard]] constexpr bool is_recall_target(PropertyPosition slot) noexcept {
  using enum PropertyPosition;
  return slot == Sanctuary || slot == LinkedPortalOne || slot == LastPortal ||
         slot == LinkedLifestone || slot == LinkedPortalTwo;
}

/// True for the administrator save slots `Save1` to `Save9` (17 to 25).
[[nodiscard]] constexpr bool is_admin_save_slot(PropertyPosition slot) noexcept {
  // Values below 17 wrap around to large numbers and fail the test.
  return repr(slot) - 17u < 9u;
}

}  // namespace corvane
