// {fmt} support: the formatters write exactly what operator<< and debug_string
// write, pad like {fmt} pads strings, and reach every corvane value type
// without the module headers knowing about them.
#include <fmt/format.h>
#include <fmt/ranges.h>
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <sstream>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "corvane/corvane.hpp"
#include "corvane/properties/vocabularies.hpp"
#include "corvane/fmt.hpp"  // after the modules on purpose: order must not matter

// Stand-ins for value types that modules add later: an enumeration and a
// struct declared in namespace corvane with the usual operator<< and
// debug_string, and nothing else.
namespace corvane {
enum class FmtTestKind : std::uint8_t { First = 1, Second = 2 };
inline std::ostream& operator<<(std::ostream& os, FmtTestKind k) {
  return os << (k == FmtTestKind::First ? "First" : "Second");
}
inline std::string debug_string(FmtTestKind k) { return k == FmtTestKind::First ? "First" : "Second"; }

// Display text and debug text differ, as for WorldCoordinates.
struct FmtTestPlace {
  int cell = 0;
};
inline std::ostream& operator<<(std::ostream& os, FmtTestPlace p) { return os << "Cell " << p.cell; }
inline std::string debug_string(FmtTestPlace p) {
  return "FmtTestPlace { cell: " + std::to_string(p.cell) + " }";
}

// Has operator<< but no debug_string: not one of the value types.
struct FmtTestStreamOnly {};
inline std::ostream& operator<<(std::ostream& os, FmtTestStreamOnly) { return os << "s"; }

// Opted out: the program brings its own formatter.
struct FmtTestOwnFormatter {};
inline std::ostream& operator<<(std::ostream& os, FmtTestOwnFormatter) { return os << "stream"; }
inline std::string debug_string(FmtTestOwnFormatter) { return "debug"; }
template <>
inline constexpr bool enable_formatter<FmtTestOwnFormatter> = false;
}  // namespace corvane

template <>
struct fmt::formatter<corvane::FmtTestOwnFormatter> : fmt::formatter<fmt::string_view> {
  auto format(corvane::FmtTestOwnFormatter, fmt::format_context& ctx) const {
    return fmt::formatter<fmt::string_view>::format("own", ctx);
  }
};

// Outside namespace corvane: must stay untouched even with the same pair.
namespace elsewhere {
struct Value {};
inline std::ostream& operator<<(std::ostream& os, Value) { return os << "v"; }
inline std::string debug_string(Value) { return "v"; }
}  // namespace elsewhere

namespace {

using corvane::Guid;
using corvane::Plane;
using corvane::Quaternion;
using corvane::Triangle;
using corvane::Vector3;

template <typename T>
std::string streamed(const T& value) {
  std::ostringstream os;
  os << value;
  return os.str();
}

float from_bits(std::uint32_t bits) { return std::bit_cast<float>(bits); }

// Floats whose texts are easy to get wrong: signed zero, NaN, infinities,
// subnormals, exponent forms and the largest float.
std::vector<float> awkward_floats() {
  return {0.0f,
          from_bits(0x80000000u),
          1.0f,
          -2.5f,
          0.1f,
          7.1f,
          from_bits(0x7FC00000u),
          from_bits(0xFFC00001u),
          std::numeric_limits<float>::infinity(),
          -std::numeric_limits<float>::infinity(),
          std::numeric_limits<float>::denorm_min(),
          std::numeric_limits<float>::max(),
          1e-5f,
          7212154486784.0f,
          2.5e16f};
}

template <typename T>
void expect_same_texts(const T& value) {
  EXPECT_EQ(fmt::format("{}", value), streamed(value));
  EXPECT_EQ(fmt::format("{:?}", value), debug_string(value));
  EXPECT_EQ(fmt::to_string(value), streamed(value));
}

TEST(FmtFormatter, GuidMatchesStreamAndDebugText) {
  for (std::uint32_t raw : {0u, 1u, 256u, 0xA9B40019u, 0xFFFFFFFFu, 0x80000000u}) {
    expect_same_texts(Guid{raw});
  }
}

TEST(FmtFormatter, GeometryMatchesStreamAndDebugText) {
  const std::vector<float> f = awkward_floats();
  for (std::size_t i = 0; i < f.size(); ++i) {
    const float a = f[i];
    const float b = f[(i + 3) % f.size()];
    const float c = f[(i + 7) % f.size()];
    const float d = f[(i + 11) % f.size()];
    const Vector3 v{a, b, c};
    expect_same_texts(v);
    expect_same_texts(Quaternion{a, b, c, d});
    expect_same_texts(Plane{v, d});
    expect_same_texts(Triangle{v, Vector3{d, a, b}, Vector3{c, d, a}});
  }
}

TEST(FmtFormatter, PositionsAndMapTextMatchStreamAndDebugText) {
  using corvane::WorldCoordinates;
  using corvane::WorldPosition;
  const std::vector<float> f = awkward_floats();
  for (std::uint32_t id : {0u, 0xDA550000u, 0xA9B40019u, 0x00000100u, 0x7F7F0000u, 0xFFFF0040u}) {
    for (std::size_t i = 0; i < f.size(); ++i) {
      const WorldPosition pos{Guid{id}, Vector3{f[i], f[(i + 5) % f.size()], f[(i + 9) % f.size()]},
                              Quaternion::identity()};
      expect_same_texts(pos);
      const WorldCoordinates coords = pos.to_world_coords();
      expect_same_texts(coords);  // {} is the map text, {:?} the variant's debug text
      std::visit([](const auto& variant) { expect_same_texts(variant); }, coords.value);
    }
  }
  const WorldPosition outdoors{Guid{0xDA550000u}, Vector3{84.0f, 108.0f, 0.0f}, Quaternion{}};
  EXPECT_EQ(fmt::format("{}", outdoors.to_world_coords()), "33.5S, 72.7E, 0.0Z");
}

// Every member of every vocabulary, a value that is no member, and flag sets
// with named and unnamed bits.
TEST(FmtFormatter, VocabulariesMatchStreamAndDebugText) {
  [&]<class... E>(corvane::type_list<E...>) {
    const auto one = [&]<class Enum>(Enum) {
      for (const Enum member : corvane::members<Enum>()) expect_same_texts(member);
      using Raw = std::underlying_type_t<Enum>;
      const Enum stranger = static_cast<Enum>(std::numeric_limits<Raw>::max());
      if (!corvane::from_repr<Enum>(corvane::repr(stranger))) expect_same_texts(stranger);
    };
    (one(E{}), ...);
  }(corvane::all_enumerations{});
  [&]<class... F>(corvane::type_list<F...>) {
    const auto one = [&]<class Flags>(Flags) {
      std::uint32_t all = 0;
      for (const corvane::flag_entry& entry : corvane::flag_set_traits<Flags>::flags) {
        expect_same_texts(Flags::from_bits_retain(entry.value));
        all |= entry.value;
      }
      expect_same_texts(Flags::from_bits_retain(0));
      expect_same_texts(Flags::from_bits_retain(all));
      expect_same_texts(Flags::from_bits_retain(all | 0x80000000u));
      expect_same_texts(Flags::from_bits_retain(~all));
    };
    (one(F{}), ...);
  }(corvane::all_flag_sets{});
  expect_same_texts(corvane::FloatCanon::SixDp);
  expect_same_texts(corvane::FloatCanon::Lossless);
}

TEST(FmtFormatter, PadsTheWholeTextLikeAString) {
  // {fmt}'s own string padding is the reference.
  const Guid g{0xA9B40019u};
  const Vector3 v{1.0f, -2.5f, 0.0f};
  for (const char* spec : {"{:20}", "{:<20}", "{:>20}", "{:^20}", "{:*^21}", "{:->40}", "{:5}"}) {
    EXPECT_EQ(fmt::format(fmt::runtime(spec), g), fmt::format(fmt::runtime(spec), streamed(g)))
        << spec;
    EXPECT_EQ(fmt::format(fmt::runtime(spec), v), fmt::format(fmt::runtime(spec), streamed(v)))
        << spec;
  }
  EXPECT_EQ(fmt::format("{:.>14?}", corvane::FmtTestPlace{7}),
            fmt::format("{:.>14}", std::string("FmtTestPlace { cell: 7 }")));
  // Enumeration members are bare names whatever the format string asks, except the
  // display text of EmoteCategory, which is padded and cut like a string.
  for (const char* spec : {"[{:_<8?}]", "[{:_<8}]", "[{:*>12.2?}]", "[{:.1}]", "[{:^30}]"}) {
    EXPECT_EQ(fmt::format(fmt::runtime(spec), corvane::FmtTestKind::First), "[First]") << spec;
    EXPECT_EQ(fmt::format(fmt::runtime(spec), corvane::PropertyAttribute2nd::MaxStamina),
              "[MaxStamina]") << spec;
  }
  for (const char* spec : {"[{:>12}]", "[{:*^15.5}]", "[{:.3}]", "[{:12.0}]", "[{:?}]", "[{:*>20?}]"}) {
    const std::string as_string =
        std::string_view(spec).find('?') != std::string_view::npos
            ? std::string("[HeartBeat]")
            : fmt::format(fmt::runtime(spec), std::string("HeartBeat"));
    EXPECT_EQ(fmt::format(fmt::runtime(spec), corvane::EmoteCategory::HeartBeat), as_string)
        << spec;
  }
  EXPECT_EQ(fmt::format("[{:<<14}]", Guid{1}), fmt::format("[{:<<14}]", streamed(Guid{1})));
}

TEST(FmtFormatter, RejectsSpecsItDoesNotUnderstand) {
  const Guid g{1};
  for (const char* spec : {"{:x}", "{:08}", "{:.3}", "{:+}", "{:{}}", "{:??}", "{:>x}"}) {
    EXPECT_THROW((void)fmt::format(fmt::runtime(spec), g, 5), fmt::format_error) << spec;
  }
}

TEST(FmtFormatter, ReachesTypesTheModulesAddLater) {
  EXPECT_EQ(fmt::format("{} {:?}", corvane::FmtTestKind::First, corvane::FmtTestKind::Second),
            "First Second");
  EXPECT_EQ(fmt::format("{}", corvane::FmtTestPlace{3}), "Cell 3");
  EXPECT_EQ(fmt::format("{:?}", corvane::FmtTestPlace{3}), "FmtTestPlace { cell: 3 }");
  EXPECT_EQ(fmt::format("{}", corvane::FmtTestOwnFormatter{}), "own");

  static_assert(fmt::is_formattable<corvane::FmtTestKind>::value);
  static_assert(!fmt::is_formattable<corvane::FmtTestStreamOnly>::value);
  static_assert(!fmt::is_formattable<elsewhere::Value>::value);
  static_assert(!corvane::fmt_detail::Formattable<const Guid*>);
}

TEST(FmtFormatter, WorksInsideRangesAndJoin) {
  const std::vector<Guid> ids{Guid{1}, Guid{0xDA550000u}};
  EXPECT_EQ(fmt::format("{}", fmt::join(ids, ", ")), "0x00000001, 0xDA550000");
  EXPECT_EQ(fmt::format("{}", ids), "[0x00000001, 0xDA550000]");
}

TEST(FmtFormatter, IgnoresTheGlobalLocale) {
  // operator<< of a later type may write integers through the stream; the
  // formatter's stream uses the classic locale whatever the program set.
  struct Grouping : std::numpunct<char> {
    char do_thousands_sep() const override { return '\''; }
    std::string do_grouping() const override { return "\3"; }
  };
  const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new Grouping));
  const std::string text = fmt::format("{}", corvane::FmtTestPlace{1234567});
  std::locale::global(previous);
  EXPECT_EQ(text, "Cell 1234567");
}

#if defined(__cpp_lib_format)
TEST(StdFormatter, MatchesStreamDebugTextAndPadding) {
  const Guid g{0xA9B40019u};
  const Vector3 v{1.0f, -2.5f, 0.0f};
  EXPECT_EQ(std::format("{}", g), streamed(g));
  EXPECT_EQ(std::format("{:?}", v), debug_string(v));
  EXPECT_EQ(std::format("{:*^24}", g), std::format("{:*^24}", streamed(g)));
  EXPECT_EQ(std::format("{}", corvane::FmtTestKind::Second), "Second");
  EXPECT_THROW((void)std::vformat("{:x}", std::make_format_args(g)), std::format_error);
}
#endif

}  // namespace
