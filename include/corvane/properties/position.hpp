// Position slots: the numbered slots in which an object keeps stored positions
// (unrelated to the world-position model of corvane/position.hpp).
#pragma once

#include <cstdint>

#include "corvane/properties/enumeration.hpp"

namespace corvane {

/// A stored-position slot, 32-bit on the wire: 27 members, 1 to 27 (no member
/// of value 0, so `PropertyPosition{}` is not a member). Default `Location`.
#define CORVANE_ENUMERATION (PropertyPosition, std::uint32_t, property_position, Location)
#include "corvane/properties/declare_vocabulary.inc"

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
