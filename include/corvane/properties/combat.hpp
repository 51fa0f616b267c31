// Spell vocabularies: spell kinds, component kinds, spell property bits,
// spell-book filter bits and the categories of spell effects.
#pragma once

#include <cstdint>

#include "corvane/properties/enumeration.hpp"

// X11 defines `None` as a macro; keep member names usable after <X11/X.h>.
#pragma push_macro("None")
#undef None

namespace corvane {

#define CORVANE_SPELL_TYPE_MEMBERS(X) \
  X(None, 0)                          \
  X(Enchantment, 1)                   \
  X(Projectile, 2)                    \
  X(Boost, 3)                         \
  X(Transfer, 4)                      \
  X(PortalLink, 5)                    \
  X(PortalRecall, 6)                  \
  X(PortalSummon, 7)                  \
  X(PortalSending, 8)                 \
  X(Dispel, 9)                        \
  X(LifeProjectile, 10)               \
  X(FellowBoost, 11)                  \
  X(FellowEnchantment, 12)            \
  X(FellowPortalSending, 13)          \
  X(FellowDispel, 14)                 \
  X(EnchantmentProjectile, 15)

/// The kind of a spell, 32-bit on the wire. Default `None`.
enum class SpellType : std::uint32_t { CORVANE_SPELL_TYPE_MEMBERS(CORVANE_DETAIL_ENUMERATOR) };

CORVANE_DETAIL_ENUMERATION_TRAITS(SpellType, CORVANE_SPELL_TYPE_MEMBERS,
                                  static constexpr SpellType default_member = SpellType::None;)

#define CORVANE_SPELL_COMPONENT_TYPE_MEMBERS(X) \
  X(Undef, 0)                                   \
  X(Scarab, 1)                                  \
  X(Herb, 2)                                    \
  X(Powder, 3)                                  \
  X(Potion, 4)                                  \
  X(Talisman, 5)                                \
  X(Taper, 6)                                   \
  X(PotionPea, 7)

/// The kind of a spell component item, 32-bit on the wire. Default `Undef`.
enum class SpellComponentType : std::uint32_t {
  CORVANE_SPELL_COMPONENT_TYPE_MEMBERS(CORVANE_DETAIL_ENUMERATOR)
};

CORVANE_DETAIL_ENUMERATION_TRAITS(
    SpellComponentType, CORVANE_SPELL_COMPONENT_TYPE_MEMBERS,
    static constexpr SpellComponentType default_member = SpellComponentType::Undef;)

#include "corvane/properties/spell_category.inc"

/// The category of a spell's effect, 16-bit on the wire: 729 members over the
/// values 0 to 733 (no member at 622 nor at 700 to 703).
///
/// No default member is offered: `SpellCategory{}` is `None` by value, but
/// nothing gives "no category yet" a meaning worth fixing, and a caller that
/// needs one says so explicitly.
enum class SpellCategory : std::uint16_t {
  CORVANE_SPELL_CATEGORY_MEMBERS(CORVANE_DETAIL_ENUMERATOR)
};

CORVANE_DETAIL_ENUMERATION_TRAITS(SpellCategory, CORVANE_SPELL_CATEGORY_MEMBERS)

// The flag names below, apart from BENEFICIAL, WAR and LEVEL_3, are this
// library's own choice: only the bits are fixed on the wire.

#define CORVANE_SPELL_FLAGS(X)                  \
  X(RESISTABLE, 0x1, "")                        \
  X(PK_SENSITIVE, 0x2, "")                      \
  X(BENEFICIAL, 0x4, "")                        \
  X(SELF_TARGETED, 0x8, "")                     \
  X(REVERSED, 0x10, "")                         \
  X(NOT_INDOOR, 0x20, "")                       \
  X(NOT_OUTDOOR, 0x40, "")                      \
  X(NOT_RESEARCHABLE, 0x80, "")                 \
  X(PROJECTILE, 0x100, "")                      \
  X(CREATURE_SPELL, 0x200, "")                  \
  X(EXCLUDED_FROM_ITEM_DESCRIPTIONS, 0x400, "") \
  X(IGNORES_MANA_CONVERSION, 0x800, "")         \
  X(NON_TRACKING_PROJECTILE, 0x1000, "")        \
  X(FELLOWSHIP_SPELL, 0x2000, "")               \
  X(FAST_CAST, 0x4000, "")                      \
  X(INDOOR_LONG_RANGE, 0x8000, "")              \
  X(DAMAGE_OVER_TIME, 0x10000, "")              \
  X(HEAL_OVER_TIME, 0x20000, "")

#define CORVANE_DETAIL_FLAG_SET SpellFlags
/// The property bits of a spell: one flag for each of the bits 0 to 17.
class SpellFlags : public FlagSet<SpellFlags> {
 public:
  CORVANE_SPELL_FLAGS(CORVANE_DETAIL_FLAG_DECLARE)
};
CORVANE_SPELL_FLAGS(CORVANE_DETAIL_FLAG_DEFINE)
#undef CORVANE_DETAIL_FLAG_SET
CORVANE_DETAIL_FLAG_SET_TRAITS(SpellFlags, CORVANE_SPELL_FLAGS, false)

// NONE is the empty filter; the schools take bits 0 to 3 and 13, the spell
// levels bits 4 to 12.
#define CORVANE_SPELL_BOOK_FILTER_OPTIONS(X) \
  X(NONE, 0x0, "")                           \
  X(CREATURE, 0x1, "")                       \
  X(ITEM, 0x2, "")                           \
  X(LIFE, 0x4, "")                           \
  X(WAR, 0x8, "")                            \
  X(LEVEL_1, 0x10, "")                       \
  X(LEVEL_2, 0x20, "")                       \
  X(LEVEL_3, 0x40, "")                       \
  X(LEVEL_4, 0x80, "")                       \
  X(LEVEL_5, 0x100, "")                      \
  X(LEVEL_6, 0x200, "")                      \
  X(LEVEL_7, 0x400, "")                      \
  X(LEVEL_8, 0x800, "")                      \
  X(LEVEL_9, 0x1000, "")                     \
  X(VOID, 0x2000, "")

#define CORVANE_DETAIL_FLAG_SET SpellBookFilterOptions
/// The filter bits of the spell book: the empty filter `NONE` and one flag for
/// each of the bits 0 to 13.
class SpellBookFilterOptions : public FlagSet<SpellBookFilterOptions> {
 public:
  CORVANE_SPELL_BOOK_FILTER_OPTIONS(CORVANE_DETAIL_FLAG_DECLARE)
};
CORVANE_SPELL_BOOK_FILTER_OPTIONS(CORVANE_DETAIL_FLAG_DEFINE)
#undef CORVANE_DETAIL_FLAG_SET
CORVANE_DETAIL_FLAG_SET_TRAITS(SpellBookFilterOptions, CORVANE_SPELL_BOOK_FILTER_OPTIONS, false)

}  // namespace corvane

#pragma pop_macro("None")
