// Object classes: the broad class into which the client sorts every object.
#pragma once

#include <cstdint>

#include "corvane/properties/enumeration.hpp"

namespace corvane {

/// The class of an object, 32-bit on the wire: 45 members, 0 to 44. Default
/// `Unknown`. Names shared with other vocabularies (`MeleeWeapon`,
/// `Container`, `Portal` ...) carry unrelated values there.
#define CORVANE_ENUMERATION (ObjectClass, std::uint32_t, object_class, Unknown)
#include "corvane/properties/declare_vocabulary.inc"

}  // namespace corvane
