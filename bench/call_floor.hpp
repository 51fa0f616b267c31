// See call_floor.cpp.
#pragma once

#include <cstdint>

#include "corvane/math.hpp"

namespace corvane_bench {

/// Returns `a`, out of line: the shape of Quaternion::multiply without its work.
[[gnu::noinline]] corvane::Quaternion pass_quaternion(const corvane::Quaternion& a,
                                                      const corvane::Quaternion& b) noexcept;
/// Returns `v`, out of line: the shape of Quaternion::rotate_vector without its work.
[[gnu::noinline]] corvane::Vector3 pass_vector(const corvane::Quaternion& q,
                                               const corvane::Vector3& v) noexcept;

/// The bits of `v`, out of line: the shape of fingerprint_f32_bits without its work.
[[gnu::noinline]] std::uint32_t pass_float_bits(float v) noexcept;

}  // namespace corvane_bench
