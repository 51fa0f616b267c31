#include "batch/simd_path.hpp"

namespace corvane::detail {

// Hot: asked by every call that writes map text (see write_shortest_float).
[[gnu::hot]]
bool simd_path_supported(SimdPath path) noexcept {
#if CORVANE_X86_64_KERNELS
  __builtin_cpu_init();  // idempotent; needed when called before constructors ran
#endif
  switch (path) {
    case SimdPath::Portable:
      return true;
#if CORVANE_X86_64_KERNELS
    case SimdPath::Sse2:
      return true;  // part of x86-64
    case SimdPath::Avx2:
      return __builtin_cpu_supports("avx2");
    case SimdPath::Avx512:
      return __builtin_cpu_supports("avx512f");
#else
    case SimdPath::Sse2:
    case SimdPath::Avx2:
    case SimdPath::Avx512:
      return false;
#endif
  }
  return false;
}

SimdPath best_simd_path() noexcept {
  // Reads the CPU model the runtime filled in at start-up: no state of ours.
  for (auto it = kAllSimdPaths.rbegin(); it != kAllSimdPaths.rend(); ++it) {
    if (simd_path_supported(*it)) return *it;
  }
  return SimdPath::Portable;
}

const char* simd_path_name(SimdPath path) noexcept {
  switch (path) {
    case SimdPath::Portable:
      return "portable";
    case SimdPath::Sse2:
      return "sse2";
    case SimdPath::Avx2:
      return "avx2";
    case SimdPath::Avx512:
      return "avx512";
  }
  return "unknown";
}

}  // namespace corvane::detail
