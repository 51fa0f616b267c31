// The float operations the per-module dumps do not reach on their own:
// quaternion dot products, squared lengths, and the cell derivation (a float
// division truncated to an integer, where a fused or reordered division would
// move offsets across a cell edge).
#include <string>

#include "bitdump.hpp"
#include "corvane/math.hpp"
#include "corvane/position.hpp"

namespace bitdump {

using corvane::Guid;
using corvane::Quaternion;
using corvane::Vector3;
using corvane::WorldPosition;

void dump_coverage(Dump& dump) {
  const std::vector<float> f = sample_floats();
  const std::size_t n = f.size();
  for (std::size_t i = 0; i < n; ++i) {
    const std::string id = std::to_string(i);
    const Quaternion q{f[i], f[(i + 3) % n], f[(i + 6) % n], f[(i + 10) % n]};
    const Quaternion r{f[(i + 1) % n], f[(i + 4) % n], f[(i + 8) % n], f[(i + 12) % n]};
    dump("qdot" + id, q.dot(r));
    dump("length_squared" + id, Vector3{f[i], f[(i + 2) % n], f[(i + 5) % n]}.length_squared());
  }
  // Offsets a millimetre or two either side of every cell edge, and a spread
  // of ordinary ones, built by one division each.
  const std::uint32_t ids[] = {0xA9B40019u, 0x00000001u, 0xFFFF0040u};
  int k = 0;
  const auto cell = [&](float x, float y) {
    const WorldPosition p{Guid{ids[k % 3]}, Vector3{x, y, 0.0f}, Quaternion::identity()};
    const auto c = p.derived_outdoor_cell_id();
    dump("cell" + std::to_string(k), static_cast<std::uint64_t>(c ? *c : 0xFFFFu));
    dump("normalized" + std::to_string(k),
         static_cast<std::uint64_t>(p.normalize_outdoor_cell().landblock_id.raw));
    ++k;
  };
  for (int m = 0; m <= 8; ++m) {
    for (int d = -3; d <= 3; ++d) {
      cell(static_cast<float>(24000 * m + d) / 1000.0f, static_cast<float>(24000 * (8 - m) - d) / 1000.0f);
    }
  }
  for (int i = 0; i < 200; ++i) {
    cell(static_cast<float>(i * 4801 - 3000) / 487.0f, static_cast<float>(97000 - i * 4789) / 503.0f);
  }
}

}  // namespace bitdump
