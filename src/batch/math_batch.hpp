// Internal: the batch quaternion kernels for each vector path. The public
// overloads check sizes and call these with the best path; tests call them
// with every path the CPU supports and compare with the scalar operations.
#pragma once

#include <cstddef>
#include <span>

#include "batch/simd_path.hpp"
#include "corvane/math.hpp"

namespace corvane::detail {

void multiply_batch(SimdPath path, std::span<const Quaternion> a, std::span<const Quaternion> b,
                    std::span<Quaternion> out) noexcept;
void rotate_vector_batch(SimdPath path, std::span<const Quaternion> q,
                         std::span<const Vector3> v, std::span<Vector3> out) noexcept;
void normalize_batch(SimdPath path, std::span<const Quaternion> in,
                     std::span<Quaternion> out) noexcept;

#if CORVANE_X86_64_KERNELS
// One set per x86 path (math_x86.cpp). Each handles whole blocks (as many
// elements as a register holds floats) and returns how many elements it did;
// the caller finishes the rest with the scalar operations.
struct QuaternionKernels {
  std::size_t (*multiply)(const Quaternion*, const Quaternion*, Quaternion*, std::size_t) noexcept;
  std::size_t (*rotate_vector)(const Quaternion*, const Vector3*, Vector3*, std::size_t) noexcept;
  std::size_t (*normalize)(const Quaternion*, Quaternion*, std::size_t) noexcept;
};
QuaternionKernels quaternion_kernels_sse2() noexcept;
QuaternionKernels quaternion_kernels_avx2() noexcept;
QuaternionKernels quaternion_kernels_avx512() noexcept;
#endif

}  // namespace corvane::detail
