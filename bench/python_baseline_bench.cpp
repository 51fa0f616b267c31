// The C++ side of bench/python_bench.py: the library's batch operations at the
// sizes the Python targets name, on the same generated inputs (see
// python_inputs below and `inputs` in the script), so that the script can
// state the Python cost per element as a ratio to the C++ cost per element.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include <span>
#include <tuple>
#include <string>
#include <vector>

#include "corvane/bake_fingerprint.hpp"
#include "corvane/position.hpp"

namespace {

/// n elements, not written: new memory, as numpy's empty arrays are; like
/// numpy, a large block asks the kernel for huge pages, so that the first
/// writes fault once per 2 MiB rather than once per 4 KiB.
template <class T>
std::unique_ptr<T[]> uninitialized(std::size_t n) {
  std::unique_ptr<T[]> p(new T[n]);
#ifdef MADV_HUGEPAGE
  if (n * sizeof(T) >= (std::size_t{4} << 20)) {
    const auto begin = (reinterpret_cast<std::uintptr_t>(p.get()) + 4095) & ~std::uintptr_t{4095};
    const auto end = reinterpret_cast<std::uintptr_t>(p.get() + n) & ~std::uintptr_t{4095};
    madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
  }
#endif
  return p;
}

// A multiplicative hash of the index: the same numbers in numpy and here.
std::uint32_t mix(std::uint64_t i, std::uint64_t k) {
  return static_cast<std::uint32_t>((i * 2654435761u + k) & 0xFFFF'FFFFu);
}
float unit(std::uint64_t i, std::uint64_t k) {
  return static_cast<float>(static_cast<double>(mix(i, k)) / 4294967296.0);
}

std::vector<float> python_values(std::size_t n) {
  std::vector<float> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<float>(unit(i, 1) * 400.0f - 200.0f);
  return v;
}

std::vector<corvane::WorldPosition> python_positions(std::size_t n) {
  std::vector<corvane::WorldPosition> p(n);
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t id = (mix(i, 2) & 0xFFFF'0000u) | (mix(i, 3) % 65u);
    p[i] = corvane::WorldPosition{corvane::Guid{id},
                                  corvane::Vector3{unit(i, 4) * 300.0f - 50.0f,
                                                   unit(i, 5) * 300.0f - 50.0f,
                                                   unit(i, 6) * 100.0f},
                                  {}};
  }
  return p;
}

/// The same positions as columns: ids, and x, y, z per position.
struct Columns {
  std::vector<std::uint32_t> ids;
  std::vector<float> xyz;
};

Columns python_columns(std::size_t n) {
  Columns c{std::vector<std::uint32_t>(n), std::vector<float>(3 * n)};
  const auto rows = python_positions(n);
  for (std::size_t i = 0; i < n; ++i) {
    c.ids[i] = rows[i].landblock_id.raw;
    c.xyz[3 * i] = rows[i].coords.x;
    c.xyz[3 * i + 1] = rows[i].coords.y;
    c.xyz[3 * i + 2] = rows[i].coords.z;
  }
  return c;
}

void BM_FingerprintSixDpBatch(benchmark::State& state) {
  const auto in = python_values(static_cast<std::size_t>(state.range(0)));
  std::vector<std::uint32_t> out(in.size());
  for (auto _ : state) {
    corvane::fingerprint_f32_bits(in, corvane::FloatCanon::SixDp, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FingerprintSixDpBatch)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

void BM_ToWorldCoordsBatch(benchmark::State& state) {
  const auto in = python_positions(static_cast<std::size_t>(state.range(0)));
  std::vector<corvane::WorldCoordinates> out(in.size());
  for (auto _ : state) {
    corvane::to_world_coords(in, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ToWorldCoordsBatch)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_RebucketBatch(benchmark::State& state) {
  const auto in = python_positions(static_cast<std::size_t>(state.range(0)));
  std::vector<corvane::WorldPosition> out(in.size());
  for (auto _ : state) {
    corvane::rebucket_outdoor_landblock(in, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RebucketBatch)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// The column operations Python calls, at the size of its targets. The Python
// call returns new arrays, so each pass here writes into new, untouched
// memory as well (Fresh); the Reused runs write into columns allocated once,
// the cost of the operation alone on memory already mapped.
void to_world_coords_columns(benchmark::State& state, bool fresh) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const Columns in = python_columns(n);
  const auto columns = [n] {
    return std::tuple{uninitialized<float>(n), uninitialized<float>(n), uninitialized<float>(n),
                      uninitialized<std::uint8_t>(n), uninitialized<std::uint16_t>(n)};
  };
  auto kept = columns();
  {
    auto& [lat, lon, alt, indoor, cell] = kept;  // mapped before the clock starts
    corvane::to_world_coords(in.ids, in.xyz, {{lat.get(), n}, {lon.get(), n}, {alt.get(), n},
                                              {indoor.get(), n}, {cell.get(), n}});
  }
  for (auto _ : state) {
    auto made = fresh ? columns() : decltype(kept){};
    auto& [lat, lon, alt, indoor, cell] = fresh ? made : kept;
    const corvane::MapCoordinateColumns out{{lat.get(), n}, {lon.get(), n}, {alt.get(), n},
                                            {indoor.get(), n}, {cell.get(), n}};
    corvane::to_world_coords(in.ids, in.xyz, out);
    benchmark::DoNotOptimize(lat.get());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
void BM_ToWorldCoordsColumnsFresh(benchmark::State& state) { to_world_coords_columns(state, true); }
void BM_ToWorldCoordsColumnsReused(benchmark::State& state) { to_world_coords_columns(state, false); }
BENCHMARK(BM_ToWorldCoordsColumnsFresh)->Arg(10'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToWorldCoordsColumnsReused)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

void map_text_columns(benchmark::State& state, bool fresh) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const Columns in = python_columns(n);
  std::string kept_text;
  auto kept_ends = uninitialized<std::size_t>(n);
  corvane::append_map_text(kept_text, in.ids, in.xyz, 1, {kept_ends.get(), n});  // mapped first
  for (auto _ : state) {
    std::string made_text;
    auto made_ends = fresh ? uninitialized<std::size_t>(n) : nullptr;
    std::string& text = fresh ? made_text : kept_text;
    text.clear();
    corvane::append_map_text(text, in.ids, in.xyz, 1, {(fresh ? made_ends : kept_ends).get(), n});
    benchmark::DoNotOptimize(text.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
void BM_MapTextColumnsFresh(benchmark::State& state) { map_text_columns(state, true); }
void BM_MapTextColumnsReused(benchmark::State& state) { map_text_columns(state, false); }
BENCHMARK(BM_MapTextColumnsFresh)->Arg(10'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapTextColumnsReused)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

}  // namespace
