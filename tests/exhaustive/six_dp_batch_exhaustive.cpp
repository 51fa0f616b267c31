// The batch SixDp on every vector path this CPU supports against the
// single-value function (itself checked against the text definition by
// six_dp_exhaustive) on all 2^32 float bit patterns. Prints the paths, the
// time each took and every mismatch (at most the first 20); exits non-zero on
// any mismatch.
#include <bit>
#include <chrono>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "batch/fingerprint_batch.hpp"
#include "batch/simd_path.hpp"
#include "corvane/bake_fingerprint.hpp"

int main() {
  using corvane::detail::SimdPath;
  constexpr std::uint64_t kTotal = std::uint64_t{1} << 32;
  constexpr std::size_t kChunk = std::size_t{1} << 16;

  std::vector<float> in(kChunk);
  std::vector<std::uint32_t> scalar(kChunk);
  std::vector<std::uint32_t> batch(kChunk);
  std::uint64_t mismatches = 0;
  int status = EXIT_SUCCESS;

  for (const SimdPath path : corvane::detail::kAllSimdPaths) {
    const char* name = corvane::detail::simd_path_name(path);
    if (!corvane::detail::simd_path_supported(path)) {
      std::printf("%s: not supported by this CPU, skipped\n", name);
      continue;
    }
    const auto start = std::chrono::steady_clock::now();
    std::uint64_t path_mismatches = 0;
    for (std::uint64_t base = 0; base < kTotal; base += kChunk) {
      for (std::size_t i = 0; i < kChunk; ++i) {
        in[i] = std::bit_cast<float>(static_cast<std::uint32_t>(base + i));
        scalar[i] = corvane::fingerprint_f32_bits(in[i], corvane::FloatCanon::SixDp);
      }
      corvane::detail::fingerprint_batch(path, in, corvane::FloatCanon::SixDp, batch);
      for (std::size_t i = 0; i < kChunk; ++i) {
        if (batch[i] == scalar[i]) continue;
        if (mismatches++ < 20) {
          std::printf("%s mismatch: input %08" PRIX64 " batch %08" PRIX32 " scalar %08" PRIX32 "\n",
                      name, base + i, batch[i], scalar[i]);
        }
        ++path_mismatches;
      }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: checked %" PRIu64 " bit patterns in %.1f s, %" PRIu64 " mismatches\n", name,
                kTotal, seconds, path_mismatches);
    std::fflush(stdout);
    if (path_mismatches != 0) status = EXIT_FAILURE;
  }
  return status;
}
