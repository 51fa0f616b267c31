#include "input.hpp"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <system_error>
#include <utility>

#include "text/decimal_to_float.hpp"
#include "text/hex.hpp"

namespace corvane::cli {

char lower_ascii(char c) noexcept {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equal_ignoring_case(std::string_view a, std::string_view b) noexcept {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return lower_ascii(x) == lower_ascii(y);
         });
}

Error error_of(std::initializer_list<std::string_view> parts) {
  Error error;
  for (const std::string_view part : parts) error.message += part;
  return error;
}

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;

}  // namespace

LineReader::LineReader(std::streambuf& in, std::size_t max_bytes)
    : in_(&in), max_bytes_(max_bytes), buffer_(kReadChunk) {}

LineReader::LineReader(int fd, std::function<void()> before_wait, std::size_t max_bytes)
    : fd_(fd), before_wait_(std::move(before_wait)), max_bytes_(max_bytes), buffer_(kReadChunk) {}

bool LineReader::refill() {
  begin_ = 0;
  end_ = 0;
  if (eof_) return false;
  if (in_ != nullptr) {
    const std::streamsize got =
        in_->sgetn(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    if (got <= 0) eof_ = true;
    end_ = got > 0 ? static_cast<std::size_t>(got) : 0;
    return end_ > 0;
  }
  if (before_wait_) {
    pollfd waiting{fd_, POLLIN, 0};
    if (::poll(&waiting, 1, 0) == 0) before_wait_();
  }
  for (;;) {
    const ssize_t got = ::read(fd_, buffer_.data(), buffer_.size());
    if (got > 0) {
      end_ = static_cast<std::size_t>(got);
      return true;
    }
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) error_ = std::strerror(errno);
    eof_ = true;
    return false;
  }
}

// What runs once per input line is marked hot: the compiler gathers hot
// functions together, so that the code of a line, millions of times over,
// stays in the instruction cache instead of being spread across the program.
[[gnu::hot]]
bool LineReader::next(RawLine& line) {
  line.text.clear();
  line.too_long = false;
  bool any = false;
  for (;;) {
    if (begin_ == end_ && !refill()) {
      if (!any) return false;
      break;
    }
    any = true;
    const char* start = buffer_.data() + begin_;
    const std::size_t available = end_ - begin_;
    const void* newline = std::memchr(start, '\n', available);
    const std::size_t take =
        newline != nullptr ? static_cast<std::size_t>(static_cast<const char*>(newline) - start)
                           : available;
    const std::size_t room = max_bytes_ - line.text.size();
    if (take > room) {
      // Keep reading to the newline so the next line starts in the right
      // place, but keep none of it.
      line.too_long = true;
    }
    line.text.append(start, std::min(take, room));
    begin_ += take;
    if (newline != nullptr) {
      ++begin_;
      break;
    }
  }
  if (!line.too_long && !line.text.empty() && line.text.back() == '\r') line.text.pop_back();
  return true;
}

std::optional<RawLine> LineReader::next() {
  RawLine line;
  if (!next(line)) return std::nullopt;
  return line;
}

namespace {

/// Length of the well-formed UTF-8 sequence at `i` (1 to 4), or 0 when the
/// bytes there are malformed, truncated, overlong, a surrogate or past U+10FFFF.
std::size_t sequence_length(std::string_view text, std::size_t i) noexcept {
  const auto b = static_cast<unsigned char>(text[i]);
  if (b < 0x80) return 1;
  std::size_t len = 0;
  std::uint32_t cp = 0;
  if (b >= 0xC2 && b <= 0xDF) {
    len = 2;
    cp = b & 0x1Fu;
  } else if (b >= 0xE0 && b <= 0xEF) {
    len = 3;
    cp = b & 0x0Fu;
  } else if (b >= 0xF0 && b <= 0xF4) {
    len = 4;
    cp = b & 0x07u;
  } else {
    return 0;
  }
  if (text.size() - i < len) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const auto cont = static_cast<unsigned char>(text[i + k]);
    if ((cont & 0xC0u) != 0x80u) return 0;
    cp = (cp << 6) | (cont & 0x3Fu);
  }
  if ((len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || cp > 0x10FFFF ||
      (cp >= 0xD800 && cp <= 0xDFFF)) {
    return 0;
  }
  return len;
}

}  // namespace

[[gnu::hot]]
std::optional<Error> check_text(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '\0') return error_of({"NUL byte at byte ", std::to_string(i + 1)});
    const std::size_t len = sequence_length(text, i);
    if (len == 0) return error_of({"malformed UTF-8 at byte ", std::to_string(i + 1)});
    i += len;
  }
  return std::nullopt;
}

std::string replace_malformed(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len = text[i] == '\0' ? 0 : sequence_length(text, i);
    if (len == 0) {
      out += "\xEF\xBF\xBD";  // U+FFFD REPLACEMENT CHARACTER
      ++i;
    } else {
      out.append(text.substr(i, len));
      i += len;
    }
  }
  return out;
}

namespace {

constexpr bool is_blank(char c) noexcept {
  return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s) noexcept {
  while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

[[gnu::hot]]
SplitLine split_comment(std::string_view line) noexcept {
  const std::size_t hash = line.find('#');
  if (hash == std::string_view::npos) return {trim(line), {}, false};
  return {trim(line.substr(0, hash)), trim(line.substr(hash + 1)), true};
}

bool is_header_line(std::string_view line) {
  const auto fields = split_fields(split_comment(line).data);
  const auto* names = std::get_if<std::vector<std::string_view>>(&fields);
  if (names == nullptr || names->empty()) return false;
  const auto is_letter = [](char c) { return lower_ascii(c) >= 'a' && lower_ascii(c) <= 'z'; };
  return std::all_of(names->begin(), names->end(), [&](std::string_view name) {
    return (is_letter(name.front()) || name.front() == '_') &&
           std::all_of(name.begin(), name.end(),
                       [&](char c) { return is_letter(c) || (c >= '0' && c <= '9') || c == '_'; }) &&
           !detail::read_float_text(name);
  });
}

[[gnu::hot]]
bool is_passthrough(std::string_view line) noexcept {
  return split_comment(line).data.empty();
}

[[gnu::hot]]
std::optional<Error> split_fields(std::string_view data, std::vector<std::string_view>& fields) {
  fields.clear();
  std::size_t i = 0;
  const std::size_t n = data.size();
  while (i < n && is_blank(data[i])) ++i;
  if (i < n && data[i] == ',') return error_of({"empty field before the first comma"});
  while (i < n) {
    const std::size_t start = i;
    while (i < n && !is_blank(data[i]) && data[i] != ',') ++i;
    fields.push_back(data.substr(start, i - start));
    // One separator: blanks, or one comma with optional blanks around it.
    while (i < n && is_blank(data[i])) ++i;
    if (i < n && data[i] == ',') {
      ++i;
      while (i < n && is_blank(data[i])) ++i;
      if (i == n) return error_of({"empty field after the last comma"});
      if (data[i] == ',') {
        return error_of({"empty field ", std::to_string(fields.size() + 1), " between two commas"});
      }
    }
  }
  return std::nullopt;
}

std::variant<std::vector<std::string_view>, Error> split_fields(std::string_view data) {
  std::vector<std::string_view> fields;
  if (auto error = split_fields(data, fields)) return std::move(*error);
  return fields;
}

std::string quote(std::string_view token) {
  constexpr std::size_t kMax = 40;
  std::string out = "'";
  std::size_t shown = 0;
  for (const char ch : token) {
    if (shown == kMax) {
      out += "...";
      break;
    }
    const auto b = static_cast<unsigned char>(ch);
    if (b >= 0x20 && b < 0x7F && ch != '\\') {
      out.push_back(ch);
    } else {
      char escape[4] = {'\\', 'x'};
      detail::write_hex(escape + 2, b, 2);
      out.append(escape, sizeof escape);
    }
    ++shown;
  }
  out += "'";
  return out;
}

[[gnu::hot]]
std::variant<std::uint32_t, Error> parse_u32(std::string_view token, std::string_view what) {
  if (token.empty()) return error_of({"missing ", what});
  std::string_view s = token;
  if (s.front() == '+') s.remove_prefix(1);
  const bool negative = !s.empty() && s.front() == '-';
  if (negative) s.remove_prefix(1);
  int base = 10;
  if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    s.remove_prefix(2);
    base = 16;
  }
  std::uint64_t value = 0;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
  const bool all_digits = !s.empty() && ptr == s.data() + s.size() &&
                          (ec == std::errc{} || ec == std::errc::result_out_of_range);
  if (!all_digits) {
    return error_of({what, " ", quote(token),
                     " is not a number (write it in decimal, or in hexadecimal after 0x)"});
  }
  if (negative) return error_of({what, " ", quote(token), " is negative"});
  if (ec == std::errc::result_out_of_range || value > 0xFFFFFFFFu) {
    return error_of({what, " ", quote(token), " is above 0xFFFFFFFF (4294967295)"});
  }
  return static_cast<std::uint32_t>(value);
}

[[gnu::hot]]
std::variant<float, Error> parse_f32(std::string_view token, std::string_view what,
                                     NonFinite non_finite) {
  if (token.empty()) return error_of({"missing ", what});
  const auto reading = detail::read_float_text(token);
  if (!reading) return error_of({what, " ", quote(token), " is not a number"});
  // Overflow is an error. Underflow is no error: the text rounds to the
  // nearest subnormal or zero, as every float conversion does.
  if (reading->overflow) {
    return error_of({what, " ", quote(token),
                     " is out of float range (largest magnitude 3.4028235e38)"});
  }
  if (non_finite == NonFinite::Reject && !std::isfinite(reading->value)) {
    return error_of({what, " ", quote(token), " is not finite"});
  }
  return reading->value;
}

}  // namespace corvane::cli
