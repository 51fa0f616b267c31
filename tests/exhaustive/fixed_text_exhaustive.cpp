// The fixed-point writer, by both of its paths, against std::to_chars:
//   fixed_text_exhaustive all FIRST LAST [THREADS]
//       every one of the 2^32 float patterns at each precision FIRST to LAST;
//   fixed_text_exhaustive sampled COUNT [THREADS]
//       COUNT pseudo-random patterns, each at a precision from 10 to 160.
// Run with: ctest -L exhaustive -R fixed_text
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "corvane/detail/bit_cast.hpp"
#include "float_text_reference.hpp"
#include "text/fixed_point.hpp"

namespace {

std::atomic<std::uint64_t> mismatches{0};
std::mutex print;

void check(std::uint32_t bits, std::size_t precision) {
  const float value = corvane::detail::bit_cast<float>(bits);
  char fast[corvane::detail::max_fixed_chars(200)];
  char exact[sizeof fast];
  char reference_text[sizeof fast];
  const std::string_view reference(
      reference_text,
      static_cast<std::size_t>(corvane_test::to_chars_fixed(reference_text, value, precision) -
                               reference_text));
  const std::string_view fast_text(
      fast, static_cast<std::size_t>(corvane::detail::write_fixed(fast, value, precision) - fast));
  const std::string_view exact_text(
      exact, static_cast<std::size_t>(corvane::detail::write_fixed_exact(exact, value, precision) -
                                      exact));
  if ((fast_text != reference || exact_text != reference) && mismatches.fetch_add(1) < 10) {
    const std::lock_guard<std::mutex> lock(print);
    std::printf("mismatch for %08X at precision %zu: %.*s and %.*s vs %.*s\n", bits, precision,
                static_cast<int>(fast_text.size()), fast_text.data(),
                static_cast<int>(exact_text.size()), exact_text.data(),
                static_cast<int>(reference.size()), reference.data());
  }
}

// Blocks of work handed to the threads as they ask.
template <class Job>
void run(std::uint64_t blocks, unsigned threads, Job job) {
  std::atomic<std::uint64_t> next{0};
  auto worker = [&] {
    for (std::uint64_t b; (b = next.fetch_add(1)) < blocks;) job(b);
  };
  std::vector<std::thread> pool;
  for (unsigned t = 0; t < threads; ++t) pool.emplace_back(worker);
  for (std::thread& t : pool) t.join();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "all";
  unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  constexpr std::uint64_t kBlock = 1u << 16;
  std::uint64_t checked = 0;
  if (mode == "all") {
    const std::size_t first = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 0;
    const std::size_t last = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 9;
    if (argc > 4) threads = static_cast<unsigned>(std::max(1, std::atoi(argv[4])));
    for (std::size_t precision = first; precision <= last; ++precision) {
      run((std::uint64_t{1} << 32) / kBlock, threads, [&](std::uint64_t block) {
        for (std::uint64_t b = block * kBlock; b < (block + 1) * kBlock; ++b) {
          check(static_cast<std::uint32_t>(b), precision);
        }
      });
      checked += std::uint64_t{1} << 32;
      std::printf("precision %zu: all patterns done, %llu mismatches so far\n", precision,
                  static_cast<unsigned long long>(mismatches.load()));
      std::fflush(stdout);
    }
  } else if (mode == "sampled") {
    const std::uint64_t count = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 100'000'000u;
    if (argc > 3) threads = static_cast<unsigned>(std::max(1, std::atoi(argv[3])));
    run((count + kBlock - 1) / kBlock, threads, [&](std::uint64_t block) {
      // splitmix64 from the block number: the same samples on every run.
      std::uint64_t state = block * 0x9E3779B97F4A7C15u;
      for (std::uint64_t i = block * kBlock; i < std::min(count, (block + 1) * kBlock); ++i) {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        z ^= z >> 31;
        check(static_cast<std::uint32_t>(z), 10 + static_cast<std::size_t>((z >> 32) % 151));
      }
    });
    checked = count;
  } else {
    std::fprintf(stderr, "usage: %s all FIRST LAST [THREADS] | sampled COUNT [THREADS]\n", argv[0]);
    return 2;
  }
  std::printf("fixed-point text: %llu texts checked, %llu mismatches\n",
              static_cast<unsigned long long>(checked),
              static_cast<unsigned long long>(mismatches.load()));
  return mismatches.load() == 0 ? 0 : 1;
}
