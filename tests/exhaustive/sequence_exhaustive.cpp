// Every one of the 2^32 pairs of 16-bit sequence numbers against the rule in
// wider arithmetic. Run with: ctest -L exhaustive
#include <cstdint>
#include <cstdio>

#include "corvane/sequence.hpp"

int main() {
  std::uint64_t checked = 0;
  std::uint64_t mismatches = 0;
  for (std::uint32_t current = 0; current < 0x10000u; ++current) {
    for (std::uint32_t candidate = 0; candidate < 0x10000u; ++candidate) {
      const std::uint32_t forward = (candidate + 0x10000u - current) % 0x10000u;
      const bool expected =
          forward != 0 && (forward < 0x8000u || (forward == 0x8000u && candidate < current));
      const bool got = corvane::is_newer_u16(static_cast<std::uint16_t>(candidate),
                                             static_cast<std::uint16_t>(current));
      mismatches += expected != got;
      ++checked;
    }
  }
  std::printf("is_newer_u16: %llu pairs checked, %llu mismatches\n",
              static_cast<unsigned long long>(checked), static_cast<unsigned long long>(mismatches));
  return mismatches == 0 ? 0 : 1;
}
