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

#if CORVANE_X86_64_KERNELS
// One kernel per x86 path (fingerprint_x86.cpp). Each handles whole vectors
// and returns how many elements it did; the caller finishes the rest.
std::size_t six_dp_sse2(const float* in, std::uint32_t* out, std::size_t n) noexcept;
std::size_t six_dp_avx2(const float* in, std::uint32_t* out, std::size_t n) noexcept;
std::size_t six_dp_avx512(const float* in, std::uint32_t* out, std::size_t n) noexcept;
std::size_t lossless_sse2(const float* in, std::uint32_t* out, std::size_t n) noexcept;
std::size_t lossless_avx2(const float* in, std::uint32_t* out, std::size_t n) noexcept;
std::size_t lossless_avx512(const float* in, std::uint32_t* out, std::size_t n) noexcept;

/// Folds 16 records side by side; `starts` and `ends` give each record's
/// words.
void fold_group_avx512(const std::uint32_t* words, const std::size_t* starts,
                       const std::size_t* ends, std::uint64_t* hashes) noexcept;
#endif

}  // namespace corvane::detail
