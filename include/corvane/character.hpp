// Secondary attributes: the three vitals, each as a maximum and a current value.
#pragma once

#include <cstdint>

#include "corvane/export.hpp"
#include "corvane/properties/enumeration.hpp"

// X11 defines `None` as a macro; keep member names usable after <X11/X.h>.
#pragma push_macro("None")
#undef None

namespace corvane {

// Each vital is an adjacent pair: the maximum at an odd value, its current
// value at the following even value.
#define CORVANE_PROPERTY_ATTRIBUTE_2ND_MEMBERS(X) \
  X(None, 0)                                      \
  X(MaxHealth, 1)                                 \
  X(Health, 2)                                    \
  X(MaxStamina, 3)                                \
  X(Stamina, 4)                                   \
  X(MaxMana, 5)                                   \
  X(Mana, 6)

/// A secondary attribute (vital), 16-bit on the wire. Default `None`.
enum class PropertyAttribute2nd : std::uint16_t {
  CORVANE_PROPERTY_ATTRIBUTE_2ND_MEMBERS(CORVANE_DETAIL_ENUMERATOR)
};

CORVANE_DETAIL_ENUMERATION_TRAITS(PropertyAttribute2nd, CORVANE_PROPERTY_ATTRIBUTE_2ND_MEMBERS,
                                  static constexpr PropertyAttribute2nd default_member =
                                      PropertyAttribute2nd::None;)

/// True for the maxima (`MaxHealth`, `MaxStamina`, `MaxMana`): the lowest bit
/// of the value is set. Exactly one of `is_max` and `is_current` holds, for
/// any value.
[[nodiscard]] constexpr bool is_max(PropertyAttribute2nd a) noexcept {
  return (repr(a) & 1u) == 1u;
}

/// True for `None`, `Health`, `Stamina` and `Mana`: the negation of `is_max`.
[[nodiscard]] constexpr bool is_current(PropertyAttribute2nd a) noexcept { return !is_max(a); }

}  // namespace corvane

#pragma pop_macro("None")
