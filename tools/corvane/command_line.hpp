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
};

/// Parses `args` (without the program name). Help, version and usage errors
/// are written here (to `out` and `err`) and give the exit status instead.
std::variant<Invocation, int> parse_command_line(const std::vector<std::string>& args,
                                                 std::ostream& out, std::ostream& err);

/// Where the input of an invocation comes from: none, its arguments, or files
/// (every argument a file, "-" for stdin) when the first argument is "-" or
/// is a file name rather than input: it does not read as input, and names an
/// existing file or holds a '/' or a '.'.
InputKind input_kind(const Invocation& invocation);

}  // namespace corvane::cli
