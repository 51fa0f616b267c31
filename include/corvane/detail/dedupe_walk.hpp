// The two walks behind dedupe_events: one key at a time, and asking for keys
// ahead of the walk where nothing the caller can observe tells the difference.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "corvane/detail/flat_key_set.hpp"
#include "corvane/detail/integer_key_set.hpp"

namespace corvane {

struct Guid;

namespace detail {

/// Keys whose hashing, comparison, moves and destruction are the language's
/// or this library's own code: doing them earlier or later runs nothing a
/// caller wrote. (An enumeration is left out: its std::hash may be the
/// caller's specialisation.)
template <class Key>
inline constexpr bool key_operations_are_inert_v = std::is_arithmetic_v<Key> || std::is_same_v<Key, Guid>;

/// Whether dedupe_events may ask events for their keys before it has dealt
/// with the later events. Dealing with an event means hashing its key,
/// moving it or destroying it; when all of that runs none of the caller's
/// code, the only calls the caller sees are the dedupe_key calls, and those
/// keep their order, from the last event to the first, once each. (Only an
/// allocation failure tells the difference: it may come after up to kAhead
/// more dedupe_key calls than the walk one key at a time would have made.)
template <class E>
inline constexpr bool may_ask_keys_ahead_v = std::is_trivially_copyable_v<E> &&
                                             std::is_trivially_move_assignable_v<E> &&
                                             key_operations_are_inert_v<typename E::Key>;

/// The set the walks keep their keys in: bare slots for plain integer keys,
/// slots with a stored hash otherwise (see default_dedupe_set_t).
template <class Key>
using dedupe_key_set_t =
    std::conditional_t<is_integer_key_v<Key>, IntegerKeySet<Key>, default_dedupe_set_t<Key>>;

/// Appends `event` by moving it. std::vector grows by copying when the
/// element is copyable and its move may throw (to keep the old buffer intact
/// if a move fails); the batch is taken over either way, so such events are
/// moved here too, into a buffer of twice the capacity.
template <class E>
void append_moved(std::vector<E>& out, E& event) {
  if constexpr (!std::is_nothrow_move_constructible_v<E> && std::is_copy_constructible_v<E>) {
    if (out.size() == out.capacity()) {
      std::vector<E> grown;
      grown.reserve(out.capacity() == 0 ? 1 : 2 * out.capacity());
      for (E& kept : out) grown.emplace_back(std::move(kept));
      out.swap(grown);
    }
  }
  out.push_back(std::move(event));
}

/// Reverses the survivors, which the walk collected last first. Events that
/// cannot be swapped (a const member, say) are moved into a new vector.
template <class E>
void restore_arrival_order(std::vector<E>& out) {
  if constexpr (std::is_swappable_v<E>) {
    std::reverse(out.begin(), out.end());
  } else {
    std::vector<E> forward;
    forward.reserve(out.size());
    for (auto it = out.rbegin(); it != out.rend(); ++it) forward.emplace_back(std::move(*it));
    out.swap(forward);
  }
}

/// The plain walk: each event is asked for its key, then kept or
/// destroyed, before the next (earlier) event is asked.
template <class E>
std::vector<E> dedupe_one_at_a_time(std::vector<E>& events) {
  using Key = typename E::Key;
  std::vector<E> deduplicated;
  dedupe_key_set_t<Key> seen_keys;
  while (!events.empty()) {
    E& event = events.back();
    std::optional<Key> key = std::as_const(event).dedupe_key();
    if (!key) {
      append_moved(deduplicated, event);
    } else if constexpr (requires { seen_keys.probe(*key).found; }) {
      // One probe serves the membership test and the insertion after the append.
      const auto probe = seen_keys.probe(*key);
      if (!probe.found) {
        append_moved(deduplicated, event);
        seen_keys.insert_at(probe, std::move(*key));
      }
    } else {
      if (!seen_keys.contains(*key)) {
        append_moved(deduplicated, event);
        seen_keys.insert(std::move(*key));
      }
    }
    // Destroys the moved-from shell of a survivor, or the dropped duplicate
    // itself, now rather than when the batch goes.
    events.pop_back();
  }
  restore_arrival_order(deduplicated);
  return deduplicated;
}

/// The same walk with the keys asked for kAhead events before they are
/// needed, hashed and their slots prefetched, so that the cache misses of a
/// key set larger than the core's caches overlap instead of following one
/// another (at 10^7 events the walk one key at a time waits for each miss in
/// turn and costs several times more per event). Only for events where
/// may_ask_keys_ahead_v holds.
template <class E>
std::vector<E> dedupe_asking_ahead(std::vector<E>& events) {
  static_assert(may_ask_keys_ahead_v<E>);
  using Key = typename E::Key;
  using KeySet = dedupe_key_set_t<Key>;
  using Tag = decltype(std::declval<const KeySet&>().tag_of(std::declval<const Key&>()));
  // Enough misses in flight to cover memory latency at a few ns per event.
  constexpr std::size_t kAhead = 16;
  // Below this the table stays in the core's cache and asking ahead only
  // costs: the walk asks one key at a time until the table outgrows it.
  constexpr std::size_t kAskAheadFromBytes = std::size_t{256} << 10;

  KeySet seen_keys;
  const std::size_t n = events.size();
  // Survivors are gathered at the back of the batch itself, in input order,
  // in events[kept_from, n): no growing output, no reversal. The walk is
  // never ahead of kept_from, and keys asked ahead belong to events before it.
  std::size_t kept_from = n;
  const auto keep = [&](E& event) {
    E& place = events[--kept_from];
    if (&place != &event) place = std::move(event);
  };
  // Keys are plain values here, passed by value (a reference would keep the
  // optional they came in out of registers).
  const auto keep_if_new = [&](E& event, Key key, Tag tag) {
    const auto probe = seen_keys.probe(key, tag);
    if (!probe.found) {
      keep(event);
      seen_keys.insert_at(probe, std::move(key));
    }
  };

  // i counts the events dealt with, from the back.
  std::size_t i = 0;
  for (; i < n && seen_keys.table_bytes() < kAskAheadFromBytes; ++i) {
    E& event = events[n - 1 - i];
    const std::optional<Key> asked = std::as_const(event).dedupe_key();
    if (asked) {
      const Key key = *asked;
      keep_if_new(event, key, seen_keys.tag_of(key));
    } else {
      keep(event);
    }
  }

  // The asked keys of the j-th event from the back sit at j % kAhead, as
  // plain values: keys are integers or floats here, so a keyless event
  // stores Key{} and its flag instead of taking a branch.
  Key keys[kAhead] = {};
  bool keyed[kAhead] = {};
  Tag tags[kAhead] = {};
  const auto ask = [&](std::size_t j) {
    const std::optional<Key> key = std::as_const(events[n - 1 - j]).dedupe_key();
    const std::size_t r = j % kAhead;
    keyed[r] = key.has_value();
    keys[r] = key.value_or(Key{});
    tags[r] = seen_keys.tag_of(keys[r]);
    seen_keys.prefetch(tags[r]);
  };
  for (std::size_t j = i; j < n && j < i + kAhead; ++j) ask(j);
  for (; i < n; ++i) {
    const std::size_t r = i % kAhead;
    E& event = events[n - 1 - i];
    if (keyed[r]) {
      keep_if_new(event, keys[r], tags[r]);
    } else {
      keep(event);
    }
    if (i + kAhead < n) ask(i + kAhead);
  }
  const auto first = events.begin() + static_cast<std::ptrdiff_t>(kept_from);
  return std::vector<E>(std::make_move_iterator(first), std::make_move_iterator(events.end()));
}

}  // namespace detail
}  // namespace corvane
