// The enum and flags subcommands: the library's vocabularies, looked up both
// ways, with suggestions for names that are nearly right.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "input.hpp"
#include "properties/registry.hpp"
#include "output.hpp"
#include "stream.hpp"

namespace corvane::cli {

/// The vocabularies as the library's registry describes them, shared with the
/// Python module.
using registry::EnumMember;
using registry::EnumVocabulary;
using registry::FlagInfo;
using registry::FlagVocabulary;

/// Every enumeration of the library, in the order of its documentation.
inline std::span<const EnumVocabulary> enum_vocabularies() { return registry::enumerations(); }
/// Every flag set of the library.
inline std::span<const FlagVocabulary> flag_vocabularies() { return registry::flag_sets(); }

/// Up to `limit` candidates closest to `query`, nearest first: edit distance
/// ignoring case (a transposition counts as one edit), and names that contain
/// the query, ignoring case. Empty when nothing is reasonably close.
std::vector<std::string_view> suggest(std::string_view query,
                                      std::span<const std::string_view> candidates,
                                      std::size_t limit = 3);

/// ", did you mean 'A', 'B' or 'C'?" for the suggestions, or "" for none.
std::string did_you_mean(const std::vector<std::string_view>& suggestions);

/// The vocabulary named `name`: exact, or the only one equal ignoring case.
/// Kinds: an enumeration, a flag set, or an error with suggestions.
using VocabularyRef = std::variant<const EnumVocabulary*, const FlagVocabulary*, Error>;
VocabularyRef find_vocabulary(std::string_view name);

/// Lookups in an enumeration, one value or name per line: a value (decimal or
/// 0x hex) gives its member, a name (exact) its value.
Command make_enum_command(const EnumVocabulary& vocabulary);

/// Masks of a flag set, one per line: the union of every number and flag name
/// on the line (separated by blanks, commas or '|'), decoded into its flags in
/// table order, display names, and the bits no flag names.
Command make_flags_command(const FlagVocabulary& vocabulary);

/// The list of vocabularies (enumerations, then flag sets).
void list_vocabularies(std::ostream& out, Format format);
/// The list of flag sets alone.
void list_flag_sets(std::ostream& out, Format format);
/// Every member of an enumeration with its value.
void list_members(std::ostream& out, Format format, const EnumVocabulary& vocabulary);
/// The flag table of a flag set.
void list_flags(std::ostream& out, Format format, const FlagVocabulary& vocabulary);

}  // namespace corvane::cli
