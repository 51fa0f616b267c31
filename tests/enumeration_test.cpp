// The shared machinery, checked over every vocabulary of the library and over
// a few test-only vocabularies that reach the corners the real ones do not
// (values at both ends of the 32-bit range, multi-bit and unnamed flags).
#include "corvane/properties/enumeration.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iomanip>
#include <iterator>
#include <limits>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "corvane/properties/vocabularies.hpp"

namespace corvane {

// Test-only vocabularies spell their traits out by hand, as the declarer
// would from a list.

// A sparse enumeration touching 0 and the largest 32-bit value: hashed lookup.
enum class TestSparse : std::uint32_t {
  Zero = 0,
  Seven = 7,
  Big = 0x80000000u,
  AlmostMax = 0xFFFFFFFEu,
  Max = 0xFFFFFFFFu
};
template <>
struct enumeration_traits<TestSparse> {
  static constexpr std::string_view type_name = "TestSparse";
  static constexpr std::uint32_t values[] = {0, 7, 0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu};
  static constexpr char names[] = "Zero\0Seven\0Big\0AlmostMax\0Max\0";
};

// A dense 8-bit enumeration ending at the largest 8-bit value.
enum class TestByte : std::uint8_t { Low = 250, Mid = 252, High = 255 };
template <>
struct enumeration_traits<TestByte> {
  static constexpr std::string_view type_name = "TestByte";
  static constexpr std::uint8_t values[] = {250, 252, 255};
  static constexpr char names[] = "Low\0Mid\0High\0";
  static constexpr TestByte default_member = TestByte::Mid;
};

// 700 members spread over the whole 32-bit range, built at compile time: the
// size the machinery is designed for, on the hashed path.
enum class TestWide : std::uint32_t {};
inline constexpr std::size_t kWideMembers = 700;
constexpr std::uint32_t wide_value(std::size_t i) {
  return static_cast<std::uint32_t>(i * 6135053u + (i * i) % 977u);  // ascending, sparse
}
template <>
struct enumeration_traits<TestWide> {
  static constexpr std::string_view type_name = "TestWide";
  static constexpr std::array<std::uint32_t, kWideMembers> values = [] {
    std::array<std::uint32_t, kWideMembers> v{};
    for (std::size_t i = 0; i < kWideMembers; ++i) v[i] = wide_value(i);
    return v;
  }();
  // "W000", "W001" ... each followed by a NUL.
  static constexpr std::array<char, kWideMembers * 5 + 1> names = [] {
    std::array<char, kWideMembers * 5 + 1> n{};
    for (std::size_t i = 0; i < kWideMembers; ++i) {
      n[i * 5] = 'W';
      n[i * 5 + 1] = static_cast<char>('0' + i / 100);
      n[i * 5 + 2] = static_cast<char>('0' + i / 10 % 10);
      n[i * 5 + 3] = static_cast<char>('0' + i % 10);
      n[i * 5 + 4] = '\0';
    }
    return n;
  }();
};

// Flags that overlap, a flag without a name, a value-0 constant and a
// multi-bit flag, in an order that makes the walk's rules matter.
class TestFlags : public FlagSet<TestFlags> {
 public:
  static const TestFlags EMPTY, A, B, AB, PAIR, HIGH;
};
inline constexpr TestFlags TestFlags::EMPTY = from_bits_retain(0x0);
inline constexpr TestFlags TestFlags::A = from_bits_retain(0x1);
inline constexpr TestFlags TestFlags::B = from_bits_retain(0x2);
inline constexpr TestFlags TestFlags::AB = from_bits_retain(0x3);
inline constexpr TestFlags TestFlags::PAIR = from_bits_retain(0x18);
inline constexpr TestFlags TestFlags::HIGH = from_bits_retain(0x80000000u);
template <>
struct flag_set_traits<TestFlags> {
  static constexpr std::string_view type_name = "TestFlags";
  // The unnamed entry (0x4) must never be yielded.
  static constexpr std::array flags = {
      flag_entry{"EMPTY", 0x0, ""},   flag_entry{"A", 0x1, "Alpha"},
      flag_entry{"B", 0x2, ""},       flag_entry{"AB", 0x3, "Alpha Beta"},
      flag_entry{"PAIR", 0x18, "Pair"}, flag_entry{"HIGH", 0x80000000u, ""},
      flag_entry{"", 0x4, ""}};
  static constexpr bool has_display_names = true;
};

namespace {

static_assert(!detail::enumeration_table<TestSparse>::dense);
static_assert(!detail::enumeration_table<TestWide>::dense);
static_assert(detail::enumeration_table<TestByte>::dense);
static_assert(!EnumerationWithDefault<TestSparse>);
static_assert(EnumerationWithDefault<TestByte>);
static_assert(!EnumerationWithDefault<SpellCategory>);
static_assert(!EnumerationWithDefault<RootElementId>);
static_assert(std::ranges::contiguous_range<decltype(members<SpellCategory>())>);
static_assert(std::forward_iterator<decltype(CoverageMask{}.iter_names().begin())>);

// Operations across two flag-set types must not compile.
template <class A, class B>
concept can_mix = requires(A a, B b) { a | b; } || requires(A a, B b) { a |= b; } ||
                  requires(A a, B b) { a == b; } || requires(A a, B b) { a.contains(b); } ||
                  requires(A a, B b) { a.intersects(b); } ||
                  requires(A a, B b) { a.difference(b); } || requires(A a, B b) { a.remove(b); };
static_assert(can_mix<CoverageMask, CoverageMask>);
static_assert(!can_mix<CoverageMask, ItemType>);
static_assert(!can_mix<SpellFlags, SpellBookFilterOptions>);
static_assert(!can_mix<FriendsUpdateType, TestFlags>);
// Nor does building a flag set from a bare number without saying how.
static_assert(!std::is_convertible_v<std::uint32_t, CoverageMask>);
static_assert(!std::is_constructible_v<CoverageMask, std::uint32_t>);
// Only CoverageMask (and the test set) have display names.
template <class F>
concept has_display_view = requires(F f) { f.iter_display_names(); };
static_assert(has_display_view<CoverageMask> && !has_display_view<ItemType>);

using test_enumerations = type_list<TestSparse, TestByte, TestWide>;

// Calls f.template operator()<E>() for every E of the list.
template <class... E, class Fn>
void for_each_type(type_list<E...>, Fn&& fn) {
  (fn.template operator()<E>(), ...);
}

// The member of value `raw` by a plain walk over the member list: the
// reference the constant-time lookup must agree with.
template <class E>
std::optional<E> linear_from_repr(std::uint64_t raw) {
  for (const E m : members<E>()) {
    if (static_cast<std::uint64_t>(repr(m)) == raw) return m;
  }
  return std::nullopt;
}

// Raw numbers worth asking about: every value from 64 below the first member
// to 64 past the last (all of them for 8- and 16-bit storage), the neighbours
// of every member, 0, the largest value of the storage width and a few
// thousand random numbers.
template <class E>
std::vector<std::uint64_t> probe_numbers() {
  using U = std::underlying_type_t<E>;
  constexpr std::uint64_t max = std::numeric_limits<U>::max();
  std::set<std::uint64_t> probes{0, 1, max, max - 1};
  if constexpr (sizeof(U) <= 2) {
    for (std::uint64_t v = 0; v <= max; ++v) probes.insert(v);
  } else {
    const std::uint64_t first = repr(members<E>().front());
    const std::uint64_t last = repr(members<E>().back());
    const std::uint64_t lo = first >= 64 ? first - 64 : 0;
    const std::uint64_t hi = std::min(last + 64, max);
    if (hi - lo < 100000) {
      for (std::uint64_t v = lo; v <= hi; ++v) probes.insert(v);
    }
    for (const E m : members<E>()) {
      const std::uint64_t v = repr(m);
      for (std::uint64_t d = 0; d <= 2; ++d) {
        if (v >= d) probes.insert(v - d);
        if (v + d <= max) probes.insert(v + d);
      }
    }
    std::mt19937 rng(12345);
    for (int i = 0; i < 4000; ++i) probes.insert(static_cast<std::uint32_t>(rng()));
  }
  return {probes.begin(), probes.end()};
}

TEST(Enumeration, FromReprAgreesWithLinearScanOnEveryProbe) {
  auto check = [&]<class E>() {
    using U = std::underlying_type_t<E>;
    std::size_t hits = 0;
    for (const std::uint64_t raw : probe_numbers<E>()) {
      const std::optional<E> got = from_repr<E>(static_cast<U>(raw));
      const std::optional<E> want = linear_from_repr<E>(raw);
      ASSERT_EQ(got, want) << enumeration_traits<E>::type_name << " raw " << raw;
      hits += got.has_value();
    }
    EXPECT_EQ(hits, members<E>().size()) << enumeration_traits<E>::type_name;
  };
  for_each_type(all_enumerations{}, check);
  for_each_type(test_enumerations{}, check);
}

TEST(Enumeration, EveryMemberRoundTripsAndHasAUniqueName) {
  auto check = [&]<class E>() {
    const auto all = members<E>();
    std::set<std::string_view> seen;
    for (std::size_t i = 0; i < all.size(); ++i) {
      const E m = all[i];
      if (i > 0) {
        EXPECT_LT(repr(all[i - 1]), repr(m));  // ascending, so unique
      }
      EXPECT_EQ(from_repr<E>(repr(m)), m);
      const std::string_view n = name(m);
      ASSERT_FALSE(n.empty());
      EXPECT_EQ(n.find('\0'), std::string_view::npos);
      EXPECT_TRUE(std::all_of(n.begin(), n.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '_';
      })) << n;
      EXPECT_TRUE(seen.insert(n).second) << "duplicate name " << n;
      EXPECT_EQ(debug_string(m), n);
      std::ostringstream os;
      os << m;
      EXPECT_EQ(os.str(), n);
    }
  };
  for_each_type(all_enumerations{}, check);
  for_each_type(test_enumerations{}, check);
}

TEST(Enumeration, NamesAreViewsIntoStaticStorage) {
  // The same member gives the same pointer every time: nothing is built per call.
  EXPECT_EQ(name(SpellCategory::AcidMissile).data(), name(SpellCategory::AcidMissile).data());
  EXPECT_EQ(name(TestSparse::Max), "Max");
  EXPECT_EQ(name(TestSparse::Zero), "Zero");
  constexpr std::string_view at_compile_time = name(ClientAction::YMCA);
  static_assert(at_compile_time == "YMCA");
  static_assert(from_repr<TestSparse>(0xFFFFFFFFu) == TestSparse::Max);
  static_assert(!from_repr<TestSparse>(0x7FFFFFFFu).has_value());
  EXPECT_EQ(name(*from_repr<TestWide>(wide_value(0))), "W000");
  EXPECT_EQ(name(*from_repr<TestWide>(wide_value(699))), "W699");
  EXPECT_EQ(from_repr<TestWide>(wide_value(350) + 1), std::nullopt);
}

TEST(Enumeration, StorageWidthAndDefaults) {
  EXPECT_EQ(storage_bits_v<WieldType>, 8u);
  EXPECT_EQ(storage_bits_v<SpellCategory>, 16u);
  EXPECT_EQ(storage_bits_v<PropertyAttribute2nd>, 16u);
  EXPECT_EQ(storage_bits_v<ClientAction>, 32u);
  EXPECT_EQ(default_value<TestByte>(), TestByte::Mid);
  // Every fixed default is a member.
  for_each_type(all_enumerations{}, [&]<class E>() {
    if constexpr (EnumerationWithDefault<E>) {
      EXPECT_EQ(from_repr<E>(repr(default_value<E>())), default_value<E>());
    }
  });
}

TEST(Enumeration, NonMemberValueFromACastIsWrittenAsItsNumber) {
  const auto bogus = static_cast<ClientAction>(0);
  EXPECT_TRUE(name(bogus).empty());
  EXPECT_EQ(debug_string(bogus), "0");
  std::ostringstream os;
  os << static_cast<TestByte>(251);
  EXPECT_EQ(os.str(), "251");
}

TEST(Enumeration, EveryVocabularyWritesANonMemberAsItsNumber) {
  // The smallest value that is no member, EmoteCategory's 39 included.
  auto check = [&]<class E>() {
    using U = std::underlying_type_t<E>;
    U raw = 0;
    while (from_repr<E>(raw).has_value()) ++raw;
    std::ostringstream os;
    os << static_cast<E>(raw);
    EXPECT_EQ(os.str(), std::to_string(raw)) << enumeration_traits<E>::type_name;
    EXPECT_EQ(debug_string(static_cast<E>(raw)), std::to_string(raw));
  };
  for_each_type(all_enumerations{}, check);
  for_each_type(test_enumerations{}, check);
}

TEST(Enumeration, TheVocabularyListHoldsEveryVocabularyOnce) {
  static_assert(all_vocabularies::size == 18);
  std::vector<std::string_view> enumerations;
  std::vector<std::string_view> flag_sets;
  for_each_vocabulary([&]<class V>(std::string_view type_name) {
    if constexpr (Enumeration<V>) {
      EXPECT_EQ(type_name, enumeration_traits<V>::type_name);
      enumerations.push_back(type_name);
    } else {
      EXPECT_EQ(type_name, flag_set_traits<V>::type_name);
      flag_sets.push_back(type_name);
    }
  });
  std::set<std::string_view> unique(enumerations.begin(), enumerations.end());
  unique.insert(flag_sets.begin(), flag_sets.end());
  EXPECT_EQ(unique.size(), 18u);
  // The lists of one kind hold the same types in the same order.
  std::vector<std::string_view> listed;
  for_each_vocabulary<all_enumerations>([&]<class E>(std::string_view n) { listed.push_back(n); });
  EXPECT_EQ(listed, enumerations);
  listed.clear();
  for_each_vocabulary<all_flag_sets>([&]<class F>(std::string_view n) { listed.push_back(n); });
  EXPECT_EQ(listed, flag_sets);
}

TEST(Enumeration, StreamIgnoresWidthAndFillAndKeepsOtherSettings) {
  std::ostringstream os;
  os << std::setfill('*') << std::hex << std::showbase << std::left << std::setprecision(3);
  const auto flags_before = os.flags();
  os << '[' << std::setw(20) << PropertyAttribute2nd::MaxStamina << ']';
  EXPECT_EQ(os.str(), "[MaxStamina]");
  // The width was meant for the member: it must not pad the next output.
  os << 255;
  EXPECT_EQ(os.str(), "[MaxStamina]0xff");
  EXPECT_EQ(os.width(), 0);
  EXPECT_EQ(os.fill(), '*');
  EXPECT_EQ(os.flags(), flags_before);
  EXPECT_EQ(os.precision(), 3);
  // A set width still applies to whatever comes after a fresh setw.
  os << std::setw(4) << 1;
  EXPECT_EQ(os.str(), "[MaxStamina]0xff0x1*");
}

TEST(Enumeration, StreamInFailedStateWritesNothing) {
  std::ostringstream os;
  os.setstate(std::ios::badbit);
  os << SpellType::Boost;
  EXPECT_EQ(os.str(), "");
}

// ---------------------------------------------------------------------------
// Flag sets
// ---------------------------------------------------------------------------

template <class F>
std::vector<std::pair<std::string, std::uint32_t>> collect(F f) {
  std::vector<std::pair<std::string, std::uint32_t>> out;
  for (const auto& [n, flag] : f.iter_names()) out.emplace_back(n, flag.bits());
  return out;
}

using Named = std::vector<std::pair<std::string, std::uint32_t>>;

TEST(FlagSet, MaskOperationsAgreeWithBitArithmetic) {
  std::mt19937 engine(2024);
  auto rng = [&] { return static_cast<std::uint32_t>(engine()); };
  for (int i = 0; i < 2000; ++i) {
    const std::uint32_t a = rng();
    const std::uint32_t b = (i % 4 == 0) ? 0u : (i % 4 == 1 ? (a & rng()) : rng());
    const auto fa = CoverageMask::from_bits_retain(a);
    const auto fb = CoverageMask::from_bits_retain(b);
    EXPECT_EQ(fa.bits(), a);
    EXPECT_EQ((fa | fb).bits(), a | b);
    EXPECT_EQ(fa.contains(fb), (a & b) == b);
    EXPECT_EQ(fa.intersects(fb), (a & b) != 0);
    EXPECT_EQ(fa.difference(fb).bits(), a & ~b);
    EXPECT_EQ(CoverageMask::from_bits_truncate(a).bits(), a & 0x1FF7Eu);
    EXPECT_EQ(fa.is_empty(), a == 0);
    EXPECT_EQ(fa == fb, a == b);
    auto c = fa;
    c |= fb;
    EXPECT_EQ(c.bits(), a | b);
    c = fa;
    c.remove(fb);
    EXPECT_EQ(c.bits(), a & ~b);
  }
}

TEST(FlagSet, EmptyOperandEdgeCases) {
  const CoverageMask empty{};
  for (const CoverageMask m : {empty, CoverageMask::CHEST, CoverageMask::all(),
                               CoverageMask::from_bits_retain(0xFFFFFFFFu)}) {
    EXPECT_TRUE(m.contains(empty));
    EXPECT_FALSE(m.intersects(empty));
    EXPECT_FALSE(empty.intersects(m));
  }
  // One named and one unnamed bit: truncate keeps the named one only.
  const std::uint32_t mixed = CoverageMask::HEAD.bits() | 0x1u;
  EXPECT_EQ(CoverageMask::from_bits_truncate(mixed), CoverageMask::HEAD);
  EXPECT_EQ(CoverageMask::from_bits_retain(mixed).bits(), mixed);
  // Unnamed bits survive union and difference.
  EXPECT_EQ((CoverageMask::from_bits_retain(0x80) | CoverageMask::CHEST).bits(), 0x480u);
  EXPECT_EQ(CoverageMask::from_bits_retain(0x481).difference(CoverageMask::CHEST).bits(), 0x81u);
}

TEST(FlagSet, AllIsTheUnionOfTheTable) {
  for_each_type(all_flag_sets{}, [&]<class F>() {
    std::uint32_t mask = 0;
    for (const flag_entry& e : flag_set_traits<F>::flags) mask |= e.value;
    EXPECT_EQ(F::all().bits(), mask) << flag_set_traits<F>::type_name;
    // Every named flag of a real vocabulary is a single bit or 0, and its
    // name is unique.
    std::set<std::string_view> seen;
    for (const flag_entry& e : flag_set_traits<F>::flags) {
      EXPECT_EQ(e.value & (e.value - 1), 0u) << e.name;
      EXPECT_TRUE(seen.insert(e.name).second) << e.name;
    }
  });
  EXPECT_EQ(TestFlags::all().bits(), 0x8000001Fu);
}

TEST(FlagSet, IterNamesOnEmptyUnnamedAndMixedMasks) {
  EXPECT_TRUE(collect(CoverageMask{}).empty());
  EXPECT_TRUE(collect(CoverageMask::from_bits_retain(0x81)).empty());
  EXPECT_TRUE(collect(CoverageMask::from_bits_retain(0xFFFE0081u)).empty());
  EXPECT_EQ(collect(CoverageMask::from_bits_retain(0x4000 | 0x400 | 0x80)),
            (Named{{"CHEST", 0x400}, {"HEAD", 0x4000}}));
}

TEST(FlagSet, IterNamesYieldsSingleBitFlagsOfEveryMask) {
  // For single-bit tables the walk must yield exactly the named bits held,
  // ascending through the table: check against that description over many
  // masks of every real flag set.
  std::mt19937 engine(7);
  auto rng = [&] { return static_cast<std::uint32_t>(engine()); };
  for_each_type(all_flag_sets{}, [&]<class F>() {
    for (int i = 0; i < 500; ++i) {
      const std::uint32_t raw = (i == 0) ? 0xFFFFFFFFu : rng() & rng();
      Named want;
      for (const flag_entry& e : flag_set_traits<F>::flags) {
        if (e.value != 0 && (raw & e.value) == e.value) want.emplace_back(e.name, e.value);
      }
      EXPECT_EQ(collect(F::from_bits_retain(raw)), want) << flag_set_traits<F>::type_name;
    }
  });
}

TEST(FlagSet, IterNamesWalkRules) {
  // A value-0 constant is never yielded, not even for the empty mask.
  EXPECT_TRUE(collect(TestFlags{}).empty());
  // AB is held, but its bits were all covered by A and B first.
  EXPECT_EQ(collect(TestFlags::from_bits_retain(0x3)), (Named{{"A", 0x1}, {"B", 0x2}}));
  // The unnamed entry covers 0x4 but is skipped; the walk still ends cleanly.
  EXPECT_EQ(collect(TestFlags::from_bits_retain(0x7)), (Named{{"A", 0x1}, {"B", 0x2}}));
  // A multi-bit flag needs all its bits.
  EXPECT_TRUE(collect(TestFlags::from_bits_retain(0x8)).empty());
  EXPECT_EQ(collect(TestFlags::from_bits_retain(0x18)), (Named{{"PAIR", 0x18}}));
  // Unnamed bits in front of the last flag do not stop the walk.
  EXPECT_EQ(collect(TestFlags::from_bits_retain(0x80000064u)), (Named{{"HIGH", 0x80000000u}}));
  // Display names pass a name through where the entry has none.
  std::vector<std::string_view> shown;
  for (const std::string_view d : TestFlags::from_bits_retain(0x8000001Bu).iter_display_names()) {
    shown.push_back(d);
  }
  EXPECT_EQ(shown, (std::vector<std::string_view>{"Alpha", "B", "Pair", "HIGH"}));
}

TEST(FlagSet, IterNamesIsALazyForwardRange) {
  const auto view = (CoverageMask::CHEST | CoverageMask::FEET).iter_names();
  auto it = view.begin();
  const auto copy = it;
  ASSERT_NE(it, view.end());
  EXPECT_EQ((*it).first, "CHEST");
  ++it;
  EXPECT_EQ((*it).second, CoverageMask::FEET);
  EXPECT_EQ((*copy).first, "CHEST");  // copies walk independently
  it++;
  EXPECT_EQ(it, view.end());
  static_assert(std::ranges::forward_range<decltype(view)>);
  EXPECT_EQ(std::distance(view.begin(), view.end()), 2);
  static_assert(sizeof(it) <= 4 * sizeof(std::size_t), "the iterator is a few words");
}

TEST(FlagSet, TextForm) {
  EXPECT_EQ(debug_string(CoverageMask::HEAD | CoverageMask::CHEST), "CHEST | HEAD");
  EXPECT_EQ(debug_string(CoverageMask::from_bits_retain(0x4401)), "CHEST | HEAD | 0x1");
  EXPECT_EQ(debug_string(CoverageMask::from_bits_retain(0x80000081u)), "0x80000081");
  EXPECT_EQ(debug_string(CoverageMask{}), "0x0");
  EXPECT_EQ(debug_string(FriendsUpdateType{}), "FULL");
  EXPECT_EQ(debug_string(TestFlags::from_bits_retain(0x7)), "A | B | 0x4");
  std::ostringstream os;
  os << std::setw(30) << std::setfill('.') << ItemType::CONTAINER << 1;
  EXPECT_EQ(os.str(), "CONTAINER1");
}

}  // namespace
}  // namespace corvane
