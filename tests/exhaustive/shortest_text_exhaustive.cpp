// Every one of the 2^32 float patterns through the shortest writer against
// std::to_chars' scientific form: its sign, digits and exponent laid out as
// the debug form does, character for character, and "NaN", "inf", "-inf" for
// the rest; and the writer given that text as the one the float was read
// from, which copies it or writes its own, to the same text. Split across
// threads (the argument, default every core).
// Run with: ctest -L exhaustive -R shortest
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "corvane/detail/bit_cast.hpp"
#include "float_text_reference.hpp"
#include "text/shortest_float.hpp"

int main(int argc, char** argv) {
  unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  if (argc > 1) threads = static_cast<unsigned>(std::max(1, std::atoi(argv[1])));
  constexpr std::uint64_t kBlock = 1u << 20;
  std::atomic<std::uint64_t> next{0};
  std::atomic<std::uint64_t> mismatches{0};
  std::mutex print;

  auto worker = [&] {
    char text[corvane::detail::kMaxShortestFloatChars];
    char again[corvane::detail::kMaxShortestFloatChars];
    for (;;) {
      const std::uint64_t first = next.fetch_add(kBlock);
      if (first >= (std::uint64_t{1} << 32)) return;
      for (std::uint64_t b = first; b < first + kBlock; ++b) {
        const auto bits = static_cast<std::uint32_t>(b);
        const float value = corvane::detail::bit_cast<float>(bits);
        const std::string ours(text, corvane::detail::write_shortest_float(text, value));
        bool same = false;
        if (std::isnan(value)) {
          same = ours == "NaN";
        } else if (std::isinf(value)) {
          same = ours == (value < 0 ? "-inf" : "inf");
        } else {
          same = ours == corvane_test::shortest_text_reference(value);
        }
        same = same &&
               std::string(again, corvane::detail::write_shortest_float(again, value, ours)) == ours;
        if (!same && mismatches.fetch_add(1) < 10) {
          const std::lock_guard<std::mutex> lock(print);
          std::printf("mismatch for %08X: %s vs %s\n", bits, ours.c_str(),
                      corvane_test::shortest_text_reference(value).c_str());
        }
      }
    }
  };
  std::vector<std::thread> pool;
  for (unsigned t = 0; t < threads; ++t) pool.emplace_back(worker);
  for (std::thread& t : pool) t.join();
  std::printf("shortest text: 4294967296 patterns checked, %llu mismatches\n",
              static_cast<unsigned long long>(mismatches.load()));
  return mismatches.load() == 0 ? 0 : 1;
}
