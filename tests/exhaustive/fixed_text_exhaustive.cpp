// Every non-negative finite float through the integer fast path of the
// fixed-point writer against std::to_chars, at a precision from 0 to 9 that
// varies with the bit pattern. Run with: ctest -L exhaustive
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "text/fixed_point.hpp"

int main() {
  std::uint64_t checked = 0;
  std::uint64_t mismatches = 0;
  char fast[64];
  char reference[64];
  for (std::uint32_t bits = 0; bits < 0x7F800000u; ++bits) {
    const float value = std::bit_cast<float>(bits);
    const std::size_t precision = (bits ^ (bits >> 7)) % 10u;
    const char* fast_end = corvane::detail::write_fixed(fast, value, precision);
    const char* reference_end = corvane::detail::write_fixed_to_chars(reference, value, precision);
    const auto fast_size = static_cast<std::size_t>(fast_end - fast);
    const bool same = fast_size == static_cast<std::size_t>(reference_end - reference) &&
                      std::memcmp(fast, reference, fast_size) == 0;
    if (!same && mismatches++ < 10) {
      std::printf("mismatch for %08X at precision %zu: %.*s vs %.*s\n", bits, precision,
                  static_cast<int>(fast_size), fast,
                  static_cast<int>(reference_end - reference), reference);
    }
    ++checked;
  }
  std::printf("fixed-point text: %llu floats checked, %llu mismatches\n",
              static_cast<unsigned long long>(checked), static_cast<unsigned long long>(mismatches));
  return mismatches == 0 ? 0 : 1;
}
