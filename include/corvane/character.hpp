// Secondary attributes: the three vitals, each as a maximum and a current value.
#pragma once

#include <cstdint>

#include "corvane/properties/enumeration.hpp"

namespace corvane {

/// A secondary attribute (vital), 16-bit on the wire. Default `None`.
#define CORVANE_ENUMERATION (PropertyAttribute2nd, std::uint16_t, property_attribute_2nd, None)
#include "corvane/properties/declare_vocabulary.inc"

/// True for the maxima (`MaxHealth`, `MaxStamina`, `MaxMana`): the lowest bit
/// of the value is set. Exactly one of `is_max` and `is_current` holds, for
/// any value.
[[nodiscard]] constexpr bool is_max(PropertyAttribute2nd a) noexcept {
  return (repr(a) & 1u) == 1u;
}

/// True for `None`, `Health`, `Stamina` and `Mana`: the negation of `is_max`.
[[nodiscard]] constexpr bool is_current(PropertyAttribute2nd a) noexcept { return !is_max(a); }

}  // namespace corvane
