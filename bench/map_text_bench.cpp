// Map text read back and located: WorldCoordinates::from_string against the
// C library's strtof reading the same three numbers and their letters (no
// band middle, no check that the value prints as the text), and
// WorldPosition::from_world_coords against the forward to_world_coords.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "bench_inputs.hpp"
#include "corvane/position.hpp"

namespace {

using corvane::Guid;
using corvane::Quaternion;
using corvane::Vector3;
using corvane::WorldCoordinates;
using corvane::WorldPosition;

constexpr std::size_t kBatch = 1024;

// Outdoor positions spread over the whole world.
const std::vector<WorldPosition>& positions() {
  static const std::vector<WorldPosition> in = [] {
    auto gen = corvane_bench::rng(16);
    std::uniform_int_distribution<std::uint32_t> landblock(0, 255);
    std::uniform_real_distribution<float> offset(0.0f, corvane::LANDBLOCK_LENGTH);
    std::vector<WorldPosition> out;
    for (std::size_t i = 0; i < kBatch; ++i) {
      const Guid id{(landblock(gen) << 24) | (landblock(gen) << 16) | 1u};
      out.push_back(
          WorldPosition{id, Vector3{offset(gen), offset(gen), 12.5f}, Quaternion::identity()}
              .normalize_outdoor_cell());
    }
    return out;
  }();
  return in;
}

std::vector<std::string> texts(std::size_t precision) {
  std::vector<std::string> out;
  for (const WorldPosition& p : positions()) {
    out.push_back(p.to_world_coords().to_string_with_precision(precision));
  }
  return out;
}

void BM_ReadMapText_Corvane(benchmark::State& state) {
  const std::vector<std::string> in = texts(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    for (const std::string& t : in) benchmark::DoNotOptimize(WorldCoordinates::from_string(t));
  }
  corvane_bench::set_items(state, in.size());
}

// The peer reads the numbers with strtof and the letters as they come (sscanf
// would take the E of "72.7E" for an exponent).
void BM_ReadMapText_Strtof(benchmark::State& state) {
  const std::vector<std::string> in = texts(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    for (const std::string& t : in) {
      char* end = nullptr;
      const float lat = std::strtof(t.c_str(), &end);
      const bool south = *end == 'S';
      const float lon = std::strtof(end + 3, &end);
      const bool west = *end == 'W';
      const float alt = std::strtof(end + 3, &end);
      if (*end != 'Z') {
        state.SkipWithError("strtof did not read a map text");
        return;
      }
      benchmark::DoNotOptimize(
          WorldCoordinates::Outdoor{south ? -lat : lat, west ? -lon : lon, alt});
    }
  }
  corvane_bench::set_items(state, in.size());
}

void BM_Locate_FromWorldCoords(benchmark::State& state) {
  std::vector<WorldCoordinates> in;
  for (const std::string& t : texts(2)) in.push_back(*WorldCoordinates::from_string(t));
  for (auto _ : state) {
    for (const WorldCoordinates& c : in)
      benchmark::DoNotOptimize(WorldPosition::from_world_coords(c));
  }
  corvane_bench::set_items(state, in.size());
}

void BM_Locate_ToWorldCoords(benchmark::State& state) {
  for (auto _ : state) {
    for (const WorldPosition& p : positions()) benchmark::DoNotOptimize(p.to_world_coords());
  }
  corvane_bench::set_items(state, positions().size());
}

}  // namespace

BENCHMARK(BM_ReadMapText_Corvane)->Arg(1)->Arg(2)->Arg(6);
BENCHMARK(BM_ReadMapText_Strtof)->Arg(1)->Arg(2)->Arg(6);
BENCHMARK(BM_Locate_FromWorldCoords);
BENCHMARK(BM_Locate_ToWorldCoords);
