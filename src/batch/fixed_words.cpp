#include "batch/fixed_words.hpp"

namespace corvane::detail {

// Hot: looked up by every call that writes map text (see write_shortest_float).
[[gnu::hot]]
FixedWordsKernel fixed_words_kernel(SimdPath path, std::size_t precision) noexcept {
  if (precision > kMaxFixedWordPrecision || !simd_path_supported(path)) return nullptr;
  switch (path) {
#if CORVANE_X86_64_KERNELS
    case SimdPath::Sse2:
      return fixed_words_kernels_sse2()[precision];
    case SimdPath::Avx2:
    case SimdPath::Avx512:  // AVX-512 F processors have AVX2 too
      return fixed_words_kernels_avx2()[precision];
#endif
    default:
      return nullptr;
  }
}

}  // namespace corvane::detail
