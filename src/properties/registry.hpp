// Every vocabulary of the library as data, for the surfaces that treat them
// all alike at run time (the corvane tool, the Python module): names, values,
// display names, defaults, and each lookup and flag operation as the
// vocabulary's own C++ code answers it, behind a function pointer. Built once,
// from all_vocabularies, so that the surfaces agree by construction.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvane::detail::registry {

/// One member of an enumeration.
struct EnumMember {
  std::uint32_t value = 0;
  std::string_view name;
  std::string_view display_name;  // empty where the vocabulary has none
};

/// An enumeration vocabulary.
struct EnumVocabulary {
  std::string_view name;
  unsigned bits = 0;
  std::vector<EnumMember> members;  // ascending value
  bool has_display_names = false;
  std::optional<std::uint32_t> default_value;
  /// from_repr: the position in `members` of the member whose value is `raw`;
  /// empty for no member (also for a raw number wider than the storage).
  std::optional<std::size_t> (*index_of)(std::uint32_t raw) = nullptr;
  /// from_repr and name: the member name of `raw`, or empty.
  std::optional<std::string_view> (*name_of)(std::uint32_t raw) = nullptr;
};

/// One named flag of a flag set.
struct FlagInfo {
  std::string_view name;
  std::uint32_t value = 0;
  std::string_view display_name;  // empty where the vocabulary has none
};

/// A flag-set vocabulary: values are 32-bit masks.
struct FlagVocabulary {
  std::string_view name;
  std::vector<FlagInfo> flags;  // table order
  bool has_display_names = false;
  std::uint32_t all = 0;
  /// iter_names of a mask: (name, value) in table order.
  std::vector<std::pair<std::string_view, std::uint32_t>> (*names_of)(std::uint32_t mask) = nullptr;
  /// iter_display_names (empty when the vocabulary has none).
  std::vector<std::string_view> (*display_names_of)(std::uint32_t mask) = nullptr;
  /// The text form: "CHEST | HEAD | 0x1".
  std::string (*text_of)(std::uint32_t mask) = nullptr;
  bool (*contains)(std::uint32_t mask, std::uint32_t other) = nullptr;
  bool (*intersects)(std::uint32_t mask, std::uint32_t other) = nullptr;
  std::uint32_t (*difference)(std::uint32_t mask, std::uint32_t other) = nullptr;
  bool (*is_empty)(std::uint32_t mask) = nullptr;
  std::uint32_t (*from_bits_truncate)(std::uint32_t raw) = nullptr;
};

/// Every enumeration, in the library's order.
std::span<const EnumVocabulary> enumerations();
/// Every flag set, in the library's order.
std::span<const FlagVocabulary> flag_sets();

/// One vocabulary of the library's list: exactly one pointer is set.
struct Vocabulary {
  const EnumVocabulary* enumeration = nullptr;
  const FlagVocabulary* flag_set = nullptr;
  [[nodiscard]] std::string_view name() const noexcept {
    return enumeration != nullptr ? enumeration->name : flag_set->name;
  }
};

/// Every vocabulary, enumerations and flag sets interleaved as the library
/// lists them.
std::span<const Vocabulary> all();

}  // namespace corvane::detail::registry

namespace corvane {
// Internal, like everything in detail: the surfaces' short name for it.
namespace registry = detail::registry;
}  // namespace corvane
