// The batch fingerprints: size checks, the choice of vector path, and the
// portable loops that every path falls back on for its last few elements.
#include "batch/fingerprint_batch.hpp"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "batch/scalar_lanes.hpp"

namespace corvane {
namespace detail {
namespace {

FingerprintKernels fingerprint_kernels(SimdPath path) noexcept {
#if CORVANE_X86_64_KERNELS
  switch (path) {
    case SimdPath::Avx512:
      return fingerprint_kernels_avx512();
    case SimdPath::Avx2:
      return fingerprint_kernels_avx2();
    case SimdPath::Sse2:
      return fingerprint_kernels_sse2();
    case SimdPath::Portable:
      break;
  }
#else
  (void)path;
#endif
  return {lanes::scalar::six_dp_block, lanes::scalar::lossless_block};
}

// Up to kPortableLanes records folded side by side: their common length with
// no per-lane test, then what is left of the longer ones.
constexpr std::size_t kPortableLanes = 8;

void fold_group_portable(const std::uint32_t* words, const std::size_t* starts,
                         const std::size_t* ends, std::uint64_t* hashes,
                         std::size_t lanes) noexcept {
  std::array<std::uint64_t, kPortableLanes> h{};
  std::array<const std::uint32_t*, kPortableLanes> at{};
  std::array<std::size_t, kPortableLanes> length{};
  std::size_t common = SIZE_MAX;
  std::size_t longest = 0;
  for (std::size_t l = 0; l < lanes; ++l) {
    h[l] = hashes[l];
    at[l] = words + starts[l];
    length[l] = ends[l] - starts[l];
    common = std::min(common, length[l]);
    longest = std::max(longest, length[l]);
  }
  if (lanes == kPortableLanes) {
    for (std::size_t j = 0; j < common; ++j) {
      for (std::size_t l = 0; l < kPortableLanes; ++l) h[l] = fnv1a_fold(h[l], at[l][j]);
    }
  } else {
    common = 0;
  }
  for (std::size_t j = common; j < longest; ++j) {
    for (std::size_t l = 0; l < lanes; ++l) {
      if (j < length[l]) h[l] = fnv1a_fold(h[l], at[l][j]);
    }
  }
  for (std::size_t l = 0; l < lanes; ++l) hashes[l] = h[l];
}

using GroupKernel = void (*)(const std::uint32_t*, const std::size_t*, const std::size_t*,
                             std::uint64_t*) noexcept;

void fold_group_portable_full(const std::uint32_t* words, const std::size_t* starts,
                              const std::size_t* ends, std::uint64_t* hashes) noexcept {
  fold_group_portable(words, starts, ends, hashes, kPortableLanes);
}

struct GroupPlan {
  GroupKernel kernel;
  std::size_t lanes;
};

GroupPlan group_plan(SimdPath path) noexcept {
#if CORVANE_X86_64_KERNELS
  // Eight chains of plain 64-bit multiplies beat SSE2 and AVX2 vectors, which
  // build each 64-bit product from three 32-bit ones (measured in batch_bench).
  if (path == SimdPath::Avx512) return {fold_group_avx512, 16};
#else
  (void)path;
#endif
  return {fold_group_portable_full, kPortableLanes};
}

}  // namespace

void fingerprint_batch(SimdPath path, std::span<const float> in, FloatCanon canon,
                       std::span<std::uint32_t> out) noexcept {
  const float* src = in.data();
  std::uint32_t* dst = out.data();
  const std::size_t n = in.size();
  const bool lossless = canon == FloatCanon::Lossless;
  // The path's whole vectors, then the rest one float at a time.
  std::size_t done = 0;
  for (const FingerprintKernels& k : {fingerprint_kernels(path), fingerprint_kernels(SimdPath::Portable)}) {
    done += (lossless ? k.lossless : k.six_dp)(src + done, dst + done, n - done);
  }
}

void fold_records(SimdPath path, std::span<const std::uint32_t> words,
                  std::span<const std::size_t> record_ends,
                  std::span<std::uint64_t> hashes) noexcept {
  const GroupPlan plan = group_plan(path);
  constexpr std::size_t kMaxLanes = 16;
  std::array<std::size_t, kMaxLanes> starts{};
  std::size_t record = 0;
  const std::size_t count = record_ends.size();
  for (; record + plan.lanes <= count; record += plan.lanes) {
    for (std::size_t l = 0; l < plan.lanes; ++l) {
      starts[l] = record + l == 0 ? 0 : record_ends[record + l - 1];
    }
    plan.kernel(words.data(), starts.data(), record_ends.data() + record, hashes.data() + record);
  }
  while (record < count) {
    const std::size_t lanes = std::min(kPortableLanes, count - record);
    for (std::size_t l = 0; l < lanes; ++l) {
      starts[l] = record + l == 0 ? 0 : record_ends[record + l - 1];
    }
    fold_group_portable(words.data(), starts.data(), record_ends.data() + record,
                        hashes.data() + record, lanes);
    record += lanes;
  }
}

}  // namespace detail

void fingerprint_f32_bits(std::span<const float> in, FloatCanon canon,
                          std::span<std::uint32_t> out) {
  if (in.size() != out.size()) {
    throw std::invalid_argument("corvane::fingerprint_f32_bits: input and output sizes differ");
  }
  detail::fingerprint_batch(detail::best_simd_path(), in, canon, out);
}

void wire_f32_bits(std::span<const float> in, std::span<std::uint32_t> out) {
  if (in.size() != out.size()) {
    throw std::invalid_argument("corvane::wire_f32_bits: input and output sizes differ");
  }
  detail::fingerprint_batch(detail::best_simd_path(), in, FloatCanon::SixDp, out);
}

std::uint64_t fnv1a_fold(std::uint64_t h, std::span<const std::uint32_t> words) noexcept {
  for (const std::uint32_t word : words) h = fnv1a_fold(h, word);
  return h;
}

void fnv1a_fold_records(std::span<const std::uint32_t> words,
                        std::span<const std::size_t> record_ends,
                        std::span<std::uint64_t> hashes) {
  if (record_ends.size() != hashes.size()) {
    throw std::invalid_argument(
        "corvane::fnv1a_fold_records: record_ends and hashes differ in size");
  }
  std::size_t previous = 0;
  for (const std::size_t end : record_ends) {
    if (end < previous) {
      throw std::invalid_argument("corvane::fnv1a_fold_records: record ends decrease");
    }
    previous = end;
  }
  if (previous != words.size()) {
    throw std::invalid_argument(
        "corvane::fnv1a_fold_records: the last record end is not the number of words");
  }
  detail::fold_records(detail::best_simd_path(), words, record_ends, hashes);
}

}  // namespace corvane
