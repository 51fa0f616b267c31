// Debug texts of the value types that other types hold (a Vector3 inside a
// WorldPosition), so that a nested value is written into the same buffer.
#pragma once

#include "corvane/guid.hpp"
#include "corvane/math.hpp"
#include "text/debug_form.hpp"

namespace corvane::detail {

/// "0x" and eight uppercase hexadecimal digits.
template <class Out>
constexpr void append_debug(Out& out, Guid guid) {
  out << "0x";
  out.append_hex(guid.raw, 8);
}

template <class Out>
constexpr void append_debug(Out& out, const Vector3& v) {
  append_struct(out, "Vector3", field("x", v.x), field("y", v.y), field("z", v.z));
}

template <class Out>
constexpr void append_debug(Out& out, const Quaternion& q) {
  append_struct(out, "Quaternion", field("w", q.w), field("x", q.x), field("y", q.y),
                field("z", q.z));
}

}  // namespace corvane::detail
