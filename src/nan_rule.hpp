// Internal: the NaN rule for results of the library's own float arithmetic.
// An x86 CPU creates the NaN 0xFFC00000 where ARM and s390x create 0x7FC00000;
// every NaN a sum, product, quotient or square root creates propagates with
// one of these two patterns, so mapping the first to the second at each result
// gives the same bits on every machine. Any other NaN came in as an input and
// passes through.
#pragma once

#include <array>
#include <cstddef>

#include "corvane/math.hpp"
#include "crmath/cr_math.hpp"

namespace corvane::detail {

inline Vector3 with_canonical_nan(const Vector3& v) noexcept {
  return {with_canonical_nan(v.x), with_canonical_nan(v.y), with_canonical_nan(v.z)};
}

inline Quaternion with_canonical_nan(const Quaternion& q) noexcept {
  return {with_canonical_nan(q.w), with_canonical_nan(q.x), with_canonical_nan(q.y),
          with_canonical_nan(q.z)};
}

inline std::array<float, 9> with_canonical_nan(std::array<float, 9> m) noexcept {
  for (float& v : m) v = with_canonical_nan(v);
  return m;
}

}  // namespace corvane::detail
