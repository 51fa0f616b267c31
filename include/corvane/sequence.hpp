// Ordering of sequence numbers on counters that wrap around.
#pragma once

#include <cstdint>

namespace corvane {

/// Whether `candidate` is strictly newer than `current` on a 16-bit counter
/// that wraps from 65535 to 0. At exactly half the range apart (0x8000) the
/// numerically smaller value counts as newer, so exactly one direction is true.
constexpr bool is_newer_u16(std::uint16_t candidate, std::uint16_t current) noexcept {
  const auto delta = static_cast<std::uint16_t>(candidate - current);
  if (delta == 0) return false;
  if (delta < 0x8000u) return true;
  if (delta == 0x8000u) return candidate < current;
  return false;
}

/// Whether `candidate` is strictly newer than `current` on a 32-bit counter
/// that wraps. At exactly half the range apart neither number is newer.
constexpr bool is_newer_u32(std::uint32_t candidate, std::uint32_t current) noexcept {
  const std::uint32_t delta = candidate - current;
  return delta != 0 && delta < 0x8000'0000u;
}

}  // namespace corvane
