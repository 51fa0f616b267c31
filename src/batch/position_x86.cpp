// The x86-64 kernels of the batch map coordinates: position_lanes.inc
// compiled over each instruction set's adapter (lanes_x86.hpp), in that set's
// target region.
#include "batch/position_batch.hpp"

#if CORVANE_X86_64_KERNELS

#include "batch/lanes_x86.hpp"

namespace corvane::detail {
namespace {

// The id and offset are the first 16 bytes of a position: (id, x, y, z).
static_assert(offsetof(WorldPosition, landblock_id) == 0 && offsetof(WorldPosition, coords) == 4 &&
              sizeof(Guid) == 4 && sizeof(WorldPosition) == 32);

namespace sse2 {
using namespace lanes::sse2;
#include "batch/position_lanes.inc"
}  // namespace sse2

CORVANE_TARGET_BEGIN("avx2")
namespace avx2 {
using namespace lanes::avx2;
#include "batch/position_lanes.inc"
}  // namespace avx2
CORVANE_TARGET_END()

CORVANE_TARGET_BEGIN("avx512f")
namespace avx512 {
using namespace lanes::avx512;
#include "batch/position_lanes.inc"
}  // namespace avx512
CORVANE_TARGET_END()

}  // namespace

PositionKernels position_kernels_sse2() noexcept {
  return {sse2::map_degrees_rows, sse2::map_degrees_columns};
}

PositionKernels position_kernels_avx2() noexcept {
  return {avx2::map_degrees_rows, avx2::map_degrees_columns};
}

PositionKernels position_kernels_avx512() noexcept {
  return {avx512::map_degrees_rows, avx512::map_degrees_columns};
}

}  // namespace corvane::detail

#endif  // CORVANE_X86_64_KERNELS
