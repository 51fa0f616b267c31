// World positions: the map text against the same text built with snprintf,
// std::ostringstream and std::to_chars; debug texts against an ostringstream
// at setprecision(9); and absolute figures for the outdoor cell maintenance.
// Before timing, each baseline's text is checked against ours byte for byte
// on every input: a baseline that writes something else fails the run.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "alloc_counter.hpp"
#include "bench_inputs.hpp"
#include "corvane/position.hpp"
#include "text/fixed_point.hpp"

namespace {

using corvane::Guid;
using corvane::Quaternion;
using corvane::Vector3;
using corvane::WorldCoordinates;
using corvane::WorldPosition;

constexpr std::size_t kBatch = 1024;

// Map coordinates as players see them: lat and lon over the whole map, a
// height, with 1 % of each field non-finite and about 3 % edge values (from
// the shared mixture), and one in twenty indoors.
std::vector<WorldCoordinates> coordinates_mixture() {
  const std::vector<float> lat = corvane_bench::float_mixture(kBatch, 102.0f, 11);
  const std::vector<float> lon = corvane_bench::float_mixture(kBatch, 102.0f, 12);
  const std::vector<float> alt = corvane_bench::float_mixture(kBatch, 400.0f, 13);
  auto gen = corvane_bench::rng(14);
  std::uniform_int_distribution<int> pick(0, 19);
  std::uniform_int_distribution<int> cell(0x100, 0xFFFF);
  std::vector<WorldCoordinates> out;
  for (std::size_t i = 0; i < kBatch; ++i) {
    if (pick(gen) == 0) {
      out.push_back({WorldCoordinates::Indoor{static_cast<std::uint16_t>(cell(gen))}});
    } else {
      // The mixture's huge edge values (1e30) are kept: they exercise the
      // long texts too.
      out.push_back({WorldCoordinates::Outdoor{lat[i], lon[i], alt[i]}});
    }
  }
  return out;
}

const std::vector<WorldCoordinates>& coordinates() {
  static const std::vector<WorldCoordinates> in = coordinates_mixture();
  return in;
}

// The magnitude before a hemisphere letter, as the map text defines it.
float magnitude(float degrees, std::size_t precision) {
  float m = std::fabs(degrees);
  if (precision == 1) {
    m = m - 0.05f;
    if (m < 0.0f) m = 0.0f;
  }
  return m;
}

std::string indoor_text(const WorldCoordinates::Indoor& in) {
  char buf[16];
  const int n = std::snprintf(buf, sizeof buf, "Indoors [%04X]", static_cast<unsigned>(in.landblock));
  return std::string(buf, static_cast<std::size_t>(n));
}

// printf writes "-nan" for a NaN with the sign bit; the map text never does.
float unsigned_nan(float v) { return std::isnan(v) ? std::fabs(v) : v; }

std::string map_text_snprintf(const WorldCoordinates& c, std::size_t precision) {
  if (const auto* in = c.indoor()) return indoor_text(*in);
  const auto& o = *c.outdoor();
  const int p = static_cast<int>(precision);
  char buf[160];
  const int n = std::snprintf(buf, sizeof buf, "%.*f%c, %.*f%c, %.1fZ", p,
                              static_cast<double>(magnitude(o.lat, precision)), o.lat >= 0.0f ? 'N' : 'S', p,
                              static_cast<double>(magnitude(o.lon, precision)), o.lon >= 0.0f ? 'E' : 'W',
                              static_cast<double>(unsigned_nan(o.alt)));
  return std::string(buf, static_cast<std::size_t>(n));
}

std::string map_text_ostringstream(const WorldCoordinates& c, std::size_t precision) {
  if (const auto* in = c.indoor()) {
    std::ostringstream os;
    os << "Indoors [" << std::uppercase << std::hex << std::setw(4) << std::setfill('0')
       << in->landblock << ']';
    return os.str();
  }
  const auto& o = *c.outdoor();
  std::ostringstream os;
  os << std::fixed << std::setprecision(static_cast<int>(precision))
     << magnitude(o.lat, precision) << (o.lat >= 0.0f ? 'N' : 'S') << ", "
     << magnitude(o.lon, precision) << (o.lon >= 0.0f ? 'E' : 'W') << ", " << std::setprecision(1)
     << unsigned_nan(o.alt) << 'Z';
  return os.str();
}

char* to_chars_fixed(char* first, char* last, float v, int precision) {
  if (std::isnan(v)) {
    *first++ = 'n';
    *first++ = 'a';
    *first++ = 'n';
    return first;
  }
  return std::to_chars(first, last, v, std::chars_format::fixed, precision).ptr;
}

std::string map_text_to_chars(const WorldCoordinates& c, std::size_t precision) {
  if (const auto* in = c.indoor()) return indoor_text(*in);
  const auto& o = *c.outdoor();
  const int p = static_cast<int>(precision);
  char buf[160];
  char* const end = buf + sizeof buf;
  char* out = to_chars_fixed(buf, end, magnitude(o.lat, precision), p);
  *out++ = o.lat >= 0.0f ? 'N' : 'S';
  *out++ = ',';
  *out++ = ' ';
  out = to_chars_fixed(out, end, magnitude(o.lon, precision), p);
  *out++ = o.lon >= 0.0f ? 'E' : 'W';
  *out++ = ',';
  *out++ = ' ';
  out = to_chars_fixed(out, end, o.alt, 1);
  *out++ = 'Z';
  return std::string(buf, out);
}

template <typename Make>
void map_text_batch(benchmark::State& state, Make make) {
  const auto precision = static_cast<std::size_t>(state.range(0));
  const auto& in = coordinates();
  for (const WorldCoordinates& c : in) {
    if (make(c, precision) != c.to_string_with_precision(precision)) {
      state.SkipWithError("baseline text differs from to_string_with_precision");
      return;
    }
  }
  const std::size_t allocations_before = corvane_bench::allocation_count();
  for (auto _ : state) {
    for (const WorldCoordinates& c : in) {
      std::string text = make(c, precision);
      benchmark::DoNotOptimize(text.data());
    }
  }
  corvane_bench::set_items(state, in.size());
  state.counters["allocations_per_call"] =
      static_cast<double>(corvane_bench::allocation_count() - allocations_before) /
      static_cast<double>(static_cast<std::size_t>(state.iterations()) * in.size());
}

// What every variant pays in any case: one std::string of the text's length
// (copied from a prepared text), allocated and freed.
void BM_MapText_AllocationFloor(benchmark::State& state) {
  const auto precision = static_cast<std::size_t>(state.range(0));
  std::vector<std::string> texts;
  for (const WorldCoordinates& c : coordinates()) texts.push_back(c.to_string_with_precision(precision));
  for (auto _ : state) {
    for (const std::string& t : texts) {
      std::string text(t.data(), t.size());
      benchmark::DoNotOptimize(text.data());
    }
  }
  corvane_bench::set_items(state, texts.size());
}

void BM_MapText_Corvane(benchmark::State& state) {
  map_text_batch(state, [](const WorldCoordinates& c, std::size_t p) {
    return c.to_string_with_precision(p);
  });
}
void BM_MapText_Snprintf(benchmark::State& state) { map_text_batch(state, map_text_snprintf); }
void BM_MapText_Ostringstream(benchmark::State& state) {
  map_text_batch(state, map_text_ostringstream);
}
void BM_MapText_ToChars(benchmark::State& state) { map_text_batch(state, map_text_to_chars); }

// The fixed-point writer alone, one float at a time, against std::to_chars.
const std::vector<float>& fixed_inputs() {
  static const std::vector<float> in = corvane_bench::float_mixture(kBatch, 150.0f, 15);
  return in;
}
void BM_FixedWriter_Corvane(benchmark::State& state) {
  const auto precision = static_cast<std::size_t>(state.range(0));
  char buf[256];
  for (auto _ : state) {
    for (const float f : fixed_inputs()) {
      benchmark::DoNotOptimize(corvane::detail::write_fixed(buf, f, precision));
    }
  }
  corvane_bench::set_items(state, kBatch);
}
void BM_FixedWriter_ToChars(benchmark::State& state) {
  const auto precision = static_cast<int>(state.range(0));
  char buf[256];
  for (auto _ : state) {
    for (const float f : fixed_inputs()) {
      benchmark::DoNotOptimize(to_chars_fixed(buf, buf + sizeof buf, f, precision));
    }
  }
  corvane_bench::set_items(state, kBatch);
}

// The map text written by operator<< (precision 1) into one reused stream.
void BM_MapTextStream(benchmark::State& state) {
  const auto& in = coordinates();
  std::ostringstream os;
  for (auto _ : state) {
    for (const WorldCoordinates& c : in) {
      os.seekp(0);
      os << c;
    }
    benchmark::DoNotOptimize(os);
  }
  corvane_bench::set_items(state, in.size());
}

// ---- debug texts -----------------------------------------------------------

std::vector<WorldPosition> positions_mixture(float range, std::uint32_t salt) {
  const std::vector<float> f = corvane_bench::float_mixture(7 * kBatch, range, salt);
  auto gen = corvane_bench::rng(salt + 1);
  std::uniform_int_distribution<std::uint32_t> landblock(0, 255);
  std::uniform_int_distribution<std::uint32_t> cell(1, 64);
  std::vector<WorldPosition> out(kBatch);
  for (std::size_t i = 0; i < kBatch; ++i) {
    const std::uint32_t id = (landblock(gen) << 24) | (landblock(gen) << 16) | cell(gen);
    out[i] = {Guid{id}, {f[7 * i], f[7 * i + 1], f[7 * i + 2]},
              Quaternion{f[7 * i + 3] / 192.0f, f[7 * i + 4] / 192.0f, f[7 * i + 5] / 192.0f,
                         f[7 * i + 6] / 192.0f}};
  }
  return out;
}

const std::vector<WorldPosition>& debug_positions() {
  static const std::vector<WorldPosition> in = positions_mixture(192.0f, 21);
  return in;
}

void stream_vector(std::ostream& os, const Vector3& v) {
  os << "Vector3 { x: " << v.x << ", y: " << v.y << ", z: " << v.z << " }";
}

void BM_DebugVector3_Corvane(benchmark::State& state) {
  for (auto _ : state) {
    for (const WorldPosition& p : debug_positions()) {
      std::string text = debug_string(p.coords);
      benchmark::DoNotOptimize(text.data());
    }
  }
  corvane_bench::set_items(state, kBatch);
}
void BM_DebugVector3_Ostringstream(benchmark::State& state) {
  for (auto _ : state) {
    for (const WorldPosition& p : debug_positions()) {
      std::ostringstream os;
      os << std::setprecision(9);
      stream_vector(os, p.coords);
      std::string text = os.str();
      benchmark::DoNotOptimize(text.data());
    }
  }
  corvane_bench::set_items(state, kBatch);
}

void BM_DebugWorldPosition_Corvane(benchmark::State& state) {
  for (auto _ : state) {
    for (const WorldPosition& p : debug_positions()) {
      std::string text = debug_string(p);
      benchmark::DoNotOptimize(text.data());
    }
  }
  corvane_bench::set_items(state, kBatch);
}
void BM_DebugWorldPosition_Ostringstream(benchmark::State& state) {
  for (auto _ : state) {
    for (const WorldPosition& p : debug_positions()) {
      std::ostringstream os;
      os << std::setprecision(9) << "WorldPosition { landblock_id: 0x" << std::uppercase << std::hex
         << std::setw(8) << std::setfill('0') << p.landblock_id.raw << std::dec << ", coords: ";
      stream_vector(os, p.coords);
      const Quaternion& q = p.rotation;
      os << ", rotation: Quaternion { w: " << q.w << ", x: " << q.x << ", y: " << q.y
         << ", z: " << q.z << " } }";
      std::string text = os.str();
      benchmark::DoNotOptimize(text.data());
    }
  }
  corvane_bench::set_items(state, kBatch);
}

// ---- outdoor cell maintenance: absolute figures ----------------------------

// Outdoor positions whose offsets already lie inside their landblock.
const std::vector<WorldPosition>& settled_positions() {
  static const std::vector<WorldPosition> in = [] {
    std::vector<WorldPosition> out = positions_mixture(96.0f, 31);
    for (WorldPosition& p : out) {
      p.coords.x = std::isfinite(p.coords.x) ? std::fmod(std::fabs(p.coords.x), 192.0f) : 5.0f;
      p.coords.y = std::isfinite(p.coords.y) ? std::fmod(std::fabs(p.coords.y), 192.0f) : 5.0f;
    }
    return out;
  }();
  return in;
}

template <typename Result, typename Op>
void position_batch(benchmark::State& state, const std::vector<WorldPosition>& in, Op op) {
  // Filled with a first result: WorldCoordinates has no default value.
  std::vector<Result> out(in.size(), op(0));
  for (auto _ : state) {
    for (std::size_t i = 0; i < in.size(); ++i) out[i] = op(i);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  corvane_bench::set_items(state, in.size());
}

void BM_RebucketStaying(benchmark::State& state) {
  const auto& in = settled_positions();
  position_batch<WorldPosition>(state, in,
                                [&](std::size_t i) { return in[i].rebucket_outdoor_landblock(); });
}
void BM_NormalizeOutdoorCell(benchmark::State& state) {
  const auto& in = settled_positions();
  position_batch<WorldPosition>(state, in,
                                [&](std::size_t i) { return in[i].normalize_outdoor_cell(); });
}
void BM_ToWorldCoords(benchmark::State& state) {
  const auto& in = settled_positions();
  position_batch<WorldCoordinates>(state, in,
                                   [&](std::size_t i) { return in[i].to_world_coords(); });
}
void BM_DistanceTo(benchmark::State& state) {
  const auto& in = settled_positions();
  position_batch<float>(state, in,
                        [&](std::size_t i) { return in[i].distance_to(in[(i + 1) % in.size()]); });
}

// Offsets from -400 to 600 m around a mid-world landblock: up to three
// landblocks away on each axis, most positions move.
void BM_RebucketMixed(benchmark::State& state) {
  auto gen = corvane_bench::rng(41);
  std::uniform_real_distribution<float> offset(-400.0f, 600.0f);
  std::vector<WorldPosition> in(kBatch);
  for (auto& p : in) {
    p = {Guid{0x7F7F0001u}, {offset(gen), offset(gen), 0.0f}, Quaternion::identity()};
  }
  position_batch<WorldPosition>(state, in,
                                [&](std::size_t i) { return in[i].rebucket_outdoor_landblock(); });
}

// A position that has walked `crossed` landblocks east (and as many north,
// capped at the world's edge) from landblock (0, 0): the rebucket steps one
// landblock at a time, so its cost grows with the distance.
void BM_RebucketCrossing(benchmark::State& state) {
  const auto crossed = static_cast<float>(state.range(0));
  std::vector<WorldPosition> in(64);
  for (std::size_t i = 0; i < in.size(); ++i) {
    const float jitter = static_cast<float>(i);
    in[i] = {Guid{0x00000001u},
             {crossed * 192.0f + jitter, crossed * 192.0f + 100.0f - jitter, 10.0f},
             Quaternion::identity()};
  }
  position_batch<WorldPosition>(state, in,
                                [&](std::size_t i) { return in[i].rebucket_outdoor_landblock(); });
}

}  // namespace

BENCHMARK(BM_MapText_Corvane)->Arg(1)->Arg(2);
BENCHMARK(BM_MapText_Snprintf)->Arg(1)->Arg(2);
BENCHMARK(BM_MapText_Ostringstream)->Arg(1)->Arg(2);
BENCHMARK(BM_MapText_ToChars)->Arg(1)->Arg(2);
BENCHMARK(BM_MapText_AllocationFloor)->Arg(1)->Arg(2);
BENCHMARK(BM_MapTextStream);
BENCHMARK(BM_FixedWriter_Corvane)->Arg(1)->Arg(2)->Arg(6);
BENCHMARK(BM_FixedWriter_ToChars)->Arg(1)->Arg(2)->Arg(6);
BENCHMARK(BM_DebugVector3_Corvane);
BENCHMARK(BM_DebugVector3_Ostringstream);
BENCHMARK(BM_DebugWorldPosition_Corvane);
BENCHMARK(BM_DebugWorldPosition_Ostringstream);
BENCHMARK(BM_RebucketStaying);
BENCHMARK(BM_NormalizeOutdoorCell);
BENCHMARK(BM_ToWorldCoords);
BENCHMARK(BM_DistanceTo);
BENCHMARK(BM_RebucketMixed);
BENCHMARK(BM_RebucketCrossing)->Arg(1)->Arg(10)->Arg(255);
