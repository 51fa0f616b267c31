// The one structure form of every debug text, "Type { a: 1.0, b: 0x00000100 }",
// and the stack buffer sized for a type's longest debug text.
//
// A type takes part by an overload `append_debug(Out&, const T&)` in
// corvane::detail, templated on the output (text/stack_text.hpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

#include "text/stack_text.hpp"

namespace corvane::detail {

template <class Out>
constexpr void append_debug(Out& out, float value) {
  out.append_float(value);
}

template <class Out, class U>
  requires std::is_unsigned_v<U> && (!std::is_same_v<U, bool>)
constexpr void append_debug(Out& out, U value) {
  out.append_decimal(value);
}

/// A named field of a debug text.
template <class T>
struct DebugField {
  std::string_view name;
  const T& value;
};

template <class T>
constexpr DebugField<T> field(std::string_view name, const T& value) noexcept {
  return {name, value};
}

/// "Type { name: value, ... }": the type's name, then each field's name and
/// debug text.
template <class Out, class... T>
constexpr void append_struct(Out& out, std::string_view type, const DebugField<T>&... fields) {
  out << type;
  std::string_view separator = " { ";
  ((out << separator << fields.name << ": ", append_debug(out, fields.value), separator = ", "),
   ...);
  out << " }";
}

/// The most characters of any debug text of a T.
template <class T>
consteval std::size_t max_debug_chars() {
  CharBound bound;
  append_debug(bound, T{});
  return bound.count();
}

/// The debug text of `value`, on the stack.
template <class T>
StackText<max_debug_chars<T>()> debug_text(const T& value) noexcept {
  StackText<max_debug_chars<T>()> text;
  append_debug(text, value);
  return text;
}

}  // namespace corvane::detail
