// Compares the library's SixDp with the text definition on all 2^32 float bit
// patterns, split across threads. Prints the count checked and every
// mismatch (at most the first 20); exits non-zero on any mismatch.
#include <algorithm>
#include <atomic>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "corvane/bake_fingerprint.hpp"
#include "six_dp_reference.hpp"

int main(int argc, char** argv) {
  unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  if (argc > 1) threads = static_cast<unsigned>(std::max(1, std::atoi(argv[1])));

  constexpr std::uint64_t kTotal = std::uint64_t{1} << 32;
  constexpr std::uint64_t kChunk = std::uint64_t{1} << 24;
  std::atomic<std::uint64_t> next_chunk{0};
  std::atomic<std::uint64_t> checked{0};
  std::atomic<std::uint64_t> mismatches{0};
  std::atomic<std::uint64_t> printed{0};
  std::mutex print_lock;

  auto worker = [&] {
    for (;;) {
      const std::uint64_t chunk = next_chunk.fetch_add(1);
      const std::uint64_t begin = chunk * kChunk;
      if (begin >= kTotal) return;
      std::uint64_t local_mismatches = 0;
      for (std::uint64_t i = begin; i < begin + kChunk; ++i) {
        const auto bits = static_cast<std::uint32_t>(i);
        const std::uint32_t fast =
            corvane::fingerprint_f32_bits(std::bit_cast<float>(bits), corvane::FloatCanon::SixDp);
        const std::uint32_t slow = corvane_test::six_dp_by_text(bits);
        if (fast != slow) {
          ++local_mismatches;
          if (printed.fetch_add(1) < 20) {
            const std::lock_guard lock(print_lock);
            std::printf("mismatch: input %08" PRIX32 " library %08" PRIX32 " text %08" PRIX32 "\n",
                        bits, fast, slow);
          }
        }
      }
      mismatches += local_mismatches;
      const std::uint64_t done = checked.fetch_add(kChunk) + kChunk;
      const std::lock_guard lock(print_lock);
      std::printf("progress %" PRIu64 "/256\n", done / kChunk);
      std::fflush(stdout);
    }
  };

  std::vector<std::thread> pool;
  for (unsigned t = 0; t < threads; ++t) pool.emplace_back(worker);
  for (auto& t : pool) t.join();

  std::printf("checked %" PRIu64 " bit patterns, %" PRIu64 " mismatches\n", checked.load(),
              mismatches.load());
  return mismatches.load() == 0 && checked.load() == kTotal ? EXIT_SUCCESS : EXIT_FAILURE;
}
