// Test helper: finds a member by its name with a plain scan of members<E>(),
// independent of the library's own lookup tables.
#pragma once

#include <optional>
#include <string_view>

#include "corvane/properties/enumeration.hpp"

namespace corvane::test_support {

template <class E>
std::optional<E> by_name(std::string_view n) {
  for (const E m : members<E>()) {
    if (name(m) == n) return m;
  }
  return std::nullopt;
}

}  // namespace corvane::test_support
