// Arbitrary bit patterns through fingerprint_f32_bits in both regimes and
// wire_f32_bits, and the fold of the resulting words compared with a
// byte-wise FNV-1a written here from its definition.
//
// Input: records of one tag byte and one 32-bit word. The tag says whether
// the word is folded as it is or as a float canonicalised under SixDp or
// Lossless. SixDp is compared with two independently written texts of the
// value with six decimals, each read back by strtof: the C library's "%.6f",
// and std::to_chars as in the unit tests' reference.
//
// The same input then goes through the batch overloads, on every vector path
// the CPU supports: the floats (all records, whatever their tag) canonicalised
// at once, the words folded as one span, and the words cut into records where
// the tag's bit 2 is set, folded side by side; each must equal the
// single-value result.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

#include "batch/fingerprint_batch.hpp"
#include "batch/simd_path.hpp"

#include "corvane/bake_fingerprint.hpp"
#include "fuzz_support.hpp"
#include "six_dp_reference.hpp"

namespace {

using corvane::FloatCanon;

// "%.6f" is exact in glibc (the float widens to double without change), and
// strtof rounds correctly: the text definition through a second library.
std::uint32_t six_dp_by_printf(std::uint32_t bits) {
  float v = std::bit_cast<float>(bits);
  if (std::isnan(v)) return 0x7FC00000u;
  if (v == 0.0f) v = 0.0f;
  char text[64];
  const int n = std::snprintf(text, sizeof text, "%.6f", static_cast<double>(v));
  FUZZ_CHECK(n > 0 && n < static_cast<int>(sizeof text), "printf failed for %08X", bits);
  char* end = nullptr;
  const float back = std::strtof(text, &end);
  FUZZ_CHECK(*end == '\0', "strtof did not read '%s'", text);
  return std::bit_cast<std::uint32_t>(back);
}

// FNV-1a over bytes, as published: xor the byte in, multiply by the prime.
std::uint64_t fnv1a_bytes(const std::vector<std::uint8_t>& bytes) {
  std::uint64_t h = 14695981039346656037ull;
  for (const std::uint8_t b : bytes) {
    h ^= b;
    h *= 1099511628211ull;
  }
  return h;
}

void check_float(std::uint32_t bits) {
  const float v = std::bit_cast<float>(bits);
  const std::uint32_t lossless = corvane::fingerprint_f32_bits(v, FloatCanon::Lossless);
  const std::uint32_t six = corvane::fingerprint_f32_bits(v, FloatCanon::SixDp);

  FUZZ_CHECK(lossless == (bits == 0x80000000u ? 0u : bits), "Lossless of %08X is %08X", bits,
             lossless);
  const std::uint32_t by_printf = six_dp_by_printf(bits);
  const std::uint32_t by_to_chars = corvane_test::six_dp_by_text(bits);
  FUZZ_CHECK(by_printf == by_to_chars, "the two references disagree on %08X: %08X vs %08X", bits,
             by_printf, by_to_chars);
  FUZZ_CHECK(six == by_printf, "SixDp of %08X is %08X, the text gives %08X", bits, six, by_printf);
  FUZZ_CHECK(corvane::wire_f32_bits(v) == six, "wire_f32_bits differs from SixDp on %08X", bits);
  // A FloatCanon value that names no member (only reachable by a cast) is
  // documented to canonicalise like SixDp.
  FUZZ_CHECK(corvane::fingerprint_f32_bits(v, static_cast<FloatCanon>(2 + (bits >> 24) % 254)) == six,
             "an unnamed FloatCanon is not treated as SixDp on %08X", bits);
  // Idempotent up to the zero merge: a tiny negative value comes out as -0
  // (its text is "-0.000000"), and -0 itself canonicalises to +0.
  const std::uint32_t twice = corvane::fingerprint_f32_bits(std::bit_cast<float>(six), FloatCanon::SixDp);
  FUZZ_CHECK(twice == (six == 0x80000000u ? 0u : six), "SixDp twice of %08X is %08X, once %08X",
             bits, twice, six);
  if (std::isfinite(v) && std::fabs(v) >= 16.0f) {
    FUZZ_CHECK(six == bits, "SixDp changed %08X although its magnitude is at least 16", bits);
  }
  if (std::isfinite(v)) {
    // Six decimals move a value by at most half a millionth (and then to
    // the nearest float).
    const double moved = std::fabs(double{std::bit_cast<float>(six)} - double{v});
    FUZZ_CHECK(moved <= 5e-7 + std::fabs(double{v}) * 6e-8, "SixDp moved %08X by %g", bits, moved);
  }
}

void check_batch(const std::vector<float>& floats, const std::vector<std::uint32_t>& words,
                 const std::vector<std::size_t>& record_ends) {
  using corvane::detail::SimdPath;
  std::vector<std::uint32_t> out(floats.size());
  for (const SimdPath path : corvane::detail::kAllSimdPaths) {
    if (!corvane::detail::simd_path_supported(path)) continue;
    const char* name = corvane::detail::simd_path_name(path);
    for (const FloatCanon canon : {FloatCanon::SixDp, FloatCanon::Lossless}) {
      corvane::detail::fingerprint_batch(path, floats, canon, out);
      for (std::size_t i = 0; i < floats.size(); ++i) {
        FUZZ_CHECK(out[i] == corvane::fingerprint_f32_bits(floats[i], canon),
                   "%s batch canon %d of %08X at %zu is %08X", name, static_cast<int>(canon),
                   fuzz::hex(floats[i]), i, out[i]);
      }
    }
    std::vector<std::uint64_t> hashes(record_ends.size());
    for (std::size_t r = 0; r < hashes.size(); ++r) hashes[r] = corvane::FNV1A_OFFSET_BASIS ^ r;
    corvane::detail::fold_records(path, words, record_ends, hashes);
    for (std::size_t r = 0; r < hashes.size(); ++r) {
      std::uint64_t h = corvane::FNV1A_OFFSET_BASIS ^ r;
      for (std::size_t i = r == 0 ? 0 : record_ends[r - 1]; i < record_ends[r]; ++i) {
        h = corvane::fnv1a_fold(h, words[i]);
      }
      FUZZ_CHECK(hashes[r] == h, "%s record %zu of %zu folds to %016llX, word by word %016llX",
                 name, r, hashes.size(), static_cast<unsigned long long>(hashes[r]),
                 static_cast<unsigned long long>(h));
    }
  }
  corvane::wire_f32_bits(floats, out);
  for (std::size_t i = 0; i < floats.size(); ++i) {
    FUZZ_CHECK(out[i] == corvane::wire_f32_bits(floats[i]), "batch wire of %08X is %08X",
               fuzz::hex(floats[i]), out[i]);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  std::vector<std::uint8_t> bytes;
  std::vector<float> floats;
  std::vector<std::uint32_t> words;
  std::vector<std::size_t> record_ends;
  std::uint64_t h = corvane::FNV1A_OFFSET_BASIS;
  while (in.remaining() > 0) {
    const std::uint8_t tag = in.u8();
    std::uint32_t word = in.u32();
    floats.push_back(std::bit_cast<float>(word));
    if (tag & 1u) {
      check_float(word);
      const FloatCanon canon = (tag & 2u) ? FloatCanon::Lossless : FloatCanon::SixDp;
      word = corvane::fingerprint_f32_bits(std::bit_cast<float>(word), canon);
    }
    h = corvane::fnv1a_fold(h, word);
    words.push_back(word);
    if (tag & 4u) record_ends.push_back(words.size());
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(word >> (8 * i)));
  }
  FUZZ_CHECK(h == fnv1a_bytes(bytes), "fold of %zu words is %016llX, FNV-1a of their bytes %016llX",
             bytes.size() / 4, static_cast<unsigned long long>(h),
             static_cast<unsigned long long>(fnv1a_bytes(bytes)));
  FUZZ_CHECK(corvane::fnv1a_fold(corvane::FNV1A_OFFSET_BASIS, words) == h,
             "the span fold of %zu words differs from the word-by-word fold", words.size());
  if (record_ends.empty() || record_ends.back() != words.size()) record_ends.push_back(words.size());
  check_batch(floats, words, record_ends);
  return 0;
}
