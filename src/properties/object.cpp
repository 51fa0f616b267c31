#include "corvane/properties/object.hpp"

namespace corvane {

static_assert(members<ObjectClass>().size() == 45);

}  // namespace corvane
