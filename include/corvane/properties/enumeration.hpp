// What every property vocabulary offers: typed enumerations with fixed wire
// values, and flag sets (32-bit masks with a table of named flags).
//
//   corvane::from_repr<SpellType>(3)      -> std::optional<SpellType>{Boost}
//   corvane::repr(SpellType::Boost)       -> 3u
//   corvane::name(SpellType::Boost)       -> "Boost"
//   corvane::default_value<SpellType>()   -> SpellType::None (where one is fixed)
//   corvane::members<SpellType>()         -> every member, ascending
//   std::cout << SpellType::Boost         -> "Boost"
//
//   CoverageMask::CHEST | CoverageMask::HEAD, .contains(...), .iter_names()
//
// The vocabularies themselves are declared by the family headers (combat.hpp,
// emote.hpp ...), each from its member list in corvane/properties/lists/; see
// declare_vocabulary.inc. Every operation here is a constant-time lookup in
// tables built at compile time and allocates nothing, except the text forms.
//
// Only <iosfwd> is needed for text: the stream operators and debug texts are
// compiled into the library. `debug_string` returns a std::string, which a
// caller that uses the result has included (<iosfwd> declares it).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <span>
#include <string_view>
#include <type_traits>
#include <utility>

#include "corvane/export.hpp"

namespace corvane {

namespace detail {
template <class E>
struct enumeration_table;
template <class F, bool Display>
class flag_name_view;
/// std::string, needed complete only where a text function is called.
template <class T>
using text_for = std::conditional_t<sizeof(T) != 0, std::string, void>;
}  // namespace detail

// ---------------------------------------------------------------------------
// Enumerations
// ---------------------------------------------------------------------------

/// Specialised once per enumeration vocabulary, from its member list (never
/// by users). Members:
///   `static constexpr std::string_view type_name`   the C++ type name
///   `static constexpr U values[]`                   member values, ascending
///   `static constexpr char names[]`                 names, each ended by '\0'
///   `static constexpr char display_names[]`         likewise, or "" for none
/// (`values` and `names` may also be `std::array`s computed at compile time;
/// `display_names` may be absent) and, only where the vocabulary fixes a
/// default member, `static constexpr E default_member`.
template <class E>
struct enumeration_traits;

/// True for the property enumerations of this library.
template <class E>
concept Enumeration = std::is_enum_v<E> && requires {
  enumeration_traits<E>::type_name;
  enumeration_traits<E>::values;
  enumeration_traits<E>::names;
};

/// The storage width of an enumeration in bits: 8, 16 or 32.
template <Enumeration E>
inline constexpr unsigned storage_bits_v = 8u * sizeof(std::underlying_type_t<E>);

/// The member whose value is `raw`, or empty for any other number (holes,
/// below the first member, past the last). Never clamps or reports.
template <Enumeration E>
[[nodiscard]] constexpr std::optional<E> from_repr(std::underlying_type_t<E> raw) noexcept;

/// The wire value of `e` in its storage width, exactly.
template <Enumeration E>
[[nodiscard]] constexpr std::underlying_type_t<E> repr(E e) noexcept {
  return static_cast<std::underlying_type_t<E>>(e);
}

/// The declared name of `e`, letter for letter; static text valid for the
/// whole program. A value that is no member (only reachable through a cast)
/// gives the empty view.
template <Enumeration E>
[[nodiscard]] constexpr std::string_view name(E e) noexcept;

/// Every member in ascending order of value, as a contiguous range.
template <Enumeration E>
[[nodiscard]] constexpr std::span<const E, detail::enumeration_table<E>::size> members() noexcept {
  return detail::enumeration_table<E>::members;
}

/// True when the vocabulary fixes a default member.
template <class E>
concept EnumerationWithDefault =
    Enumeration<E> && requires { enumeration_traits<E>::default_member; };

/// The fixed default member. Absent where the vocabulary fixes none (`E{}` is
/// value 0, which is not even a member of every vocabulary).
template <EnumerationWithDefault E>
[[nodiscard]] constexpr E default_value() noexcept {
  return enumeration_traits<E>::default_member;
}

/// True when the vocabulary's list gives every member a display name
/// (`EmoteCategory`).
template <class E>
concept EnumerationWithDisplayNames =
    Enumeration<E> && requires { enumeration_traits<E>::display_names; } &&
    (std::size(enumeration_traits<E>::display_names) > 1);

/// The player-facing name of `e` ("Heart Beat", "Un-Wield"); static text
/// valid for the whole program. Empty for a value that is no member.
template <EnumerationWithDisplayNames E>
[[nodiscard]] constexpr std::string_view display_name(E e) noexcept;

/// The debug text: the bare member name (a non-member value: its decimal number).
template <Enumeration E>
[[nodiscard]] detail::text_for<E> debug_string(E e);

/// Writes the bare member name (a non-member value: its decimal number).
/// Width, fill and alignment are ignored (the width is consumed, as by any
/// formatted output); the stream's other settings are left as they were.
/// `EmoteCategory` has its own padding overload, which this one yields to.
template <Enumeration E>
std::ostream& operator<<(std::ostream& os, E e);

// ---------------------------------------------------------------------------
// Flag sets
// ---------------------------------------------------------------------------

/// One named flag of a flag set: its name, its value (as a rule a single bit;
/// 0 is allowed and is never yielded by `iter_names`) and an optional
/// player-facing display name (empty where the vocabulary has none).
struct flag_entry {
  std::string_view name;
  std::uint32_t value;
  std::string_view display_name;
};

/// Specialised once per flag set, from its list (never by users). Members:
///   `static constexpr std::string_view type_name`
///   `static constexpr std::array<flag_entry, N> flags`   in table order
///   `static constexpr bool has_display_names`
template <class F>
struct flag_set_traits;

template <class F>
class FlagSet;

/// True for the flag sets of this library.
template <class F>
concept FlagSetType = std::is_base_of_v<FlagSet<F>, F> && requires {
  flag_set_traits<F>::type_name;
  flag_set_traits<F>::flags;
};

/// The one template behind every flag set (`class CoverageMask : public
/// FlagSet<CoverageMask>`). A value is a 32-bit mask; bits that no named flag
/// covers are kept by every operation except `from_bits_truncate` and never
/// produce a name. Operations take only the same flag-set type: mixing two
/// flag sets does not compile.
template <class F>
class FlagSet {
 public:
  /// The empty mask.
  constexpr FlagSet() noexcept = default;

  /// The raw 32-bit mask.
  [[nodiscard]] constexpr std::uint32_t bits() const noexcept { return bits_; }

  /// Exactly the bits of `raw`, named or not.
  [[nodiscard]] static constexpr F from_bits_retain(std::uint32_t raw) noexcept {
    F f{};
    static_cast<FlagSet&>(f).bits_ = raw;
    return f;
  }
  /// `raw` without the bits no named flag covers.
  [[nodiscard]] static constexpr F from_bits_truncate(std::uint32_t raw) noexcept {
    return from_bits_retain(raw & all_bits());
  }
  /// Every named flag (0 for an empty table).
  [[nodiscard]] static constexpr F all() noexcept { return from_bits_retain(all_bits()); }

  /// The union.
  [[nodiscard]] friend constexpr F operator|(F a, F b) noexcept {
    return from_bits_retain(a.bits() | b.bits());
  }
  /// Adds the bits of `other`.
  constexpr F& operator|=(F other) noexcept {
    bits_ |= other.bits();
    return static_cast<F&>(*this);
  }
  /// True when every bit of `other` is set here; true for an empty `other`.
  [[nodiscard]] constexpr bool contains(F other) const noexcept {
    return (bits_ & other.bits()) == other.bits();
  }
  /// True when a bit is set in both; false when either is empty.
  [[nodiscard]] constexpr bool intersects(F other) const noexcept {
    return (bits_ & other.bits()) != 0;
  }
  /// These bits without those of `other`.
  [[nodiscard]] constexpr F difference(F other) const noexcept {
    return from_bits_retain(bits_ & ~other.bits());
  }
  /// Clears the bits of `other` here.
  constexpr void remove(F other) noexcept { bits_ &= ~other.bits(); }
  /// True when no bit is set.
  [[nodiscard]] constexpr bool is_empty() const noexcept { return bits_ == 0; }

  /// The named flags held, as a lazy forward range of (name, flag) pairs in
  /// table order. A flag is yielded when all its bits are held and not all of
  /// them were covered by flags yielded before it; a flag of value 0 and bits
  /// no flag covers are never yielded. Allocates nothing.
  [[nodiscard]] constexpr detail::flag_name_view<F, false> iter_names() const noexcept {
    return detail::flag_name_view<F, false>(bits_);
  }
  /// The display names of exactly the flags `iter_names` yields, in the same
  /// order (a flag without a display name passes its name through).
  template <class G = F>
    requires(flag_set_traits<G>::has_display_names)
  [[nodiscard]] constexpr detail::flag_name_view<G, true> iter_display_names() const noexcept {
    return detail::flag_name_view<G, true>(bits_);
  }

  /// Equal when the masks are equal.
  [[nodiscard]] friend constexpr bool operator==(F a, F b) noexcept {
    return a.bits() == b.bits();
  }

 private:
  static constexpr std::uint32_t all_bits() noexcept {
    std::uint32_t mask = 0;
    for (const flag_entry& e : flag_set_traits<F>::flags) mask |= e.value;
    return mask;
  }

  std::uint32_t bits_ = 0;
};

/// The text form of a flag-set value: the names `iter_names` yields joined by
/// " | ", then any bits left over in hexadecimal ("CHEST | HEAD | 0x1"). The
/// empty mask writes the name of the table's value-0 constant if it has one
/// ("FULL"), "0x0" otherwise.
template <FlagSetType F>
[[nodiscard]] detail::text_for<F> debug_string(F f);

/// Writes `debug_string(f)`, unpadded like an enumeration member.
template <FlagSetType F>
std::ostream& operator<<(std::ostream& os, F f);

// ---------------------------------------------------------------------------
// Implementation details follow.
// ---------------------------------------------------------------------------

namespace detail {

inline constexpr std::uint16_t kNoIndex = 0xFFFF;

/// The offsets of `Count` names in `text`, each ended by '\0' (the final one
/// by the literal's own terminator as well): name i is text[offsets[i]] up to
/// offsets[i + 1] - 1. All zero when `text` does not hold exactly `Count` names.
template <class Offset, std::size_t Count, class Text>
constexpr std::array<Offset, Count + 1> split_names(const Text& text) {
  std::array<Offset, Count + 1> offsets{};
  std::size_t count = 0;
  // The last byte is the literal's own terminator, not a separator.
  for (std::size_t i = 0; i + 1 < std::size(text); ++i) {
    if (text[i] == '\0') {
      if (++count > Count) break;
      offsets[count] = static_cast<Offset>(i + 1);
    }
  }
  return count == Count ? offsets : std::array<Offset, Count + 1>{};
}

/// Name `i` of a text split by `split_names`.
template <class Text, class Offsets>
constexpr std::string_view name_in(const Text& text, const Offsets& offsets, std::size_t i) {
  return std::string_view(std::data(text) + offsets[i],
                          static_cast<std::size_t>(offsets[i + 1] - offsets[i] - 1));
}

/// The smallest offset type for a names text of `Length` bytes.
template <std::size_t Length>
using name_offset_t = std::conditional_t<(Length <= 0xFFFF), std::uint16_t, std::uint32_t>;

template <class E>
struct enumeration_table {
  using traits = enumeration_traits<E>;
  using underlying = std::underlying_type_t<E>;

  static constexpr std::size_t size = std::size(traits::values);
  static_assert(size > 0 && size < kNoIndex, "an enumeration has 1 to 65534 members");

  static constexpr bool values_ascend() {
    for (std::size_t i = 1; i < size; ++i) {
      if (!(traits::values[i - 1] < traits::values[i])) return false;
    }
    return true;
  }
  // Strictly ascending also proves the values unique, in one linear pass.
  static_assert(values_ascend(), "member values must be unique and declared in ascending order");

  static constexpr underlying first = traits::values[0];
  static constexpr underlying last = traits::values[size - 1];
  static constexpr std::uint64_t span = std::uint64_t{last} - std::uint64_t{first} + 1;

  // A dense table costs two bytes per value of the span; take it while that
  // stays within a few times the member count (SpellCategory: 734 values for
  // 729 members), hash otherwise (RootElementId: 9 members over 1709 values).
  static constexpr bool dense = span <= 4 * size + 64;

  static constexpr auto name_offsets =
      split_names<name_offset_t<std::size(traits::names)>, size>(traits::names);
  static_assert(name_offsets[size] != 0, "one name per member value");

  static constexpr bool has_display_names = EnumerationWithDisplayNames<E>;
  static constexpr auto display_offsets = [] {
    if constexpr (has_display_names) {
      constexpr auto& text = traits::display_names;
      return split_names<name_offset_t<std::size(text)>, size>(text);
    } else {
      return std::array<std::uint16_t, 0>{};
    }
  }();
  static_assert(!has_display_names || display_offsets[size] != 0,
                "one display name per member value, or none");

  static constexpr std::array<E, size> make_members() {
    std::array<E, size> m{};
    for (std::size_t i = 0; i < size; ++i) m[i] = static_cast<E>(traits::values[i]);
    return m;
  }
  static constexpr std::array<E, size> members = make_members();

  // Dense: slot (raw - first) holds the member index or kNoIndex.
  static constexpr std::size_t dense_slots = dense ? static_cast<std::size_t>(span) : 0;
  static constexpr std::array<std::uint16_t, dense_slots> make_dense() {
    std::array<std::uint16_t, dense_slots> t{};
    for (auto& slot : t) slot = kNoIndex;
    for (std::size_t i = 0; i < size; ++i) {
      t[static_cast<std::size_t>(traits::values[i] - first)] = static_cast<std::uint16_t>(i);
    }
    return t;
  }
  static constexpr std::array<std::uint16_t, dense_slots> dense_index = make_dense();

  // Sparse: open addressing with linear probing, at most half full, so every
  // probe sequence reaches an empty slot.
  static constexpr unsigned hash_bits = [] {
    unsigned bits = 3;
    while ((std::size_t{1} << bits) < 2 * size) ++bits;
    return bits;
  }();
  static constexpr std::size_t hash_slots = dense ? 0 : (std::size_t{1} << hash_bits);
  static constexpr std::size_t hash_of(std::uint32_t raw) noexcept {
    return static_cast<std::size_t>((raw * 0x9E3779B1u) >> (32 - hash_bits));
  }
  static constexpr std::array<std::uint16_t, hash_slots> make_hash() {
    std::array<std::uint16_t, hash_slots> t{};
    for (auto& slot : t) slot = kNoIndex;
    for (std::size_t i = 0; i < size; ++i) {
      std::size_t h = hash_of(traits::values[i]);
      while (t[h] != kNoIndex) h = (h + 1) & (hash_slots - 1);
      t[h] = static_cast<std::uint16_t>(i);
    }
    return t;
  }
  static constexpr std::array<std::uint16_t, hash_slots> hash_index = make_hash();

  /// Index of the member of value `raw`, or kNoIndex.
  static constexpr std::uint16_t index_of(underlying raw) noexcept {
    if constexpr (dense) {
      // Unsigned wrap-around folds "below first" into "past the end".
      const auto offset = static_cast<std::uint64_t>(raw) - std::uint64_t{first};
      return offset < span ? dense_index[static_cast<std::size_t>(offset)] : kNoIndex;
    } else {
      for (std::size_t h = hash_of(raw);; h = (h + 1) & (hash_slots - 1)) {
        const std::uint16_t i = hash_index[h];
        if (i == kNoIndex || traits::values[i] == raw) return i;
      }
    }
  }
};

/// The text writers behind the templates above, compiled into the library.
CORVANE_EXPORT std::ostream& write_member(std::ostream& os, std::string_view name,
                                          std::uint32_t raw);
CORVANE_EXPORT std::string member_text(std::string_view name, std::uint32_t raw);
CORVANE_EXPORT std::ostream& write_flag_set(std::ostream& os, std::span<const flag_entry> table,
                                            std::uint32_t bits);
CORVANE_EXPORT std::string flag_set_text(std::span<const flag_entry> table, std::uint32_t bits);

/// The walk of `iter_names` over a flag table: table position and the bits
/// of the source not yet covered by a yielded flag.
struct flag_walk {
  static constexpr std::size_t kEnd = static_cast<std::size_t>(-1);

  std::uint32_t source = 0;
  std::uint32_t remaining = 0;
  std::size_t position = 0;

  /// The index of the next flag to yield, or kEnd.
  constexpr std::size_t next(std::span<const flag_entry> table) noexcept {
    while (position < table.size() && remaining != 0) {
      const flag_entry& e = table[position++];
      if (e.name.empty()) continue;
      if ((source & e.value) == e.value && (remaining & e.value) != 0) {
        remaining &= ~e.value;
        return position - 1;
      }
    }
    return kEnd;
  }
};

// The iterator of `iter_names` and `iter_display_names`. Dereferencing yields
// a value, not a reference: a forward iterator for the ranges library, an
// input iterator for the classic algorithms (both as C++20 derives them).
template <class F, bool Display>
class flag_name_iterator {
 public:
  using value_type =
      std::conditional_t<Display, std::string_view, std::pair<std::string_view, F>>;
  using reference = value_type;
  using difference_type = std::ptrdiff_t;

  constexpr flag_name_iterator() noexcept = default;
  constexpr explicit flag_name_iterator(std::uint32_t source) noexcept
      : walk_{source, source, 0}, current_(walk_.next(table())) {}

  constexpr reference operator*() const noexcept {
    const flag_entry& e = table()[current_];
    if constexpr (Display) {
      return e.display_name.empty() ? e.name : e.display_name;
    } else {
      return {e.name, F::from_bits_retain(e.value)};
    }
  }
  constexpr flag_name_iterator& operator++() noexcept {
    current_ = walk_.next(table());
    return *this;
  }
  constexpr flag_name_iterator operator++(int) noexcept {
    flag_name_iterator old = *this;
    ++*this;
    return old;
  }
  friend constexpr bool operator==(const flag_name_iterator& a,
                                   const flag_name_iterator& b) noexcept {
    return a.current_ == b.current_ &&
           (a.current_ == flag_walk::kEnd || a.walk_.source == b.walk_.source);
  }

  /// The bits of the source not covered by a flag yielded so far.
  constexpr std::uint32_t remaining() const noexcept { return walk_.remaining; }

 private:
  static constexpr std::span<const flag_entry> table() noexcept {
    return flag_set_traits<F>::flags;
  }

  flag_walk walk_{};
  std::size_t current_ = flag_walk::kEnd;
};

template <class F, bool Display>
class flag_name_view {
 public:
  using iterator = flag_name_iterator<F, Display>;
  constexpr explicit flag_name_view(std::uint32_t source) noexcept : source_(source) {}
  constexpr iterator begin() const noexcept { return iterator(source_); }
  constexpr iterator end() const noexcept { return iterator(); }

 private:
  std::uint32_t source_;
};

/// A flag table from the columns of a flag set's list.
template <std::size_t N, std::size_t NamesLength, std::size_t DisplayLength>
constexpr std::array<flag_entry, N> make_flag_table(const std::uint32_t (&values)[N],
                                                    const char (&names)[NamesLength],
                                                    const char (&display)[DisplayLength]) {
  const auto name_offsets = split_names<std::uint32_t, N>(names);
  const auto display_offsets = split_names<std::uint32_t, N>(display);
  std::array<flag_entry, N> table{};
  for (std::size_t i = 0; i < N; ++i) {
    table[i] = {name_in(names, name_offsets, i), values[i],
                DisplayLength > 1 ? name_in(display, display_offsets, i)
                                  : std::string_view(display, 0)};
  }
  return table;
}

/// True when `text` holds one name per flag, or is "" where `optional`.
template <std::size_t N, std::size_t Length>
constexpr bool names_per_flag(const char (&text)[Length], bool optional) {
  return (optional && Length == 1) || split_names<std::uint32_t, N>(text)[N] != 0;
}

}  // namespace detail

template <Enumeration E>
constexpr std::optional<E> from_repr(std::underlying_type_t<E> raw) noexcept {
  if (detail::enumeration_table<E>::index_of(raw) == detail::kNoIndex) return std::nullopt;
  return static_cast<E>(raw);
}

template <Enumeration E>
constexpr std::string_view name(E e) noexcept {
  using table = detail::enumeration_table<E>;
  const std::uint16_t i = table::index_of(repr(e));
  return i == detail::kNoIndex ? std::string_view{}
                               : detail::name_in(table::traits::names, table::name_offsets, i);
}

template <EnumerationWithDisplayNames E>
constexpr std::string_view display_name(E e) noexcept {
  using table = detail::enumeration_table<E>;
  const std::uint16_t i = table::index_of(repr(e));
  return i == detail::kNoIndex
             ? std::string_view{}
             : detail::name_in(table::traits::display_names, table::display_offsets, i);
}

template <Enumeration E>
detail::text_for<E> debug_string(E e) {
  return detail::member_text(name(e), repr(e));
}

template <Enumeration E>
std::ostream& operator<<(std::ostream& os, E e) {
  return detail::write_member(os, name(e), repr(e));
}

template <FlagSetType F>
detail::text_for<F> debug_string(F f) {
  return detail::flag_set_text(flag_set_traits<F>::flags, f.bits());
}

template <FlagSetType F>
std::ostream& operator<<(std::ostream& os, F f) {
  return detail::write_flag_set(os, flag_set_traits<F>::flags, f.bits());
}

}  // namespace corvane
