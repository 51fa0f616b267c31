#include "vocabularies.hpp"

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>

#include "corvane/corvane.hpp"

namespace corvane::cli {

namespace {

/// Optimal string alignment distance, ignoring case.
std::size_t edit_distance(std::string_view a, std::string_view b) {
  const std::size_t n = a.size();
  const std::size_t m = b.size();
  std::vector<std::size_t> prev2(m + 1), prev(m + 1), cur(m + 1);
  for (std::size_t j = 0; j <= m; ++j) prev[j] = j;
  for (std::size_t i = 1; i <= n; ++i) {
    cur[0] = i;
    for (std::size_t j = 1; j <= m; ++j) {
      const std::size_t cost = lower_ascii(a[i - 1]) == lower_ascii(b[j - 1]) ? 0 : 1;
      cur[j] = std::min({prev[j] + 1, cur[j - 1] + 1, prev[j - 1] + cost});
      if (i > 1 && j > 1 && lower_ascii(a[i - 1]) == lower_ascii(b[j - 2]) &&
          lower_ascii(a[i - 2]) == lower_ascii(b[j - 1])) {
        cur[j] = std::min(cur[j], prev2[j - 2] + 1);
      }
    }
    std::swap(prev2, prev);
    std::swap(prev, cur);
  }
  return prev[m];
}

bool contains_ignoring_case(std::string_view haystack, std::string_view needle) {
  if (needle.empty() || needle.size() > haystack.size()) return false;
  for (std::size_t i = 0; i + needle.size() <= haystack.size(); ++i) {
    if (equal_ignoring_case(haystack.substr(i, needle.size()), needle)) return true;
  }
  return false;
}

bool starts_with_digit_or_sign(std::string_view token) noexcept {
  return !token.empty() && ((token.front() >= '0' && token.front() <= '9') ||
                            token.front() == '-' || token.front() == '+');
}

std::vector<std::string_view> member_names(const EnumVocabulary& v) {
  std::vector<std::string_view> names;
  names.reserve(v.members.size());
  for (const EnumMember& m : v.members) names.push_back(m.name);
  return names;
}

std::string width_hex(std::uint32_t value, unsigned bits) {
  return hex32(value, static_cast<int>(bits / 4));
}

Record member_record(const EnumVocabulary& v, const EnumMember& m) {
  Record r;
  r.fields["vocabulary"] = std::string(v.name);
  r.fields["value"] = m.value;
  r.fields["hex"] = width_hex(m.value, v.bits);
  r.fields["name"] = std::string(m.name);
  return r;
}

}  // namespace

std::vector<std::string_view> suggest(std::string_view query,
                                      std::span<const std::string_view> candidates,
                                      std::size_t limit) {
  // Queries are names typed by a person; a very long one is no name at all,
  // and the quadratic distance would only waste time on it.
  if (query.size() > 200) return {};
  const std::size_t max_distance = std::max<std::size_t>(2, query.size() / 3);
  std::vector<std::pair<std::size_t, std::string_view>> scored;
  for (const std::string_view c : candidates) {
    std::size_t d = edit_distance(query, c);
    if (query.size() >= 3 && contains_ignoring_case(c, query)) d = std::min<std::size_t>(d, 1);
    if (d <= max_distance) scored.emplace_back(d, c);
  }
  std::stable_sort(scored.begin(), scored.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string_view> out;
  for (std::size_t i = 0; i < scored.size() && i < limit; ++i) out.push_back(scored[i].second);
  return out;
}

std::string did_you_mean(const std::vector<std::string_view>& suggestions) {
  if (suggestions.empty()) return {};
  std::string out = "; did you mean ";
  for (std::size_t i = 0; i < suggestions.size(); ++i) {
    if (i > 0) out += i + 1 == suggestions.size() ? " or " : ", ";
    out += "'" + std::string(suggestions[i]) + "'";
  }
  return out + "?";
}

VocabularyRef find_vocabulary(std::string_view wanted) {
  for (const EnumVocabulary& v : enum_vocabularies()) {
    if (v.name == wanted) return &v;
  }
  for (const FlagVocabulary& v : flag_vocabularies()) {
    if (v.name == wanted) return &v;
  }
  for (const EnumVocabulary& v : enum_vocabularies()) {
    if (equal_ignoring_case(v.name, wanted)) return &v;
  }
  for (const FlagVocabulary& v : flag_vocabularies()) {
    if (equal_ignoring_case(v.name, wanted)) return &v;
  }
  std::vector<std::string_view> names;
  for (const EnumVocabulary& v : enum_vocabularies()) names.push_back(v.name);
  for (const FlagVocabulary& v : flag_vocabularies()) names.push_back(v.name);
  return Error{"no vocabulary named " + quote(wanted) + did_you_mean(suggest(wanted, names))};
}

Command make_enum_command(const EnumVocabulary& vocabulary) {
  Command c;
  c.name = "enum";
  c.columns = {"vocabulary", "value", "hex", "name"};
  const EnumVocabulary* v = &vocabulary;
  c.process = [v](std::span<const std::string_view> fields) -> std::variant<Record, Error> {
    if (fields.size() != 1) {
      return Error{"expected one value or name, got " + std::to_string(fields.size()) +
                   " fields"};
    }
    const std::string_view token = fields[0];
    if (starts_with_digit_or_sign(token)) {
      auto raw = parse_u32(token, "value");
      if (auto* error = std::get_if<Error>(&raw)) return std::move(*error);
      const std::uint32_t value = std::get<std::uint32_t>(raw);
      const std::uint64_t largest = (std::uint64_t{1} << v->bits) - 1;
      if (value > largest) {
        return Error{"value " + std::to_string(value) + " does not fit the " +
                     std::to_string(v->bits) + "-bit storage of " + std::string(v->name) +
                     " (largest " + std::to_string(largest) + ")"};
      }
      const std::optional<std::size_t> index = v->index_of(value);
      if (!index) {
        return Error{"no " + std::string(v->name) + " member has value " +
                     std::to_string(value) + " (" + width_hex(value, v->bits) + ")"};
      }
      const EnumMember& m = v->members[*index];
      Record r = member_record(*v, m);
      r.text = std::to_string(value) + " (" + width_hex(value, v->bits) + ") = " +
               std::string(m.name);
      return r;
    }
    for (const EnumMember& m : v->members) {
      if (m.name == token) {
        Record r = member_record(*v, m);
        r.text = std::string(m.name) + " = " + std::to_string(m.value) + " (" +
                 width_hex(m.value, v->bits) + ")";
        return r;
      }
    }
    const std::vector<std::string_view> names = member_names(*v);
    return Error{"no " + std::string(v->name) + " member is named " + quote(token) +
                 did_you_mean(suggest(token, names))};
  };
  return c;
}

Command make_flags_command(const FlagVocabulary& vocabulary) {
  Command c;
  c.name = "flags";
  c.columns = {"vocabulary", "mask", "value", "names", "display_names", "unnamed"};
  const FlagVocabulary* v = &vocabulary;
  c.process = [v](std::span<const std::string_view> fields) -> std::variant<Record, Error> {
    std::uint32_t mask = 0;
    for (const std::string_view field : fields) {
      std::string_view rest = field;
      // Flag names may also be joined with '|', as in C++ ("CHEST|HEAD").
      while (true) {
        const std::size_t bar = rest.find('|');
        const std::string_view term = rest.substr(0, bar);
        if (term.empty()) return Error{"empty flag name in " + quote(field)};
        if (starts_with_digit_or_sign(term)) {
          auto raw = parse_u32(term, "mask");
          if (auto* error = std::get_if<Error>(&raw)) return std::move(*error);
          mask |= std::get<std::uint32_t>(raw);
        } else {
          const auto it = std::find_if(v->flags.begin(), v->flags.end(),
                                       [&](const FlagInfo& f) { return f.name == term; });
          if (it == v->flags.end()) {
            std::vector<std::string_view> names;
            for (const FlagInfo& f : v->flags) names.push_back(f.name);
            return Error{"no " + std::string(v->name) + " flag is named " + quote(term) +
                         did_you_mean(suggest(term, names))};
          }
          mask |= it->value;
        }
        if (bar == std::string_view::npos) break;
        rest.remove_prefix(bar + 1);
      }
    }
    const auto named = v->names_of(mask);
    std::uint32_t covered = 0;
    nlohmann::ordered_json names = nlohmann::ordered_json::array();
    std::string text = hex32(mask) + " =";
    for (std::size_t i = 0; i < named.size(); ++i) {
      covered |= named[i].second;
      names.push_back(std::string(named[i].first));
      text += (i == 0 ? " " : " | ") + std::string(named[i].first);
    }
    const std::uint32_t unnamed = mask & ~covered;
    if (mask == 0) {
      const auto zero = std::find_if(v->flags.begin(), v->flags.end(),
                                     [](const FlagInfo& f) { return f.value == 0; });
      text += zero != v->flags.end() ? " " + std::string(zero->name) + " (no bits)"
                                     : std::string(" (no bits)");
    }
    if (unnamed != 0) text += (named.empty() ? " unnamed " : " | unnamed ") + hex32(unnamed);
    Record r;
    r.fields["vocabulary"] = std::string(v->name);
    r.fields["mask"] = hex32(mask);
    r.fields["value"] = mask;
    r.fields["names"] = std::move(names);
    if (v->has_display_names) {
      nlohmann::ordered_json display = nlohmann::ordered_json::array();
      const auto shown = v->display_names_of(mask);
      std::string joined;
      for (const std::string_view d : shown) {
        display.push_back(std::string(d));
        joined += (joined.empty() ? "" : ", ") + std::string(d);
      }
      r.fields["display_names"] = std::move(display);
      if (!joined.empty()) text += " (" + joined + ")";
    }
    r.fields["unnamed"] = hex32(unnamed);
    r.text = std::move(text);
    return r;
  };
  return c;
}

namespace {

void list(std::ostream& out, Format format, bool with_enumerations) {
  std::vector<Record> rows;
  std::size_t width = 0;
  for (const EnumVocabulary& v : enum_vocabularies()) {
    if (with_enumerations) width = std::max(width, v.name.size());
  }
  for (const FlagVocabulary& v : flag_vocabularies()) width = std::max(width, v.name.size());
  const auto pad = [width](std::string_view s) {
    return std::string(s) + std::string(width + 2 - s.size(), ' ');
  };
  for (const EnumVocabulary& v : enum_vocabularies()) {
    if (!with_enumerations) break;
    Record r;
    r.fields["vocabulary"] = std::string(v.name);
    r.fields["kind"] = "enumeration";
    r.fields["members"] = v.members.size();
    r.fields["bits"] = v.bits;
    std::string dflt;
    if (v.default_value) dflt = std::string(v.name_of(*v.default_value).value_or(""));
    r.fields["default"] = v.default_value ? nlohmann::ordered_json(dflt) : nullptr;
    std::string count = std::to_string(v.members.size());
    r.text = pad(v.name) + "enumeration  " + std::string(4 - std::min<std::size_t>(4, count.size()), ' ') +
             count + " members  " + std::to_string(v.bits) + "-bit" +
             (dflt.empty() ? "" : (v.bits < 10 ? "   default " : "  default ") + dflt);
    rows.push_back(std::move(r));
  }
  for (const FlagVocabulary& v : flag_vocabularies()) {
    Record r;
    r.fields["vocabulary"] = std::string(v.name);
    r.fields["kind"] = "flags";
    r.fields["members"] = v.flags.size();
    r.fields["bits"] = 32;
    r.fields["default"] = nullptr;
    std::string count = std::to_string(v.flags.size());
    r.text = pad(v.name) + "flag set     " + std::string(4 - std::min<std::size_t>(4, count.size()), ' ') +
             count + " flags    32-bit  all " + hex32(v.all);
    rows.push_back(std::move(r));
  }
  write_table(out, format, {"vocabulary", "kind", "members", "bits", "default"}, rows);
}

}  // namespace

void list_vocabularies(std::ostream& out, Format format) { list(out, format, true); }

void list_flag_sets(std::ostream& out, Format format) { list(out, format, false); }

void list_members(std::ostream& out, Format format, const EnumVocabulary& v) {
  std::vector<Record> rows;
  const std::size_t digits = std::to_string((std::uint64_t{1} << v.bits) - 1).size();
  for (const EnumMember& m : v.members) {
    Record r = member_record(v, m);
    const std::string value = std::to_string(m.value);
    r.text = std::string(digits - std::min(digits, value.size()), ' ') + value + "  " +
             width_hex(m.value, v.bits) + "  " + std::string(m.name);
    rows.push_back(std::move(r));
  }
  write_table(out, format, {"vocabulary", "value", "hex", "name"}, rows);
}

void list_flags(std::ostream& out, Format format, const FlagVocabulary& v) {
  std::vector<Record> rows;
  std::size_t width = 0;
  for (const FlagInfo& f : v.flags) width = std::max(width, f.name.size());
  for (const FlagInfo& f : v.flags) {
    Record r;
    r.fields["vocabulary"] = std::string(v.name);
    r.fields["mask"] = hex32(f.value);
    r.fields["value"] = f.value;
    r.fields["name"] = std::string(f.name);
    r.fields["display_name"] =
        f.display_name.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(std::string(f.display_name));
    r.text = hex32(f.value) + "  " + std::string(f.name);
    if (!f.display_name.empty()) {
      r.text += std::string(width + 2 - f.name.size(), ' ') + std::string(f.display_name);
    }
    rows.push_back(std::move(r));
  }
  write_table(out, format, {"vocabulary", "mask", "value", "name", "display_name"}, rows);
}

}  // namespace corvane::cli
