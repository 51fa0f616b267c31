// The library's atan2 on every recorded argument pair (atan2_recorder.cpp,
// scripts/check-atan2-pairs) against the quad-precision reference of
// cr_math_quad.cpp, built into this program under the name quad_atan2.
// Results are compared bit for bit, NaNs included.
//
// Usage: atan2_pairs_check FILE...   (each FILE: y, x bit pairs as recorded)
// Fails when a result is misrounded or when nothing was recorded.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include "crmath/cr_math.hpp"

namespace corvane::detail {
float quad_atan2(float y, float x) noexcept;
}

namespace {

std::uint32_t bits(float f) { return std::bit_cast<std::uint32_t>(f); }
bool finite_nonzero(float f) { return std::isfinite(f) && f != 0.0f; }

std::vector<std::uint64_t> unique_pairs(const char* path, std::size_t& recorded) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) {
    std::perror(path);
    std::exit(2);
  }
  std::vector<std::uint32_t> words(static_cast<std::size_t>(in.tellg()) / sizeof(std::uint32_t));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(words.data()), static_cast<std::streamsize>(words.size() * 4));
  recorded = words.size() / 2;
  std::vector<std::uint64_t> pairs(recorded);
  for (std::size_t i = 0; i < recorded; ++i) pairs[i] = std::uint64_t{words[2 * i]} << 32 | words[2 * i + 1];
  std::sort(pairs.begin(), pairs.end());
  pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
  return pairs;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::uint64_t> all;
  std::size_t total = 0;
  std::printf("%-24s %14s %12s\n", "source", "calls", "unique pairs");
  for (int i = 1; i < argc; ++i) {
    std::size_t recorded = 0;
    const std::vector<std::uint64_t> pairs = unique_pairs(argv[i], recorded);
    const char* slash = std::strrchr(argv[i], '/');
    std::printf("%-24s %14zu %12zu\n", slash ? slash + 1 : argv[i], recorded, pairs.size());
    total += recorded;
    all.insert(all.end(), pairs.begin(), pairs.end());
  }
  std::sort(all.begin(), all.end());
  all.erase(std::unique(all.begin(), all.end()), all.end());

  // Beside the verdict: how many pairs are ordinary (finite, non-zero) and how
  // many the C library's atan2f would get wrong, a measure of how hard they are.
  std::size_t misrounded = 0, ordinary = 0, libc_wrong = 0;
  for (const std::uint64_t pair : all) {
    const float y = std::bit_cast<float>(static_cast<std::uint32_t>(pair >> 32));
    const float x = std::bit_cast<float>(static_cast<std::uint32_t>(pair));
    const float got = corvane::detail::cr_atan2(y, x), want = corvane::detail::quad_atan2(y, x);
    if (finite_nonzero(y) && finite_nonzero(x)) ++ordinary;
    if (!std::isnan(want) && bits(std::atan2(y, x)) != bits(want)) ++libc_wrong;
    if (bits(got) != bits(want) && ++misrounded <= 20) {
      std::printf("atan2(%08X, %08X): got %08X, correctly rounded %08X\n", bits(y), bits(x), bits(got),
                  bits(want));
    }
  }
  std::printf("%-24s %14zu %12zu\n", "all sources", total, all.size());
  std::printf("%zu unique pairs (%zu with both arguments finite and non-zero), %zu misrounded; "
              "the C library's atan2f misrounds %zu of them\n",
              all.size(), ordinary, misrounded, libc_wrong);
  return misrounded == 0 && !all.empty() ? 0 : 1;
}
