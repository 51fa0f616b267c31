// Internal: the batch fingerprint kernels for each vector path. The public
// overloads check sizes and call these with the best path; tests call them
// with every path the CPU supports and compare with the scalar functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "batch/simd_path.hpp"
#include "corvane/bake_fingerprint.hpp"

namespace corvane::detail {

/// out[i] = fingerprint_f32_bits(in[i], canon) on `path`; sizes must match.
void fingerprint_batch(SimdPath path, std::span<const float> in, FloatCanon canon,
                       std::span<std::uint32_t> out) noexcept;

/// fnv1a_fold_records on `path`; the arguments must be valid.
void fold_records(SimdPath path, std::span<const std::uint32_t> words,
                  std::span<const std::size_t> record_ends,
                  std::span<std::uint64_t> hashes) noexcept;

/// The canonicalisation kernels of one path (fingerprint_lanes.inc over its
/// adapter): each handles whole vectors and returns how many elements it did;
/// the caller finishes the rest one float at a time.
struct FingerprintKernels {
  std::size_t (*six_dp)(const float* in, std::uint32_t* out, std::size_t n) noexcept;
  std::size_t (*lossless)(const float* in, std::uint32_t* out, std::size_t n) noexcept;
};

#if CORVANE_X86_64_KERNELS
FingerprintKernels fingerprint_kernels_sse2() noexcept;
FingerprintKernels fingerprint_kernels_avx2() noexcept;
FingerprintKernels fingerprint_kernels_avx512() noexcept;

/// Folds 16 records side by side (fold_avx512.cpp); `starts` and `ends` give each record's
/// words.
void fold_group_avx512(const std::uint32_t* words, const std::size_t* starts,
                       const std::size_t* ends, std::uint64_t* hashes) noexcept;
#endif

}  // namespace corvane::detail
