// Arbitrary bytes through the command-line tool's line processing, for every
// streaming subcommand: each line must give a passthrough, a result or an
// error (never an exception or a crash), bad UTF-8 and NUL bytes must give an
// error, the same line must give the same outcome twice, and every result must
// be writable in all three output formats, each JSON line parsing back.
//
// Input: one byte picks the subcommand of the tool's table, one its options
// (precision, vocabulary, canon, ...), the rest is the line, or with a flag
// several lines fed through the whole stream loop including the line reader.
#include <cstdint>
#include <exception>
#include <map>
#include <optional>
#include <utility>
#include <sstream>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "commands.hpp"
#include "fuzz_support.hpp"
#include "input.hpp"
#include "output.hpp"
#include "plot.hpp"
#include "stream.hpp"
#include "subcommands.hpp"

namespace {

using namespace corvane::cli;

/// The streaming subcommands of the table, with the option byte choosing
/// their options (a flag per bit, a choice or a number for values) and their
/// vocabulary. Built through the same command line parsing as the tool;
/// options it refuses (a precision above its range) fall back to defaults.
Command pick_command(std::uint8_t which, std::uint8_t option) {
  static std::map<std::pair<std::uint8_t, std::uint8_t>, Command> cache;
  static const std::vector<const Subcommand*> streaming = [] {
    std::vector<const Subcommand*> out;
    for (const Subcommand& s : subcommands()) {
      std::vector<std::string> words{std::string(s.name)};
      if (s.lead_choices != nullptr) words.push_back(s.lead_choices().front());
      if (command_for(words)) out.push_back(&s);
    }
    return out;
  }();
  const Subcommand& s = *streaming[which % streaming.size()];
  const auto key = std::make_pair(static_cast<std::uint8_t>(which % streaming.size()), option);
  if (const auto it = cache.find(key); it != cache.end()) return it->second;

  std::vector<std::string> words{std::string(s.name)};
  unsigned bit = 0;
  for (const OptionSpec& o : s.options) {
    const std::string name(o.names.substr(o.names.rfind(',') + 1));
    if (!o.takes_value) {
      if (((option >> (bit++ % 8)) & 1u) != 0) words.push_back(name);
    } else if (!o.choices.empty()) {
      words.insert(words.end(), {name, std::string(o.choices[option % o.choices.size()])});
    } else {
      words.insert(words.end(), {name, std::to_string(option)});
    }
  }
  std::vector<std::string> plain{std::string(s.name)};
  if (s.lead_choices != nullptr) {
    const std::vector<std::string> leads = s.lead_choices();
    words.push_back(leads[option % leads.size()]);
    plain.push_back(words.back());
  }
  std::optional<Command> command = command_for(words);
  if (!command) command = command_for(plain);
  FUZZ_CHECK(command.has_value(), "%s: no command", std::string(s.name).c_str());
  return cache.emplace(key, std::move(*command)).first->second;
}

bool same(const LineOutcome& a, const LineOutcome& b) {
  if (a.index() != b.index()) return false;
  if (const auto* ra = std::get_if<Record>(&a)) {
    const auto& rb = std::get<Record>(b);
    return ra->text == rb.text && ra->fields == rb.fields && ra->comment == rb.comment;
  }
  if (const auto* ea = std::get_if<Error>(&a)) return *ea == std::get<Error>(b);
  return true;
}

void check_line(const Command& command, const RawLine& line) {
  const LineOutcome outcome = process_line(command, line);
  FUZZ_CHECK(same(outcome, process_line(command, line)), "%s: two outcomes for one line",
             command.name.c_str());
  const bool bad_bytes = check_text(line.text).has_value();
  if (line.too_long || bad_bytes) {
    FUZZ_CHECK(std::holds_alternative<Error>(outcome), "%s: a %s line gave no error",
               command.name.c_str(), line.too_long ? "too long" : "malformed");
  } else if (is_passthrough(line.text)) {
    FUZZ_CHECK(std::holds_alternative<Passthrough>(outcome), "%s: a blank line was processed",
               command.name.c_str());
  } else {
    FUZZ_CHECK(!std::holds_alternative<Passthrough>(outcome), "%s: a data line was passed through",
               command.name.c_str());
  }
  if (const auto* error = std::get_if<Error>(&outcome)) {
    FUZZ_CHECK(!error->message.empty(), "%s: an empty error message", command.name.c_str());
    FUZZ_CHECK(!check_text(error->message), "%s: error message is not UTF-8: %s",
               command.name.c_str(), error->message.c_str());
  }
  if (const auto* record = std::get_if<Record>(&outcome)) {
    FUZZ_CHECK(!record->text.empty() && !check_text(record->text), "%s: bad result text",
               command.name.c_str());
  }

  // Every format writes it; a JSON line is one object that parses back.
  const std::string shown = shown_input(line);
  for (const Format format : {Format::Text, Format::Json, Format::Csv}) {
    std::ostringstream out;
    OutputWriter writer(out, format, true, command.columns);
    writer.begin();
    if (std::holds_alternative<Passthrough>(outcome)) {
      writer.passthrough(line.text);
    } else if (const auto* record = std::get_if<Record>(&outcome)) {
      writer.record(7, shown, *record);
    } else {
      writer.error(7, shown, std::get<Error>(outcome));
    }
    if (format == Format::Json && !std::holds_alternative<Passthrough>(outcome)) {
      const std::string text = out.str();
      FUZZ_CHECK(!text.empty() && text.back() == '\n' && text.find('\n') == text.size() - 1,
                 "%s: JSON output is not one line", command.name.c_str());
      const auto parsed = nlohmann::json::parse(text, nullptr, false);
      FUZZ_CHECK(!parsed.is_discarded() && parsed.is_object() && parsed.value("line", 0) == 7,
                 "%s: JSON output does not parse: %s", command.name.c_str(), text.c_str());
    }
  }
}

void run(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return;
  const Command command = pick_command(data[0], data[1]);
  const std::string_view bytes(reinterpret_cast<const char*>(data + 3), size - 3);
  if ((data[2] & 1u) == 0) {
    check_line(command, RawLine{std::string(bytes), (data[2] & 2u) != 0});
    return;
  }
  // Several lines through the stream loop: counts must add up.
  std::istringstream in{std::string(bytes)};
  std::ostringstream out, err;
  const RunOptions options{(data[2] & 2u) ? Format::Json : Format::Csv, (data[2] & 4u) != 0};
  const RunStats stats = run_stream(command, stream_source(*in.rdbuf()), out, err, options);
  FUZZ_CHECK(stats.failed <= stats.records, "more failures than records");
  std::size_t error_lines = 0;
  for (std::size_t at = err.str().find("corvane: "); at != std::string::npos;
       at = err.str().find("corvane: ", at + 1)) {
    ++error_lines;
  }
  FUZZ_CHECK(error_lines >= stats.failed, "%zu failed lines but %zu messages", stats.failed, error_lines);
  if (data[2] & 8u) {
    std::istringstream again{std::string(bytes)};
    std::size_t failed = 0;
    const auto points = read_plot_points(stream_source(*again.rdbuf()), err, failed);
    const std::string svg = render_svg(points, PlotOptions{(data[2] & 16u) != 0});
    FUZZ_CHECK(svg.find("<svg") != std::string::npos && !check_text(svg), "SVG is not UTF-8");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    run(data, size);
  } catch (const std::exception& e) {
    fuzz::fail(__FILE__, __LINE__, "exception: %s", e.what());
  }
  return 0;
}
