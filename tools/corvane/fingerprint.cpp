#include "fingerprint.hpp"

#include <bit>
#include <cctype>
#include <string>
#include <utility>

#include "text/decimal_to_float.hpp"
#include "output.hpp"

namespace corvane::cli {

namespace {

bool is_integer_text(std::string_view s) noexcept {
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) s.remove_prefix(1);
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    s.remove_prefix(2);
    for (const char c : s) {
      if (std::isxdigit(static_cast<unsigned char>(c)) == 0) return false;
    }
    return true;
  }
  if (s.empty()) return false;
  for (const char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

std::variant<FingerprintValue, Error> parse_word(std::string_view token) {
  if (!token.empty() && token.front() == '-') {
    auto magnitude = parse_u32(token.substr(1), "integer");
    if (std::holds_alternative<Error>(magnitude)) {
      return Error{"integer " + quote(token) + " is not a 32-bit integer"};
    }
    const std::uint32_t m = std::get<std::uint32_t>(magnitude);
    if (m > 0x80000000u) {
      return Error{"integer " + quote(token) + " is below -2147483648"};
    }
    return FingerprintValue{FingerprintValue::Kind::Word, 0u - m, 0.0f};
  }
  auto word = parse_u32(token, "integer");
  if (auto* error = std::get_if<Error>(&word)) return std::move(*error);
  return FingerprintValue{FingerprintValue::Kind::Word, std::get<std::uint32_t>(word), 0.0f};
}

std::variant<FingerprintValue, Error> parse_float_value(std::string_view token) {
  auto v = parse_f32(token, "float", NonFinite::Accept);
  if (auto* error = std::get_if<Error>(&v)) return std::move(*error);
  return FingerprintValue{FingerprintValue::Kind::Float, 0u, std::get<float>(v)};
}

}  // namespace

std::variant<FingerprintValue, Error> parse_fingerprint_value(std::string_view token) {
  if (token.starts_with("u:")) return parse_word(token.substr(2));
  if (token.starts_with("f:")) return parse_float_value(token.substr(2));
  if (token.starts_with("bits:")) {
    auto bits = parse_u32(token.substr(5), "float bit pattern");
    if (auto* error = std::get_if<Error>(&bits)) return std::move(*error);
    return FingerprintValue{FingerprintValue::Kind::Float, 0u,
                            std::bit_cast<float>(std::get<std::uint32_t>(bits))};
  }
  if (is_integer_text(token)) return parse_word(token);
  auto v = parse_f32(token, "float", NonFinite::Accept);
  if (auto* error = std::get_if<Error>(&v)) {
    // A number too large for a float is a float all the same: say so.
    if (detail::read_float_text(token)) return std::move(*error);
    return Error{quote(token) +
                 " is neither an integer nor a float (prefix u:, f: or bits: to say which)"};
  }
  return FingerprintValue{FingerprintValue::Kind::Float, 0u, std::get<float>(v)};
}

std::optional<FloatCanon> parse_canon(std::string_view name) noexcept {
  if (name == "sixdp") return FloatCanon::SixDp;
  if (name == "lossless") return FloatCanon::Lossless;
  return std::nullopt;
}

FingerprintFold::FingerprintFold(FloatCanon canon, bool explain, std::ostream* live)
    : canon_(canon), explain_(explain), live_(live) {}

void FingerprintFold::add(const FingerprintValue& v, std::string_view input) {
  const bool is_float = v.kind == FingerprintValue::Kind::Float;
  const std::uint32_t word = is_float ? fingerprint_f32_bits(v.value, canon_) : v.word;
  hash_ = fnv1a_fold(hash_, word);
  ++count_;
  if (!explain_) return;
  std::string line = (is_float ? "f32 " : "u32 ") + std::string(input);
  line.append(line.size() < 20 ? 20 - line.size() : 1, ' ');
  nlohmann::ordered_json w;
  if (live_ == nullptr) {
    w["input"] = std::string(input);
    w["kind"] = is_float ? "f32" : "u32";
  }
  if (is_float) {
    const auto bits = std::bit_cast<std::uint32_t>(v.value);
    if (live_ == nullptr) w["bits"] = hex32(bits);
    line += "bits " + hex32(bits) + " -> " + hex32(word);
  } else {
    line += "word " + hex32(word) + "              ";
  }
  line += "   hash " + hex64(hash_);
  if (live_ != nullptr) {
    *live_ << line << '\n';
    return;
  }
  w["word"] = hex32(word);
  w["hash"] = hex64(hash_);
  words_.push_back(std::move(w));
  lines_ += line + '\n';
}

Record FingerprintFold::record() const {
  Record r;
  r.fields["canon"] = canon_ == FloatCanon::SixDp ? "sixdp" : "lossless";
  r.fields["count"] = count_;
  r.fields["fingerprint"] = hex64(hash_);
  if (explain_ && live_ == nullptr) r.fields["words"] = words_;
  r.text = explain_ ? lines_ + "fingerprint " + hex64(hash_) : hex64(hash_);
  return r;
}

Command make_fingerprint_command(FloatCanon canon, bool explain) {
  Command c;
  c.name = "fingerprint";
  c.columns = {"canon", "count", "fingerprint"};
  if (explain) c.columns.push_back("words");
  c.process = [canon,
               explain](std::span<const std::string_view> fields) -> std::variant<Record, Error> {
    FingerprintFold fold(canon, explain);
    for (std::size_t i = 0; i < fields.size(); ++i) {
      auto parsed = parse_fingerprint_value(fields[i]);
      if (auto* error = std::get_if<Error>(&parsed)) {
        return Error{"value " + std::to_string(i + 1) + ": " + error->message};
      }
      fold.add(std::get<FingerprintValue>(parsed), fields[i]);
    }
    return fold.record();
  };
  return c;
}

namespace {

/// The one record of a whole-stream fingerprint, or the reason there is none.
int write_whole(std::ostream& out, Format format, const FingerprintFold& fold, bool explain,
                std::size_t failed) {
  std::vector<std::string> columns = {"canon", "count", "fingerprint"};
  if (explain) columns.emplace_back("words");
  columns.emplace_back("error");
  Record r = fold.record();
  if (failed > 0) {
    const std::string message = std::to_string(failed) + (failed == 1 ? " value" : " values") +
                                " could not be read; no fingerprint";
    r.fields["fingerprint"] = nullptr;
    r.fields["error"] = message;
    r.text = "ERROR: " + message;
  }
  write_table(out, format, columns, {r});
  return failed == 0 ? 0 : 1;
}

}  // namespace

int fingerprint_whole_text(const InputSource& source, const FingerprintSettings& settings,
                           std::ostream& out, std::ostream& err) {
  const bool live = settings.explain && settings.format == Format::Text;
  FingerprintFold fold(settings.canon, settings.explain, live ? &out : nullptr);
  std::size_t failed = 0;
  const auto report = [&](const std::string& where, const std::string& message) {
    ++failed;
    err << "corvane: " << where << ": " << message << '\n' << std::flush;
  };
  std::string where;  // of the line being folded
  Command values;
  values.name = "fingerprint";
  values.process = [&](std::span<const std::string_view> fields) -> std::variant<Record, Error> {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      auto parsed = parse_fingerprint_value(fields[i]);
      if (auto* error = std::get_if<Error>(&parsed)) {
        report(fields.size() == 1 ? where : where + ": value " + std::to_string(i + 1),
               error->message);
        continue;
      }
      fold.add(std::get<FingerprintValue>(parsed), fields[i]);
    }
    return Record{};
  };
  while (std::optional<InputItem> item = source()) {
    if (item->failure) {
      report(item->where(), *item->failure);
      continue;
    }
    where = item->where();
    const LineOutcome checked = process_line(values, item->line);
    if (const auto* error = std::get_if<Error>(&checked)) report(item->where(), error->message);
  }
  return write_whole(out, settings.format, fold, settings.explain, failed);
}

int fingerprint_whole_binary(const Inputs& inputs, const FingerprintSettings& settings,
                             std::ostream& out, std::ostream& err) {
  const bool live = settings.explain && settings.format == Format::Text;
  FingerprintFold fold(settings.canon, settings.explain, live ? &out : nullptr);
  const bool floats = settings.binary == BinaryWords::F32;
  unsigned char pending[4] = {};
  std::size_t have = 0;
  const auto fold_word = [&](std::uint32_t word) {
    const FingerprintValue v =
        floats ? FingerprintValue{FingerprintValue::Kind::Float, 0u, std::bit_cast<float>(word)}
               : FingerprintValue{FingerprintValue::Kind::Word, word, 0.0f};
    // The explanation shows each word as the text it stands for.
    fold.add(v, !settings.explain ? std::string() : floats ? format_float(v.value) : hex32(word));
  };
  std::vector<std::string> failures = read_bytes(inputs, [&](std::string_view block) {
    for (const char c : block) {
      pending[have++] = static_cast<unsigned char>(c);
      if (have < 4) continue;
      have = 0;
      fold_word(static_cast<std::uint32_t>(pending[0]) |
                static_cast<std::uint32_t>(pending[1]) << 8 |
                static_cast<std::uint32_t>(pending[2]) << 16 |
                static_cast<std::uint32_t>(pending[3]) << 24);
    }
  });
  if (have != 0) {
    failures.push_back("input ends " + std::to_string(have) + (have == 1 ? " byte" : " bytes") +
                       " into a 32-bit word");
  }
  for (const std::string& f : failures) err << "corvane: " << f << '\n';
  return write_whole(out, settings.format, fold, settings.explain, failures.size());
}

}  // namespace corvane::cli
