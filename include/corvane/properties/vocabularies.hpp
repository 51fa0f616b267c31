// Every property vocabulary of the library as a type list, for code that
// treats them all alike (the command-line tool listing names, fuzzers feeding
// raw numbers, tests looping over every table).
//
// For each `E` of `all_enumerations`:
//   enumeration_traits<E>::type_name   "SpellCategory"
//   storage_bits_v<E>                  8, 16 or 32
//   members<E>(), name(e), repr(e), from_repr<E>(raw)
//   EnumerationWithDefault<E>          whether default_value<E>() exists
// For each `F` of `all_flag_sets`:
//   flag_set_traits<F>::type_name      "CoverageMask"
//   flag_set_traits<F>::flags          the flag table in order: flag_entry
//                                      {name, value, display_name}
//   flag_set_traits<F>::has_display_names
//
// Walk a list with a fold:
//   [&]<class... E>(type_list<E...>) { (visit<E>(), ...); }(all_enumerations{});
#pragma once

#include "corvane/bake_fingerprint.hpp"
#include "corvane/character.hpp"
#include "corvane/properties/combat.hpp"
#include "corvane/properties/emote.hpp"
#include "corvane/properties/enumeration.hpp"
#include "corvane/properties/inventory.hpp"
#include "corvane/properties/object.hpp"
#include "corvane/properties/position.hpp"
#include "corvane/properties/ui.hpp"

namespace corvane {

/// A list of types, carried as a value for template argument deduction.
template <class... T>
struct type_list {
  /// Number of types in the list.
  static constexpr std::size_t size = sizeof...(T);
};

/// Every enumeration vocabulary.
using all_enumerations =
    type_list<PropertyAttribute2nd, SpellType, SpellComponentType, SpellCategory, EmoteType,
              EmoteCategory, ContainerProperties, WieldType, ObjectClass, PropertyPosition,
              ClientAction, RootElementId, FloatCanon>;

/// Every flag-set vocabulary.
using all_flag_sets =
    type_list<SpellFlags, SpellBookFilterOptions, CoverageMask, ItemType, FriendsUpdateType>;

}  // namespace corvane
