// The text forms of every enumeration and flag set, compiled once here so
// that the vocabulary headers need no <ostream> or <string>. Also where every
// vocabulary's tables are first built: a member list that breaks a rule
// (values not ascending, a name missing) fails the library's own build.
#include "corvane/properties/enumeration.hpp"

#include <ostream>
#include <string>

#include "corvane/properties/vocabularies.hpp"
#include "text/hex.hpp"
#include "text/unpadded.hpp"

namespace corvane {

static_assert([] {
  for_each_vocabulary([]<class V>(std::string_view) {
    if constexpr (Enumeration<V>) static_cast<void>(members<V>());
  });
  return true;
}());

namespace detail {

std::ostream& write_member(std::ostream& os, std::string_view name, std::uint32_t raw) {
  if (!name.empty()) return write_unpadded(os, name);
  return write_unpadded(os, std::to_string(raw));
}

std::string member_text(std::string_view name, std::uint32_t raw) {
  return name.empty() ? std::to_string(raw) : std::string(name);
}

std::string flag_set_text(std::span<const flag_entry> table, std::uint32_t bits) {
  std::string out;
  flag_walk walk{bits, bits, 0};
  for (std::size_t i = walk.next(table); i != flag_walk::kEnd; i = walk.next(table)) {
    if (!out.empty()) out += " | ";
    out += table[i].name;
  }
  if (bits == 0) {
    for (const flag_entry& e : table) {
      if (e.value == 0 && !e.name.empty()) return std::string(e.name);
    }
  }
  if (walk.remaining != 0 || out.empty()) {
    if (!out.empty()) out += " | ";
    char hex[2 + 8] = {'0', 'x'};
    const char* end = write_hex(hex + 2, walk.remaining, hex_digit_count(walk.remaining));
    out.append(hex, static_cast<std::size_t>(end - hex));
  }
  return out;
}

std::ostream& write_flag_set(std::ostream& os, std::span<const flag_entry> table,
                             std::uint32_t bits) {
  return write_unpadded(os, flag_set_text(table, bits));
}

}  // namespace detail
}  // namespace corvane
