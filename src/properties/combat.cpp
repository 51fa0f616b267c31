#include "corvane/properties/combat.hpp"

namespace corvane {

// Build every lookup table once in the library itself, so a member list that
// breaks the ascending-unique rule fails here.
static_assert(members<SpellType>().size() == 16);
static_assert(members<SpellComponentType>().size() == 8);
static_assert(members<SpellCategory>().size() == 729);
static_assert(SpellFlags::all().bits() == 0x3FFFF);
static_assert(SpellBookFilterOptions::all().bits() == 0x3FFF);

}  // namespace corvane
