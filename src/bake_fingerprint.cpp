#include "corvane/bake_fingerprint.hpp"

#include "corvane/detail/bit_cast.hpp"
#include "fingerprint_kernels.hpp"

namespace corvane {

std::uint32_t fingerprint_f32_bits(float v, FloatCanon canon) noexcept {
  const auto bits = detail::bit_cast<std::uint32_t>(v);
  if (canon == FloatCanon::Lossless) return detail::lossless_bits(bits);
  return detail::six_dp_bits(bits);
}

std::uint32_t wire_f32_bits(float v) noexcept {
  return detail::six_dp_bits(detail::bit_cast<std::uint32_t>(v));
}

}  // namespace corvane
