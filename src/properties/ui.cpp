#include "corvane/properties/ui.hpp"

namespace corvane {

static_assert(members<ClientAction>().size() == 294);
static_assert(members<RootElementId>().size() == 9);
static_assert(FriendsUpdateType::all().bits() == 0x7);

}  // namespace corvane
