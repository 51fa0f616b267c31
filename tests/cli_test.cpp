// Unit tests of the corvane tool's line processing: reading and checking
// lines, number parsing against the C library, the text forms the tool writes
// (and reads back), and every subcommand's results on whole vocabularies.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <numbers>
#include <random>
#include <sstream>
#include <string>
#include <system_error>
#include <type_traits>
#include <variant>
#include <vector>

#include "corvane/corvane.hpp"
#include "corvane/properties/vocabularies.hpp"
#include "command_line.hpp"
#include "commands.hpp"
#include "descriptor_output.hpp"
#include "fingerprint.hpp"
#include "input.hpp"
#include "output.hpp"
#include "plot.hpp"
#include "positions.hpp"
#include "stream.hpp"
#include "subcommands.hpp"
#include "vocabularies.hpp"

namespace corvane::cli {
namespace {

std::uint32_t bits(float v) { return std::bit_cast<std::uint32_t>(v); }

template <class T>
T ok(const std::variant<T, Error>& v) {
  if (const auto* e = std::get_if<Error>(&v)) ADD_FAILURE() << "unexpected error: " << e->message;
  return std::holds_alternative<T>(v) ? std::get<T>(v) : T{};
}

template <class T>
std::string err(const std::variant<T, Error>& v) {
  if (!std::holds_alternative<Error>(v)) {
    ADD_FAILURE() << "expected an error";
    return {};
  }
  return std::get<Error>(v).message;
}

/// The text of a line's record, or "ERROR: message", or "PASS".
std::string run_line(const Command& c, std::string_view line) {
  const LineOutcome o = process_line(c, line);
  if (std::holds_alternative<Passthrough>(o)) return "PASS";
  if (const auto* e = std::get_if<Error>(&o)) return "ERROR: " + e->message;
  return std::get<Record>(o).text;
}

Record record(const Command& c, std::string_view line) {
  const LineOutcome o = process_line(c, line);
  if (const auto* e = std::get_if<Error>(&o)) ADD_FAILURE() << line << ": " << e->message;
  return std::holds_alternative<Record>(o) ? std::get<Record>(o) : Record{};
}

// ---------------------------------------------------------------------------
// Reading lines

std::vector<RawLine> read_all(const std::string& input, std::size_t max_bytes = kMaxLineBytes) {
  std::stringbuf buf(input);
  LineReader reader(buf, max_bytes);
  std::vector<RawLine> lines;
  while (auto line = reader.next()) lines.push_back(*line);
  return lines;
}

TEST(LineReader, SplitsLinesKeepsEmptyOnesAndTheLastWithoutNewline) {
  const auto lines = read_all("a\n\nb\r\nc");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].text, "a");
  EXPECT_EQ(lines[1].text, "");
  EXPECT_EQ(lines[2].text, "b");  // CRLF: the carriage return is dropped
  EXPECT_EQ(lines[3].text, "c");
  EXPECT_TRUE(read_all("").empty());
  EXPECT_EQ(read_all("\n").size(), 1u);
}

TEST(LineReader, AFileDescriptorReadsTheSameLinesAsAStreamBuffer) {
  // Random lines of every length around the read block, so that lines and
  // carriage returns straddle block boundaries, and a few too long ones.
  std::mt19937 rng(5);
  std::string input;
  while (input.size() < 300 * 1024) {
    const std::size_t n = rng() % 4 == 0 ? rng() % 70000 : rng() % 40;
    input.append(n, static_cast<char>('a' + rng() % 26));
    input += rng() % 3 == 0 ? "\r\n" : "\n";
  }
  input += "last";
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "cli_test_lines.txt";
  std::ofstream(path, std::ios::binary) << input;
  const int fd = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  int waits = 0;
  LineReader reader(fd, [&waits] { ++waits; });
  const std::vector<RawLine> want = read_all(input);
  std::vector<RawLine> got;
  while (auto line = reader.next()) got.push_back(*line);
  ::close(fd);
  std::filesystem::remove(path);
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].text, want[i].text) << i;
    EXPECT_EQ(got[i].too_long, want[i].too_long) << i;
  }
  EXPECT_EQ(waits, 0) << "a regular file never makes the reader wait";
  EXPECT_TRUE(reader.read_error().empty());
}

TEST(LineReader, ATooLongLineIsCutAndTheNextLineStartsInPlace) {
  const std::string big(100, 'x');
  const auto lines = read_all("ok\n" + big + "\nnext\n", 10);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_FALSE(lines[0].too_long);
  EXPECT_TRUE(lines[1].too_long);
  EXPECT_EQ(lines[1].text.size(), 10u);
  EXPECT_EQ(lines[2].text, "next");
  EXPECT_FALSE(lines[2].too_long);
  // Exactly at the limit is still fine.
  EXPECT_FALSE(read_all(std::string(10, 'y'), 10)[0].too_long);
}

// ---------------------------------------------------------------------------
// Checking text

TEST(CheckText, AcceptsUtf8AndRejectsNulAndMalformedSequences) {
  EXPECT_FALSE(check_text("plain 0xDA550000 84 108 0"));
  EXPECT_FALSE(check_text("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF"));
  const char* bad[] = {
      "\xFF",              // never a UTF-8 byte
      "\x80",              // a lone continuation byte
      "\xC0\x80",          // overlong NUL
      "\xE0\x80\x80",      // overlong
      "\xF0\x80\x80\x80",  // overlong
      "\xED\xA0\x80",      // a UTF-16 surrogate
      "\xF4\x90\x80\x80",  // above U+10FFFF
      "\xE2\x82",          // truncated
      "\xC3(",             // a continuation byte missing
  };
  for (const char* b : bad) {
    const auto e = check_text(std::string("ab") + b);
    ASSERT_TRUE(e) << quote(b);
    EXPECT_NE(e->message.find("at byte 3"), std::string::npos) << e->message;
  }
  const auto nul = check_text(std::string("1 2\0 3", 6));
  ASSERT_TRUE(nul);
  EXPECT_EQ(nul->message, "NUL byte at byte 4");
}

TEST(CheckText, ReplaceMalformedGivesValidTextAndKeepsValidText) {
  const std::string good = "x \xC3\xA9 \xF0\x9F\x98\x80";
  EXPECT_EQ(replace_malformed(good), good);
  const std::string fixed = replace_malformed(std::string("a\xFF\0b\xE2\x82", 6));
  EXPECT_FALSE(check_text(fixed)) << fixed;
  EXPECT_EQ(fixed, "a\xEF\xBF\xBD\xEF\xBF\xBD" "b\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Quote, CutsLongTokensAndEscapesBytes) {
  EXPECT_EQ(quote("abc"), "'abc'");
  EXPECT_EQ(quote("a\x01\xFF\\"), "'a\\x01\\xFF\\x5C'");
  const std::string q = quote(std::string(1000, 'z'));
  EXPECT_EQ(q.size(), 1 + 40 + 3 + 1);
}

// ---------------------------------------------------------------------------
// Fields

std::vector<std::string> fields(std::string_view data) {
  const auto v = split_fields(data);
  std::vector<std::string> out;
  for (const std::string_view f : ok(v)) out.emplace_back(f);
  return out;
}

TEST(SplitFields, BlanksOrOneCommaSeparate) {
  const std::vector<std::string> want = {"0xDA550000", "84", "108", "0"};
  EXPECT_EQ(fields("0xDA550000 84 108 0"), want);
  EXPECT_EQ(fields("0xDA550000,84,108,0"), want);
  EXPECT_EQ(fields("  0xDA550000 ,\t84,  108 \t 0  "), want);
  EXPECT_TRUE(fields("").empty());
  EXPECT_EQ(err(split_fields("1,,2")), "empty field 2 between two commas");
  EXPECT_EQ(err(split_fields(", 1")), "empty field before the first comma");
  EXPECT_EQ(err(split_fields("1 ,")), "empty field after the last comma");
}

TEST(SplitComment, TrailingCommentsAndPassthroughLines) {
  const SplitLine s = split_comment("  1 2 3 4   #  market gate ");
  EXPECT_EQ(s.data, "1 2 3 4");
  EXPECT_TRUE(s.has_comment);
  EXPECT_EQ(s.comment, "market gate");
  EXPECT_TRUE(is_passthrough(""));
  EXPECT_TRUE(is_passthrough(" \t "));
  EXPECT_TRUE(is_passthrough("# only a comment"));
  EXPECT_TRUE(is_passthrough("   # indented"));
  EXPECT_FALSE(is_passthrough("x # y"));
}

// ---------------------------------------------------------------------------
// Integers

TEST(ParseU32, DecimalAndHexWithinThirtyTwoBits) {
  EXPECT_EQ(ok(parse_u32("0", "id")), 0u);
  EXPECT_EQ(ok(parse_u32("3663003648", "id")), 0xDA550000u);
  EXPECT_EQ(ok(parse_u32("0xDA550000", "id")), 0xDA550000u);
  EXPECT_EQ(ok(parse_u32("0Xda550000", "id")), 0xDA550000u);
  EXPECT_EQ(ok(parse_u32("0x0000000000000100", "id")), 0x100u);  // leading zeros
  EXPECT_EQ(ok(parse_u32("0100", "id")), 100u);                  // decimal, not octal
  EXPECT_EQ(ok(parse_u32("+7", "id")), 7u);
  EXPECT_EQ(ok(parse_u32("4294967295", "id")), 0xFFFFFFFFu);
  EXPECT_EQ(ok(parse_u32("0xFFFFFFFF", "id")), 0xFFFFFFFFu);
}

TEST(ParseU32, RejectsWhatIsNotAThirtyTwoBitNumber) {
  EXPECT_EQ(err(parse_u32("0x100000000", "id")),
            "id '0x100000000' is above 0xFFFFFFFF (4294967295)");
  EXPECT_NE(err(parse_u32("4294967296", "id")).find("above 0xFFFFFFFF"), std::string::npos);
  // Past 64 bits too, where the conversion itself overflows.
  EXPECT_NE(err(parse_u32(std::string(200, '9'), "id")).find("above 0xFFFFFFFF"),
            std::string::npos);
  EXPECT_EQ(err(parse_u32("-1", "id")), "id '-1' is negative");
  EXPECT_EQ(err(parse_u32("12abc", "id")),
            "id '12abc' is not a number (write it in decimal, or in hexadecimal after 0x)");
  for (const char* bad : {"", "0x", "x1", "1.5", "1e3", "0x1g", "12abc", "--1", "+-1", " 1",
                          "0b101", "one"}) {
    EXPECT_FALSE(std::holds_alternative<std::uint32_t>(parse_u32(bad, "id"))) << bad;
  }
  EXPECT_EQ(err(parse_u32("", "id")), "missing id");
}

// ---------------------------------------------------------------------------
// Floats, against the C library's strtof

float strtof_reference(const std::string& text) { return std::strtof(text.c_str(), nullptr); }

TEST(ParseF32, MatchesStrtofOnDecimalAndHexText) {
  const char* texts[] = {"84",       "-7.1",       "0.1",          "1e-3",        ".5",
                         "5.",       "-0",         "1.0000001",    "16777217",    "3.4028235e38",
                         "1e-40",    "1.4e-45",    "0.7071068",    "1.2345679",   "192",
                         "0x1.8p3",  "-0x1p-149",  "0x1.fffffep127", "123456789012345678901234567890"};
  for (const std::string t : texts) {
    const float got = ok(parse_f32(t, "x", NonFinite::Reject));
    EXPECT_EQ(bits(got), bits(strtof_reference(t))) << t;
  }
}

TEST(ParseF32, RandomDecimalsRoundLikeStrtof) {
  std::mt19937_64 rng(20261208);
  std::uniform_int_distribution<int> digit(0, 9);
  std::uniform_int_distribution<int> exponent(-50, 40);
  for (int i = 0; i < 20000; ++i) {
    std::string t = (rng() & 1) ? "-" : "";
    const int n = 1 + static_cast<int>(rng() % 12);
    for (int k = 0; k < n; ++k) {
      t.push_back(static_cast<char>('0' + digit(rng)));
      if (k == 0) t.push_back('.');
    }
    t += 'e';
    t += std::to_string(exponent(rng));
    const float ref = strtof_reference(t);
    const auto got = parse_f32(t, "x", NonFinite::Reject);
    if (std::isinf(ref)) {
      EXPECT_NE(err(got).find("out of float range"), std::string::npos) << t;
    } else {
      EXPECT_EQ(bits(ok(got)), bits(ref)) << t;
    }
  }
}

TEST(ParseF32, OverflowIsAnErrorUnderflowRoundsToSignedZero) {
  for (const char* t : {"1e39", "-1e39", "3.5e38", "3.40282357e38", "0x1p128", "1e99999"}) {
    EXPECT_NE(err(parse_f32(t, "x offset", NonFinite::Accept)).find("out of float range"),
              std::string::npos)
        << t;
  }
  // The largest float and the text just below the rounding boundary are fine.
  EXPECT_EQ(bits(ok(parse_f32("3.40282356e38", "x", NonFinite::Reject))),
            bits(std::numeric_limits<float>::max()));
  EXPECT_EQ(bits(ok(parse_f32("1e-50", "x", NonFinite::Reject))), 0x00000000u);
  EXPECT_EQ(bits(ok(parse_f32("-1e-50", "x", NonFinite::Reject))), 0x80000000u);
  EXPECT_EQ(bits(ok(parse_f32("1e-99999", "x", NonFinite::Reject))), 0x00000000u);
}

TEST(ParseF32, NonFiniteValuesAsAsked) {
  EXPECT_TRUE(std::isnan(ok(parse_f32("nan", "x", NonFinite::Accept))));
  EXPECT_TRUE(std::isnan(ok(parse_f32("NaN", "x", NonFinite::Accept))));
  EXPECT_EQ(ok(parse_f32("inf", "x", NonFinite::Accept)), std::numeric_limits<float>::infinity());
  EXPECT_EQ(ok(parse_f32("-Infinity", "x", NonFinite::Accept)),
            -std::numeric_limits<float>::infinity());
  EXPECT_EQ(ok(parse_f32("+inf", "x", NonFinite::Accept)), std::numeric_limits<float>::infinity());
  EXPECT_EQ(err(parse_f32("nan", "z offset", NonFinite::Reject)), "z offset 'nan' is not finite");
  EXPECT_NE(err(parse_f32("-inf", "x", NonFinite::Reject)).find("not finite"), std::string::npos);
}

TEST(ParseF32, RejectsMalformedNumbers) {
  for (const char* t : {"", ".", "-", "+", "1e", "1e+", "e5", "1..2", "1,5", "--1", "+-1",
                        "0x", "0xinf", "0x-1p3", "1f", "1.5.", "nanx", "in", "0x1p", "\xC3\xA9"}) {
    EXPECT_FALSE(std::holds_alternative<float>(parse_f32(t, "x", NonFinite::Accept))) << t;
  }
  // Two exponent signs, which libstdc++ 12's hexadecimal from_chars took.
  EXPECT_FALSE(std::holds_alternative<float>(parse_f32("0x1p+-2", "x", NonFinite::Accept)));
}


// ---------------------------------------------------------------------------
// Written text reads back

TEST(FormatFloat, ShortestTextReadsBackToTheSameBits) {
  EXPECT_EQ(format_float(84.0f), "84.0");
  EXPECT_EQ(format_float(-0.0f), "-0.0");
  EXPECT_EQ(format_float(7.1f), "7.1");
  EXPECT_EQ(format_float(1e20f), "1e20");
  EXPECT_EQ(format_float(7212154486784.0f), "7212154500000.0");
  EXPECT_EQ(format_float(std::nanf("")), "NaN");
  EXPECT_EQ(format_float(-std::numeric_limits<float>::infinity()), "-inf");
  std::mt19937 rng(7);
  for (int i = 0; i < 200000; ++i) {
    const float v = std::bit_cast<float>(static_cast<std::uint32_t>(rng()));
    // Every float the tool writes is the library's own text of it.
    const std::string text = format_float(v);
    EXPECT_EQ("Vector3 { x: " + text + ", y: 0.0, z: 0.0 }",
              corvane::debug_string(corvane::Vector3{v, 0.0f, 0.0f}));
    if (!std::isfinite(v)) continue;
    EXPECT_EQ(bits(ok(parse_f32(text, "x", NonFinite::Reject))), bits(v)) << text;
    // The JSON number prints as the same text, and the double it holds
    // narrows back to the same float.
    const nlohmann::ordered_json j = json_float(v);
    EXPECT_EQ(bits(static_cast<float>(j.get<double>())), bits(v)) << text;
  }
  EXPECT_TRUE(json_float(std::nanf("")).is_null());
}

TEST(Hex, FixedWidthUppercaseAndLowercase64) {
  EXPECT_EQ(hex32(0xDA550000u), "0xDA550000");
  EXPECT_EQ(hex32(0x100u, 4), "0x0100");
  EXPECT_EQ(hex32(5u, 2), "0x05");
  EXPECT_EQ(hex64(0xcbf29ce484222325u), "0xcbf29ce484222325");
  EXPECT_EQ(hex64(0), "0x0000000000000000");
}

TEST(Csv, QuotesOnlyWhatNeedsIt) {
  EXPECT_EQ(csv_escape("plain"), "plain");
  EXPECT_EQ(csv_escape("33.5S, 72.7E, 0.0Z"), "\"33.5S, 72.7E, 0.0Z\"");
  EXPECT_EQ(csv_escape("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(csv_escape("a\nb"), "\"a\nb\"");
  EXPECT_EQ(csv_escape(" lead"), "\" lead\"");
  EXPECT_EQ(csv_cell(nullptr), "");
  EXPECT_EQ(csv_cell(true), "true");
  EXPECT_EQ(csv_cell(nlohmann::ordered_json::array({"A", "B"})), "[\"A\",\"B\"]");
}

// ---------------------------------------------------------------------------
// Output formats

TEST(OutputWriter, EveryFormatKeepsOneResultPerLineAndValidText) {
  const Command c = make_coords_command(1);
  const std::vector<std::string> input = {"# header", "0xDA550000 84 108 0 # market",
                                          "bad \xFF line", "0x00000100 0 0 0"};
  std::string joined;
  for (const auto& l : input) joined += l + "\n";

  for (const Format f : {Format::Text, Format::Json, Format::Csv}) {
    std::stringbuf in(joined);
    std::ostringstream out, errs;
    const RunStats stats = run_stream(c, stream_source(in), out, errs, RunOptions{f, false});
    EXPECT_EQ(stats.records, 3u);
    EXPECT_EQ(stats.failed, 1u);
    EXPECT_EQ(errs.str(), "corvane: line 3: malformed UTF-8 at byte 5\n");
    EXPECT_FALSE(check_text(out.str())) << "output is valid UTF-8";
    std::vector<std::string> lines;
    std::istringstream split(out.str());
    for (std::string l; std::getline(split, l);) lines.push_back(l);
    if (f == Format::Text) {
      const std::vector<std::string> want = {"# header", "33.5S, 72.7E, 0.0Z  # market",
                                             "ERROR: malformed UTF-8 at byte 5", "Indoors [0100]"};
      EXPECT_EQ(lines, want);
    } else if (f == Format::Json) {
      ASSERT_EQ(lines.size(), 3u);
      const auto a = nlohmann::json::parse(lines[0]);
      EXPECT_EQ(a["line"], 2);
      EXPECT_EQ(a["text"], "33.5S, 72.7E, 0.0Z");
      EXPECT_EQ(a["comment"], "market");
      EXPECT_EQ(a["lat"].get<double>(), -33.550003);
      const auto b = nlohmann::json::parse(lines[1]);
      EXPECT_EQ(b["line"], 3);
      EXPECT_EQ(b["input"], "bad \xEF\xBF\xBD line");
      EXPECT_EQ(b["error"], "malformed UTF-8 at byte 5");
      EXPECT_FALSE(b.contains("text"));
      EXPECT_EQ(nlohmann::json::parse(lines[2])["cell"], "0x0100");
    } else {
      ASSERT_EQ(lines.size(), 4u);
      EXPECT_EQ(lines[0], "line,input,id,x,y,z,indoors,cell,lat,lon,alt,text,comment,error");
      EXPECT_EQ(lines[1],
                "2,0xDA550000 84 108 0 # market,0xDA550000,84.0,108.0,0.0,false,,-33.550003,"
                "72.75,0.0,\"33.5S, 72.7E, 0.0Z\",market,");
      EXPECT_EQ(lines[2], "3,bad \xEF\xBF\xBD line,,,,,,,,,,,,malformed UTF-8 at byte 5");
    }
  }
}

// A float repeated across a record shares one text in the fields but is
// written at each use: the line's room must count every use, in both formats.
TEST(OutputWriter, ARepeatedNumberIsWrittenInEveryColumn) {
  std::vector<std::string> columns;
  for (int i = 0; i < 64; ++i) columns.push_back(std::to_string(i));
  for (const Format f : {Format::Json, Format::Csv}) {
    std::ostringstream out;
    OutputWriter writer(out, f, false, columns);
    FlatRecord r;
    for (std::size_t i = 0; i < columns.size(); ++i) r.fields.number(i, -1.2345678e-38f);
    writer.record(1, "", r, std::nullopt);
    const std::string line = out.str();
    std::size_t count = 0;
    for (std::size_t at = 0; (at = line.find("-1.2345678e-38", at)) != std::string::npos; ++at) ++count;
    EXPECT_EQ(count, columns.size()) << line;
  }
}

// The flat writer tests its texts eight bytes at a time and the last few as
// the eight that end them: every byte that must be escaped or quoted, at every
// place in texts of every length around those words, against nlohmann's JSON
// text and the CSV quoting rule written out here.
TEST(OutputWriter, FlatLinesEscapeAByteWhereverItStands) {
  const auto csv_reference = [](const std::string& cell) {
    const bool quote = cell.find_first_of(",\"\r\n") != std::string::npos ||
                       (!cell.empty() && (cell.front() == ' ' || cell.back() == ' '));
    if (!quote) return cell;
    std::string quoted = "\"";
    for (const char ch : cell) quoted.append(ch == '"' ? 2 : 1, ch);
    return quoted.append(1, '"');
  };
  for (const char special : std::string("\"\\\n\r\t\x01\x1F\x7F, ", 10)) {
    for (std::size_t length = 0; length <= 40; ++length) {
      for (std::size_t at = 0; at <= length; ++at) {
        std::string text(length, 'a');
        if (at < length) text[at] = special;  // at == length: nothing to escape
        for (const Format f : {Format::Json, Format::Csv}) {
          std::ostringstream out;
          OutputWriter writer(out, f, false, {"t"});
          FlatRecord r;
          r.fields.text(0, text);
          writer.record(1, text, r, std::nullopt);
          std::string want;
          if (f == Format::Json) {
            want = json_text(nlohmann::ordered_json{{"line", 1}, {"input", text}, {"t", text}});
          } else {
            want = "1,";
            want.append(csv_reference(text)).append(",").append(csv_reference(text)).append(",,");
          }
          ASSERT_EQ(out.str(), want + "\n") << "byte " << int(special) << " at " << at << " of " << length;
        }
      }
    }
  }
}

// Fields bound to the writer's form are written straight into their JSON or
// CSV text, in the line the writer starts and ends around them; kept as
// entries, the writer formats them. Both must give the same
// lines for any mix of fields: random records of every kind of value (new
// and repeated numbers, non-finite ones, texts with bytes to escape or
// quote, skipped columns).
TEST(OutputWriter, BoundFieldsWriteTheLinesOfUnboundOnes) {
  const std::vector<std::string> columns = {"a", "b\"q", "c", "d", "e", "f", "g", "h"};
  const std::vector<float> numbers = {0.0f, -0.0f, 1.5f, -33.550003f, 1e-45f, 3.4028235e38f,
                                      INFINITY, -INFINITY, NAN, 72.75f};
  const std::vector<std::string> texts = {"", "plain", " lead", "trail ", "a,b", "q\"uote",
                                          "back\\slash", "line\nbreak", "ctl\x01\x1F", "é and ✓",
                                          std::string(40, 'x') + "\"" + std::string(9, 'y')};
  std::mt19937 rng(20261209);
  for (const Format f : {Format::Json, Format::Csv}) {
    std::ostringstream unbound_out, bound_out;
    OutputWriter unbound_writer(unbound_out, f, false, columns);
    OutputWriter bound_writer(bound_out, f, false, columns);
    FlatRecord unbound, bound;
    bound.fields.bind(bound_writer.field_form());
    for (std::size_t line = 1; line <= 2000; ++line) {
      const std::string& input = texts[line % texts.size()];
      unbound.fields.clear();
      bound_writer.start_record(line, input, bound.fields);
      for (std::size_t c = 0; c < columns.size(); ++c) {
        const auto pick = rng() % 7;
        for (FieldList* fields : {&unbound.fields, &bound.fields}) {
          switch (pick) {
            case 0: break;  // no field in this column
            case 1: fields->number(c, numbers[(line + c / 2) % numbers.size()]); break;
            case 2: fields->text(c, texts[(line + c) % texts.size()]); break;
            case 3: fields->hex(c, static_cast<std::uint32_t>(line) * 2654435761u, static_cast<int>(1 + line % 8)); break;
            case 4: fields->boolean(c, line % 2 == 0); break;
            case 5: fields->null(c); break;
            case 6: fields->unsigned_number(c, std::uint64_t{1} << (line % 64)); break;
          }
        }
      }
      const std::optional<std::string_view> comment =
          line % 3 == 0 ? std::optional<std::string_view>(texts[(line / 3) % texts.size()]) : std::nullopt;
      unbound_writer.record(line, input, unbound, comment);
      bound_writer.record(line, input, bound, comment);
      ASSERT_EQ(bound_out.str(), unbound_out.str()) << "line " << line;
      bound_out.str("");
      unbound_out.str("");
    }
  }
}

TEST(OutputWriter, EchoPrintsTheInputBeforeTheResult) {
  std::ostringstream out;
  OutputWriter w(out, Format::Text, true, {});
  Record r;
  r.text = "result";
  w.record(1, "in put", r);
  w.error(2, "bad", Error{"why"});
  EXPECT_EQ(out.str(), "in put\tresult\nbad\tERROR: why\n");
}

// Every byte written through the large output buffer reaches the descriptor
// in order, whatever the sizes of the writes (single characters, pieces that
// straddle the buffer's end, writes larger than the buffer); a descriptor
// that cannot be written fails the stream instead of losing the bytes quietly.
TEST(DescriptorOutput, WritesEveryByteInOrderOrFailsTheStream) {
  char path[] = "/tmp/corvane_descriptor_output_XXXXXX";
  const int fd = ::mkstemp(path);
  ASSERT_GE(fd, 0);
  std::string want;
  {
    DescriptorOutput buffer(fd, 1000);
    std::ostream out(&buffer);
    std::mt19937 rng(7);
    for (int i = 0; i < 3000; ++i) {
      const std::size_t size = rng() % 8 == 0 ? rng() % 2500 : rng() % 40;
      const std::string piece(size, static_cast<char>('a' + i % 26));
      if (size == 1) {
        out.put(piece[0]);
      } else {
        out << piece;
      }
      want += piece;
      if (i % 500 == 0) out.flush();
    }
    out.flush();
    ASSERT_TRUE(out.good());
  }
  std::ifstream in(path, std::ios::binary);
  const std::string got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ::close(fd);
  std::remove(path);
  EXPECT_EQ(got.size(), want.size());
  EXPECT_TRUE(got == want);

  DescriptorOutput closed(-1, 16);
  std::ostream out(&closed);
  out << std::string(100, 'x');
  out.flush();
  EXPECT_FALSE(out.good());
}

TEST(RunStream, StopsWhenTheOutputCannotBeWritten) {
  std::stringbuf in("0 0 0 0\n0 0 0 0\n");
  std::ostringstream out, errs;
  out.setstate(std::ios::badbit);
  const RunStats stats =
      run_stream(make_coords_command(1), stream_source(in), out, errs, RunOptions{});
  EXPECT_TRUE(stats.output_failed);
  EXPECT_EQ(stats.records, 0u);
}

TEST(ProcessLine, TooLongAndArgumentGroups) {
  const Command c = make_coords_command(1);
  EXPECT_EQ(run_line(c, std::string(kMaxLineBytes + 1, '1')),
            "ERROR: line longer than 65536 bytes");
  const InputSource src = argument_source({"0xDA550000", "84", "108", "0", "1", "2"}, 4);
  const auto first = src();
  const auto second = src();
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->line.text, "0xDA550000 84 108 0");
  EXPECT_EQ(first->where(), "arguments 1-4");
  EXPECT_EQ(second->where(), "arguments 5-6");
  EXPECT_EQ(run_line(c, second->line.text), "ERROR: expected 4 fields (ID X Y Z), got 2");
  EXPECT_FALSE(src());
}

// Where an item came from is made into text only for a message; each source
// names its items as messages always have.
TEST(ProcessLine, ItemsSayWhereTheyCameFrom) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "cli_test_where.txt";
  std::ofstream(path) << "a\nb\n";
  const InputSource files = file_source({path.string(), "/nonexistent/corvane"});
  std::vector<std::string> where;
  while (const auto item = files()) where.push_back(item->where());
  std::filesystem::remove(path);
  EXPECT_EQ(where, (std::vector<std::string>{path.string() + ":1", path.string() + ":2",
                                             "/nonexistent/corvane"}));
  std::istringstream in("x\ny\n");
  const InputSource lines = stream_source(*in.rdbuf());
  (void)lines();
  EXPECT_EQ(lines()->where(), "line 2");
  EXPECT_EQ(argument_source({"a", "b"}, 1)()->where(), "argument 1");
}

// ---------------------------------------------------------------------------
// Positions

TEST(Coords, MapTextAtEveryPrecision) {
  const char* line = "0xDA550000 84 108 0";
  EXPECT_EQ(run_line(make_coords_command(0), line), "34S, 73E, 0.0Z");
  EXPECT_EQ(run_line(make_coords_command(1), line), "33.5S, 72.7E, 0.0Z");
  EXPECT_EQ(run_line(make_coords_command(2), line), "33.55S, 72.75E, 0.0Z");
  EXPECT_EQ(run_line(make_coords_command(3), "3663003648,84,108,0"), "33.550S, 72.750E, 0.0Z");
  EXPECT_EQ(run_line(make_coords_command(2), "0x7F7F0000 96 96 -5"), "0.00N, 0.00E, -5.0Z");
  EXPECT_EQ(run_line(make_coords_command(5), "0x860201AD 12.32 -28.48 0.005"), "Indoors [01AD]");
  EXPECT_EQ(run_line(make_coords_command(1), "0 0 0 0"), "101.9S, 101.9W, 0.0Z");
  EXPECT_EQ(run_line(make_coords_command(1), "0 0 0"),
            "ERROR: expected 4 fields (ID X Y Z), got 3");
  EXPECT_EQ(run_line(make_coords_command(1), "0xDA550000 84 108 1e39"),
            "ERROR: z offset '1e39' is out of float range (largest magnitude 3.4028235e38)");
}

TEST(Coords, AgreesWithTheLibraryOnRandomPositions) {
  std::mt19937 rng(42);
  std::uniform_real_distribution<float> offset(-300.0f, 500.0f);
  const Command c = make_coords_command(3);
  for (int i = 0; i < 2000; ++i) {
    const WorldPosition p{Guid{static_cast<std::uint32_t>(rng())},
                          Vector3{offset(rng), offset(rng), offset(rng)}, Quaternion::identity()};
    const Record r = record(c, format_position(p));
    EXPECT_EQ(r.text, p.to_world_coords().to_string_with_precision(3));
    EXPECT_EQ(r.fields["indoors"].get<bool>(), p.is_indoors());
  }
}

// Offsets as logs write them: the writer's own text (copied as it stands),
// fixed decimals with trailing zeros, a sign and leading zeros, nine
// significant digits. In JSON and CSV each is the shortest text of the float
// read, whichever way it got there.
TEST(Coords, OffsetsAreTheShortestTextOfTheFloatRead) {
  std::mt19937 rng(17);
  std::uniform_real_distribution<float> offset(-300.0f, 500.0f);
  std::string input;
  std::vector<std::array<float, 3>> read;
  for (int i = 0; i < 3000; ++i) {
    input += hex32(static_cast<std::uint32_t>(rng()));
    std::array<float, 3> floats{};
    for (float& f : floats) {
      const auto v = static_cast<double>(offset(rng));
      char text[64];
      switch (rng() % 4) {
        case 0: std::snprintf(text, sizeof text, "%s", format_float(static_cast<float>(v)).c_str()); break;
        case 1: std::snprintf(text, sizeof text, "%.4f", v); break;
        case 2: std::snprintf(text, sizeof text, "%+09.2f", v); break;
        default: std::snprintf(text, sizeof text, "%.9g", v); break;
      }
      f = std::strtof(text, nullptr);
      input.append(" ").append(text);
    }
    input += '\n';
    read.push_back(floats);
  }
  for (const Format format : {Format::Json, Format::Csv}) {
    std::stringbuf in(input);
    std::ostringstream out, errs;
    run_stream(make_coords_command(1), stream_source(in), out, errs, RunOptions{format, false});
    std::istringstream rows(out.str());
    std::string row;
    if (format == Format::Csv) std::getline(rows, row);  // the header
    for (const auto& floats : read) {
      ASSERT_TRUE(std::getline(rows, row));
      for (std::size_t k = 0; k < 3; ++k) {
        const std::string want = format_float(floats[k]);
        if (format == Format::Json) {
          const std::string member = std::string(",\"") + "xyz"[k] + "\":" + want + ",";
          ASSERT_NE(row.find(member), std::string::npos) << member << " in " << row;
        } else {
          std::vector<std::string> cells;
          std::istringstream split(row);
          for (std::string cell; std::getline(split, cell, ',');) cells.push_back(cell);
          ASSERT_EQ(cells.at(3 + k), want) << row;
        }
      }
    }
  }
}

TEST(Locate, CoordsOfALocatedTextGivesTheSameTextAtEveryPrecision) {
  // Outdoor positions all over the world, offsets inside their landblock:
  // their map text, located by the tool and converted back by the tool,
  // reads the same, whether the text is one argument or typed in pieces.
  std::mt19937 rng(8);
  std::uniform_real_distribution<float> offset(0.0f, 191.99f), height(-100.0f, 500.0f);
  const Command locate = make_locate_command();
  for (int i = 0; i < 700; ++i) {
    const std::uint32_t id = (static_cast<std::uint32_t>(rng()) & 0xFFFF0000u) | 1u;
    const WorldPosition p{Guid{id}, Vector3{offset(rng), offset(rng), height(rng)},
                          Quaternion::identity()};
    const std::size_t precision = static_cast<std::size_t>(i % 7);
    const std::string text = run_line(make_coords_command(precision), format_position(p));
    const std::string located = run_line(locate, text);
    ASSERT_FALSE(located.starts_with("ERROR")) << text << ": " << located;
    EXPECT_EQ(run_line(make_coords_command(precision), located), text) << located;
  }
  EXPECT_EQ(run_line(locate, "Indoors [01AD]").rfind("ERROR: map text 'Indoors [01AD]' is indoors", 0), 0u);
  EXPECT_NE(run_line(locate, "150N, 0E").find("outside the world"), std::string::npos);
  EXPECT_NE(run_line(locate, "33.5Q, 72.7E").find("latitude"), std::string::npos);

  const auto groups = [](std::vector<std::string> args) { return map_text_groups(args); };
  using Sizes = std::vector<std::size_t>;
  EXPECT_EQ(groups({"33.5S, 72.7E, 0.0Z", "42N 33E"}), (Sizes{1, 1}));
  EXPECT_EQ(groups({"33.5S,", "72.7E,", "0.0Z", "42n", "33e", "Indoors", "[01AD]"}), (Sizes{3, 2, 2}));
  EXPECT_EQ(groups({"33.5S, 72.7E", "42N, 33E, 94.0Z", "x"}), (Sizes{1, 1, 1}));
}

TEST(Rebucket, ResultsAndTheirTextReadBackExactly) {
  const Command c = make_rebucket_command();
  EXPECT_EQ(run_line(c, "0xA9B40019 94 200 94"), "0xA9B50019 94.0 8.0 94.0");
  EXPECT_EQ(run_line(c, "0xA9B40019 -50 -10 94"), "0xA8B30030 142.0 182.0 94.0");
  EXPECT_EQ(run_line(c, "0x860201AD 12.32 -28.48 0.005"), "0x860201AD 12.32 -28.48 0.005");
  EXPECT_FALSE(record(c, "0x860201AD 12.32 -28.48 0.005").fields["changed"].get<bool>());
  EXPECT_TRUE(record(c, "0xA9B40019 94 200 94").fields["changed"].get<bool>());
  // A NaN offset comes back untouched, and that is no change.
  EXPECT_FALSE(record(c, "0xA9B40019 nan 5 0").fields["changed"].get<bool>());

  std::mt19937 rng(3);
  std::uniform_real_distribution<float> offset(-5000.0f, 5000.0f);
  for (int i = 0; i < 2000; ++i) {
    const WorldPosition p{Guid{static_cast<std::uint32_t>(rng()) & 0xFFFF00FFu},
                          Vector3{offset(rng), offset(rng), offset(rng)}, Quaternion::identity()};
    const WorldPosition want = p.rebucket_outdoor_landblock();
    const std::string text = run_line(c, format_position(p));
    ASSERT_EQ(text, format_position(want));
    // The printed position parses back to the same bits.
    const auto again = ok(split_fields(text));
    const WorldPosition back = ok(parse_position(again, NonFinite::Reject));
    EXPECT_EQ(back.landblock_id, want.landblock_id);
    EXPECT_EQ(bits(back.coords.x), bits(want.coords.x));
    EXPECT_EQ(bits(back.coords.y), bits(want.coords.y));
    EXPECT_EQ(bits(back.coords.z), bits(want.coords.z));
  }
}

TEST(Normalize, DerivesTheCellNumber) {
  const Command c = make_normalize_command();
  EXPECT_EQ(run_line(c, "0x34190039 0.3076171875 58.29931640625 13.145146"),
            "0x34190003 0.3076172 58.299316 13.145146");
  EXPECT_EQ(run_line(c, "0x016C0155 12 -60 0"), "0x016C0155 12.0 -60.0 0.0");
  EXPECT_EQ(run_line(c, "0 5 5 5"), "0x00000000 5.0 5.0 5.0");
}

TEST(Measure, DistanceHeadingAndLandblocks) {
  const Command c = make_measure_command();
  EXPECT_EQ(run_line(c, "0xDA55001C 84 84 0 0xDA55001D 84 100 0"),
            "distance 16.0 m, heading 1.5707964 rad (90.0 deg, north), landblock distance 0");
  EXPECT_EQ(run_line(c, "0 10 10 0 0x01000000 10 10 0"),
            "distance 192.0 m, heading 3.1415927 rad (180.0 deg, east), landblock distance none");
  const Record same = record(c, "0x01010000 5 5 0 0x01010000 5 5 0");
  EXPECT_EQ(same.fields["compass"], "same point");
  EXPECT_EQ(record(c, "0x01010000 5 5 0 0x01010000 5 5.0001 0").fields["compass"], "same point");
  // A purely vertical step has a heading number but no direction.
  EXPECT_EQ(record(c, "0x01010000 5 5 0 0x01010000 5 5 10").fields["compass"], "straight up");
  EXPECT_EQ(record(c, "0x01010000 5 5 0 0x01010001 5 5 -10").fields["compass"], "straight down");
  EXPECT_EQ(record(c, "0x01010000 5 5 0 0x01010000 5 5.01 0").fields["compass"], "north");
  EXPECT_EQ(record(c, "0x01010000 0 0 0 0x03010000 0 0 0").fields["landblocks"], 2);
  EXPECT_TRUE(record(c, "0 0 0 0 0x03010000 0 0 0").fields["landblocks"].is_null());
  EXPECT_EQ(run_line(c, "0 0 0 0 1 1 1"),
            "ERROR: expected 8 fields (ID X Y Z ID X Y Z), got 7");
}

TEST(Measure, CompassWordsFollowTheLibraryHeadings) {
  // Directions built from unit steps, measured by the library itself.
  struct Case {
    float dx, dy;
    const char* word;
  };
  const Case cases[] = {{-1, 0, "west"},  {-1, 1, "north-west"}, {0, 1, "north"},
                        {1, 1, "north-east"}, {1, 0, "east"},   {1, -1, "south-east"},
                        {0, -1, "south"}, {-1, -1, "south-west"}, {-1, -0.01f, "west"}};
  for (const Case& k : cases) {
    const float h = Vector3{0, 0, 0}.heading_to(Vector3{k.dx, k.dy, 0});
    EXPECT_EQ(compass_word(h), k.word) << k.dx << "," << k.dy;
  }
  EXPECT_EQ(compass_word(std::nanf("")), "");
  // Sector borders: 22.5 degrees either side of each point.
  const float eighth = static_cast<float>(std::numbers::pi / 8.0);
  EXPECT_EQ(compass_word(eighth * 0.99f), "west");
  EXPECT_EQ(compass_word(eighth * 1.01f), "north-west");
}

TEST(Inspect, ShowsEveryAnswerForOnePosition) {
  const Record r = record(make_inspect_command(), "0xA9B40019 -50 -10 94");
  EXPECT_EQ(r.fields["landblock_x"], 169);
  EXPECT_EQ(r.fields["landblock_y"], 180);
  EXPECT_EQ(r.fields["derived_cell"], "0x0001");
  EXPECT_EQ(r.fields["rebucketed"], "0xA8B30030 142.0 182.0 94.0");
  EXPECT_EQ(r.fields["debug"],
            "WorldPosition { landblock_id: 0xA9B40019, coords: Vector3 { x: -50.0, y: -10.0, z: "
            "94.0 }, rotation: Quaternion { w: 1.0, x: 0.0, y: 0.0, z: 0.0 } }");
  EXPECT_NE(r.text.find("\nmap            41.9N, 32.9E, 94.0Z\n"), std::string::npos) << r.text;
  const Record indoor = record(make_inspect_command(), "0x00000100 0 0 0");
  EXPECT_TRUE(indoor.fields["derived_cell"].is_null());
  EXPECT_NE(indoor.text.find("none (indoors)"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Vocabularies

TEST(Enum, EveryMemberOfEveryVocabularyLooksUpBothWays) {
  ASSERT_EQ(enum_vocabularies().size(), all_enumerations::size);
  for (const EnumVocabulary& v : enum_vocabularies()) {
    const Command c = make_enum_command(v);
    for (const EnumMember& m : v.members) {
      const Record by_value = record(c, std::to_string(m.value));
      EXPECT_EQ(by_value.fields["name"], std::string(m.name)) << v.name;
      const Record by_hex = record(c, hex32(m.value));
      EXPECT_EQ(by_hex.fields["name"], std::string(m.name)) << v.name;
      const Record by_name = record(c, m.name);
      EXPECT_EQ(by_name.fields["value"], m.value) << v.name << "::" << m.name;
    }
  }
}

TEST(Enum, UnknownValuesNamesAndWidths) {
  const auto ref = find_vocabulary("PropertyAttribute2nd");
  ASSERT_TRUE(std::holds_alternative<const EnumVocabulary*>(ref));
  const Command c = make_enum_command(*std::get<const EnumVocabulary*>(ref));
  EXPECT_EQ(run_line(c, "5"), "5 (0x0005) = MaxMana");
  EXPECT_EQ(run_line(c, "Mana"), "Mana = 6 (0x0006)");
  EXPECT_EQ(run_line(c, "7"), "ERROR: no PropertyAttribute2nd member has value 7 (0x0007)");
  EXPECT_EQ(run_line(c, "65536"),
            "ERROR: value 65536 does not fit the 16-bit storage of PropertyAttribute2nd "
            "(largest 65535)");
  EXPECT_EQ(run_line(c, "Helth"),
            "ERROR: no PropertyAttribute2nd member is named 'Helth'; did you mean 'Health'?");
  EXPECT_EQ(run_line(c, "mana"),
            "ERROR: no PropertyAttribute2nd member is named 'mana'; did you mean 'Mana' or "
            "'MaxMana'?");
  EXPECT_EQ(run_line(c, "Mana Health"), "ERROR: expected one value or name, got 2 fields");
  EXPECT_EQ(run_line(c, "-1"), "ERROR: value '-1' is negative");

  const auto wield = find_vocabulary("wieldtype");  // any case, when unambiguous
  ASSERT_TRUE(std::holds_alternative<const EnumVocabulary*>(wield));
  const Command w = make_enum_command(*std::get<const EnumVocabulary*>(wield));
  EXPECT_EQ(run_line(w, "3"), "ERROR: no WieldType member has value 3 (0x03)");
  EXPECT_NE(run_line(w, "256").find("8-bit storage"), std::string::npos);

  EXPECT_EQ(std::get<Error>(find_vocabulary("SpelCategory")).message,
            "no vocabulary named 'SpelCategory'; did you mean 'SpellCategory'?");
}

TEST(Suggest, ClosestNamesFirstAndNothingForNonsense) {
  const std::vector<std::string_view> names = {"Health", "MaxHealth", "Stamina", "Mana"};
  EXPECT_EQ(suggest("Helth", names), (std::vector<std::string_view>{"Health"}));
  EXPECT_EQ(suggest("health", names), (std::vector<std::string_view>{"Health", "MaxHealth"}));
  EXPECT_EQ(suggest("Hehalt", names).front(), "Health");  // transpositions are one edit
  EXPECT_TRUE(suggest("Qwertyuiop", names).empty());
  EXPECT_TRUE(suggest(std::string(100000, 'a'), names).empty());
  EXPECT_EQ(did_you_mean({"A", "B", "C"}), "; did you mean 'A', 'B' or 'C'?");
  EXPECT_EQ(did_you_mean({}), "");
}

TEST(Flags, EveryFlagBuildsAndDecodesAsTheLibraryDoes) {
  ASSERT_EQ(flag_vocabularies().size(), all_flag_sets::size);
  for (const FlagVocabulary& v : flag_vocabularies()) {
    const Command c = make_flags_command(v);
    for (const FlagInfo& f : v.flags) {
      const Record r = record(c, f.name);
      EXPECT_EQ(r.fields["value"], f.value) << v.name << "::" << f.name;
    }
    // All flags at once: every bit named, nothing left over.
    const Record all = record(c, hex32(v.all));
    EXPECT_EQ(all.fields["unnamed"], "0x00000000") << v.name;
    std::uint32_t covered = 0;
    for (const auto& n : all.fields["names"]) {
      const auto it = std::find_if(v.flags.begin(), v.flags.end(),
                                   [&](const FlagInfo& f) { return f.name == n.get<std::string>(); });
      ASSERT_NE(it, v.flags.end());
      covered |= it->value;
    }
    EXPECT_EQ(covered, v.all) << v.name;
  }
}

TEST(Flags, CoverageMaskNamesDisplayNamesAndUnnamedBits) {
  const auto ref = find_vocabulary("CoverageMask");
  ASSERT_TRUE(std::holds_alternative<const FlagVocabulary*>(ref));
  const Command c = make_flags_command(*std::get<const FlagVocabulary*>(ref));
  EXPECT_EQ(run_line(c, "0x1C00"),
            "0x00001C00 = CHEST | ABDOMEN | UPPER_ARMS (Chest, Abdomen, Upper Arms)");
  EXPECT_EQ(run_line(c, "7168"), run_line(c, "CHEST ABDOMEN UPPER_ARMS"));
  EXPECT_EQ(run_line(c, "CHEST|ABDOMEN, UPPER_ARMS"), run_line(c, "0x1C00"));
  EXPECT_EQ(run_line(c, "129"), "0x00000081 = unnamed 0x00000081");
  EXPECT_EQ(run_line(c, "HEAD 0x1"), "0x00004001 = HEAD | unnamed 0x00000001 (Head)");
  EXPECT_EQ(run_line(c, "0"), "0x00000000 = (no bits)");
  EXPECT_EQ(run_line(c, "CHST"),
            "ERROR: no CoverageMask flag is named 'CHST'; did you mean 'CHEST'?");
  EXPECT_EQ(run_line(c, "CHEST||HEAD"), "ERROR: empty flag name in 'CHEST||HEAD'");
  EXPECT_EQ(run_line(c, "0x100000000"),
            "ERROR: mask '0x100000000' is above 0xFFFFFFFF (4294967295)");
  const Record r = record(c, "CHEST HEAD HANDS");
  EXPECT_EQ(r.fields["display_names"],
            nlohmann::ordered_json::array({"Chest", "Head", "Hands"}));
}

// ---------------------------------------------------------------------------
// Fingerprints, against a byte-wise FNV-1a written here

std::uint64_t fnv1a_bytes(const std::vector<std::uint32_t>& words) {
  std::uint64_t h = 0xcbf29ce484222325u;
  for (const std::uint32_t w : words) {
    const unsigned char bytes[4] = {static_cast<unsigned char>(w), static_cast<unsigned char>(w >> 8),
                                    static_cast<unsigned char>(w >> 16),
                                    static_cast<unsigned char>(w >> 24)};
    for (const unsigned char b : bytes) {
      h ^= b;
      h *= 0x100000001b3u;
    }
  }
  return h;
}

TEST(Fingerprint, ValuesAreWordsOrFloatsAsWritten) {
  const auto word = [](std::string_view t) {
    const FingerprintValue v = ok(parse_fingerprint_value(t));
    EXPECT_EQ(v.kind, FingerprintValue::Kind::Word) << t;
    return v.word;
  };
  const auto flt = [](std::string_view t) {
    const FingerprintValue v = ok(parse_fingerprint_value(t));
    EXPECT_EQ(v.kind, FingerprintValue::Kind::Float) << t;
    return bits(v.value);
  };
  EXPECT_EQ(word("7"), 7u);
  EXPECT_EQ(word("0x1F"), 0x1Fu);
  EXPECT_EQ(word("-1"), 0xFFFFFFFFu);
  EXPECT_EQ(word("-2147483648"), 0x80000000u);
  EXPECT_EQ(word("u:7"), 7u);
  EXPECT_EQ(flt("7.0"), bits(7.0f));
  EXPECT_EQ(flt("f:7"), bits(7.0f));
  EXPECT_EQ(flt("1e3"), bits(1000.0f));
  EXPECT_EQ(flt("-0x1p-1"), bits(-0.5f));
  EXPECT_EQ(flt("bits:0x7FC00001"), 0x7FC00001u);  // the payload survives parsing
  EXPECT_EQ(flt("-inf"), 0xFF800000u);
  EXPECT_NE(err(parse_fingerprint_value("-2147483649")).find("below -2147483648"),
            std::string::npos);
  EXPECT_NE(err(parse_fingerprint_value("4294967296")).find("above 0xFFFFFFFF"),
            std::string::npos);
  EXPECT_NE(err(parse_fingerprint_value("x")).find("neither an integer nor a float"),
            std::string::npos);
  EXPECT_FALSE(std::holds_alternative<FingerprintValue>(parse_fingerprint_value("u:1.5")));
  EXPECT_FALSE(std::holds_alternative<FingerprintValue>(parse_fingerprint_value("f:1e39")));
}

TEST(Fingerprint, FoldsCanonicalWordsFromTheOffsetBasis) {
  const Command six = make_fingerprint_command(FloatCanon::SixDp, false);
  const Command lossless = make_fingerprint_command(FloatCanon::Lossless, false);
  // 0.7071068 has bits 0x3F3504F4; at six decimals it becomes 0x3F3504F7.
  EXPECT_EQ(run_line(six, "0.7071068 7"), hex64(fnv1a_bytes({0x3F3504F7u, 7u})));
  EXPECT_EQ(run_line(lossless, "0.7071068 7"), hex64(fnv1a_bytes({0x3F3504F4u, 7u})));
  EXPECT_EQ(run_line(lossless, "-0.0"), hex64(fnv1a_bytes({0u})));  // zeros merge
  EXPECT_EQ(run_line(six, "nan bits:0xFFC00123"), hex64(fnv1a_bytes({0x7FC00000u, 0x7FC00000u})));
  EXPECT_EQ(run_line(lossless, "bits:0x7FC00001"), hex64(fnv1a_bytes({0x7FC00001u})));
  EXPECT_EQ(run_line(six, "0x12345678 0x9abcdef0"),
            hex64(fnv1a_bytes({0x12345678u, 0x9abcdef0u})));
  EXPECT_EQ(run_line(six, "1 x"),
            "ERROR: value 2: 'x' is neither an integer nor a float (prefix u:, f: or "
            "bits: to say which)");

  const Record r = record(make_fingerprint_command(FloatCanon::SixDp, true), "0.7071068 7");
  ASSERT_EQ(r.fields["words"].size(), 2u);
  EXPECT_EQ(r.fields["words"][0]["bits"], "0x3F3504F4");
  EXPECT_EQ(r.fields["words"][0]["word"], "0x3F3504F7");
  EXPECT_EQ(r.fields["words"][1]["hash"], r.fields["fingerprint"]);
  EXPECT_NE(r.text.find("fingerprint " + hex64(fnv1a_bytes({0x3F3504F7u, 7u}))),
            std::string::npos);
}

// ---------------------------------------------------------------------------
// Plot

TEST(Plot, EscapesMarkupAndCharactersXmlForbids) {
  EXPECT_EQ(xml_escape("a<b>&\"c'"), "a&lt;b&gt;&amp;&quot;c&apos;");
  EXPECT_EQ(xml_escape("x\x01y\x1Bz"), "x\xEF\xBF\xBDy\xEF\xBF\xBDz");
  EXPECT_EQ(xml_escape("\xEF\xBF\xBE"), "\xEF\xBF\xBD");
  EXPECT_EQ(xml_escape("caf\xC3\xA9"), "caf\xC3\xA9");
  EXPECT_EQ(xml_escape("abcdef", 3), "abc...");
}

TEST(Plot, ReadsGoodLinesAndReportsBadOnes) {
  std::stringbuf in("0xDA550000 84 108 0 # market\n# comment\n0 0 0 nan\n0x00000100 0 0 0\n");
  std::ostringstream errs;
  std::size_t failed = 0;
  const auto points = read_plot_points(stream_source(in), errs, failed);
  EXPECT_EQ(failed, 1u);
  EXPECT_EQ(errs.str(), "corvane: line 3: z offset 'nan' is not finite\n");
  ASSERT_EQ(points.size(), 2u);
  EXPECT_EQ(points[0].label, "market");
  EXPECT_EQ(points[1].position.landblock_id.raw, 0x100u);
  const std::string svg = render_svg(points, PlotOptions{});
  // The label isolated (U+2068 ... U+2069) from the map text after it.
  EXPECT_NE(svg.find(">\u2068market\u2069: 33.5S, 72.7E, 0.0Z</text>"), std::string::npos);
  EXPECT_NE(svg.find(">Indoors [0100]</text>"), std::string::npos);
  EXPECT_NE(svg.find(">10N</text>"), std::string::npos);
  EXPECT_NE(svg.find(">20E</text>"), std::string::npos);
  EXPECT_FALSE(check_text(svg));
}

// ---------------------------------------------------------------------------
// Robustness: every command on hostile lines

TEST(Commands, EveryNameGivesACommandAndUnknownNamesNone) {
  for (const std::string& name : command_names()) EXPECT_TRUE(command_named(name)) << name;
  // coords (and two presets), locate, inspect, rebucket, normalize, measure,
  // fingerprint (two presets), and enum and flags for each vocabulary.
  EXPECT_EQ(command_names().size(), 10 + all_enumerations::size + all_flag_sets::size);
  for (const char* bad : {"", "plot", "coords-p61", "coords-p", "coords-px", "enum:", "enum:CoverageMask",
                          "flags:SpellCategory"}) {
    EXPECT_FALSE(command_named(bad)) << bad;
  }
}

TEST(Commands, TextOnlyProcessingGivesTheSameTextAsFullProcessing) {
  std::mt19937 rng(17);
  std::uniform_real_distribution<float> offset(-300.0f, 500.0f);
  std::vector<std::string> lines = {"0 0 0 0", "0x00000100 0 0 0", "bad", "1 2 3", "0 nan inf 0"};
  for (int i = 0; i < 500; ++i) {
    lines.push_back(hex32(static_cast<std::uint32_t>(rng())) + ' ' + format_float(offset(rng)) +
                    ' ' + format_float(offset(rng)) + ' ' + format_float(offset(rng)));
  }
  for (const std::string& name : command_names()) {
    const Command c = *command_named(name);
    for (const std::string& line : lines) {
      const RawLine raw{line, false};
      const LineOutcome full = process_line(c, raw);
      const LineOutcome text = process_line_text(c, raw);
      ASSERT_EQ(full.index(), text.index()) << name << ": " << line;
      if (const auto* r = std::get_if<Record>(&full)) {
        EXPECT_EQ(r->text, std::get<Record>(text).text) << name << ": " << line;
      }
    }
  }
}

TEST(Commands, TheTableDrivesTheCommandLine) {
  // Every subcommand has help with an example and is reached by its name.
  for (const Subcommand& s : subcommands()) {
    EXPECT_NE(s.footer.find("corvane " + std::string(s.name)), std::string_view::npos) << s.name;
    std::ostringstream out, err;
    const auto parsed = parse_command_line({std::string(s.name), "--help"}, out, err);
    EXPECT_EQ(std::get<int>(parsed), kExitOk) << s.name;
    EXPECT_NE(out.str().find(std::string(s.summary)), std::string::npos) << s.name;
  }
  std::ostringstream out, err;
  const auto coords = parse_command_line({"coords", "-p", "3", "-E", "1", "2", "3", "4"}, out, err);
  const auto& inv = std::get<Invocation>(coords);
  EXPECT_EQ(inv.subcommand, find_subcommand("coords"));
  EXPECT_EQ(inv.options.text("precision"), "3");
  EXPECT_TRUE(inv.options.given("precision") && inv.echo);
  EXPECT_EQ(inv.arguments, (std::vector<std::string>{"1", "2", "3", "4"}));
  EXPECT_EQ(input_kind(inv), InputKind::Arguments);
  EXPECT_EQ(std::get<int>(parse_command_line({"coords", "--precison", "3"}, out, err)), kExitUsage);
  EXPECT_NE(err.str().find("did you mean '--precision'?"), std::string::npos) << err.str();
  // Arguments are file names when the first is "-" or names a file; "--"
  // and --files force either reading.
  const std::string file = (std::filesystem::temp_directory_path() / "corvane_cli_kind.txt").string();
  std::ofstream(file) << "0 0 0 0\n";
  const auto kind_of = [&](std::vector<std::string> words) {
    return input_kind(std::get<Invocation>(parse_command_line(words, out, err)));
  };
  EXPECT_EQ(kind_of({"coords", file, "-"}), InputKind::Files);
  EXPECT_EQ(kind_of({"coords", "-", file}), InputKind::Files);
  EXPECT_EQ(kind_of({"coords", "--", file}), InputKind::Arguments);
  EXPECT_EQ(kind_of({"coords", "no-such-file.txt"}), InputKind::Arguments);
  EXPECT_EQ(kind_of({"coords", "--files", "no-such-file.txt"}), InputKind::Files);
  EXPECT_EQ(kind_of({"fingerprint", "nan", "u:7"}), InputKind::Arguments);
  std::filesystem::remove(file);
}

// ---------------------------------------------------------------------------
// Whole-stream fingerprints

TEST(Fingerprint, AWholeStreamFoldsEveryValueOnceAndReportsBadOnesWhereTheyAre) {
  std::mt19937 rng(23);
  std::vector<std::uint32_t> words;
  std::string text;
  for (int line = 0; line < 3000; ++line) {
    const int n = static_cast<int>(rng() % 5);
    for (int k = 0; k < n; ++k) {
      words.push_back(static_cast<std::uint32_t>(rng()));
      if (k > 0) text += ' ';
      text += hex32(words.back());
    }
    text += rng() % 7 == 0 ? "  # note\n" : "\n";
  }
  FingerprintSettings settings;
  std::stringbuf in(text);
  std::ostringstream out, errs;
  EXPECT_EQ(fingerprint_whole_text(stream_source(in), settings, out, errs), 0);
  EXPECT_EQ(out.str(), hex64(fnv1a_bytes(words)) + "\n");
  EXPECT_EQ(errs.str(), "");

  std::stringbuf bad("1 2\n\n3 1e39 x\n\xFF\n");
  std::ostringstream out2, errs2;
  settings.format = Format::Json;
  EXPECT_EQ(fingerprint_whole_text(stream_source(bad), settings, out2, errs2), 1);
  EXPECT_EQ(errs2.str(),
            "corvane: line 3: value 2: float '1e39' is out of float range (largest magnitude "
            "3.4028235e38)\ncorvane: line 3: value 3: 'x' is neither an integer nor a float "
            "(prefix u:, f: or bits: to say which)\ncorvane: line 4: malformed UTF-8 at byte 1\n");
  const auto json = nlohmann::json::parse(out2.str());
  EXPECT_TRUE(json["fingerprint"].is_null());
  EXPECT_EQ(json["error"], "3 values could not be read; no fingerprint");

  // Raw little-endian words: the same fingerprint as the words written out.
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "cli_test_words.bin";
  {
    std::ofstream bin(path, std::ios::binary);
    for (const std::uint32_t w : words) {
      const char bytes[4] = {static_cast<char>(w), static_cast<char>(w >> 8),
                             static_cast<char>(w >> 16), static_cast<char>(w >> 24)};
      bin.write(bytes, 4);
    }
  }
  Inputs inputs;
  inputs.files = {path.string()};
  std::ostringstream out3, errs3;
  FingerprintSettings raw;
  EXPECT_EQ(fingerprint_whole_binary(inputs, raw, out3, errs3), 0);
  EXPECT_EQ(out3.str(), hex64(fnv1a_bytes(words)) + "\n");
  std::filesystem::remove(path);
}

TEST(Commands, HostileLinesGiveAResultOrAnErrorAndValidText) {
  // Lines mixing the characters the parsers care about, plus bytes they must
  // refuse; each command answers every one without throwing, and whatever it
  // answers is valid UTF-8 text.
  static constexpr char kAlphabet[] = "0123456789xX.,-+eEpP#| \tnaifNAIFu:bits\xff\xc3\xa9\x80";
  std::mt19937 rng(99);
  std::vector<std::string> lines = {"", "#", ",", "|", "0x", "-", "+", "nan(", "bits:", "u:",
                                    "f:", "1e99999", std::string(kMaxLineBytes, '9'),
                                    std::string(kMaxLineBytes + 1, '9'), std::string(1, '\0')};
  for (int i = 0; i < 300; ++i) {
    std::string line;
    const int n = static_cast<int>(rng() % 60);
    for (int k = 0; k < n; ++k) line.push_back(kAlphabet[rng() % (sizeof kAlphabet - 1)]);
    lines.push_back(line);
  }
  for (const std::string& name : command_names()) {
    const Command c = *command_named(name);
    for (const std::string& line : lines) {
      const LineOutcome o = process_line(c, line);
      if (const auto* r = std::get_if<Record>(&o)) {
        EXPECT_FALSE(check_text(r->text)) << name;
        EXPECT_FALSE(check_text(json_text(r->fields))) << name;
      } else if (const auto* e = std::get_if<Error>(&o)) {
        EXPECT_FALSE(e->message.empty()) << name;
        EXPECT_FALSE(check_text(e->message)) << name << ": " << e->message;
        EXPECT_LT(e->message.size(), 300u) << name;
      }
    }
  }
}

}  // namespace
}  // namespace corvane::cli
