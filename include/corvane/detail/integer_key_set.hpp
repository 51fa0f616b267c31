// The key set behind dedupe_events for keys that are plain integers (an
// integral type or a Guid): slots hold the bare key, so a table is half the
// size of FlatKeySet's and twice as much of it stays in the cache.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <type_traits>

namespace corvane {

struct Guid;

namespace detail {

/// Keys that IntegerKeySet holds: an integral type or a Guid, hashed by
/// std::hash, which for these is the standard library's or this library's own
/// code, cheap and free of side effects, so it is simply run again on growth.
template <class Key>
inline constexpr bool is_integer_key_v = std::is_integral_v<Key> || std::is_same_v<Key, Guid>;

/// Linear probing over slots that hold the bare key, at most half full. An
/// empty slot holds Key{} (zero), and whether the zero key itself has been
/// inserted is a flag of its own. The interface is FlatKeySet's:
/// `probe(key[, tag])` then `insert_at`, `tag_of` and `prefetch` to look keys
/// up ahead.
template <class Key>
class IntegerKeySet {
  static_assert(is_integer_key_v<Key>);

 public:
  /// Where a key was found, or where it would go.
  struct Probe {
    std::size_t index;
    bool found;
  };

  IntegerKeySet() = default;
  IntegerKeySet(const IntegerKeySet&) = delete;
  IntegerKeySet& operator=(const IntegerKeySet&) = delete;

  /// The number of keys held.
  std::size_t size() const noexcept { return size_ + (holds_zero_ ? 1 : 0); }

  /// Bytes of slots in the table.
  std::size_t table_bytes() const noexcept { return capacity_ * sizeof(Key); }

  /// The key's mixed hash; its top bits pick the home slot. std::hash of an
  /// integer is the identity in common standard libraries; the
  /// multiplication (Fibonacci hashing) spreads such keys over the top bits.
  std::uint64_t tag_of(const Key& key) const noexcept {
    return static_cast<std::uint64_t>(std::hash<Key>{}(key)) * 0x9E37'79B9'7F4A'7C15u;
  }

  /// Starts loading the home slot of a key with this tag into the cache. Only
  /// a hint: the slot moves if the table grows before the lookup.
  void prefetch(std::uint64_t tag) const noexcept {
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
  Probe probe(const Key& key, std::uint64_t tag) {
    if (key == Key{}) return {0, holds_zero_};
    if (2 * (size_ + 1) > capacity_) grow();
    for (std::size_t i = home_of(tag);; i = (i + 1) & (capacity_ - 1)) {
      if (slots_[i] == key) return {i, true};
      if (slots_[i] == Key{}) return {i, false};
    }
  }

  /// Inserts `key` at the free slot named by the last probe(key).
  void insert_at(const Probe& p, const Key& key) noexcept {
    if (key == Key{}) {
      holds_zero_ = true;
      return;
    }
    slots_[p.index] = key;
    ++size_;
  }

 private:
  static constexpr std::size_t kMinCapacity = 16;

  std::size_t home_of(std::uint64_t tag) const noexcept { return static_cast<std::size_t>(tag >> shift_); }

  void grow() {
    const std::size_t new_capacity = capacity_ == 0 ? kMinCapacity : 2 * capacity_;
    if (new_capacity > SIZE_MAX / (2 * sizeof(Key))) throw std::length_error("IntegerKeySet too large");
    auto new_slots = std::make_unique<Key[]>(new_capacity);  // all Key{}: empty
    unsigned new_log2 = 0;
    while ((std::size_t{1} << new_log2) < new_capacity) ++new_log2;
    const unsigned new_shift = 64 - new_log2;
    for (std::size_t i = 0; i < capacity_; ++i) {
      const Key& key = slots_[i];
      if (key == Key{}) continue;
      std::size_t j = static_cast<std::size_t>(tag_of(key) >> new_shift);
      while (!(new_slots[j] == Key{})) j = (j + 1) & (new_capacity - 1);
      new_slots[j] = key;
    }
    slots_ = std::move(new_slots);
    capacity_ = new_capacity;
    shift_ = new_shift;
  }

  std::unique_ptr<Key[]> slots_;
  std::size_t capacity_ = 0;
  std::size_t size_ = 0;  // keys in slots_, the zero key not counted
  unsigned shift_ = 64;
  bool holds_zero_ = false;
};

}  // namespace detail
}  // namespace corvane
