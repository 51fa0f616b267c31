// Internal: the fixed-point words (text/fixed_word.hpp) of many floats at
// once, made on vector lanes (fixed_words_lanes.inc); the map text places
// them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "batch/simd_path.hpp"
#include "text/fixed_word.hpp"

namespace corvane::detail {

/// Whether any path of this build has the kernels: where none does, callers
/// leave the word path out of their code altogether.
inline constexpr bool kHasFixedWordsKernels = CORVANE_X86_64_KERNELS != 0;

/// Writes the word of each of `n` values at one precision.
using FixedWordsKernel = void (*)(const float* values, std::uint64_t* words,
                                  std::size_t n) noexcept;

/// The kernel of `path` for `precision`, or nullptr where that path has none
/// (the portable path, precisions above kMaxFixedWordPrecision, a path this
/// CPU lacks): the caller then writes each number by the scalar writer.
FixedWordsKernel fixed_words_kernel(SimdPath path, std::size_t precision) noexcept;

#if CORVANE_X86_64_KERNELS
const std::array<FixedWordsKernel, kMaxFixedWordPrecision + 1>& fixed_words_kernels_sse2() noexcept;
const std::array<FixedWordsKernel, kMaxFixedWordPrecision + 1>& fixed_words_kernels_avx2() noexcept;
#endif

}  // namespace corvane::detail
