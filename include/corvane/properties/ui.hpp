// User-interface vocabularies: the actions a player triggers from the
// interface, the ids of the interface's root elements and the kind of a
// friends-list update.
#pragma once

#include <cstdint>

#include "corvane/properties/enumeration.hpp"

namespace corvane {

#include "corvane/properties/client_action.inc"

/// An action triggered from the interface, 32-bit on the wire: 294 members
/// from 0x10000001 to 0x1000013F with 25 holes. No member has value 0, so
/// `ClientAction{}` is not a member. Default `ToggleCasPanel`.
enum class ClientAction : std::uint32_t {
  CORVANE_CLIENT_ACTION_MEMBERS(CORVANE_DETAIL_ENUMERATOR)
};

CORVANE_DETAIL_ENUMERATION_TRAITS(
    ClientAction, CORVANE_CLIENT_ACTION_MEMBERS,
    static constexpr ClientAction default_member = ClientAction::ToggleCasPanel;)

#define CORVANE_ROOT_ELEMENT_ID_MEMBERS(X) \
  X(LogOut, 0x10000026)                    \
  X(CharacterInfo, 0x10000183)             \
  X(PositiveEffects, 0x10000184)           \
  X(NegativeEffects, 0x10000185)           \
  X(LinkStatus, 0x10000187)                \
  X(MiniGame, 0x10000188)                  \
  X(Vitae, 0x1000018A)                     \
  X(Indicators, 0x10000611)                \
  X(Radar, 0x100006D2)

/// The id of a root element (top-level panel) of the interface, 32-bit on the
/// wire: 9 sparse members. No default member is offered: no panel is a
/// natural "unset" value. `LogOut` shares its value with
/// `ClientAction::LOGOUT`; the two are otherwise unrelated.
enum class RootElementId : std::uint32_t {
  CORVANE_ROOT_ELEMENT_ID_MEMBERS(CORVANE_DETAIL_ENUMERATOR)
};

CORVANE_DETAIL_ENUMERATION_TRAITS(RootElementId, CORVANE_ROOT_ELEMENT_ID_MEMBERS)

#define CORVANE_FRIENDS_UPDATE_TYPE_FLAGS(X) \
  X(FULL, 0x0, "")                           \
  X(ADDED, 0x1, "")                          \
  X(REMOVED, 0x2, "")                        \
  X(LOGIN_CHANGE, 0x4, "")

#define CORVANE_DETAIL_FLAG_SET FriendsUpdateType
/// The kind of a friends-list update. `FULL` is the empty mask: recognise it
/// with `is_empty()` or `== FULL`, since every value `contains(FULL)`.
class FriendsUpdateType : public FlagSet<FriendsUpdateType> {
 public:
  CORVANE_FRIENDS_UPDATE_TYPE_FLAGS(CORVANE_DETAIL_FLAG_DECLARE)
};
CORVANE_FRIENDS_UPDATE_TYPE_FLAGS(CORVANE_DETAIL_FLAG_DEFINE)
#undef CORVANE_DETAIL_FLAG_SET
CORVANE_DETAIL_FLAG_SET_TRAITS(FriendsUpdateType, CORVANE_FRIENDS_UPDATE_TYPE_FLAGS, false)

}  // namespace corvane
