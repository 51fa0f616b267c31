// Internal: the two NaN patterns of the library's NaN rule. An x86 CPU creates
// the NaN 0xFFC00000 where ARM and s390x create 0x7FC00000; every created NaN
// is mapped to the second, so results are the same bits on every machine.
#pragma once

#include <cstdint>

namespace corvane::detail {

/// The positive quiet NaN every NaN created by the library's arithmetic is.
inline constexpr std::uint32_t kCanonicalNanBits = 0x7FC00000u;
/// The NaN an x86 CPU creates (sign set): the only created NaN that differs
/// between machines.
inline constexpr std::uint32_t kX86CreatedNanBits = 0xFFC00000u;

}  // namespace corvane::detail
