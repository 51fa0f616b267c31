// The command line, built from the subcommand table: options, help, and
// usage errors with suggestions.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "subcommands.hpp"

namespace corvane::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitSomeFailed = 1;
inline constexpr int kExitUsage = 2;

/// One parsed command line.
struct Invocation {
  const Subcommand* subcommand = nullptr;
  OptionValues options;
  std::optional<std::string> lead;
  /// The input arguments after the lead.
  std::vector<std::string> arguments;
  Format format = Format::Text;
  bool echo = false;
  /// How the arguments were asked to be read: as data after "--", as file
  /// names with --files; empty when nothing was asked.
  std::optional<InputKind> forced;
};

/// Parses `args` (without the program name). Help, version and usage errors
/// are written here (to `out` and `err`) and give the exit status instead.
std::variant<Invocation, int> parse_command_line(const std::vector<std::string>& args,
                                                 std::ostream& out, std::ostream& err);

/// Where the input of an invocation comes from: none, its arguments, or files
/// (every argument a file name, "-" for stdin). The arguments are file names
/// when the first one is "-" or names an existing file, data otherwise;
/// "--" before them makes them data and --files makes them file names,
/// whatever exists.
InputKind input_kind(const Invocation& invocation);

}  // namespace corvane::cli
