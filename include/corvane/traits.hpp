// Event de-duplication: reduce a batch to the latest event per key.
#pragma once

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <type_traits>
#include <unordered_set>
#include <utility>
#include <vector>

namespace corvane {

namespace detail {

template <class E, class Hash>
using dedupe_hash_t = std::conditional_t<std::is_void_v<Hash>, std::hash<typename E::Key>, Hash>;

}  // namespace detail

/// An event type whose events may replace one another. `E::Key` is an
/// equality-comparable, movable value; `e.dedupe_key()` (on a const event)
/// returns `std::optional<E::Key>`: a key when a later event with an equal key
/// replaces this one, empty when the event must always be kept.
///
/// `Hash` names the key's hash function object; `void` (the default) means
/// `std::hash<E::Key>`, so `Deduplicable<E>` also asks that std::hash works.
template <class E, class Hash = void>
concept Deduplicable =
    requires { typename E::Key; } && std::equality_comparable<typename E::Key> &&
    std::move_constructible<typename E::Key> &&
    requires(const E& event, const typename E::Key& key,
             const detail::dedupe_hash_t<E, Hash>& hash) {
      { event.dedupe_key() } -> std::same_as<std::optional<typename E::Key>>;
      { hash(key) } -> std::convertible_to<std::size_t>;
    };

/// A set of keys that dedupe_events can use: default-constructible, with
/// `contains(const Key&)` and `insert(Key&&)`. `std::unordered_set<Key, H>`
/// qualifies.
template <class Set, class Key>
concept DedupeKeySet = std::default_initializable<Set> && requires(Set& set, const Key& key, Key&& moved) {
  { std::as_const(set).contains(key) } -> std::convertible_to<bool>;
  set.insert(std::move(moved));
};

namespace detail {

/// A set that can answer the membership test and keep the place it found for
/// the insertion that follows: `probe(key)` returns a value with a `found`
/// member, and `insert_at(probe, key)` inserts there without hashing again.
/// dedupe_events uses it when the set offers it.
template <class Set, class Key>
concept TwoPhaseKeySet = requires(Set& set, const Key& key, Key&& moved) {
  { set.probe(key).found } -> std::convertible_to<bool>;
  set.insert_at(set.probe(key), std::move(moved));
};

/// An open-addressing hash set made for the insert-if-absent pattern of
/// dedupe_events: one probe both tests membership and finds the free slot.
/// Linear probing over slots that hold the key next to 31 bits of its mixed
/// hash (the hash is computed once per key, never again on growth), at most
/// half full. Keys must move without throwing, so growth cannot fail half way.
template <class Key, class Hash = std::hash<Key>, class KeyEqual = std::equal_to<Key>>
class FlatKeySet {
  static_assert(std::is_nothrow_move_constructible_v<Key>,
                "FlatKeySet moves keys when it grows and cannot recover from a throwing move");

 public:
  /// Where a key was found, or where it would go.
  struct Probe {
    std::size_t index;
    std::uint32_t tag;
    bool found;
  };

  FlatKeySet() = default;
  FlatKeySet(const FlatKeySet&) = delete;
  FlatKeySet& operator=(const FlatKeySet&) = delete;
  ~FlatKeySet() { destroy_keys(); }

  /// The number of keys held.
  std::size_t size() const noexcept { return size_; }

  /// Whether an equal key is held.
  bool contains(const Key& key) const {
    if (size_ == 0) return false;
    return locate(key, tag_of(key)).found;
  }

  /// Inserts `key` unless an equal key is held; true if it was inserted.
  bool insert(Key&& key) {
    const Probe p = probe(key);
    if (p.found) return false;
    insert_at(p, std::move(key));
    return true;
  }

  /// Looks `key` up. When it is absent the result names the free slot that
  /// insert_at fills; the table grows here, before the lookup, so that the
  /// slot stays valid until insert_at as long as nothing else is inserted.
  Probe probe(const Key& key) {
    if (2 * (size_ + 1) > capacity_) grow();
    return locate(key, tag_of(key));
  }

  /// Inserts `key` at the free slot named by the last probe(key).
  void insert_at(const Probe& p, Key&& key) noexcept {
    Slot& slot = slots_[p.index];
    std::construct_at(std::addressof(slot.key), std::move(key));
    slot.tag = p.tag;
    ++size_;
  }

 private:
  static constexpr std::uint32_t kOccupied = 0x8000'0000u;
  static constexpr unsigned kIndexBits = 31;
  static constexpr std::size_t kMinCapacity = 16;

  struct Slot {
    Slot() noexcept {}
    ~Slot() {}
    Slot(const Slot&) = delete;
    Slot& operator=(const Slot&) = delete;
    std::uint32_t tag = 0;  // 0: empty; else kOccupied | top 31 bits of the mixed hash
    union {
      Key key;
    };
  };

  // std::hash of an integer is the identity in common standard libraries;
  // the multiplication (Fibonacci hashing) spreads such keys over the top
  // bits, which pick the slot.
  std::uint32_t tag_of(const Key& key) const {
    const auto h = static_cast<std::uint64_t>(hash_(key)) * 0x9E37'79B9'7F4A'7C15u;
    return static_cast<std::uint32_t>(h >> (64 - kIndexBits)) | kOccupied;
  }

  std::size_t home_of(std::uint32_t tag) const noexcept {
    return static_cast<std::size_t>((tag & ~kOccupied) >> shift_);
  }

  Probe locate(const Key& key, std::uint32_t tag) const {
    for (std::size_t i = home_of(tag);; i = (i + 1) & (capacity_ - 1)) {
      const Slot& slot = slots_[i];
      if (slot.tag == 0) return {i, tag, false};
      if (slot.tag == tag && equal_(slot.key, key)) return {i, tag, true};
    }
  }

  void grow() {
    const std::size_t new_capacity = capacity_ == 0 ? kMinCapacity : 2 * capacity_;
    if (new_capacity > (std::size_t{1} << kIndexBits)) throw std::length_error("FlatKeySet too large");
    auto new_slots = std::make_unique<Slot[]>(new_capacity);
    unsigned new_log2 = 0;
    while ((std::size_t{1} << new_log2) < new_capacity) ++new_log2;
    const unsigned new_shift = kIndexBits - new_log2;
    for (std::size_t i = 0; i < capacity_; ++i) {
      Slot& old = slots_[i];
      if (old.tag == 0) continue;
      std::size_t j = static_cast<std::size_t>((old.tag & ~kOccupied) >> new_shift);
      while (new_slots[j].tag != 0) j = (j + 1) & (new_capacity - 1);
      std::construct_at(std::addressof(new_slots[j].key), std::move(old.key));
      new_slots[j].tag = old.tag;
      std::destroy_at(std::addressof(old.key));
      old.tag = 0;
    }
    slots_ = std::move(new_slots);
    capacity_ = new_capacity;
    shift_ = new_shift;
  }

  void destroy_keys() noexcept {
    if constexpr (!std::is_trivially_destructible_v<Key>) {
      for (std::size_t i = 0; i < capacity_; ++i) {
        if (slots_[i].tag != 0) std::destroy_at(std::addressof(slots_[i].key));
      }
    }
  }

  std::unique_ptr<Slot[]> slots_;
  std::size_t capacity_ = 0;
  std::size_t size_ = 0;
  unsigned shift_ = 0;
  [[no_unique_address]] Hash hash_{};
  [[no_unique_address]] KeyEqual equal_{};
};

/// The set dedupe_events uses by default: the flat set where keys move
/// without throwing, std::unordered_set otherwise.
template <class Key, class Hash>
using default_dedupe_set_t =
    std::conditional_t<std::is_nothrow_move_constructible_v<Key>, FlatKeySet<Key, Hash>,
                       std::unordered_set<Key, Hash>>;

}  // namespace detail

/// Reduces `events` to the last event for each key, keeping every keyless
/// event; the survivors keep their input order. The batch is taken over:
/// events are moved, never copied, and each survivor is the very event that
/// came in. The walk goes from the last event to the first, asking each for
/// its key once; a duplicate (an event whose key a later event already took)
/// is destroyed when the walk reaches it, so dropped events die later-
/// positioned first. An empty batch gives an empty batch.
///
/// `Hash` hashes keys (`void`: std::hash<E::Key>); only key equality decides
/// the result. `KeySet` holds the keys taken so far, see DedupeKeySet; the
/// default is an open-addressing set specialised for insert-if-absent.
template <class E, class Hash = void,
          class KeySet = detail::default_dedupe_set_t<typename E::Key, detail::dedupe_hash_t<E, Hash>>>
  requires Deduplicable<E, Hash> && DedupeKeySet<KeySet, typename E::Key>
std::vector<E> dedupe_events(std::vector<E> events) {
  std::vector<E> deduplicated;
  KeySet seen_keys;
  while (!events.empty()) {
    E& event = events.back();
    std::optional<typename E::Key> key = std::as_const(event).dedupe_key();
    if (!key) {
      deduplicated.push_back(std::move(event));
    } else if constexpr (detail::TwoPhaseKeySet<KeySet, typename E::Key>) {
      // One probe serves the membership test and the insertion after the append.
      const auto probe = seen_keys.probe(*key);
      if (!probe.found) {
        deduplicated.push_back(std::move(event));
        seen_keys.insert_at(probe, std::move(*key));
      }
    } else {
      if (!seen_keys.contains(*key)) {
        deduplicated.push_back(std::move(event));
        seen_keys.insert(std::move(*key));
      }
    }
    // Destroys the moved-from shell of a survivor, or the dropped duplicate
    // itself, now rather than when the batch goes.
    events.pop_back();
  }
  std::reverse(deduplicated.begin(), deduplicated.end());
  return deduplicated;
}

}  // namespace corvane
