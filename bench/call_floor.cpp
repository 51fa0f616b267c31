// Out-of-line functions that do no arithmetic, in their own translation unit
// so the benchmark cannot inline them: what a call that takes and returns the
// library's value types costs on its own, the floor under every math row.
#include "call_floor.hpp"

#include <bit>

namespace corvane_bench {

corvane::Quaternion pass_quaternion(const corvane::Quaternion& a,
                                    const corvane::Quaternion& /*b*/) noexcept {
  return a;
}

corvane::Vector3 pass_vector(const corvane::Quaternion& /*q*/, const corvane::Vector3& v) noexcept {
  return v;
}

std::uint32_t pass_float_bits(float v) noexcept { return std::bit_cast<std::uint32_t>(v); }

}  // namespace corvane_bench
