// The C++ side of bench/js_bench.mjs: the library's column operations on the
// inputs the script generates (the same multiplicative hash of the index), so
// that the script can state the JavaScript package's cost per position as a
// ratio to the native one.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "corvane/position.hpp"

namespace {

std::uint32_t mix(std::uint64_t i, std::uint64_t k) {
  return static_cast<std::uint32_t>((i * 2654435761u + k) & 0xFFFF'FFFFu);
}
float unit(std::uint64_t i, std::uint64_t k) {
  return static_cast<float>(static_cast<double>(mix(i, k)) / 4294967296.0);
}

struct Columns {
  std::vector<std::uint32_t> ids;
  std::vector<float> xyz;
};

// Outdoor cells 0 to 64 over every landblock, offsets around the landblock.
Columns js_positions(std::size_t n) {
  Columns c{std::vector<std::uint32_t>(n), std::vector<float>(3 * n)};
  for (std::size_t i = 0; i < n; ++i) {
    c.ids[i] = (mix(i, 2) & 0xFFFF'0000u) | (mix(i, 3) % 65u);
    c.xyz[3 * i] = unit(i, 4) * 300.0f - 50.0f;
    c.xyz[3 * i + 1] = unit(i, 5) * 300.0f - 50.0f;
    c.xyz[3 * i + 2] = unit(i, 6) * 100.0f;
  }
  return c;
}

void BM_AppendMapTextColumns(benchmark::State& state) {
  const Columns in = js_positions(static_cast<std::size_t>(state.range(0)));
  std::vector<std::size_t> ends(in.ids.size());
  std::string text;
  for (auto _ : state) {
    text.clear();
    corvane::append_map_text(text, in.ids, in.xyz, 1, ends);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AppendMapTextColumns)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_ToWorldCoordsColumns(benchmark::State& state) {
  const Columns in = js_positions(static_cast<std::size_t>(state.range(0)));
  const std::size_t n = in.ids.size();
  std::vector<float> lat(n), lon(n), alt(n);
  std::vector<std::uint8_t> indoor(n);
  std::vector<std::uint16_t> cell(n);
  for (auto _ : state) {
    corvane::to_world_coords(in.ids, in.xyz, {lat, lon, alt, indoor, cell});
    benchmark::DoNotOptimize(lat.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ToWorldCoordsColumns)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace
