// The batch operations against their single-value forms, on every vector path
// this CPU supports: one equality sweep per operation over varied inputs
// (random bit patterns, the special values, lengths that leave every tail
// size), plus the size checks.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <cstdint>
#include <numeric>
#include <random>
#include <stdexcept>
#include <vector>

#include "batch/fingerprint_batch.hpp"
#include "batch/simd_path.hpp"
#include "corvane/bake_fingerprint.hpp"

namespace {

using corvane::FloatCanon;
using corvane::detail::SimdPath;

std::vector<SimdPath> supported_paths() {
  std::vector<SimdPath> paths;
  for (const SimdPath path : corvane::detail::kAllSimdPaths) {
    if (corvane::detail::simd_path_supported(path)) paths.push_back(path);
  }
  return paths;
}

// Random patterns of every class: uniform bits (mostly huge, tiny or NaN),
// and values below 16 in magnitude where SixDp does its rounding, with the
// specials and six-decimal ties mixed in.
std::vector<float> varied_floats(std::size_t n, std::uint32_t seed) {
  std::mt19937 rng(seed);
  const std::uint32_t specials[] = {0x00000000u, 0x80000000u, 0x7F800000u, 0xFF800000u,
                                    0x7FC00000u, 0xFFC00001u, 0x7F800001u, 0x00000001u,
                                    0x80000001u, 0x417FFFFFu, 0x41800000u, 0xC17FFFFFu,
                                    0x3F3504F4u, 0x3C000000u, 0xB3D6BF95u, 0x350637BDu};
  std::vector<float> values(n);
  for (std::size_t i = 0; i < n; ++i) {
    auto bits = static_cast<std::uint32_t>(rng());
    switch (bits % 4) {
      case 0:
        break;
      case 1:
        bits = (bits & 0x807FFFFFu) | ((0x60u + (bits >> 23) % 0x24u) << 23);  // 2^-31 .. 16
        break;
      case 2:
        bits = specials[(bits >> 8) % std::size(specials)];
        break;
      default:
        bits = std::bit_cast<std::uint32_t>(static_cast<float>(static_cast<int>(bits >> 8) % 2000) / 128.0f);
        break;
    }
    values[i] = std::bit_cast<float>(bits);
  }
  return values;
}

TEST(BatchFingerprint, EveryPathMatchesTheSingleValueFunctions) {
  const std::vector<float> values = varied_floats(1 << 16, 14);
  for (const SimdPath path : supported_paths()) {
    std::printf("vector path available: %s\n", corvane::detail::simd_path_name(path));
  }
  for (const SimdPath path : supported_paths()) {
    for (const FloatCanon canon : {FloatCanon::SixDp, FloatCanon::Lossless}) {
      // Every length up to 40 (all tails of every vector width), then all.
      std::vector<std::size_t> lengths(41);
      std::iota(lengths.begin(), lengths.end(), 0);
      lengths.push_back(values.size());
      for (const std::size_t n : lengths) {
        const std::span<const float> in(values.data(), n);
        std::vector<std::uint32_t> out(n);
        corvane::detail::fingerprint_batch(path, in, canon, out);
        for (std::size_t i = 0; i < n; ++i) {
          ASSERT_EQ(out[i], corvane::fingerprint_f32_bits(in[i], canon))
              << corvane::detail::simd_path_name(path) << " canon " << static_cast<int>(canon)
              << " n " << n << " input 0x" << std::hex << std::bit_cast<std::uint32_t>(in[i]);
        }
      }
    }
  }
  // The public overloads (best path) and wire_f32_bits.
  std::vector<std::uint32_t> six(values.size()), lossless(values.size()), wire(values.size());
  corvane::fingerprint_f32_bits(values, FloatCanon::SixDp, six);
  corvane::fingerprint_f32_bits(values, FloatCanon::Lossless, lossless);
  corvane::wire_f32_bits(values, wire);
  for (std::size_t i = 0; i < values.size(); ++i) {
    ASSERT_EQ(six[i], corvane::fingerprint_f32_bits(values[i], FloatCanon::SixDp));
    ASSERT_EQ(lossless[i], corvane::fingerprint_f32_bits(values[i], FloatCanon::Lossless));
    ASSERT_EQ(wire[i], corvane::wire_f32_bits(values[i]));
  }
}

TEST(BatchFingerprint, FoldsEqualTheWordByWordFold) {
  std::mt19937 rng(1408);
  std::vector<std::uint32_t> words(5000);
  for (auto& w : words) w = static_cast<std::uint32_t>(rng());

  EXPECT_EQ(corvane::fnv1a_fold(corvane::FNV1A_OFFSET_BASIS, std::span<const std::uint32_t>{}),
            corvane::FNV1A_OFFSET_BASIS);
  std::uint64_t one_by_one = 42;
  for (const std::uint32_t w : words) one_by_one = corvane::fnv1a_fold(one_by_one, w);
  EXPECT_EQ(corvane::fnv1a_fold(42, words), one_by_one);

  // Record layouts: equal lengths, empty records among others, one long
  // record among short ones, and record counts that leave partial groups.
  std::vector<std::vector<std::size_t>> layouts;
  for (const std::size_t count : {1u, 7u, 8u, 16u, 17u, 64u, 100u}) {
    std::vector<std::size_t> lengths(count);
    for (std::size_t r = 0; r < count; ++r) {
      const auto pick = static_cast<std::uint32_t>(rng() % 8);
      lengths[r] = pick == 0 ? 0 : pick == 1 ? rng() % 300 : 12 + rng() % 3;
    }
    layouts.push_back(lengths);
    layouts.push_back(std::vector<std::size_t>(count, 9));
  }
  for (const auto& lengths : layouts) {
    std::vector<std::size_t> ends;
    std::size_t total = 0;
    for (const std::size_t length : lengths) ends.push_back(total += length);
    ASSERT_LE(total, words.size());
    const std::span<const std::uint32_t> used(words.data(), total);
    std::vector<std::uint64_t> expected(lengths.size());
    for (std::size_t r = 0; r < lengths.size(); ++r) {
      std::uint64_t h = corvane::FNV1A_OFFSET_BASIS + r;  // each record its own start
      for (std::size_t i = r == 0 ? 0 : ends[r - 1]; i < ends[r]; ++i) {
        h = corvane::fnv1a_fold(h, words[i]);
      }
      expected[r] = h;
    }
    for (const SimdPath path : supported_paths()) {
      std::vector<std::uint64_t> hashes(lengths.size());
      for (std::size_t r = 0; r < hashes.size(); ++r) hashes[r] = corvane::FNV1A_OFFSET_BASIS + r;
      corvane::detail::fold_records(path, used, ends, hashes);
      ASSERT_EQ(hashes, expected) << corvane::detail::simd_path_name(path) << ", "
                                  << lengths.size() << " records";
    }
    std::vector<std::uint64_t> hashes(lengths.size());
    for (std::size_t r = 0; r < hashes.size(); ++r) hashes[r] = corvane::FNV1A_OFFSET_BASIS + r;
    corvane::fnv1a_fold_records(used, ends, hashes);
    ASSERT_EQ(hashes, expected);
  }
}

TEST(BatchFingerprint, BadSizesThrowBeforeWriting) {
  const std::vector<float> in(5, 1.5f);
  std::vector<std::uint32_t> out(4, 0xDEADBEEFu);
  EXPECT_THROW(corvane::fingerprint_f32_bits(in, FloatCanon::SixDp, out), std::invalid_argument);
  EXPECT_THROW(corvane::wire_f32_bits(in, out), std::invalid_argument);
  EXPECT_EQ(out, std::vector<std::uint32_t>(4, 0xDEADBEEFu));
  corvane::wire_f32_bits(std::span<const float>{}, std::span<std::uint32_t>{});  // empty: nothing

  const std::vector<std::uint32_t> words(10, 7u);
  std::vector<std::uint64_t> hashes(2, 1u);
  using Ends = std::vector<std::size_t>;
  for (const Ends& ends : {Ends{10}, Ends{6, 4}, Ends{4, 9}, Ends{4, 11}}) {
    EXPECT_THROW(corvane::fnv1a_fold_records(words, ends, hashes), std::invalid_argument);
  }
  EXPECT_THROW(corvane::fnv1a_fold_records(words, Ends{}, std::span<std::uint64_t>{}),
               std::invalid_argument);
  EXPECT_EQ(hashes, std::vector<std::uint64_t>(2, 1u));
  corvane::fnv1a_fold_records({}, Ends{}, std::span<std::uint64_t>{});
  corvane::fnv1a_fold_records(words, Ends{0, 10}, hashes);  // an empty record keeps its hash
  EXPECT_EQ(hashes[0], 1u);
  EXPECT_EQ(hashes[1], corvane::fnv1a_fold(1u, words));
}

}  // namespace
