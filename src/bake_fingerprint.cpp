#include "corvane/bake_fingerprint.hpp"

#include "corvane/detail/bit_cast.hpp"
#include "batch/scalar_lanes.hpp"

namespace corvane {

std::uint32_t fingerprint_f32_bits(float v, FloatCanon canon) noexcept {
  const auto bits = detail::bit_cast<std::uint32_t>(v);
  if (canon == FloatCanon::Lossless) return detail::lanes::scalar::lossless(bits);
  return detail::lanes::scalar::six_dp(bits);
}

std::uint32_t wire_f32_bits(float v) noexcept {
  return detail::lanes::scalar::six_dp(detail::bit_cast<std::uint32_t>(v));
}

}  // namespace corvane
