// User-interface vocabularies: the actions a player triggers from the
// interface, the ids of the interface's root elements and the kind of a
// friends-list update.
#pragma once

#include <cstdint>

#include "corvane/properties/enumeration.hpp"

namespace corvane {

/// An action triggered from the interface, 32-bit on the wire: 294 members
/// from 0x10000001 to 0x1000013F with 25 holes. No member has value 0, so
/// `ClientAction{}` is not a member. Default `ToggleCasPanel`.
#define CORVANE_ENUMERATION (ClientAction, std::uint32_t, client_action, ToggleCasPanel)
#include "corvane/properties/declare_vocabulary.inc"

/// The id of a root element (top-level panel) of the interface, 32-bit on the
/// wire: 9 sparse members. No default member is offered: no panel is a
/// natural "unset" value. `LogOut` shares its value with
/// `ClientAction::LOGOUT`; the two are otherwise unrelated.
#define CORVANE_ENUMERATION (RootElementId, std::uint32_t, root_element_id)
#include "corvane/properties/declare_vocabulary.inc"

/// The kind of a friends-list update. `FULL` is the empty mask: recognise it
/// with `is_empty()` or `== FULL`, since every value `contains(FULL)`.
#define CORVANE_FLAG_SET (FriendsUpdateType, friends_update_type)
#include "corvane/properties/declare_vocabulary.inc"

}  // namespace corvane
