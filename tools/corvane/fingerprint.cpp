#include "fingerprint.hpp"

#include <bit>
#include <cctype>
#include <string>
#include <utility>

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
  auto v = parse_f32(token, "value", NonFinite::Accept);
  if (std::holds_alternative<Error>(v)) {
    return Error{"value " + quote(token) +
                 " is neither an integer nor a float (prefix u:, f: or bits: to say which)"};
  }
  return FingerprintValue{FingerprintValue::Kind::Float, 0u, std::get<float>(v)};
}

std::optional<FloatCanon> parse_canon(std::string_view name) noexcept {
  if (name == "sixdp") return FloatCanon::SixDp;
  if (name == "lossless") return FloatCanon::Lossless;
  return std::nullopt;
}

Command make_fingerprint_command(FloatCanon canon, bool explain) {
  Command c;
  c.name = "fingerprint";
  c.columns = {"canon", "count", "fingerprint"};
  if (explain) c.columns.push_back("words");
  c.process = [canon, explain](std::span<const std::string_view> fields)
      -> std::variant<Record, Error> {
    std::uint64_t hash = FNV1A_OFFSET_BASIS;
    Record r;
    nlohmann::ordered_json words = nlohmann::ordered_json::array();
    std::string lines;
    for (std::size_t i = 0; i < fields.size(); ++i) {
      auto parsed = parse_fingerprint_value(fields[i]);
      if (auto* error = std::get_if<Error>(&parsed)) {
        return Error{"value " + std::to_string(i + 1) + ": " + error->message};
      }
      const FingerprintValue v = std::get<FingerprintValue>(parsed);
      const bool is_float = v.kind == FingerprintValue::Kind::Float;
      const std::uint32_t word = is_float ? fingerprint_f32_bits(v.value, canon) : v.word;
      hash = fnv1a_fold(hash, word);
      if (!explain) continue;
      nlohmann::ordered_json w;
      w["input"] = std::string(fields[i]);
      w["kind"] = is_float ? "f32" : "u32";
      std::string line = (is_float ? "f32 " : "u32 ") + std::string(fields[i]);
      line.append(line.size() < 20 ? 20 - line.size() : 1, ' ');
      if (is_float) {
        const auto bits = std::bit_cast<std::uint32_t>(v.value);
        w["bits"] = hex32(bits);
        line += "bits " + hex32(bits) + " -> " + hex32(word);
      } else {
        line += "word " + hex32(word) + "              ";
      }
      w["word"] = hex32(word);
      w["hash"] = hex64(hash);
      line += "   hash " + hex64(hash);
      words.push_back(std::move(w));
      lines += line + '\n';
    }
    r.fields["canon"] = canon == FloatCanon::SixDp ? "sixdp" : "lossless";
    r.fields["count"] = fields.size();
    r.fields["fingerprint"] = hex64(hash);
    if (explain) r.fields["words"] = std::move(words);
    r.text = explain ? lines + "fingerprint " + hex64(hash) : hex64(hash);
    return r;
  };
  return c;
}

}  // namespace corvane::cli
