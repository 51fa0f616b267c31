// Guide example: fingerprinting baked data. Each "// prints:" comment is
// checked against the output.
#include <bit>
#include <cstdint>
#include <iostream>

#include "corvane/bake_fingerprint.hpp"

int main() {
  using corvane::FloatCanon;

  // [canon]
  const float component = std::bit_cast<float>(0x3F3504F4u);  // 0.7071068
  std::cout << std::hex << std::uppercase;
  // Lossless keeps the bits; SixDp keeps what six decimals ("0.707107") read back as.
  std::cout << corvane::fingerprint_f32_bits(component, FloatCanon::Lossless) << '\n';  // prints: 3F3504F4
  std::cout << corvane::fingerprint_f32_bits(component, FloatCanon::SixDp) << '\n';  // prints: 3F3504F7
  std::cout << corvane::wire_f32_bits(component) << '\n';  // prints: 3F3504F7
  // Both regimes merge the two zeros.
  std::cout << corvane::fingerprint_f32_bits(-0.0f, FloatCanon::Lossless) << '\n';  // prints: 0
  // [canon]

  // [fold]
  // Start from the offset basis and fold each 32-bit word in order.
  std::uint64_t h = corvane::FNV1A_OFFSET_BASIS;
  h = corvane::fnv1a_fold(h, 0x12345678u);
  std::cout << h << '\n';  // prints: CCCFD053E47C3365
  h = corvane::fnv1a_fold(h, corvane::fingerprint_f32_bits(component, FloatCanon::SixDp));
  std::cout << h << '\n';  // prints: 6D7465E945F7A572
  // [fold]
}
