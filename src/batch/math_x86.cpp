// The x86-64 kernels of the batch quaternion operations: quaternion_lanes.inc
// compiled over each instruction set's adapter (lanes_x86.hpp), in that set's
// target region.
#include "batch/math_batch.hpp"

#if CORVANE_X86_64_KERNELS

#include "batch/lanes_x86.hpp"

namespace corvane::detail {
namespace {

namespace sse2 {
using namespace lanes::sse2;
#include "batch/quaternion_lanes.inc"
}  // namespace sse2

CORVANE_TARGET_BEGIN("avx2")
namespace avx2 {
using namespace lanes::avx2;
#include "batch/quaternion_lanes.inc"
}  // namespace avx2
CORVANE_TARGET_END()

CORVANE_TARGET_BEGIN("avx512f")
namespace avx512 {
using namespace lanes::avx512;
#include "batch/quaternion_lanes.inc"
}  // namespace avx512
CORVANE_TARGET_END()

}  // namespace

QuaternionKernels quaternion_kernels_sse2() noexcept {
  return {sse2::multiply_block, sse2::rotate_vector_block, sse2::normalize_block};
}

QuaternionKernels quaternion_kernels_avx2() noexcept {
  return {avx2::multiply_block, avx2::rotate_vector_block, avx2::normalize_block};
}

QuaternionKernels quaternion_kernels_avx512() noexcept {
  return {avx512::multiply_block, avx512::rotate_vector_block, avx512::normalize_block};
}

}  // namespace corvane::detail

#endif  // CORVANE_X86_64_KERNELS
