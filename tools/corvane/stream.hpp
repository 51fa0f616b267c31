// The streaming core shared by every subcommand: one output line (or record)
// per input line, bad lines reported in place, counts for the exit status.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "input.hpp"
#include "output.hpp"

namespace corvane::cli {

/// What a subcommand does with the fields of one good line.
using FieldProcessor =
    std::function<std::variant<Record, Error>(std::span<const std::string_view> fields)>;

/// What a subcommand on the hot path does with the fields of one good line:
/// fills `record` (cleared before the call) or says what is wrong.
using FlatProcessor =
    std::function<std::optional<Error>(std::span<const std::string_view> fields, FlatRecord& record)>;

/// A streaming subcommand: its name, its result columns (for CSV, in order)
/// and its processor.
struct Command {
  std::string name;
  std::vector<std::string> columns;
  FieldProcessor process;
  /// Optional: the same record's text alone, without its fields, for text
  /// output, where building the fields would only cost time.
  FieldProcessor process_text;
  /// Optional: the record without a JSON tree, into storage reused from line
  /// to line; run_stream then uses it for every format. Set it through
  /// with_flat_processor, which derives the other two from it.
  FlatProcessor process_flat;
  /// The processors get the line's data before any comment, untrimmed, as
  /// one field, instead of fields split at blanks and commas: for input that
  /// the library reads whole, so that its offsets count in the line as given.
  bool whole_text = false;
};

/// `command` running `flat`, with `process` and `process_text` made from it.
Command with_flat_processor(Command command, FlatProcessor flat);

/// Everything that happens to one input line, without any I/O: the checks
/// (length, NUL, UTF-8), comment and blank-line detection, the split into
/// fields and the subcommand's processing. Never throws for any input bytes;
/// this is the entry point for fuzzing.
LineOutcome process_line(const Command& command, const RawLine& line);
/// The same, where only the text of a record is needed.
LineOutcome process_line_text(const Command& command, const RawLine& line);
/// The same for a line given as text (too long when above kMaxLineBytes).
LineOutcome process_line(const Command& command, std::string_view line);

/// Where an input item came from. Kept as its parts, and made into text only
/// when a message needs it, so that a line costs no text of its own.
struct InputPlace {
  /// The file's name ("-" for standard input), owned by the source; none for
  /// command-line arguments.
  const std::string* file = nullptr;
  /// The item is the whole file (one that cannot be opened or read).
  bool whole_file = false;
  /// The line number, or the first and last argument numbers (from 1).
  std::size_t first = 0;
  std::size_t last = 0;
};

/// One input line and where it came from.
struct InputItem {
  RawLine line;
  std::size_t number = 0;
  InputPlace place;
  /// Set when the input itself failed here (a file that cannot be opened or
  /// read): there is no line, only this report.
  std::optional<std::string> failure;

  /// Where the item came from, for messages: "line 7" on standard input,
  /// "map.txt:7" in a file, "map.txt" or "standard input" for a file as a
  /// whole, "argument 3" or "arguments 5-8" on the command line.
  [[nodiscard]] std::string where() const;
};

/// Yields the next input item, or empty at the end.
using InputSource = std::function<std::optional<InputItem>()>;

/// Lines of a stream, numbered from 1 (a byte-order mark at its start is no
/// part of line 1).
InputSource stream_source(std::streambuf& in);

/// Command-line arguments, `group` at a time, each group joined by blanks into
/// one line (so "ID X Y Z ID X Y Z" gives two positions); a last, short group
/// is one line too (and then gets a field-count error). `group` 0 takes all
/// arguments as one line.
InputSource argument_source(std::vector<std::string> arguments, std::size_t group);
/// The same with groups of the given sizes, in order (their sum is the
/// number of arguments).
InputSource argument_source(std::vector<std::string> arguments, std::vector<std::size_t> sizes);

/// Splits arguments into the groups that make one item each.
using ArgumentGrouping = std::vector<std::size_t> (*)(const std::vector<std::string>& arguments);

/// Where a subcommand's input comes from: its arguments, `group` at a time,
/// or the lines of files ("-" is standard input).
struct Inputs {
  std::vector<std::string> arguments;
  std::size_t group = 1;
  /// When set, groups the arguments instead of `group`.
  ArgumentGrouping grouping = nullptr;
  std::vector<std::string> files;
  /// Runs whenever reading a file would wait for more input (see LineReader).
  std::function<void()> before_wait;
  /// Skip the first line of a file (or of stdin) when it names the fields
  /// (is_header_line), saying so to `notes`: for input of numbers only.
  bool skip_headers = false;
  std::ostream* notes = nullptr;
};

/// Every line of every file in order, numbered from 1 in each file: "line 7"
/// on standard input, "pts.txt:7" in a file. A byte-order mark at the start
/// of a file is no part of its first line. A file that cannot be opened or
/// read gives one item with its failure. With `notes`, a header line that
/// names the fields is skipped and reported there.
InputSource file_source(std::vector<std::string> files, std::function<void()> before_wait = {},
                        std::ostream* notes = nullptr);

/// The items of `inputs`: the argument groups, or the lines of the files.
InputSource input_source(const Inputs& inputs);

/// Reads every byte of every file of `inputs` in order, in blocks given to
/// `block`. Returns the failures ("pts.bin: cannot open: ...") of files that
/// could not be read.
std::vector<std::string> read_bytes(const Inputs& inputs,
                                    const std::function<void(std::string_view block)>& block);

/// Output settings of a run.
struct RunOptions {
  Format format = Format::Text;
  bool echo = false;
};

/// How a run went.
struct RunStats {
  std::size_t records = 0;
  std::size_t failed = 0;
  /// Writing the output failed (a full disk, a closed descriptor); the run
  /// stopped there, since nothing after it could be seen.
  bool output_failed = false;
};

/// Runs `command` over every item of `source`: results to `out` in the chosen
/// format, and for every bad line "corvane: <where>: <message>" to `err`.
/// Stops at the first failed write to `out`.
RunStats run_stream(const Command& command, const InputSource& source, std::ostream& out,
                    std::ostream& err, const RunOptions& options);

/// The input of a line as shown back in output: malformed bytes replaced, and
/// a line that was too long shown by its first bytes and "...".
std::string shown_input(const RawLine& line);

/// Checks a field count: empty when it matches, else "expected 4 fields
/// (ID X Y Z), got 3".
std::optional<Error> expect_fields(std::span<const std::string_view> fields, std::size_t count,
                                   std::string_view layout);

}  // namespace corvane::cli
