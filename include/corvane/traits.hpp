// Event de-duplication: reduce a batch to the latest event per key.
#pragma once

#include <concepts>
#include <cstddef>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "corvane/detail/dedupe_walk.hpp"

namespace corvane {

/// An event type whose events may replace one another. `E::Key` is an
/// equality-comparable, movable value that std::hash hashes (specialise
/// std::hash for a key type of your own); `e.dedupe_key()` (on a const event)
/// returns `std::optional<E::Key>`: a key when a later event with an equal key
/// replaces this one, empty when the event must always be kept. Events are
/// move-constructible: a batch is taken over and its survivors moved out.
template <class E>
concept Deduplicable =
    std::move_constructible<E> && requires { typename E::Key; } &&
    std::equality_comparable<typename E::Key> && std::move_constructible<typename E::Key> &&
    requires(const E& event, const typename E::Key& key) {
      { event.dedupe_key() } -> std::same_as<std::optional<typename E::Key>>;
      { std::hash<typename E::Key>{}(key) } -> std::convertible_to<std::size_t>;
    };

/// Reduces `events` to the last event for each key, keeping every keyless
/// event; the survivors keep their input order. Only key equality decides
/// which events survive. An empty batch gives an empty batch.
///
/// The batch is taken over: events are moved, never copied (not even an event
/// whose move constructor may throw), and each survivor is the very event that
/// came in. The walk goes from the last event to the first and asks each event
/// for its key once; a duplicate (an event whose key a later event already
/// took) is destroyed when the walk reaches it, before the walk asks the next
/// event, so dropped events die later-positioned first. Survivors live on in
/// the result.
///
/// Time is linear in the batch (one key, one hash lookup and at most one
/// insertion per event); extra memory is the result and one entry per
/// distinct key. For events that are trivially copyable, with keys of an
/// arithmetic type or Guid, nothing but the dedupe_key calls is observable,
/// and the walk asks for keys a few events ahead of itself (in the same order)
/// so that the cost per event grows less once the key set outgrows the caches.
template <Deduplicable E>
std::vector<E> dedupe_events(std::vector<E> events);

// Implementation details follow.

template <Deduplicable E>
std::vector<E> dedupe_events(std::vector<E> events) {
  // Where moving and destroying an event and hashing its key run none of the
  // caller's code, keys are asked for ahead of the walk so that the key set's
  // cache misses overlap; the caller sees the same dedupe_key calls in the
  // same order either way.
  if constexpr (detail::may_ask_keys_ahead_v<E>) {
    return detail::dedupe_asking_ahead(events);
  } else {
    return detail::dedupe_one_at_a_time(events);
  }
}

}  // namespace corvane
