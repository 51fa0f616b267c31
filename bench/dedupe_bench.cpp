// dedupe_events per event on batches of 10^3 to 10^7 events (30 % keyless,
// keys drawn from a tenth as many distinct object ids as there are events):
// on plain events, whose keys it asks for ahead of the walk, and on the same
// events with a destructor of their own, whose keys it must ask for one at a
// time; against the same steps with std::unordered_set and
// absl::flat_hash_set as the key set, and against the plain reverse walk with
// each of them. Copying the batch in is excluded from the time.
#include <benchmark/benchmark.h>

#include <absl/container/flat_hash_set.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <type_traits>
#include <utility>
#include <unordered_set>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "bench_inputs.hpp"
#include "corvane/guid.hpp"
#include "corvane/traits.hpp"

namespace {

// A client's heap is warm: batches of this size come and go every tick. By
// default glibc maps blocks above 128 KiB fresh from the kernel and unmaps
// them on free, so every iteration would pay a page fault per 4 KiB touched,
// which is the kernel's cost, not the walk's. Keep every block in the heap.
#if defined(__GLIBC__)
const bool g_warm_heap = [] {
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  return true;
}();
#endif

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

// The same event with a destructor of its own: destroying one runs the
// caller's code, so dedupe_events must finish with each event before it asks
// the next for its key (the walk one key at a time).
struct ObservedUpdateEvent : UpdateEvent {
  ObservedUpdateEvent() = default;
  explicit ObservedUpdateEvent(const UpdateEvent& e) : UpdateEvent(e) {}
  ObservedUpdateEvent(const ObservedUpdateEvent&) = default;
  ObservedUpdateEvent(ObservedUpdateEvent&&) noexcept = default;
  ObservedUpdateEvent& operator=(const ObservedUpdateEvent&) = default;
  ObservedUpdateEvent& operator=(ObservedUpdateEvent&&) noexcept = default;
  ~ObservedUpdateEvent() {}
};

using AbslGuidSet = absl::flat_hash_set<corvane::Guid, std::hash<corvane::Guid>>;

// The batch of `events` events, made once per size from the suite's seed.
const std::vector<UpdateEvent>& batch(std::size_t events) {
  static std::map<std::size_t, std::vector<UpdateEvent>> batches;
  auto& out = batches[events];
  if (!out.empty()) return out;
  auto rng = corvane_bench::rng(static_cast<std::uint32_t>(events));
  const std::size_t distinct_keys = std::max<std::size_t>(1, events / 10);
  std::vector<std::uint32_t> ids;
  std::unordered_set<std::uint32_t> unique;
  while (ids.size() < distinct_keys) {
    const auto id = static_cast<std::uint32_t>(rng());
    if (unique.insert(id).second) ids.push_back(id);
  }
  out.resize(events);
  for (std::size_t i = 0; i < events; ++i) {
    out[i].object = corvane::Guid{ids[rng() % distinct_keys]};
    out[i].replaceable = rng() % 100 >= 30;
    out[i].sequence = static_cast<std::uint16_t>(i);
    out[i].x = static_cast<float>(i % 192);
  }
  return out;
}

// The same batch as events of type Event.
template <class Event>
const std::vector<Event>& batch_of(std::size_t events) {
  if constexpr (std::is_same_v<Event, UpdateEvent>) {
    return batch(events);
  } else {
    static std::map<std::size_t, std::vector<Event>> batches;
    auto& out = batches[events];
    if (out.empty()) {
      for (const UpdateEvent& e : batch(events)) out.emplace_back(e);
    }
    return out;
  }
}

template <class Event = UpdateEvent, class Dedupe>
void run(benchmark::State& state, Dedupe dedupe) {
  const auto& master = batch_of<Event>(static_cast<std::size_t>(state.range(0)));
  std::size_t survivors = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<Event> events = master;
    state.ResumeTiming();
    const std::vector<Event> result = dedupe(std::move(events));
    survivors = result.size();
    benchmark::DoNotOptimize(result.data());
  }
  state.counters["survivors"] = static_cast<double>(survivors);
  corvane_bench::set_items(state, master.size());
}

// dedupe_events' steps with another key set: the membership test, the
// append, then the insertion, and each dropped duplicate destroyed in turn.
template <class Set>
std::vector<UpdateEvent> same_steps_walk(std::vector<UpdateEvent> events) {
  std::vector<UpdateEvent> out;
  Set seen;
  while (!events.empty()) {
    UpdateEvent& event = events.back();
    std::optional<corvane::Guid> key = std::as_const(event).dedupe_key();
    if (!key) {
      out.push_back(std::move(event));
    } else if (!seen.contains(*key)) {
      out.push_back(std::move(event));
      seen.insert(std::move(*key));
    }
    events.pop_back();
  }
  std::reverse(out.begin(), out.end());
  return out;
}

// The plain walk anyone would write first, with one lookup per keyed event
// (insert().second) instead of contains-then-insert.
template <class Set>
std::vector<UpdateEvent> plain_walk(std::vector<UpdateEvent> events) {
  std::vector<UpdateEvent> out;
  Set seen;
  for (auto it = events.rbegin(); it != events.rend(); ++it) {
    const auto key = it->dedupe_key();
    if (!key || seen.insert(*key).second) out.push_back(std::move(*it));
  }
  std::reverse(out.begin(), out.end());
  return out;
}

// The plain walk with absl::flat_hash_set, asking each event for its key
// kAhead events before it is needed and prefetching the key's slot: the peer
// of what dedupe_events does for plain events.
template <std::size_t kAhead>
std::vector<UpdateEvent> prefetching_walk(std::vector<UpdateEvent> events) {
  std::vector<UpdateEvent> out;
  AbslGuidSet seen;
  std::optional<corvane::Guid> keys[kAhead];
  const std::size_t n = events.size();
  // keys[i % kAhead] holds the key of event n - 1 - i once asked.
  for (std::size_t i = 0; i < std::min(n, kAhead); ++i) keys[i] = events[n - 1 - i].dedupe_key();
  for (std::size_t i = 0; i < n; ++i) {
    std::optional<corvane::Guid>& key = keys[i % kAhead];
    UpdateEvent& event = events[n - 1 - i];
    if (!key || seen.insert(*key).second) out.push_back(std::move(event));
    if (i + kAhead < n) {
      key = events[n - 1 - i - kAhead].dedupe_key();
      if (key) seen.prefetch(*key);
    }
  }
  std::reverse(out.begin(), out.end());
  return out;
}

void BM_DedupeEvents(benchmark::State& state) {
  run(state, [](std::vector<UpdateEvent> e) { return corvane::dedupe_events(std::move(e)); });
}

// dedupe_events on the same batch of events whose destruction is the
// caller's code: keys are asked for one at a time.
void BM_DedupeEventsOneAtATime(benchmark::State& state) {
  static_assert(!corvane::detail::may_ask_keys_ahead_v<ObservedUpdateEvent> &&
                corvane::detail::may_ask_keys_ahead_v<UpdateEvent>);
  run<ObservedUpdateEvent>(state, [](std::vector<ObservedUpdateEvent> e) {
    return corvane::dedupe_events(std::move(e));
  });
}

// dedupe_events' steps with std::unordered_set as the key set.
void BM_DedupeEventsUnorderedSet(benchmark::State& state) {
  run(state, same_steps_walk<std::unordered_set<corvane::Guid>>);
}

// dedupe_events' steps with absl::flat_hash_set as the key set.
void BM_DedupeEventsAbsl(benchmark::State& state) { run(state, same_steps_walk<AbslGuidSet>); }

void BM_PlainUnorderedSetWalk(benchmark::State& state) {
  run(state, plain_walk<std::unordered_set<corvane::Guid>>);
}

void BM_PlainAbslWalk(benchmark::State& state) { run(state, plain_walk<AbslGuidSet>); }

void BM_PrefetchingAbslWalk(benchmark::State& state) { run(state, prefetching_walk<16>); }

// 10^3 to 10^7 events.
void sizes(benchmark::internal::Benchmark* b) {
  b->RangeMultiplier(10)->Range(1'000, 10'000'000)->Unit(benchmark::kMicrosecond);
}

}  // namespace

BENCHMARK(BM_DedupeEvents)->Apply(sizes);
BENCHMARK(BM_DedupeEventsOneAtATime)->Apply(sizes);
BENCHMARK(BM_DedupeEventsUnorderedSet)->Apply(sizes);
BENCHMARK(BM_DedupeEventsAbsl)->Apply(sizes);
BENCHMARK(BM_PlainUnorderedSetWalk)->Apply(sizes);
BENCHMARK(BM_PlainAbslWalk)->Apply(sizes);
BENCHMARK(BM_PrefetchingAbslWalk)->Apply(sizes);
