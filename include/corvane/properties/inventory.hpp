// Inventory vocabularies: the body areas an item covers, what kind of item it
// is, its container property and the way it is wielded.
#pragma once

#include <cstdint>

#include "corvane/properties/enumeration.hpp"

// X11 defines `None` as a macro; keep member names usable after <X11/X.h>.
#pragma push_macro("None")
#undef None

namespace corvane {

// Bit 0 and bit 7 carry no flag; underwear areas take bits 1 to 6, the outer
// areas bits 8 to 16.
#define CORVANE_COVERAGE_MASK_FLAGS(X)                      \
  X(UPPER_LEGS_UNDERWEAR, 0x2, "Upper Legs Underwear")      \
  X(LOWER_LEGS_UNDERWEAR, 0x4, "Lower Legs Underwear")      \
  X(CHEST_UNDERWEAR, 0x8, "Chest Underwear")                \
  X(ABDOMEN_UNDERWEAR, 0x10, "Abdomen Underwear")           \
  X(UPPER_ARMS_UNDERWEAR, 0x20, "Upper Arms Underwear")     \
  X(LOWER_ARMS_UNDERWEAR, 0x40, "Lower Arms Underwear")     \
  X(UPPER_LEGS, 0x100, "Upper Legs")                        \
  X(LOWER_LEGS, 0x200, "Lower Legs")                        \
  X(CHEST, 0x400, "Chest")                                  \
  X(ABDOMEN, 0x800, "Abdomen")                              \
  X(UPPER_ARMS, 0x1000, "Upper Arms")                       \
  X(LOWER_ARMS, 0x2000, "Lower Arms")                       \
  X(HEAD, 0x4000, "Head")                                   \
  X(HANDS, 0x8000, "Hands")                                 \
  X(FEET, 0x10000, "Feet")

#define CORVANE_DETAIL_FLAG_SET CoverageMask
/// The body areas a worn item covers: fifteen flags, `all()` is 0x1FF7E.
/// `iter_display_names()` gives the player-facing names ("Upper Legs").
class CoverageMask : public FlagSet<CoverageMask> {
 public:
  CORVANE_COVERAGE_MASK_FLAGS(CORVANE_DETAIL_FLAG_DECLARE)
};
CORVANE_COVERAGE_MASK_FLAGS(CORVANE_DETAIL_FLAG_DEFINE)
#undef CORVANE_DETAIL_FLAG_SET
CORVANE_DETAIL_FLAG_SET_TRAITS(CoverageMask, CORVANE_COVERAGE_MASK_FLAGS, true)

// Only CONTAINER (0x200) is fixed on the wire; the other names are this
// library's own. Bit 24 has no flag.
#define CORVANE_ITEM_TYPE_FLAGS(X)                  \
  X(MELEE_WEAPON, 0x1, "")                          \
  X(ARMOR, 0x2, "")                                 \
  X(CLOTHING, 0x4, "")                              \
  X(JEWELRY, 0x8, "")                               \
  X(CREATURE, 0x10, "")                             \
  X(FOOD, 0x20, "")                                 \
  X(MONEY, 0x40, "")                                \
  X(MISC, 0x80, "")                                 \
  X(MISSILE_WEAPON, 0x100, "")                      \
  X(CONTAINER, 0x200, "")                           \
  X(USELESS, 0x400, "")                             \
  X(GEM, 0x800, "")                                 \
  X(SPELL_COMPONENTS, 0x1000, "")                   \
  X(WRITABLE, 0x2000, "")                           \
  X(KEY, 0x4000, "")                                \
  X(CASTER, 0x8000, "")                             \
  X(PORTAL, 0x10000, "")                            \
  X(LOCKABLE, 0x20000, "")                          \
  X(PROMISSORY_NOTE, 0x40000, "")                   \
  X(MANA_STONE, 0x80000, "")                        \
  X(SERVICE, 0x100000, "")                          \
  X(MAGIC_WIELDABLE, 0x200000, "")                  \
  X(CRAFT_COOKING_BASE, 0x400000, "")               \
  X(CRAFT_ALCHEMY_BASE, 0x800000, "")               \
  X(CRAFT_FLETCHING_BASE, 0x2000000, "")            \
  X(CRAFT_ALCHEMY_INTERMEDIATE, 0x4000000, "")      \
  X(CRAFT_FLETCHING_INTERMEDIATE, 0x8000000, "")    \
  X(LIFE_STONE, 0x10000000, "")                     \
  X(TINKERING_TOOL, 0x20000000, "")                 \
  X(TINKERING_MATERIAL, 0x40000000, "")             \
  X(GAMEBOARD, 0x80000000, "")

#define CORVANE_DETAIL_FLAG_SET ItemType
/// What kind of item an object is. `CONTAINER` (0x200) is a different
/// quantity from `ContainerProperties::Container` (1).
class ItemType : public FlagSet<ItemType> {
 public:
  CORVANE_ITEM_TYPE_FLAGS(CORVANE_DETAIL_FLAG_DECLARE)
};
CORVANE_ITEM_TYPE_FLAGS(CORVANE_DETAIL_FLAG_DEFINE)
#undef CORVANE_DETAIL_FLAG_SET
CORVANE_DETAIL_FLAG_SET_TRAITS(ItemType, CORVANE_ITEM_TYPE_FLAGS, false)

#define CORVANE_CONTAINER_PROPERTIES_MEMBERS(X) \
  X(None, 0)                                    \
  X(Container, 1)                               \
  X(Foci, 2)

/// The container property of an item, 32-bit on the wire. Default `None`.
enum class ContainerProperties : std::uint32_t {
  CORVANE_CONTAINER_PROPERTIES_MEMBERS(CORVANE_DETAIL_ENUMERATOR)
};

CORVANE_DETAIL_ENUMERATION_TRAITS(ContainerProperties, CORVANE_CONTAINER_PROPERTIES_MEMBERS,
                                  static constexpr ContainerProperties default_member =
                                      ContainerProperties::None;)

#define CORVANE_WIELD_TYPE_MEMBERS(X) \
  X(Invalid, 0)                       \
  X(MeleeWeapon, 1)                   \
  X(Armor, 2)                         \
  X(Clothing, 4)                      \
  X(Jewelry, 8)

/// The way an item is wielded, 8-bit on the wire. The values are powers of
/// two but exactly one member is held: sums (3, 5 ...) are not members.
/// Default `Invalid`.
enum class WieldType : std::uint8_t { CORVANE_WIELD_TYPE_MEMBERS(CORVANE_DETAIL_ENUMERATOR) };

CORVANE_DETAIL_ENUMERATION_TRAITS(WieldType, CORVANE_WIELD_TYPE_MEMBERS,
                                  static constexpr WieldType default_member = WieldType::Invalid;)

}  // namespace corvane

#pragma pop_macro("None")
