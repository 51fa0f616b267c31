// Every property vocabulary of the library as one type list, for code that
// treats them all alike (the command-line tool, the Python module, fuzzers
// feeding raw numbers, tests looping over every table).
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
// Visit every vocabulary with its name:
//   for_each_vocabulary([&]<class V>(std::string_view name) { ... });
#pragma once

#include <cstddef>
#include <string_view>
#include <type_traits>

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

/// Every vocabulary, enumerations and flag sets, in the order of their
/// documentation. Adding a vocabulary means adding it here.
using all_vocabularies =
    type_list<PropertyAttribute2nd, SpellType, SpellComponentType, SpellFlags,
              SpellBookFilterOptions, SpellCategory, EmoteType, EmoteCategory, CoverageMask,
              ItemType, ContainerProperties, WieldType, ObjectClass, PropertyPosition, ClientAction,
              RootElementId, FriendsUpdateType, FloatCanon>;

/// True for the types of `all_vocabularies`.
template <class V>
concept VocabularyType = Enumeration<V> || FlagSetType<V>;

/// The C++ name of a vocabulary type ("SpellCategory", "CoverageMask").
template <VocabularyType V>
inline constexpr std::string_view vocabulary_name_v = [] {
  if constexpr (Enumeration<V>) {
    return enumeration_traits<V>::type_name;
  } else {
    return flag_set_traits<V>::type_name;
  }
}();

namespace detail {

template <class... Lists>
struct concat;
template <class... A>
struct concat<type_list<A...>> {
  using type = type_list<A...>;
};
template <class... A, class... B, class... Rest>
struct concat<type_list<A...>, type_list<B...>, Rest...> : concat<type_list<A..., B...>, Rest...> {
};

template <class List>
struct enumerations_of;
template <class... V>
struct enumerations_of<type_list<V...>>
    : concat<type_list<>, std::conditional_t<Enumeration<V>, type_list<V>, type_list<>>...> {};

template <class List>
struct flag_sets_of;
template <class... V>
struct flag_sets_of<type_list<V...>>
    : concat<type_list<>, std::conditional_t<FlagSetType<V>, type_list<V>, type_list<>>...> {};

}  // namespace detail

/// The enumerations of `all_vocabularies`, in the same order.
using all_enumerations = typename detail::enumerations_of<all_vocabularies>::type;

/// The flag sets of `all_vocabularies`, in the same order.
using all_flag_sets = typename detail::flag_sets_of<all_vocabularies>::type;

/// Calls `visit.template operator()<V>(vocabulary_name_v<V>)` for each type
/// `V` of `List`, in order: a lambda `[&]<class V>(std::string_view name)`.
template <class List = all_vocabularies, class Visitor>
constexpr void for_each_vocabulary(Visitor&& visit) {
  [&]<class... V>(type_list<V...>) {
    (visit.template operator()<V>(vocabulary_name_v<V>), ...);
  }(List{});
}

}  // namespace corvane
