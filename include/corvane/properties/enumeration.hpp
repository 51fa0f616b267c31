// The machinery shared by every property vocabulary: typed enumerations with
// fixed wire values, and flag sets (32-bit masks with a table of named flags).
//
// Enumerations. A vocabulary is an `enum class` plus a specialisation of
// `enumeration_traits<E>` holding the member values in ascending order and the
// member names as one concatenated string. Both are expanded from a single
// member list (`X(Name, value)` lines), so a name and its value are written
// once. From that, everything here is derived at compile time:
//
//   corvane::from_repr<SpellType>(3)      -> std::optional<SpellType>{Boost}
//   corvane::repr(SpellType::Boost)       -> 3u
//   corvane::name(SpellType::Boost)       -> "Boost"
//   corvane::default_value<SpellType>()   -> SpellType::None (where one is fixed)
//   corvane::members<SpellType>()         -> every member, ascending
//   std::cout << SpellType::Boost         -> "Boost"
//
// `from_repr` and `name` are constant time for every vocabulary: a dense index
// table over the value span when the span is small compared with the member
// count, an open-addressing hash table otherwise; the choice is made per type at
// compile time. Names are stored once, as one string with NUL separators plus an
// offset table, so they need no relocation or allocation at start-up.
//
// Flag sets. `class CoverageMask : public FlagSet<CoverageMask>` plus a
// specialisation of `flag_set_traits<CoverageMask>` listing the flags in table
// order; see `FlagSet` below.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <limits>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "corvane/detail/text.hpp"

namespace corvane {

// ---------------------------------------------------------------------------
// Enumerations
// ---------------------------------------------------------------------------

/// Specialised once per enumeration vocabulary (never by users). Members:
///   `static constexpr std::string_view type_name`   the C++ type name
///   `static constexpr U values[]`                   member values, ascending
///   `static constexpr char names[]`                 names, each ended by '\0'
/// (`values` and `names` may also be `std::array`s computed at compile time)
/// and, only where the vocabulary fixes a default member,
///   `static constexpr E default_member`.
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

namespace detail {

inline constexpr std::uint16_t kNoIndex = 0xFFFF;

template <Enumeration E>
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

  using name_offset = std::conditional_t<(std::size(traits::names) <= 0xFFFF), std::uint16_t,
                                         std::uint32_t>;

  static constexpr std::array<name_offset, size + 1> make_name_offsets() {
    std::array<name_offset, size + 1> offsets{};
    std::size_t count = 0;
    offsets[0] = 0;
    // The last byte is the literal's own terminator, not a separator.
    for (std::size_t i = 0; i + 1 < std::size(traits::names); ++i) {
      if (traits::names[i] == '\0') {
        ++count;
        if (count > size) break;
        offsets[count] = static_cast<name_offset>(i + 1);
      }
    }
    // A name/value count mismatch leaves the last offset unset (zero).
    return count == size ? offsets : std::array<name_offset, size + 1>{};
  }
  static constexpr std::array<name_offset, size + 1> name_offsets = make_name_offsets();
  static_assert(name_offsets[size] != 0, "one name per member value");

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

  static constexpr std::string_view name_at(std::size_t i) noexcept {
    return std::string_view(std::data(traits::names) + name_offsets[i],
                            static_cast<std::size_t>(name_offsets[i + 1] - name_offsets[i] - 1));
  }
};

}  // namespace detail

/// The member whose value is `raw`, or empty for any other number (holes,
/// below the first member, past the last). Never clamps or reports.
template <Enumeration E>
[[nodiscard]] constexpr std::optional<E> from_repr(std::underlying_type_t<E> raw) noexcept {
  const std::uint16_t i = detail::enumeration_table<E>::index_of(raw);
  if (i == detail::kNoIndex) return std::nullopt;
  return static_cast<E>(raw);
}

/// The wire value of `e` in its storage width, exactly.
template <Enumeration E>
[[nodiscard]] constexpr std::underlying_type_t<E> repr(E e) noexcept {
  return static_cast<std::underlying_type_t<E>>(e);
}

/// The declared name of `e`, letter for letter; static text valid for the
/// whole program. A value that is no member (only reachable through a cast)
/// gives the empty view.
template <Enumeration E>
[[nodiscard]] constexpr std::string_view name(E e) noexcept {
  using table = detail::enumeration_table<E>;
  const std::uint16_t i = table::index_of(repr(e));
  return i == detail::kNoIndex ? std::string_view{} : table::name_at(i);
}

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

/// Writes the bare member name. Width, fill and alignment are ignored (the
/// width is consumed, as by any formatted output); the stream's other settings
/// are left as they were. A non-member value writes its decimal number.
/// `EmoteCategory` has its own padding overload, which this one yields to.
template <Enumeration E>
std::ostream& operator<<(std::ostream& os, E e) {
  const std::string_view n = name(e);
  if (!n.empty()) return detail::write_unpadded(os, n);
  const std::string digits = std::to_string(static_cast<std::uint64_t>(repr(e)));
  return detail::write_unpadded(os, digits);
}

/// The debug text: the bare member name (a non-member value: its decimal number).
template <Enumeration E>
[[nodiscard]] std::string debug_string(E e) {
  const std::string_view n = name(e);
  if (!n.empty()) return std::string(n);
  return std::to_string(static_cast<std::uint64_t>(repr(e)));
}

// Member-list plumbing. A vocabulary's list is written once as `X(Name, value)`
// entries, either in a list macro or in an .inc file of `CORVANE_MEMBER(Name,
// value)` lines, and expanded with these.
// Entries may carry further columns (a display name), which these ignore.
#define CORVANE_DETAIL_ENUMERATOR(member, value, ...) member = value,
#define CORVANE_DETAIL_VALUE(member, value, ...) value,
#define CORVANE_DETAIL_NAME(member, value, ...) #member "\0"

/// Declares `enumeration_traits<Type>` from a list macro `LIST(X)`; the
/// variadic part holds further members (the `default_member`, where fixed).
#define CORVANE_DETAIL_ENUMERATION_TRAITS(Type, LIST, ...)                     \
  template <>                                                                  \
  struct enumeration_traits<Type> {                                            \
    static constexpr std::string_view type_name = #Type;                       \
    static constexpr std::underlying_type_t<Type> values[] = {                 \
        LIST(CORVANE_DETAIL_VALUE)};                                           \
    static constexpr char names[] = LIST(CORVANE_DETAIL_NAME);                 \
    __VA_ARGS__                                                                \
  };

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

/// Specialised once per flag set (never by users). Members:
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

namespace detail {

// The iterator of `iter_names` and `iter_display_names`: the walk over the
// flag table keeps its table position and the remaining mask, nothing else.
template <class F, bool Display>
class flag_name_iterator {
 public:
  using value_type =
      std::conditional_t<Display, std::string_view, std::pair<std::string_view, F>>;
  using reference = value_type;
  using difference_type = std::ptrdiff_t;
  // Dereferencing yields a value, not a reference: a forward range for the
  // ranges library, an input iterator for the classic algorithms.
  using iterator_category = std::input_iterator_tag;
  using iterator_concept = std::forward_iterator_tag;

  constexpr flag_name_iterator() noexcept = default;
  constexpr explicit flag_name_iterator(std::uint32_t source) noexcept
      : source_(source), remaining_(source) {
    advance();
  }

  constexpr reference operator*() const noexcept {
    const flag_entry& e = table()[current_];
    if constexpr (Display) {
      return e.display_name.empty() ? e.name : e.display_name;
    } else {
      return {e.name, F::from_bits_retain(e.value)};
    }
  }
  constexpr flag_name_iterator& operator++() noexcept {
    advance();
    return *this;
  }
  constexpr flag_name_iterator operator++(int) noexcept {
    flag_name_iterator old = *this;
    advance();
    return old;
  }
  friend constexpr bool operator==(const flag_name_iterator& a,
                                   const flag_name_iterator& b) noexcept {
    return a.current_ == b.current_ && (a.current_ == kEnd || a.source_ == b.source_);
  }
  friend constexpr bool operator==(const flag_name_iterator& a, std::default_sentinel_t) noexcept {
    return a.current_ == kEnd;
  }

  /// The bits of the source not covered by a flag yielded so far.
  constexpr std::uint32_t remaining() const noexcept { return remaining_; }

 private:
  static constexpr const auto& table() noexcept { return flag_set_traits<F>::flags; }
  static constexpr std::size_t kEnd = (std::numeric_limits<std::size_t>::max)();

  constexpr void advance() noexcept {
    while (position_ < table().size() && remaining_ != 0) {
      const flag_entry& e = table()[position_++];
      if (e.name.empty()) continue;
      if ((source_ & e.value) == e.value && (remaining_ & e.value) != 0) {
        remaining_ &= ~e.value;
        current_ = position_ - 1;
        return;
      }
    }
    current_ = kEnd;
  }

  std::uint32_t source_ = 0;
  std::uint32_t remaining_ = 0;
  std::size_t position_ = 0;
  std::size_t current_ = kEnd;
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

}  // namespace detail

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
    return self();
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
  constexpr F& self() noexcept { return static_cast<F&>(*this); }

  std::uint32_t bits_ = 0;
};

/// Appends the text form of a flag-set value to `out`: the names `iter_names`
/// yields joined by " | ", then any bits left over in hexadecimal
/// ("CHEST | HEAD | 0x1"). The empty mask writes the name of the table's
/// value-0 constant if it has one ("FULL"), "0x0" otherwise.
template <FlagSetType F>
[[nodiscard]] std::string debug_string(F f) {
  std::string out;
  auto names = f.iter_names();
  auto it = names.begin();
  std::uint32_t left = 0;
  for (; it != names.end(); ++it) {
    if (!out.empty()) out += " | ";
    out += (*it).first;
  }
  left = it.remaining();
  if (f.is_empty()) {
    for (const flag_entry& e : flag_set_traits<F>::flags) {
      if (e.value == 0 && !e.name.empty()) return std::string(e.name);
    }
  }
  if (left != 0 || out.empty()) {
    if (!out.empty()) out += " | ";
    detail::append_hex(out, left);
  }
  return out;
}

/// Writes `debug_string(f)`, unpadded like an enumeration member.
template <FlagSetType F>
std::ostream& operator<<(std::ostream& os, F f) {
  return detail::write_unpadded(os, debug_string(f));
}

// Flag-set plumbing: a list macro `LIST(X)` of `X(NAME, value, "Display name")`
// entries declares the named constants in the class, defines them and builds
// the traits table. `CORVANE_DETAIL_FLAG_SET` names the class being defined.
#define CORVANE_DETAIL_FLAG_DECLARE(flag, value, display) \
  static const CORVANE_DETAIL_FLAG_SET flag;
#define CORVANE_DETAIL_FLAG_DEFINE(flag, value, display)                 \
  inline constexpr CORVANE_DETAIL_FLAG_SET CORVANE_DETAIL_FLAG_SET::flag = \
      CORVANE_DETAIL_FLAG_SET::from_bits_retain(value);
#define CORVANE_DETAIL_FLAG_ENTRY(flag, value, display) flag_entry{#flag, value, display},

#define CORVANE_DETAIL_FLAG_SET_TRAITS(Type, LIST, DISPLAY)                     \
  template <>                                                                  \
  struct flag_set_traits<Type> {                                               \
    static constexpr std::string_view type_name = #Type;                       \
    static constexpr std::array flags = {LIST(CORVANE_DETAIL_FLAG_ENTRY)};     \
    static constexpr bool has_display_names = DISPLAY;                         \
  };

}  // namespace corvane
