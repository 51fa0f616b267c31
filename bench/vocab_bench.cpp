// Raw number -> member and member -> name for the two largest vocabularies,
// against the obvious alternatives over the same {value, name} table: a linear
// scan, std::lower_bound over the sorted values and std::unordered_map.
// Each iteration looks up every raw number from 16 below the first member to
// 16 past the last (holes included), so hits and misses are mixed as on the
// wire.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "corvane/properties/combat.hpp"
#include "corvane/properties/ui.hpp"
#include "corvane/properties/vocabularies.hpp"

namespace {

using namespace corvane;

template <class E>
struct Entry {
  std::underlying_type_t<E> value;
  std::string_view name;
};

template <class E>
std::vector<Entry<E>> entry_table() {
  std::vector<Entry<E>> t;
  for (const E m : members<E>()) t.push_back({repr(m), name(m)});
  return t;
}

template <class E>
std::vector<std::underlying_type_t<E>> probe_inputs() {
  using U = std::underlying_type_t<E>;
  const std::uint64_t first = repr(members<E>().front());
  const std::uint64_t last = repr(members<E>().back());
  std::vector<U> in;
  for (std::uint64_t v = first >= 16 ? first - 16 : 0; v <= last + 16; ++v) {
    in.push_back(static_cast<U>(v));
  }
  return in;
}

template <class E>
void BM_FromRepr_Library(benchmark::State& state) {
  const auto in = probe_inputs<E>();
  for (auto _ : state) {
    for (const auto raw : in) benchmark::DoNotOptimize(from_repr<E>(raw));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(in.size()));
}

template <class E>
void BM_FromRepr_LinearScan(benchmark::State& state) {
  const auto in = probe_inputs<E>();
  const auto table = entry_table<E>();
  for (auto _ : state) {
    for (const auto raw : in) {
      std::optional<E> found;
      for (const auto& e : table) {
        if (e.value == raw) {
          found = static_cast<E>(raw);
          break;
        }
      }
      benchmark::DoNotOptimize(found);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(in.size()));
}

template <class E>
void BM_FromRepr_LowerBound(benchmark::State& state) {
  const auto in = probe_inputs<E>();
  const auto table = entry_table<E>();
  for (auto _ : state) {
    for (const auto raw : in) {
      const auto it = std::lower_bound(table.begin(), table.end(), raw,
                                       [](const Entry<E>& e, auto v) { return e.value < v; });
      std::optional<E> found;
      if (it != table.end() && it->value == raw) found = static_cast<E>(raw);
      benchmark::DoNotOptimize(found);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(in.size()));
}

template <class E>
void BM_FromRepr_UnorderedMap(benchmark::State& state) {
  const auto in = probe_inputs<E>();
  std::unordered_map<std::underlying_type_t<E>, std::string_view> map;
  for (const auto& e : entry_table<E>()) map.emplace(e.value, e.name);
  for (auto _ : state) {
    for (const auto raw : in) {
      std::optional<E> found;
      if (map.find(raw) != map.end()) found = static_cast<E>(raw);
      benchmark::DoNotOptimize(found);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(in.size()));
}

template <class E>
void BM_Name_Library(benchmark::State& state) {
  const auto all = members<E>();
  for (auto _ : state) {
    for (const E m : all) benchmark::DoNotOptimize(name(m));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(all.size()));
}

template <class E>
void BM_Name_LinearScan(benchmark::State& state) {
  const auto all = members<E>();
  const auto table = entry_table<E>();
  for (auto _ : state) {
    for (const E m : all) {
      std::string_view n;
      for (const auto& e : table) {
        if (e.value == repr(m)) {
          n = e.name;
          break;
        }
      }
      benchmark::DoNotOptimize(n);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(all.size()));
}

template <class E>
void BM_Name_LowerBound(benchmark::State& state) {
  const auto all = members<E>();
  const auto table = entry_table<E>();
  for (auto _ : state) {
    for (const E m : all) {
      const auto it = std::lower_bound(table.begin(), table.end(), repr(m),
                                       [](const Entry<E>& e, auto v) { return e.value < v; });
      benchmark::DoNotOptimize(it->name);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(all.size()));
}

template <class E>
void BM_Name_UnorderedMap(benchmark::State& state) {
  const auto all = members<E>();
  std::unordered_map<std::underlying_type_t<E>, std::string_view> map;
  for (const auto& e : entry_table<E>()) map.emplace(e.value, e.name);
  for (auto _ : state) {
    for (const E m : all) benchmark::DoNotOptimize(map.find(repr(m))->second);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(all.size()));
}

#define CORVANE_VOCAB_BENCH(E)                 \
  BENCHMARK(BM_FromRepr_Library<E>);           \
  BENCHMARK(BM_FromRepr_LinearScan<E>);        \
  BENCHMARK(BM_FromRepr_LowerBound<E>);        \
  BENCHMARK(BM_FromRepr_UnorderedMap<E>);      \
  BENCHMARK(BM_Name_Library<E>);               \
  BENCHMARK(BM_Name_LinearScan<E>);            \
  BENCHMARK(BM_Name_LowerBound<E>);            \
  BENCHMARK(BM_Name_UnorderedMap<E>);

CORVANE_VOCAB_BENCH(SpellCategory)
CORVANE_VOCAB_BENCH(ClientAction)
// The hashed lookup of a sparse vocabulary.
BENCHMARK(BM_FromRepr_Library<RootElementId>);
BENCHMARK(BM_FromRepr_LowerBound<RootElementId>);

// The flag-name walk over a typical worn-item mask.
void BM_IterNames_CoverageMask(benchmark::State& state) {
  const CoverageMask m = CoverageMask::CHEST | CoverageMask::ABDOMEN | CoverageMask::UPPER_ARMS |
                         CoverageMask::LOWER_ARMS | CoverageMask::from_bits_retain(0x1);
  for (auto _ : state) {
    CoverageMask input = m;
    benchmark::DoNotOptimize(input);
    std::size_t total = 0;
    for (const auto& [n, flag] : input.iter_names()) total += n.size();
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_IterNames_CoverageMask);

}  // namespace
