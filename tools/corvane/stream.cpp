#include "stream.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <utility>

namespace corvane::cli {

namespace {

/// A good line ready for a processor: its fields and its comment.
struct PreparedLine {
  std::string_view comment;
  bool has_comment = false;
};

// Per-line functions are hot (see LineReader::next); so are the per-line
// lambdas, kept out of line, as std::function's caller is not hot.

/// The checks every line passes before its processor runs; `fields` gets the
/// line's fields (storage reused). Passthrough or an error end the line here.
[[gnu::hot]]
std::optional<LineOutcome> prepare_line(const Command& command, const RawLine& line,
                                        std::vector<std::string_view>& fields,
                                        PreparedLine& prepared) {
  if (line.too_long) {
    return error_of({"line longer than ", std::to_string(kMaxLineBytes), " bytes"});
  }
  if (auto bad = check_text(line.text)) return *bad;
  if (!line.argument && is_passthrough(line.text)) return Passthrough{};
  const SplitLine split = split_comment(line.text);
  prepared.comment = split.comment;
  prepared.has_comment = split.has_comment;
  if (command.whole_text) {
    fields.assign(1, std::string_view(line.text).substr(0, line.text.find('#')));
    return std::nullopt;
  }
  if (auto error = split_fields(split.data, fields)) return std::move(*error);
  return std::nullopt;
}

/// Runs a processor: an exception becomes the line's error, and the stream
/// goes on.
template <class Run>
auto guarded(Run run) -> decltype(run()) {
  try {
    return run();
  } catch (const std::bad_alloc&) {
    return Error{"out of memory"};
  } catch (const std::exception& e) {
    // Nothing in the processors is meant to throw.
    return Error{std::string("internal error: ") + e.what()};
  }
}

LineOutcome process_with(const Command& command, const FieldProcessor& process,
                         const RawLine& line) {
  std::vector<std::string_view> fields;
  PreparedLine prepared;
  if (auto done = prepare_line(command, line, fields, prepared)) return std::move(*done);
  std::variant<Record, Error> result =
      guarded([&]() -> std::variant<Record, Error> { return process(fields); });
  if (auto* error = std::get_if<Error>(&result)) return std::move(*error);
  Record record = std::move(std::get<Record>(result));
  if (prepared.has_comment) record.comment = std::string(prepared.comment);
  return record;
}

}  // namespace

Command with_flat_processor(Command command, FlatProcessor flat) {
  const auto make = [flat, columns = command.columns](bool want_fields) -> FieldProcessor {
    return [flat, columns, want_fields](
               std::span<const std::string_view> fields) -> std::variant<Record, Error> {
      FlatRecord flat_record;
      flat_record.want_fields = want_fields;
      if (auto error = flat(fields, flat_record)) return std::move(*error);
      Record record;
      record.text = std::move(flat_record.text);
      if (want_fields) record.fields = flat_record.fields.to_json(columns);
      return record;
    };
  };
  command.process = make(true);
  command.process_text = make(false);
  command.process_flat = std::move(flat);
  return command;
}

LineOutcome process_line(const Command& command, const RawLine& line) {
  return process_with(command, command.process, line);
}

LineOutcome process_line_text(const Command& command, const RawLine& line) {
  return process_with(command, command.process_text ? command.process_text : command.process,
                      line);
}

LineOutcome process_line(const Command& command, std::string_view line) {
  RawLine raw;
  raw.too_long = line.size() > kMaxLineBytes;
  raw.text = std::string(line.substr(0, kMaxLineBytes));
  return process_line(command, raw);
}

InputSource stream_source(std::streambuf& in) {
  auto reader = std::make_shared<LineReader>(in);
  auto number = std::make_shared<std::size_t>(0);
  return [reader, number]() __attribute__((hot, noinline)) -> std::optional<InputItem> {
    std::optional<RawLine> line = reader->next();
    if (!line) return std::nullopt;
    if (++*number == 1 && line->text.starts_with(kByteOrderMark)) {
      line->text.erase(0, kByteOrderMark.size());
    }
    return InputItem{std::move(*line), *number, InputPlace{nullptr, false, *number, *number},
                     std::nullopt};
  };
}

InputSource argument_source(std::vector<std::string> arguments, std::size_t group) {
  if (group == 0) group = arguments.empty() ? 1 : arguments.size();
  std::vector<std::size_t> sizes;
  for (std::size_t at = 0; at < arguments.size(); at += group) {
    sizes.push_back(std::min(group, arguments.size() - at));
  }
  return argument_source(std::move(arguments), std::move(sizes));
}

InputSource argument_source(std::vector<std::string> arguments, std::vector<std::size_t> sizes) {
  auto args = std::make_shared<std::vector<std::string>>(std::move(arguments));
  auto groups = std::make_shared<std::vector<std::size_t>>(std::move(sizes));
  auto next = std::make_shared<std::size_t>(0);
  auto number = std::make_shared<std::size_t>(0);
  return [args, groups, next, number]() -> std::optional<InputItem> {
    if (*number >= groups->size() || *next >= args->size()) return std::nullopt;
    const std::size_t first = *next;
    const std::size_t last = std::min(first + (*groups)[*number], args->size());
    InputItem item;
    item.line.argument = true;
    for (std::size_t i = first; i < last; ++i) {
      if (i > first) item.line.text += ' ';
      item.line.text += (*args)[i];
    }
    if (item.line.text.size() > kMaxLineBytes) {
      item.line.text.resize(kMaxLineBytes);
      item.line.too_long = true;
    }
    *next = last;
    item.number = ++*number;
    item.place = InputPlace{nullptr, false, first + 1, last};
    return item;
  };
}

namespace {

/// A file descriptor that closes itself, except standard input.
struct OpenFile {
  int fd = -1;
  std::string error;
  explicit OpenFile(const std::string& name) {
    if (name == "-") {
      fd = STDIN_FILENO;
      return;
    }
    do {
      fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) error = std::strerror(errno);
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  ~OpenFile() {
    if (fd > STDIN_FILENO) ::close(fd);
  }
};

std::string file_label(const std::string& name) {
  return name == "-" ? std::string("standard input") : name;
}

}  // namespace

std::string InputItem::where() const {
  if (line.argument) {
    return place.last == place.first
               ? "argument " + std::to_string(place.first)
               : "arguments " + std::to_string(place.first) + "-" + std::to_string(place.last);
  }
  const std::string file = place.file != nullptr ? *place.file : std::string("-");
  if (place.whole_file) return file_label(file);
  return (file == "-" ? std::string("line ") : file + ':') + std::to_string(place.first);
}

InputSource file_source(std::vector<std::string> files, std::function<void()> before_wait,
                        std::ostream* notes) {
  struct State {
    std::ostream* notes = nullptr;
    std::vector<std::string> files;
    std::function<void()> before_wait;
    std::size_t next_file = 0;
    std::unique_ptr<OpenFile> file;
    std::unique_ptr<LineReader> reader;
    const std::string* name = nullptr;  // the file being read, one of `files`
    std::size_t number = 0;
  };
  auto state = std::make_shared<State>();
  state->files = std::move(files);
  state->before_wait = std::move(before_wait);
  state->notes = notes;
  return [state]() __attribute__((hot, noinline)) -> std::optional<InputItem> {
    State& s = *state;
    for (;;) {
      if (!s.reader) {
        if (s.next_file >= s.files.size()) return std::nullopt;
        s.name = &s.files[s.next_file++];
        s.number = 0;
        s.file = std::make_unique<OpenFile>(*s.name);
        if (s.file->fd < 0) {
          InputItem item;
          item.place = InputPlace{s.name, true, 0, 0};
          item.failure = "cannot open: " + s.file->error;
          s.file.reset();
          return item;
        }
        s.reader = std::make_unique<LineReader>(s.file->fd, s.before_wait);
      }
      InputItem item;
      if (s.reader->next(item.line)) {
        item.number = ++s.number;
        item.place = InputPlace{s.name, false, item.number, item.number};
        if (item.number > 1) return item;
        if (item.line.text.starts_with(kByteOrderMark)) {
          item.line.text.erase(0, kByteOrderMark.size());
        }
        if (s.notes != nullptr && !item.line.too_long && is_header_line(item.line.text)) {
          *s.notes << "corvane: " << item.where()
                   << ": note: skipped a header line naming the fields: "
                   << quote(item.line.text) << '\n' << std::flush;
          continue;
        }
        return item;
      }
      const std::string error = s.reader->read_error();
      s.reader.reset();
      s.file.reset();
      if (!error.empty()) {
        item.place = InputPlace{s.name, true, 0, 0};
        item.failure = "cannot read: " + error;
        return item;
      }
    }
  };
}

InputSource input_source(const Inputs& inputs) {
  if (!inputs.files.empty()) {
    return file_source(inputs.files, inputs.before_wait,
                       inputs.skip_headers ? inputs.notes : nullptr);
  }
  if (inputs.grouping != nullptr) {
    return argument_source(inputs.arguments, inputs.grouping(inputs.arguments));
  }
  return argument_source(inputs.arguments, inputs.group);
}

std::vector<std::string> read_bytes(const Inputs& inputs,
                                    const std::function<void(std::string_view block)>& block) {
  std::vector<std::string> failures;
  if (inputs.files.empty()) return failures;
  std::vector<char> buffer(64 * 1024);
  for (const std::string& name : inputs.files) {
    const OpenFile file(name);
    if (file.fd < 0) {
      failures.push_back(file_label(name) + ": cannot open: " + file.error);
      continue;
    }
    for (;;) {
      const ssize_t got = ::read(file.fd, buffer.data(), buffer.size());
      if (got > 0) {
        block(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
      } else if (got < 0 && errno == EINTR) {
        continue;
      } else {
        if (got < 0)
          failures.push_back(file_label(name) + ": cannot read: " + std::strerror(errno));
        break;
      }
    }
  }
  return failures;
}

std::string shown_input(const RawLine& line) {
  if (!line.too_long) return replace_malformed(line.text);
  return replace_malformed(std::string_view(line.text).substr(0, 32)) + "...";
}

[[gnu::hot]]
RunStats run_stream(const Command& command, const InputSource& source, std::ostream& out,
                    std::ostream& err, const RunOptions& options) {
  OutputWriter writer(out, options.format, options.echo, command.columns);
  writer.begin();
  RunStats stats;
  const bool text_only = options.format == Format::Text && !options.echo;
  // Reused from line to line on the flat path.
  std::vector<std::string_view> fields;
  FlatRecord flat;
  flat.want_fields = !text_only;
  // Fields go straight into their JSON or CSV form, in the output line itself.
  flat.fields.bind(writer.field_form());
  const auto report = [&](const InputItem& item, const Error& error) {
    ++stats.failed;
    writer.error(item.number, shown_input(item.line), error);
    err << "corvane: " << item.where() << ": " << error.message << '\n' << std::flush;
  };
  while (std::optional<InputItem> item = source()) {
    if (!out) {
      stats.output_failed = true;
      break;
    }
    if (item->failure) {
      ++stats.failed;
      err << "corvane: " << item->where() << ": " << *item->failure << '\n' << std::flush;
      continue;
    }
    if (command.process_flat) {
      PreparedLine prepared;
      std::optional<LineOutcome> done = prepare_line(command, item->line, fields, prepared);
      if (done && std::holds_alternative<Passthrough>(*done)) {
        writer.passthrough(item->line.text);
        continue;
      }
      ++stats.records;
      if (done) {
        report(*item, std::get<Error>(*done));
        continue;
      }
      flat.text.clear();
      if (flat.fields.form() != nullptr) {
        writer.start_record(item->number, item->line.text, flat.fields);
      } else {
        flat.fields.clear();
      }
      const std::optional<Error> error =
          guarded([&]() -> std::optional<Error> { return command.process_flat(fields, flat); });
      if (error) {
        report(*item, *error);
      } else {
        writer.record(item->number, item->line.text, flat,
                      prepared.has_comment ? std::optional<std::string_view>(prepared.comment)
                                           : std::nullopt);
      }
      continue;
    }
    const LineOutcome outcome =
        text_only ? process_line_text(command, item->line) : process_line(command, item->line);
    if (std::holds_alternative<Passthrough>(outcome)) {
      writer.passthrough(item->line.text);
      continue;
    }
    ++stats.records;
    if (const auto* record = std::get_if<Record>(&outcome)) {
      // The input is shown only by echo and by JSON and CSV.
      writer.record(item->number, text_only ? std::string() : shown_input(item->line), *record);
      continue;
    }
    report(*item, std::get<Error>(outcome));
  }
  if (!out) stats.output_failed = true;
  return stats;
}

[[gnu::hot]]
std::optional<Error> expect_fields(std::span<const std::string_view> fields, std::size_t count,
                                   std::string_view layout) {
  if (fields.size() == count) return std::nullopt;
  return error_of({"expected ", std::to_string(count), " fields (", layout, "), got ",
                   std::to_string(fields.size())});
}

}  // namespace corvane::cli
