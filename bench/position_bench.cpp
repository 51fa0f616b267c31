// The map text of world positions: the integer fast path of the fixed-point
// writer against std::to_chars for the precisions players see, the whole text
// through to_string_with_precision and the stream, and rebucketing.
#include <benchmark/benchmark.h>

#include <random>
#include <sstream>
#include <vector>

#include "corvane/position.hpp"
#include "fixed_text.hpp"

namespace {

using corvane::WorldCoordinates;

// Latitudes and longitudes of the whole map, fixed seed.
const std::vector<float>& map_degrees() {
  static const std::vector<float> values = [] {
    std::mt19937 rng(1);
    std::uniform_real_distribution<float> degrees(-102.0f, 102.8f);
    std::vector<float> v(4096);
    for (float& x : v) x = degrees(rng);
    return v;
  }();
  return values;
}

template <bool kFast>
void BM_FixedText(benchmark::State& state) {
  const auto precision = static_cast<std::size_t>(state.range(0));
  char buffer[64];
  for (auto _ : state) {
    for (const float v : map_degrees()) {
      char* end = kFast ? corvane::detail::write_fixed(buffer, v, precision)
                        : corvane::detail::write_fixed_to_chars(buffer, v, precision);
      benchmark::DoNotOptimize(end);
      benchmark::ClobberMemory();
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(map_degrees().size()));
}
BENCHMARK_TEMPLATE(BM_FixedText, true)->Name("FixedText/fast")->Arg(1)->Arg(2)->Arg(6);
BENCHMARK_TEMPLATE(BM_FixedText, false)->Name("FixedText/to_chars")->Arg(1)->Arg(2)->Arg(6);

void BM_MapTextToString(benchmark::State& state) {
  const auto precision = static_cast<std::size_t>(state.range(0));
  const auto& d = map_degrees();
  for (auto _ : state) {
    for (std::size_t i = 0; i + 1 < d.size(); i += 2) {
      const WorldCoordinates c{WorldCoordinates::Outdoor{d[i], d[i + 1], 12.5f}};
      benchmark::DoNotOptimize(c.to_string_with_precision(precision));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(d.size() / 2));
}
BENCHMARK(BM_MapTextToString)->Arg(1)->Arg(2);

void BM_MapTextStream(benchmark::State& state) {
  const auto& d = map_degrees();
  std::ostringstream os;
  for (auto _ : state) {
    for (std::size_t i = 0; i + 1 < d.size(); i += 2) {
      os.seekp(0);
      os << WorldCoordinates{WorldCoordinates::Outdoor{d[i], d[i + 1], 12.5f}};
    }
    benchmark::DoNotOptimize(os);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(d.size() / 2));
}
BENCHMARK(BM_MapTextStream);

void BM_Rebucket(benchmark::State& state) {
  std::mt19937 rng(2);
  std::uniform_real_distribution<float> offset(-400.0f, 600.0f);
  std::vector<corvane::WorldPosition> positions(4096);
  for (auto& p : positions) {
    p = {corvane::Guid{0x7F7F0001u}, {offset(rng), offset(rng), 0.0f},
         corvane::Quaternion::identity()};
  }
  for (auto _ : state) {
    for (const auto& p : positions) benchmark::DoNotOptimize(p.rebucket_outdoor_landblock());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(positions.size()));
}
BENCHMARK(BM_Rebucket);

}  // namespace
