// Object classes: the broad class into which the client sorts every object.
#pragma once

#include <cstdint>

#include "corvane/properties/enumeration.hpp"

namespace corvane {

/// The class of an object, 32-bit on the wire: 45 members, 0 to 44. Default
/// `Unknown`. Names shared with other vocabularies (`MeleeWeapon`,
/// `Container`, `Portal` ...) carry unrelated values there.
enum class ObjectClass : std::uint32_t {
#define CORVANE_MEMBER CORVANE_DETAIL_ENUMERATOR
#include "corvane/properties/object_class.inc"
#undef CORVANE_MEMBER
};

template <>
struct enumeration_traits<ObjectClass> {
  static constexpr std::string_view type_name = "ObjectClass";
  static constexpr std::uint32_t values[] = {
#define CORVANE_MEMBER CORVANE_DETAIL_VALUE
#include "corvane/properties/object_class.inc"
#undef CORVANE_MEMBER
  };
  static constexpr char names[] =
#define CORVANE_MEMBER CORVANE_DETAIL_NAME
#include "corvane/properties/object_class.inc"
#undef CORVANE_MEMBER
      ;
  static constexpr ObjectClass default_member = ObjectClass::Unknown;
};

}  // namespace corvane
