#include <string>

#include "bitdump.hpp"
#include "corvane/bake_fingerprint.hpp"
#include "corvane/detail/bit_cast.hpp"

namespace bitdump {

using corvane::FloatCanon;

void dump_fingerprint(Dump& dump) {
  std::vector<float> values = sample_floats();
  // Exact six-decimal ties (odd multiples of 1/128), values just below 16,
  // tiny values of both signs and a negative NaN.
  for (int odd = 1; odd < 40; odd += 6) values.push_back(static_cast<float>(odd) / 128.0f);
  for (const std::uint32_t bits : {0x417F'FFFFu, 0xC17F'FFF0u, 0x3F35'04F4u, 0x3F9E'0652u,
                                   0xB3D6'BF95u, 0x3506'37BDu, 0xFFC0'0001u, 0x8000'0001u}) {
    values.push_back(corvane::detail::bit_cast<float>(bits));
  }

  std::uint64_t six_dp_hash = corvane::FNV1A_OFFSET_BASIS;
  std::uint64_t lossless_hash = corvane::FNV1A_OFFSET_BASIS;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const std::string id = std::to_string(i);
    const std::uint32_t six_dp = corvane::fingerprint_f32_bits(values[i], FloatCanon::SixDp);
    const std::uint32_t lossless = corvane::fingerprint_f32_bits(values[i], FloatCanon::Lossless);
    dump("six_dp" + id, std::uint64_t{six_dp});
    dump("lossless" + id, std::uint64_t{lossless});
    dump("wire" + id, std::uint64_t{corvane::wire_f32_bits(values[i])});
    six_dp_hash = corvane::fnv1a_fold(six_dp_hash, six_dp);
    lossless_hash = corvane::fnv1a_fold(lossless_hash, lossless);
    dump("fold_six_dp" + id, six_dp_hash);
    dump("fold_lossless" + id, lossless_hash);
  }
}

}  // namespace bitdump
