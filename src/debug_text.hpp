// Internal: debug-text writers shared by the modules, so that nested values
// (a Vector3 inside a WorldPosition) are written into one stack buffer.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "corvane/guid.hpp"
#include "corvane/math.hpp"
#include "float_text.hpp"

namespace corvane::detail {

/// Longest "Vector3 { x: ..., y: ..., z: ... }".
inline constexpr std::size_t kMaxVector3DebugChars = 13 + 3 * kMaxShortestFloatChars + 14;
/// Longest "Quaternion { w: ..., x: ..., y: ..., z: ... }".
inline constexpr std::size_t kMaxQuaternionDebugChars = 16 + 4 * kMaxShortestFloatChars + 20;

/// Length of a Guid's debug text, "0x" and eight digits.
inline constexpr std::size_t kGuidDebugChars = 10;

template <std::size_t N>
void append_debug(FixedText<N>& text, Guid guid) noexcept {
  text << "0x";
  text.append_hex(guid.raw, 8);
}

template <std::size_t N>
void append_debug(FixedText<N>& text, const Vector3& v) noexcept {
  text << "Vector3 { x: ";
  text.append_float(v.x) << ", y: ";
  text.append_float(v.y) << ", z: ";
  text.append_float(v.z) << " }";
}

template <std::size_t N>
void append_debug(FixedText<N>& text, const Quaternion& q) noexcept {
  text << "Quaternion { w: ";
  text.append_float(q.w) << ", x: ";
  text.append_float(q.x) << ", y: ";
  text.append_float(q.y) << ", z: ";
  text.append_float(q.z) << " }";
}

/// Writes `text` unpadded, then uses up the stream's width as any formatted
/// output does (as the enumerations' writer does), so that a width meant for
/// this value does not pad the next output.
inline std::ostream& write_text(std::ostream& os, std::string_view text) {
  os.write(text.data(), static_cast<std::streamsize>(text.size()));
  os.width(0);
  return os;
}

template <std::size_t N>
std::ostream& write_text(std::ostream& os, const FixedText<N>& text) {
  return write_text(os, text.view());
}

template <std::size_t N>
std::string to_string(const FixedText<N>& text) {
  return std::string(text.view());
}

}  // namespace corvane::detail
