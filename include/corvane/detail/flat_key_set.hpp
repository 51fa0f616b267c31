// The key set behind dedupe_events: an open-addressing hash set made for
// insert-if-absent, one probe answering the membership test and naming the
// free slot for the insertion that follows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <type_traits>
#include <unordered_set>
#include <utility>

namespace corvane::detail {

/// Linear probing over slots that hold the key next to 31 bits of its mixed
/// hash (the tag: computed once per key, never again on growth), at most half
/// full. Keys must move without throwing, so that growth cannot fail half way.
///
/// The tag can be computed apart from the lookup (`tag_of`, then
/// `probe(key, tag)`), and `prefetch(tag)` starts loading the key's home slot,
/// so that a caller who knows keys in advance overlaps their cache misses.
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

  /// Bytes of slots in the table.
  std::size_t table_bytes() const noexcept { return capacity_ * sizeof(Slot); }

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

  /// The key's tag: the top 31 bits of its mixed hash, with the occupied bit.
  /// std::hash of an integer is the identity in common standard libraries;
  /// the multiplication (Fibonacci hashing) spreads such keys over the top
  /// bits, which pick the slot.
  std::uint32_t tag_of(const Key& key) const {
    const auto h = static_cast<std::uint64_t>(hash_(key)) * 0x9E37'79B9'7F4A'7C15u;
    return static_cast<std::uint32_t>(h >> (64 - kIndexBits)) | kOccupied;
  }

  /// Starts loading the home slot of a key with this tag into the cache. Only
  /// a hint: the slot moves if the table grows before the lookup.
  void prefetch(std::uint32_t tag) const noexcept {
#if defined(__GNUC__)
    if (capacity_ != 0) __builtin_prefetch(&slots_[home_of(tag)]);
#else
    static_cast<void>(tag);
#endif
  }

  /// Looks `key` up. When it is absent the result names the free slot that
  /// insert_at fills; the table grows here, before the lookup, so that the
  /// slot stays valid until insert_at as long as nothing else is inserted.
  Probe probe(const Key& key) { return probe(key, tag_of(key)); }

  /// probe(key) with the key's tag computed beforehand by tag_of(key).
  Probe probe(const Key& key, std::uint32_t tag) {
    if (2 * (size_ + 1) > capacity_) grow();
    return locate(key, tag);
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

/// The set dedupe_events keeps its keys in: the flat set where keys move
/// without throwing, std::unordered_set (which never moves a key it holds)
/// otherwise.
template <class Key, class Hash = std::hash<Key>>
using default_dedupe_set_t =
    std::conditional_t<std::is_nothrow_move_constructible_v<Key>, FlatKeySet<Key, Hash>,
                       std::unordered_set<Key, Hash>>;

}  // namespace corvane::detail
