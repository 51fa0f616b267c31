#include "output.hpp"

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

std::string csv_escape(std::string_view cell) {
  const bool quote = cell.find_first_of(",\"\r\n") != std::string_view::npos ||
                     (!cell.empty() && (cell.front() == ' ' || cell.back() == ' '));
  if (!quote) return std::string(cell);
  std::string out = "\"";
  for (const char ch : cell) {
    if (ch == '"') out.push_back('"');
    out.push_back(ch);
  }
  out.push_back('"');
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

OutputWriter::OutputWriter(std::ostream& out, Format format, bool echo,
                           std::vector<std::string> columns)
    : out_(&out), format_(format), echo_(echo), columns_(std::move(columns)) {}

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
