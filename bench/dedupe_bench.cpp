// dedupe_events per event on one batch of a million events (30 % keyless,
// keys drawn from 100,000 distinct object ids), with its default flat key set
// against std::unordered_set. Copying the batch in is excluded from the time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <random>
#include <unordered_set>
#include <vector>

#include "corvane/guid.hpp"
#include "corvane/traits.hpp"

namespace {

// A typical update event: the object it is about, a sequence number and a
// position; updates without a key (chat, sounds) are always kept.
struct UpdateEvent {
  using Key = corvane::Guid;
  corvane::Guid object;
  bool replaceable = false;
  std::uint16_t sequence = 0;
  float x = 0, y = 0, z = 0;

  std::optional<Key> dedupe_key() const {
    return replaceable ? std::optional<Key>(object) : std::nullopt;
  }
};

constexpr std::size_t kEvents = 1'000'000;
constexpr std::size_t kDistinctKeys = 100'000;

const std::vector<UpdateEvent>& batch() {
  static const std::vector<UpdateEvent> events = [] {
    std::mt19937 rng(4242);
    std::vector<std::uint32_t> ids;
    std::unordered_set<std::uint32_t> unique;
    while (ids.size() < kDistinctKeys) {
      const auto id = static_cast<std::uint32_t>(rng());
      if (unique.insert(id).second) ids.push_back(id);
    }
    std::vector<UpdateEvent> out(kEvents);
    for (std::size_t i = 0; i < kEvents; ++i) {
      out[i].object = corvane::Guid{ids[rng() % kDistinctKeys]};
      out[i].replaceable = rng() % 100 >= 30;
      out[i].sequence = static_cast<std::uint16_t>(i);
      out[i].x = static_cast<float>(i % 192);
    }
    return out;
  }();
  return events;
}

template <class Dedupe>
void run(benchmark::State& state, Dedupe dedupe) {
  const auto& master = batch();
  std::size_t survivors = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<UpdateEvent> events = master;
    state.ResumeTiming();
    const std::vector<UpdateEvent> result = dedupe(std::move(events));
    survivors = result.size();
    benchmark::DoNotOptimize(result.data());
  }
  state.counters["survivors"] = static_cast<double>(survivors);
  state.counters["per_event"] = benchmark::Counter(
      static_cast<double>(kEvents), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_DedupeEvents(benchmark::State& state) {
  run(state, [](std::vector<UpdateEvent> e) { return corvane::dedupe_events(std::move(e)); });
}
BENCHMARK(BM_DedupeEvents)->Unit(benchmark::kMillisecond);

// dedupe_events with std::unordered_set plugged in: the same steps, a
// membership test and then an insertion.
void BM_DedupeEventsUnorderedSet(benchmark::State& state) {
  run(state, [](std::vector<UpdateEvent> e) {
    return corvane::dedupe_events<UpdateEvent, void, std::unordered_set<corvane::Guid>>(std::move(e));
  });
}
BENCHMARK(BM_DedupeEventsUnorderedSet)->Unit(benchmark::kMillisecond);

// The plain walk anyone would write first, with one lookup per keyed event
// (insert().second) instead of contains-then-insert.
void BM_PlainUnorderedSetWalk(benchmark::State& state) {
  run(state, [](std::vector<UpdateEvent> events) {
    std::vector<UpdateEvent> out;
    std::unordered_set<corvane::Guid> seen;
    for (auto it = events.rbegin(); it != events.rend(); ++it) {
      const auto key = it->dedupe_key();
      if (!key || seen.insert(*key).second) out.push_back(std::move(*it));
    }
    std::reverse(out.begin(), out.end());
    return out;
  });
}
BENCHMARK(BM_PlainUnorderedSetWalk)->Unit(benchmark::kMillisecond);

}  // namespace
