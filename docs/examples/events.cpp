// Guide example: reducing a batch of events to the latest event per key.
// Each "// prints:" comment is checked against the output.
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "corvane/guid.hpp"
#include "corvane/traits.hpp"

// [event]
// An object moved: only its latest update matters. A chat line has no key
// and is always kept.
struct ClientEvent {
  using Key = corvane::Guid;
  std::optional<corvane::Guid> object;  // empty for a chat line
  std::string text;

  std::optional<Key> dedupe_key() const { return object; }
};
static_assert(corvane::Deduplicable<ClientEvent>);
// [event]

int main() {
  // [dedupe]
  std::vector<ClientEvent> batch;
  batch.push_back({corvane::Guid{0x50000001}, "door opens"});
  batch.push_back({std::nullopt, "hello"});
  batch.push_back({corvane::Guid{0x50000002}, "cart stops"});
  batch.push_back({corvane::Guid{0x50000001}, "door closes"});
  // The batch is taken over: the last event per object and every keyless
  // event survive, in their input order.
  for (const ClientEvent& e : corvane::dedupe_events(std::move(batch))) std::cout << e.text << '\n';
  // prints: hello
  // prints: cart stops
  // prints: door closes
  // [dedupe]
}
