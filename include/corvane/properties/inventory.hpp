// Inventory vocabularies: the body areas an item covers, what kind of item it
// is, its container property and the way it is wielded.
#pragma once

#include <cstdint>

#include "corvane/properties/enumeration.hpp"

namespace corvane {

/// The body areas a worn item covers: fifteen flags, `all()` is 0x1FF7E.
/// `iter_display_names()` gives the player-facing names ("Upper Legs").
#define CORVANE_FLAG_SET (CoverageMask, coverage_mask)
#include "corvane/properties/declare_vocabulary.inc"

/// What kind of item an object is. `CONTAINER` (0x200) is a different
/// quantity from `ContainerProperties::Container` (1).
#define CORVANE_FLAG_SET (ItemType, item_type)
#include "corvane/properties/declare_vocabulary.inc"

/// The container property of an item, 32-bit on the wire. Default `None`.
#define CORVANE_ENUMERATION (ContainerProperties, std::uint32_t, container_properties, None)
#include "corvane/properties/declare_vocabulary.inc"

/// The way an item is wielded, 8-bit on the wire. The values are powers of
/// two but exactly one member is held: sums (3, 5 ...) are not members.
/// Default `Invalid`.
#define CORVANE_ENUMERATION (WieldType, std::uint8_t, wield_type, Invalid)
#include "corvane/properties/declare_vocabulary.inc"

}  // namespace corvane
