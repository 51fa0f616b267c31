#include "corvane/traits.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "corvane/guid.hpp"

namespace {

using corvane::dedupe_events;
using corvane::Deduplicable;
using corvane::detail::FlatKeySet;

// A move-only event: copying it would not compile, and the payload's address
// shows whether a survivor is the very event that came in.
struct MoveOnlyEvent {
  using Key = int;
  std::optional<int> key;
  std::unique_ptr<int> payload;

  std::optional<Key> dedupe_key() const { return key; }
};

MoveOnlyEvent keyed(int key, int payload) { return {key, std::make_unique<int>(payload)}; }
MoveOnlyEvent keyless(int payload) { return {std::nullopt, std::make_unique<int>(payload)}; }

// (key or -1, payload) of every event, for comparisons.
std::vector<std::pair<int, int>> summary(const std::vector<MoveOnlyEvent>& events) {
  std::vector<std::pair<int, int>> out;
  for (const auto& e : events) out.emplace_back(e.key.value_or(-1), *e.payload);
  return out;
}

// ---------------------------------------------------------------------------
// The concept

struct NotHashable {
  bool operator==(const NotHashable&) const = default;
};
struct EventWithUnhashableKey {
  using Key = NotHashable;
  std::optional<Key> dedupe_key() const { return std::nullopt; }
};
struct NoKeyType {
  std::optional<int> dedupe_key() const { return 1; }
};
struct PlainKeyResult {
  using Key = int;
  int dedupe_key() const { return 1; }
};
struct MutableDedupeKey {
  using Key = int;
  std::optional<int> dedupe_key() { return 1; }
};

static_assert(Deduplicable<MoveOnlyEvent>);
struct NotMovableEvent {
  using Key = int;
  NotMovableEvent() = default;
  NotMovableEvent(NotMovableEvent&&) = delete;
  std::optional<Key> dedupe_key() const { return 1; }
};

static_assert(!Deduplicable<EventWithUnhashableKey>);
static_assert(!Deduplicable<NotMovableEvent>);
static_assert(!Deduplicable<NoKeyType>);
static_assert(!Deduplicable<PlainKeyResult>);
static_assert(!Deduplicable<MutableDedupeKey>);
static_assert(!Deduplicable<int>);
static_assert(!std::is_copy_constructible_v<MoveOnlyEvent>);

// Keys that may throw when moved are kept in std::unordered_set.
struct ThrowingMoveKey {
  int v = 0;
  ThrowingMoveKey(int value) : v(value) {}
  ThrowingMoveKey(const ThrowingMoveKey&) = default;
  ThrowingMoveKey(ThrowingMoveKey&& other) noexcept(false) : v(other.v) {}
  ThrowingMoveKey& operator=(const ThrowingMoveKey&) = default;
  bool operator==(const ThrowingMoveKey&) const = default;
};
struct ThrowingMoveKeyHash {
  std::size_t operator()(const ThrowingMoveKey& k) const { return static_cast<std::size_t>(k.v); }
};
static_assert(std::is_same_v<corvane::detail::default_dedupe_set_t<ThrowingMoveKey, ThrowingMoveKeyHash>,
                             std::unordered_set<ThrowingMoveKey, ThrowingMoveKeyHash>>);
static_assert(std::is_same_v<corvane::detail::default_dedupe_set_t<int, std::hash<int>>,
                             FlatKeySet<int, std::hash<int>>>);

// A caller's own key type, hashed by its std::hash specialisation (below),
// which sends every key to the same slot: probing must still tell keys apart
// by equality.
struct CollidingKey {
  std::string v;
  bool operator==(const CollidingKey&) const = default;
};

}  // namespace

template <>
struct std::hash<CollidingKey> {
  std::size_t operator()(const CollidingKey&) const noexcept { return 42; }
};
template <>
struct std::hash<ThrowingMoveKey> {
  std::size_t operator()(const ThrowingMoveKey& k) const { return ThrowingMoveKeyHash{}(k); }
};

namespace {

// ---------------------------------------------------------------------------
// Worked batches

TEST(DedupeEvents, SixEventExample) {
  std::vector<MoveOnlyEvent> batch;
  batch.push_back(keyed(1, 'A'));
  batch.push_back(keyless(10));
  batch.push_back(keyed(1, 'B'));
  batch.push_back(keyed(2, 'C'));
  batch.push_back(keyless(20));
  batch.push_back(keyed(1, 'C'));
  const int* survivors[] = {batch[1].payload.get(), batch[3].payload.get(),
                            batch[4].payload.get(), batch[5].payload.get()};

  const auto result = dedupe_events(std::move(batch));

  const std::vector<std::pair<int, int>> expected = {{-1, 10}, {2, 'C'}, {-1, 20}, {1, 'C'}};
  EXPECT_EQ(summary(result), expected);
  ASSERT_EQ(result.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(result[i].payload.get(), survivors[i]) << i;
}

TEST(DedupeEvents, EmptyKeylessAndSingleKeyBatches) {
  EXPECT_TRUE(dedupe_events(std::vector<MoveOnlyEvent>{}).empty());

  std::vector<MoveOnlyEvent> keyless_batch;
  for (int i = 0; i < 50; ++i) keyless_batch.push_back(keyless(i));
  const auto all_kept = dedupe_events(std::move(keyless_batch));
  ASSERT_EQ(all_kept.size(), 50u);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(*all_kept[static_cast<std::size_t>(i)].payload, i);

  std::vector<MoveOnlyEvent> same_key;
  for (int i = 0; i < 50; ++i) same_key.push_back(keyed(7, i));
  const auto last = dedupe_events(std::move(same_key));
  ASSERT_EQ(last.size(), 1u);
  EXPECT_EQ(*last[0].payload, 49);
}

// Records, in one shared log, each dedupe_key call and each destruction of
// an event that still owns its identity (not a moved-from shell). With
// kNothrowMove false the event is also copyable and its move may throw, the
// kind std::vector copies when it grows: a copy would own the identity too
// and show up as an extra destruction.
template <bool kNothrowMove>
struct RecordingEvent {
  using Key = std::string;
  int id = 0;
  std::optional<std::string> key;
  std::vector<std::string>* log = nullptr;

  RecordingEvent(int id_, std::optional<std::string> key_, std::vector<std::string>* log_)
      : id(id_), key(std::move(key_)), log(log_) {}
  RecordingEvent(RecordingEvent&& other) noexcept(kNothrowMove)
      : id(other.id), key(std::move(other.key)), log(std::exchange(other.log, nullptr)) {}
  RecordingEvent& operator=(RecordingEvent&& other) noexcept(kNothrowMove) {
    if (log) log->push_back("overwrite " + std::to_string(id));
    id = other.id;
    key = std::move(other.key);
    log = std::exchange(other.log, nullptr);
    return *this;
  }
  RecordingEvent(const RecordingEvent& other)
    requires(!kNothrowMove)
      : id(other.id), key(other.key), log(other.log) {
    log->push_back("copy " + std::to_string(id));
  }
  RecordingEvent& operator=(const RecordingEvent&) = delete;
  ~RecordingEvent() {
    if (log) log->push_back("destroy " + std::to_string(id));
  }

  std::optional<std::string> dedupe_key() const {
    log->push_back("key " + std::to_string(id));
    return key;
  }
};

static_assert(!std::is_copy_constructible_v<RecordingEvent<true>>);
static_assert(std::is_copy_constructible_v<RecordingEvent<false>> &&
              !std::is_nothrow_move_constructible_v<RecordingEvent<false>>);

template <bool kNothrowMove>
void check_walk_order() {
  using Event = RecordingEvent<kNothrowMove>;
  std::vector<std::string> log;
  {
    std::vector<Event> batch;
    batch.reserve(8);
    const char* keys[] = {"a", "b", nullptr, "a", "b", "a", nullptr, "c"};
    for (int i = 0; i < 8; ++i) {
      batch.emplace_back(i, keys[i] ? std::optional<std::string>(keys[i]) : std::nullopt, &log);
    }
    const auto result = dedupe_events(std::move(batch));
    std::vector<int> ids;
    for (const auto& e : result) ids.push_back(e.id);
    EXPECT_EQ(ids, (std::vector<int>{2, 4, 5, 6, 7}));
    log.push_back("returned");
  }
  // Each duplicate is destroyed right after its own key was asked for, and
  // no survivor dies before the result does (in whatever order the vector
  // destroys its elements).
  const std::vector<std::string> expected = {
      "key 7", "key 6", "key 5",     "key 4", "key 3",     "destroy 3",
      "key 2", "key 1", "destroy 1", "key 0", "destroy 0", "returned"};
  ASSERT_EQ(log.size(), expected.size() + 5);
  EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 12), expected);
  std::multiset<std::string> rest(log.begin() + 12, log.end());
  EXPECT_EQ(rest, (std::multiset<std::string>{"destroy 2", "destroy 4", "destroy 5", "destroy 6",
                                               "destroy 7"}));
}

TEST(DedupeEvents, DuplicatesDieDuringTheWalkLaterFirst) {
  check_walk_order<true>();
  check_walk_order<false>();
}

// ---------------------------------------------------------------------------
// Against a reference over random batches

struct IntEvent {
  using Key = int;
  int id = 0;
  std::optional<int> key;
  std::optional<Key> dedupe_key() const { return key; }
};

struct StringEvent {
  using Key = std::string;
  int id = 0;
  std::optional<std::string> key;
  std::optional<Key> dedupe_key() const { return key; }
};

struct GuidEvent {
  using Key = corvane::Guid;
  int id = 0;
  std::optional<corvane::Guid> key;
  std::optional<Key> dedupe_key() const { return key; }
};

struct CollidingKeyEvent {
  using Key = CollidingKey;
  int id = 0;
  std::optional<CollidingKey> key;
  std::optional<Key> dedupe_key() const { return key; }
};

struct ThrowingMoveKeyEvent {
  using Key = ThrowingMoveKey;
  int id = 0;
  std::optional<ThrowingMoveKey> key;
  std::optional<Key> dedupe_key() const { return key; }
};

// Every key collides: probing must still tell keys apart by equality.
struct ConstantHash {
  template <class T>
  std::size_t operator()(const T&) const { return 42; }
};

// The ids that survive by the rule itself: an event survives when it has no
// key or no later event has an equal key.
template <class E>
std::vector<int> reference_survivors(const std::vector<E>& events) {
  std::vector<int> ids;
  for (std::size_t i = 0; i < events.size(); ++i) {
    bool replaced = false;
    if (events[i].key) {
      for (std::size_t j = i + 1; j < events.size() && !replaced; ++j) {
        replaced = events[j].key == events[i].key;
      }
    }
    if (!replaced) ids.push_back(events[i].id);
  }
  return ids;
}

template <class E, class MakeKey, class Dedupe>
void check_random_batches(MakeKey make_key, Dedupe dedupe, int batches) {
  std::mt19937 rng(1234);
  for (int b = 0; b < batches; ++b) {
    const std::size_t size = rng() % 300;
    const int distinct = 1 + static_cast<int>(rng() % 60);
    const auto keyless_percent = rng() % 101;
    std::vector<E> events;
    for (std::size_t i = 0; i < size; ++i) {
      E e;
      e.id = static_cast<int>(i);
      if (rng() % 100 >= keyless_percent) e.key = make_key(static_cast<int>(rng() % static_cast<unsigned>(distinct)));
      events.push_back(std::move(e));
    }
    const std::vector<int> expected = reference_survivors(events);
    const std::vector<E> result = dedupe(std::move(events));
    std::vector<int> ids;
    for (const auto& e : result) ids.push_back(e.id);
    ASSERT_EQ(ids, expected) << "batch " << b;
  }
}

TEST(DedupeEventsAgainstReference, DefaultSet) {
  const auto int_key = [](int k) { return k * 7919 - 100; };
  check_random_batches<IntEvent>(int_key, [](auto e) { return dedupe_events(std::move(e)); }, 400);
  const auto string_key = [](int k) { return "key-" + std::to_string(k) + std::string(static_cast<std::size_t>(k % 5) * 10, 'x'); };
  check_random_batches<StringEvent>(string_key, [](auto e) { return dedupe_events(std::move(e)); }, 400);
  const auto guid_key = [](int k) { return corvane::Guid{static_cast<std::uint32_t>(k) << 16}; };
  check_random_batches<GuidEvent>(guid_key, [](auto e) { return dedupe_events(std::move(e)); }, 400);
}

TEST(DedupeEventsAgainstReference, CollidingHashesAndThrowingMoveKeys) {
  const auto dedupe = [](auto e) { return dedupe_events(std::move(e)); };
  const auto colliding_key = [](int k) { return CollidingKey{std::to_string(k)}; };
  check_random_batches<CollidingKeyEvent>(colliding_key, dedupe, 200);
  const auto throwing_move_key = [](int k) { return ThrowingMoveKey{k}; };
  check_random_batches<ThrowingMoveKeyEvent>(throwing_move_key, dedupe, 200);
}

// Counts the copies made of any event that holds one; moving it may throw,
// so the event holding it is copied by std::vector's own growth.
struct CopyTally {
  static inline int copies = 0;
  CopyTally() = default;
  CopyTally(const CopyTally&) { ++copies; }
  CopyTally(CopyTally&&) noexcept(false) {}
  CopyTally& operator=(const CopyTally&) {
    ++copies;
    return *this;
  }
  CopyTally& operator=(CopyTally&&) noexcept(false) { return *this; }
  ~CopyTally() = default;
};

struct CopyableEvent {
  using Key = int;
  int id = 0;
  std::optional<int> key;
  CopyTally tally;
  std::optional<Key> dedupe_key() const { return key; }
};

// Neither assignable nor swappable, but movable: admitted by the concept.
struct ConstIdEvent {
  using Key = int;
  const int id = 0;
  std::optional<int> key;
  CopyTally tally;
  std::optional<Key> dedupe_key() const { return key; }
};

static_assert(Deduplicable<CopyableEvent> && std::is_copy_constructible_v<CopyableEvent> &&
              !std::is_nothrow_move_constructible_v<CopyableEvent>);
static_assert(Deduplicable<ConstIdEvent> && !std::is_move_assignable_v<ConstIdEvent>);

template <class E>
void check_moved_never_copied() {
  std::mt19937 rng(7);
  for (const int size : {0, 1, 2, 3, 17, 64, 333}) {
    std::vector<E> events;
    for (int i = 0; i < size; ++i) {
      const auto k = rng() % 4 == 0 ? std::nullopt : std::optional<int>(static_cast<int>(rng() % 50));
      events.push_back(E{i, k, {}});
    }
    const std::vector<int> expected = reference_survivors(events);
    CopyTally::copies = 0;
    const std::vector<E> result = dedupe_events(std::move(events));
    EXPECT_EQ(CopyTally::copies, 0) << size;
    std::vector<int> ids;
    for (const auto& e : result) ids.push_back(e.id);
    EXPECT_EQ(ids, expected) << size;
  }
}

TEST(DedupeEvents, EventsAreMovedNeverCopied) {
  check_moved_never_copied<CopyableEvent>();
  check_moved_never_copied<ConstIdEvent>();
}

// ---------------------------------------------------------------------------
// Batches large enough that the key set outgrows the core's cache

// A plain event that records each dedupe_key call: still trivially copyable,
// so the walk may ask for its keys ahead, and the log shows whether it still
// asks each event once, from the last to the first.
template <class KeyType>
struct LoggedEvent {
  using Key = KeyType;
  int id = 0;
  std::optional<Key> key;
  std::vector<int>* asked = nullptr;
  std::optional<Key> dedupe_key() const {
    asked->push_back(id);
    return key;
  }
};

static_assert(corvane::detail::may_ask_keys_ahead_v<LoggedEvent<int>> &&
              corvane::detail::may_ask_keys_ahead_v<LoggedEvent<corvane::Guid>> &&
              corvane::detail::may_ask_keys_ahead_v<LoggedEvent<float>>);
static_assert(!corvane::detail::may_ask_keys_ahead_v<RecordingEvent<true>> &&
              !corvane::detail::may_ask_keys_ahead_v<CopyableEvent> &&
              !corvane::detail::may_ask_keys_ahead_v<StringEvent>);

template <class Key, class MakeKey>
void check_large_batch(MakeKey make_key) {
  std::mt19937 rng(2024);
  constexpr int kEvents = 150'000;
  constexpr unsigned kDistinct = 70'000;  // enough to take the table past the cache
  std::vector<int> asked;
  std::vector<LoggedEvent<Key>> events;
  for (int i = 0; i < kEvents; ++i) {
    std::optional<Key> key;
    if (rng() % 10 >= 3) key = make_key(static_cast<unsigned>(rng() % kDistinct));
    events.push_back({i, key, &asked});
  }
  // Survivors by the rule: keyless, or the last event with its key.
  std::unordered_map<Key, int> last;
  for (const auto& e : events) {
    if (e.key) last[*e.key] = e.id;
  }
  std::vector<int> expected;
  for (const auto& e : events) {
    if (!e.key || last.at(*e.key) == e.id) expected.push_back(e.id);
  }

  const auto result = dedupe_events(std::move(events));
  std::vector<int> ids;
  for (const auto& e : result) ids.push_back(e.id);
  EXPECT_EQ(ids, expected);
  ASSERT_EQ(asked.size(), static_cast<std::size_t>(kEvents));
  for (int i = 0; i < kEvents; ++i) ASSERT_EQ(asked[static_cast<std::size_t>(i)], kEvents - 1 - i) << i;
}

TEST(DedupeEventsAgainstReference, LargeBatchesAskEachKeyOnceLastFirst) {
  // Zero is a key like any other (the integer set keeps it apart from its
  // empty slots); -0.0 and 0.0 are equal keys.
  check_large_batch<int>([](unsigned k) { return static_cast<int>(k) - 1000; });
  check_large_batch<corvane::Guid>([](unsigned k) { return corvane::Guid{k * 0x9E37'79B9u}; });
  check_large_batch<float>([](unsigned k) { return k == 1 ? -0.0f : static_cast<float>(k) * 0.25f; });
}

// ---------------------------------------------------------------------------
// The flat set on its own

TEST(FlatKeySet, GrowsAndKeepsEveryKey) {
  FlatKeySet<std::string> set;
  std::unordered_set<std::string> reference;
  std::mt19937 rng(99);
  for (int i = 0; i < 20'000; ++i) {
    std::string key = std::to_string(rng() % 5000);
    const bool expected = reference.insert(key).second;
    ASSERT_EQ(set.insert(std::move(key)), expected) << i;
  }
  EXPECT_EQ(set.size(), reference.size());
  for (int k = 0; k < 6000; ++k) {
    EXPECT_EQ(set.contains(std::to_string(k)), reference.count(std::to_string(k)) == 1) << k;
  }
}

TEST(FlatKeySet, FullCollisionsAndProbeThenInsert) {
  FlatKeySet<int, ConstantHash> set;
  EXPECT_FALSE(set.contains(3));
  for (int k = 0; k < 500; ++k) {
    const auto p = set.probe(k);
    ASSERT_FALSE(p.found);
    set.insert_at(p, int{k});
    ASSERT_TRUE(set.probe(k).found);
  }
  for (int k = 0; k < 600; ++k) EXPECT_EQ(set.contains(k), k < 500) << k;
  EXPECT_EQ(set.size(), 500u);
}

}  // namespace
