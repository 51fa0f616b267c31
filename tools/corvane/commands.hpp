// Every streaming subcommand by name, with default options: one entry point
// for tools that drive the line processing without the command line (the
// fuzz target feeds arbitrary lines to each of them through process_line).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "stream.hpp"

namespace corvane::cli {

/// The command a name stands for: "coords" (precision 1), "coords-p<N>",
/// "inspect", "rebucket", "normalize", "measure", "fingerprint" (SixDp, with
/// the explanation), "fingerprint-lossless", "enum:<Vocabulary>",
/// "flags:<FlagSet>". Empty for any other name.
std::optional<Command> command_named(std::string_view name);

/// Every name command_named knows, each vocabulary included.
std::vector<std::string> command_names();

}  // namespace corvane::cli
