// Internal: the adapter that runs the batch kernels one float at a time, for
// the portable path, the elements after the last whole vector, and the
// single-value operations, so that each formula is written once (see
// lanes_x86.hpp for the operations). Included only by sources compiled with
// the library's strict float flags (no contraction, no fast-math).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "corvane/detail/bit_cast.hpp"
#include "corvane/position.hpp"
#include "crmath/cr_math.hpp"
#include "fingerprint_kernels.hpp"

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
inline V sqrt(V a) noexcept { return cr_sqrt(a); }
inline V canonical_nan(V v) noexcept { return with_canonical_nan(v); }
inline V select_positive(V mag, V a, V b) noexcept { return mag > 0.0f ? a : b; }
inline void transpose4(V&, V&, V&, V&) noexcept {}
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

using M = bool;
using D = double;
// Through memory, not a float register: on i686 a float load may quieten a
// signalling NaN.
inline I load_bits(const float* p) noexcept {
  I bits;
  std::memcpy(&bits, p, sizeof bits);
  return bits;
}
inline void store_bits(std::uint32_t* p, I v) noexcept { *p = v; }
inline I set1_i(std::uint32_t v) noexcept { return v; }
inline I and_i(I a, I b) noexcept { return a & b; }
inline I or_i(I a, I b) noexcept { return a | b; }
inline M eq_i(I a, I b) noexcept { return a == b; }
inline M gt_i(I a, I b) noexcept {  // signed, as the vector compares are
  return static_cast<std::int32_t>(a) > static_cast<std::int32_t>(b);
}
inline I select_i(M m, I a, I b) noexcept { return m ? a : b; }
inline V as_float(I v) noexcept { return detail::bit_cast<float>(v); }
inline I as_bits(V v) noexcept { return detail::bit_cast<std::uint32_t>(v); }
inline D set1_d(double v) noexcept { return v; }
inline D add_d(D a, D b) noexcept { return a + b; }
inline D sub_d(D a, D b) noexcept { return a - b; }
inline D mul_d(D a, D b) noexcept { return a * b; }
// One lane: the "high half" is empty and narrow() drops it.
inline D widen_low(V v) noexcept { return static_cast<double>(v); }
inline D widen_high(V) noexcept { return 0.0; }
inline V narrow(D low, D) noexcept { return static_cast<float>(low); }

#include "batch/fingerprint_lanes.inc"
#include "batch/position_lanes.inc"
#include "batch/quaternion_lanes.inc"

}  // namespace corvane::detail::lanes::scalar
