// The vector kernels' fixed-point words on every one of the 2^32 float
// patterns, at every precision they serve, against the scalar writer (itself
// checked on every pattern by fixed_text_exhaustive):
//   fixed_words_exhaustive [THREADS]
// Run with: ctest -L exhaustive -R fixed_words
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "batch/fixed_words.hpp"
#include "batch/simd_path.hpp"
#include "fixed_words_check.hpp"

int main(int argc, char** argv) {
  namespace d = corvane::detail;
  const unsigned threads = argc > 1 ? static_cast<unsigned>(std::max(1, std::atoi(argv[1])))
                                    : std::max(1u, std::thread::hardware_concurrency());
  constexpr std::uint64_t kBlock = 1u << 20;
  std::uint64_t mismatches = 0;
  std::vector<d::FixedWordsKernel> checked;
  for (const d::SimdPath path : d::kAllSimdPaths) {
    for (std::size_t precision = 0; precision <= d::kMaxFixedWordPrecision; ++precision) {
      const d::FixedWordsKernel kernel = d::fixed_words_kernel(path, precision);
      // Paths that share a kernel check it once.
      if (kernel == nullptr || std::find(checked.begin(), checked.end(), kernel) != checked.end()) {
        continue;
      }
      checked.push_back(kernel);
      std::atomic<std::uint64_t> next{0}, found{0};
      const auto worker = [&] {
        for (std::uint64_t b; (b = next.fetch_add(1)) < (std::uint64_t{1} << 32) / kBlock;) {
          found += corvane_test::fixed_word_mismatches(kernel, precision, b * kBlock, 1, kBlock);
        }
      };
      std::vector<std::thread> pool;
      for (unsigned t = 0; t < threads; ++t) pool.emplace_back(worker);
      for (std::thread& t : pool) t.join();
      std::printf("%s, precision %zu: all patterns done, %llu mismatches\n",
                  d::simd_path_name(path), precision,
                  static_cast<unsigned long long>(found.load()));
      std::fflush(stdout);
      mismatches += found;
    }
  }
  if (checked.empty()) {
    std::printf("no vector kernel for fixed words on this CPU\n");
    return 77;
  }
  return mismatches == 0 ? 0 : 1;
}
