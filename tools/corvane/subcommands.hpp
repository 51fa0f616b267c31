// Every subcommand of the tool, described once: its name, help, examples,
// options and what it does with its input. The command line (CLI11) and the
// by-name lookup that tests and the fuzz target use are both built from this
// table, so a new subcommand is one new entry.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "input.hpp"
#include "output.hpp"
#include "stream.hpp"

namespace corvane::cli {

/// One option of a subcommand.
struct OptionSpec {
  /// CLI11 names, e.g. "-p,--precision"; the long name is the key its value
  /// is stored under.
  std::string_view names;
  std::string_view help;
  /// Whether the option takes a value; a flag has none.
  bool takes_value = true;
  /// Default text of a value option (shown in the help).
  std::string_view default_value;
  /// The only values allowed (empty: any, checked by the subcommand).
  std::vector<std::string_view> choices;
};

/// The option values of one invocation, keyed by long name ("precision").
class OptionValues {
 public:
  /// The option's text, or its default when not given.
  [[nodiscard]] const std::string& text(std::string_view name) const;
  [[nodiscard]] bool flag(std::string_view name) const;
  /// Whether the option was given on the command line.
  [[nodiscard]] bool given(std::string_view name) const;

  std::map<std::string, std::string, std::less<>> texts;
  std::map<std::string, bool, std::less<>> flags;
  std::map<std::string, bool, std::less<>> seen;
};

/// A subcommand that writes a table instead of reading input (a vocabulary
/// listing).
struct Listing {
  std::function<void(std::ostream& out, Format format)> write;
};

/// A subcommand that runs over its whole input at once (a whole-stream
/// fingerprint, the map): reads `inputs`, writes to `out`, reports to `err`,
/// and returns the number of failures (0 for success).
struct Inputs;
struct WholeRun {
  /// Returns the exit status.
  std::function<int(const Inputs& inputs, const RunOptions& output, std::ostream& out,
                    std::ostream& err)>
      run;
};

/// Where the input of an invocation comes from.
enum class InputKind { None, Arguments, Files };

/// What an invocation does: one result per input line, a listing, or a run
/// over the whole input.
using Action = std::variant<Command, Listing, WholeRun>;

/// One subcommand.
struct Subcommand {
  std::string_view name;
  std::string_view summary;
  /// Help after the options: the input form and examples ("$ corvane ...",
  /// then the output they print).
  std::string_view footer;
  std::vector<OptionSpec> options;
  /// An optional first positional argument that is not input (the
  /// vocabulary of enum and flags); empty for none.
  std::string_view lead_name;
  std::string_view lead_help;
  /// Every leading argument there is (the vocabulary names), for lookups.
  std::vector<std::string> (*lead_choices)() = nullptr;
  /// The input arguments.
  std::string_view input_name;
  std::string_view input_help;
  /// Fields per item when input comes from arguments (4 for "ID X Y Z"); 0
  /// joins all arguments into one item, 1 takes them one at a time.
  std::size_t group = 1;
  /// When set, groups the input arguments instead of `group`.
  ArgumentGrouping grouping = nullptr;
  /// Whether --format and -E apply.
  bool streams = true;
  /// Whether the input lines hold numbers only, so that a first line of
  /// names is a header to skip (not for names or map texts).
  bool numeric_input = true;
  /// The action for these options and leading argument (empty when none was
  /// given), or what is wrong with them (a usage error).
  std::function<std::variant<Action, Error>(
      const OptionValues& options, const std::optional<std::string>& lead, InputKind input)>
      prepare;
  /// Named presets for the by-name lookup: ("coords-p3", "-p 3").
  std::vector<std::pair<std::string_view, std::string_view>> presets;
};

/// The table, in the order of the help.
std::span<const Subcommand> subcommands();

/// The subcommand named `name` exactly, or null.
const Subcommand* find_subcommand(std::string_view name);

}  // namespace corvane::cli
