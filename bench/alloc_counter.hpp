// A replaced global operator new that counts calls, for benchmarks that report
// allocations per operation. Linking alloc_counter.cpp into a benchmark
// replaces the allocator of that whole program.
#pragma once

#include <cstddef>

namespace corvane_bench {

/// Calls of operator new (any form) so far in this program.
std::size_t allocation_count() noexcept;

}  // namespace corvane_bench
