// The library against the case tables every surface reads (tests/cases/):
// number reading and the heading's "same point" decision. The tool's suite
// reads all of them; the Python, JavaScript and map page suites read those
// whose rules they expose.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <system_error>
#include <type_traits>

#include "case_table.hpp"
#include "corvane/position.hpp"
#include "text/decimal_to_float.hpp"

namespace corvane {
namespace {

using test::load_case_table;
using test::table_hex;

std::uint32_t bits(float v) { return std::bit_cast<std::uint32_t>(v); }

TEST(NumberCases, ReadAsTheTableSays) {
  const nlohmann::json cases = load_case_table("numbers.json")["cases"];
  ASSERT_GT(cases.size(), 30u);
  for (const auto& c : cases) {
    const std::string text = c["text"];
    const auto got = detail::read_float_text(text);
    if (c.contains("bits")) {
      ASSERT_TRUE(got.has_value()) << text;
      EXPECT_FALSE(got->overflow) << text;
      EXPECT_EQ(bits(got->value), table_hex(c["bits"])) << text;
    } else if (c["error"] == "out of range") {
      ASSERT_TRUE(got.has_value()) << text;
      EXPECT_TRUE(got->overflow && std::isinf(got->value)) << text;
    } else {
      EXPECT_EQ(c["error"], "not a number") << text;
      EXPECT_FALSE(got.has_value()) << text;
    }
  }
}

/// "ID X Y Z" with the offsets read by the reader the number table checks.
WorldPosition position(const std::string& text) {
  std::istringstream in(text);
  std::string id;
  std::string xyz[3];
  in >> id >> xyz[0] >> xyz[1] >> xyz[2];
  float v[3] = {};
  for (int i = 0; i < 3; ++i) v[i] = detail::read_float_text(xyz[i]).value().value;
  return {Guid{static_cast<std::uint32_t>(std::stoul(id, nullptr, 0))}, Vector3{v[0], v[1], v[2]},
          Quaternion::identity()};
}

TEST(SamePointCases, HeadingAndItsCaseAsTheTableSays) {
  const nlohmann::json cases = load_case_table("same_point.json")["cases"];
  ASSERT_GT(cases.size(), 8u);
  for (const auto& c : cases) {
    const WorldPosition from = position(c["from"]);
    const WorldPosition to = position(c["to"]);
    const std::string where = c["from"].get<std::string>() + " -> " + c["to"].get<std::string>();
    const std::string kind = c["case"];
    const HeadingCase want = kind == "same point"      ? HeadingCase::SamePoint
                             : kind == "straight up"   ? HeadingCase::StraightUp
                             : kind == "straight down" ? HeadingCase::StraightDown
                                                       : HeadingCase::Direction;
    EXPECT_EQ(kind == "direction", want == HeadingCase::Direction) << where << ": " << kind;
    EXPECT_EQ(from.heading_case(to), want) << where;
    EXPECT_EQ(bits(from.heading_to(to)), table_hex(c["heading"])) << where;
    // Within one landblock id the positions' answer is the offsets' answer.
    if (from.landblock_id == to.landblock_id) {
      EXPECT_EQ(from.coords.heading_case(to.coords), want) << where;
    }
  }
}

#if defined(__cpp_lib_to_chars)
// The reader against std::from_chars where the standard library has it for
// floating point: texts built from number pieces and stray characters are
// accepted alike and read to the same bits; from_chars's "out of range" is the
// reader's overflow or a tiny result. from_chars takes neither '+' nor "0x",
// so the texts here have no sign and the hexadecimal ones get "0x" put in
// front for the reader.
void expect_reads_like_from_chars(const std::string& t, bool hex) {
  // Signs and "0x" in front of a decimal: numbers.json.
  if (!hex && (t.starts_with('+') || t.starts_with('-') || t.starts_with("0x") ||
               t.starts_with("0X"))) {
    return;
  }
  float ref{};
  const auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), ref,
                                         hex ? std::chars_format::hex : std::chars_format::general);
  // from_chars takes a '-', and inf and nan after "0x" too. libstdc++ 12's
  // hexadecimal reader also takes "1p+-2" for 1p-2, which is no number.
  const bool hex_start =
      !t.empty() && (std::isxdigit(static_cast<unsigned char>(t[0])) != 0 || t[0] == '.');
  const bool two_signs = hex && t.find("p+-") != std::string::npos;
  const bool accepted = ptr == t.data() + t.size() && ec != std::errc::invalid_argument &&
                        !t.starts_with('-') && (!hex || (hex_start && !two_signs));
  const auto got = detail::read_float_text(hex ? "0x" + t : t);
  ASSERT_EQ(got.has_value(), accepted) << t << (hex ? " hex" : "");
  if (!got) return;
  if (ec == std::errc{}) {
    EXPECT_FALSE(got->overflow) << t;
    EXPECT_EQ(bits(got->value), bits(ref)) << t;
  } else {
    EXPECT_EQ(got->overflow, std::isinf(got->value)) << t;
    if (!got->overflow) {
      EXPECT_LT(std::fabs(got->value), std::numeric_limits<float>::min()) << t;
    }
  }
}

TEST(NumberText, ReadsWhatFromCharsReads) {
  std::mt19937_64 rng(17);
  const auto below = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
  const auto pick = [&](std::string_view from) { return from[below(from.size())]; };
  const auto digits = [&](std::string_view from, std::size_t most) {
    std::string run;
    for (std::size_t n = 1 + below(most); n > 0; --n) run += pick(from);
    return run;
  };
  const auto any_case = [&](std::string word) {
    for (char& c : word) {
      if ((rng() & 1) != 0) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return word;
  };
  for (int i = 0; i < 200000; ++i) {
    std::string t;
    for (std::uint64_t pieces = 1 + rng() % 4; pieces > 0; --pieces) {
      switch (rng() % 8) {
        case 0:
          t += digits("0123456789", 25);
          break;
        case 1:
          t += digits("0123456789abcdefABCDEF", 12);
          break;
        case 2:
          t += '.';
          break;
        case 3:
          t += pick("eEpP");
          if ((rng() & 1) != 0) t += pick("+-");
          if (rng() % 4 != 0) t += std::to_string(rng() % 4 == 0 ? rng() % 100000 : rng() % 70);
          break;
        case 4:
          t += any_case(std::array{"inf", "infinity", "nan", "nan(", "nan(x_9)"}[below(5)]);
          break;
        case 5:
          t += pick(")+-x _(,");
          break;
        default:
          t += digits("0123456789", 8);
          break;
      }
    }
    for (const bool hex : {false, true}) expect_reads_like_from_chars(t, hex);
  }
}
#endif

}  // namespace
}  // namespace corvane
