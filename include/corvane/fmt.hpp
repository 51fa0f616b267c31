// Optional formatting support: {fmt} (9 or later) and, where the standard
// library has it, std::format, for every corvane value type.
//
//   #include <fmt/format.h>         // or spdlog, which brings {fmt} along
//   #include "corvane/position.hpp"
//   #include "corvane/fmt.hpp"
//   fmt::print("{} is at {}\n", guid, pos.to_world_coords());  // operator<< text
//   fmt::print("{:?}\n", pos);                                // debug_string text
//
// Which types: every type whose associated namespace is `corvane` and that has
// both `operator<<` and `debug_string` (the pair every value type provides).
// Module headers need to do nothing for their types to be picked up; a type
// added later is covered as soon as its header is included. Ranges are left to
// {fmt}'s own range support. (A type declared in a namespace nested inside
// corvane is not covered: argument-dependent lookup sees only the innermost
// namespace. Declare value types directly in corvane.)
//
// Format spec: `[[fill]align][width][.precision]['?']`, as for strings:
//   {}       the operator<< text (the display text where a type has one, such
//            as the map text of WorldCoordinates; the debug text otherwise)
//   {:?}     the debug text (debug_string), following {fmt}'s `?` convention
//   {:>12}   either text padded to 12 characters; '<' (the default), '>' or
//            '^' alignment, any ASCII fill character except '{' and '}'.
// Enumeration members are names, written bare: width, fill, alignment and
// precision are accepted and ignored, for {:?} and for {} alike, except for
// the display text of an enumeration that has one (EmoteCategory, whose
// display_name exists), which is padded, and cut to `precision` characters,
// like a string. Other types reject a precision. Dynamic widths and
// precisions (`{:{}}`) are rejected (a compile-time error with checked format
// strings).
//
// {fmt} is used when it has been included before this header, or else when
// <fmt/format.h> can be found. The std::formatter specialisations exist only
// where the library defines __cpp_lib_format (not GCC 12's libstdc++).
//
// A program that has its own formatter for one of these types can switch this
// one off: `template <> inline constexpr bool corvane::enable_formatter<T> = false;`.
#pragma once

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <locale>
#include <ostream>
#include <ranges>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <version>

#if !defined(FMT_VERSION) && __has_include(<fmt/format.h>)
#include <fmt/format.h>
#endif
#if defined(FMT_VERSION) && !defined(FMT_THROW)
#include <fmt/format.h>  // only <fmt/core.h> was included: formatters need format_error
#endif
#if defined(__cpp_lib_format)
#include <format>
#endif

namespace corvane {

/// Whether fmt.hpp provides `fmt::formatter<T>` and `std::formatter<T>` for a
/// value type `T`. True for every type; specialise it to false for a type the
/// program formats with a formatter of its own.
template <typename T>
inline constexpr bool enable_formatter = true;

namespace fmt_detail {
struct InCorvane {};
}  // namespace fmt_detail

/// Never defined: found only by argument-dependent lookup, it tells whether
/// `corvane` is among a type's associated namespaces.
template <typename T>
fmt_detail::InCorvane corvane_formatter_probe(const T&);

namespace fmt_detail {

// Hides corvane::corvane_formatter_probe from ordinary lookup in this
// namespace, so that the call below finds it only through ADL.
void corvane_formatter_probe() = delete;

/// The types fmt.hpp formats: corvane types with operator<< and debug_string.
template <typename T>
concept Formattable =
    enable_formatter<T> && !std::is_pointer_v<T> && !std::ranges::range<T> &&
    requires(const T& value, std::ostream& os) {
      { corvane_formatter_probe(value) } -> std::same_as<InCorvane>;
      { os << value } -> std::same_as<std::ostream&>;
      { debug_string(value) } -> std::convertible_to<std::string>;
    };

/// A parsed `[[fill]align][width][.precision]['?']` spec.
struct Spec {
  char fill = ' ';
  char align = '<';
  std::size_t width = 0;
  bool has_precision = false;
  std::size_t precision = 0;
  bool debug = false;
};

/// Enumeration members, written bare: no padding, no cut.
template <typename T>
concept BareName = std::is_enum_v<T>;

/// An enumeration whose display text ({}) is formatted like a string.
template <typename T>
concept NameWithDisplay = BareName<T> && requires(const T& value) { display_name(value); };

/// Whether `.precision` means something for T's texts (and is accepted).
template <typename T>
inline constexpr bool accepts_precision = BareName<T>;

/// Parses the format options from `it` up to the closing '}' (or `end`) and returns the
/// position of that '}'. Calls `fail(message)`, which must throw, on a spec
/// this formatter does not accept.
template <typename It, typename Fail>
constexpr It parse_spec(It it, It end, Spec& spec, Fail fail) {
  const auto is_align = [](char c) { return c == '<' || c == '>' || c == '^'; };
  if (it == end || *it == '}') return it;
  // A fill character is recognised by the alignment that follows it.
  if (It next = it; ++next != end && is_align(*next)) {
    if (*it == '{' || static_cast<unsigned char>(*it) > 0x7F) fail("invalid fill character");
    spec.fill = *it;
    spec.align = *next;
    it = ++next;
  } else if (is_align(*it)) {
    spec.align = *it;
    ++it;
  }
  if (it != end && *it == '0') fail("zero padding needs a numeric argument");
  if (it != end && *it == '{') fail("dynamic width is not supported for corvane values");
  while (it != end && *it >= '0' && *it <= '9') {
    spec.width = spec.width * 10 + static_cast<std::size_t>(*it - '0');
    if (spec.width > 1'000'000) fail("width too large");
    ++it;
  }
  if (it != end && *it == '.') {
    ++it;
    if (it == end || *it < '0' || *it > '9') fail("expected digits after '.'");
    spec.has_precision = true;
    while (it != end && *it >= '0' && *it <= '9') {
      spec.precision = spec.precision * 10 + static_cast<std::size_t>(*it - '0');
      if (spec.precision > 1'000'000) fail("precision too large");
      ++it;
    }
  }
  if (it != end && *it == '?') {
    spec.debug = true;
    ++it;
  }
  if (it != end && *it != '}') fail("invalid format spec for a corvane value");
  return it;
}

/// The text `{}` or `{:?}` writes before padding.
template <Formattable T>
std::string text_of(const T& value, bool debug) {
  if (debug) return std::string(debug_string(value));
  std::ostringstream os;
  os.imbue(std::locale::classic());
  os << value;
  return std::move(os).str();
}

/// Characters as a reader counts them: UTF-8 code points.
inline std::size_t display_length(std::string_view text) noexcept {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0u) != 0x80u;
  }));
}

/// `text` cut to `count` code points.
inline std::string_view first_code_points(std::string_view text, std::size_t count) noexcept {
  std::size_t seen = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0u) != 0x80u && seen++ == count) {
      return text.substr(0, i);
    }
  }
  return text;
}

template <typename Out>
Out write_padded(Out out, std::string_view text, const Spec& spec) {
  if (spec.has_precision) text = first_code_points(text, spec.precision);
  const std::size_t length = display_length(text);
  const std::size_t padding = spec.width > length ? spec.width - length : 0;
  std::size_t before = 0;
  if (spec.align == '>') before = padding;
  if (spec.align == '^') before = padding / 2;
  out = std::fill_n(out, before, spec.fill);
  out = std::copy(text.begin(), text.end(), out);
  return std::fill_n(out, padding - before, spec.fill);
}

/// Parses a spec for a value of type T; see the top of this file.
template <Formattable T, typename It, typename Fail>
constexpr It parse_spec_for(It it, It end, Spec& spec, Fail fail) {
  it = parse_spec(it, end, spec, fail);
  if (spec.has_precision && !accepts_precision<T>) fail("precision is not supported for this value");
  return it;
}

/// Writes `value` as `spec` asks.
template <Formattable T, typename Out>
Out format_value(Out out, const T& value, const Spec& spec) {
  const std::string text = text_of(value, spec.debug);
  if constexpr (BareName<T>) {
    if (spec.debug || !NameWithDisplay<T>) return std::copy(text.begin(), text.end(), out);
  }
  return write_padded(out, text, spec);
}

}  // namespace fmt_detail
}  // namespace corvane

#if defined(FMT_VERSION)
/// {fmt} support for corvane value types; see the top of corvane/fmt.hpp.
template <typename T>
  requires corvane::fmt_detail::Formattable<T>
struct fmt::formatter<T, char> {
  corvane::fmt_detail::Spec spec;

  constexpr auto parse(fmt::format_parse_context& ctx) -> decltype(ctx.begin()) {
    return corvane::fmt_detail::parse_spec_for<T>(ctx.begin(), ctx.end(), spec,
                                                  [](const char* message) {
                                                    FMT_THROW(fmt::format_error(message));
                                                  });
  }

  template <typename FormatContext>
  auto format(const T& value, FormatContext& ctx) const -> decltype(ctx.out()) {
    return corvane::fmt_detail::format_value(ctx.out(), value, spec);
  }
};
#endif

#if defined(__cpp_lib_format)
/// std::format support for corvane value types; see the top of corvane/fmt.hpp.
template <typename T>
  requires corvane::fmt_detail::Formattable<T>
struct std::formatter<T, char> {
  corvane::fmt_detail::Spec spec;

  constexpr auto parse(std::format_parse_context& ctx) -> decltype(ctx.begin()) {
    return corvane::fmt_detail::parse_spec_for<T>(ctx.begin(), ctx.end(), spec,
                                                  [](const char* message) {
                                                    throw std::format_error(message);
                                                  });
  }

  template <typename FormatContext>
  auto format(const T& value, FormatContext& ctx) const -> decltype(ctx.out()) {
    return corvane::fmt_detail::format_value(ctx.out(), value, spec);
  }
};
#endif
