// Internal: the adapter that runs the batch kernels one float at a time, for
// the portable path, the elements after the last whole vector, and the
// single-value operations, so that each formula is written once (see
// lanes_x86.hpp for the operations). Included only by sources compiled with
// the library's strict float flags (no contraction, no fast-math).
#pragma once

#include <cstddef>
#include <cstdint>

#include "corvane/position.hpp"
#include "crmath/cr_math.hpp"

namespace corvane::detail::lanes::scalar {

using V = float;
using I = std::uint32_t;
inline constexpr std::size_t kWidth = 1;

inline V add(V a, V b) noexcept { return a + b; }
inline V sub(V a, V b) noexcept { return a - b; }
inline V mul(V a, V b) noexcept { return a * b; }
inline V div(V a, V b) noexcept { return a / b; }
inline V set1(float f) noexcept { return f; }
inline V loadu(const float* p) noexcept { return *p; }
inline void storeu(float* p, V v) noexcept { *p = v; }
inline V canonical_nan(V v) noexcept { return with_canonical_nan(v); }
template <std::size_t Stride>
inline V gather(const float* p) noexcept {
  return *p;
}
inline I load_ids(const std::uint32_t* p) noexcept { return *p; }
inline V landblock_x(I id) noexcept { return static_cast<float>(id >> 24); }
inline V landblock_y(I id) noexcept { return static_cast<float>((id >> 16) & 0xFFu); }
inline void load_position_rows(const WorldPosition* p, I& id, V& x, V& y) noexcept {
  id = p->landblock_id.raw;
  x = p->coords.x;
  y = p->coords.y;
}

#include "batch/position_lanes.inc"

}  // namespace corvane::detail::lanes::scalar
