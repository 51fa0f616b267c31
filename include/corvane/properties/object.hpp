// Object classes: the broad class into which the client sorts every object.
#pragma once

#include <cstdint>

#include "corvane/properties/enumeration.hpp"

namespace corvane {

#include "corvane/properties/object_class.inc"

/// The class of an object, 32-bit on the wire: 45 members, 0 to 44. Default
/// `Unknown`. Names shared with other vocabularies (`MeleeWeapon`,
/// `Container`, `Portal` ...) carry unrelated values there.
enum class ObjectClass : std::uint32_t { CORVANE_OBJECT_CLASS_MEMBERS(CORVANE_DETAIL_ENUMERATOR) };

CORVANE_DETAIL_ENUMERATION_TRAITS(
    ObjectClass, CORVANE_OBJECT_CLASS_MEMBERS,
    static constexpr ObjectClass default_member = ObjectClass::Unknown;)

}  // namespace corvane
