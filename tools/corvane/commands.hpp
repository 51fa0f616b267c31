// Every streaming subcommand by name: one entry point for tools that drive
// the line processing without a command line (the fuzz target feeds
// arbitrary lines to each of them through process_line). Names are read
// through the same table and option parsing as the command line.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "stream.hpp"

namespace corvane::cli {

/// The line processor that a name stands for: a subcommand with its default
/// options ("coords"), a preset of the table ("coords-p3" for coords -p 3,
/// "fingerprint-lossless"), or either with its leading argument
/// ("enum:SpellCategory", "flags:CoverageMask"). Empty for any other name and
/// for subcommands that do not process lines one at a time.
std::optional<Command> command_named(std::string_view name);

/// The line processor of a command line without its input: the subcommand,
/// its options and its leading argument ({"coords", "-p", "3"}). Empty when
/// these are not a usage the tool accepts.
std::optional<Command> command_for(const std::vector<std::string>& words);

/// Every name command_named knows, each vocabulary included.
std::vector<std::string> command_names();

}  // namespace corvane::cli
