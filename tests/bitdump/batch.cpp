// The batch operations over the same inputs as the single-value dumps. Printed
// last, so that the lines before stay as they were.
#include <bit>
#include <cstdint>
#include <string>

#include "bitdump.hpp"
#include "corvane/bake_fingerprint.hpp"

namespace bitdump {

using corvane::FloatCanon;

namespace {

void dump_batch_fingerprint(Dump& dump) {
  std::vector<float> values = sample_floats();
  for (int odd = 1; odd < 40; odd += 6) values.push_back(static_cast<float>(odd) / 128.0f);
  for (const std::uint32_t bits : {0x417F'FFFFu, 0xC17F'FFF0u, 0xB3D6'BF95u, 0xFFC0'0001u}) {
    values.push_back(std::bit_cast<float>(bits));
  }
  std::vector<std::uint32_t> six_dp(values.size());
  std::vector<std::uint32_t> lossless(values.size());
  std::vector<std::uint32_t> wire(values.size());
  corvane::fingerprint_f32_bits(values, FloatCanon::SixDp, six_dp);
  corvane::fingerprint_f32_bits(values, FloatCanon::Lossless, lossless);
  corvane::wire_f32_bits(values, wire);
  for (std::size_t i = 0; i < values.size(); ++i) {
    const std::string id = std::to_string(i);
    dump("batch_six_dp" + id, std::uint64_t{six_dp[i]});
    dump("batch_lossless" + id, std::uint64_t{lossless[i]});
    dump("batch_wire" + id, std::uint64_t{wire[i]});
  }
  dump("batch_fold_six_dp", corvane::fnv1a_fold(corvane::FNV1A_OFFSET_BASIS, six_dp));
  // Records of 0 to 9 words over the lossless patterns, 20 of them.
  std::vector<std::size_t> ends;
  std::size_t end = 0;
  for (std::size_t r = 0; r < 20 && end + r % 10 <= lossless.size(); ++r) ends.push_back(end += r % 10);
  std::vector<std::uint64_t> hashes(ends.size(), corvane::FNV1A_OFFSET_BASIS);
  corvane::fnv1a_fold_records(std::span<const std::uint32_t>(lossless.data(), end), ends, hashes);
  for (std::size_t r = 0; r < hashes.size(); ++r) dump("batch_record" + std::to_string(r), hashes[r]);
}

}  // namespace

void dump_batch(Dump& dump) { dump_batch_fingerprint(dump); }

}  // namespace bitdump
