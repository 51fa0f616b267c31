// Reading and checking input lines, splitting them into fields and parsing the
// numbers in them. Everything here is a pure function of its arguments (the
// line reader excepted, which only reads the stream it is given), so the whole
// input side of the tool is tested without running a process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <streambuf>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace corvane::cli {

/// `c` in lower case, for ASCII letters; any other byte as it is.
char lower_ascii(char c) noexcept;

/// Whether `a` and `b` are equal, ASCII letters compared ignoring case.
bool equal_ignoring_case(std::string_view a, std::string_view b) noexcept;

/// Longest input line accepted, in bytes (without its newline). Longer lines
/// are reported as bad and skipped to their end without being kept in memory.
inline constexpr std::size_t kMaxLineBytes = 64 * 1024;

/// A problem with an input line or a field of it, in words for a person.
struct Error {
  std::string message;
  friend bool operator==(const Error&, const Error&) = default;
};

/// An error whose message is `parts` joined. Made out of line and marked
/// cold, so that a per-line function keeps only the call on the paths where
/// it fails, and the compiler moves those paths away from the code that
/// runs on every line.
[[gnu::cold]] Error error_of(std::initializer_list<std::string_view> parts);

/// One line as read: its bytes without the newline (and without a final
/// carriage return), cut at kMaxLineBytes when `too_long` is set.
struct RawLine {
  std::string text;
  bool too_long = false;
  /// Given as command-line arguments: input even when blank, since an empty
  /// argument was typed on purpose.
  bool argument = false;
};

/// Reads lines from a stream buffer or a file descriptor, one at a time,
/// never holding more than kMaxLineBytes of a line. A final line without a
/// newline still counts.
class LineReader {
 public:
  explicit LineReader(std::streambuf& in, std::size_t max_bytes = kMaxLineBytes);
  /// Reads `fd` (not closed here). `before_wait` runs whenever the next read
  /// would have to wait for more input, so that a caller can flush what it
  /// has written so far: a line typed into a pipe gets its answer at once,
  /// while a file or a fast producer is answered in large writes.
  explicit LineReader(int fd, std::function<void()> before_wait = {},
                      std::size_t max_bytes = kMaxLineBytes);
  /// The next line, or empty at the end of the input (or a read error).
  std::optional<RawLine> next();
  /// The same into `line`, reusing its storage; false at the end.
  bool next(RawLine& line);
  /// Why reading stopped early ("Is a directory"), or empty.
  [[nodiscard]] const std::string& read_error() const noexcept { return error_; }

 private:
  bool refill();

  std::streambuf* in_ = nullptr;
  int fd_ = -1;
  std::function<void()> before_wait_;
  std::size_t max_bytes_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool eof_ = false;
  std::string error_;
};

/// Empty when `text` is well-formed UTF-8 without NUL bytes; otherwise what is
/// wrong and at which byte (overlong forms, surrogates and code points above
/// U+10FFFF count as malformed).
std::optional<Error> check_text(std::string_view text);

/// `text` with every NUL byte and every byte that starts no well-formed UTF-8
/// sequence replaced by U+FFFD, for echoing bad input safely.
std::string replace_malformed(std::string_view text);

/// A line split into its data and a trailing comment: everything from the
/// first '#' on is the comment (without the '#' and surrounding blanks).
struct SplitLine {
  std::string_view data;
  std::string_view comment;
  bool has_comment = false;
};
SplitLine split_comment(std::string_view line) noexcept;

/// A UTF-8 byte-order mark, which some editors put at the start of a file.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

/// Whether `line` is a header naming the fields, as a spreadsheet writes
/// first ("id,x,y,z"): every field a name (a letter or '_', then letters,
/// digits or '_') and none a number such as "nan" or "inf".
bool is_header_line(std::string_view line);

/// True for a line that holds nothing but blanks or a comment: such lines are
/// passed through in text output and skipped in JSON and CSV.
bool is_passthrough(std::string_view line) noexcept;

/// Splits the data part of a line into fields. Fields are separated by blanks
/// (spaces and tabs), or by one comma with optional blanks around it, so
/// "84 108 0", "84,108,0" and "84, 108, 0" give the same three fields. Two
/// commas with nothing between them make an error (an empty field), as does a
/// leading or trailing comma.
std::variant<std::vector<std::string_view>, Error> split_fields(std::string_view data);
/// The same into `fields` (cleared first, its storage reused); the error, if any.
std::optional<Error> split_fields(std::string_view data, std::vector<std::string_view>& fields);

/// `token` quoted for an error message: at most 40 characters, with bytes
/// that are not printable ASCII written as \xNN, and "..." when cut.
std::string quote(std::string_view token);

/// A 32-bit unsigned number, in decimal or in hexadecimal after 0x (or 0X).
/// `what` names the number in messages ("id", "mask"). Leading zeros are
/// decimal, never octal. Negative numbers and numbers above 0xFFFFFFFF are
/// errors.
std::variant<std::uint32_t, Error> parse_u32(std::string_view token, std::string_view what);

/// Whether a parsed float may be NaN or infinite.
enum class NonFinite { Accept, Reject };

/// A single-precision number: decimal ("84", "-7.1", "1e-3", "+5", ".5"),
/// hexadecimal float ("0x1.8p3"), and, when `non_finite` accepts them, "nan",
/// "inf", "infinity" with optional sign (any case). Decimal text is rounded to
/// the nearest float, ties to even. A magnitude too large for a float (above
/// about 3.4028235e38) is an error, never silently infinite; one too small
/// rounds to zero of the same sign, as it does in every float conversion.
std::variant<float, Error> parse_f32(std::string_view token, std::string_view what,
                                     NonFinite non_finite);

}  // namespace corvane::cli
