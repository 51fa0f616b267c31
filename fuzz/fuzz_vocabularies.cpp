// Arbitrary raw numbers through from_repr of every enumeration, and arbitrary
// masks through every flag-set operation.
//
// Enumerations: the constant-time lookup (dense table or hash) is compared
// with a linear search of the member table; a member round-trips through
// repr, name and the texts; a non-member has no name. Flag sets: every mask
// operation against plain bit arithmetic, and iter_names against the walk of
// the flag table written here from its rule.
#include <cstdint>
#include <iomanip>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "corvane/properties/vocabularies.hpp"
#include "fuzz_support.hpp"

namespace {

using namespace corvane;

template <class E>
void check_enumeration(fuzz::Input& in) {
  using U = std::underlying_type_t<E>;
  const auto all = members<E>();
  // The raw number: anything of the storage width, or a member's value moved
  // by -2 to +2 so that holes and both ends of sparse lists are reached.
  U raw;
  const std::uint8_t how = in.u8();
  if (how & 1u) {
    const std::size_t i = in.u16() % all.size();
    raw = static_cast<U>(repr(all[i]) + static_cast<U>(static_cast<int>(how >> 1) % 5 - 2));
  } else {
    raw = static_cast<U>(in.u32());
  }

  std::size_t index = all.size();
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (repr(all[i]) == raw) index = i;
  }
  const std::optional<E> found = from_repr<E>(raw);
  const auto type = enumeration_traits<E>::type_name;
  FUZZ_CHECK(found.has_value() == (index < all.size()), "%.*s: from_repr(%llu) %s",
             static_cast<int>(type.size()), type.data(), static_cast<unsigned long long>(raw),
             found ? "found a non-member" : "missed a member");

  std::ostringstream os;
  os << std::setw(40) << std::setfill('#') << static_cast<E>(raw) << '|';
  if (found) {
    FUZZ_CHECK(*found == all[index] && repr(*found) == raw, "member round trip");
    const std::string_view n = name(*found);
    FUZZ_CHECK(!n.empty(), "member %llu without a name", static_cast<unsigned long long>(raw));
    for (const char c : n) {
      FUZZ_CHECK((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_',
                 "name '%.*s' is not an identifier", static_cast<int>(n.size()), n.data());
    }
    FUZZ_CHECK(debug_string(*found) == n, "debug text differs from the name");
    // Names are unique: a neighbour in the table never has the same one.
    if (index > 0) FUZZ_CHECK(name(all[index - 1]) != n, "repeated name");
  } else {
    FUZZ_CHECK(name(static_cast<E>(raw)).empty(), "a non-member has a name");
    FUZZ_CHECK(debug_string(static_cast<E>(raw)) == std::to_string(raw), "non-member debug text");
  }
  // The member name, or the decimal number of a non-member.
  std::string expected = found ? std::string(name(*found)) : std::to_string(raw);
  if constexpr (std::is_same_v<E, EmoteCategory>) {
    // The one enumeration written like a string: padded to the width.
    std::ostringstream padded;
    padded << std::setw(40) << std::setfill('#') << expected;
    expected = padded.str();
  }
  FUZZ_CHECK(os.str() == expected + "|", "operator<< wrote '%s'", os.str().c_str());

  if constexpr (std::is_same_v<E, PropertyAttribute2nd>) {
    if (found) FUZZ_CHECK(is_max(*found) == ((raw & 1u) == 1u) && is_current(*found) != is_max(*found),
                          "is_max / is_current of %u", unsigned{raw});
  }
  if constexpr (std::is_same_v<E, PropertyPosition>) {
    if (found) {
      FUZZ_CHECK(is_admin_save_slot(*found) == (raw >= 17 && raw <= 25), "is_admin_save_slot(%u)", unsigned{raw});
      (void)is_recall_target(*found);
    }
    FUZZ_CHECK(!is_admin_save_slot(static_cast<E>(raw)) || (raw >= 17 && raw <= 25),
               "is_admin_save_slot(%u) of a non-slot", unsigned{raw});
  }
  if constexpr (std::is_same_v<E, EmoteType>) {
    if (!found) FUZZ_CHECK(!is_user_visible(static_cast<E>(raw)), "a non-member is visible");
  }
  if constexpr (std::is_same_v<E, EmoteCategory>) {
    FUZZ_CHECK(display_name(static_cast<E>(raw)).empty() == !found, "display name of %u", unsigned{raw});
  }
  if constexpr (EnumerationWithDefault<E>) {
    FUZZ_CHECK(from_repr<E>(repr(default_value<E>())) == default_value<E>(), "default not a member");
  }
}

// The walk of the flag table by its rule: table order, a flag is taken when
// the source holds all its bits and some of them are still uncovered; the
// walk ends at the table's end or when nothing is left uncovered.
template <class F>
std::vector<std::size_t> reference_walk(std::uint32_t source, std::uint32_t& left) {
  const auto& table = flag_set_traits<F>::flags;
  std::vector<std::size_t> taken;
  left = source;
  for (std::size_t i = 0; i < table.size() && left != 0; ++i) {
    const flag_entry& e = table[i];
    if (e.name.empty()) continue;
    if ((source & e.value) == e.value && (left & e.value) != 0) {
      left &= ~e.value;
      taken.push_back(i);
    }
  }
  return taken;
}

template <class F>
void check_flag_set(fuzz::Input& in) {
  const auto& table = flag_set_traits<F>::flags;
  const auto type = flag_set_traits<F>::type_name;
  std::uint32_t all_bits = 0;
  for (const flag_entry& e : table) all_bits |= e.value;

  // Masks: raw, or named flags picked by the bits of a word plus stray bits.
  const auto mask = [&]() {
    const std::uint8_t how = in.u8();
    std::uint32_t m = in.u32();
    if (how & 1u) {
      std::uint32_t picked = 0;
      for (std::size_t i = 0; i < table.size() && i < 32; ++i) {
        if (m & (1u << i)) picked |= table[i].value;
      }
      m = picked | ((how & 2u) ? (1u << (how >> 3)) : 0u);
    }
    return m;
  };
  const std::uint32_t a = mask();
  const std::uint32_t b = mask();
  const F fa = F::from_bits_retain(a);
  const F fb = F::from_bits_retain(b);

  FUZZ_CHECK(fa.bits() == a && F::all().bits() == all_bits &&
                 F::from_bits_truncate(a).bits() == (a & all_bits),
             "%.*s: retain / truncate / all", static_cast<int>(type.size()), type.data());
  FUZZ_CHECK((fa | fb).bits() == (a | b) && fa.difference(fb).bits() == (a & ~b), "union / difference");
  F u = fa;
  u |= fb;
  F r = fa;
  r.remove(fb);
  FUZZ_CHECK(u.bits() == (a | b) && r.bits() == (a & ~b), "|= / remove");
  FUZZ_CHECK(fa.contains(fb) == ((a & b) == b) && fa.intersects(fb) == ((a & b) != 0) &&
                 fa.is_empty() == (a == 0) && (fa == fb) == (a == b),
             "contains / intersects / is_empty / ==");
  FUZZ_CHECK(fa.contains(F{}) && !fa.intersects(F{}), "the empty set");

  std::uint32_t left = 0;
  const std::vector<std::size_t> expected = reference_walk<F>(a, left);
  std::vector<std::pair<std::string_view, std::uint32_t>> got;
  for (const auto& [n, flag] : fa.iter_names()) got.emplace_back(n, flag.bits());
  FUZZ_CHECK(got.size() == expected.size(), "%.*s: iter_names of %08X yields %zu flags, the walk %zu",
             static_cast<int>(type.size()), type.data(), a, got.size(), expected.size());
  std::uint32_t covered = 0;
  for (std::size_t k = 0; k < got.size(); ++k) {
    const flag_entry& e = table[expected[k]];
    FUZZ_CHECK(got[k].first == e.name && got[k].second == e.value, "flag %zu of %08X", k, a);
    FUZZ_CHECK(e.value != 0 && (a & e.value) == e.value, "yielded a flag not held");
    covered |= e.value;
  }
  // Together the yielded flags cover every named flag the mask holds.
  std::uint32_t held = 0;
  for (const flag_entry& e : table) {
    if (!e.name.empty() && (a & e.value) == e.value) held |= e.value;
  }
  FUZZ_CHECK(covered == held, "iter_names of %08X covers %08X, the held flags %08X", a, covered, held);

  if constexpr (flag_set_traits<F>::has_display_names) {
    std::size_t k = 0;
    for (const std::string_view d : fa.iter_display_names()) {
      FUZZ_CHECK(k < expected.size(), "more display names than names");
      const flag_entry& e = table[expected[k++]];
      FUZZ_CHECK(d == (e.display_name.empty() ? e.name : e.display_name), "display name %zu", k);
    }
    FUZZ_CHECK(k == expected.size(), "fewer display names than names");
  }

  // Text: the yielded names joined by " | ", then the bits no yielded flag
  // covers in hexadecimal; the empty mask writes its value-0 constant.
  std::string text;
  for (const auto& [n, v] : got) text += (text.empty() ? "" : " | ") + std::string(n);
  const std::uint32_t rest = a & ~covered;
  std::string_view zero_name;
  for (const flag_entry& e : table) {
    if (e.value == 0 && !e.name.empty() && zero_name.empty()) zero_name = e.name;
  }
  if (a == 0 && !zero_name.empty()) {
    text = std::string(zero_name);
  } else if (rest != 0 || text.empty()) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", rest);
    text += (text.empty() ? "" : " | ") + std::string(hex);
  }
  FUZZ_CHECK(debug_string(fa) == text, "debug text '%s', expected '%s'", debug_string(fa).c_str(),
             text.c_str());
  std::ostringstream os;
  os << std::setw(60) << fa << '|';
  FUZZ_CHECK(os.str() == text + "|", "operator<< wrote '%s'", os.str().c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  // Which vocabularies this input exercises, then one case for each.
  const std::uint32_t pick = in.u32();
  std::size_t bit = 0;
  [&]<class... E>(type_list<E...>) {
    ((((pick >> (bit++ % 32)) & 1u) ? check_enumeration<E>(in) : void()), ...);
  }(all_enumerations{});
  [&]<class... F>(type_list<F...>) {
    ((((pick >> (bit++ % 32)) & 1u) ? check_flag_set<F>(in) : void()), ...);
  }(all_flag_sets{});
  return 0;
}
