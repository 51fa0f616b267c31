// Spell vocabularies: spell kinds, component kinds, spell property bits,
// spell-book filter bits and the categories of spell effects.
#pragma once

#include <cstdint>

#include "corvane/properties/enumeration.hpp"

namespace corvane {

/// The kind of a spell, 32-bit on the wire: 16 members, 0 to 15. Default `None`.
#define CORVANE_ENUMERATION (SpellType, std::uint32_t, spell_type, None)
#include "corvane/properties/declare_vocabulary.inc"

/// The kind of a spell component item, 32-bit on the wire: 8 members, 0 to 7.
/// Default `Undef`.
#define CORVANE_ENUMERATION (SpellComponentType, std::uint32_t, spell_component_type, Undef)
#include "corvane/properties/declare_vocabulary.inc"

/// The category of a spell's effect, 16-bit on the wire: 729 members over the
/// values 0 to 733 (no member at 622 nor at 700 to 703).
///
/// No default member is offered: `SpellCategory{}` is `None` by value, but
/// nothing gives "no category yet" a meaning worth fixing, and a caller that
/// needs one says so explicitly.
#define CORVANE_ENUMERATION (SpellCategory, std::uint16_t, spell_category)
#include "corvane/properties/declare_vocabulary.inc"

/// The property bits of a spell: one flag for each of the bits 0 to 17.
#define CORVANE_FLAG_SET (SpellFlags, spell_flags)
#include "corvane/properties/declare_vocabulary.inc"

/// The filter bits of the spell book: the empty filter `NONE` and one flag for
/// each of the bits 0 to 13.
#define CORVANE_FLAG_SET (SpellBookFilterOptions, spell_book_filter_options)
#include "corvane/properties/declare_vocabulary.inc"

}  // namespace corvane
