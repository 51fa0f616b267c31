// The walk behind dedupe_events and the helpers that keep it moving events,
// never copying them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "corvane/detail/flat_key_set.hpp"

namespace corvane::detail {

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

/// The walk as specified: each event is asked for its key, then kept or
/// destroyed, before the next (earlier) event is asked.
template <class E>
std::vector<E> dedupe_one_at_a_time(std::vector<E>& events) {
  using Key = typename E::Key;
  std::vector<E> deduplicated;
  default_dedupe_set_t<Key> seen_keys;
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

}  // namespace corvane::detail
