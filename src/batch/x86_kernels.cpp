// Every batch kernel compiled for each x86-64 instruction set: the kernels
// are written once (quaternion_lanes.inc, position_lanes.inc,
// fingerprint_lanes.inc, fixed_words_lanes.inc) over an adapter per set
// (lanes_x86.hpp), and included here in that set's namespace and target
// region, so the rest of the library keeps the baseline instruction set and
// nothing here runs unless the CPU reported the feature (simd_path.cpp).
//
// Each lane carries one element through exactly the operations of the
// single-value functions, which run the same kernels one float at a time
// (scalar_lanes.hpp): vector and scalar IEEE operations round alike, so every
// lane gives the scalar bits.
#include "batch/fingerprint_batch.hpp"
#include "batch/fixed_words.hpp"
#include "batch/math_batch.hpp"
#include "batch/position_batch.hpp"

#if CORVANE_X86_64_KERNELS

#include <array>
#include <cstring>
#include <utility>

#include "batch/lanes_x86.hpp"
#include "fingerprint_kernels.hpp"
#include "text/decimal_digits.hpp"
#include "text/fixed_word.hpp"

namespace corvane::detail {
namespace {

// The id and offset are the first 16 bytes of a position: (id, x, y, z).
static_assert(offsetof(WorldPosition, landblock_id) == 0 && offsetof(WorldPosition, coords) == 4 &&
              sizeof(Guid) == 4 && sizeof(WorldPosition) == 32);

namespace sse2 {
using namespace lanes::sse2;
#include "batch/fingerprint_lanes.inc"
#include "batch/fixed_words_lanes.inc"
#include "batch/position_lanes.inc"
#include "batch/quaternion_lanes.inc"
}  // namespace sse2

CORVANE_TARGET_BEGIN("avx2")
namespace avx2 {
using namespace lanes::avx2;
#include "batch/fingerprint_lanes.inc"
#include "batch/fixed_words_lanes.inc"
#include "batch/position_lanes.inc"
#include "batch/quaternion_lanes.inc"
}  // namespace avx2
CORVANE_TARGET_END()

CORVANE_TARGET_BEGIN("avx512f")
namespace avx512 {
using namespace lanes::avx512;
#include "batch/fingerprint_lanes.inc"
#include "batch/position_lanes.inc"
#include "batch/quaternion_lanes.inc"
}  // namespace avx512
CORVANE_TARGET_END()

}  // namespace

#define CORVANE_KERNELS_OF(isa)                                                          \
  QuaternionKernels quaternion_kernels_##isa() noexcept {                              \
    return {isa::multiply_block, isa::rotate_vector_block, isa::normalize_block};      \
  }                                                                                    \
  PositionKernels position_kernels_##isa() noexcept {                                  \
    return {isa::map_degrees_rows, isa::map_degrees_columns};                          \
  }                                                                                    \
  FingerprintKernels fingerprint_kernels_##isa() noexcept {                            \
    return {isa::six_dp_block, isa::lossless_block};                                   \
  }

CORVANE_KERNELS_OF(sse2)
CORVANE_KERNELS_OF(avx2)
CORVANE_KERNELS_OF(avx512)

#undef CORVANE_KERNELS_OF

// Precisions 0 to kMaxFixedWordPrecision; AVX-512 processors run AVX2's.
#define CORVANE_FIXED_WORDS_OF(isa)                                                        \
  const std::array<FixedWordsKernel, kMaxFixedWordPrecision + 1>& fixed_words_kernels_##isa() \
      noexcept {                                                                           \
    static constexpr auto kKernels =                                                       \
        isa::fixed_words_kernels(std::make_index_sequence<kMaxFixedWordPrecision + 1>{});  \
    return kKernels;                                                                       \
  }

CORVANE_FIXED_WORDS_OF(sse2)
CORVANE_FIXED_WORDS_OF(avx2)

#undef CORVANE_FIXED_WORDS_OF

}  // namespace corvane::detail

#endif  // CORVANE_X86_64_KERNELS
