#include "corvane/character.hpp"

namespace corvane {

// Instantiate the lookup tables once here, so a broken member list fails the
// library build rather than the first user's.
static_assert(members<PropertyAttribute2nd>().size() == 7);

}  // namespace corvane
