// Results of one input line and the three output formats they are written in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <variant>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "input.hpp"

namespace corvane::cli {

/// The output formats of the streaming subcommands.
enum class Format { Text, Json, Csv };

/// "text", "json" or "csv" (exactly); empty for anything else.
std::optional<Format> parse_format(std::string_view name) noexcept;

/// The result of one good input line: named fields for JSON and CSV (in
/// column order), and the text a person reads (possibly several lines).
struct Record {
  nlohmann::ordered_json fields = nlohmann::ordered_json::object();
  std::string text;
  /// The input line's trailing comment, carried into the output.
  std::optional<std::string> comment;
};

/// Bytes past the end of every value of a FieldList, and of every JSON key
/// of an OutputWriter, that may be read: short pieces are copied as whole
/// blocks of this many bytes.
inline constexpr std::size_t kPieceBlock = 32;

/// The form a FieldList writes its fields in when they go straight into a
/// JSON or CSV line: the format, and for JSON each column's key text.
class FieldForm {
 public:
  FieldForm(Format format, const std::vector<std::string>& columns);

  [[nodiscard]] Format format() const noexcept { return format_; }
  [[nodiscard]] std::size_t columns() const noexcept { return key_ends_.size(); }
  /// ,"column": for the column; kPieceBlock bytes from its start may be read.
  [[nodiscard, gnu::always_inline]] std::string_view json_key(std::size_t column) const noexcept {
    const std::size_t begin = column == 0 ? 0 : key_ends_[column - 1];
    return std::string_view(key_text_).substr(begin, key_ends_[column] - begin);
  }
  /// Bytes of all keys together.
  [[nodiscard]] std::size_t keys_size() const noexcept { return keys_size_; }

 private:
  Format format_;
  std::string key_text_;  // ,"column": for each column, then kPieceBlock bytes
  std::vector<std::size_t> key_ends_;
  std::size_t keys_size_ = 0;
};

/// The fields of one record without a JSON tree, for the subcommands that run
/// over millions of lines, in one buffer that is reused from line to line.
/// Fields are added in column order; a column without a field is absent from
/// the JSON object and an empty CSV cell.
///
/// Unbound, each value is kept as its text (entries, for to_json and any
/// writer). Bound to a FieldForm, the list holds the output line itself: its
/// writer starts the line, each field is written once, straight in its
/// output form (the JSON members with their keys, or the CSV cells with the
/// commas before them), and the writer ends the line and writes it whole.
class FieldList {
 public:
  /// Hex is a text of "0x" and hexadecimal digits, which neither format
  /// escapes or quotes.
  enum class Kind : std::uint8_t { Number, Text, Hex, Bool, Null };
  struct Entry {
    std::uint32_t column;
    Kind kind;
    std::uint32_t begin;
    std::uint32_t size;
  };

  /// Drops every field (and a started line); a bound list stays bound.
  void clear() noexcept;
  /// Binds the list to `form` (which must outlive it), or unbinds it with
  /// nullptr; the fields so far are dropped.
  void bind(const FieldForm* form) noexcept;
  [[nodiscard]] const FieldForm* form() const noexcept { return form_; }

  /// The float's shortest text; null when it is not finite (JSON has no NaN
  /// or infinity). A float already in the record shares its text; one read
  /// from `read_from` copies that text when it is already the shortest.
  void number(std::size_t column, float value, std::string_view read_from = {});
  void unsigned_number(std::size_t column, std::uint64_t value);
  void text(std::size_t column, std::string_view value);
  /// "0x" and `digits` (1 to 8) uppercase hexadecimal digits, as text.
  void hex(std::size_t column, std::uint32_t value, int digits = 8);
  void boolean(std::size_t column, bool value);
  void null(std::size_t column);

  /// Unbound: the fields in order.
  [[nodiscard]] const std::vector<Entry>& entries() const noexcept { return entries_; }
  /// Unbound: bytes of all values together, a shared text counted at each use.
  [[nodiscard]] std::size_t text_size() const noexcept { return values_size_; }
  /// Unbound: the value's text; kPieceBlock bytes from its start may be read.
  [[nodiscard]] std::string_view value(const Entry& e) const noexcept {
    return {buffer_.data() + e.begin, e.size};
  }
  /// Bound: everything written, kPieceBlock readable bytes after it.
  [[nodiscard]] std::string_view written() const noexcept { return {buffer_.data(), used_}; }
  /// Bound: whether a writer has started the line that the fields follow.
  [[nodiscard]] bool line_started() const noexcept { return line_started_; }
  /// Bound to CSV: the first column whose cell has not been started.
  [[nodiscard]] std::size_t next_column() const noexcept { return next_column_; }
  /// The same fields as a JSON object (for callers that want the tree); unbound.
  [[nodiscard]] nlohmann::ordered_json to_json(const std::vector<std::string>& columns) const;

 private:
  // The writer writes the line's start and end around the fields.
  friend class OutputWriter;

  // Where `bytes` more may be written, with kPieceBlock to spare after them.
  // (Inlined: each field calls them, and a call would cost as much as they do.)
  [[gnu::always_inline]] char* room(std::size_t bytes);
  [[gnu::noinline]] void grow(std::size_t bytes);
  // Bound: writes the key (JSON) or the commas (CSV) before `column`'s value,
  // with room for `bytes` of value after them; returns where the value goes.
  [[gnu::always_inline]] char* start_field(std::size_t column, std::size_t bytes);
  // Ends a field whose value ends at `end`.
  [[gnu::always_inline]] void end_field(const char* end) noexcept;
  [[gnu::always_inline]] void add(std::size_t column, Kind kind, std::string_view value);
  void push(std::size_t column, Kind kind, std::size_t size);
  // number() for every case: unbound, not finite, or maybe seen before.
  void number_in_general(std::size_t column, float value, std::string_view read_from);
  // One of 64 bits for a number's bits: a number whose bit is not in
  // seen_marks_ is not in numbers_, and needs no search there.
  static std::uint64_t seen_mark(std::uint32_t bits) noexcept {
    return std::uint64_t{1} << ((bits * 0x9E3779B1u) >> 26);
  }

  const FieldForm* form_ = nullptr;
  std::vector<Entry> entries_;
  std::string buffer_;  // the values, then at least kPieceBlock bytes
  std::size_t used_ = 0;
  std::size_t next_column_ = 0;
  bool line_started_ = false;
  // The record's numbers so far: their bits, and where their text is.
  struct SeenNumber {
    std::uint32_t bits;
    std::uint32_t begin;
    std::uint32_t size;
  };
  std::vector<SeenNumber> numbers_;
  std::uint64_t seen_marks_ = 0;  // seen_mark of each of numbers_
  std::size_t values_size_ = 0;  // unbound only
};

/// A record made by a flat processor: its text and its fields, both reused
/// from line to line. `want_fields` tells the processor whether the fields
/// will be written (not in plain text output).
struct FlatRecord {
  std::string text;
  FieldList fields;
  bool want_fields = true;
};

/// A blank or comment-only line: copied in text output, skipped otherwise.
struct Passthrough {};

/// What one input line gives.
using LineOutcome = std::variant<Passthrough, Record, Error>;

/// The library's debug text of a float: the shortest decimal that reads back
/// as `v` ("7.1", "84.0", "-0.0", "7212154500000.0", "1e20"); "NaN", "inf",
/// "-inf". The parsers of this tool read every such text back to the same float.
std::string format_float(float v);

/// `v` as a JSON number that prints as a short decimal reading back to the
/// same float (-33.550003, not -33.55000305175781), or null when `v` is not
/// finite (JSON has no NaN or infinity; the text field still says it).
nlohmann::ordered_json json_float(float v);

/// "0x" and `digits` uppercase hexadecimal digits, zero-padded (8 by default).
std::string hex32(std::uint32_t value, int digits = 8);

/// "0x" and sixteen lowercase hexadecimal digits.
std::string hex64(std::uint64_t value);

/// A CSV cell: quoted (with doubled quotes) when it holds a comma, a quote,
/// a carriage return or a newline, or starts or ends with a blank.
std::string csv_escape(std::string_view cell);

/// The CSV text of a JSON field: strings as they are, null as nothing,
/// numbers and booleans as JSON writes them, arrays and objects as compact JSON.
std::string csv_cell(const nlohmann::ordered_json& value);

/// Compact JSON text; bytes that are not UTF-8 become U+FFFD instead of
/// throwing.
std::string json_text(const nlohmann::ordered_json& value);

/// How a run ends when writing `target` ("the output", or a file name)
/// failed with `error_number` (errno). A closed pipe on descriptor `fd` (the
/// reader stopped reading, as `head` does) is a normal end: exit status 0
/// and no message. Anything else is reported to `err` with the system's
/// reason ("cannot write map.svg: No space left on device"): status 1.
int output_failure(std::ostream& err, std::string_view target, int error_number, int fd = -1);

/// Writes a listing (not tied to input lines): the rows' text in text
/// format, one object of the rows' fields per line in JSON, a header of
/// `columns` and one row each in CSV.
void write_table(std::ostream& out, Format format, const std::vector<std::string>& columns,
                 const std::vector<Record>& rows);

/// Writes line results in one format. It does not flush: the caller flushes
/// whenever its input makes it wait, so that the tool answers a line typed
/// into a pipe at once and a file in large writes.
///
/// Text: the record's text (after the input and a tab with `echo`), or
/// "ERROR: message"; passthrough lines are copied. JSON: one object per line,
/// {"line": N, "input": "...", fields... , "comment": "..."} or
/// {"line": N, "input": "...", "error": "..."}. CSV: a header row "line,
/// input, columns..., comment, error", then one row per line.
class OutputWriter {
 public:
  OutputWriter(std::ostream& out, Format format, bool echo, std::vector<std::string> columns);

  /// The CSV header row; nothing for the other formats. Call once, first.
  void begin();
  /// The form in which a FlatRecord's fields can be written for this writer
  /// (bind them to it, start each line with start_record(), and record()
  /// ends the line in them); nullptr for text.
  [[nodiscard]] const FieldForm* field_form() const noexcept {
    return format_ == Format::Text ? nullptr : &form_;
  }
  void passthrough(std::string_view line);
  void record(std::size_t number, std::string_view input, const Record& record);
  /// Clears `fields`, bound to this writer's field_form(), and starts the
  /// line of record `number` in them, so that the fields added next follow
  /// it and record() ends the line where it stands, without copying it.
  /// `input` is a good line, so valid UTF-8.
  void start_record(std::size_t number, std::string_view input, FieldList& fields);
  /// The same for a flat record: its fields unbound, or bound to this
  /// writer's field_form() and started by start_record(number, input).
  /// `input` is a good line, so valid UTF-8.
  void record(std::size_t number, std::string_view input, FlatRecord& record,
              std::optional<std::string_view> comment);
  void error(std::size_t number, std::string_view input, const Error& error);

 private:
  void csv_row(std::size_t number, std::string_view input, const nlohmann::ordered_json* fields,
               const std::optional<std::string>& comment, const Error* error);

  std::ostream* out_;
  std::string line_;  // a flat record's output line, reused
  Format format_;
  bool echo_;
  std::vector<std::string> columns_;
  FieldForm form_;
};

}  // namespace corvane::cli
