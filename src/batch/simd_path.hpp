// Internal: which vector unit a batch loop runs on. The best path is chosen at
// run time from what the CPU reports; tests and benchmarks name a path
// explicitly to check each one against the scalar operations.
#pragma once

#include <array>
#include <cstdint>

// The x86 kernels are compiled only for x86-64, with target attributes, so the
// rest of the library keeps the baseline instruction set.
#if (defined(__x86_64__) || defined(_M_X64)) && (defined(__GNUC__) || defined(__clang__))
#define CORVANE_X86_64_KERNELS 1
#else
#define CORVANE_X86_64_KERNELS 0
#endif

namespace corvane::detail {

enum class SimdPath : std::uint8_t {
  Portable,  // plain C++, every CPU
  Sse2,      // the x86-64 baseline
  Avx2,
  Avx512,    // AVX-512 F
};

inline constexpr std::array<SimdPath, 4> kAllSimdPaths = {SimdPath::Portable, SimdPath::Sse2,
                                                         SimdPath::Avx2, SimdPath::Avx512};

/// Whether this CPU (and this build) can run `path`.
bool simd_path_supported(SimdPath path) noexcept;

/// The widest path this CPU can run.
SimdPath best_simd_path() noexcept;

/// "portable", "sse2", "avx2", "avx512".
const char* simd_path_name(SimdPath path) noexcept;

}  // namespace corvane::detail
