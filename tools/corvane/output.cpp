#include "output.hpp"

#include <poll.h>
#include <sys/stat.h>

#include <cerrno>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "corvane/detail/bit_cast.hpp"
#include "text/hex.hpp"
#include "text/shortest_float.hpp"

namespace corvane::cli {

std::optional<Format> parse_format(std::string_view name) noexcept {
  if (name == "text") return Format::Text;
  if (name == "json") return Format::Json;
  if (name == "csv") return Format::Csv;
  return std::nullopt;
}

std::string format_float(float v) {
  char text[detail::kMaxShortestFloatChars];
  return {text, detail::write_shortest_float(text, v)};
}

nlohmann::ordered_json json_float(float v) {
  if (!std::isfinite(v)) return nullptr;
  // The double nearest to the float's shortest decimal prints as that short
  // decimal (JSON writers print doubles shortest) and narrows back to the same
  // float; the float widened to double would print as -33.55000305175781.
  return nlohmann::ordered_json::parse(format_float(v));
}

std::string hex32(std::uint32_t value, int digits) {
  std::string out(2 + static_cast<std::size_t>(digits), '0');
  out[1] = 'x';
  detail::write_hex(out.data() + 2, value, static_cast<std::size_t>(digits));
  return out;
}

std::string hex64(std::uint64_t value) {
  std::string out(2 + 16, '0');
  out[1] = 'x';
  detail::write_hex(out.data() + 2, value, 16, detail::HexCase::Lower);
  return out;
}

std::string json_text(const nlohmann::ordered_json& value) {
  return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string csv_cell(const nlohmann::ordered_json& value) {
  if (value.is_null()) return {};
  if (value.is_string()) return value.get<std::string>();
  return json_text(value);
}

int output_failure(std::ostream& err, std::string_view target, int error_number, int fd) {
  bool closed_pipe = error_number == EPIPE;
  struct stat info {};
  if (!closed_pipe && fd >= 0 && ::fstat(fd, &info) == 0 &&
      (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode))) {
    // errno may be stale by now; a pipe whose reader is gone says so itself.
    pollfd probe{fd, POLLOUT, 0};
    closed_pipe = ::poll(&probe, 1, 0) == 1 && (probe.revents & POLLERR) != 0;
  }
  if (closed_pipe) return 0;
  err << "corvane: cannot write " << target;
  if (error_number != 0) err << ": " << std::strerror(error_number);
  err << '\n' << std::flush;
  return 1;
}

void write_table(std::ostream& out, Format format, const std::vector<std::string>& columns,
                 const std::vector<Record>& rows) {
  if (format == Format::Csv) {
    for (std::size_t i = 0; i < columns.size(); ++i)
      out << (i ? "," : "") << csv_escape(columns[i]);
    out << '\n';
  }
  for (const Record& row : rows) {
    switch (format) {
      case Format::Text:
        out << row.text << '\n';
        break;
      case Format::Json:
        out << json_text(row.fields) << '\n';
        break;
      case Format::Csv:
        for (std::size_t i = 0; i < columns.size(); ++i) {
          const auto it = row.fields.find(columns[i]);
          out << (i ? "," : "") << (it != row.fields.end() ? csv_escape(csv_cell(*it)) : "");
        }
        out << '\n';
        break;
    }
  }
  out.flush();
}

namespace {

// Runs of 16 or 8 bytes as vectors (GCC and Clang offer them on every
// target, in plain registers where there is no vector unit): a comparison
// tests every byte at once.
using Bytes16 = unsigned char __attribute__((vector_size(16)));
using Bytes8 = unsigned char __attribute__((vector_size(8)));

// Whether any byte of a comparison's result is set.
template <class Mask>
bool any_set(Mask mask) noexcept {
  std::uint64_t halves[sizeof mask / 8];
  std::memcpy(halves, &mask, sizeof mask);
  std::uint64_t any = 0;
  for (const std::uint64_t half : halves) any |= half;
  return any != 0;
}

// Whether any of the bytes is one JSON strings escape: a control character,
// a quote or a backslash.
template <class Bytes>
bool needs_json_escape(Bytes b) noexcept {
  return any_set((b < 0x20) | (b == '"') | (b == '\\'));
}

// Whether any of the bytes makes a CSV cell quoted: a comma, a quote, a
// carriage return or a newline.
template <class Bytes>
bool needs_csv_quotes(Bytes b) noexcept {
  return any_set((b == ',') | (b == '"') | (b == '\r') | (b == '\n'));
}

template <class Bytes>
bool holds_quote(Bytes b) noexcept {
  return any_set(b == '"');
}

// Copies `text` to `out` a run of Bytes at a time for as long as `test` finds
// nothing in them (the last few bytes as the run that ends the text), and
// returns how many were copied: all, or those before the first run that
// `test` holds for; none when the text is shorter than a run.
template <class Bytes, class Test>
std::size_t copy_runs_until(char* out, std::string_view text, Test test) noexcept {
  constexpr std::size_t kRun = sizeof(Bytes);
  if (text.size() < kRun) return 0;
  Bytes run{};
  std::size_t done = 0;
  for (; done + kRun <= text.size(); done += kRun) {
    std::memcpy(&run, text.data() + done, kRun);
    if (test(run)) return done;
    std::memcpy(out + done, &run, kRun);
  }
  std::memcpy(&run, text.data() + text.size() - kRun, kRun);
  if (test(run)) return done;
  std::memcpy(out + text.size() - kRun, &run, kRun);
  return text.size();
}

// The same, 16 bytes at a time from 16 bytes on, else 8 at a time: `test`
// takes either run.
template <class Test>
std::size_t copy_until(char* out, std::string_view text, Test test) noexcept {
  return text.size() >= 16 ? copy_runs_until<Bytes16>(out, text, test)
                           : copy_runs_until<Bytes8>(out, text, test);
}

// Whether `test` holds for some run of `text`: as copy_until, copying nothing;
// a byte at a time below eight bytes.
template <class Test, class ByteTest>
bool any_run(std::string_view text, Test test, ByteTest byte_test) noexcept {
  if (text.size() < 8) return std::any_of(text.begin(), text.end(), byte_test);
  const auto check = [&]<class Bytes>(Bytes) {
    constexpr std::size_t kRun = sizeof(Bytes);
    Bytes run{};
    for (std::size_t at = 0; at + kRun <= text.size(); at += kRun) {
      std::memcpy(&run, text.data() + at, kRun);
      if (test(run)) return true;
    }
    std::memcpy(&run, text.data() + text.size() - kRun, kRun);
    return test(run);
  };
  return text.size() >= 16 ? check(Bytes16{}) : check(Bytes8{});
}

// Writes through a pointer into storage the caller has made large enough.
struct Cursor {
  char* at;

  void put(char c) noexcept { *at++ = c; }
  [[gnu::always_inline]] void put(std::string_view text) noexcept {
    // Most pieces are short: two overlapping words cost less than a call.
    const std::size_t n = text.size();
    if (n >= 8 && n <= 16) {
      std::memcpy(at, text.data(), 8);
      std::memcpy(at + n - 8, text.data() + n - 8, 8);
    } else if (n >= 4 && n < 8) {
      std::memcpy(at, text.data(), 4);
      std::memcpy(at + n - 4, text.data() + n - 4, 4);
    } else {
      std::memcpy(at, text.data(), n);
    }
    at += n;
  }
  // A piece from storage with kPieceBlock readable bytes from its start, into
  // a line with as many to spare: one block copied whole when it fits.
  void put_piece(std::string_view piece) noexcept {
    if (piece.size() <= kPieceBlock) [[likely]] {
      std::memcpy(at, piece.data(), kPieceBlock);
      at += piece.size();
      return;
    }
    put(piece);
  }
  void put_number(std::size_t n) noexcept { at = std::to_chars(at, at + 24, n).ptr; }

  // A JSON string as nlohmann writes it for valid UTF-8: quote, backslash
  // and control characters escaped, everything else as it is. At most 6
  // bytes per byte, and 2 for the quotes. Per-line functions are hot (see
  // LineReader::next).
  [[gnu::hot]] void put_json_string(std::string_view text) noexcept {
    put('"');
    // Most texts need no escaping: copied a run at a time, up to the first
    // run that holds a byte to escape.
    const std::size_t done = copy_until(at, text, [](auto run) { return needs_json_escape(run); });
    at += done;
    for (const char ch : text.substr(done)) {
      const auto c = static_cast<unsigned char>(ch);
      if (c >= 0x20 && c != '"' && c != '\\') {
        *at++ = ch;
        continue;
      }
      *at++ = '\\';
      switch (ch) {
        case '"': put('"'); break;
        case '\\': put('\\'); break;
        case '\b': put('b'); break;
        case '\f': put('f'); break;
        case '\n': put('n'); break;
        case '\r': put('r'); break;
        case '\t': put('t'); break;
        default:
          put("u00");
          detail::write_hex(at, static_cast<unsigned char>(ch), 2, detail::HexCase::Lower);
          at += 2;
      }
    }
    put('"');
  }

  // A CSV cell: quoted (with doubled quotes) when it holds a comma, a quote,
  // a carriage return or a newline, or starts or ends with a blank. At most
  // 2 bytes per byte, and 2 for the quotes.
  [[gnu::hot]] void put_csv_cell(std::string_view cell) noexcept {
    const bool quote =
        (!cell.empty() && (cell.front() == ' ' || cell.back() == ' ')) ||
        any_run(cell, [](auto run) { return needs_csv_quotes(run); },
                [](char ch) { return ch == ',' || ch == '"' || ch == '\r' || ch == '\n'; });
    if (!quote) return put(cell);
    put('"');
    // Most quoted cells hold commas and no quote to double: copied a run at
    // a time, up to the first run that holds a quote.
    const std::size_t done = copy_until(at, cell, [](auto run) { return holds_quote(run); });
    at += done;
    for (const char ch : cell.substr(done)) {
      if (ch == '"') put('"');
      put(ch);
    }
    put('"');
  }
};

// A hex value is a text in JSON, so quoted; a bare cell in CSV.
constexpr bool quotes_hex(Format format) noexcept { return format == Format::Json; }

// A field's value as it stands in a line: a text escaped (JSON) or quoted
// when it must be (CSV), a hex id quoted (JSON); null as null or an empty
// cell; numbers and booleans as they are. At most 2 + 6 bytes a byte (JSON),
// 2 + 2 (CSV).
[[gnu::always_inline]] inline void put_value(Cursor& out, Format format, FieldList::Kind kind,
                                             std::string_view value) noexcept {
  const bool json = format == Format::Json;
  switch (kind) {
    case FieldList::Kind::Text:
      return json ? out.put_json_string(value) : out.put_csv_cell(value);
    case FieldList::Kind::Hex:
      if (quotes_hex(format)) out.put('"');
      out.put(value);
      if (quotes_hex(format)) out.put('"');
      return;
    case FieldList::Kind::Null:
      if (json) out.put("null");
      return;
    case FieldList::Kind::Number:
    case FieldList::Kind::Bool:
      return out.put(value);
  }
}

void append_json_string(std::string& out, std::string_view text) {
  const std::size_t old = out.size();
  out.resize(old + 2 + 6 * text.size());
  Cursor c{out.data() + old};
  c.put_json_string(text);
  out.resize(static_cast<std::size_t>(c.at - out.data()));
}


}  // namespace

FieldForm::FieldForm(Format format, const std::vector<std::string>& columns) : format_(format) {
  for (const std::string& c : columns) {
    key_text_ += ',';
    append_json_string(key_text_, c);
    key_text_ += ':';
    key_ends_.push_back(key_text_.size());
  }
  keys_size_ = key_text_.size();
  key_text_.append(kPieceBlock, '\0');
}

[[gnu::hot]]
void FieldList::clear() noexcept {
  entries_.clear();
  used_ = 0;
  next_column_ = 0;
  numbers_.clear();
  seen_marks_ = 0;
  values_size_ = 0;
  line_started_ = false;
}

void FieldList::bind(const FieldForm* form) noexcept {
  form_ = form;
  clear();
}

void FieldList::grow(std::size_t bytes) {
  buffer_.resize(std::max(2 * buffer_.size(), used_ + bytes + kPieceBlock));
}

inline char* FieldList::room(std::size_t bytes) {
  if (buffer_.size() - used_ < bytes + kPieceBlock) [[unlikely]] grow(bytes);
  return buffer_.data() + used_;
}

inline char* FieldList::start_field(std::size_t column, std::size_t bytes) {
  if (form_->format() == Format::Json) {
    const std::string_view key = form_->json_key(column);
    Cursor out{room(key.size() + bytes)};
    out.put_piece(key);
    return out.at;
  }
  // A comma before each CSV cell: those of the columns skipped, then this one.
  const std::size_t commas = column >= next_column_ ? column + 1 - next_column_ : 0;
  char* const at = room(commas + bytes);
  if (commas <= kPieceBlock) [[likely]] {
    std::memset(at, ',', kPieceBlock);  // a fixed size: a few stores, no call
  } else {
    std::memset(at, ',', commas);
  }
  next_column_ = std::max(next_column_, column + 1);
  return at + commas;
}

inline void FieldList::end_field(const char* end) noexcept {
  used_ = static_cast<std::size_t>(end - buffer_.data());
}

void FieldList::push(std::size_t column, Kind kind, std::size_t size) {
  entries_.push_back(Entry{static_cast<std::uint32_t>(column), kind,
                           static_cast<std::uint32_t>(used_), static_cast<std::uint32_t>(size)});
  used_ += size;
  values_size_ += size;
}

inline void FieldList::add(std::size_t column, Kind kind, std::string_view value) {
  if (form_ == nullptr) {
    std::memcpy(room(value.size()), value.data(), value.size());
    return push(column, kind, value.size());
  }
  // Escaping takes at most 6 bytes a byte in JSON, 2 in CSV, and 2 quotes.
  Cursor out{start_field(column, 2 + (form_->format() == Format::Json ? 6 : 2) * value.size())};
  put_value(out, form_->format(), kind, value);
  end_field(out.at);
}

[[gnu::hot]]
void FieldList::number(std::size_t column, float value, std::string_view read_from) {
  // Most numbers of a bound list are finite and new to the record: written
  // at once. A number whose mark is set may have been seen, and is looked up.
  const auto bits = detail::bit_cast<std::uint32_t>(value);
  const std::uint64_t mark = seen_mark(bits);
  if (form_ == nullptr || (bits & 0x7F800000u) == 0x7F800000u || (seen_marks_ & mark) != 0)
      [[unlikely]] {
    return number_in_general(column, value, read_from);
  }
  char* const start = start_field(column, detail::kMaxShortestFloatChars);
  char* const end = read_from.empty() ? detail::write_shortest_float(start, value)
                                      : detail::write_shortest_float(start, value, read_from);
  seen_marks_ |= mark;
  numbers_.push_back(SeenNumber{bits, static_cast<std::uint32_t>(start - buffer_.data()),
                                static_cast<std::uint32_t>(end - start)});
  end_field(end);
}

void FieldList::number_in_general(std::size_t column, float value, std::string_view read_from) {
  if (!std::isfinite(value)) return null(column);
  // A record often repeats a number (an altitude is the height it came from).
  const auto bits = detail::bit_cast<std::uint32_t>(value);
  for (const SeenNumber& seen : numbers_) {
    if (seen.bits != bits) continue;
    if (form_ == nullptr) {
      entries_.push_back(Entry{static_cast<std::uint32_t>(column), Kind::Number, seen.begin, seen.size});
      values_size_ += seen.size;
      return;
    }
    char* const at = start_field(column, seen.size);
    std::memcpy(at, buffer_.data() + seen.begin, seen.size);
    return end_field(at + seen.size);
  }
  char* const start = form_ == nullptr ? room(detail::kMaxShortestFloatChars)
                                       : start_field(column, detail::kMaxShortestFloatChars);
  char* const end = detail::write_shortest_float(start, value, read_from);
  const auto begin = static_cast<std::uint32_t>(start - buffer_.data());
  const auto size = static_cast<std::uint32_t>(end - start);
  numbers_.push_back(SeenNumber{bits, begin, size});
  seen_marks_ |= seen_mark(bits);
  if (form_ == nullptr) return push(column, Kind::Number, size);
  end_field(end);
}

void FieldList::unsigned_number(std::size_t column, std::uint64_t value) {
  char text[24];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  add(column, Kind::Number, std::string_view(text, static_cast<std::size_t>(end - text)));
}

[[gnu::hot]]
void FieldList::text(std::size_t column, std::string_view value) { add(column, Kind::Text, value); }

[[gnu::hot]]
void FieldList::hex(std::size_t column, std::uint32_t value, int digits) {
  // A 32-bit value shows in 8 digits; more would only be leading zeros.
  const auto size = static_cast<std::size_t>(std::clamp(digits, 1, 8));
  if (form_ == nullptr) {
    char text[2 + 8] = {'0', 'x'};
    detail::write_hex(text + 2, value, size);
    return add(column, Kind::Hex, std::string_view(text, 2 + size));
  }
  // Bound: straight into the line.
  const bool quoted = quotes_hex(form_->format());
  Cursor out{start_field(column, 2 + 2 + size)};
  if (quoted) out.put('"');
  out.put("0x");
  out.at = detail::write_hex(out.at, value, size);
  if (quoted) out.put('"');
  end_field(out.at);
}

[[gnu::hot]]
void FieldList::boolean(std::size_t column, bool value) {
  const std::string_view text = value ? std::string_view("true") : std::string_view("false");
  if (form_ == nullptr) return add(column, Kind::Bool, text);
  // Bound: both words stored whole (the line has room past them).
  char* const at = start_field(column, 8);
  std::memcpy(at, value ? "true\0\0\0\0" : "false\0\0\0", 8);
  end_field(at + text.size());
}

void FieldList::null(std::size_t column) { add(column, Kind::Null, "null"); }

nlohmann::ordered_json FieldList::to_json(const std::vector<std::string>& columns) const {
  nlohmann::ordered_json object = nlohmann::ordered_json::object();
  for (const Entry& e : entries_) {
    const std::string_view v = value(e);
    nlohmann::ordered_json& field = object[columns[e.column]];
    switch (e.kind) {
      case Kind::Text:
      case Kind::Hex:
        field = std::string(v);
        break;
      case Kind::Null:
        field = nullptr;
        break;
      case Kind::Number:
      case Kind::Bool:
        field = nlohmann::ordered_json::parse(v);
        break;
    }
  }
  return object;
}

std::string csv_escape(std::string_view cell) {
  std::string out(2 + 2 * cell.size(), '\0');
  Cursor c{out.data()};
  c.put_csv_cell(cell);
  out.resize(static_cast<std::size_t>(c.at - out.data()));
  return out;
}

OutputWriter::OutputWriter(std::ostream& out, Format format, bool echo,
                           std::vector<std::string> columns)
    : out_(&out), format_(format), echo_(echo), columns_(std::move(columns)),
      form_(format, columns_) {}

void OutputWriter::begin() {
  if (format_ != Format::Csv) return;
  *out_ << "line,input";
  for (const std::string& c : columns_) *out_ << ',' << csv_escape(c);
  *out_ << ",comment,error\n";
}

void OutputWriter::passthrough(std::string_view line) {
  if (format_ != Format::Text) return;
  *out_ << line << '\n';
}

void OutputWriter::record(std::size_t number, std::string_view input, const Record& record) {
  switch (format_) {
    case Format::Text:
      // A result of several lines gets the echoed input on a line of its own.
      if (echo_) *out_ << input << (record.text.find('\n') == std::string::npos ? '\t' : '\n');
      *out_ << record.text;
      if (record.comment) *out_ << "  # " << *record.comment;
      *out_ << '\n';
      break;
    case Format::Json: {
      nlohmann::ordered_json object = {{"line", number}, {"input", std::string(input)}};
      for (const auto& [key, value] : record.fields.items()) object[key] = value;
      if (record.comment) object["comment"] = *record.comment;
      *out_ << json_text(object) << '\n';
      break;
    }
    case Format::Csv:
      csv_row(number, input, &record.fields, record.comment, nullptr);
      break;
  }
}

[[gnu::hot]]
void OutputWriter::start_record(std::size_t number, std::string_view input, FieldList& fields) {
  if (fields.form() != &form_) {
    throw std::logic_error("a record's fields are not bound to this writer's form");
  }
  fields.clear();
  // The number, and the input escaped (at most 6 bytes a byte in JSON, 2 in
  // CSV, and 2 quotes).
  Cursor out{fields.room(48 + 6 * input.size())};
  if (format_ == Format::Json) {
    out.put("{\"line\":");
    out.put_number(number);
    out.put(",\"input\":");
    out.put_json_string(input);
  } else {
    out.put_number(number);
    out.put(',');
    out.put_csv_cell(input);
  }
  fields.end_field(out.at);
  fields.line_started_ = true;
}

[[gnu::hot]]
void OutputWriter::record(std::size_t number, std::string_view input, FlatRecord& record,
                          std::optional<std::string_view> comment) {
  FieldList& fields = record.fields;
  const std::string_view comment_text = comment.value_or(std::string_view());
  if (fields.form() != nullptr) {
    if (fields.form() != &form_) {
      throw std::logic_error("a record's fields are bound to another writer's form");
    }
    if (!fields.line_started()) throw std::logic_error("a bound record's line was not started");
    // The line so far is the fields': ended there and written whole.
    Cursor out{fields.room(32 + 6 * comment_text.size() + columns_.size())};
    if (format_ == Format::Json) {
      if (comment) {
        out.put(",\"comment\":");
        out.put_json_string(*comment);
      }
      out.put('}');
    } else {
      for (std::size_t column = fields.next_column(); column < columns_.size(); ++column) {
        out.put(',');
      }
      out.put(',');
      if (comment) out.put_csv_cell(*comment);
      out.put(',');
    }
    out.put('\n');
    fields.end_field(out.at);
    const std::string_view line = fields.written();
    out_->write(line.data(), static_cast<std::streamsize>(line.size()));
    return;
  }
  // Room for everything below with every byte escaped (at most 6 for 1 in
  // JSON, 2 for 1 in CSV), and for the bytes that a block copy may store past
  // its end, so that the line is written through a pointer.
  const std::size_t most = 64 + 24 + kPieceBlock +
                           6 * (input.size() + record.text.size() + comment_text.size()) +
                           6 * fields.text_size() + form_.keys_size() + 8 * columns_.size();
  if (line_.size() < most) line_.resize(std::max(most, 2 * line_.size()));
  Cursor out{line_.data()};
  switch (format_) {
    case Format::Text:
      if (echo_) {
        out.put(input);
        out.put(record.text.find('\n') == std::string::npos ? '\t' : '\n');
      }
      out.put(record.text);
      if (comment) {
        out.put("  # ");
        out.put(*comment);
      }
      break;
    case Format::Json:
      out.put("{\"line\":");
      out.put_number(number);
      out.put(",\"input\":");
      out.put_json_string(input);
      for (const FieldList::Entry& e : fields.entries()) {
        out.put_piece(form_.json_key(e.column));
        put_value(out, format_, e.kind, fields.value(e));
      }
      if (comment) {
        out.put(",\"comment\":");
        out.put_json_string(*comment);
      }
      out.put('}');
      break;
    case Format::Csv: {
      out.put_number(number);
      out.put(',');
      out.put_csv_cell(input);
      const auto& entries = fields.entries();
      auto next = entries.begin();
      for (std::size_t column = 0; column < columns_.size(); ++column) {
        out.put(',');
        if (next == entries.end() || next->column != column) continue;
        put_value(out, format_, next->kind, fields.value(*next));
        ++next;
      }
      out.put(',');
      if (comment) out.put_csv_cell(*comment);
      out.put(',');
      break;
    }
  }
  out.put('\n');
  out_->write(line_.data(), static_cast<std::streamsize>(out.at - line_.data()));
}

void OutputWriter::error(std::size_t number, std::string_view input, const Error& error) {
  switch (format_) {
    case Format::Text:
      if (echo_) *out_ << input << '\t';
      *out_ << "ERROR: " << error.message << '\n';
      break;
    case Format::Json: {
      const nlohmann::ordered_json object = {
          {"line", number}, {"input", std::string(input)}, {"error", error.message}};
      *out_ << json_text(object) << '\n';
      break;
    }
    case Format::Csv:
      csv_row(number, input, nullptr, std::nullopt, &error);
      break;
  }
}

void OutputWriter::csv_row(std::size_t number, std::string_view input,
                           const nlohmann::ordered_json* fields,
                           const std::optional<std::string>& comment, const Error* error) {
  // Bytes that are not UTF-8 are replaced here as in JSON, so that the CSV
  // text stays valid for tools that decode it.
  const std::string clean_input = replace_malformed(input);
  *out_ << number << ',' << csv_escape(clean_input);
  for (const std::string& c : columns_) {
    *out_ << ',';
    if (fields != nullptr) {
      const auto it = fields->find(c);
      if (it != fields->end()) *out_ << csv_escape(csv_cell(*it));
    }
  }
  *out_ << ',' << (comment ? csv_escape(*comment) : std::string()) << ','
        << (error != nullptr ? csv_escape(error->message) : std::string()) << '\n';
}

}  // namespace corvane::cli
