#include "properties/registry.hpp"

#include <algorithm>
#include <limits>
#include <type_traits>

#include "corvane/properties/vocabularies.hpp"

namespace corvane::detail::registry {

namespace {

template <class E>
std::optional<E> member_of(std::uint32_t raw) {
  using U = std::underlying_type_t<E>;
  if (raw > std::numeric_limits<U>::max()) return std::nullopt;
  return from_repr<E>(static_cast<U>(raw));
}

template <class E>
std::optional<std::size_t> enum_index_of(std::uint32_t raw) {
  const std::optional<E> member = member_of<E>(raw);
  if (!member) return std::nullopt;
  const auto all = members<E>();
  return static_cast<std::size_t>(std::lower_bound(all.begin(), all.end(), *member) - all.begin());
}

template <class E>
std::optional<std::string_view> enum_name_of(std::uint32_t raw) {
  const std::optional<E> member = member_of<E>(raw);
  if (!member) return std::nullopt;
  return name(*member);
}

template <class E>
EnumVocabulary make_enumeration() {
  EnumVocabulary v;
  v.name = enumeration_traits<E>::type_name;
  v.bits = storage_bits_v<E>;
  for (const E e : members<E>()) {
    EnumMember m{repr(e), name(e), {}};
    if constexpr (EnumerationWithDisplayNames<E>) m.display_name = display_name(e);
    v.members.push_back(m);
  }
  v.has_display_names = EnumerationWithDisplayNames<E>;
  if constexpr (EnumerationWithDefault<E>) v.default_value = repr(default_value<E>());
  v.index_of = &enum_index_of<E>;
  v.name_of = &enum_name_of<E>;
  return v;
}

template <class F>
FlagVocabulary make_flag_set() {
  using traits = flag_set_traits<F>;
  FlagVocabulary v;
  v.name = traits::type_name;
  for (const flag_entry& e : traits::flags) v.flags.push_back({e.name, e.value, e.display_name});
  v.has_display_names = traits::has_display_names;
  v.all = F::all().bits();
  v.names_of = [](std::uint32_t mask) {
    std::vector<std::pair<std::string_view, std::uint32_t>> out;
    for (const auto& [flag_name, flag] : F::from_bits_retain(mask).iter_names()) {
      out.emplace_back(flag_name, flag.bits());
    }
    return out;
  };
  v.display_names_of = [](std::uint32_t mask) {
    std::vector<std::string_view> out;
    if constexpr (traits::has_display_names) {
      for (const std::string_view n : F::from_bits_retain(mask).iter_display_names()) {
        out.push_back(n);
      }
    }
    return out;
  };
  v.text_of = [](std::uint32_t mask) { return debug_string(F::from_bits_retain(mask)); };
  v.contains = [](std::uint32_t a, std::uint32_t b) {
    return F::from_bits_retain(a).contains(F::from_bits_retain(b));
  };
  v.intersects = [](std::uint32_t a, std::uint32_t b) {
    return F::from_bits_retain(a).intersects(F::from_bits_retain(b));
  };
  v.difference = [](std::uint32_t a, std::uint32_t b) {
    return F::from_bits_retain(a).difference(F::from_bits_retain(b)).bits();
  };
  v.is_empty = [](std::uint32_t mask) { return F::from_bits_retain(mask).is_empty(); };
  v.from_bits_truncate = [](std::uint32_t raw) { return F::from_bits_truncate(raw).bits(); };
  return v;
}

template <class... E>
std::vector<EnumVocabulary> make_enumerations(type_list<E...>) {
  return {make_enumeration<E>()...};
}

template <class... F>
std::vector<FlagVocabulary> make_flag_sets(type_list<F...>) {
  return {make_flag_set<F>()...};
}

}  // namespace

std::span<const EnumVocabulary> enumerations() {
  static const std::vector<EnumVocabulary> list = make_enumerations(all_enumerations{});
  return list;
}

std::span<const FlagVocabulary> flag_sets() {
  static const std::vector<FlagVocabulary> list = make_flag_sets(all_flag_sets{});
  return list;
}

std::span<const Vocabulary> all() {
  static const std::vector<Vocabulary> list = [] {
    std::vector<Vocabulary> out;
    std::size_t next_enumeration = 0;
    std::size_t next_flag_set = 0;
    for_each_vocabulary([&]<class V>(std::string_view) {
      if constexpr (Enumeration<V>) {
        out.push_back({&enumerations()[next_enumeration++], nullptr});
      } else {
        out.push_back({nullptr, &flag_sets()[next_flag_set++]});
      }
    });
    return out;
  }();
  return list;
}

}  // namespace corvane::detail::registry
