// derived_outdoor_cell_id on every float offset in [-1, 200], first along x
// and then along y (the other axis held inside one cell), against the cell
// found by comparing the offset with the cell boundaries 24, 48, ..., 168
// instead of dividing by 24. Run with: ctest -L exhaustive
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>

#include "corvane/position.hpp"

namespace {

std::uint32_t cell_by_boundaries(float v) {
  const float local = std::clamp(v, 0.0f, corvane::MAX_LOCAL);
  std::uint32_t cell = 0;
  for (std::uint32_t k = 1; k < 8; ++k) {
    if (local >= corvane::CELL_LENGTH * static_cast<float>(k)) cell = k;
  }
  return cell;
}

struct Count {
  std::uint64_t checked = 0;
  std::uint64_t mismatches = 0;
};

// Every float from -1 to 200 on one axis; the other offset is fixed.
Count sweep(bool along_x, float other) {
  Count count;
  const std::uint32_t other_cell = cell_by_boundaries(other);
  corvane::WorldPosition p{corvane::Guid{0xA9B40019u}, {}, corvane::Quaternion::identity()};
  // By bit pattern, so that both zeros are included: -1.0 up to -0.0 runs
  // the negative patterns downwards, then +0.0 up to 200.0.
  const auto next = [](std::uint32_t bits) {
    if (bits == 0x80000000u) return 0u;
    return (bits & 0x80000000u) ? bits - 1 : bits + 1;
  };
  const std::uint32_t last = std::bit_cast<std::uint32_t>(200.0f);
  for (std::uint32_t bits = std::bit_cast<std::uint32_t>(-1.0f);; bits = next(bits)) {
    const float v = std::bit_cast<float>(bits);
    p.coords = along_x ? corvane::Vector3{v, other, 0.0f} : corvane::Vector3{other, v, 0.0f};
    const std::uint32_t cx = along_x ? cell_by_boundaries(v) : other_cell;
    const std::uint32_t cy = along_x ? other_cell : cell_by_boundaries(v);
    const std::uint32_t expected = cx * 8 + cy + 1;
    const std::optional<std::uint32_t> got = p.derived_outdoor_cell_id();
    if (!got || *got != expected) {
      if (count.mismatches < 20) {
        std::printf("mismatch: %s = %.9g (bits %08X): cell %d, boundaries give %u\n",
                    along_x ? "x" : "y", static_cast<double>(v), std::bit_cast<std::uint32_t>(v),
                    got ? static_cast<int>(*got) : -1, expected);
      }
      ++count.mismatches;
    }
    ++count.checked;
    if (bits == last) break;
  }
  return count;
}

}  // namespace

int main() {
  const Count x = sweep(true, 100.0f);
  std::printf("derived_outdoor_cell_id along x: %llu offsets checked, %llu mismatches\n",
              static_cast<unsigned long long>(x.checked), static_cast<unsigned long long>(x.mismatches));
  const Count y = sweep(false, 37.0f);
  std::printf("derived_outdoor_cell_id along y: %llu offsets checked, %llu mismatches\n",
              static_cast<unsigned long long>(y.checked), static_cast<unsigned long long>(y.mismatches));
  return x.mismatches == 0 && y.mismatches == 0 ? 0 : 1;
}
